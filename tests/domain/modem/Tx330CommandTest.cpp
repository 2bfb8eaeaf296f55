// SPDX-License-Identifier: MIT
// The contact-I/O unit's read, write and factory reset against the simulated unit on a real
// pseudo-terminal: the exact requests the unit received, and what it holds afterwards.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "LinkTestSupport.h"
#include "domain/modem/TX330Command.h"
#include "domain/modem/TX330DidoCommand.h"
#include "domain/modem/TX330WirelessCommand.h"
#include "sim/Tx330Unit.h"

namespace Pelnix::Test {
namespace {

using namespace Tormel::Domain::Common;
using Tormel::Domain::Modem::DidoCommand;
using Tormel::Domain::Modem::TX330Command;
using Tormel::Domain::Modem::WirelessCommand;
using Strings = std::vector<std::string>;

const Strings kReadAll = {"~ALLPARAM?", "~NETENCENABLE?", "~AWT?",  "~AESMODE?",    "~BINDDO?",  "~CONTACT?",
                          "~OFFDELAY?", "~ONDELAY?",      "~KEEP?", "~KEEPSIGNAL?", "~DIDELAY?", "~CHMODE?",
                          "~OPMODE?",   "~CH?",           "~ID?",   "~GRP?"};

Strings Concat(Strings a, const Strings& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A unit whose every setting differs from the zero-filled records and from the factory.
Sim::UnitState ConfiguredUnit() {
    Sim::UnitState state = Sim::Tx330FactoryState();
    auto& s = state.tx330;
    s.bind[0] = 3, s.bind[1] = 1, s.bind[2] = 2;
    s.invert[0] = 1, s.invert[1] = 0, s.invert[2] = 1;
    s.offDelay = 1200;
    s.onDelay = 7;
    s.keepTime = 3600;
    s.keepSignal = 1;
    s.diDelayTenths = 23;
    s.awtMs = 255;
    s.chMode = 0;
    s.opMode = 1;
    s.ch = 30;
    s.nodeId = 99;
    s.grpId = 65534;
    s.aesEnable = 2;
    s.aesMode = 2;
    state.line = Line(19200, 8, Parity::Even);
    state.line.IntfPort = 2;
    return state;
}

// The settings a technician would write: every field away from the unit's factory values.
struct Settings {
    Communication line = Line(19200, 8, Parity::Even, StopBits::Two);
    Nodeinfo node{};
    Didoinfo dido{DidoinfoDoBind::DI3,      DidoinfoDoBind::DI1,         DidoinfoDoBind::DI2,
                  DidoinfoDoInvert::INVERT, DidoinfoDoInvert::NONINVERT, DidoinfoDoInvert::INVERT,
                  DidoinfoDoOffDelay{1200}, DidoinfoDoOnDelay{7},        DidoinfoDoKeepTime{30},
                  DidoinfoDoKeepSignal::ON, DidoinfoDiDelay{23}};
    Wirelessinfo radio{WirelessinfoChMode::CH24to37, WirelessinfoOpMode::LoRa, WirelessinfoCh{30},
                       WirelessinfoNodeId{99}, WirelessinfoGrpId{65534}};

    Settings() {
        line.Awt = 12;
        node.AESEncryptEnable = NodeinfoAESEncryptEnable::Enable;
        node.AESEncryptType = NodeinfoAESEncryptType::AES256;
        node.AESEncryptKeySetting = NodeinfoAESEncryptKeySetting::Change;
        for (int i = 0; i < 16; ++i)
            node.*kAESEncryptKeyFields[i] = static_cast<uint32_t>(((2 * i + 1) << 8) | (2 * i + 2));
    }
    void Load() const {
        TX330Command::m_communication = line;
        TX330Command::m_nodeinfo.AESEncryptEnable = node.AESEncryptEnable;
        TX330Command::m_nodeinfo.AESEncryptType = node.AESEncryptType;
        TX330Command::m_nodeinfo.AESEncryptKeySetting = node.AESEncryptKeySetting;
        for (auto field : kAESEncryptKeyFields) TX330Command::m_nodeinfo.*field = node.*field;
        DidoCommand::DidoinfoConfig(dido);
        WirelessCommand::WirelessinfoConfig(radio);
    }
};

// The key bytes 0x01 ... 0x20, as the unit must receive them.
std::string KeyRequest() {
    std::string request = "~ENCKEY=";
    for (int i = 1; i <= 32; ++i) {
        char byte[8];
        std::snprintf(byte, sizeof byte, "0x%02X", i);
        request += (i > 1 ? "," : "") + std::string(byte);
    }
    return request;
}

Strings Ignored(const SimPty& unit) {
    Strings lines;
    for (const auto& entry : unit.Log())
        if (entry.kind == Sim::LogKind::Ignored) lines.push_back(entry.line);
    return lines;
}

class Tx330Link : public LinkTest {
  protected:
    void SetUp() override {
        LinkTest::SetUp();
        TX330Command::m_NameSoft.clear();
        DidoCommand::m_didoinfo = {};
        WirelessCommand::m_wirelessinfo = {};
        m_trace.Attach();
    }

    // Finds the unit at 9600 8N1 and forgets the handshake, as a connected window would.
    void ConnectTo(SimPty& unit) {
        UsePorts({unit.PortPath()});
        ASSERT_EQ(TX330Command::Connect(), CommandResult::Success);
        unit.ClearLog();
        m_trace.Clear();
    }

    TraceRecord m_trace;
};

TEST_F(Tx330Link, ConnectAndReadFillsEveryRecordFromTheUnit) {
    SimPty unit(ConfiguredUnit());
    UsePorts({unit.PortPath()});
    Command::CommunicationConfig(Line(19200, 8, Parity::Even));

    ASSERT_EQ(TX330Command::ConnectAndRead(), CommandResult::Success);
    // No version query for this unit; the whole read at the caller's settings.
    EXPECT_EQ(unit.Requests(), Concat({"~CONNECT?", "~NAME?"}, kReadAll));
    EXPECT_EQ(TX330Command::m_NameSoft, "Brenlow TX-330 Ver1.2");
    EXPECT_EQ(TX330Command::m_nodeinfo.SoftwareName, "Brenlow TX-330 Ver1.2");

    const Communication line = TX330Command::m_communication;
    EXPECT_EQ(line.BaudRate, 19200);
    EXPECT_EQ(line.Parity, Parity::Even);
    EXPECT_EQ(line.DataBits, 8);
    EXPECT_EQ(line.StopBits, StopBits::One);
    EXPECT_EQ(line.IntfPort, 2);
    EXPECT_EQ(line.Awt, 25);  // 255 ms
    EXPECT_EQ(TX330Command::m_nodeinfo.AESEncryptEnable, NodeinfoAESEncryptEnable::Enable);
    EXPECT_EQ(TX330Command::m_nodeinfo.AESEncryptType, NodeinfoAESEncryptType::AES256);

    const Didoinfo expectDido{DidoinfoDoBind::DI3,      DidoinfoDoBind::DI1,         DidoinfoDoBind::DI2,
                              DidoinfoDoInvert::INVERT, DidoinfoDoInvert::NONINVERT, DidoinfoDoInvert::INVERT,
                              DidoinfoDoOffDelay{1200}, DidoinfoDoOnDelay{7},        DidoinfoDoKeepTime{3600},
                              DidoinfoDoKeepSignal::ON, DidoinfoDiDelay{23}};
    EXPECT_EQ(DidoCommand::DidoinfoConfig(), expectDido);
    const Wirelessinfo expectRadio{WirelessinfoChMode::CH24to37, WirelessinfoOpMode::LoRa, WirelessinfoCh{30},
                                   WirelessinfoNodeId{99}, WirelessinfoGrpId{65534}};
    EXPECT_EQ(WirelessCommand::WirelessinfoConfig(), expectRadio);
}

TEST_F(Tx330Link, AReadThatFailsHalfwayIsAFailedAttempt) {
    SimPty unit(Sim::Tx330FactoryState());
    UsePorts({unit.PortPath()});
    unit.WrongReplyTo("~KEEP?", "keep");  // too short for the keep time's position

    EXPECT_EQ(TX330Command::ConnectAndRead(), CommandResult::ErrConnect);
    EXPECT_FALSE(m_port->IsOpen());
    // Both attempts got as far as the keep time, and no further.
    const Strings requests = unit.Requests();
    EXPECT_EQ(std::count(requests.begin(), requests.end(), "~KEEP?"), 2);
    EXPECT_EQ(std::count(requests.begin(), requests.end(), "~KEEPSIGNAL?"), 0);
}

TEST_F(Tx330Link, ConnectWantsTheFamilyWordAtTheStartOfTheName) {
    struct Row {
        std::string name;
        CommandResult result;
    };
    for (const Row& row :
         {Row{"Brenlow TX-330 Ver1.2", CommandResult::Success}, Row{"Brenlow", CommandResult::Success},
          Row{"TX-330 Brenlow Ver1.2", CommandResult::ErrUnsupported},
          Row{"Tarvic2(920MHz) TX-910A Ver1.7", CommandResult::ErrUnsupported}}) {
        Sim::UnitState state = Sim::Tx330FactoryState();
        state.name = row.name;
        SimPty unit(state);
        UsePorts({unit.PortPath()});
        EXPECT_EQ(TX330Command::Connect(), row.result) << row.name;
        EXPECT_EQ(unit.Requests(), (Strings{"~CONNECT?", "~NAME?"})) << row.name;
        EXPECT_EQ(TX330Command::m_NameSoft, row.name);
        Command::Close();
    }
}

TEST_F(Tx330Link, WriteSendsEverySettingInOrderAndTheUnitTakesThem) {
    SimPty unit(Sim::Tx330FactoryState());
    ConnectTo(unit);
    Settings settings;
    settings.Load();

    ASSERT_EQ(TX330Command::Write(), CommandResult::Success) << Command::Result();
    EXPECT_EQ(unit.Requests(),
              (Strings{"~CMDIF?",       "~SNCP=1",        "~NETENCENABLE=2", "~AESMODE=2", KeyRequest(),
                       "~BINDDO=3,1,2", "~CONTACT=1,0,1", "~OFFDELAY=1200",  "~ONDELAY=7", "~KEEP=30",
                       "~KEEPSIGNAL=1", "~DIDELAY=23",    "~CHMODE=0",       "~OPMODE=1",  "~CH=30",
                       "~GRP=65534",    "~ID=99",         "~BAUD=3",         "~DBIT=1",    "~SBIT=2",
                       "~PARI=2",       "~AWT=12"}));
    // Every request after a line change went out at the unit's new settings.
    EXPECT_TRUE(Ignored(unit).empty());
    EXPECT_EQ(Command::m_portIF, 1);

    const Sim::UnitState after = unit.State();
    EXPECT_EQ(after.line.BaudRate, 19200);
    EXPECT_EQ(after.line.StopBits, StopBits::Two);
    EXPECT_EQ(after.line.Parity, Parity::Even);
    EXPECT_EQ(after.tx330.bind[0], 3);
    EXPECT_EQ(after.tx330.invert[2], 1);
    EXPECT_EQ(after.tx330.diDelayTenths, 23);
    EXPECT_EQ(after.tx330.keepTime, 30);
    EXPECT_EQ(after.tx330.ch, 30);
    EXPECT_EQ(after.tx330.grpId, 65534);
    EXPECT_EQ(after.tx330.awtMs, 120);
    EXPECT_EQ(after.tx330.autoSync, 1);

    // The PC side followed each change that altered the line (baud, stop bits, parity, wait
    // time); 8 data bits were already in place.
    EXPECT_EQ(m_trace.Events("opened ").size(), 4u);
    Communication expectLine = settings.line;
    EXPECT_EQ(Command::m_current, expectLine);
    EXPECT_EQ(DidoCommand::m_didoinfo, settings.dido);
    EXPECT_EQ(WirelessCommand::m_wirelessinfo, settings.radio);
}

TEST_F(Tx330Link, WriteRefusesBadValuesBeforeSendingThem) {
    SimPty unit(Sim::Tx330FactoryState());
    ConnectTo(unit);
    Settings settings;
    settings.node.AESEncryptEnable = NodeinfoAESEncryptEnable::Disable;

    // Seven data bits without parity: nothing at all is sent.
    settings.line = Line(9600, 7, Parity::None);
    settings.Load();
    EXPECT_EQ(TX330Command::Write(), CommandResult::Err7DataBitNonParity);
    EXPECT_TRUE(unit.Requests().empty());

    // A keep time of 15 s stops the write at the keep time, with no "~KEEP=" sent.
    settings.line = Line(9600);
    settings.dido.DoKeepTime = DidoinfoDoKeepTime{15};
    settings.Load();
    EXPECT_EQ(TX330Command::Write(), CommandResult::ErrOutOfRange);
    Strings requests = unit.Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back(), "~ONDELAY=7");

    // An input delay above 10.0 s and a wait time above 250 ms likewise.
    for (auto change : {+[](Settings& s) { s.dido.DiDelay = DidoinfoDiDelay{101}; },
                        +[](Settings& s) { s.dido.DiDelay = DidoinfoDiDelay{-1}; },
                        +[](Settings& s) { s.line.Awt = 26; }}) {
        Settings bad;
        bad.node.AESEncryptEnable = NodeinfoAESEncryptEnable::Disable;
        bad.line = Line(9600);
        change(bad);
        bad.Load();
        unit.ClearLog();
        EXPECT_EQ(TX330Command::Write(), CommandResult::ErrOutOfRange);
        requests = unit.Requests();
        ASSERT_FALSE(requests.empty());
        EXPECT_TRUE(requests.back() == "~KEEPSIGNAL=1" || requests.back() == "~PARI=1") << requests.back();
    }
}

TEST_F(Tx330Link, ConfirmationsReadTheUnitsNumbersTheWayItWritesThem) {
    Sim::UnitState state = Sim::Tx330FactoryState();
    state.tx330.awtExtraMs = 9;  // this unit reports 259 ms for a wait time of 25
    SimPty unit(state);
    ConnectTo(unit);
    Settings settings;
    settings.node.AESEncryptEnable = NodeinfoAESEncryptEnable::Disable;
    settings.line = Line(9600);
    settings.line.Awt = 25;
    settings.dido.DiDelay = DidoinfoDiDelay{25};
    settings.dido.DoKeepTime = DidoinfoDoKeepTime::INVALID_KEEP_TIME;  // 0: no keep time
    settings.Load();
    EXPECT_EQ(TX330Command::Write(), CommandResult::Success) << Command::Result();
    EXPECT_EQ(Command::m_current.Awt, 25);
    EXPECT_EQ(unit.State().tx330.keepTime, 0);

    // A unit that shows 2.4 s where 2.5 s was written has not taken the value.
    unit.WrongReplyTo("~DIDELAY=", "di filter time is 2.4 sec");
    EXPECT_EQ(TX330Command::Write(), CommandResult::ErrCommand);
    EXPECT_EQ(Command::Result(), "di filter time is 2.4 sec");
    EXPECT_EQ(unit.Requests().back(), "~DIDELAY=25");
}

TEST_F(Tx330Link, SevenBitsWithoutParityOnTheWayToSevenEvenKeepTheOldPortSettings) {
    struct Row {
        int cmdIf;
        size_t reopens;
    };
    for (const Row row : {Row{1, 1u}, Row{2, 0u}}) {
        Sim::UnitState state = Sim::Tx330FactoryState();
        state.tx330.cmdIf = row.cmdIf;
        SimPty unit(state);
        ConnectTo(unit);
        Settings settings;
        settings.node.AESEncryptEnable = NodeinfoAESEncryptEnable::Disable;
        settings.line = Line(9600, 7, Parity::Even);
        settings.Load();
        ASSERT_EQ(TX330Command::Write(), CommandResult::Success) << Command::Result();
        // The data-bit step leaves 7 bits without parity in place: no reopen there. Only the
        // parity step, over the UART, brings the PC side to 7E1.
        EXPECT_EQ(m_trace.Events("opened ").size(), row.reopens) << row.cmdIf;
        EXPECT_EQ(Command::m_current, Line(9600, 7, Parity::Even));
        Command::Close();
    }
}

TEST_F(Tx330Link, RadioChangesWaitBeforeTheReplyIsRead) {
    SimPty unit(Sim::Tx330FactoryState());
    ConnectTo(unit);
    Command::Timing().RadioChangeDelay = std::chrono::milliseconds(80);
    std::mutex mutex;
    std::vector<std::pair<std::string, std::chrono::steady_clock::time_point>> lines;
    Command::SetTraceSink(
        [&](TraceDirection, std::string_view line, std::chrono::steady_clock::time_point when) {
            std::lock_guard lock(mutex);
            lines.emplace_back(std::string(line), when);
        });

    EXPECT_NO_THROW(Tormel::Domain::Modem::TX330WirelessCommand::SetChMode(WirelessinfoChMode::CH24to37));
    EXPECT_NO_THROW(Tormel::Domain::Modem::TX330WirelessCommand::SetOpMode(WirelessinfoOpMode::LoRa));
    Command::SetTraceSink({});  // the sink's lines and mutex end with this test body
    for (const char* request : {"~CHMODE=0", "~OPMODE=1"}) {
        auto sent =
            std::find_if(lines.begin(), lines.end(), [&](const auto& l) { return l.first == request; });
        ASSERT_NE(sent, lines.end());
        ASSERT_NE(sent + 1, lines.end());
        EXPECT_GE((sent + 1)->second - sent->second, std::chrono::milliseconds(80)) << request;
    }
}

TEST_F(Tx330Link, AChannelPlanChangeTakesTheRadioDelayAndTheLinePauseAtRealTiming) {
    SimPty unit(Sim::Tx330FactoryState());
    ConnectTo(unit);
    Command::Timing() = Tormel::Domain::Modem::CommandTiming{};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_NO_THROW(Tormel::Domain::Modem::TX330WirelessCommand::SetChMode(WirelessinfoChMode::CH33to60));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(600));
}

// The two AES resets carry each other's names in the two command classes: each name must keep
// sending its own class's request. The factory-reset sequences built on them are pinned whole by
// InitWriteResetsTheUnitAndFollowsItOverTheUart below and, for the RS485 unit, by
// Rs485Command.FactoryResetPerGenerationAndReopenOverUart.
TEST_F(Tx330Link, TheAesResetNamesMeanOppositeRequestsInTheTwoClasses) {
    SimPty unit(Sim::Tx330FactoryState());
    ConnectTo(unit);
    const struct {
        const char* name;
        void (*reset)();
        const char* request;
    } cases[] = {
        {"Command::SetAESEncryptInit", Command::SetAESEncryptInit, "~ENCREST="},
        {"Command::SetAESEncInit", Command::SetAESEncInit, "~NETENCENABLE=1"},
        {"TX330Command::SetAESEncryptInit", TX330Command::SetAESEncryptInit, "~NETENCENABLE=1"},
        {"TX330Command::SetAESEncInit", TX330Command::SetAESEncInit, "~ENCREST="},
    };
    for (const auto& c : cases) {
        unit.ClearLog();
        EXPECT_EQ(Raised(c.reset), CommandResult::Success) << c.name;
        EXPECT_EQ(unit.Requests(), Strings{c.request}) << c.name;
    }
}

TEST_F(Tx330Link, InitWriteResetsTheUnitAndFollowsItOverTheUart) {
    SimPty unit(Sim::Tx330FactoryState());
    ConnectTo(unit);

    // Without a write in this run the interface is unknown: no reopen.
    EXPECT_EQ(TX330Command::InitWrite(), CommandResult::Success) << Command::Result();
    EXPECT_EQ(unit.Requests(), (Strings{"~NETENCENABLE=1", "~ENCREST=", "~INIT="}));
    EXPECT_TRUE(m_trace.Events("opened ").empty());

    // After a write over the UART the unit goes back to its factory values and the PC side
    // reopens the port.
    Settings settings;
    settings.Load();
    ASSERT_EQ(TX330Command::Write(), CommandResult::Success) << Command::Result();
    ASSERT_EQ(unit.State().tx330.ch, 30);
    m_trace.Clear();
    unit.ClearLog();
    EXPECT_EQ(TX330Command::InitWrite(), CommandResult::Success);
    EXPECT_EQ(unit.Requests(), (Strings{"~NETENCENABLE=1", "~ENCREST=", "~INIT="}));
    EXPECT_EQ(m_trace.Events("opened ").size(), 1u);
    const Sim::UnitState after = unit.State();
    EXPECT_EQ(after.line.BaudRate, 9600);
    EXPECT_EQ(after.tx330.ch, 33);
    EXPECT_EQ(after.tx330.keepTime, 0);
    EXPECT_EQ(after.tx330.aesEnable, 1);

    // A unit that does not confirm its key reset is not reset.
    Command::Close();
    ConnectTo(unit);
    unit.WrongReplyTo("~ENCREST=", "enc error");
    EXPECT_EQ(TX330Command::InitWrite(), CommandResult::ErrCommand);
    EXPECT_EQ(unit.Requests(), (Strings{"~NETENCENABLE=1", "~ENCREST="}));
    EXPECT_EQ(Command::Result(), "enc error");
}

}  // namespace
}  // namespace Pelnix::Test
