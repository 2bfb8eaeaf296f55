// SPDX-License-Identifier: MIT
// Unit records to the settings document and back, as a read unit's values reach the form and
// go out again with the next write.
#include <gtest/gtest.h>

#include "settings/Rs485Records.h"

namespace {

using namespace Tormel::Domain::Common;
using Tormel::Gui::Msg;
namespace R = Tormel::Gui::Rs485Records;

struct UnitCase {
    const char* what;
    std::string version;
    int32_t baud;
    bool with76800;
    Binding bind;
};

Nodeinfo sampleNode(const std::string& version) {
    Nodeinfo node;
    node.SoftwareName = "Tarvic2(920MHz) TX-910A Ver1.7";
    node.SoftwareVersion = version;
    node.IdOffset = 120;
    node.AutoParamSyncEnable = NodeinfoAutoParamSyncEnable::Disable;
    node.ExtendedGroup = NodeinfoExtendedGroup::Enable;
    node.AESEncryptEnable = NodeinfoAESEncryptEnable::Disable;
    node.AESEncryptType = NodeinfoAESEncryptType::AES128;
    node.AESEncryptKeySetting = NodeinfoAESEncryptKeySetting::NotChange;
    node.EncryptEnable = NodeinfoEncryptEnable::Enable;
    node.EncryptKey1 = 0xAB;
    node.EncryptKey8 = 0xFFFF;
    node.WhiteningEnable = NodeinfoWhiteningEnable::Enable;
    return node;
}

Protocol sampleProtocol() {
    Protocol p;
    p.ThroughMode = ProtocolThrough::Mark;
    p.SilentChar = 12;
    p.Fmt2Enable = ProtocolFmt2Enable::Enable;
    p.PacketStartCode = 0x3A;
    p.PacketEndCode = 0x0A;
    p.PacketOffset = 1;
    p.PacketStartCode2nd = 0x02;
    p.PacketEndCode2nd = 0x03;
    p.DeviEnable = ProtocolDeviEnable::Enable;
    p.AddressOffset = 1;
    p.AddressLength = 2;
    p.AddressFormat = ProtocolFormat::HexadecimalNumber;
    p.AddressFormat2nd = ProtocolFormat::BigEndian;
    p.BcastAddr = 0xFF;
    p.CheckMethod = ProtocolMethod::Crc;
    p.CheckCode = ProtocolCheckCode::StartCode;
    p.CheckOffset = -3;
    p.CheckLength = 2;
    p.CheckFormat = ProtocolFormat::LittleEndian;
    return p;
}

TEST(Rs485Records, UnitValuesSurviveTheFormForEveryGeneration) {
    const Binding fourGroups{BindingType::Group, std::vector<BindingGroup>{{5, 0xE0, 0x20}, {7, 0xE0, 0x60}},
                             std::vector<BindingEach>{}};
    const Binding each{BindingType::Each, std::vector<BindingGroup>{},
                       std::vector<BindingEach>{{1, 12}, {99, 0}}};
    const Binding twentyFive{BindingType::Group, std::vector<BindingGroup>{{3, 0xFC, 0x04}, {9, 0xFC, 0x60}},
                             std::vector<BindingEach>{}};
    const UnitCase cases[] = {
        {"2.1 at 9600, by groups", "2.1", 9600, false, fourGroups},
        {"2.4 at 115200 on a list without 76800", "2.4", 115200, false, each},
        {"2.6 at 76800", "2.6", 76800, true, twentyFive},
        {"newer generation at 115200", "3.0", 115200, true, fourGroups},
    };
    for (const UnitCase& c : cases) {
        SCOPED_TRACE(c.what);
        const Communication comm{c.baud, 7, Parity::Even, StopBits::Two, 0, 2, Handshake::None};
        const Nodeinfo node = sampleNode(c.version);
        const Protocol prot = sampleProtocol();
        const R::FromRecords from =
            R::configFromRecords(comm, node, prot, &c.bind, c.with76800, Msg::ReadFailed);
        ASSERT_TRUE(from.config.has_value());
        const auto& cfg = *from.config;
        EXPECT_EQ(cfg.m_encryptKey[0], QStringLiteral("00AB"));
        EXPECT_EQ(cfg.m_pStartCode, QStringLiteral("3A"));
        EXPECT_EQ(R::communication(cfg, c.with76800), comm);
        EXPECT_EQ(R::nodeinfo(cfg, 1, false, node), node);
        EXPECT_EQ(R::protocol(cfg), prot);
        const Binding back = R::binding(cfg);
        EXPECT_EQ(back.BindType, c.bind.BindType);
        if (c.bind.BindType == BindingType::Group) {
            EXPECT_EQ(back.Groups, c.bind.Groups);
        } else {
            EXPECT_EQ(back.Eachs, c.bind.Eachs);
        }
    }
}

TEST(Rs485Records, ValuesTheFormCannotShowAbandonTheRead) {
    const Nodeinfo node = sampleNode("2.6");
    const Protocol prot = sampleProtocol();
    Protocol badCode = prot;
    badCode.CheckOffset = 100;
    const Communication at76800{76800, 8, Parity::None, StopBits::One, 0, 1, Handshake::None};
    const Communication odd{31250, 8, Parity::None, StopBits::One, 0, 1, Handshake::None};
    const Communication noPort{9600, 8, Parity::None, StopBits::One, 0, 0, Handshake::None};
    const Binding mixed{BindingType::Group, std::vector<BindingGroup>{{1, 0xE0, 0x20}, {2, 0xF0, 0x10}}, {}};
    const Binding twice{BindingType::Group, std::vector<BindingGroup>{{1, 0xE0, 0x20}, {2, 0xE0, 0x20}}, {}};
    const Binding tooMany{
        BindingType::Group, std::vector<BindingGroup>{{1, 0xC0, 0x00}, {2, 0xC0, 0x40}, {3, 0xC0, 0x80}}, {}};
    const Binding fine{BindingType::Group, std::vector<BindingGroup>{}, {}};
    struct Case {
        const char* what;
        Communication comm;
        Protocol prot;
        Binding bind;
        Msg failure;
    } const cases[] = {
        {"76800 where the list lacks it", at76800, prot, fine, Msg::Baud76800NotSupported},
        {"a rate no unit has", odd, prot, fine, Msg::ReadFailed},
        {"check offset out of range",
         {9600, 8, Parity::None, StopBits::One, 0, 1, Handshake::None},
         badCode,
         fine,
         Msg::ReadFailed},
        {"no interface port", noPort, prot, fine, Msg::ReadFailed},
        {"mixed masks", at76800, prot, mixed, Msg::ReadFailed},
        {"one key twice", at76800, prot, twice, Msg::ReadFailed},
        {"more groups than the mask has", at76800, prot, tooMany, Msg::ReadFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const R::FromRecords from =
            R::configFromRecords(c.comm, node, c.prot, &c.bind, false, Msg::ReadFailed);
        EXPECT_FALSE(from.config.has_value());
        EXPECT_EQ(from.failure, c.failure);
    }
    // An older image holds no interface port; where that is allowed it reads as RS485.
    const R::FromRecords image = R::configFromRecords(noPort, node, prot, nullptr, true, Msg::ReadFailed,
                                                      Tormel::Gui::ChoiceLists::InterfacePort::MayBeAbsent);
    ASSERT_TRUE(image.config.has_value());
    EXPECT_EQ(image.config->m_intfport, 0);
}

TEST(Rs485Records, NoVerificationWritesWhatTheUnitReportsBack) {
    Tormel::Gui::ApplicationConfig cfg;
    cfg.m_cCheck = 0;
    cfg.m_cOffset = QStringLiteral("5");
    cfg.m_cLength = QStringLiteral("4");
    cfg.m_cForm = 3;
    cfg.m_cStartCode = true;
    const Protocol p = R::protocol(cfg);
    EXPECT_EQ(p.CheckMethod, ProtocolMethod::None);
    EXPECT_EQ(p.CheckCode, ProtocolCheckCode::None);
    EXPECT_EQ(p.CheckOffset, 0);
    EXPECT_EQ(p.CheckLength, 2);
    EXPECT_EQ(p.CheckFormat, ProtocolFormat::DecimalNumber);
}

}  // namespace
