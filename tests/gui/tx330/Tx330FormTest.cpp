// SPDX-License-Identifier: MIT
// The contact-I/O form's rules without widgets: number boxes, leave rules, channel lists,
// group clamp and the serial part of a unit's records.
#include <gtest/gtest.h>

#include "gui/tx330/Tx330Form.h"

using namespace Tormel::Gui;
using namespace Tormel::Gui::Tx330Form;
namespace Common = Tormel::Domain::Common;

TEST(Tx330Form, NumberBoxesNeverReadEmptyOrPastedTextAsZero) {
    struct Case {
        const char* text;
        std::optional<int32_t> whole;
        std::optional<int32_t> tenths;
    };
    const Case cases[] = {
        {"", std::nullopt, std::nullopt},
        {"12", 12, 120},
        {"0", 0, 0},
        {"1a", std::nullopt, std::nullopt},
        {" 5", std::nullopt, std::nullopt},
        {"-3", std::nullopt, std::nullopt},
        {"2.75", std::nullopt, 28},
        {"2.74", std::nullopt, 27},
        {"2.7", std::nullopt, 27},
        {".5", std::nullopt, 5},
        {"3.", std::nullopt, 30},
        {".", std::nullopt, std::nullopt},
        {"1.2.3", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromLatin1(c.text);
        EXPECT_EQ(wholeNumber(text), c.whole) << c.text;
        EXPECT_EQ(diDelayTenths(text), c.tenths) << c.text;
    }
}

TEST(Tx330Form, LeavingTheDelayBoxesKeepsValuesTheUnitTakes) {
    const std::pair<const char*, const char*> awt[] = {
        {"125", "120"}, {"7", "0"}, {"300", "250"}, {"250", "250"}, {"", "0"}, {"1x", "0"}, {"40", "40"},
    };
    for (const auto& [typed, left] : awt) {
        EXPECT_EQ(leaveAwtText(QString::fromLatin1(typed)), QString::fromLatin1(left)) << typed;
    }
    const std::pair<const char*, const char*> di[] = {
        {"2.75", "2.7"}, {"12", "10.0"},   {"", "0.0"},     {".", "0.0"},
        {"3", "3.0"},    {"10.0", "10.0"}, {"9.99", "9.9"},
    };
    for (const auto& [typed, left] : di) {
        EXPECT_EQ(leaveDiDelayText(QString::fromLatin1(typed)), QString::fromLatin1(left)) << typed;
    }
    EXPECT_EQ(diDelayText(27), QStringLiteral("2.7"));
    EXPECT_EQ(diDelayText(100), QStringLiteral("10.0"));
}

TEST(Tx330Form, ChannelsAndGroupIdsMapBetweenStoreAndLists) {
    struct Case {
        int32_t opMode, chMode, ch;
        ChannelButton button;
        int32_t index;
        int32_t writtenCh;  // after storing the shown selection again
    };
    const Case cases[] = {
        {0, 1, 33, ChannelButton::Fsk, 0, 33},      {0, 1, 60, ChannelButton::Fsk, 27, 60},
        {1, 0, 24, ChannelButton::LoRaLow, 0, 24},  {1, 0, 31, ChannelButton::LoRaLow, 7, 31},
        {1, 0, 32, ChannelButton::LoRaLow, 8, 33},  // the list offers no channel 32
        {1, 0, 37, ChannelButton::LoRaLow, 12, 37}, {1, 1, 45, ChannelButton::LoRaHigh, 12, 45},
    };
    for (const Case& c : cases) {
        const auto shown = channelSelectionOf(c.opMode, c.chMode, c.ch);
        ASSERT_TRUE(shown) << c.ch;
        EXPECT_EQ(shown->button, c.button) << c.ch;
        EXPECT_EQ(shown->index, c.index) << c.ch;
        const ChannelSetting stored = channelSettingOf(*shown);
        EXPECT_EQ(stored.ch, c.writtenCh) << c.ch;
        EXPECT_EQ(stored.opMode, c.opMode) << c.ch;
    }
    EXPECT_FALSE(channelSelectionOf(2, 1, 40));
    for (const auto& [stored, shown] : {std::pair{99, 100}, {130, 115}, {0, 100}, {107, 107}}) {
        EXPECT_EQ(clampedGroupId(stored), shown) << stored;
    }
}

TEST(Tx330Form, UnitRecordsTheFormCannotShowAreRefused) {
    const Common::Communication good{76800, 8, Common::Parity::Even,   Common::StopBits::Two,
                                     25,    1, Common::Handshake::None};
    const auto config = configFromRecords(good, {}, {}, {});
    ASSERT_TRUE(config);
    EXPECT_EQ(config->m_baudrate, 6);
    EXPECT_EQ(config->m_parity, 2);
    EXPECT_EQ(config->m_stopbits, 1);
    EXPECT_EQ(config->m_awt, 25);
    EXPECT_EQ(communicationOf(*config),
              (Common::Communication{76800, 8, Common::Parity::Even, Common::StopBits::Two, 25, 0,
                                     Common::Handshake::None}));

    auto with = [&](auto change) {
        Common::Communication c = good;
        change(c);
        return configFromRecords(c, {}, {}, {}).has_value();
    };
    EXPECT_FALSE(with([](auto& c) { c.Awt = 26; }));
    EXPECT_FALSE(with([](auto& c) { c.BaudRate = 1200; }));
    EXPECT_FALSE(with([](auto& c) { c.IntfPort = 0; }));
    EXPECT_FALSE(with([](auto& c) { c.Parity = Common::Parity::Mark; }));
    EXPECT_TRUE(with([](auto& c) { c.IntfPort = 2; }));
}
