// SPDX-License-Identifier: MIT
// The link's primitives and the re-synchronising rule over a real pty with a simulated unit.
#include <string>
#include <thread>
#include <vector>

#include "LinkTestSupport.h"

namespace Pelnix::Test {
namespace {

using Tormel::Domain::Modem::ResyncRule;

class LinkPrimitives : public LinkTest {
  protected:
    void SetUp() override {
        LinkTest::SetUp();
        OpenOn(m_unit.PortPath(), Line(9600));
        m_trace.Attach();
    }

    SimPty m_unit;
    TraceRecord m_trace;
};

TEST_F(LinkPrimitives, SendDropsStaleRepliesAndReceiveKeepsTheLine) {
    Command::Send("~VER?");
    // Let the version reply arrive unread (the unit logs it once written); the next request
    // must not be answered by it.
    ASSERT_EQ(m_unit.LogOf(2).size(), 2u);
    Command::Send("~NAME?");
    EXPECT_EQ(Command::Receive(), m_unit.State().name);
    EXPECT_EQ(Command::Result(), m_unit.State().name);
    EXPECT_EQ(m_unit.Requests(), (std::vector<std::string>{"~VER?", "~NAME?"}));
}

TEST_F(LinkPrimitives, ReplyThatIsNotALineIsNoConnection) {
    m_unit.EmptyReplyTo("~VER?");
    Command::m_result = "older line";
    Command::Send("~VER?");
    EXPECT_EQ(Raised([] { Command::Receive(); }), CommandResult::ErrConnect);
    EXPECT_EQ(Command::Result(), "");  // the empty line was received; it is what the user sees

    m_unit.ClearFaults();
    m_unit.SilentOn("~NAME?");
    Command::Send("~NAME?");
    EXPECT_EQ(Raised([] { Command::Receive(3); }), CommandResult::ErrConnect);
    EXPECT_EQ(Raised([] { Command::Receive(0); }), CommandResult::ErrConnect);

    // An overlong line (noise, a wrong bit rate) fails the read but leaves the link usable.
    m_unit.ClearFaults();
    m_unit.WrongReplyTo("~VER?", std::string(std::size_t{100} * 1024, 'x'));
    Command::Send("~VER?");
    EXPECT_EQ(Raised([] { Command::Receive(); }), CommandResult::ErrConnect);
    m_unit.ClearFaults();
    EXPECT_TRUE(Command::IsConnect());
}

TEST_F(LinkPrimitives, UnitThatHangsUpEndsTheExchange) {
    m_unit.HangUpAfterLines(1);
    // Whether the write or the read notices first, the link fails cleanly with ErrConnect.
    const CommandResult result = Raised([] {
        Command::Send("~VER?");
        Command::Receive();
    });
    EXPECT_EQ(result, CommandResult::ErrConnect);
    EXPECT_TRUE(m_unit.HungUp());
    EXPECT_EQ(Raised([] { Command::IsConnect(); }), CommandResult::ErrConnect);
}

TEST_F(LinkPrimitives, RestartReopensAtTheLinksSettings) {
    Sim::UnitState fast;
    fast.line = Line(38400);
    m_unit.ResetUnit(fast);
    Command::m_current = Line(38400);
    Command::Restart();
    EXPECT_EQ(m_trace.Events("closed").size(), 1u);
    EXPECT_EQ(m_trace.Events("opened").size(), 1u);
    EXPECT_TRUE(Command::IsConnect());
}

TEST_F(LinkPrimitives, LineSettingChangesReopenOnlyWhereTheRuleSays) {
    struct Row {
        const char* what;
        int portIF;
        const char* version;
        Communication before;
        Communication confirmed;
        ResyncRule rule;
        bool reopened;
    };
    const ResyncRule serialLine{};                          // baud, data bits, parity, stop bits
    const ResyncRule interfaceOrFlow{false, false, false};  // interface port, flow control
    const ResyncRule contactUnit{true, true, false};        // the contact-I/O unit's line commands
    const Row rows[] = {
        {"new speed over UART", 1, "2.6", Line(9600), Line(19200), serialLine, true},
        {"new speed over USB", 2, "2.6", Line(9600), Line(19200), serialLine, false},
        {"interface unknown", 0, "2.6", Line(9600), Line(19200), serialLine, false},
        {"same speed", 1, "2.6", Line(9600), Line(9600), serialLine, false},
        {"same value, no comparison", 1, "2.6", Line(9600), Line(9600), interfaceOrFlow, true},
        {"7N at 2.5", 1, "2.5", Line(9600), Line(9600, 7), serialLine, false},
        {"7N at 2.4", 1, "2.4", Line(9600), Line(9600, 7), serialLine, true},
        {"7N on the contact unit", 1, "2.4", Line(9600), Line(9600, 7), contactUnit, false},
        {"7N, interface command", 1, "2.6", Line(9600, 7), Line(9600, 7), interfaceOrFlow, true},
        {"7E at 2.6", 1, "2.6", Line(9600, 7), Line(9600, 7, Parity::Even), serialLine, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Command::m_portIF = row.portIF;
        Command::m_nodeinfo.SoftwareVersion = row.version;
        Command::m_current = row.before;
        m_trace.Clear();

        Command::ApplyLineSetting(row.confirmed, row.rule);

        EXPECT_EQ(Command::m_current, row.confirmed);
        EXPECT_EQ(m_trace.Events("opened").size(), row.reopened ? 1u : 0u);
        EXPECT_TRUE(m_port->IsOpen());
    }
}

TEST_F(LinkPrimitives, NewSpeedOverUartIsUsedForTheNextRequest) {
    Command::m_portIF = 1;
    Command::m_nodeinfo.SoftwareVersion = "2.6";
    // The unit switches first (as it does once it has confirmed), then the link follows.
    Sim::UnitState fast;
    fast.line = Line(115200);
    m_unit.ResetUnit(fast);
    Communication confirmed = Command::m_current;
    confirmed.BaudRate = 115200;
    Command::ApplyLineSetting(confirmed);
    m_unit.ClearLog();
    EXPECT_TRUE(Command::IsConnect());
    EXPECT_EQ(m_unit.Requests(), std::vector<std::string>{"~CONNECT?"});
}

}  // namespace
}  // namespace Pelnix::Test
