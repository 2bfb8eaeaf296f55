// SPDX-License-Identifier: MIT
// The scan report told from a link trace: what each port did, in the order the scan tried them.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "domain/modem/Command.h"
#include "settings/ScanReport.h"

namespace {

using Tormel::Domain::Modem::Command;
using Tormel::Domain::Modem::CommandResult;
using Tormel::Domain::Modem::RefusedPort;
using Tormel::Domain::Modem::TraceDirection;
using Tormel::Domain::Modem::TraceEntry;
using Tormel::Gui::describeScan;
using Tormel::Gui::PortOutcome;
using Tormel::Gui::PortReport;

TraceEntry event(const std::string& line) { return {0.0, TraceDirection::Event, line}; }
TraceEntry sent(const std::string& line) { return {0.0, TraceDirection::Sent, line}; }
TraceEntry got(const std::string& line) { return {0.0, TraceDirection::Received, line}; }

// The link's state after a scan, restored for the next case.
class ScanReportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Command::m_refusedPorts.clear();
        Command::m_portName.clear();
        Command::m_nodeinfo = {};
    }
    void TearDown() override { SetUp(); }
};

TEST_F(ScanReportTest, EachTracedPortGetsItsOutcome) {
    // The ports do not exist, so no process can hold them: every outcome comes from the trace.
    const std::string a = "/nonexistent/ttyA", b = "/nonexistent/ttyB";
    const std::string busy = std::strerror(EBUSY);
    struct Case {
        const char* what;
        std::vector<TraceEntry> trace;
        CommandResult result;
        PortOutcome outcomeA;
        QString lineA;
    };
    const std::vector<TraceEntry> silentB = {event("opened " + b + " at 9600"), sent("~CONNECT?"),
                                             event("attempt abandoned on " + b), event("closed " + b)};
    auto with = [&](std::vector<TraceEntry> tail) {
        std::vector<TraceEntry> all = silentB;
        all.insert(all.end(), tail.begin(), tail.end());
        return all;
    };
    const Case cases[] = {
        {"nothing came back", with({event("opened " + a + " at 9600"), sent("~CONNECT?")}),
         CommandResult::ErrConnect, PortOutcome::Silent, QString::fromStdString(a + ": silent")},
        {"a line that is not the handshake's",
         with({event("opened " + a + " at 9600"), sent("~CONNECT?"), got("#?\x01x")}),
         CommandResult::ErrConnect, PortOutcome::Garbage,
         QString::fromStdString(a + ": garbage (first reply \"#?\\x01x\")")},
        {"stale bytes, then the handshake: not garbage",
         with({event("opened " + a + " at 9600"), sent("~CONNECT?"), got("zz"), sent("~CONNECT?"), got("ok"),
               event("attempt abandoned on " + a)}),
         CommandResult::ErrConnect, PortOutcome::Silent, QString::fromStdString(a + ": silent")},
        {"the device is busy", with({event("open failed: " + a + ": " + busy)}), CommandResult::ErrConnect,
         PortOutcome::Busy, QString::fromStdString(a + ": busy (" + busy + ")")},
        {"an open that failed for another reason", with({event("open failed: " + a + ": No such device")}),
         CommandResult::ErrConnect, PortOutcome::Refused,
         QString::fromStdString(a + ": refused (No such device)")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<PortReport> reports = Tormel::Gui::classifyScan({a, b}, c.result, c.trace);
        // The scan runs from the last port to the first.
        ASSERT_EQ(reports.size(), 2u);
        EXPECT_EQ(reports[0].port, b);
        EXPECT_EQ(reports[0].outcome, PortOutcome::Silent);
        EXPECT_EQ(reports[1].port, a);
        EXPECT_EQ(reports[1].outcome, c.outcomeA);
        EXPECT_EQ(describeScan(reports), QString::fromStdString(b + ": silent\n") + c.lineA);
    }
}

TEST_F(ScanReportTest, RefusedPortsCarryTheFixAndAnsweringUnitsTheirReplies) {
    // A real file stands in for the device, so that its group can be named.
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::string denied = folder.filePath(QStringLiteral("ttyUSB0")).toStdString();
    { QFile(QString::fromStdString(denied)).open(QIODevice::WriteOnly); }
    // A group that may read and write it, and not root's: then joining that group is the fix.
    ASSERT_EQ(::chmod(denied.c_str(), 0660), 0);
    if (::getegid() == 0) {
        ASSERT_EQ(::chown(denied.c_str(), static_cast<uid_t>(-1), 5), 0);
    }
    const std::string unit = "/nonexistent/ttyUSB1";
    Command::m_refusedPorts = {RefusedPort{denied, "Permission denied"}};
    Command::m_portName = unit;
    Command::m_nodeinfo.SoftwareName = "TX-910A";
    Command::m_nodeinfo.SoftwareVersion = "9.9";
    const std::vector<TraceEntry> trace = {event("open failed: " + denied + ": Permission denied"),
                                           event("opened " + unit + " at 9600"), sent("~CONNECT?"),
                                           got("ok")};
    const std::vector<PortReport> reports =
        Tormel::Gui::classifyScan({unit, denied}, CommandResult::ErrUnsupported, trace);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].outcome, PortOutcome::Refused);
    EXPECT_TRUE(
        reports[0].reason.startsWith(QStringLiteral("Permission denied; the device belongs to group \"")))
        << reports[0].reason.toStdString();
    EXPECT_TRUE(reports[0].reason.contains(QStringLiteral("usermod -aG")));
    EXPECT_EQ(reports[1].outcome, PortOutcome::Answered);
    EXPECT_EQ(Tormel::Gui::describe(reports[1]),
              QString::fromStdString(unit + ": answered: TX-910A, version 9.9 (not supported)"));
}

TEST_F(ScanReportTest, PortsPastTheScanWindowAreNotTriedAndNoPortIsSaid) {
    std::vector<std::string> ports;
    for (std::size_t i = 0; i <= Command::Timing().MaxPorts; ++i)
        ports.push_back("/nonexistent/p" + std::to_string(i));
    const std::vector<PortReport> reports = Tormel::Gui::classifyScan(ports, CommandResult::ErrConnect, {});
    ASSERT_EQ(reports.size(), Command::Timing().MaxPorts);
    EXPECT_EQ(reports.front().port, ports[Command::Timing().MaxPorts - 1]);
    // A port listed but never reached (the scan was stopped) says so.
    EXPECT_EQ(reports.front().outcome, PortOutcome::NotTried);
    EXPECT_EQ(describeScan({}), QStringLiteral("no serial port to scan"));
}

}  // namespace
