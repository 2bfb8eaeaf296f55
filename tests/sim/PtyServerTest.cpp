// SPDX-License-Identifier: MIT
// The simulated unit on a pty, driven through the tool's own termios port.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>

#include "platform/SerialPort.h"
#include "support/SimPty.h"

using namespace Tormel::Platform;
using Pelnix::Sim::LogKind;
using Pelnix::Sim::UnitState;
using Pelnix::Test::SimPty;
using namespace std::chrono_literals;

namespace {

class Tool {
  public:
    explicit Tool(const std::string& path, int baud = 9600, StopBits stop = StopBits::One,
                  int timeoutMs = 200) {
        Reopen(path, baud, stop, timeoutMs);
    }
    void Reopen(const std::string& path, int baud = 9600, StopBits stop = StopBits::One,
                int timeoutMs = 200) {
        SerialSettings settings;
        settings.PortName = path;
        settings.BaudRate = baud;
        settings.StopBits = stop;
        settings.ReadTimeoutMs = timeoutMs;
        const SerialResult opened = port->Open(settings);
        if (!opened.ok()) throw std::runtime_error(opened.message);
    }
    // Sends one request and returns the reply line, or "<status>" when none came.
    std::string Ask(const std::string& request) {
        port->DiscardInBuffer();
        if (!port->WriteLine(request).ok()) return "<write failed>";
        return Next();
    }
    std::string Next() {
        std::string line;
        const SerialResult read = port->ReadLine(line);
        if (read.ok()) return line;
        return read.status == SerialStatus::TimedOut ? "<timeout>"
               : read.status == SerialStatus::HungUp ? "<hung up>"
                                                     : "<error>";
    }
    std::unique_ptr<ISerialPort> port = CreateSerialPort();
};

}  // namespace

TEST(PtyServer, AnswersRequestsAndKeepsTheDialogue) {
    SimPty sim;
    EXPECT_EQ(sim.ListPorts(), std::vector<std::string>{sim.PortPath()});
    Tool tool(sim.PortPath());
    EXPECT_EQ(tool.Ask("~CONNECT?"), "ok");
    EXPECT_EQ(tool.Ask("~NAME?"), UnitState{}.name);
    EXPECT_EQ(tool.Ask("~VER?"), UnitState{}.version);
    EXPECT_EQ(sim.Requests(), (std::vector<std::string>{"~CONNECT?", "~NAME?", "~VER?"}));

    const auto log = sim.LogOf(6);
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[0].kind, LogKind::Request);
    EXPECT_EQ(log[1].kind, LogKind::Reply);
    EXPECT_EQ(log[1].line, "ok");
    for (std::size_t i = 1; i < log.size(); ++i) EXPECT_LE(log[i - 1].time, log[i].time);

    // The tool closes and reopens its side: the unit is still there.
    tool.port->Close();
    tool.Reopen(sim.PortPath());
    EXPECT_EQ(tool.Ask("~CONNECT?"), "ok");
    sim.ClearLog();
    EXPECT_TRUE(sim.Requests().empty());
}

TEST(PtyServer, RequestsAtOtherLineSettingsAreNotUnderstood) {
    UnitState state;
    state.line.BaudRate = 19200;
    SimPty sim(state);
    Tool tool(sim.PortPath(), 9600);
    EXPECT_EQ(tool.Ask("~CONNECT?"), "<timeout>");
    tool.Reopen(sim.PortPath(), 19200, StopBits::Two);
    EXPECT_EQ(tool.Ask("~CONNECT?"), "<timeout>");
    tool.Reopen(sim.PortPath(), 19200, StopBits::One);
    EXPECT_EQ(tool.Ask("~CONNECT?"), "ok");

    EXPECT_EQ(sim.Requests(), std::vector<std::string>{"~CONNECT?"});
    int ignored = 0;
    for (const auto& entry : sim.Log()) ignored += entry.kind == LogKind::Ignored;
    EXPECT_EQ(ignored, 2);
}

TEST(PtyServer, ASpeedChangeTakesEffectAfterTheReply) {
    SimPty sim;  // an RS485 unit of the newer module generation, at 9600
    Tool tool(sim.PortPath());
    EXPECT_NE(tool.Ask("~BAUD=7"), "<timeout>");  // the reply still comes at the old speed
    EXPECT_EQ(sim.State().line.BaudRate, 76800);
    EXPECT_EQ(tool.Ask("~CONNECT?"), "<timeout>");
    tool.Reopen(sim.PortPath(), 76800);
    EXPECT_EQ(tool.Ask("~CONNECT?"), "ok");
}

TEST(PtyServer, ADelayedReplyWaitsItsTime) {
    UnitState state;
    state.rs485.initDelayMs = 250;
    SimPty sim(state);
    Tool tool(sim.PortPath(), 9600, StopBits::One, 2000);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_NE(tool.Ask("~INIT="), "<timeout>");
    EXPECT_GE(std::chrono::steady_clock::now() - start, 250ms);
    // A server stopped during the delay ends at once.
    sim.ResetUnit([] {
        UnitState slow;
        slow.rs485.initDelayMs = 60000;
        return slow;
    }());
    tool.port->WriteLine("~INIT=");
    ASSERT_TRUE(sim.WaitForRequests(2, 2s));
    const auto stopStart = std::chrono::steady_clock::now();
    sim.Server().Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - stopStart, 5s);
}

TEST(PtyServer, FaultsSilenceEmptyWrongAndGarbage) {
    SimPty sim;
    Tool tool(sim.PortPath());
    sim.GarbageOnFirstConnect();
    sim.SilentOn("~VER");
    sim.EmptyReplyTo("~NAME");
    sim.WrongReplyTo("~BOGUS", "baud=1200");
    EXPECT_EQ(tool.Ask("~CONNECT?"), Pelnix::Sim::kGarbageLine);
    EXPECT_EQ(tool.Ask("~CONNECT?"), "ok");
    EXPECT_EQ(tool.Ask("~VER?"), "<timeout>");
    EXPECT_EQ(tool.Ask("~NAME?"), "");
    EXPECT_EQ(tool.Ask("~BOGUS?"), "baud=1200");
    // Adding a fault later does not bring the one-shot garbage back.
    sim.SilentOn("~NOTHING");
    EXPECT_EQ(tool.Ask("~CONNECT?"), "ok");
    // A silenced request still shows in the dialogue: it was sent, the unit just kept quiet.
    EXPECT_EQ(sim.Requests(), (std::vector<std::string>{"~CONNECT?", "~CONNECT?", "~VER?", "~NAME?",
                                                        "~BOGUS?", "~CONNECT?"}));

    sim.ClearFaults();
    EXPECT_EQ(tool.Ask("~VER?"), UnitState{}.version);
    EXPECT_EQ(tool.Ask("~CONNECT?"), "ok");
}

TEST(PtyServer, AKeptRequestIsConfirmedButTheUnitKeepsItsOldValue) {
    SimPty sim;
    Tool tool(sim.PortPath());
    Pelnix::Sim::Faults faults;
    faults.keepOn = {"~HODR="};
    sim.SetFaults(faults);
    EXPECT_EQ(tool.Ask("~HODR=1234"), "hundred order is 1234");
    EXPECT_EQ(sim.State().rs485.idOffset, 0);
    // Only the named request is kept; the next one is taken as usual.
    EXPECT_EQ(tool.Ask("~SLNT=20"), "silent interval length is 20");
    EXPECT_EQ(sim.State().rs485.silent, 20);
}

TEST(PtyServer, HangUpAfterLinesTakesThePortAway) {
    SimPty sim;
    Tool tool(sim.PortPath(), 9600, StopBits::One, 3000);
    sim.HangUpAfterLines(2);
    EXPECT_EQ(tool.Ask("~CONNECT?"), "ok");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(tool.Ask("~NAME?"), "<hung up>");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_TRUE(sim.HungUp());
    EXPECT_TRUE(sim.ListPorts().empty());
    EXPECT_FALSE(tool.port->Open({sim.PortPath()}).ok());
}

TEST(PtyServer, ManyServersShareAFolder) {
    Pelnix::Test::TempFolder folder;
    const std::string ports = folder.Path() + "/ports";
    std::vector<std::unique_ptr<SimPty>> sims;
    for (int i = 12; i >= 1; --i) {
        sims.push_back(std::make_unique<SimPty>(UnitState{}, ports, "sim" + std::to_string(i)));
    }
    const auto listed = SimPty::ListPortsIn(ports);
    ASSERT_EQ(listed.size(), 12u);
    EXPECT_EQ(listed.front(), ports + "/sim1");
    EXPECT_EQ(listed[1], ports + "/sim2");
    EXPECT_EQ(listed.back(), ports + "/sim12");

    Tool tool(listed[4]);
    EXPECT_EQ(tool.Ask("~CONNECT?"), "ok");
    EXPECT_EQ(sims[12 - 5]->Requests(), std::vector<std::string>{"~CONNECT?"});
    EXPECT_TRUE(sims[0]->Requests().empty());
    sims.clear();
    EXPECT_TRUE(SimPty::ListPortsIn(ports).empty());
}
