// SPDX-License-Identifier: MIT
#include "cli/ScanReport.h"

#include <QJsonObject>
#include <cstdio>

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
        out.append(o);
    }
    return out;
}

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
    const std::vector<PortReport> tried = classifyScan(ports, result, recorder.entries());
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
    if (!out.json) {
        for (const PortReport& r : tried)
            std::fprintf(stderr, "  %s\n", describe(r).toLocal8Bit().constData());
        if (tried.empty()) std::fprintf(stderr, "  no serial port to scan\n");
    }
    return kExitNoUnit;
}

}  // namespace Tormel::Cli
