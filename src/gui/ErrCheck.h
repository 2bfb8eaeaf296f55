// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <array>
#include <cstdint>

class QLineEdit;

namespace Tormel::Gui {

// Character-set tests by position, the RF modem ID rule with its firmware-version gate, the
// padding of one-digit codes, the live filter of the forms' text boxes and the validity of
// stored binding entries.
class ErrCheck {
public:
    static constexpr int kSlots = 170;  // live-filter slots, one per text box of a window

    static inline const QString kDigits = QStringLiteral("0123456789");
    static inline const QString kHexDigits = QStringLiteral("0123456789abcdefABCDEF");

    // True when `str` is exactly one character and it occurs in `msk`.
    static bool checkStrSingle(const QString& str, const QString& msk);
    // True when `str` has at least two (three, four) characters and each of the first ones
    // occurs in its mask; characters after them are not looked at.
    static bool checkStrDouble(const QString& str, const QString& msk1, const QString& msk2);
    static bool checkStrThird(const QString& str, const QString& msk1, const QString& msk2, const QString& msk3);
    static bool checkStrFourth(const QString& str, const QString& msk1, const QString& msk2, const QString& msk3,
                               const QString& msk4);
    // True when every character of `str` occurs in `msk` (an empty text qualifies).
    static bool allIn(const QString& str, const QString& msk);

    void setVersion(const QString& version) { m_version = version; }
    // Firmware 2.6 or later, or no version known at all: such units accept the ID 0.
    bool IsVersionOver2_6() const;
    // Empty passes; one character 1 to 9 (0 to 9 from 2.6); two characters 1 to 9 and a digit
    // (any two digits from 2.6). Longer texts are not examined here.
    bool checkModemID(const QString& str) const;
    bool checkUnitID(const QString& str) const { return checkModemID(str); }

    // A one-character code gets a leading "0"; anything else is returned unchanged.
    static QString checkCodeDigit(const QString& str);

    // The live filter of one box, run whenever the user has changed its text: a text made only
    // of allowed characters is remembered in slot `idx`; any other text is replaced by the
    // slot's remembered text with the caret at its end. The box's modified mark is reset
    // either way so that the next edit is noticed again. Slots outside 0 to 169 are ignored.
    void checkTextBox(QLineEdit* textBox, const QString& text, const QString& aryCheck, int idx);
    QString rememberedText(int idx) const;

    static bool checkBindingEntryKey(uint8_t mask, uint8_t key);
    static bool checkBindingEntryID(uint8_t id) { return id <= 99; }

private:
    std::array<QString, kSlots> m_oldStrList;
    QString m_version;  // null until set: counts as a current firmware
};

}  // namespace Tormel::Gui
