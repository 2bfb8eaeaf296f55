// SPDX-License-Identifier: MIT
// The RS485 unit's read, write and factory reset against the simulated unit on a real
// pseudo-terminal: the exact requests the unit received, and what it holds afterwards.
#include <string>
#include <vector>

#include "LinkTestSupport.h"
#include "sim/Rs485Unit.h"

namespace Pelnix::Test {
namespace {

using namespace Tormel::Domain::Common;
using Strings = std::vector<std::string>;

Strings Concat(std::initializer_list<Strings> parts) {
    Strings all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

class Rs485Command : public LinkTest {
  protected:
    // Finds the unit as the controller would and reads it; the log then starts afresh.
    void ConnectAndRead(SimPty& unit, const Communication& wanted = Line(9600)) {
        UsePorts({unit.PortPath()});
        Command::CommunicationConfig(wanted);
        ASSERT_EQ(Command::ConnectAndRead(), CommandResult::Success) << Command::Result();
        unit.ClearLog();
    }
};

const Strings kConnect = {"~CONNECT?", "~VER?", "~NAME?", "~ALLPARAM?"};

TEST_F(Rs485Command, ReadAsksWhatEachVersionAndModuleGenerationHas) {
    struct Case {
        const char* version;
        bool newer;
        const char* firmware;
        Strings queries;  // after the listing, before the second version query
    };
    const Case cases[] = {
        {"2.0", false, "1.3", {}},
        {"2.1", false, "1.4", {"~NETENCENABLE?"}},
        {"2.4", false, "1.5", {"~NETENCENABLE?"}},
        {"2.5", true, "1.6", {"~NETENCENABLE?", "~AESMODE?"}},
        {"2.6", true, "1.7", {"~NETENCENABLE?", "~AESMODE?", "~WHITE?"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.version) + (c.newer ? " newer" : " older"));
        Sim::UnitState state = Sim::Rs485FactoryState(c.version, c.newer, c.firmware);
        state.line = Line(19200, 8, Parity::Even, StopBits::Two);
        state.rs485.bindType = 2;  // ignored by units without bind types
        state.rs485.groups = {{5, 0xF0, 0x10}};
        state.rs485.eachs = {{12, 3}};
        state.rs485.whitening = 1;
        state.rs485.aesEnable = 2;
        state.rs485.encryptEnable = 2;
        state.rs485.encryptKey[0] = 0xAB;
        SimPty unit(state);
        UsePorts({unit.PortPath()});
        Command::CommunicationConfig(Line(19200, 8, Parity::Even, StopBits::Two));
        Command::m_binding = {};
        Command::m_protocol = {};
        Command::m_nodeinfo = {};
        ASSERT_EQ(Command::ConnectAndRead(), CommandResult::Success) << Command::Result();
        EXPECT_EQ(unit.Requests(), Concat({kConnect, c.queries, {"~VER?"}}));

        const auto& comm = Command::m_communication;
        const auto& node = Command::m_nodeinfo;
        const auto& bind = Command::m_binding;
        EXPECT_EQ(comm.BaudRate, 19200);
        EXPECT_EQ(comm.StopBits, StopBits::Two);
        const bool atLeast2_2 = std::string(c.version) >= "2.2" || c.newer;
        EXPECT_EQ(bind.BindType, atLeast2_2 ? BindingType::Each : BindingType::Group);
        if (atLeast2_2) {
            ASSERT_TRUE(bind.Eachs);
            EXPECT_EQ(*bind.Eachs, (std::vector<BindingEach>{{3, 12}}));
            EXPECT_FALSE(bind.Groups);
        } else {
            ASSERT_TRUE(bind.Groups);
            EXPECT_EQ(*bind.Groups, (std::vector<BindingGroup>{{5, 0xF0, 0x10}}));
            EXPECT_EQ(node.ExtendedGroup, NodeinfoExtendedGroup::Disable);
        }
        EXPECT_EQ(comm.IntfPort, std::string(c.version) >= "2.5" ? 1 : 0);
        EXPECT_EQ(node.WhiteningEnable,
                  c.queries.size() == 3 ? NodeinfoWhiteningEnable::Enable : NodeinfoWhiteningEnable::Disable);
        EXPECT_EQ(node.EncryptKey1, c.newer ? 0u : 0xAB00u);
        EXPECT_EQ(node.EncryptEnable, NodeinfoEncryptEnable::Enable);
        if (!c.queries.empty()) {
            EXPECT_EQ(node.AESEncryptEnable, NodeinfoAESEncryptEnable::Enable);
        }
        EXPECT_EQ(Command::m_protocol.CheckLength, std::string(c.version) <= "2.4" ? 2 : 0);
        Command::Close();
    }
}

TEST_F(Rs485Command, ABadListingEntryFailsTheReadAndTheScanGoesOn) {
    Sim::UnitState state = Sim::Rs485FactoryState("2.6");
    state.rs485.groups = {{1, 0xC0, 0x40}, {5, 0xF0, 0x08}};
    SimPty unit(state);
    UsePorts({unit.PortPath()});
    EXPECT_EQ(Command::ConnectAndRead(), CommandResult::ErrConnect);
    // Both attempts got as far as the listing.
    EXPECT_EQ(unit.Requests(), Concat({kConnect, kConnect}));
}

// Settings that differ from the simulated unit's factory values in every field the write sends.
void LoadSettings() {
    auto& comm = Command::m_communication;
    comm = Line(19200, 8, Parity::Even, StopBits::Two);
    comm.IntfPort = 1;
    auto& node = Command::m_nodeinfo;
    node.IdOffset = 1234;
    node.AESEncryptEnable = NodeinfoAESEncryptEnable::Enable;
    node.AESEncryptType = NodeinfoAESEncryptType::AES256;
    node.AESEncryptKeySetting = NodeinfoAESEncryptKeySetting::Change;
    for (auto field : kAESEncryptKeyFields) node.*field = 0x01A2;
    node.EncryptEnable = NodeinfoEncryptEnable::Enable;
    for (auto field : kEncryptKeyFields) node.*field = 0xBEEF;
    node.ExtendedGroup = NodeinfoExtendedGroup::Enable;
    node.WhiteningEnable = NodeinfoWhiteningEnable::Enable;
    auto& p = Command::m_protocol;
    p.ThroughMode = ProtocolThrough::Time;
    p.SilentChar = 20;
    p.DeviEnable = ProtocolDeviEnable::Fix;
    p.PacketStartCode = 0x41, p.PacketEndCode = 0x42, p.PacketOffset = 2;
    p.Fmt2Enable = ProtocolFmt2Enable::Enable;
    p.PacketStartCode2nd = 0x0A, p.PacketEndCode2nd = 0x0D, p.PacketOffset2nd = 9;
    p.AddressOffset = 99, p.AddressLength = 6, p.AddressFormat = ProtocolFormat::LittleEndian;
    p.AddressOffset2nd = 0, p.AddressLength2nd = 0, p.AddressFormat2nd = ProtocolFormat::BigEndian;
    p.BcastAddr = 65535;
    p.CheckMethod = ProtocolMethod::Crc, p.CheckCode = ProtocolCheckCode::StartCode;
    p.CheckOffset = -99, p.CheckLength = 4, p.CheckFormat = ProtocolFormat::HexadecimalNumber;
    auto& b = Command::m_binding;
    b.BindType = BindingType::Group;
    b.Groups = std::vector<BindingGroup>{{5, 0xF0, 0x10}, {0, 0xFC, 0x60}};
    b.Eachs = std::vector<BindingEach>{{3, 12}, {99, 0}};
}

const Strings kPacketAndAddress = {"~THR=2",      "~SLNT=20",  "~DEVE=3",      "~STX?",        "~ETX?",
                                   "~ETX=0x42,2", "~STX=0x41", "~STX2?",       "~ETX2?",       "~ETX2=0x0D,9",
                                   "~STX2=0x0A",  "~FMT2=2",   "~DEVI=99,6,5", "~DEVI2=0,0,1", "~BCAD=65535"};

std::string Repeat(const std::string& part, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) all += (i ? "," : "") + part;
    return all;
}

TEST_F(Rs485Command, WriteOfANewerUnitWithWhiteningSendsEverythingInOrderAndFollowsTheNewSpeed) {
    SimPty unit(Sim::Rs485FactoryState("2.6", true, "1.7"));
    ConnectAndRead(unit);
    LoadSettings();
    ASSERT_EQ(Command::Write(), CommandResult::Success) << Command::Result();
    const Strings expected =
        Concat({{"~CMDIF?", "~SNCP=1", "~HODR=1234", "~NETENCENABLE=2", "~AESMODE=2",
                 "~ENCKEY=" + Repeat("0x01,0xA2", 16), "~WHITE=1"},
                kPacketAndAddress,
                {"~EGRP=2", "~BTYP?", "~BTYP=1", "~BIND=%", "~BIND=5,0xF0,0x10", "~BIND=0,0xFC,0x60",
                 "~BAUD=3", "~DBIT=1", "~SBIT=2", "~PARI=2", "~INTF=1"}});
    // Every request after the speed change arrived at the unit's new speed: none was ignored.
    EXPECT_EQ(unit.Requests(), expected);
    EXPECT_EQ(Command::m_current.BaudRate, 19200);
    EXPECT_EQ(Command::m_portIF, 1);

    const Sim::UnitState after = unit.State();
    EXPECT_EQ(after.line.BaudRate, 19200);
    EXPECT_EQ(after.line.StopBits, StopBits::Two);
    EXPECT_EQ(after.rs485.autoSync, 1);
    EXPECT_EQ(after.rs485.bcast, 0xFFFF);
    EXPECT_EQ(after.rs485.whitening, 1);

    // Reading the unit back gives the records that were written.
    const Protocol written = Command::m_protocol;
    const Binding binding = Command::m_binding;
    Command::Close();
    Command::m_protocol = {};
    Command::m_binding = {};
    ConnectAndRead(unit, Line(19200, 8, Parity::Even, StopBits::Two));
    Protocol read = Command::m_protocol;
    // Check-code fields exist only up to version 2.4.
    read.CheckMethod = written.CheckMethod, read.CheckCode = written.CheckCode,
    read.CheckOffset = written.CheckOffset;
    read.CheckLength = written.CheckLength, read.CheckFormat = written.CheckFormat;
    EXPECT_EQ(read, written);
    EXPECT_EQ(Command::m_binding.Groups, binding.Groups);
    EXPECT_EQ(Command::m_nodeinfo.IdOffset, 1234u);
    EXPECT_EQ(Command::m_nodeinfo.ExtendedGroup, NodeinfoExtendedGroup::Enable);
    EXPECT_EQ(Command::m_nodeinfo.AESEncryptType, NodeinfoAESEncryptType::AES256);
}

TEST_F(Rs485Command, WriteOfOlderUnitsUsesTheOlderEncryptionCheckCodeAndNoInterface) {
    struct Case {
        const char* version;
        const char* firmware;
        Strings node;  // after the ID offset
        BindingType bindType;
        Strings bindings;  // after the address settings
        Strings check;
    };
    const std::string key = "~ENCR=" + Repeat("0xBE,0xEF", 8);
    const Case cases[] = {
        // 2.0: no bind type, no grouping, no network encryption.
        {"2.0",
         "1.3",
         {"~ENCE=2", key},
         BindingType::Group,
         {"~BIND=%", "~BIND=5,0xF0,0x10", "~BIND=0,0xFC,0x60"},
         {"~CHK=3,2,-99,4,2"}},
        // 2.1: group bindings even where the record says individual.
        {"2.1",
         "1.4",
         {"~NETENCENABLE=2", "~ENCE=2", key},
         BindingType::Each,
         {"~BIND=%", "~BIND=5,0xF0,0x10", "~BIND=0,0xFC,0x60"},
         {"~CHK=3,2,-99,4,2"}},
        {"2.4",
         "1.5",
         {"~NETENCENABLE=2", "~ENCE=2", key},
         BindingType::Each,
         {"~EGRP=2", "~BTYP?", "~BTYP=2", "~BIND=%", "~BIND=12,3", "~BIND=0,99"},
         {"~CHK=3,2,-99,4,2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        SimPty unit(Sim::Rs485FactoryState(c.version, false, c.firmware));
        ConnectAndRead(unit);
        LoadSettings();
        Command::m_binding.BindType = c.bindType;
        ASSERT_EQ(Command::Write(), CommandResult::Success) << Command::Result();
        EXPECT_EQ(unit.Requests(), Concat({{"~HODR=1234"},
                                           c.node,
                                           kPacketAndAddress,
                                           c.bindings,
                                           c.check,
                                           {"~BAUD=3", "~DBIT=1", "~SBIT=2", "~PARI=2"}}));
        EXPECT_EQ(Command::m_portIF, 1);  // not asked below 2.5
        EXPECT_EQ(unit.State().line.BaudRate, 19200);
        Command::Close();
    }
}

TEST_F(Rs485Command, CheckCodeWithoutMethodIsConfirmedByChkIsDisable) {
    // What the form sends for "no check code": the other values as they stand.
    SimPty unit(Sim::Rs485FactoryState("2.4", false, "1.5"));
    ConnectAndRead(unit);
    EXPECT_EQ(Raised([] {
                  Command::SetVerify(ProtocolMethod::None, ProtocolCheckCode::None, 0, 2,
                                     ProtocolFormat::HexadecimalNumber);
              }),
              CommandResult::Success);
    EXPECT_EQ(unit.Requests(), Strings{"~CHK=1,1,0,2,2"});
    // A unit that answers with a method where none was asked for is still refused.
    unit.WrongReplyTo("~CHK", "chk is BCC, stx is included, id offset is 0, length is 2, format is Ascii 16");
    EXPECT_EQ(Raised([] {
                  Command::SetVerify(ProtocolMethod::None, ProtocolCheckCode::None, 0, 2,
                                     ProtocolFormat::HexadecimalNumber);
              }),
              CommandResult::ErrCommand);
    // With a method every value must come back.
    unit.ClearFaults();
    unit.WrongReplyTo("~CHK",
                      "chk is BCC, stx is included, id offset is -1, length is 2, format is Ascii 16");
    EXPECT_EQ(Raised([] {
                  Command::SetVerify(ProtocolMethod::Bcc, ProtocolCheckCode::StartCode, -2, 2,
                                     ProtocolFormat::HexadecimalNumber);
              }),
              CommandResult::ErrCommand);
    EXPECT_EQ(Command::Result(),
              "chk is BCC, stx is included, id offset is -1, length is 2, format is Ascii 16");
}

TEST_F(Rs485Command, MarksAreWrittenInAnOrderTheUnitAccepts) {
    struct Case {
        int curStx, curEtx, curOffset;
        uint8_t stx, etx, offset;
        Strings sent;  // after "~STX?", "~ETX?"
    };
    const Case cases[] = {
        {0x02, 0x03, 0, 0x41, 0x42, 1, {"~ETX=0x42,1", "~STX=0x41"}},
        // The new end mark is the current start mark: start first.
        {0x42, 0x03, 0, 0x41, 0x42, 1, {"~STX=0x41", "~ETX=0x42,1"}},
        // A swap goes through 0xFF with the old trailing count.
        {0x03, 0x02, 4, 0x02, 0x03, 1, {"~ETX=0xFF,4", "~STX=0x02", "~ETX=0x03,1"}},
        // ... or 0xFE when 0xFF is one of the marks, 0xFC when both 0xFF and 0xFE are.
        {0x01, 0xFF, 0, 0xFF, 0x01, 0, {"~ETX=0xFE,0", "~STX=0xFF", "~ETX=0x01,0"}},
        {0xFE, 0xFF, 3, 0xFF, 0xFE, 3, {"~ETX=0xFC,3", "~STX=0xFF", "~ETX=0xFE,3"}},
    };
    SimPty unit(Sim::Rs485FactoryState("2.6"));
    ConnectAndRead(unit);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.stx) + "/" + std::to_string(c.etx));
        Sim::UnitState state = unit.State();
        state.rs485.stx = c.curStx, state.rs485.etx = c.curEtx, state.rs485.offset = c.curOffset;
        unit.ResetUnit(state);
        unit.ClearLog();
        EXPECT_EQ(Raised([&] { Command::SetPacket(c.stx, c.etx, c.offset); }), CommandResult::Success)
            << Command::Result();
        EXPECT_EQ(unit.Requests(), Concat({{"~STX?", "~ETX?"}, c.sent}));
        EXPECT_EQ(unit.State().rs485.stx, c.stx);
        EXPECT_EQ(unit.State().rs485.etx, c.etx);
    }
    // Refused before any exchange: equal marks, the command character, a null mark.
    unit.ClearLog();
    EXPECT_EQ(Raised([] { Command::SetPacket(0x05, 0x05, 0); }), CommandResult::ErrOutOfRange);
    EXPECT_EQ(Raised([] { Command::SetPacket2nd(ProtocolFmt2Enable::Enable, 0x7E, 0x05, 0); }),
              CommandResult::ErrOutOfRange);
    EXPECT_EQ(Raised([] { Command::SetPacket(0x02, 0x00, 0); }), CommandResult::ErrOutOfRange);
    EXPECT_EQ(Raised([] { Command::SetPacket(0x02, 0x03, 10); }), CommandResult::ErrOutOfRange);
    EXPECT_TRUE(unit.Requests().empty());
}

TEST_F(Rs485Command, OutOfRangeValuesStopTheWriteBeforeTheirRequest) {
    SimPty unit(Sim::Rs485FactoryState("2.5", false, "1.5"));
    ConnectAndRead(unit);

    LoadSettings();
    Command::m_communication.DataBits = 7;
    Command::m_communication.Parity = Parity::None;
    EXPECT_EQ(Command::Write(), CommandResult::Err7DataBitNonParity);
    EXPECT_TRUE(unit.Requests().empty());

    LoadSettings();
    Command::m_nodeinfo.IdOffset = 10000;
    EXPECT_EQ(Command::Write(), CommandResult::ErrOutOfRange);
    EXPECT_EQ(unit.Requests(), (Strings{"~CMDIF?", "~SNCP=1"}));

    // 76800 bit/s needs the newer module: everything else is written first.
    unit.ClearLog();
    LoadSettings();
    Command::m_communication.BaudRate = 76800;
    EXPECT_EQ(Command::Write(), CommandResult::ErrOutOfRange);
    const Strings sent = unit.Requests();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), "~BIND=0,0xFC,0x60");

    // A key word beyond 16 bits, a group that is no valid mask/key pair, an individual
    // binding to unit 0.
    EXPECT_EQ(Raised([] {
                  Nodeinfo node;
                  node.EncryptKey8 = 0x10000;
                  Command::SetEncryptKey(node);
              }),
              CommandResult::ErrOutOfRange);
    EXPECT_EQ(Raised([] { Command::SetBindGroupEntry(5, 0xF0, 0x08); }), CommandResult::ErrOutOfRange);
    EXPECT_EQ(Raised([] { Command::SetBindEachEntry(0, 5); }), CommandResult::ErrOutOfRange);
    EXPECT_EQ(Raised([] { Command::SetSilentChar(3); }), CommandResult::ErrOutOfRange);
    EXPECT_EQ(unit.Requests().back(), "~BIND=0,0xFC,0x60");

    // A confirmation that gives back another value fails the write; the line is kept.
    unit.WrongReplyTo("~BCAD", "broadcast address is 0xFFFE");
    LoadSettings();
    EXPECT_EQ(Command::Write(), CommandResult::ErrCommand);
    EXPECT_EQ(Command::Result(), "broadcast address is 0xFFFE");
}

TEST_F(Rs485Command, SevenBitsEvenOverUartReopensOnlyWhenTheParityArrives) {
    Sim::UnitState state = Sim::Rs485FactoryState("2.5", true, "1.6");
    SimPty unit(state);
    ConnectAndRead(unit);
    LoadSettings();
    Command::m_communication = Line(9600, 7, Parity::Even, StopBits::One);
    Command::m_communication.IntfPort = 1;
    TraceRecord trace;
    trace.Attach();
    ASSERT_EQ(Command::Write(), CommandResult::Success) << Command::Result();
    // Data bits: 7N in m_current, no reopen. Stop bits: unchanged. Parity: reopen at 7E.
    // The interface port always brings the PC side along.
    const auto opened = trace.Events("opened ");
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_EQ(Command::m_current.DataBits, 7);
    EXPECT_EQ(Command::m_current.Parity, Parity::Even);
    const Strings sent = unit.Requests();
    EXPECT_EQ(Strings(sent.end() - 4, sent.end()), (Strings{"~DBIT=2", "~SBIT=1", "~PARI=2", "~INTF=1"}));
}

TEST_F(Rs485Command, LineChangesOverUsbNeverReopen) {
    Sim::UnitState state = Sim::Rs485FactoryState("2.6");
    state.rs485.cmdIf = 2;
    SimPty unit(state);
    ConnectAndRead(unit);
    TraceRecord trace;
    trace.Attach();
    ASSERT_EQ(Raised([] { Command::GetCmdIF(); }), CommandResult::Success);
    EXPECT_EQ(Command::m_portIF, 2);
    ASSERT_EQ(Raised([] { Command::SetBaudRate(19200); }), CommandResult::Success);
    EXPECT_TRUE(trace.Events("opened ").empty());
    EXPECT_EQ(Command::m_current.BaudRate, 19200);
    // The unit still understands the unchanged PC side over USB.
    EXPECT_EQ(Raised([] { Command::SetIdOffset(5); }), CommandResult::Success);
}

TEST_F(Rs485Command, IndividualBindingsGoNodeFirst) {
    SimPty unit(Sim::Rs485FactoryState("2.6"));
    ConnectAndRead(unit);
    Command::m_binding.Eachs = std::vector<BindingEach>{{3, 12}};
    EXPECT_EQ(Raised([] { Command::SetBind(BindingType::Each); }), CommandResult::Success);
    EXPECT_EQ(unit.Requests(), (Strings{"~BIND=%", "~BIND=12,3"}));
    ASSERT_EQ(unit.State().rs485.eachs.size(), 1u);
    EXPECT_EQ(unit.State().rs485.eachs[0].unitId, 3);
}

TEST_F(Rs485Command, AesKeyIsReplacedResetOrLeftAsTheSettingSays) {
    SimPty unit(Sim::Rs485FactoryState("2.6"));
    ConnectAndRead(unit);
    struct Case {
        NodeinfoAESEncryptEnable enable;
        NodeinfoAESEncryptKeySetting setting;
        Strings sent;
    };
    const Case cases[] = {
        {NodeinfoAESEncryptEnable::Enable,
         NodeinfoAESEncryptKeySetting::Init,
         {"~NETENCENABLE=2", "~AESMODE=1", "~ENCREST="}},
        {NodeinfoAESEncryptEnable::Enable,
         NodeinfoAESEncryptKeySetting::NotChange,
         {"~NETENCENABLE=2", "~AESMODE=1"}},
        // Without encryption neither the key length nor the key is touched.
        {NodeinfoAESEncryptEnable::Disable, NodeinfoAESEncryptKeySetting::Change, {"~NETENCENABLE=1"}},
    };
    for (const auto& c : cases) {
        unit.ClearLog();
        Nodeinfo node;
        node.AESEncryptEnable = c.enable;
        node.AESEncryptType = NodeinfoAESEncryptType::AES128;
        node.AESEncryptKeySetting = c.setting;
        EXPECT_EQ(Raised([&] { Command::SetAESEncrypt(node); }), CommandResult::Success) << Command::Result();
        EXPECT_EQ(unit.Requests(), c.sent);
    }
    // The key's answer is not compared, but it must come.
    unit.SilentOn("~ENCKEY");
    Nodeinfo node;
    node.AESEncryptEnable = NodeinfoAESEncryptEnable::Enable;
    node.AESEncryptType = NodeinfoAESEncryptType::AES128;
    node.AESEncryptKeySetting = NodeinfoAESEncryptKeySetting::Change;
    EXPECT_EQ(Raised([&] { Command::SetAESEncrypt(node); }), CommandResult::ErrConnect);
}

TEST_F(Rs485Command, FactoryResetPerGenerationAndReopenOverUart) {
    struct Case {
        const char* version;
        bool newer;
        const char* firmware;
        Strings sent;
    };
    const Case cases[] = {
        {"2.6", true, "1.7", {"~NETENCENABLE=1", "~ENCREST=", "~INIT="}},
        {"2.4", false, "1.5", {"~NETENCENABLE=1", "~INIT="}},
        {"2.0", false, "1.3", {"~INIT="}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        Sim::UnitState factory = Sim::Rs485FactoryState(c.version, c.newer, c.firmware);
        SimPty unit(factory);
        ConnectAndRead(unit);
        ASSERT_EQ(Raised([] { Command::SetIdOffset(77); }), CommandResult::Success);
        unit.ClearLog();
        Command::m_portIF = 1;  // as a previous write over the UART leaves it
        TraceRecord trace;
        trace.Attach();
        ASSERT_EQ(Command::InitWrite(), CommandResult::Success) << Command::Result();
        EXPECT_EQ(unit.Requests(), c.sent);
        EXPECT_EQ(trace.Events("opened ").size(), 1u);
        EXPECT_EQ(unit.State().rs485.idOffset, 0);
        Command::Close();
    }
}

TEST_F(Rs485Command, BaudRateChangeReopensAfterHalfASecondAtRealTiming) {
    Command::Timing() = CommandTiming{};
    SimPty unit(Sim::Rs485FactoryState("2.6"));
    OpenOn(unit.PortPath(), Line(9600));
    Command::m_nodeinfo.SoftwareName = unit.State().name;
    Command::m_nodeinfo.SoftwareVersion = unit.State().version;
    Command::m_portIF = 1;
    ASSERT_EQ(Raised([] {
                  Command::SetBaudRate(115200);
                  Command::SetDataBits(8);
              }),
              CommandResult::Success);
    EXPECT_EQ(unit.Requests(), (Strings{"~BAUD=6", "~DBIT=1"}));
    // Between the speed request and the next one lie the 100 ms pause after the reply and the
    // 500 ms before reopening. Measured from the request, which the unit logs as it arrives:
    // its reply is logged only after it was written, so the tool may already be waiting then.
    const auto log = unit.Log();
    std::chrono::steady_clock::time_point speed{}, next{};
    for (const auto& entry : log) {
        if (entry.kind == Sim::LogKind::Request && entry.line == "~BAUD=6") speed = entry.time;
        if (entry.kind == Sim::LogKind::Request && entry.line == "~DBIT=1") next = entry.time;
    }
    EXPECT_GE(next - speed, std::chrono::milliseconds(600));
    EXPECT_EQ(unit.State().line.BaudRate, 115200);
}

}  // namespace
}  // namespace Pelnix::Test
