// SPDX-License-Identifier: MIT
// The RS485 controller's status machine against a simulated unit on a pty: which calls each
// state takes or refuses, what a refusal leaves alone, and which records cross to and from
// the link at each completion.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "domain/app/AppTestSupport.h"
#include "domain/app/TormelApp.h"

using namespace Tormel::Domain;
using namespace Tormel::Domain::App;
using Tormel::Testing::AppTest;
using Tormel::Testing::Completions;

namespace {

Common::Communication Line19200() {
    return {19200, 8, Common::Parity::Even, Common::StopBits::One, 0, 1, Common::Handshake::None};
}

Common::Protocol MarkedProtocol() {
    Common::Protocol protocol{};
    protocol.SilentChar = 77;
    protocol.PacketStartCode = 0x41;
    return protocol;
}

Common::Binding MarkedBinding() {
    Common::Binding binding{};
    binding.BindType = Common::BindingType::Each;
    return binding;
}

// Every call that starts work or touches a file must be refused in `app`'s present state,
// without a worker, a request to the unit, or a change of state or records.
void ExpectEveryStartRefused(TormelApp& app, Tormel::Testing::TaskQueue& queue, const std::string& image) {
    const AppStatus before = app.Status();
    const auto communication = app.CommunicationConfig();
    const auto protocol = app.ProtocolConfig();
    const int posted = queue.Posted();
    Completions none;
    EXPECT_EQ(app.Connect(none.Handler()), AppResult::ErrStatus);
    EXPECT_EQ(app.ConnectAndRead(none.Handler()), AppResult::ErrStatus);
    EXPECT_EQ(app.Write(none.Handler()), AppResult::ErrStatus);
    EXPECT_EQ(app.InitWrite(none.Handler()), AppResult::ErrStatus);
    EXPECT_EQ(app.Load(image), AppResult::ErrStatus);
    EXPECT_EQ(app.Store(image), AppResult::ErrStatus);
    EXPECT_EQ(app.Status(), before);
    EXPECT_EQ(app.CommunicationConfig(), communication);
    EXPECT_EQ(app.ProtocolConfig(), protocol);
    queue.PumpPending();
    EXPECT_EQ(queue.Posted(), posted);
    EXPECT_TRUE(none.Empty());
}

}  // namespace

class ControllerThread : public AppTest {};

TEST_F(ControllerThread, InvalidAndIdleTakeOnlyWhatTheyAllow) {
    auto& unit = AddUnit();
    TormelApp app(m_queue.Dispatcher());
    const std::string image = m_folder + "/none.elf";

    // Invalid: everything refused but Init; End and Completed are harmless no-ops.
    EXPECT_EQ(app.Status(), AppStatus::Invalid);
    EXPECT_EQ(app.Result(), "");
    ExpectEveryStartRefused(app, m_queue, image);
    EXPECT_EQ(app.Disconnect(), AppResult::ErrStatus);
    for (int code = 0; code < static_cast<int>(AppCompletedCode::Max); ++code) {
        EXPECT_EQ(app.Completed(static_cast<AppCompletedCode>(code)), AppResult::Success);
        EXPECT_EQ(app.Status(), AppStatus::Invalid);
    }
    EXPECT_EQ(app.End(), AppResult::Success);
    EXPECT_EQ(app.Status(), AppStatus::Invalid);

    EXPECT_EQ(app.Init(), AppResult::Success);
    EXPECT_EQ(app.Status(), AppStatus::Idle);
    EXPECT_EQ(app.Init(), AppResult::Success) << "a second Init does nothing";
    EXPECT_EQ(app.Status(), AppStatus::Idle);

    // Idle: no write, no reset, nothing to disconnect; a stray completion changes nothing.
    Completions none;
    app.ProtocolConfig(MarkedProtocol());
    EXPECT_EQ(app.Write(none.Handler()), AppResult::ErrStatus);
    EXPECT_EQ(app.InitWrite(none.Handler()), AppResult::ErrStatus);
    EXPECT_EQ(app.Disconnect(), AppResult::ErrStatus);
    EXPECT_EQ(app.Completed(AppCompletedCode::Success), AppResult::Success);
    EXPECT_EQ(app.Status(), AppStatus::Idle);
    EXPECT_EQ(app.ProtocolConfig(), MarkedProtocol());
    m_queue.PumpPending();
    EXPECT_TRUE(none.Empty());
    EXPECT_TRUE(unit.Requests().empty()) << "no refused call may reach the unit";
    EXPECT_FALSE(app.port().IsOpen());

    EXPECT_EQ(app.End(), AppResult::Success);
    EXPECT_EQ(app.Status(), AppStatus::Invalid);
}

TEST_F(ControllerThread, ConnectTakesOnlyTheNodeRecordAndActiveTakesItsOwnCalls) {
    auto& unit = AddUnit();
    TormelApp app(m_queue.Dispatcher());
    ASSERT_EQ(app.Init(), AppResult::Success);
    app.CommunicationConfig(Line19200());
    app.ProtocolConfig(MarkedProtocol());
    app.BindingConfig(MarkedBinding());

    Completions done;
    ASSERT_EQ(app.Connect(done.Handler()), AppResult::Pendding);
    EXPECT_EQ(app.Status(), AppStatus::Connecting);
    // The link got the line settings to try, and only those.
    EXPECT_EQ(Modem::Command::m_communication, Line19200());
    ExpectEveryStartRefused(app, m_queue, m_folder + "/none.elf");
    EXPECT_EQ(app.Init(), AppResult::Success);
    EXPECT_EQ(app.Status(), AppStatus::Connecting);

    ASSERT_TRUE(WaitCompletions(done));
    ASSERT_EQ(done.codes, std::vector{AppCompletedCode::Success});
    EXPECT_EQ(app.Status(), AppStatus::Connecting) << "the window acknowledges first";
    EXPECT_EQ(app.Completed(AppCompletedCode::Success), AppResult::Success);
    EXPECT_EQ(app.Status(), AppStatus::Active);
    EXPECT_TRUE(app.port().IsOpen());
    EXPECT_EQ(app.PortName(), unit.PortPath());

    EXPECT_EQ(app.NodeinfoConfig().SoftwareName, "Tarvic2(920MHz) TX-910A Ver1.7");
    EXPECT_EQ(app.NodeinfoConfig().SoftwareVersion, "2.6");
    EXPECT_EQ(app.CommunicationConfig(), Line19200());
    EXPECT_EQ(app.ProtocolConfig(), MarkedProtocol());
    EXPECT_EQ(app.BindingConfig(), MarkedBinding());

    // Active: no file work, a late completion changes nothing, a second Connect is allowed.
    EXPECT_EQ(app.Load(m_folder + "/none.elf"), AppResult::ErrStatus);
    EXPECT_EQ(app.Store(m_folder + "/none.elf"), AppResult::ErrStatus);
    EXPECT_EQ(app.Completed(AppCompletedCode::Success), AppResult::Success);
    EXPECT_EQ(app.Completed(AppCompletedCode::ConnectError), AppResult::Success);
    EXPECT_EQ(app.Status(), AppStatus::Active);
    EXPECT_TRUE(app.port().IsOpen());

    ASSERT_EQ(app.Connect(done.Handler()), AppResult::Pendding);
    ASSERT_TRUE(WaitCompletions(done, 2));
    EXPECT_EQ(done.codes.back(), AppCompletedCode::Success);
    app.Completed(done.codes.back());
    EXPECT_EQ(app.Status(), AppStatus::Active);

    EXPECT_EQ(app.Disconnect(), AppResult::Success);
    EXPECT_EQ(app.Status(), AppStatus::Idle);
    EXPECT_FALSE(app.port().IsOpen());
    EXPECT_EQ(app.Disconnect(), AppResult::ErrStatus);
}

TEST_F(ControllerThread, FailedOrUnsupportedConnectEndsIdleWithThePortClosed) {
    Pelnix::Sim::UnitState newer;
    newer.version = "4.0";  // answers, but no firmware this tool knows
    AddUnit(newer);
    TormelApp app(m_queue.Dispatcher());
    ASSERT_EQ(app.Init(), AppResult::Success);

    Completions done;
    ASSERT_EQ(app.ConnectAndRead(done.Handler()), AppResult::Pendding);
    EXPECT_EQ(app.Status(), AppStatus::ConnectingAndReading);
    ASSERT_TRUE(WaitCompletions(done));
    EXPECT_EQ(done.codes.back(), AppCompletedCode::Unsupported);
    EXPECT_EQ(app.Result(), "4.0") << "the unit's last reply is kept for the window";
    app.Completed(done.codes.back());
    EXPECT_EQ(app.Status(), AppStatus::Idle);
    EXPECT_FALSE(app.port().IsOpen());

    // A unit whose name lacks the module family is unsupported as well.
    m_units.clear();
    Pelnix::Sim::UnitState stranger;
    stranger.name = "Other radio Ver1.0";
    AddUnit(stranger);
    ASSERT_EQ(app.Connect(done.Handler()), AppResult::Pendding);
    ASSERT_TRUE(WaitCompletions(done, 2));
    EXPECT_EQ(done.codes.back(), AppCompletedCode::Unsupported);
    app.Completed(done.codes.back());
    EXPECT_EQ(app.Status(), AppStatus::Idle);
    EXPECT_FALSE(app.port().IsOpen());

    // Nobody there at all.
    m_units.clear();
    UsePorts({m_folder + "/no-such-port"});
    ASSERT_EQ(app.Connect(done.Handler()), AppResult::Pendding);
    ASSERT_TRUE(WaitCompletions(done, 3));
    EXPECT_EQ(done.codes.back(), AppCompletedCode::ConnectError);
    app.Completed(done.codes.back());
    EXPECT_EQ(app.Status(), AppStatus::Idle);
    EXPECT_FALSE(app.port().IsOpen());
}

// The window may show the port name at any time, also while a scan runs on the worker: it reads
// the copy handed over with the last completion, never the link's own field that the scan is
// writing (a data race that the thread-sanitizer build would report).
TEST_F(ControllerThread, PortNameIsHandedOverWithEachCompletion) {
    using namespace std::chrono_literals;
    auto& good = AddUnit();
    auto& silent = AddUnit();  // scanned first: its attempts wait out their read time-outs
    Pelnix::Sim::Faults faults;
    faults.silentOn = {"~"};
    silent.SetFaults(faults);
    TormelApp app(m_queue.Dispatcher());
    ASSERT_EQ(app.Init(), AppResult::Success);

    Completions done;
    ASSERT_EQ(app.Connect(done.Handler()), AppResult::Pendding);
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    bool emptyWhileRunning = true;
    while (done.Empty() && std::chrono::steady_clock::now() < deadline) {
        emptyWhileRunning = emptyWhileRunning && app.PortName().empty();
        m_queue.PumpPending();
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_TRUE(emptyWhileRunning) << "before the first completion there is no port name";
    ASSERT_EQ(done.codes, std::vector{AppCompletedCode::Success});
    app.Completed(done.codes.back());
    EXPECT_EQ(app.PortName(), good.PortPath());
    Modem::Command::m_portName = silent.PortPath();
    EXPECT_EQ(app.PortName(), good.PortPath()) << "the link's own field is not what the window reads";

    // A scan that finds nobody hands over the port it tried last.
    UsePorts({m_folder + "/no-such-port"});
    ASSERT_EQ(app.Connect(done.Handler()), AppResult::Pendding);
    ASSERT_TRUE(WaitCompletions(done, 2));
    EXPECT_EQ(done.codes.back(), AppCompletedCode::ConnectError);
    EXPECT_EQ(app.PortName(), m_folder + "/no-such-port");
}
