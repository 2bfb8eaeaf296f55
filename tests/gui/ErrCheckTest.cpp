// SPDX-License-Identifier: MIT
// Character-set tests, the RF modem ID rule with its firmware gate, code padding, the live
// filter on real text boxes, and the validity of stored binding entries.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <algorithm>
#include <vector>

#include "gui/LiveFilterWiring.h"
#include "settings/ErrCheck.h"

using namespace Tormel::Gui;

namespace {
const QString kHex = ErrCheck::kHexDigits;
const QString kDigits = ErrCheck::kDigits;
}  // namespace

TEST(ErrCheckCharacters, PositionTestsLookOnlyAtTheirPositions) {
    EXPECT_TRUE(ErrCheck::checkStrSingle(QStringLiteral("5"), kDigits));
    EXPECT_FALSE(ErrCheck::checkStrSingle(QStringLiteral("55"), kDigits));
    EXPECT_FALSE(ErrCheck::checkStrSingle(QString(), kDigits));
    EXPECT_FALSE(ErrCheck::checkStrDouble(QStringLiteral("7"), kHex, kHex));
    EXPECT_TRUE(ErrCheck::checkStrDouble(QStringLiteral("7E1"), kHex, kHex));
    EXPECT_FALSE(ErrCheck::checkStrDouble(QStringLiteral("G7"), kHex, kHex));
    EXPECT_TRUE(ErrCheck::checkStrThird(QStringLiteral("-12"), QStringLiteral("-"), kDigits, kDigits));
    EXPECT_FALSE(ErrCheck::checkStrThird(QStringLiteral("-1"), QStringLiteral("-"), kDigits, kDigits));
    EXPECT_TRUE(ErrCheck::checkStrFourth(QStringLiteral("aB9fZZ"), kHex, kHex, kHex, kHex));
    EXPECT_FALSE(ErrCheck::checkStrFourth(QStringLiteral("aB9g"), kHex, kHex, kHex, kHex));
    EXPECT_FALSE(ErrCheck::checkStrFourth(QStringLiteral("aB9"), kHex, kHex, kHex, kHex));
}

TEST(ErrCheckModemId, VersionGateDecidesWhetherZeroIsAllowed) {
    struct Case {
        const char* version;  // nullptr: never set
        bool zeroAllowed;
    };
    const Case cases[] = {{nullptr, true}, {"2.6", true},  {"2.7", true},   {"2.9", true},   {"3.0", true},
                          {"9.12", true},  {"2.66", true}, {"2.5", false},  {"2.10", false}, {"10.0", false},
                          {"", false},     {"2", false},   {"2.6a", false}, {"v2.6", false}};
    for (const Case& c : cases) {
        ErrCheck check;
        if (c.version != nullptr) {
            check.setVersion(QString::fromLatin1(c.version));
        }
        const std::string at = c.version ? c.version : "(none)";
        EXPECT_EQ(check.IsVersionOver2_6(), c.zeroAllowed) << at;
        EXPECT_EQ(check.checkModemID(QStringLiteral("0")), c.zeroAllowed) << at;
        EXPECT_EQ(check.checkModemID(QStringLiteral("00")), c.zeroAllowed) << at;
        EXPECT_EQ(check.checkUnitID(QStringLiteral("09")), c.zeroAllowed) << at;
        // Independent of the version:
        EXPECT_TRUE(check.checkModemID(QString())) << at;
        EXPECT_TRUE(check.checkModemID(QStringLiteral("7"))) << at;
        EXPECT_TRUE(check.checkModemID(QStringLiteral("99"))) << at;
        EXPECT_TRUE(check.checkModemID(QStringLiteral("10"))) << at;
        EXPECT_FALSE(check.checkModemID(QStringLiteral("A"))) << at;
        EXPECT_FALSE(check.checkModemID(QStringLiteral("1x"))) << at;
        EXPECT_FALSE(check.checkModemID(QStringLiteral(" 1"))) << at;
    }
}

TEST(ErrCheckCodes, OneCharacterCodesArePadded) {
    EXPECT_EQ(ErrCheck::checkCodeDigit(QStringLiteral("A")), QStringLiteral("0A"));
    EXPECT_EQ(ErrCheck::checkCodeDigit(QStringLiteral("2")), QStringLiteral("02"));
    EXPECT_EQ(ErrCheck::checkCodeDigit(QString()), QString());
    EXPECT_EQ(ErrCheck::checkCodeDigit(QStringLiteral("7E")), QStringLiteral("7E"));
}

TEST(ErrCheckBinding, OnlyThePairsOfTheGroupingsAreValid) {
    int valid = 0;
    for (int mask = 0; mask < 256; ++mask) {
        for (int key = 0; key < 256; ++key) {
            if (ErrCheck::checkBindingEntryKey(static_cast<uint8_t>(mask), static_cast<uint8_t>(key))) {
                ++valid;
            }
        }
    }
    EXPECT_EQ(valid, 2 + 4 + 7 + 13 + 25);
    EXPECT_TRUE(ErrCheck::checkBindingEntryKey(0xF8, 96));
    EXPECT_FALSE(ErrCheck::checkBindingEntryKey(0xF8, 100));
    EXPECT_FALSE(ErrCheck::checkBindingEntryKey(0x80, 0));
    EXPECT_FALSE(ErrCheck::checkBindingEntryKey(0xC0, 32));
    EXPECT_TRUE(ErrCheck::checkBindingEntryKey(0xFC, 4));
    EXPECT_TRUE(ErrCheck::checkBindingEntryID(99));
    EXPECT_FALSE(ErrCheck::checkBindingEntryID(100));
    EXPECT_TRUE(ErrCheck::checkBindingEntryID(0));
}

namespace {
// Types into the box as a user would (which marks it modified), then runs the filter.
void userTypes(ErrCheck& check, QLineEdit& box, const QString& text, const QString& allowed, int slot) {
    box.setText(text);
    box.setModified(true);
    filterUserEdit(box, check, allowed, slot);
}
}  // namespace

TEST(ErrCheckLiveFilter, RejectedEditRestoresTheLastAcceptedText) {
    ErrCheck check;
    QLineEdit key;
    key.setMaxLength(4);
    userTypes(check, key, QStringLiteral("1"), kHex, 1);
    userTypes(check, key, QStringLiteral("1A"), kHex, 1);
    EXPECT_EQ(key.text(), QStringLiteral("1A"));
    EXPECT_FALSE(key.isModified());

    userTypes(check, key, QStringLiteral("1AG"), kHex, 1);
    EXPECT_EQ(key.text(), QStringLiteral("1A"));
    EXPECT_EQ(key.cursorPosition(), 2);
    EXPECT_FALSE(key.hasSelectedText());
    EXPECT_FALSE(key.isModified());

    // Slots are independent: a paste into an empty modem-ID box that holds a letter empties it.
    QLineEdit modem;
    userTypes(check, modem, QStringLiteral("12x"), kDigits, 39);
    EXPECT_EQ(modem.text(), QString());
    EXPECT_EQ(check.rememberedText(1), QStringLiteral("1A"));

    // Deleting everything is an accepted edit.
    userTypes(check, key, QString(), kHex, 1);
    userTypes(check, key, QStringLiteral("Z"), kHex, 1);
    EXPECT_EQ(key.text(), QString());

    // A text the program put into the box comes back after a rejected keystroke once the
    // window has remembered it.
    key.setText(QStringLiteral("62E"));
    check.setRememberedText(1, key.text());
    userTypes(check, key, QStringLiteral("62EG"), kHex, 1);
    EXPECT_EQ(key.text(), QStringLiteral("62E"));

    // A slot outside the 170 is ignored rather than overrunning the list.
    userTypes(check, key, QStringLiteral("Z"), kHex, 170);
    userTypes(check, key, QStringLiteral("Z"), kHex, -1);
    EXPECT_EQ(key.text(), QStringLiteral("Z"));
    EXPECT_FALSE(check.checkTextBox(QStringLiteral("Z"), kHex, 1));
}

TEST(ErrCheckLiveFilter, SlotsOfOneWindowAreDistinct) {
    using namespace LiveFilters;
    std::vector<int> used{
        txtNodeIDOffset.slot,  txtSilentInterval.slot, txtPStartCode.slot, txtPEndCode.slot, txtPOffset.slot,
        txtPStartCode2nd.slot, txtPEndCode2nd.slot,    txtPOffset2nd.slot, txtSOffset.slot,  txtSLength.slot,
        txtSOffset2nd.slot,    txtSLength2nd.slot,     txtSBcastAddr.slot, txtCOffset.slot,  txtCLength.slot};
    for (int i = 1; i <= 16; ++i) {
        used.push_back(txtEncryptionKey(i).slot);
    }
    for (int i = 1; i <= 8; ++i) {
        used.push_back(txtSecureKey(i).slot);
    }
    for (int i = 1; i <= 25; ++i) {
        used.push_back(txtModemID(i).slot);
    }
    for (int i = 1; i <= 99; ++i) {
        used.push_back(txtUnit(i).slot);
    }
    std::sort(used.begin(), used.end());
    EXPECT_EQ(std::adjacent_find(used.begin(), used.end()), used.end());
    EXPECT_EQ(used.front(), 0);
    EXPECT_EQ(used.back(), 162);
    EXPECT_EQ(txtModemID(25).slot, 63);
    EXPECT_LT(txtAwt.slot, ErrCheck::kSlots);
}
