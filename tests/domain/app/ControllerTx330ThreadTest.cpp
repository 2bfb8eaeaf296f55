// SPDX-License-Identifier: MIT
// The contact-I/O controller against a simulated TX-330 on a pty: which records each
// completion takes back, which records a write hands to the command set, and the completion
// code the window gets for each way a unit can fail.
#include <gtest/gtest.h>

#include "domain/app/AppTestSupport.h"
#include "domain/app/TormelApp_TX330.h"
#include "sim/Tx330Unit.h"

using namespace Tormel::Domain;
using namespace Tormel::Domain::App;
using Tormel::Testing::AppTest;
using Tormel::Testing::Completions;

namespace {

// A unit whose settings differ from every default, at 19200 bit/s.
Pelnix::Sim::UnitState DistinctUnit() {
    auto state = Pelnix::Sim::Tx330FactoryState();
    state.line.BaudRate = 19200;
    state.tx330.ch = 45;
    state.tx330.nodeId = 7;
    state.tx330.grpId = 300;
    state.tx330.offDelay = 100;
    state.tx330.diDelayTenths = 25;
    return state;
}

Common::Communication At19200() {
    return {19200, 8, Common::Parity::None, Common::StopBits::One, 0, 1, Common::Handshake::None};
}

Common::Wirelessinfo MarkedRadio() {
    Common::Wirelessinfo radio{};
    radio.GrpId = static_cast<Common::WirelessinfoGrpId>(4321);
    return radio;
}

Common::Didoinfo MarkedContacts() {
    Common::Didoinfo dido{};
    dido.DoOnDelay = static_cast<Common::DidoinfoDoOnDelay>(999);
    return dido;
}

}  // namespace

using ControllerTx330Thread = AppTest;

TEST_F(ControllerTx330Thread, PlainConnectTakesOnlyTheNodeRecord) {
    auto& unit = AddUnit(DistinctUnit());
    TormelApp_TX330 app(m_queue.Dispatcher());
    ASSERT_EQ(app.Init(), AppResult_TX330::Success);
    app.CommunicationConfig(At19200());
    app.WirelessConfig(MarkedRadio());
    app.DidoConfig(MarkedContacts());

    Completions done;
    EXPECT_EQ(app.Write(done.Handler()), AppResult_TX330::ErrStatus) << "no write before a connection";
    EXPECT_EQ(app.InitWrite(done.Handler()), AppResult_TX330::ErrStatus);
    ASSERT_EQ(app.Connect(done.Handler()), AppResult_TX330::Pendding);
    EXPECT_EQ(app.Status(), AppStatus::Connecting);
    ASSERT_TRUE(WaitCompletions(done));
    ASSERT_EQ(done.codes.back(), AppCompletedCode::Success);
    app.Completed(done.codes.back());
    EXPECT_EQ(app.Status(), AppStatus::Active);
    EXPECT_EQ(app.PortName(), unit.PortPath());

    EXPECT_EQ(app.NodeinfoConfig().SoftwareName, "Brenlow TX-330 Ver1.2");
    EXPECT_EQ(app.CommunicationConfig(), At19200());
    EXPECT_EQ(app.WirelessConfig(), MarkedRadio());
    EXPECT_EQ(app.DidoConfig(), MarkedContacts());
}

TEST_F(ControllerTx330Thread, ConnectAndReadReplacesAllFourRecordsAndWriteHandsThemOver) {
    auto& unit = AddUnit(DistinctUnit());
    TormelApp_TX330 app(m_queue.Dispatcher());
    ASSERT_EQ(app.Init(), AppResult_TX330::Success);
    app.CommunicationConfig(At19200());
    app.WirelessConfig(MarkedRadio());
    app.DidoConfig(MarkedContacts());

    Completions done;
    ConnectAndRead(app, done);
    EXPECT_EQ(app.CommunicationConfig().BaudRate, 19200);
    EXPECT_EQ(app.NodeinfoConfig().SoftwareName, "Brenlow TX-330 Ver1.2");
    EXPECT_EQ(app.WirelessConfig().Ch, Common::WirelessinfoCh::CH45);
    EXPECT_EQ(static_cast<int>(app.WirelessConfig().NodeId), 7);
    EXPECT_EQ(static_cast<int>(app.WirelessConfig().GrpId), 300);
    EXPECT_EQ(static_cast<int>(app.DidoConfig().DoOffDelay), 100);
    EXPECT_EQ(static_cast<int>(app.DidoConfig().DiDelay), 25);
    EXPECT_EQ(static_cast<int>(app.DidoConfig().DoOnDelay), 0);

    // What the window changes reaches the unit through the write.
    auto radio = app.WirelessConfig();
    radio.Ch = Common::WirelessinfoCh::CH50;
    app.WirelessConfig(radio);
    auto dido = app.DidoConfig();
    dido.DoOffDelay = static_cast<Common::DidoinfoDoOffDelay>(200);
    app.DidoConfig(dido);
    ASSERT_EQ(RunWrite(app, done), AppCompletedCode::Success);
    EXPECT_EQ(app.Status(), AppStatus::Active);
    EXPECT_EQ(unit.State().tx330.ch, 50);
    EXPECT_EQ(unit.State().tx330.offDelay, 200);
    EXPECT_EQ(app.WirelessConfig(), radio) << "a write gives back only the node record";
    EXPECT_EQ(app.NodeinfoConfig().SoftwareName, "Brenlow TX-330 Ver1.2");

    // The factory reset ends connected as well.
    ASSERT_EQ(RunWrite(app, done, true), AppCompletedCode::Success);
    EXPECT_EQ(app.Status(), AppStatus::Active);
}

TEST_F(ControllerTx330Thread, EachWayAWriteFailsHasItsCompletionCodeAndEndsIdle) {
    auto& unit = AddUnit(Pelnix::Sim::Tx330FactoryState());
    TormelApp_TX330 app(m_queue.Dispatcher());
    ASSERT_EQ(app.Init(), AppResult_TX330::Success);
    Completions done;

    // The unit misanswers: a command error, with the unit's words kept for the window.
    ConnectAndRead(app, done);
    Pelnix::Sim::Faults faults;
    faults.wrongReply = {{"~CH=", "channel is busy"}};
    unit.SetFaults(faults);
    EXPECT_EQ(RunWrite(app, done), AppCompletedCode::CommandError);
    EXPECT_EQ(app.Result(), "channel is busy");
    EXPECT_EQ(app.Status(), AppStatus::Idle);
    EXPECT_FALSE(app.port().IsOpen());
    unit.SetFaults({});

    // 7 data bits without parity: the unit cannot take them.
    ConnectAndRead(app, done);
    auto line = app.CommunicationConfig();
    line.DataBits = 7;
    line.Parity = Common::Parity::None;
    app.CommunicationConfig(line);
    EXPECT_EQ(RunWrite(app, done), AppCompletedCode::DataBit7NonParityError);
    EXPECT_EQ(app.Status(), AppStatus::Idle);
    EXPECT_FALSE(app.port().IsOpen());

    // The factory reset refused.
    ConnectAndRead(app, done);
    faults = {};
    faults.wrongReply = {{"~INIT=", "busy"}};
    unit.SetFaults(faults);
    EXPECT_EQ(RunWrite(app, done, true), AppCompletedCode::CommandError);
    EXPECT_EQ(app.Status(), AppStatus::Idle);
    EXPECT_FALSE(app.port().IsOpen());

    // An empty reply line means the line is broken, not that the unit disagreed.
    unit.SetFaults({});
    ConnectAndRead(app, done);
    faults = {};
    faults.emptyReplyOn = {"~INIT="};
    unit.SetFaults(faults);
    EXPECT_EQ(RunWrite(app, done, true), AppCompletedCode::ConnectError);
    EXPECT_EQ(app.Status(), AppStatus::Idle);

    // An RS485 unit on the port is not one this window can configure. (A connect-and-read
    // would not even get that far: the other unit's listing fails the read.)
    m_units.clear();
    AddUnit();
    ASSERT_EQ(app.Connect(done.Handler()), AppResult_TX330::Pendding);
    ASSERT_TRUE(WaitCompletions(done, done.codes.size() + 1));
    EXPECT_EQ(done.codes.back(), AppCompletedCode::Unsupported);
    app.Completed(done.codes.back());
    EXPECT_EQ(app.Status(), AppStatus::Idle);
    EXPECT_FALSE(app.port().IsOpen());
}
