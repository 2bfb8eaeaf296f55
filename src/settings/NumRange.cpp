// SPDX-License-Identifier: MIT
#include "settings/NumRange.h"

#include "settings/Holders.h"

namespace Tormel::Gui {

namespace {
bool validRow(int row) { return row >= 1 && row <= kBindingRows; }

// Rows and units are numbered from 1; a number outside the array is not stored and reads as
// the fallback.
template <class T, std::size_t N>
void storeAt(std::array<T, N>& values, int n, const T& v) {
    if (n >= 1 && static_cast<std::size_t>(n) <= N) {
        values[static_cast<std::size_t>(n - 1)] = v;
    }
}
template <class T, std::size_t N>
T loadAt(const std::array<T, N>& values, int n, const T& fallback) {
    return n >= 1 && static_cast<std::size_t>(n) <= N ? values[static_cast<std::size_t>(n - 1)] : fallback;
}
}  // namespace

NumRange::NumRange() {
    for (auto& list : m_nowList) {
        list = std::make_shared<QStringList>();
    }
    m_preText.fill(m_st.getString(kNotUsedLabel));
    m_modemID.fill(emptyText());
}

NumRange::NumRange(const NumRange& other)
    : m_st(other.m_st),
      m_selectBindType(other.m_selectBindType),
      m_selectGroup(other.m_selectGroup),
      m_tmpSelectIdx(other.m_tmpSelectIdx),
      m_preText(other.m_preText),
      m_modemID(other.m_modemID),
      m_selectUnit(other.m_selectUnit) {
    for (int i = 0; i < kBindingRows; ++i) {
        m_nowList[i] = std::make_shared<QStringList>(*other.m_nowList[i]);
    }
}

NumRange& NumRange::operator=(const NumRange& other) {
    if (this == &other) {
        return *this;
    }
    m_selectBindType = other.m_selectBindType;
    m_selectGroup = other.m_selectGroup;
    m_tmpSelectIdx = other.m_tmpSelectIdx;
    m_preText = other.m_preText;
    m_modemID = other.m_modemID;
    m_selectUnit = other.m_selectUnit;
    for (int i = 0; i < kBindingRows; ++i) {
        *m_nowList[i] = *other.m_nowList[i];
    }
    return *this;
}

void NumRange::setSelectIdx(int row, int32_t v) { storeAt(m_tmpSelectIdx, row, v); }
int32_t NumRange::getSelectIdx(int row) const { return loadAt(m_tmpSelectIdx, row, 0); }

void NumRange::setUnit(int unit, const QString& v) { storeAt(m_selectUnit, unit, v); }
QString NumRange::getUnit(int unit) const { return loadAt(m_selectUnit, unit, QString()); }

void NumRange::setCmbText(int row, const QString& text) { storeAt(m_preText, row, text); }
QString NumRange::getCmbText(int row) const { return loadAt(m_preText, row, emptyText()); }

void NumRange::setModemID(int row, const QString& text) { storeAt(m_modemID, row, text); }
QString NumRange::getModemID(int row) const { return loadAt(m_modemID, row, emptyText()); }

void NumRange::setNowList(int row, const QString& text) {
    if (validRow(row)) {
        m_nowList[row - 1]->append(text);
    }
}

void NumRange::clearNowList() {
    for (auto& list : m_nowList) {
        list->clear();
    }
}

QString NumRange::getStrRange(uint8_t mask, uint8_t key) const {
    for (const Grouping& g : kGroupings) {
        if (g.mask != mask) {
            continue;
        }
        if (key % g.size != 0 || key / g.size >= g.groups) {
            return QString();
        }
        return m_st.getString(g.firstLabel + key / g.size);
    }
    return QString();
}

uint8_t NumRange::getRangeConvert(const QString& text, int32_t groupIdx) const {
    const Grouping* g = groupingOf(groupIdx);
    if (g == nullptr) {
        return 255;
    }
    for (int k = 0; k < g->groups; ++k) {
        if (m_st.getString(g->firstLabel + k) == text) {
            return static_cast<uint8_t>(k * g->size);
        }
    }
    return 255;
}

}  // namespace Tormel::Gui
