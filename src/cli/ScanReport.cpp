// SPDX-License-Identifier: MIT
#include "cli/ScanReport.h"

#include <QJsonObject>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <utility>

#include "domain/modem/Command.h"

namespace Tormel::Cli {

using Domain::Modem::Command;
using Domain::Modem::CommandResult;

QJsonArray toJson(const std::vector<PortReport>& reports) {
    QJsonArray out;
    for (const PortReport& r : reports) {
        QJsonObject o;
        o.insert(QStringLiteral("port"), printableText(r.port));
        o.insert(QStringLiteral("outcome"), outcomeName(r.outcome));
        if (!r.reason.isEmpty()) o.insert(QStringLiteral("reason"), r.reason);
        if (r.outcome == PortOutcome::Answered && r.held) {
            o.insert(QStringLiteral("name"), printable(r.name));
            o.insert(QStringLiteral("version"), printable(r.version));
            o.insert(QStringLiteral("supported"), r.supported);
        }
        if (r.outcome == PortOutcome::Garbage || (r.outcome == PortOutcome::Answered && !r.held))
            o.insert(QStringLiteral("firstReply"), printable(r.firstReply));
        if (r.otherFamily) o.insert(QStringLiteral("otherFamily"), true);
        out.append(o);
    }
    return out;
}

namespace {

QString unitKind(UnitFamily family) {
    return family == UnitFamily::Rs485 ? QStringLiteral("an RS485 unit (TX-910A/TX-710A)")
                                       : QStringLiteral("a contact-I/O unit (TX-330)");
}

// A unit of the other family on one of the ports where something answered, named: the scan
// of one family takes the other's replies for garbage or for an unknown unit.
std::optional<std::pair<std::string, std::string>> otherFamilyUnit(UnitFamily family,
                                                                   const std::vector<PortReport>& tried) {
    const UnitFamily other = family == UnitFamily::Rs485 ? UnitFamily::Tx330 : UnitFamily::Rs485;
    for (const PortReport& r : tried) {
        if (r.outcome != PortOutcome::Garbage && r.outcome != PortOutcome::Answered) continue;
        if (r.outcome == PortOutcome::Answered && r.supported) continue;
        if (std::optional<std::string> name = Command::ProbeFamilyOn(r.port, other))
            return std::pair{r.port, std::move(*name)};
    }
    return std::nullopt;
}

}  // namespace

int connectUnit(Link& link, UnitFamily family, bool read, Output& out, std::vector<PortReport>* reports) {
    const std::vector<std::string> ports = Command::ListPorts();
    Output::progress(QStringLiteral("scanning %1 port(s)...").arg(ports.size()));
    const CommandResult result = link.connect(family, read);
    std::vector<PortReport> tried = reportScan(Command::LastScan());
    if (result != CommandResult::Success) {
        if (const auto other = otherFamilyUnit(family, tried)) {
            const UnitFamily otherFamily =
                family == UnitFamily::Rs485 ? UnitFamily::Tx330 : UnitFamily::Rs485;
            for (PortReport& r : tried) {
                if (r.port != other->first) continue;
                r.outcome = PortOutcome::Refused;
                r.otherFamily = true;
                r.held = false;
                r.reason = QStringLiteral("%1 answered (%2), not %3; use --family %4")
                               .arg(unitKind(otherFamily), printable(other->second), unitKind(family),
                                    otherFamily == UnitFamily::Rs485 ? QStringLiteral("rs485") : "tx330");
            }
            if (reports) *reports = tried;
            out.doc.insert(QStringLiteral("scan"), toJson(tried));
            // diff and write take the family from the settings file: for them the fix is a file
            // of the unit's family.
            out.error(
                QStringLiteral("%1 answered on %2 (%3), not %4; use --family %5, or with diff and write a "
                               "settings file of that unit's family")
                    .arg(unitKind(otherFamily), printableText(other->first), printable(other->second),
                         unitKind(family),
                         otherFamily == UnitFamily::Rs485 ? QStringLiteral("rs485") : "tx330"));
            return kExitUnsupported;
        }
    }
    if (reports) *reports = tried;
    if (result == CommandResult::Success) return kExitOk;
    out.doc.insert(QStringLiteral("scan"), toJson(tried));
    if (result == CommandResult::ErrUnsupported) {
        const auto unit =
            std::find_if(tried.begin(), tried.end(), [](const PortReport& r) { return r.held; });
        const PortReport none;
        const PortReport& held = unit != tried.end() ? *unit : none;
        out.error(texts().getString(Gui::Msg::UnitNotSupported) +
                  QStringLiteral(" (%1: %2 %3)")
                      .arg(printableText(held.port), printable(held.name), printable(held.version)));
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
