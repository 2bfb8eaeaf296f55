// SPDX-License-Identifier: MIT
// The port scan and handshake against simulated units on real pseudo-terminals.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "LinkTestSupport.h"

namespace Pelnix::Test {
namespace {

using Strings = std::vector<std::string>;

Sim::UnitState Unit(const Communication& line = Line(9600)) {
    Sim::UnitState state;
    state.line = line;
    return state;
}

Strings LoggedAs(const SimPty& unit, Sim::LogKind kind) {
    Strings lines;
    for (const auto& entry : unit.Log())
        if (entry.kind == kind) lines.push_back(entry.line);
    return lines;
}

using ConnectScan = LinkTest;

TEST_F(ConnectScan, UnitAtDefaultLineIsFoundByTheFirstAttempt) {
    SimPty unit(Unit(Line(9600)));
    UsePorts({unit.PortPath()});
    Command::CommunicationConfig(Line(19200));

    EXPECT_EQ(Command::Connect(), CommandResult::Success);
    EXPECT_EQ(unit.Requests(), (Strings{"~CONNECT?", "~NAME?", "~VER?"}));
    EXPECT_EQ(Command::m_portName, unit.PortPath());
    EXPECT_TRUE(m_port->IsOpen());  // left open for the operations that follow
    EXPECT_EQ(Command::m_nodeinfo.SoftwareName, unit.State().name);
    EXPECT_EQ(Command::m_NameSoft, unit.State().name);
    EXPECT_EQ(Command::m_nodeinfo.SoftwareVersion, "2.6");
    EXPECT_EQ(Command::Result(), "2.6");
    // The caller's wish stays, but the link knows the line is at 9600 8N1 now, so a later
    // reopen comes back to where the unit listens.
    EXPECT_EQ(Command::m_communication.BaudRate, 19200);
    EXPECT_EQ(Command::m_current, Line(9600));

    // The port really is at 9600: the unit still understands the link.
    unit.ClearLog();
    EXPECT_TRUE(Command::IsConnect());
}

TEST_F(ConnectScan, UnitAtCallersLineIsFoundByTheSecondAttempt) {
    const Communication wanted = Line(19200, 8, Parity::None, StopBits::Two);
    SimPty unit(Unit(wanted));
    UsePorts({unit.PortPath()});
    Command::CommunicationConfig(wanted);

    EXPECT_EQ(Command::Connect(), CommandResult::Success);
    // Attempt 1 at 9600 8N1: the one liveness query went unheard and its reads timed out.
    EXPECT_EQ(LoggedAs(unit, Sim::LogKind::Ignored), Strings{"~CONNECT?"});
    EXPECT_EQ(unit.Requests(), (Strings{"~CONNECT?", "~NAME?", "~VER?"}));
    EXPECT_EQ(Command::m_current, wanted);

    unit.ClearLog();
    EXPECT_TRUE(Command::IsConnect());
}

TEST_F(ConnectScan, GarbledFirstLivenessAnswerIsRescuedByTheSecondQuery) {
    // At the real waits: the rescue must not depend on a shortened read.
    Command::Timing() = CommandTiming{};
    SimPty unit(Unit());
    unit.GarbageOnFirstConnect();
    UsePorts({unit.PortPath()});

    EXPECT_EQ(Command::Connect(), CommandResult::Success);
    EXPECT_EQ(unit.Requests(), (Strings{"~CONNECT?", "~CONNECT?", "~NAME?", "~VER?"}));
}

TEST_F(ConnectScan, OnlyTheFirstThirtyPortsAreScannedFromTheThirtiethDown) {
    TempFolder folder;
    std::vector<std::unique_ptr<SimPty>> units;
    Strings ports;
    for (int i = 0; i < 31; ++i) {
        units.push_back(std::make_unique<SimPty>(Unit(), folder.Path(), "port" + std::to_string(i)));
        // Something answers, but never "ok": each port costs two quick attempts.
        units.back()->WrongReplyTo("~CONNECT?", "ng");
        ports.push_back(units.back()->PortPath());
    }
    UsePorts(ports);

    EXPECT_EQ(Command::Connect(), CommandResult::ErrConnect);
    EXPECT_FALSE(m_port->IsOpen());

    // Order the ports by the time of the first request each one received.
    std::vector<std::pair<std::chrono::steady_clock::time_point, int>> firstHeard;
    for (int i = 0; i < 31; ++i) {
        const auto log = units[i]->Log();
        if (!log.empty()) firstHeard.emplace_back(log.front().time, i);
        // Two attempts, each with the liveness query and its one retry.
        EXPECT_EQ(units[i]->Requests().size(), i < 30 ? 4u : 0u) << "port" << i;
    }
    std::sort(firstHeard.begin(), firstHeard.end());
    std::vector<int> order;
    order.reserve(firstHeard.size());
    for (const auto& [time, index] : firstHeard) order.push_back(index);
    std::vector<int> expected;
    for (int i = 29; i >= 0; --i) expected.push_back(i);
    EXPECT_EQ(order, expected);
}

TEST_F(ConnectScan, DeviceThatFailsTheNameTestEndsTheScan) {
    TempFolder folder;
    SimPty good(Unit(), folder.Path(), "a-good-unit");
    Sim::UnitState other = Unit();
    other.name = "Brenlow TX-330 Ver1.0";
    SimPty foreign(other, folder.Path(), "b-foreign-device");
    UsePorts({good.PortPath(), foreign.PortPath()});  // the foreign device is scanned first

    EXPECT_EQ(Command::Connect(), CommandResult::ErrUnsupported);
    EXPECT_EQ(foreign.Requests(), (Strings{"~CONNECT?", "~NAME?"}));  // no version query
    EXPECT_TRUE(good.Requests().empty());
    EXPECT_EQ(Command::m_portName, foreign.PortPath());
    EXPECT_TRUE(m_port->IsOpen());  // the controller closes it
    EXPECT_EQ(Command::m_nodeinfo.SoftwareName, "Brenlow TX-330 Ver1.0");
}

TEST_F(ConnectScan, VersionOutsideTwoAndThreeIsUnsupported) {
    for (const char* version : {"4.0", "1.9", "2.5 "}) {
        SCOPED_TRACE(version);
        Sim::UnitState state = Unit();
        state.version = version;
        SimPty unit(state);
        UsePorts({unit.PortPath()});
        EXPECT_EQ(Command::Connect(), CommandResult::ErrUnsupported);
        EXPECT_EQ(unit.Requests(), (Strings{"~CONNECT?", "~NAME?", "~VER?"}));
        EXPECT_EQ(Command::m_nodeinfo.SoftwareVersion, version);
        Command::Close();
    }
}

TEST_F(ConnectScan, EmptyLivenessReplyIsNoConnection) {
    SimPty unit(Unit());
    unit.EmptyReplyTo("~CONNECT?");
    UsePorts({unit.PortPath()});

    EXPECT_EQ(Command::Connect(), CommandResult::ErrConnect);
    // Each attempt ends at the first empty line: no retry of the query, no name query.
    EXPECT_EQ(unit.Requests(), (Strings{"~CONNECT?", "~CONNECT?"}));
    EXPECT_TRUE(Command::Result().empty());
    EXPECT_FALSE(m_port->IsOpen());
}

TEST_F(ConnectScan, PortsThatCannotBeOpenedArePassedOver) {
    TempFolder folder;
    SimPty unit(Unit(), folder.Path(), "unit");
    const std::string plainFile = folder.Path() + "/not-a-tty";
    std::ofstream(plainFile) << "text";
    const std::string subFolder = folder.Path() + "/a-folder";
    std::filesystem::create_directory(subFolder);

    TraceRecord trace;
    trace.Attach();
    UsePorts({unit.PortPath(), folder.Path() + "/missing", plainFile, subFolder});

    EXPECT_EQ(Command::Connect(), CommandResult::Success);
    EXPECT_EQ(Command::m_portName, unit.PortPath());
    EXPECT_EQ(trace.Events("open failed").size(), 6u);  // two attempts on each of three
}

TEST_F(ConnectScan, PortsRefusedForLackOfPermissionAreNamed) {
    TempFolder folder;
    ::chmod(folder.Path().c_str(), 0755);  // only the device itself is locked
    const std::string locked = folder.Path() + "/ttyLocked";
    std::ofstream(locked) << "";
    ::chmod(locked.c_str(), 0);
    UsePorts({locked, folder.Path() + "/missing"});

    auto scanAndCheck = [&] {
        return Command::Connect() == CommandResult::ErrConnect && Command::m_refusedPorts.size() == 1 &&
               Command::m_refusedPorts[0].PortName == locked && !Command::m_refusedPorts[0].Reason.empty();
    };
    if (::geteuid() != 0) {
        EXPECT_TRUE(scanAndCheck());
        return;
    }
    // Root may open anything: scan as an ordinary user in a child process.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool dropped = ::setgid(65534) == 0 && ::setuid(65534) == 0;
        ::_exit(dropped && scanAndCheck() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    // A scan that is not refused anything reports nothing.
    EXPECT_EQ(Command::Connect(), CommandResult::ErrConnect);  // root opens the file, which is no tty
    EXPECT_TRUE(Command::m_refusedPorts.empty());
}

TEST_F(ConnectScan, EmptyPortListIsNoConnection) {
    UsePorts({});
    EXPECT_EQ(Command::Connect(), CommandResult::ErrConnect);
    Command::SetPortLister([]() -> Strings { throw std::runtime_error("no /sys"); });
    EXPECT_EQ(Command::Connect(), CommandResult::ErrConnect);
}

TEST_F(ConnectScan, AnyFailureInsideAnAttemptMovesTheScanOn) {
    SimPty unit(Unit());
    UsePorts({unit.PortPath()});
    int attempts = 0;
    const CommandResult result = Command::ScanPorts([&]() -> std::optional<CommandResult> {
        ++attempts;
        if (attempts == 1) throw std::logic_error("not a command failure");
        EXPECT_TRUE(m_port->IsOpen());
        return CommandResult::Success;
    });
    EXPECT_EQ(result, CommandResult::Success);
    EXPECT_EQ(attempts, 2);
    EXPECT_TRUE(m_port->IsOpen());
}

TEST_F(ConnectScan, ConnectAndReadAsksVersionNameParametersThenVersionAgain) {
    SimPty unit(Unit());
    UsePorts({unit.PortPath()});

    EXPECT_EQ(Command::ConnectAndRead(), CommandResult::Success);
    const Strings requests = unit.Requests();
    ASSERT_GE(requests.size(), 4u);
    EXPECT_EQ((Strings{requests.begin(), requests.begin() + 3}), (Strings{"~CONNECT?", "~VER?", "~NAME?"}));
    EXPECT_EQ(requests.back(), "~VER?");
    EXPECT_TRUE(m_port->IsOpen());
}

TEST_F(ConnectScan, ParameterReadFailureCountsAsAFailedAttempt) {
    TempFolder folder;
    SimPty good(Unit(), folder.Path(), "a-unit");
    SimPty mute(Unit(), folder.Path(), "b-mute-listing");  // scanned first
    mute.SilentOn("~ALLPARAM?");
    UsePorts({good.PortPath(), mute.PortPath()});

    EXPECT_EQ(Command::ConnectAndRead(), CommandResult::Success);
    const Strings attempt{"~CONNECT?", "~VER?", "~NAME?", "~ALLPARAM?"};
    Strings twice = attempt;
    twice.insert(twice.end(), attempt.begin(), attempt.end());
    EXPECT_EQ(mute.Requests(), twice);
    EXPECT_EQ(Command::m_portName, good.PortPath());
}

}  // namespace
}  // namespace Pelnix::Test
