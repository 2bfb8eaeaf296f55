// SPDX-License-Identifier: MIT
// Cancelling from another thread: the controller closes the port (and asks a scan to stop)
// while the link waits for a unit. These run at the real 2000 ms read time-out, so that an
// end by time-out cannot pass for an end by the close.
#include <chrono>
#include <thread>
#include <vector>

#include "LinkTestSupport.h"

namespace Pelnix::Test {
namespace {

using Clock = std::chrono::steady_clock;
using Strings = std::vector<std::string>;

// Well under one read time-out (2000 ms); a read that ends later was not woken by the close.
constexpr auto kWokenWithin = std::chrono::milliseconds(1000);

class Cancel : public LinkTest {
  protected:
    void SetUp() override {
        LinkTest::SetUp();
        Command::Timing() = CommandTiming{};
    }
};

TEST_F(Cancel, CloseWakesAWaitingReadAndEndsTheSequence) {
    SimPty unit;
    unit.SilentOn("~VER?");
    OpenOn(unit.PortPath(), Line(9600));

    Clock::time_point closedAt{};
    std::thread canceller([&] {
        ASSERT_TRUE(unit.WaitForRequests(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the read is waiting now
        closedAt = Clock::now();
        m_port->Close();
    });
    const CommandResult result = Command::RunFrame([] {
        Command::Send("~VER?");
        Command::Receive();
        Command::Send("~NAME?");  // never reached
        Command::Receive();
    });
    const auto endedAt = Clock::now();
    canceller.join();

    EXPECT_EQ(result, CommandResult::ErrConnect);
    EXPECT_LT(endedAt - closedAt, kWokenWithin);
    EXPECT_EQ(unit.Requests(), Strings{"~VER?"});
}

TEST_F(Cancel, CloseWhileWriteWaitsEndsWriteWithErrConnect) {
    SimPty unit;
    UsePorts({unit.PortPath()});
    Command::Timing() = ShortTiming();
    ASSERT_EQ(Command::ConnectAndRead(), CommandResult::Success);
    Command::Timing() = CommandTiming{};
    unit.SilentOn("~CMDIF?");
    unit.ClearLog();

    Clock::time_point closedAt{};
    std::thread canceller([&] {
        ASSERT_TRUE(unit.WaitForRequests(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        closedAt = Clock::now();
        m_port->Close();
    });
    const CommandResult result = Command::Write();
    const auto endedAt = Clock::now();
    canceller.join();

    EXPECT_EQ(result, CommandResult::ErrConnect);
    EXPECT_LT(endedAt - closedAt, kWokenWithin);
    EXPECT_EQ(unit.Requests(), Strings{"~CMDIF?"});  // nothing sent after the close
}

TEST_F(Cancel, CloseDuringTheScanMovesItToTheNextAttempt) {
    TempFolder folder;
    SimPty good(Sim::UnitState{}, folder.Path(), "a-unit");
    SimPty silent(Sim::UnitState{}, folder.Path(), "b-silent");  // scanned first
    silent.SilentOn("~CONNECT?");
    UsePorts({good.PortPath(), silent.PortPath()});

    // Cut each of the two attempts on the silent port short, as a user's cancel would.
    std::thread canceller([&] {
        for (std::size_t heard = 1; heard <= 2; ++heard) {
            ASSERT_TRUE(silent.WaitForRequests(heard));
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            m_port->Close();
        }
    });
    const auto start = Clock::now();
    const CommandResult result = Command::Connect();
    const auto took = Clock::now() - start;
    canceller.join();

    EXPECT_EQ(result, CommandResult::Success);
    EXPECT_EQ(Command::m_portName, good.PortPath());
    EXPECT_EQ(silent.Requests(), (Strings{"~CONNECT?", "~CONNECT?"}));  // attempt 1, attempt 2
    EXPECT_EQ(good.Requests(), (Strings{"~CONNECT?", "~NAME?", "~VER?"}));
    EXPECT_LT(took, 2 * kWokenWithin + std::chrono::milliseconds(500));  // not 2 x 10 s of waiting
}

TEST_F(Cancel, StopRequestEndsTheScanBeforeItsNextAttempt) {
    TempFolder folder;
    std::vector<std::unique_ptr<SimPty>> units;
    Strings ports;
    for (int i = 0; i < 3; ++i) {
        units.push_back(
            std::make_unique<SimPty>(Sim::UnitState{}, folder.Path(), "silent" + std::to_string(i)));
        units.back()->SilentOn("~CONNECT?");
        ports.push_back(units.back()->PortPath());
    }
    UsePorts(ports);
    TraceRecord trace;
    trace.Attach();

    // What the controller does on a cancel: ask the scan to stop, then close the port.
    std::thread canceller([&] {
        ASSERT_TRUE(units[2]->WaitForRequests(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        Command::RequestStop();
        m_port->Close();
    });
    const auto start = Clock::now();
    const CommandResult result = Command::Connect();
    const auto took = Clock::now() - start;
    canceller.join();

    EXPECT_EQ(result, CommandResult::ErrConnect);
    EXPECT_LT(took, kWokenWithin + std::chrono::milliseconds(500));
    EXPECT_EQ(trace.Events("opened").size(), 1u);  // no attempt after the stop
    EXPECT_EQ(units[2]->Requests().size(), 1u);
    EXPECT_TRUE(units[1]->Requests().empty());
    EXPECT_TRUE(units[0]->Requests().empty());
    EXPECT_FALSE(m_port->IsOpen());

    // Once its owner clears the request, the next scan starts afresh.
    for (auto& unit : units) unit->ClearFaults();
    EXPECT_EQ(Command::Connect(), CommandResult::ErrConnect);  // the request still holds
    Command::ClearStopRequest();
    EXPECT_EQ(Command::Connect(), CommandResult::Success);
    EXPECT_EQ(Command::m_portName, units[2]->PortPath());
}

TEST_F(Cancel, StopDuringALineSettingReopenIsNotUndoneByTheReopen) {
    SimPty unit;
    OpenOn(unit.PortPath(), Line(9600));
    Command::m_nodeinfo.SoftwareVersion = "2.6";
    Command::m_portIF = 1;  // over the unit's UART: a speed change reopens the port
    CommandTiming timing = ShortTiming();
    timing.ReopenDelay = std::chrono::milliseconds(400);
    Command::Timing() = timing;

    // The cancel lands in the pause between closing and reopening the port.
    std::thread canceller([&] {
        ASSERT_TRUE(unit.WaitForRequests(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        Command::RequestStop();
        m_port->Close();
    });
    const CommandResult result = Command::RunFrame([] {
        Command::SetBaudRate(19200);
        Command::SetIdOffset(5);  // never sent
    });
    canceller.join();

    EXPECT_EQ(result, CommandResult::ErrConnect);
    EXPECT_EQ(unit.Requests(), Strings{"~BAUD=3"});
    EXPECT_FALSE(m_port->IsOpen());
}

}  // namespace
}  // namespace Pelnix::Test
