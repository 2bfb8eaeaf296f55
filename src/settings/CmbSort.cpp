// SPDX-License-Identifier: MIT
#include "settings/CmbSort.h"

#include "settings/Holders.h"

namespace Tormel::Gui {

namespace {
bool validRow(int row) { return row >= 1 && row <= kBindingRows; }
}  // namespace

CmbSort::CmbSort() {
    QStringList* lists[] = {&m_datListTwo, &m_datListFour, &m_datListSix, &m_datListThirteen,
                            &m_datListTwentyfive};
    for (size_t i = 0; i < kGroupings.size(); ++i) {
        for (int k = 0; k < kGroupings[i].groups; ++k) {
            lists[i]->append(m_st.getString(kGroupings[i].firstLabel + k));
        }
    }
}

const QStringList* CmbSort::masterList(int32_t groupIdx) const {
    switch (groupIdx) {
        case 1:
            return &m_datListTwo;
        case 2:
            return &m_datListFour;
        case 3:
            return &m_datListSix;
        case 4:
            return &m_datListThirteen;
        case 5:
            return &m_datListTwentyfive;
        default:
            return nullptr;
    }
}

void CmbSort::addList(int row, const QString& text) {
    if (validRow(row)) {
        m_cmpList[row - 1].append(text);
    }
}

void CmbSort::serchList(int32_t groupIdx, int row) {
    const QStringList* master = masterList(groupIdx);
    if (master == nullptr || row < 1 || row > groupingOf(groupIdx)->groups) {
        return;
    }
    const QStringList& input = m_cmpList[row - 1];
    QStringList& result = m_retList[row - 1];
    for (const QString& label : *master) {
        for (const QString& item : input) {
            if (item == label) {
                result.append(label);
            }
        }
    }
}

QString CmbSort::retListText(int row, int index) const {
    if (!validRow(row) || index < 0 || index >= m_retList[row - 1].size()) {
        return emptyText();
    }
    return m_retList[row - 1].at(index);
}

int CmbSort::retListCount(int row) const {
    return validRow(row) ? static_cast<int>(m_retList[row - 1].size()) : 0;
}

void CmbSort::clearCmpList() {
    for (auto& list : m_cmpList) {
        list.clear();
    }
}

void CmbSort::clearRetList() {
    for (auto& list : m_retList) {
        list.clear();
    }
}

}  // namespace Tormel::Gui
