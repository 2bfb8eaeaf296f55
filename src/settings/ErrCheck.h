// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <array>
#include <cstdint>

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
    static bool checkStrThird(const QString& str, const QString& msk1, const QString& msk2,
                              const QString& msk3);
    static bool checkStrFourth(const QString& str, const QString& msk1, const QString& msk2,
                               const QString& msk3, const QString& msk4);
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

    // The live filter's rule for one box, run whenever the user has changed its text: a text
    // made only of allowed characters is remembered in slot `idx` and kept (true); any other is
    // refused (false), and the box goes back to the slot's remembered text. Slots outside 0 to
    // 169 keep every text. The window library applies the answer to the box.
    bool checkTextBox(const QString& text, const QString& aryCheck, int idx);
    QString rememberedText(int idx) const;
    // Texts the program puts into a box (defaults, a loaded file, a unit's values) do not pass
    // through the filter; a window calls this after setting a box so that a rejected keystroke
    // brings back what the box showed rather than an older text the user typed.
    void setRememberedText(int idx, const QString& text);

    static bool checkBindingEntryKey(uint8_t mask, uint8_t key);
    static bool checkBindingEntryID(uint8_t id) { return id <= 99; }

  private:
    std::array<QString, kSlots> m_oldStrList;
    QString m_version;  // null until set: counts as a current firmware
};

// The live filters of the forms' text boxes: allowed characters, width (maximum length) and
// the filter slot of each box. Slots are unique within a window.
struct LiveFilter {
    const char* allowed;
    int width;
    int slot;
};

namespace LiveFilters {
inline constexpr const char* kDigits = "0123456789";
inline constexpr const char* kHexDigits = "0123456789abcdefABCDEF";

// RS485 window.
inline constexpr LiveFilter txtNodeIDOffset{kDigits, 4, 0};
inline constexpr LiveFilter txtEncryptionKey(int word) { return {kHexDigits, 4, word}; }   // word 1 to 16
inline constexpr LiveFilter txtSecureKey(int word) { return {kHexDigits, 4, 16 + word}; }  // word 1 to 8
inline constexpr LiveFilter txtSilentInterval{kDigits, 3, 25};
inline constexpr LiveFilter txtPStartCode{kHexDigits, 2, 26};
inline constexpr LiveFilter txtPEndCode{kHexDigits, 2, 27};
inline constexpr LiveFilter txtPOffset{kDigits, 1, 28};
inline constexpr LiveFilter txtPStartCode2nd{kHexDigits, 2, 29};
inline constexpr LiveFilter txtPEndCode2nd{kHexDigits, 2, 30};
inline constexpr LiveFilter txtPOffset2nd{kDigits, 1, 31};
inline constexpr LiveFilter txtSOffset{kDigits, 2, 32};
inline constexpr LiveFilter txtSLength{"0123456", 1, 33};
inline constexpr LiveFilter txtSOffset2nd{kDigits, 2, 34};
inline constexpr LiveFilter txtSLength2nd{"0123456", 1, 35};
inline constexpr LiveFilter txtSBcastAddr{kHexDigits, 4, 36};
inline constexpr LiveFilter txtCOffset{"-0123456789", 3, 37};
inline constexpr LiveFilter txtCLength{"1234", 1, 38};
inline constexpr LiveFilter txtModemID(int row) { return {kDigits, 2, 38 + row}; }  // row 1 to 25
inline constexpr LiveFilter txtUnit(int unit) { return {kDigits, 2, 63 + unit}; }   // unit 1 to 99

// Contact-I/O window (its key boxes use txtEncryptionKey as above).
inline constexpr LiveFilter textBox4NodeId{kDigits, 2, 163};
inline constexpr LiveFilter txtDiFilt{"0123456789.", 4, 165};
inline constexpr LiveFilter txtAwt{kDigits, 3, 169};
// Off-delay, on-delay and hold-timer boxes hold four characters without a filter.
inline constexpr int kUnfilteredDelayWidth = 4;
}  // namespace LiveFilters

}  // namespace Tormel::Gui
