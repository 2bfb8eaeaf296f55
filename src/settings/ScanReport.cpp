// SPDX-License-Identifier: MIT
#include "settings/ScanReport.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>

#include "domain/modem/Command.h"
#include "platform/DeviceAccess.h"
#include "settings/NameTable.h"

namespace Tormel::Gui {

using Domain::Modem::Command;
using Domain::Modem::CommandResult;
using Domain::Modem::TraceDirection;
using Domain::Modem::TraceEntry;
namespace fs = std::filesystem;

namespace {

bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

PortReport& reportFor(std::vector<PortReport>& tried, const std::string& port) {
    auto it = std::find_if(tried.begin(), tried.end(), [&](const PortReport& r) { return r.port == port; });
    if (it != tried.end()) return *it;
    tried.push_back(PortReport{port, PortOutcome::Silent, {}, {}, {}, false, {}});
    return tried.back();
}

}  // namespace

std::vector<PortReport> classifyScan(const std::vector<std::string>& ports, CommandResult result,
                                     const std::vector<TraceEntry>& trace) {
    std::vector<PortReport> tried;
    PortReport* current = nullptr;
    const std::string busyText = std::strerror(EBUSY);
    // Ports where a unit answered the handshake: what follows there is the unit's, not garbage.
    std::vector<std::string> handshaken;
    std::map<std::string, std::string> afterHandshake;  // the first reply after it, by port
    const auto shookHands = [&](const std::string& port) {
        return std::find(handshaken.begin(), handshaken.end(), port) != handshaken.end();
    };
    const QString hungUp = QStringLiteral(
        "a unit answered, then the port went away; check the cable and the "
        "unit's power");
    for (const TraceEntry& e : trace) {
        if (e.direction == TraceDirection::Event) {
            if (startsWith(e.line, "opened ")) {
                const std::string rest = e.line.substr(7);
                current = &reportFor(tried, rest.substr(0, rest.rfind(" at ")));
            } else if (startsWith(e.line, "open failed: ")) {
                const std::string rest = e.line.substr(13);
                // "<port>: <reason>"; a port name may itself hold ": ", so match the known names.
                std::string port = rest;
                std::string reason;
                for (const std::string& p : ports) {
                    if (startsWith(rest, p + ": ")) {
                        port = p;
                        reason = rest.substr(p.size() + 2);
                    }
                }
                PortReport& r = reportFor(tried, port);
                if (shookHands(port) && r.outcome != PortOutcome::Answered) {
                    r.outcome = PortOutcome::HungUp;
                    r.reason = hungUp;
                } else if (r.outcome == PortOutcome::Silent || r.outcome == PortOutcome::Refused ||
                           r.outcome == PortOutcome::Busy) {
                    const bool refused =
                        std::any_of(Command::m_refusedPorts.begin(), Command::m_refusedPorts.end(),
                                    [&](const auto& x) { return x.PortName == port; });
                    if (reason == busyText) {
                        r.outcome = PortOutcome::Busy;
                        const QStringList holders = holdersOf(port);
                        r.reason = QString::fromStdString(reason) +
                                   (holders.isEmpty() ? QString()
                                                      : QStringLiteral(", held by ") + holders.join(", "));
                    } else {
                        r.outcome = PortOutcome::Refused;
                        r.reason = QString::fromStdString(reason);
                        if (refused) r.reason += QStringLiteral("; ") + permissionFix(port);
                    }
                }
                current = nullptr;
            }
            continue;
        }
        if (e.direction == TraceDirection::Received && current != nullptr && e.line == "ok" &&
            !shookHands(current->port))
            handshaken.push_back(current->port);
        if (e.direction == TraceDirection::Received && current != nullptr &&
            current->outcome == PortOutcome::Silent) {
            if (e.line != "ok" && shookHands(current->port)) {
                if (!afterHandshake.contains(current->port)) afterHandshake.emplace(current->port, e.line);
                continue;
            }
            if (e.line != "ok") {
                current->outcome = PortOutcome::Garbage;
                current->firstReply = e.line;
            }
        } else if (e.direction == TraceDirection::Received && current != nullptr && e.line == "ok" &&
                   current->outcome == PortOutcome::Garbage) {
            // A stale first reply followed by a good one: the unit answered after all.
            current->outcome = PortOutcome::Silent;
        }
    }
    // A unit that answered beyond the handshake and then failed: gone, or not this dialogue's.
    for (PortReport& r : tried) {
        const auto talked = afterHandshake.find(r.port);
        if (talked == afterHandshake.end() ||
            (r.outcome != PortOutcome::Silent && r.outcome != PortOutcome::Garbage))
            continue;
        r.firstReply = talked->second;
        std::error_code gone;
        if (!fs::exists(r.port, gone)) {
            r.outcome = PortOutcome::HungUp;
            r.reason = hungUp;
        } else {
            // Something that knows the handshake, but not the rest of this dialogue.
            r.outcome = PortOutcome::Garbage;
            r.reason = QStringLiteral("answered the handshake, then not as expected");
        }
    }
    // A port that gave no usable answer while another program holds it open is that program's.
    for (PortReport& r : tried) {
        if (r.outcome != PortOutcome::Silent && r.outcome != PortOutcome::Garbage) continue;
        const QStringList holders = holdersOf(r.port);
        if (holders.isEmpty()) continue;
        r.outcome = PortOutcome::Busy;
        r.reason = QStringLiteral("held by ") + holders.join(QStringLiteral(", "));
    }
    if (result != CommandResult::ErrConnect && !Command::m_portName.empty()) {
        PortReport& r = reportFor(tried, Command::m_portName);
        r.outcome = PortOutcome::Answered;
        r.name = Command::m_nodeinfo.SoftwareName;
        r.version = Command::m_nodeinfo.SoftwareVersion;
        r.supported = result == CommandResult::Success;
    }
    // The scan tries the ports from the last of its window to the first.
    const std::size_t count = std::min(ports.size(), Command::Timing().MaxPorts);
    std::vector<PortReport> ordered;
    for (std::size_t i = count; i-- > 0;) {
        auto it =
            std::find_if(tried.begin(), tried.end(), [&](const PortReport& r) { return r.port == ports[i]; });
        ordered.push_back(
            it != tried.end() ? *it : PortReport{ports[i], PortOutcome::NotTried, {}, {}, {}, false, {}});
    }
    return ordered;
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
    const QString port = QString::fromStdString(r.port);
    switch (r.outcome) {
        case PortOutcome::Answered:
            return QStringLiteral("%1: answered: %2, version %3 (%4)")
                .arg(port, printable(r.name), printable(r.version),
                     r.supported ? QStringLiteral("supported") : QStringLiteral("not supported"));
        case PortOutcome::Garbage:
            if (!r.reason.isEmpty())
                return QStringLiteral("%1: garbage: %2 (first reply after it \"%3\")")
                    .arg(port, r.reason, printable(r.firstReply));
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
        holders.append(QStringLiteral("%1 (pid %2)")
                           .arg(QString::fromStdString(holder.Name), QString::number(holder.Pid)));
    return holders;
}

QString describeScan(const std::vector<PortReport>& reports) {
    if (reports.empty()) return QStringLiteral("no serial port to scan");
    QStringList lines;
    for (const PortReport& r : reports) lines.append(describe(r));
    return lines.join(QLatin1Char('\n'));
}

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

void ScanFollower::start() {
    // The list the scan is about to be given; it lists again itself, a moment later.
    try {
        m_ports = Command::ListPorts();
    } catch (...) {
        m_ports.clear();  // the scan then finds no port either
    }
    m_trace.start();
}

void ScanFollower::stop() { m_trace.stop(); }

std::vector<PortReport> ScanFollower::reports(CommandResult result) const {
    return classifyScan(m_ports, result, m_trace.entries());
}

QString ScanFollower::text(CommandResult result) const { return describeScan(reports(result)); }

}  // namespace Tormel::Gui
