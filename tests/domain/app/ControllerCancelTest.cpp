// SPDX-License-Identifier: MIT
// Stopping, ending and destroying a controller while its worker talks to units: the state it
// ends in, the port, and that the work really stops instead of running on behind the window.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "domain/app/AppTestSupport.h"
#include "domain/app/TormelApp.h"
#include "domain/app/TormelApp_TX330.h"
#include "sim/Tx330Unit.h"

using namespace Tormel::Domain;
using namespace Tormel::Domain::App;
using Tormel::Testing::AppTest;
using Tormel::Testing::Completions;
using namespace std::chrono_literals;

namespace {

// How many request lines a unit heard, understood or not.
std::size_t Heard(const Pelnix::Sim::PtyServer& unit) {
    std::size_t lines = 0;
    for (const auto& entry : unit.Log()) {
        if (entry.kind == Pelnix::Sim::LogKind::Request || entry.kind == Pelnix::Sim::LogKind::Ignored)
            ++lines;
    }
    return lines;
}

}  // namespace

class ControllerCancel : public AppTest {
  protected:
    // Units that hear nothing: every attempt on them waits out its read time-outs.
    void AddSilentUnits(int count) {
        for (int i = 0; i < count; ++i) {
            auto& unit = AddUnit();
            Pelnix::Sim::Faults faults;
            faults.silentOn = {"~"};
            unit.SetFaults(faults);
        }
    }

    // Waits until the scan (last port first) has reached the last unit.
    void WaitScanStarted() {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (Heard(*m_units.back()) == 0 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(2ms);
        }
        ASSERT_GT(Heard(*m_units.back()), 0u);
    }
};

TEST_F(ControllerCancel, DisconnectDuringAScanStopsItThereAndTheCompletionLeadsToIdle) {
    AddSilentUnits(6);
    TormelApp app(m_queue.Dispatcher());
    ASSERT_EQ(app.Init(), AppResult::Success);

    Completions done;
    ASSERT_EQ(app.ConnectAndRead(done.Handler()), AppResult::Pendding);
    WaitScanStarted();

    // A completion the window makes up while the scan still runs cannot end it.
    EXPECT_EQ(app.Completed(AppCompletedCode::Success), AppResult::Success);
    EXPECT_EQ(app.Status(), AppStatus::ConnectingAndReading);

    EXPECT_EQ(app.Disconnect(), AppResult::Pendding);
    EXPECT_EQ(app.Status(), AppStatus::Canceling);
    EXPECT_FALSE(app.port().IsOpen());
    // While it winds down, nothing new may start and a second stop is refused.
    Completions refused;
    EXPECT_EQ(app.Connect(refused.Handler()), AppResult::ErrStatus);
    EXPECT_EQ(app.Disconnect(), AppResult::ErrStatus);

    ASSERT_TRUE(WaitCompletions(done));
    EXPECT_EQ(done.codes, std::vector{AppCompletedCode::ConnectError});
    app.Completed(done.codes.back());
    EXPECT_EQ(app.Status(), AppStatus::Idle);
    EXPECT_FALSE(app.port().IsOpen());
    // The scan gave up where it was: the ports before it in the list were never tried.
    for (std::size_t i = 0; i + 1 < m_units.size(); ++i) {
        EXPECT_EQ(Heard(*m_units[i]), 0u) << "unit " << i << " was scanned after the stop";
    }
    EXPECT_TRUE(refused.Empty());
}

TEST_F(ControllerCancel, DisconnectAtOnceAfterConnectStillEndsIdleWithThePortClosed) {
    AddUnit();
    TormelApp app(m_queue.Dispatcher());
    ASSERT_EQ(app.Init(), AppResult::Success);
    for (int round = 0; round < 5; ++round) {
        Completions done;
        ASSERT_EQ(app.Connect(done.Handler()), AppResult::Pendding);
        ASSERT_EQ(app.Disconnect(), AppResult::Pendding);
        ASSERT_TRUE(WaitCompletions(done));
        // Whatever the race gave (a stop before the unit answered or a connection just made),
        // the cancelled operation leaves no open port behind.
        app.Completed(done.codes.back());
        EXPECT_EQ(app.Status(), AppStatus::Idle);
        EXPECT_FALSE(app.port().IsOpen());
    }
    // And the controller is usable afterwards.
    Completions done;
    ASSERT_EQ(app.Connect(done.Handler()), AppResult::Pendding);
    ASSERT_TRUE(WaitCompletions(done));
    EXPECT_EQ(done.codes.back(), AppCompletedCode::Success);
    app.Completed(done.codes.back());
    EXPECT_EQ(app.Status(), AppStatus::Active);
}

TEST_F(ControllerCancel, AUnitUnpluggedDuringAWriteGivesConnectErrorAndANewConnectWorks) {
    auto& unit = AddUnit(Pelnix::Sim::Tx330FactoryState());
    TormelApp_TX330 app(m_queue.Dispatcher());
    ASSERT_EQ(app.Init(), AppResult_TX330::Success);
    Completions done;
    ASSERT_EQ(app.ConnectAndRead(done.Handler()), AppResult_TX330::Pendding);
    ASSERT_TRUE(WaitCompletions(done));
    app.Completed(done.codes.back());
    ASSERT_EQ(app.Status(), AppStatus::Active);

    Pelnix::Sim::Faults faults;
    faults.hangUpAfterLines = 4;
    unit.SetFaults(faults);
    ASSERT_EQ(app.Write(done.Handler()), AppResult_TX330::Pendding);
    ASSERT_TRUE(WaitCompletions(done, 2));
    EXPECT_EQ(done.codes.back(), AppCompletedCode::ConnectError);
    EXPECT_TRUE(unit.HungUp());
    app.Completed(done.codes.back());
    EXPECT_EQ(app.Status(), AppStatus::Idle);
    EXPECT_FALSE(app.port().IsOpen());

    // Plugged in again (a new port).
    m_units.clear();
    AddUnit(Pelnix::Sim::Tx330FactoryState());
    ASSERT_EQ(app.Connect(done.Handler()), AppResult_TX330::Pendding);
    ASSERT_TRUE(WaitCompletions(done, 3));
    EXPECT_EQ(done.codes.back(), AppCompletedCode::Success);
    app.Completed(done.codes.back());
    EXPECT_EQ(app.Status(), AppStatus::Active);
    EXPECT_TRUE(app.port().IsOpen());
}

TEST_F(ControllerCancel, EndDuringAScanStopsItAndTheLateCompletionChangesNothing) {
    AddSilentUnits(4);
    TormelApp app(m_queue.Dispatcher());
    ASSERT_EQ(app.Init(), AppResult::Success);
    Completions done;
    ASSERT_EQ(app.Connect(done.Handler()), AppResult::Pendding);
    WaitScanStarted();

    EXPECT_EQ(app.End(), AppResult::Success);
    EXPECT_EQ(app.Status(), AppStatus::Invalid);
    EXPECT_FALSE(app.port().IsOpen());
    ASSERT_TRUE(WaitCompletions(done)) << "the window still hears of the operation it started";
    EXPECT_EQ(done.codes.back(), AppCompletedCode::ConnectError);
    app.Completed(done.codes.back());
    EXPECT_EQ(app.Status(), AppStatus::Invalid);
    for (std::size_t i = 0; i + 1 < m_units.size(); ++i) EXPECT_EQ(Heard(*m_units[i]), 0u);

    // Initialised again, it works as new.
    m_units.clear();
    AddUnit();
    ASSERT_EQ(app.Init(), AppResult::Success);
    ASSERT_EQ(app.Connect(done.Handler()), AppResult::Pendding);
    ASSERT_TRUE(WaitCompletions(done, 2));
    EXPECT_EQ(done.codes.back(), AppCompletedCode::Success);
}

TEST_F(ControllerCancel, DestroyingTheControllerDuringAScanStopsItWithoutReportingBack) {
    AddSilentUnits(6);
    Completions done;
    {
        TormelApp app(m_queue.Dispatcher());
        ASSERT_EQ(app.Init(), AppResult::Success);
        ASSERT_EQ(app.ConnectAndRead(done.Handler()), AppResult::Pendding);
        WaitScanStarted();
    }
    // The worker has been joined: no thread is left scanning the other ports, and the
    // completion meant for the gone controller is never delivered.
    std::this_thread::sleep_for(50ms);
    m_queue.PumpPending();
    EXPECT_TRUE(done.Empty());
    for (std::size_t i = 0; i + 1 < m_units.size(); ++i) EXPECT_EQ(Heard(*m_units[i]), 0u);
    EXPECT_EQ(Modem::Command::m_port, nullptr) << "the link must not keep a port that is gone";
}
