// SPDX-License-Identifier: MIT
// The text of a failed write, following the real link to a simulated unit: a value refused
// before its request went out is named as such, never the request the unit accepted before it.
#include <gtest/gtest.h>

#include <QString>
#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "domain/modem/Command.h"
#include "gui/WriteFailureReport.h"
#include "platform/SerialPort.h"
#include "settings/StringTable.h"
#include "sim/Rs485Unit.h"
#include "support/SimPty.h"

namespace {

using namespace std::chrono_literals;
using Tormel::Domain::Modem::Command;
using Tormel::Domain::Modem::CommandResult;
using Tormel::Gui::Msg;
using Tormel::Gui::StringTable;
using Tormel::Gui::WriteFailureReport;

class WriteFailureReportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_savedTiming = Command::Timing();
        auto& t = Command::Timing();
        t.ReadTimeout = 150ms;
        t.Tries = 3;
        t.LinePause = 1ms;
        t.ReopenDelay = 5ms;
        Command::SerialPort(m_port.get());
    }
    void TearDown() override {
        try {
            Command::Close();
        } catch (...) {
        }
        Command::SetPortLister({});
        Command::SerialPort(nullptr);
        Command::Timing() = m_savedTiming;
    }

    std::unique_ptr<Tormel::Platform::ISerialPort> m_port = Tormel::Platform::CreateSerialPort();
    Tormel::Domain::Modem::CommandTiming m_savedTiming;
    StringTable m_st;
};

TEST_F(WriteFailureReportTest, ARefusedValueIsNamedAndNoAcceptedRequestIsBlamed) {
    struct Case {
        const char* what;
        std::function<void(Pelnix::Test::SimPty&)> arrange;
        QString text;       // the report
        const char* never;  // no request starting so reached the unit
    };
    const Case cases[] = {
        {"silent interval 101", [](auto&) { Command::m_protocol.SilentChar = 101; },
         m_st.getString(Msg::WriteValueRefused).arg(QStringLiteral("~SLNT=101")), "~SLNT="},
        {"start and end code one byte",
         [](auto&) {
             Command::m_protocol.PacketStartCode = 0x0A;
             Command::m_protocol.PacketEndCode = 0x0A;
         },
         m_st.getString(Msg::WriteValueRefused).arg(QStringLiteral("~STX=0x0A ~ETX=0x0A,0")), "~STX="},
        // The unit itself refusing a request still names that request and its answer.
        {"broadcast address refused by the unit", [](auto& sim) { sim.WrongReplyTo("~BCAD=", "NG"); },
         m_st.getString(Msg::WriteRequestFailed).arg(QStringLiteral("~BCAD=65535")) + QLatin1Char('\n') +
             m_st.getString(Msg::WriteRequestReply).arg(QStringLiteral("NG")),
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Pelnix::Test::SimPty sim(Pelnix::Sim::Rs485FactoryState());
        const std::string port = sim.PortPath();
        Command::SetPortLister([port] { return std::vector<std::string>{port}; });
        ASSERT_EQ(Command::ConnectAndRead(), CommandResult::Success);
        Command::m_protocol.PacketOffset = 0;
        c.arrange(sim);
        sim.ClearLog();

        WriteFailureReport report;
        report.start();
        const CommandResult written = Command::Write();
        report.stop();
        EXPECT_NE(written, CommandResult::Success);
        EXPECT_EQ(report.text(m_st).toStdString(), c.text.toStdString());
        if (c.never != nullptr) {
            const std::vector<std::string> requests = sim.Requests();
            EXPECT_FALSE(std::any_of(requests.begin(), requests.end(),
                                     [&](const std::string& r) { return r.rfind(c.never, 0) == 0; }));
        }
        Command::Close();
    }
}

}  // namespace
