// SPDX-License-Identifier: MIT
#pragma once

// What happened on each port of a scan, told from the link's trace: the scan itself is the
// command layer's, so its order and timing stay exactly the windows'.

#include <QJsonArray>
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliSupport.h"
#include "domain/modem/CommandResult.h"

namespace Tormel::Cli {

enum class PortOutcome { Answered, Silent, Garbage, Refused, Busy, NotTried };

struct PortReport {
    std::string port;
    PortOutcome outcome = PortOutcome::NotTried;
    QString reason;          // refused or busy: the system's text and the fix
    std::string name;        // answered: the unit's name reply
    std::string version;     // answered: its version reply
    bool supported = false;  // answered: a unit this tool configures
    std::string firstReply;  // garbage: the first line that came back
};

// `ports` in list order (as the scan was given them); the result and the trace of one
// Connect/ConnectAndRead. Returns the ports in the order they were tried.
std::vector<PortReport> classifyScan(const std::vector<std::string>& ports,
                                     Domain::Modem::CommandResult result,
                                     const std::vector<TraceEntry>& trace);

QString outcomeName(PortOutcome outcome);
QString describe(const PortReport& report);
QJsonArray toJson(const std::vector<PortReport>& reports);

// Why this user may not open `device`, with the fix (the group that owns it, by name).
QString permissionFix(const std::string& device);
// The processes other than this one that hold `device` open: "ModemManager (pid 812)".
QStringList holdersOf(const std::string& device);

// Runs a scan for a unit of `family` with `read` (ConnectAndRead) or without; prints the
// per-port report when nothing was found. Returns kExitOk, kExitNoUnit or kExitUnsupported.
int connectUnit(Family family, bool read, Output& out, std::vector<PortReport>* reports = nullptr);

}  // namespace Tormel::Cli
