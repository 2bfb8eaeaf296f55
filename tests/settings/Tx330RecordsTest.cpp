// SPDX-License-Identifier: MIT
// The contact-I/O unit's records and the form's lists: channels, group clamp and the serial
// part of what a unit reports.
#include <gtest/gtest.h>

#include "settings/Tx330Records.h"

using namespace Tormel::Gui;
using namespace Tormel::Gui::Tx330Records;
namespace Common = Tormel::Domain::Common;

TEST(Tx330Records, ChannelsAndGroupIdsMapBetweenStoreAndLists) {
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

TEST(Tx330Records, UnitRecordsTheFormCannotShowAreRefused) {
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

    // A configuration's own records carry no port; where that is allowed they convert back.
    const auto own =
        configFromRecords(communicationOf(*config), {}, {}, {}, ChoiceLists::InterfacePort::MayBeAbsent);
    ASSERT_TRUE(own);
    EXPECT_EQ(own->m_intfport, 0);
    EXPECT_EQ(own->m_baudrate, 6);
    Common::Communication unknownPort = good;
    unknownPort.IntfPort = 3;
    EXPECT_FALSE(configFromRecords(unknownPort, {}, {}, {}, ChoiceLists::InterfacePort::MayBeAbsent));
}

TEST(Tx330Records, RadioAndContactFieldsEachGoToTheirOwnRecordFieldAndBack) {
    // Every field a value no other field has, so a field written to a neighbour's place shows.
    const Common::Wirelessinfo radio{Common::WirelessinfoChMode::CH33to60, Common::WirelessinfoOpMode::LoRa,
                                     Common::WirelessinfoCh::CH45, Common::WirelessinfoNodeId{7},
                                     Common::WirelessinfoGrpId{1234}};
    const Common::Didoinfo contacts{
        Common::DidoinfoDoBind::DI3,      Common::DidoinfoDoBind::DI1,    Common::DidoinfoDoBind::DI2,
        Common::DidoinfoDoInvert::INVERT, Common::DidoinfoDoInvert{0},    Common::DidoinfoDoInvert{5},
        Common::DidoinfoDoOffDelay{1100}, Common::DidoinfoDoOnDelay{900}, Common::DidoinfoDoKeepTime{600},
        Common::DidoinfoDoKeepSignal::ON, Common::DidoinfoDiDelay{42}};
    const Common::Communication comm{9600, 8, Common::Parity::None,   Common::StopBits::One,
                                     0,    1, Common::Handshake::None};
    const auto config = configFromRecords(comm, {}, radio, contacts);
    ASSERT_TRUE(config);
    const std::pair<int32_t, int32_t> stored[] = {
        {config->m_ChMode, 1},      {config->m_OpMode, 1},       {config->m_Ch, 45},
        {config->m_NodeId, 7},      {config->m_GrpId, 1234},     {config->m_Do1Bind, 2},
        {config->m_Do2Bind, 0},     {config->m_Do3Bind, 1},      {config->m_Do1Invert, 1},
        {config->m_Do2Invert, 0},   {config->m_Do3Invert, 5},    {config->m_DoOffDelay, 1100},
        {config->m_DoOnDelay, 900}, {config->m_DoKeepTime, 600}, {config->m_DoKeepSig, 1},
        {config->m_DoDiDelay, 42},
    };
    for (std::size_t i = 0; i < std::size(stored); ++i) {
        EXPECT_EQ(stored[i].first, stored[i].second) << "field " << i;
    }
    EXPECT_EQ(wirelessOf(*config), radio);
    EXPECT_EQ(didoOf(*config), contacts);
}
