// SPDX-License-Identifier: MIT
#include "settings/ErrCheck.h"

#include <QRegularExpression>

#include "settings/Holders.h"
#include "settings/NumRange.h"

namespace Tormel::Gui {

namespace {
bool firstCharsIn(const QString& str, std::initializer_list<const QString*> masks) {
    if (str.size() < static_cast<qsizetype>(masks.size())) {
        return false;
    }
    qsizetype i = 0;
    for (const QString* msk : masks) {
        if (!msk->contains(str.at(i++))) {
            return false;
        }
    }
    return true;
}
}  // namespace

bool ErrCheck::checkStrSingle(const QString& str, const QString& msk) {
    return str.size() == 1 && msk.contains(str.at(0));
}

bool ErrCheck::checkStrDouble(const QString& str, const QString& msk1, const QString& msk2) {
    return firstCharsIn(str, {&msk1, &msk2});
}

bool ErrCheck::checkStrThird(const QString& str, const QString& msk1, const QString& msk2,
                             const QString& msk3) {
    return firstCharsIn(str, {&msk1, &msk2, &msk3});
}

bool ErrCheck::checkStrFourth(const QString& str, const QString& msk1, const QString& msk2,
                              const QString& msk3, const QString& msk4) {
    return firstCharsIn(str, {&msk1, &msk2, &msk3, &msk4});
}

bool ErrCheck::allIn(const QString& str, const QString& msk) {
    for (QChar c : str) {
        if (!msk.contains(c)) {
            return false;
        }
    }
    return true;
}

bool ErrCheck::IsVersionOver2_6() const {
    if (m_version.isNull()) {
        return true;
    }
    static const QRegularExpression over26(QStringLiteral("^[2]\\.[6-9]+$"));
    static const QRegularExpression over3(QStringLiteral("^[3-9]\\.[0-9]+$"));
    return over26.match(m_version).hasMatch() || over3.match(m_version).hasMatch();
}

bool ErrCheck::checkModemID(const QString& str) const {
    static const QString nonZero = QStringLiteral("123456789");
    switch (str.size()) {
        case 0:
            return true;
        case 1:
            return checkStrSingle(str, IsVersionOver2_6() ? kDigits : nonZero);
        case 2:
            return checkStrDouble(str, IsVersionOver2_6() ? kDigits : nonZero, kDigits);
        default:
            return true;
    }
}

QString ErrCheck::checkCodeDigit(const QString& str) {
    return str.size() == 1 ? QStringLiteral("0") + str : str;
}

bool ErrCheck::checkTextBox(const QString& text, const QString& aryCheck, int idx) {
    if (idx < 0 || idx >= kSlots) {
        return true;
    }
    if (!allIn(text, aryCheck)) {
        return false;
    }
    m_oldStrList[idx] = text;
    return true;
}

QString ErrCheck::rememberedText(int idx) const {
    return idx >= 0 && idx < kSlots ? m_oldStrList[idx] : emptyText();
}

void ErrCheck::setRememberedText(int idx, const QString& text) {
    if (idx >= 0 && idx < kSlots) {
        m_oldStrList[idx] = text;
    }
}

bool ErrCheck::checkBindingEntryKey(uint8_t mask, uint8_t key) {
    for (const Grouping& g : kGroupings) {
        if (g.mask == mask) {
            return key % g.size == 0 && key / g.size < g.groups;
        }
    }
    return false;
}

}  // namespace Tormel::Gui
