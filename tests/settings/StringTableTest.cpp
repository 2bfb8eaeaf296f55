// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "settings/StringTable.h"

using Tormel::Gui::StringTable;

TEST(StringTable, OnlyExactlyJaJpSelectsJapanese) {
    EXPECT_TRUE(StringTable(QStringLiteral("ja-JP")).isJapanese());
    for (const char* culture : {"en-US", "de-DE", "en-GB", "ja", "ja-jp", "JA-JP", "ja_JP", ""}) {
        const StringTable table{QString::fromLatin1(culture)};
        EXPECT_FALSE(table.isJapanese()) << culture;
        EXPECT_EQ(table.getString(14), QStringLiteral("This software does not launch in multiples."))
            << culture;
    }
}

TEST(StringTable, MissingIdsAndEnglishGapsGiveEmptyText) {
    const StringTable ja(QStringLiteral("ja-JP"));
    const StringTable en(QStringLiteral("en-US"));
    for (const int32_t id : {-1, 16, 37, 121, 259, 100000, INT32_MIN}) {
        EXPECT_TRUE(ja.getString(id).isEmpty()) << id;
        EXPECT_TRUE(en.getString(id).isEmpty()) << id;
    }
    // Entries that only the Japanese table has: the file version, the document number, the
    // About dialog's model label.
    for (const int32_t id : {4, 5, 6, 244}) {
        EXPECT_FALSE(ja.getString(id).isEmpty()) << id;
        EXPECT_TRUE(en.getString(id).isEmpty()) << id;
    }
    // The contact-I/O window's caption, its record-check messages and the invalid-file message
    // exist in both languages, so that no box of that window is blank.
    for (int32_t id = 17; id <= 36; ++id) {
        EXPECT_FALSE(ja.getString(id).isEmpty()) << id;
        EXPECT_FALSE(en.getString(id).isEmpty()) << id;
    }
    for (const int32_t id : {2, 65}) {
        EXPECT_FALSE(en.getString(id).isEmpty()) << id;
    }
    EXPECT_TRUE(en.getString(204).isEmpty());
    EXPECT_TRUE(en.getString(213).isEmpty());
    EXPECT_EQ(ja.getString(0), QString());
}

TEST(StringTable, UnusualCharactersSurviveExactly) {
    const StringTable ja(QStringLiteral("ja-JP"));
    const StringTable en(QStringLiteral("en-US"));

    // Fullwidth tilde in Japanese ranges, " to " in English ones; every grouping ends at 99.
    EXPECT_EQ(ja.getString(69), QString::fromUtf8("1\xEF\xBD\x9E"
                                                  "63"));
    EXPECT_EQ(en.getString(69), QStringLiteral("1 to 63"));
    for (const int32_t last : {70, 74, 81, 94, 119}) {
        EXPECT_TRUE(
            ja.getString(last).endsWith(QString::fromUtf8("\xEF\xBD\x9E"
                                                          "99")))
            << last;
        EXPECT_TRUE(en.getString(last).endsWith(QStringLiteral(" to 99"))) << last;
    }
    EXPECT_EQ(en.getString(95), QStringLiteral("1 to 3"));
    EXPECT_EQ(en.getString(107), QStringLiteral("48 to 51"));

    // Japanese ellipsis U+2026, half-width katakana, ideographic space U+3000.
    EXPECT_EQ(ja.getString(8), QString::fromUtf8("\xE6\x8E\xA5\xE7\xB6\x9A\xE4\xB8\xAD\xE2\x80\xA6"));
    EXPECT_EQ(en.getString(8), QStringLiteral("Connecting..."));
    EXPECT_EQ(ja.getString(239).size(), 8);
    EXPECT_EQ(ja.getString(239).at(1), QChar(0xFF7F));
    EXPECT_EQ(en.getString(225), QString::fromUtf8("Device ID\xE3\x80\x80\xEF\xBC\x9A"));

    // Leading blanks and trailing blanks are part of the texts.
    EXPECT_EQ(en.getString(185), QStringLiteral("    preset:"));
    EXPECT_EQ(en.getString(62),
              QStringLiteral("The RF modem version is not compatible with this Config Tool. "));

    // One line break; English 57 and 58 are identical, the Japanese ones are not.
    EXPECT_EQ(en.getString(57),
              QStringLiteral("Either the modem is not connected, or com parameter is unmatched. \n"
                             "Check the physical connection and parameters."));
    EXPECT_EQ(en.getString(57), en.getString(58));
    EXPECT_NE(ja.getString(57), ja.getString(58));

    EXPECT_EQ(ja.getString(238),
              QString::fromUtf8("exe\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB(*.exe)|*.exe|"
                                "\xE3\x81\x99\xE3\x81\xB9\xE3\x81\xA6\xE3\x81\xAE\xE3\x83\x95\xE3\x82\xA1"
                                "\xE3\x82\xA4\xE3\x83\xAB(*.*)|*.*"));
    EXPECT_EQ(ja.getString(146), QStringLiteral("config.xml"));
    EXPECT_EQ(en.getString(146), QStringLiteral("config.xml"));
    EXPECT_EQ(en.getString(3), QStringLiteral("5.2.1"));
}

TEST(StringTable, SilentIntervalMessageNamesTheRangeTheCheckAccepts) {
    // Both languages must give the same bounds: 0 to 3 characters are refused, 100 is taken.
    EXPECT_TRUE(StringTable(QStringLiteral("ja-JP"))
                    .getString(38)
                    .contains(QString::fromUtf8("4\xEF\xBD\x9E"
                                                "100")));
    EXPECT_TRUE(
        StringTable(QStringLiteral("en-US")).getString(38).contains(QStringLiteral("between 4 and 100")));
}
