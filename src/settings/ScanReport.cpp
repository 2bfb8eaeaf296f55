// SPDX-License-Identifier: MIT
#include "settings/ScanReport.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "domain/modem/Command.h"
#include "platform/DeviceAccess.h"
#include "settings/NameTable.h"

namespace Tormel::Gui {

using Domain::Modem::Command;
using Domain::Modem::CommandResult;
using Domain::Modem::PortFacts;
using Domain::Modem::PortVerdict;
using Domain::Modem::ScanFacts;
namespace fs = std::filesystem;

namespace {

const QString& hungUpReason() {
    static const QString text = QStringLiteral(
        "a unit answered, then the port went away; check the cable and the "
        "unit's power");
    return text;
}

// A port that could not be opened: busy (another program has it exclusively) or refused, with
// the fix when this user lacks the permission.
void reportFailedOpen(const PortFacts& facts, PortReport& r) {
    const Domain::Modem::OpenAttempt* failed = facts.FailedOpen();
    // The system's text names the device, whose name may hold control characters.
    const QString reason = printableText(failed != nullptr ? failed->Error : std::string());
    const int error = failed != nullptr ? failed->ErrorNumber : 0;
    if (error == EBUSY) {
        r.outcome = PortOutcome::Busy;
        const QStringList holders = holdersOf(facts.PortName);
        r.reason =
            reason + (holders.isEmpty() ? QString() : QStringLiteral(", held by ") + holders.join(", "));
        return;
    }
    r.outcome = PortOutcome::Refused;
    r.reason = reason;
    if (error == EACCES || error == EPERM) r.reason += QStringLiteral("; ") + permissionFix(facts.PortName);
}

PortReport reportPort(const PortFacts& facts) {
    PortReport r;
    r.port = facts.PortName;
    switch (facts.Verdict) {
        case PortVerdict::NotTried:
            return r;
        case PortVerdict::OpenFailed:
            reportFailedOpen(facts, r);
            return r;
        case PortVerdict::HungUp:
            r.outcome = PortOutcome::HungUp;
            r.reason = hungUpReason();
            return r;
        case PortVerdict::Answered:
            r.outcome = PortOutcome::Answered;
            r.held = facts.Result.has_value();
            if (r.held) {
                r.name = facts.Name;
                r.version = facts.Version;
                r.supported = facts.Result == CommandResult::Success;
                return r;
            }
            r.firstReply = facts.FirstReply;
            // A unit that answered and then fell silent may have gone with its port.
            if (std::error_code gone; !fs::exists(facts.PortName, gone)) {
                r.outcome = PortOutcome::HungUp;
                r.reason = hungUpReason();
            }
            return r;
        case PortVerdict::Garbage:
            r.outcome = PortOutcome::Garbage;
            r.firstReply = facts.FirstReply;
            break;
        case PortVerdict::Silent:
            r.outcome = PortOutcome::Silent;
            break;
    }
    // A port that gave no usable answer while another program holds it open is that program's.
    const QStringList holders = holdersOf(facts.PortName);
    if (!holders.isEmpty()) {
        r.outcome = PortOutcome::Busy;
        r.reason = QStringLiteral("held by ") + holders.join(QStringLiteral(", "));
    }
    return r;
}

}  // namespace

std::vector<PortReport> reportScan(const ScanFacts& facts) {
    std::vector<PortReport> reports;
    reports.reserve(facts.Ports.size());
    for (const PortFacts& port : facts.Ports) reports.push_back(reportPort(port));
    return reports;
}

QString outcomeName(PortOutcome outcome) {
    return nameIn<PortOutcome>({{PortOutcome::Answered, QStringLiteral("answered")},
                                {PortOutcome::Silent, QStringLiteral("silent")},
                                {PortOutcome::Garbage, QStringLiteral("garbage")},
                                {PortOutcome::Refused, QStringLiteral("refused")},
                                {PortOutcome::Busy, QStringLiteral("busy")},
                                {PortOutcome::HungUp, QStringLiteral("hung up")}},
                               outcome, QStringLiteral("not tried"));
}

QString describe(const PortReport& r) {
    const QString port = printableText(r.port);
    switch (r.outcome) {
        case PortOutcome::Answered:
            if (!r.held)
                return QStringLiteral(
                           "%1: answered, but its replies came late or out of step (first reply after "
                           "the handshake \"%2\")")
                    .arg(port, printable(r.firstReply));
            return QStringLiteral("%1: answered: %2, version %3 (%4)")
                .arg(port, printable(r.name), printable(r.version),
                     r.supported ? QStringLiteral("supported") : QStringLiteral("not supported"));
        case PortOutcome::Garbage:
            return QStringLiteral("%1: garbage (first reply \"%2\")").arg(port, printable(r.firstReply));
        case PortOutcome::Refused:
        case PortOutcome::Busy:
        case PortOutcome::HungUp:
            return QStringLiteral("%1: %2 (%3)").arg(port, outcomeName(r.outcome), r.reason);
        default:
            return QStringLiteral("%1: %2").arg(port, outcomeName(r.outcome));
    }
}

QString permissionFix(const std::string& device) {
    const std::optional<Platform::DeviceOwnership> owner = Platform::OwnershipOf(device);
    if (!owner) return QStringLiteral("the device is gone");
    const auto nameOr = [](const std::string& name, uint32_t id) {
        return name.empty() ? QString::number(id) : QString::fromLocal8Bit(name.c_str());
    };
    const QString group = nameOr(owner->GroupName, owner->GroupId);
    // Joining a group helps only when the group may read and write the device, and joining
    // root is never the answer.
    if (owner->GroupMayReadWrite() && owner->GroupId != 0)
        return QStringLiteral(
                   "the device belongs to group \"%1\", which may open it; add your user to it (sudo usermod "
                   "-aG %1 $USER) and log in again")
            .arg(group);
    return QStringLiteral(
               "the device belongs to user \"%1\" and group \"%2\" with mode %3, so joining a group does not "
               "help; a udev rule that gives it a group of yours can (for example GROUP=\"dialout\", "
               "MODE=\"0660\" in a file of /etc/udev/rules.d), or TAG+=\"uaccess\" for whoever is logged in "
               "at "
               "the seat")
        .arg(nameOr(owner->UserName, owner->UserId), group,
             QStringLiteral("%1").arg(owner->Permissions, 4, 8, QLatin1Char('0')));
}

QStringList holdersOf(const std::string& device) {
    QStringList holders;
    for (const Platform::DeviceHolder& holder : Platform::HoldersOf(device))
        holders.append(
            QStringLiteral("%1 (pid %2)").arg(printableText(holder.Name), QString::number(holder.Pid)));
    return holders;
}

QString describeScan(const std::vector<PortReport>& reports) {
    if (reports.empty()) return QStringLiteral("no serial port to scan");
    QStringList lines;
    for (const PortReport& r : reports) lines.append(describe(r));
    return lines.join(QLatin1Char('\n'));
}

QString printableText(const QString& text) {
    QString out;
    for (const QChar c : text) {
        const QChar::Category category = c.category();
        if (category != QChar::Other_Control && category != QChar::Other_Format) {
            out += c;
        } else if (c.unicode() < 0x100) {
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        } else {
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        }
    }
    return out;
}

QString printableText(const std::string& text) { return printableText(QString::fromUtf8(text)); }

QString printable(const std::string& line) {
    QString out;
    for (const char raw : line) {
        const auto c = static_cast<unsigned char>(raw);
        if (c >= 0x20 && c < 0x7f) {
            out += QLatin1Char(static_cast<char>(c));
        } else {
            out += QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
        }
    }
    return out;
}

void ScanFollower::start() { m_before = Command::LastScan().Sequence; }

void ScanFollower::stop() {
    Domain::Modem::ScanFacts facts = Command::LastScan();
    m_facts = facts.Sequence != m_before ? std::move(facts) : Domain::Modem::ScanFacts{};
}

std::vector<PortReport> ScanFollower::reports() const { return reportScan(m_facts); }

QString ScanFollower::text() const { return describeScan(reports()); }

}  // namespace Tormel::Gui
