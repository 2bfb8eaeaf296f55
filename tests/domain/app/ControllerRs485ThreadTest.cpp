// SPDX-License-Identifier: MIT
// The RS485 controller's background operations against a simulated unit on a pty: the records
// a connect-and-read takes back, the records a write hands over, a write stopped half-way, and
// the completion code for each way a write can fail.
#include <gtest/gtest.h>

#include "domain/app/AppTestSupport.h"
#include "domain/app/TormelApp.h"

using namespace Tormel::Domain;
using namespace Tormel::Domain::App;
using Tormel::Testing::AppTest;
using Tormel::Testing::Completions;
using namespace std::chrono_literals;

namespace {

// A unit at 19200 bit/s whose settings differ from the defaults, bound node by node.
Pelnix::Sim::UnitState DistinctUnit() {
    Pelnix::Sim::UnitState state;
    state.line.BaudRate = 19200;
    state.rs485.idOffset = 1200;
    state.rs485.silent = 33;
    state.rs485.bindType = 2;
    state.rs485.eachs = {{5, 1}, {6, 2}};
    return state;
}

}  // namespace

using ControllerRs485Thread = AppTest;

TEST_F(ControllerRs485Thread, ConnectAndReadTakesAllFourRecordsAndWriteHandsThemOver) {
    auto& unit = AddUnit(DistinctUnit());
    TormelApp app(m_queue.Dispatcher());
    ASSERT_EQ(app.Init(), AppResult::Success);
    auto wanted = app.CommunicationConfig();
    wanted.BaudRate = 19200;
    wanted.DataBits = 8;
    wanted.StopBits = Common::StopBits::One;
    app.CommunicationConfig(wanted);

    Completions done;
    ConnectAndRead(app, done);
    EXPECT_EQ(app.CommunicationConfig().BaudRate, 19200);
    EXPECT_EQ(app.NodeinfoConfig().IdOffset, 1200u);
    EXPECT_EQ(app.NodeinfoConfig().SoftwareVersion, "2.6");
    EXPECT_EQ(app.ProtocolConfig().SilentChar, 33);
    EXPECT_EQ(app.BindingConfig().BindType, Common::BindingType::Each);
    ASSERT_TRUE(app.BindingConfig().Eachs.has_value());
    EXPECT_EQ(app.BindingConfig().Eachs->size(), 2u);

    auto protocol = app.ProtocolConfig();
    protocol.SilentChar = 20;
    app.ProtocolConfig(protocol);
    auto node = app.NodeinfoConfig();
    node.IdOffset = 300;
    app.NodeinfoConfig(node);
    ASSERT_EQ(RunWrite(app, done), AppCompletedCode::Success) << app.Result();
    EXPECT_EQ(app.Status(), AppStatus::Active);
    EXPECT_TRUE(app.port().IsOpen());
    EXPECT_EQ(unit.State().rs485.silent, 20);
    EXPECT_EQ(unit.State().rs485.idOffset, 300);
    EXPECT_EQ(app.ProtocolConfig(), protocol);

    ASSERT_EQ(RunWrite(app, done, true), AppCompletedCode::Success) << app.Result();
    EXPECT_EQ(app.Status(), AppStatus::Active);
    EXPECT_EQ(unit.State().rs485.silent, 33) << "the unit is back to the state it started in";

    // Ending the controller while connected lets go of the unit's port.
    EXPECT_EQ(app.End(), AppResult::Success);
    EXPECT_EQ(app.Status(), AppStatus::Invalid);
    EXPECT_FALSE(app.port().IsOpen());
}

TEST_F(ControllerRs485Thread, DisconnectDuringAWriteLeadsToIdleThroughThePortFailure) {
    auto& unit = AddUnit();
    TormelApp app(m_queue.Dispatcher());
    ASSERT_EQ(app.Init(), AppResult::Success);
    Completions done;
    ConnectAndRead(app, done);

    Pelnix::Sim::Faults faults;
    faults.silentOn = {"~SLNT="};
    unit.SetFaults(faults);
    unit.ClearLog();
    ASSERT_EQ(app.Write(done.Handler()), AppResult::Pendding);
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    for (;;) {
        const auto requests = unit.Requests();
        if (!requests.empty() && requests.back().rfind("~SLNT=", 0) == 0) break;
        ASSERT_LT(std::chrono::steady_clock::now(), deadline)
            << "the write never reached the silent interval";
        std::this_thread::sleep_for(2ms);
    }
    // While the write runs, nothing else may start and no file may be touched.
    Completions refused;
    const std::string image = m_folder + "/none.elf";
    EXPECT_EQ(app.Connect(refused.Handler()), AppResult::ErrStatus);
    EXPECT_EQ(app.ConnectAndRead(refused.Handler()), AppResult::ErrStatus);
    EXPECT_EQ(app.Write(refused.Handler()), AppResult::ErrStatus);
    EXPECT_EQ(app.InitWrite(refused.Handler()), AppResult::ErrStatus);
    EXPECT_EQ(app.Load(image), AppResult::ErrStatus);
    EXPECT_EQ(app.Store(image), AppResult::ErrStatus);
    EXPECT_EQ(app.Status(), AppStatus::Updating);
    EXPECT_EQ(app.Disconnect(), AppResult::Pendding);
    EXPECT_EQ(app.Status(), AppStatus::Canceling);
    EXPECT_FALSE(app.port().IsOpen());
    ASSERT_TRUE(WaitCompletions(done, 2));
    EXPECT_EQ(done.codes.back(), AppCompletedCode::ConnectError);
    app.Completed(done.codes.back());
    EXPECT_EQ(app.Status(), AppStatus::Idle);
    EXPECT_FALSE(app.port().IsOpen());
    // Nothing after the stopped command reached the unit.
    EXPECT_EQ(unit.Requests().back().rfind("~SLNT=", 0), 0u);
    m_queue.PumpPending();
    EXPECT_TRUE(refused.Empty());
}

TEST_F(ControllerRs485Thread, EachWayAWriteFailsHasItsCompletionCode) {
    auto& unit = AddUnit();
    TormelApp app(m_queue.Dispatcher());
    ASSERT_EQ(app.Init(), AppResult::Success);
    Completions done;

    ConnectAndRead(app, done);
    Pelnix::Sim::Faults faults;
    faults.wrongReply = {{"~SLNT=", "silent interval length is 99"}};
    unit.SetFaults(faults);
    EXPECT_EQ(RunWrite(app, done), AppCompletedCode::CommandError);
    EXPECT_EQ(app.Result(), "silent interval length is 99");
    EXPECT_EQ(app.Status(), AppStatus::Idle);
    EXPECT_FALSE(app.port().IsOpen());
    unit.SetFaults({});

    ConnectAndRead(app, done);
    auto line = app.CommunicationConfig();
    line.DataBits = 7;
    line.Parity = Common::Parity::None;
    app.CommunicationConfig(line);
    EXPECT_EQ(RunWrite(app, done), AppCompletedCode::DataBit7NonParityError);
    EXPECT_EQ(app.Status(), AppStatus::Idle);

    line.DataBits = 8;
    app.CommunicationConfig(line);
    ConnectAndRead(app, done);
    faults = {};
    faults.wrongReply = {{"~INIT=", "error"}};
    unit.SetFaults(faults);
    EXPECT_EQ(RunWrite(app, done, true), AppCompletedCode::CommandError);
    EXPECT_EQ(app.Status(), AppStatus::Idle);
    EXPECT_FALSE(app.port().IsOpen());
}

// The read-back after a write reads the unit it wrote, on the open line: never before a
// connect, never through a new scan (a second unit on another port stays unasked), and its
// failure ends the connection like any other. The link's own result comes with each completion.
TEST_F(ControllerRs485Thread, ReadBackRereadsTheConnectedUnitOnlyAndTellsTheLinksResult) {
    auto& unit = AddUnit(DistinctUnit());
    TormelApp app(m_queue.Dispatcher());
    ASSERT_EQ(app.Init(), AppResult::Success);
    Completions done;
    EXPECT_EQ(app.ReadBack(done.Handler()), AppResult::ErrStatus) << "no unit connected yet";

    auto line = app.CommunicationConfig();
    line.BaudRate = 19200;
    line.DataBits = 8;
    line.StopBits = Common::StopBits::One;
    app.CommunicationConfig(line);
    ConnectAndRead(app, done);
    EXPECT_EQ(app.LastCommandResult(), Modem::CommandResult::Success);
    auto& other = AddUnit();
    Pelnix::Sim::Faults keep;
    keep.keepOn = {"~SLNT="};
    unit.SetFaults(keep);
    auto protocol = app.ProtocolConfig();
    protocol.SilentChar = 20;
    app.ProtocolConfig(protocol);
    ASSERT_EQ(RunWrite(app, done), AppCompletedCode::Success) << app.Result();
    EXPECT_EQ(app.ProtocolConfig().SilentChar, 20) << "the write keeps what it handed over";

    ASSERT_EQ(app.ReadBack(done.Handler()), AppResult::Pendding);
    ASSERT_TRUE(WaitCompletions(done, done.codes.size() + 1));
    app.Completed(done.codes.back());
    EXPECT_EQ(done.codes.back(), AppCompletedCode::Success);
    EXPECT_EQ(app.Status(), AppStatus::Active);
    EXPECT_EQ(app.ProtocolConfig().SilentChar, 33) << "the unit confirmed 20 but kept 33";
    EXPECT_TRUE(other.Requests().empty()) << "a read-back never scans";

    Pelnix::Sim::Faults silent;
    silent.silentOn = {"~ALLPARAM"};
    unit.SetFaults(silent);
    ASSERT_EQ(app.ReadBack(done.Handler()), AppResult::Pendding);
    ASSERT_TRUE(WaitCompletions(done, done.codes.size() + 1));
    app.Completed(done.codes.back());
    EXPECT_NE(done.codes.back(), AppCompletedCode::Success);
    EXPECT_NE(app.LastCommandResult(), Modem::CommandResult::Success);
    EXPECT_EQ(app.Status(), AppStatus::Idle);
    EXPECT_FALSE(app.port().IsOpen());
}
