// SPDX-License-Identifier: MIT
// Binding range labels, their (mask, key) conversion, the range lists of the binding rows and
// their re-ordering, and the row-addressed holder operations.
#include <gtest/gtest.h>

#include "settings/ApplicationConfig.h"
#include "settings/ChoiceLists.h"
#include "settings/CmbSort.h"
#include "settings/NumRange.h"
#include "support/ScopedCulture.h"

using namespace Tormel::Gui;
using Tormel::Gui::Testing::ScopedCulture;

TEST(NumRangeLabels, MaskAndKeyGiveTheLabelOfTheCurrentLanguage) {
    {
        ScopedCulture ja(Testing::kJapanese);
        NumRange range;
        EXPECT_EQ(range.getStrRange(0xE0, 96), QStringLiteral("96～99"));
        EXPECT_EQ(range.getStrRange(0xC0, 0), QStringLiteral("1～63"));
        EXPECT_EQ(range.getStrRange(0xFC, 52), QStringLiteral("52～55"));
        EXPECT_EQ(range.getStrRange(0xF8, 96), QStringLiteral("96～99"));
    }
    ScopedCulture en(Testing::kEnglish);
    NumRange range;
    EXPECT_EQ(range.getStrRange(0xE0, 96), QStringLiteral("96 to 99"));
    EXPECT_EQ(range.getStrRange(0xF0, 16), QStringLiteral("16 to 31"));
    // Keys that are no group of the mask's grouping, and masks of no grouping.
    EXPECT_TRUE(range.getStrRange(0xE0, 16).isNull());
    EXPECT_TRUE(range.getStrRange(0xC0, 128).isNull());
    EXPECT_TRUE(range.getStrRange(0xFC, 100).isNull());
    EXPECT_TRUE(range.getStrRange(0x80, 0).isNull());
    EXPECT_TRUE(range.getStrRange(0, 0).isNull());
}

TEST(NumRangeLabels, LabelConvertsBackToItsKeyOnlyWithinItsGroupingAndLanguage) {
    ScopedCulture ja(Testing::kJapanese);
    NumRange range;
    EXPECT_EQ(range.getRangeConvert(QStringLiteral("64～99"), 1), 64);
    EXPECT_EQ(range.getRangeConvert(QStringLiteral("64～99"), 2), 255);
    EXPECT_EQ(range.getRangeConvert(QStringLiteral("64 to 99"), 1), 255);
    EXPECT_EQ(range.getRangeConvert(QStringLiteral("1～3"), 5), 0);
    EXPECT_EQ(range.getRangeConvert(QStringLiteral("96～99"), 5), 96);
    EXPECT_EQ(range.getRangeConvert(QStringLiteral("使用しない"), 1), 255);
    EXPECT_EQ(range.getRangeConvert(QStringLiteral("1～63"), 0), 255);
    EXPECT_EQ(range.getRangeConvert(QStringLiteral("1～63"), 6), 255);

    // Every group of every grouping survives the round trip label -> key -> label.
    for (int g = 1; g <= 5; ++g) {
        const Grouping& grouping = *groupingOf(g);
        for (int k = 0; k < grouping.groups; ++k) {
            const uint8_t key = static_cast<uint8_t>(k * grouping.size);
            const QString label = range.getStrRange(grouping.mask, key);
            ASSERT_FALSE(label.isEmpty()) << g << " " << k;
            EXPECT_EQ(range.getRangeConvert(label, g), key) << label.toStdString();
        }
    }
}

TEST(RangeLists, AddCmbNumRangeListFillsTheRowsTheGroupingUses) {
    ScopedCulture en(Testing::kEnglish);
    ApplicationConfig config;

    config.addCmbNumRangeList(5);
    for (const auto& list : config.m_rangeList) {
        ASSERT_EQ(list->size(), 26);
        EXPECT_EQ(list->front(), QStringLiteral("Not Used"));
        EXPECT_EQ(list->at(1), QStringLiteral("1 to 3"));
        EXPECT_EQ(list->back(), QStringLiteral("96 to 99"));
    }

    config.addCmbNumRangeList(1);
    EXPECT_EQ(*config.m_rangeList[0], (QStringList{QStringLiteral("Not Used"), QStringLiteral("1 to 63"),
                                                   QStringLiteral("64 to 99")}));
    EXPECT_EQ(config.m_rangeList[1]->size(), 3);
    for (int row = 2; row < kBindingRows; ++row) {
        EXPECT_TRUE(config.m_rangeList[row]->isEmpty()) << row;
    }

    config.addCmbNumRangeList(0);
    for (const auto& list : config.m_rangeList) {
        EXPECT_TRUE(list->isEmpty());
    }
    config.addCmbNumRangeList(3);
    config.addCmbNumRangeList(6);
    for (const auto& list : config.m_rangeList) {
        EXPECT_TRUE(list->isEmpty());
    }
}

TEST(RangeLists, SortingRestoresKeyOrderAndDropsForeignItems) {
    ScopedCulture ja(Testing::kJapanese);
    CmbSort sort;
    sort.addList(3, QStringLiteral("48～63"));
    sort.addList(3, QStringLiteral("1～15"));
    sort.addList(3, QStringLiteral("96～99"));
    sort.addList(3, QStringLiteral("1 to 15"));  // no label of this language
    sort.addList(3, QStringLiteral("1～31"));    // a label of another grouping
    sort.serchList(3, 3);
    EXPECT_EQ(sort.retListText(3, 0), QStringLiteral("1～15"));
    EXPECT_EQ(sort.retListText(3, 1), QStringLiteral("48～63"));
    EXPECT_EQ(sort.retListText(3, 2), QStringLiteral("96～99"));
    EXPECT_EQ(sort.retListCount(3), 3);
    EXPECT_EQ(sort.retListText(3, 3), QString());  // past the end: empty, no crash
    EXPECT_EQ(sort.retListText(3, -1), QString());
    EXPECT_EQ(sort.retListText(26, 0), QString());

    // Rows the grouping does not use, and groupings outside 1 to 5, add nothing.
    sort.addList(8, QStringLiteral("1～15"));
    sort.serchList(3, 8);
    sort.serchList(0, 3);
    sort.serchList(6, 3);
    EXPECT_EQ(sort.retListCount(8), 0);
    EXPECT_EQ(sort.retListCount(3), 3);

    sort.addList(0, QStringLiteral("1～15"));
    sort.addList(26, QStringLiteral("1～15"));
    sort.clearRetList();
    EXPECT_EQ(sort.retListCount(3), 0);
    sort.clearCmpList();
    sort.serchList(3, 3);
    EXPECT_EQ(sort.retListCount(3), 0);
}

TEST(BindingHolder, RowOperationsIgnoreRowsOutsideTheTable) {
    ScopedCulture ja(Testing::kJapanese);
    NumRange range;
    EXPECT_EQ(range.getCmbText(1), QStringLiteral("使用しない"));
    EXPECT_EQ(range.getCmbText(0), QString());
    EXPECT_EQ(range.getCmbText(26), QString());
    EXPECT_EQ(range.getModemID(0), QString());
    range.setModemID(26, QStringLiteral("5"));
    range.setCmbText(0, QStringLiteral("x"));
    range.setNowList(26, QStringLiteral("x"));
    range.setNowList(0, QStringLiteral("x"));
    for (const auto& list : range.m_nowList) {
        EXPECT_TRUE(list->isEmpty());
    }
    range.setUnit(100, QStringLiteral("1"));
    EXPECT_TRUE(range.getUnit99().isNull());  // never set: left out of a settings file
    range.setUnit07(QStringLiteral("12"));
    EXPECT_EQ(range.getUnit(7), QStringLiteral("12"));
    range.setSelectIdx25(4);
    EXPECT_EQ(range.getSelectIdx(25), 4);
}

TEST(BindingHolder, SettingsObjectSharesTheHoldersRangeLists) {
    ScopedCulture en(Testing::kEnglish);
    auto range = std::make_shared<NumRange>();
    range->setNowList(1, QStringLiteral("Not Used"));
    range->setNowList(1, QStringLiteral("1 to 63"));
    ApplicationConfig config;
    config.setConfigInst(nullptr, nullptr, nullptr, range);
    config.setConfigData();
    ASSERT_EQ(config.m_rangeList[0]->size(), 2);

    range->setNowList(1, QStringLiteral("64 to 99"));
    EXPECT_EQ(config.m_rangeList[0]->size(), 3);
    range->clearNowList();
    for (const auto& list : config.m_rangeList) {
        EXPECT_TRUE(list->isEmpty());
    }

    // A copy of the holder (a snapshot for revert) does not follow the original.
    range->setNowList(2, QStringLiteral("Not Used"));
    NumRange snapshot = *range;
    range->clearNowList();
    EXPECT_EQ(snapshot.m_nowList[1]->size(), 1);
}

TEST(ChoiceLists, BaudRatePositionsDependOnTheModule) {
    using namespace ChoiceLists;
    EXPECT_EQ(baudRateItems(false).size(), 7);
    EXPECT_FALSE(baudRateItems(false).contains(QStringLiteral("76800bps")));
    EXPECT_EQ(baudRateItems(true).at(6), QStringLiteral("76800bps"));
    EXPECT_EQ(baudRateAt(6, false), 115200);  // a file position 6 from a type-1 module
    EXPECT_EQ(baudRateAt(6, true), 76800);
    EXPECT_EQ(baudRateAt(7, true), 115200);
    EXPECT_EQ(baudRateAt(7, false), std::nullopt);
    EXPECT_EQ(baudRateAt(-1, true), std::nullopt);
    EXPECT_EQ(baudRateIndex(76800, false), std::nullopt);
    EXPECT_EQ(baudRateIndex(9600, false), 2);
    EXPECT_TRUE(offers76800(2));
    EXPECT_FALSE(offers76800(1));
}

TEST(ChoiceLists, ContactIoChannelListsSkipChannel32) {
    using namespace ChoiceLists;
    const QStringList low = loraLowChannelItems();
    ASSERT_EQ(low.size(), 13);
    EXPECT_EQ(low.front(), QStringLiteral("00 (24/25CH)"));
    EXPECT_EQ(low.at(7), QStringLiteral("07 (31/32CH)"));
    EXPECT_EQ(low.at(8), QStringLiteral("08 (33/34CH)"));
    EXPECT_EQ(low.back(), QStringLiteral("0C (37/38CH)"));
    EXPECT_EQ(loraLowChannelAt(7), 31);
    EXPECT_EQ(loraLowChannelAt(8), 33);
    EXPECT_EQ(loraLowChannelIndex(32), std::nullopt);
    EXPECT_EQ(loraLowChannelIndex(37), 12);
    const QStringList high = highChannelItems();
    ASSERT_EQ(high.size(), 28);
    EXPECT_EQ(high.back(), QStringLiteral("1B (60/61CH)"));
    EXPECT_EQ(highChannelIndex(60), 27);
    EXPECT_EQ(highChannelIndex(32), std::nullopt);
    EXPECT_EQ(grpIdItems().back(), QStringLiteral("F"));
    EXPECT_EQ(grpIdAt(15), 115);
}

TEST(ChoiceLists, LocalisedItemsFollowTheTable) {
    using namespace ChoiceLists;
    ScopedCulture en(Testing::kEnglish);
    StringTable st;
    EXPECT_EQ(
        groupItems(st),
        (QStringList{QStringLiteral("None"), QStringLiteral("2 Groups (64 devices)"),
                     QStringLiteral("4 Groups (32 devices)"), QStringLiteral("7 Groups (16 devices)"),
                     QStringLiteral("13 Groups (8 devices)"), QStringLiteral("25 Groups (4 devices)")}));
    EXPECT_EQ(groupItems(st, false).size(), 5);
    EXPECT_EQ(cCheckItems(st), (QStringList{QStringLiteral("None"), QStringLiteral("BCC"),
                                            QStringLiteral("CRC"), QStringLiteral("SUM")}));
    EXPECT_EQ(numRangeItems(st, 4).size(), 14);
    EXPECT_EQ(numRangeItems(st, 4).at(13), QStringLiteral("96 to 99"));
    EXPECT_EQ(numRangeItems(st, 0), QStringList{QStringLiteral("Not Used")});
    EXPECT_EQ(stopBitsAt(1), Tormel::Domain::Common::StopBits::Two);
    EXPECT_EQ(parityAt(3), std::nullopt);
}

// A record read from a unit is shown at the list position its value has; a value no list
// offers (mark parity, 1.5 stop bits, combined handshakes) has no position.
TEST(ChoiceListPositions, RecordValuesFindTheirListPositionAndOthersNone) {
    using namespace Tormel::Domain::Common;
    EXPECT_EQ(ChoiceLists::dataBitsIndex(7), 1);
    EXPECT_EQ(ChoiceLists::parityIndex(Parity::None), 0);
    EXPECT_EQ(ChoiceLists::parityIndex(Parity::Even), 2);
    EXPECT_EQ(ChoiceLists::stopBitsIndex(StopBits::One), 0);
    EXPECT_EQ(ChoiceLists::stopBitsIndex(StopBits::Two), 1);
    EXPECT_EQ(ChoiceLists::flowControlIndex(Handshake::XOnXOff), 1);
    EXPECT_EQ(ChoiceLists::flowControlIndex(Handshake::RequestToSend), 2);
    EXPECT_FALSE(ChoiceLists::dataBitsIndex(6));
    EXPECT_FALSE(ChoiceLists::parityIndex(Parity::Mark));
    EXPECT_FALSE(ChoiceLists::stopBitsIndex(StopBits::OnePointFive));
    EXPECT_FALSE(ChoiceLists::flowControlIndex(Handshake::RequestToSendXOnXOff));
}
