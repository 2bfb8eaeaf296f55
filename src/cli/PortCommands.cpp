// SPDX-License-Identifier: MIT
// `ports` and `scan`: which ports the tool sees, whether this user may open them, and what
// answers on each.
#include <QJsonDocument>
#include <QJsonObject>
#include <filesystem>

#include "cli/ChildWork.h"
#include "cli/Commands.h"
#include "cli/ProductionLine.h"
#include "cli/ScanReport.h"
#include "domain/modem/Command.h"
#include "platform/DeviceAccess.h"

namespace Tormel::Cli {

using Domain::Modem::Command;
namespace fs = std::filesystem;

QJsonObject usbAttributes(const std::string& device) {
    QJsonObject o;
    const std::optional<Platform::UsbAdapter> usb = Platform::UsbAdapterOf(device);
    if (!usb) return o;
    const std::pair<const char*, const std::optional<std::string>&> kKeys[] = {
        {"vendorId", usb->VendorId},
        {"productId", usb->ProductId},
        {"manufacturer", usb->Manufacturer},
        {"product", usb->Product},
        {"serialNumber", usb->SerialNumber}};
    for (const auto& [key, value] : kKeys) {
        if (value) o.insert(QString::fromLatin1(key), printableText(*value));
    }
    return o;
}

namespace {

int runPorts(const QCommandLineParser& /*parser*/, Output& out) {
    applyTimingFromEnvironment();
    applyPortListFromEnvironment();

    const std::vector<std::string> listed = Command::ListPorts();
    const std::size_t count = std::min(listed.size(), Command::Timing().MaxPorts);
    const std::string virtualFolder = Platform::VirtualPortFolder();
    QJsonArray ports;
    for (std::size_t i = count; i-- > 0;) {
        const std::string& path = listed[i];
        QJsonObject o;
        o.insert(QStringLiteral("path"), printableText(path));
        std::error_code ec;
        const fs::path resolved = fs::canonical(path, ec);
        const bool isVirtual = fs::path(path).parent_path() == fs::path(virtualFolder);
        o.insert(QStringLiteral("virtual"), isVirtual);
        if (!ec) o.insert(QStringLiteral("device"), printableText(resolved.string()));
        if (!isVirtual) {
            const QJsonObject usb = usbAttributes(path);
            for (auto it = usb.begin(); it != usb.end(); ++it) o.insert(it.key(), it.value());
        }
        QString access;
        QString detail;
        const Platform::DeviceOpenResult opened = Platform::TryOpen(path);
        switch (opened.status) {
            case Platform::DeviceOpenStatus::Opens: {
                // A tty opens for anyone unless its holder asked for it alone; another program
                // holding it open still makes it useless for a unit.
                const QStringList holders = holdersOf(path);
                if (holders.isEmpty()) {
                    access = QStringLiteral("ok");
                } else {
                    access = QStringLiteral("busy");
                    detail = QStringLiteral("held by ") + holders.join(QStringLiteral(", "));
                }
                break;
            }
            case Platform::DeviceOpenStatus::PermissionDenied:
                access = QStringLiteral("permission denied");
                detail = permissionFix(path);
                break;
            case Platform::DeviceOpenStatus::Busy: {
                access = QStringLiteral("busy");
                const QStringList holders = holdersOf(path);
                detail = holders.isEmpty() ? QStringLiteral("held exclusively by another program")
                                           : QStringLiteral("held by ") + holders.join(QStringLiteral(", "));
                break;
            }
            case Platform::DeviceOpenStatus::Gone:
                access = QStringLiteral("gone");
                break;
            case Platform::DeviceOpenStatus::NotSerial:
            case Platform::DeviceOpenStatus::Failed:
                access = printableText(QString::fromLocal8Bit(opened.message.c_str()));
                break;
        }
        o.insert(QStringLiteral("access"), access);
        if (!detail.isEmpty()) o.insert(QStringLiteral("fix"), detail);
        ports.append(o);

        QString text = printableText(path);
        if (isVirtual) text += QStringLiteral("  (virtual)");
        for (const char* key : {"vendorId", "productId", "manufacturer", "product", "serialNumber"}) {
            const QString k = QString::fromLatin1(key);
            if (o.contains(k)) text += QStringLiteral("  %1=%2").arg(k, o.value(k).toString());
        }
        text += QStringLiteral("  access: ") + access;
        if (!detail.isEmpty()) text += QStringLiteral(" (") + detail + QStringLiteral(")");
        out.line(text);
    }
    if (count == 0) out.line(QStringLiteral("no serial port found"));
    out.doc.insert(QStringLiteral("ports"), ports);
    return out.finish(kExitOk);
}

PortReport notTried(const std::string& port, const QString& reason = {}) {
    PortReport r;
    r.port = port;
    r.reason = reason;
    return r;
}

PortReport reportFromJson(const std::string& port, const QByteArray& bytes) {
    PortReport r = notTried(port);
    const QJsonArray list = QJsonDocument::fromJson(bytes).array();
    if (list.isEmpty()) return r;
    const QJsonObject o = list.first().toObject();
    const QString outcome = o.value(QStringLiteral("outcome")).toString();
    for (PortOutcome candidate : {PortOutcome::Answered, PortOutcome::Silent, PortOutcome::Garbage,
                                  PortOutcome::Refused, PortOutcome::Busy, PortOutcome::HungUp}) {
        if (outcomeName(candidate) == outcome) r.outcome = candidate;
    }
    r.reason = o.value(QStringLiteral("reason")).toString();
    r.name = o.value(QStringLiteral("name")).toString().toStdString();
    r.version = o.value(QStringLiteral("version")).toString().toStdString();
    r.supported = o.value(QStringLiteral("supported")).toBool();
    // Only the unit the scan ended on carries its name, version and whether it is supported.
    r.held = r.outcome == PortOutcome::Answered && o.contains(QStringLiteral("supported"));
    r.firstReply = o.value(QStringLiteral("firstReply")).toString().toStdString();
    r.otherFamily = o.value(QStringLiteral("otherFamily")).toBool();
    return r;
}

// Every port probed at once, each in a child process of its own with the very scan the
// windows run limited to that port. The answer is the sequential scan's: the first port in
// scan order where anything answered. It is known as soon as that port and every port before
// it have been decided; the probes still running then are stopped, so a silent port after
// the unit (a PC's own serial port) costs nothing.
std::vector<PortReport> parallelScan(Link& link, UnitFamily family, const std::vector<std::string>& ports) {
    std::vector<std::optional<ChildWork>> probes;  // in scan order: the last listed port first
    for (std::size_t i = ports.size(); i-- > 0;) {
        const std::string& port = ports[i];
        probes.push_back(ChildWork::start(port, [&link, family, port](int /*parent*/) {
            Command::SetPortLister([port] { return std::vector<std::string>{port}; });
            Output quiet;
            quiet.json = true;
            std::vector<PortReport> reports;
            Link own;
            own.settingsOf(link);
            connectUnit(own, family, false, quiet, &reports);
            return QJsonDocument(toJson(reports)).toJson(QJsonDocument::Compact);
        }));
    }
    auto decided = [&](std::size_t i) { return !probes[i] || probes[i]->done(); };
    // A unit of either family ends the scan there, as it ends the sequential scan.
    auto unitAt = [](const PortReport& r) { return r.held || r.otherFamily; };
    auto report = [&](std::size_t i) {
        const std::string& port = ports[ports.size() - 1 - i];
        if (!probes[i]) return notTried(port, QStringLiteral("no process for the probe"));
        if (!probes[i]->exitedCleanly())
            return notTried(port, QStringLiteral("the probe ended without a result"));
        return reportFromJson(port, probes[i]->result());
    };
    for (;;) {
        std::size_t i = 0;
        while (i < probes.size() && decided(i) && !unitAt(report(i))) ++i;
        if (i == probes.size() || decided(i)) break;  // no unit anywhere, or the answer is known
        std::vector<ChildWork*> running;
        for (auto& p : probes) {
            if (p && !p->done()) running.push_back(&*p);
        }
        ChildWork::waitAny(running, std::chrono::milliseconds(1000));
    }
    std::vector<PortReport> reports;
    bool found = false;
    for (std::size_t i = 0; i < probes.size(); ++i) {
        if (found) {
            if (probes[i]) probes[i]->stop();
            reports.push_back(notTried(probes[i] ? probes[i]->port() : ports[ports.size() - 1 - i]));
            continue;
        }
        reports.push_back(report(i));
        found = unitAt(reports.back());
    }
    return reports;
}

void addScanOptions(QCommandLineParser& parser) {
    parser.addOption(
        {QStringLiteral("parallel"),
         QStringLiteral("Probe every port at once; reports the unit the sequential scan would pick.")});
}

int runScan(const QCommandLineParser& parser, Output& out) {
    Link link;
    const auto family = familyOption(parser, UnitFamily::Rs485, out);
    if (!family || !link.configure(parser, out)) return out.finish(kExitUsage);

    std::vector<PortReport> reports;
    int scanned = kExitNoUnit;
    if (parser.isSet(QStringLiteral("parallel"))) {
        std::vector<std::string> ports = Command::ListPorts();
        ports.resize(std::min(ports.size(), Command::Timing().MaxPorts));
        reports = parallelScan(link, *family, ports);
    } else {
        Output quiet;
        quiet.json = true;
        quiet.quiet = true;
        scanned = connectUnit(link, *family, false, quiet, &reports);
        // A unit of the other family is named as such; the per-port lines say where.
        if (scanned == kExitUnsupported) out.error(quiet.doc.value(QStringLiteral("error")).toString());
        link.closeQuietly();
    }
    int code = scanned == kExitUnsupported ? kExitUnsupported : kExitNoUnit;
    for (const PortReport& r : reports) {
        out.line(describe(r));
        if (r.otherFamily && scanned != kExitUnsupported) {
            code = kExitUnsupported;
            out.error(QStringLiteral("%1: %2").arg(printableText(r.port), r.reason));
        }
        if (r.held) {
            code = r.supported ? kExitOk : kExitUnsupported;
            QJsonObject unit;
            unit.insert(QStringLiteral("port"), printableText(r.port));
            unit.insert(QStringLiteral("name"), printable(r.name));
            unit.insert(QStringLiteral("version"), printable(r.version));
            unit.insert(QStringLiteral("supported"), r.supported);
            out.doc.insert(QStringLiteral("unit"), unit);
        }
    }
    if (reports.empty()) out.line(QStringLiteral("no serial port to scan"));
    out.doc.insert(QStringLiteral("ports"), toJson(reports));
    // Once, on stderr (and in the document), as every failure.
    if (code == kExitNoUnit) out.error(texts().getString(Gui::Msg::ReadFailed));
    return out.finish(code);
}

}  // namespace

const Subcommand kPortsCommand{"ports",
                               QStringLiteral("Lists every port a scan would try, in scan order, and whether "
                                              "this user can open it."),
                               kNoSharedOptions, nullptr, runPorts};

const Subcommand kScanCommand{
    "scan",
    QStringLiteral(
        "Scans the ports for a unit, as Connect does, and tells what answered on each port tried.\n"
        "Exit code 0: a supported unit answered; 3: no unit; 4: a unit this tool does not support, or one of "
        "the other family (the message names the --family to use)."),
    kPortOption | kFamilyOption | kLineOptions, addScanOptions, runScan};

}  // namespace Tormel::Cli
