// SPDX-License-Identifier: MIT
#include "cli/ScanReport.h"

#include <QJsonObject>
#include <cstdio>
#include <optional>
#include <utility>

#include "domain/modem/Command.h"
#include "domain/modem/TX330Command.h"

namespace Tormel::Cli {

using Domain::Modem::Command;
using Domain::Modem::CommandResult;
using Domain::Modem::TX330Command;

QJsonArray toJson(const std::vector<PortReport>& reports) {
    QJsonArray out;
    for (const PortReport& r : reports) {
        QJsonObject o;
        o.insert(QStringLiteral("port"), QString::fromStdString(r.port));
        o.insert(QStringLiteral("outcome"), outcomeName(r.outcome));
        if (!r.reason.isEmpty()) o.insert(QStringLiteral("reason"), r.reason);
        if (r.outcome == PortOutcome::Answered) {
            o.insert(QStringLiteral("name"), printable(r.name));
            o.insert(QStringLiteral("version"), printable(r.version));
            o.insert(QStringLiteral("supported"), r.supported);
        }
        if (r.outcome == PortOutcome::Garbage)
            o.insert(QStringLiteral("firstReply"), printable(r.firstReply));
        if (r.otherFamily) o.insert(QStringLiteral("otherFamily"), true);
        out.append(o);
    }
    return out;
}

namespace {

QString unitKind(Family family) {
    return family == Family::Rs485 ? QStringLiteral("an RS485 unit (TX-910A/TX-710A)")
                                   : QStringLiteral("a contact-I/O unit (TX-330)");
}

// A unit of the other family on one of the ports where something answered, named: the scan
// of one family takes the other's replies for garbage or for an unknown unit.
std::optional<std::pair<std::string, std::string>> otherFamilyUnit(Family family,
                                                                   const std::vector<PortReport>& tried) {
    const Domain::Modem::PortLister lister = Command::CurrentPortLister();
    std::optional<std::pair<std::string, std::string>> found;
    for (const PortReport& r : tried) {
        if (r.outcome != PortOutcome::Garbage && r.outcome != PortOutcome::Answered) continue;
        if (r.outcome == PortOutcome::Answered && r.supported) continue;
        const std::string port = r.port;
        Command::SetPortLister([port] { return std::vector<std::string>{port}; });
        const CommandResult result = family == Family::Rs485 ? TX330Command::Connect() : Command::Connect();
        const std::string name = family == Family::Rs485 ? TX330Command::m_nodeinfo.SoftwareName
                                                         : Command::m_nodeinfo.SoftwareName;
        try {
            Command::Close();
        } catch (...) {
            // the port is gone either way
        }
        if (result == CommandResult::Success) {
            found = std::pair{port, name};
            break;
        }
    }
    Command::SetPortLister(lister);
    return found;
}

}  // namespace

int connectUnit(Family family, bool read, Output& out, std::vector<PortReport>* reports) {
    const std::vector<std::string> ports = Command::ListPorts();
    TraceRecorder recorder;
    Output::progress(QStringLiteral("scanning %1 port(s)...").arg(ports.size()));
    CommandResult result;
    if (family == Family::Rs485) {
        result = read ? Command::ConnectAndRead() : Command::Connect();
    } else {
        result = read ? TX330Command::ConnectAndRead() : TX330Command::Connect();
    }
    std::vector<PortReport> tried = classifyScan(ports, result, recorder.entries());
    if (result != CommandResult::Success) {
        const std::string unitPort = Command::m_portName;
        const Domain::Common::Nodeinfo unitNode = Command::m_nodeinfo;
        if (const auto other = otherFamilyUnit(family, tried)) {
            const Family otherFamily = family == Family::Rs485 ? Family::Tx330 : Family::Rs485;
            for (PortReport& r : tried) {
                if (r.port != other->first) continue;
                r.outcome = PortOutcome::Refused;
                r.otherFamily = true;
                r.reason = QStringLiteral("%1 answered (%2), not %3; use --family %4")
                               .arg(unitKind(otherFamily), printable(other->second), unitKind(family),
                                    otherFamily == Family::Rs485 ? QStringLiteral("rs485") : "tx330");
            }
            if (reports) *reports = tried;
            out.doc.insert(QStringLiteral("scan"), toJson(tried));
            // diff and write take the family from the settings file: for them the fix is a file
            // of the unit's family.
            out.error(
                QStringLiteral("%1 answered on %2 (%3), not %4; use --family %5, or with diff and write a "
                               "settings file of that unit's family")
                    .arg(unitKind(otherFamily), QString::fromStdString(other->first),
                         printable(other->second), unitKind(family),
                         otherFamily == Family::Rs485 ? QStringLiteral("rs485") : "tx330"));
            return kExitUnsupported;
        }
        Command::m_portName = unitPort;
        Command::m_nodeinfo = unitNode;
    }
    if (reports) *reports = tried;
    if (result == CommandResult::Success) return kExitOk;
    out.doc.insert(QStringLiteral("scan"), toJson(tried));
    if (result == CommandResult::ErrUnsupported) {
        out.error(texts().getString(Gui::Msg::UnitNotSupported) +
                  QStringLiteral(" (%1: %2 %3)")
                      .arg(QString::fromStdString(Command::m_portName),
                           printable(Command::m_nodeinfo.SoftwareName),
                           printable(Command::m_nodeinfo.SoftwareVersion)));
        return kExitUnsupported;
    }
    out.error(texts().getString(Gui::Msg::ReadFailed));
    if (!out.json && !out.quiet) {
        for (const PortReport& r : tried)
            std::fprintf(stderr, "  %s\n", describe(r).toLocal8Bit().constData());
        if (tried.empty()) std::fprintf(stderr, "  no serial port to scan\n");
    }
    return kExitNoUnit;
}

}  // namespace Tormel::Cli
