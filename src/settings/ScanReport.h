// SPDX-License-Identifier: MIT
#pragma once

// What happened on each port of a scan, told from the facts the scan returns (Command::LastScan)
// and what the system says of each device now (gone, held by another program, whose group).
// The command-line program prints it; the windows show it as the details of their "no unit
// found" box.

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

#include "domain/modem/CommandResult.h"
#include "domain/modem/ScanFacts.h"

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
    std::string firstReply;    // garbage: the first line that came back; answered late: the
                               // first line after the handshake
    bool otherFamily = false;  // refused: a unit of the other family answered there
    bool held = false;         // answered: the scan ended here with this unit
};

// One report per port of the scan, in the order the scan took them.
std::vector<PortReport> reportScan(const Domain::Modem::ScanFacts& facts);

QString outcomeName(PortOutcome outcome);
// One line: "<port>: <outcome>" with what there is to say about it.
QString describe(const PortReport& report);
// One line per port; a line that says so when there was no port at all.
QString describeScan(const std::vector<PortReport>& reports);

// Why this user may not open `device`, with the fix (the group that owns it, by name).
QString permissionFix(const std::string& device);
// The processes other than this one that hold `device` open: "ModemManager (pid 812)".
QStringList holdersOf(const std::string& device);

// A reply line fit for a terminal or a message box: control bytes (and any byte outside
// printable ASCII: units answer in ASCII) as \xNN, so that no device can put escape sequences
// on the screen.
QString printable(const std::string& line);
// A port name, device string or system text (UTF-8, possibly localised) with its control and
// format characters escaped (\xNN, \uNNNN) and the rest kept.
QString printableText(const QString& text);
QString printableText(const std::string& text);

// Follows one scan (Connect or Connect and read) so that a scan that found no unit can say
// what each port did: start() before the operation is started, stop() once its completion has
// arrived, then text().
class ScanFollower {
  public:
    void start();
    void stop();
    // The report of the scan followed (nothing when the operation ran no scan).
    std::vector<PortReport> reports() const;
    QString text() const;

  private:
    uint64_t m_before = 0;
    Domain::Modem::ScanFacts m_facts;
};

}  // namespace Tormel::Gui
