// SPDX-License-Identifier: MIT
#pragma once

// What happened on each port of a scan, told from the link's trace: the scan itself is the
// command layer's, so its order and timing stay exactly as they are. The command-line program
// prints it; the windows show it as the details of their "no unit found" box.

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

#include "domain/modem/CommandResult.h"
#include "domain/modem/TraceRecorder.h"

namespace Tormel::Gui {

// HungUp: a unit answered the handshake, then its port went away (unplugged, powered off, or
// the line dropped) before the scan or the read was done.
enum class PortOutcome { Answered, Silent, Garbage, Refused, Busy, NotTried, HungUp };

struct PortReport {
    std::string port;
    PortOutcome outcome = PortOutcome::NotTried;
    QString reason;            // refused or busy: the system's text and the fix
    std::string name;          // answered: the unit's name reply
    std::string version;       // answered: its version reply
    bool supported = false;    // answered: a unit this tool configures
    std::string firstReply;    // garbage: the first line that came back
    bool otherFamily = false;  // refused: a unit of the other family answered there
};

// `ports` in list order (as the scan was given them); the result and the trace of one
// Connect/ConnectAndRead, read together with the link's state after it (the ports refused for
// lack of permission, the port and the replies of a unit that answered). Returns the ports in
// the order they were tried.
std::vector<PortReport> classifyScan(const std::vector<std::string>& ports,
                                     Domain::Modem::CommandResult result,
                                     const std::vector<Domain::Modem::TraceEntry>& trace);

QString outcomeName(PortOutcome outcome);
// One line: "<port>: <outcome>" with what there is to say about it.
QString describe(const PortReport& report);
// One line per port; a line that says so when there was no port at all.
QString describeScan(const std::vector<PortReport>& reports);

// Why this user may not open `device`, with the fix (the group that owns it, by name).
QString permissionFix(const std::string& device);
// The processes other than this one that hold `device` open: "ModemManager (pid 812)".
QStringList holdersOf(const std::string& device);

// A reply line fit for a terminal or a message box: control bytes as \xNN.
QString printable(const std::string& line);

// Follows one scan (Connect or Connect and read) so that a scan that found no unit can say
// what each port did: start() before the operation is started, stop() once its completion has
// arrived, then text().
class ScanFollower {
  public:
    void start();
    void stop();
    // The report of the scan followed; `result` is the scan's result.
    std::vector<PortReport> reports(Domain::Modem::CommandResult result) const;
    QString text(Domain::Modem::CommandResult result) const;

  private:
    std::vector<std::string> m_ports;
    Domain::Modem::TraceRecorder m_trace;
};

}  // namespace Tormel::Gui
