// SPDX-License-Identifier: MIT
// The scan report told from the facts a scan returns: what each port did, in the order the scan
// tried them.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "settings/ScanReport.h"

namespace {

using Tormel::Domain::Modem::CommandResult;
using Tormel::Domain::Modem::OpenAttempt;
using Tormel::Domain::Modem::PortFacts;
using Tormel::Domain::Modem::PortVerdict;
using Tormel::Domain::Modem::ScanFacts;
using Tormel::Gui::describeScan;
using Tormel::Gui::PortOutcome;
using Tormel::Gui::PortReport;
using Tormel::Gui::reportScan;

PortFacts port(const std::string& name, PortVerdict verdict, std::vector<OpenAttempt> attempts = {{}},
               const std::string& firstReply = {}) {
    PortFacts facts;
    facts.PortName = name;
    facts.Verdict = verdict;
    facts.Attempts = std::move(attempts);
    facts.FirstReply = firstReply;
    return facts;
}

OpenAttempt failedWith(int error) { return OpenAttempt{{}, false, error, std::strerror(error)}; }

TEST(ScanReport, EachPortsFactsGetTheirOutcomeAndLine) {
    // The ports do not exist, so no process can hold them: every outcome comes from the facts.
    const std::string a = "/nonexistent/ttyA", b = "/nonexistent/ttyB";
    const std::string busy = std::strerror(EBUSY);
    struct Case {
        const char* what;
        PortFacts facts;
        PortOutcome outcomeA;
        QString lineA;
    };
    const Case cases[] = {
        {"nothing came back", port(a, PortVerdict::Silent), PortOutcome::Silent,
         QString::fromStdString(a + ": silent")},
        {"a line that is not the handshake's", port(a, PortVerdict::Garbage, {{}}, "#?\x01x"),
         PortOutcome::Garbage, QString::fromStdString(a + ": garbage (first reply \"#?\\x01x\")")},
        {"the device is busy", port(a, PortVerdict::OpenFailed, {failedWith(EBUSY)}), PortOutcome::Busy,
         QString::fromStdString(a + ": busy (" + busy + ")")},
        {"an open that failed for another reason", port(a, PortVerdict::OpenFailed, {failedWith(ENODEV)}),
         PortOutcome::Refused, QString::fromStdString(a + ": refused (" + std::strerror(ENODEV) + ")")},
        {"a unit that answered, then went with its port", port(a, PortVerdict::HungUp), PortOutcome::HungUp,
         QString::fromStdString(a + ": hung up (a unit answered, then the port went away; check the cable "
                                    "and the unit's power)")},
        {"the escape sequences of a port name are shown, not played",
         port(a + "\x1b[2J\xe2\x80\xae", PortVerdict::Garbage, {{}}, "\x1b]0;owned\x07"),
         PortOutcome::Garbage,
         QString::fromStdString(a + "\\x1b[2J\\u202e: garbage (first reply \"\\x1b]0;owned\\x07\")")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<PortReport> reports =
            reportScan(ScanFacts{1, {port(b, PortVerdict::Silent), c.facts}});
        ASSERT_EQ(reports.size(), 2u);
        EXPECT_EQ(reports[0].port, b);
        EXPECT_EQ(reports[0].outcome, PortOutcome::Silent);
        EXPECT_EQ(reports[1].outcome, c.outcomeA);
        EXPECT_EQ(describeScan(reports), QString::fromStdString(b + ": silent\n") + c.lineA);
    }
}

TEST(ScanReport, RefusedPortsCarryTheFixAndAnsweringUnitsTheirReplies) {
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
    PortFacts held = port(unit, PortVerdict::Answered);
    held.Result = CommandResult::ErrUnsupported;
    held.Name = "TX-910A";
    held.Version = "9.9";
    // A unit whose replies came late is there all the same; its port still exists.
    const std::string late = folder.filePath(QStringLiteral("ttyUSB2")).toStdString();
    { QFile(QString::fromStdString(late)).open(QIODevice::WriteOnly); }
    const std::vector<PortReport> reports =
        reportScan(ScanFacts{1,
                             {port(denied, PortVerdict::OpenFailed, {failedWith(EACCES)}), held,
                              port(late, PortVerdict::Answered, {{}}, "Tarvic2(920MHz) TX-910A Ver1.7")}});
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[0].outcome, PortOutcome::Refused);
    EXPECT_TRUE(
        reports[0].reason.startsWith(QStringLiteral("Permission denied; the device belongs to group \"")))
        << reports[0].reason.toStdString();
    EXPECT_TRUE(reports[0].reason.contains(QStringLiteral("usermod -aG")));
    EXPECT_EQ(reports[1].outcome, PortOutcome::Answered);
    EXPECT_TRUE(reports[1].held);
    EXPECT_EQ(Tormel::Gui::describe(reports[1]),
              QString::fromStdString(unit + ": answered: TX-910A, version 9.9 (not supported)"));
    EXPECT_EQ(reports[2].outcome, PortOutcome::Answered);
    EXPECT_FALSE(reports[2].held);
    EXPECT_TRUE(
        Tormel::Gui::describe(reports[2]).contains(QStringLiteral("\"Tarvic2(920MHz) TX-910A Ver1.7\"")));
}

TEST(ScanReport, PortsNotReachedAreNotTriedAndNoPortIsSaid) {
    const std::vector<PortReport> reports =
        reportScan(ScanFacts{1, {port("/nonexistent/p1", PortVerdict::NotTried, {})}});
    ASSERT_EQ(reports.size(), 1u);
    // A port listed but never reached (the scan was stopped) says so.
    EXPECT_EQ(reports.front().outcome, PortOutcome::NotTried);
    EXPECT_EQ(describeScan(reports), QStringLiteral("/nonexistent/p1: not tried"));
    EXPECT_EQ(describeScan({}), QStringLiteral("no serial port to scan"));
}

}  // namespace
