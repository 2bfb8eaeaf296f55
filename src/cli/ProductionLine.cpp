// SPDX-License-Identifier: MIT
#include "cli/ProductionLine.h"

#include <signal.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <map>
#include <set>
#include <vector>

#include "cli/ChildWork.h"
#include "domain/modem/Command.h"
#include "platform/ChildProcess.h"
#include "platform/DeviceAccess.h"

namespace Tormel::Cli {

using Domain::Modem::Command;

namespace {

constexpr int kIdOffsetMax = 9999;  // the node-ID offset: four decimal digits
constexpr int kNodeIdMax = 99;      // 0 the base node, 1 to 99 terminal or relay nodes

std::atomic<int> g_stops{0};

void onStop(int) { g_stops.fetch_add(1); }

// One line on a terminal that says what the bench is doing, rewritten in place; nothing at
// all when stderr is a log or a pipe.
class StatusLine {
  public:
    StatusLine() : m_terminal(Platform::StderrIsTerminal()) {}
    void show(const QString& text) {
        if (!m_terminal || text == m_shown) return;
        m_shown = text;
        std::fprintf(stderr, "\r\033[K%s", text.toLocal8Bit().constData());
        std::fflush(stderr);
    }
    // Before a line of its own is printed: the status is drawn again on the next show().
    void clear() {
        if (!m_terminal || m_shown.isEmpty()) return;
        m_shown.clear();
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
    }

  private:
    bool m_terminal;
    QString m_shown;
};

void printLine(const QString& text) {
    std::printf("%s\n", text.toLocal8Bit().constData());
    std::fflush(stdout);
}

// What tells one plugging of a unit from the next: its device (not the device's owner or
// mode, which udev and seat managers change on a unit still plugged) and its USB adapter's
// serial number and address.
struct Plugging {
    Platform::PortIdentity device;
    std::optional<std::string> serial;
    std::optional<std::string> bus;
    std::optional<std::string> address;
    bool operator==(const Plugging&) const = default;
};

Plugging pluggingOf(const std::string& port) {
    Plugging p{Platform::IdentityOf(port), {}, {}, {}};
    if (const auto usb = Platform::UsbAdapterOf(port)) {
        p.serial = usb->SerialNumber;
        p.bus = usb->BusNumber;
        p.address = usb->DeviceAddress;
    }
    return p;
}

struct Worker {
    ChildWork child;
    QString usbSerial;
    QString reportName;        // set once a unit answered: the unit is in flight
    std::optional<int> value;  // the sequence value handed to it
    qsizetype consumed = 0;    // bytes of the child's messages already handled
    bool refused = false;      // it asked for a value and got none
};

}  // namespace

QString sequenceField(UnitFamily family) {
    return family == UnitFamily::Rs485 ? QStringLiteral("IDOFFSET") : QStringLiteral("NODEID");
}

void setSequenceValue(AnyConfig& config, int value) {
    if (auto* rs485 = std::get_if<Gui::ApplicationConfig>(&config)) {
        rs485->m_IdOffset = QString::number(value);
    } else {
        std::get<Gui::ApplicationConfig_TX330>(config).m_NodeId = value;
    }
}

std::optional<SequenceRule> parseSequence(const QString& text, UnitFamily family, Output& out) {
    SequenceRule rule;
    rule.field = sequenceField(family);
    rule.max = family == UnitFamily::Rs485 ? kIdOffsetMax : kNodeIdMax;
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    const QString field = text.left(eq).trimmed().toUpper();
    const QStringList numbers = eq < 0 ? QStringList() : text.mid(eq + 1).split(QLatin1Char(':'));
    bool startOk = false;
    bool stepOk = true;
    if (numbers.size() == 1 || numbers.size() == 2) {
        rule.start = numbers[0].toInt(&startOk);
        if (numbers.size() == 2) rule.step = numbers[1].toInt(&stepOk);
    }
    if (eq < 0 || !startOk || !stepOk || rule.step == 0) {
        out.error(QStringLiteral("--sequence needs FIELD=START or FIELD=START:STEP with whole numbers and a "
                                 "step other than 0, not \"%1\"")
                      .arg(text));
        return std::nullopt;
    }
    if (field != rule.field) {
        out.error(QStringLiteral("--sequence: units of this settings file are numbered by %1, not \"%2\"")
                      .arg(rule.field, text.left(eq)));
        return std::nullopt;
    }
    if (rule.start < rule.min || rule.start > rule.max) {
        out.error(QStringLiteral("--sequence: %1 takes %2 to %3, not %4")
                      .arg(rule.field)
                      .arg(rule.min)
                      .arg(rule.max)
                      .arg(rule.start));
        return std::nullopt;
    }
    return rule;
}

namespace {

// The result a unit's worker could not give: it ended without one (killed, crashed), or the
// bench cut it off.
UnitRun lostRun(const QString& what, bool beganWriting) {
    UnitRun run;
    run.code = kExitWriteFailed;
    run.report.insert(QStringLiteral("time"), isoTime(std::chrono::system_clock::now()));
    run.report.insert(QStringLiteral("result"), what);
    run.report.insert(QStringLiteral("exitCode"), kExitWriteFailed);
    if (!beganWriting) run.report.insert(QStringLiteral("interrupted"), true);
    return run;
}

// Whether the unit holds the value it was given, as its worker found; a worker that gave no
// answer may have sent it.
ValueHeld heldOf(const UnitRun& run) {
    const QJsonObject sequence = run.report.value(QStringLiteral("sequence")).toObject();
    if (const auto held = heldFromName(sequence.value(QStringLiteral("held")).toString())) return *held;
    return run.report.value(QStringLiteral("interrupted")).toBool() ? ValueHeld::No : ValueHeld::Maybe;
}

// A port skipped for a reason the technician can mend (no permission, held by another
// program): its line, or nothing for a port where simply nothing answered.
std::optional<QString> skipReason(const UnitRun& run) {
    for (const auto& p : run.report.value(QStringLiteral("scan")).toArray()) {
        const QJsonObject o = p.toObject();
        const QString outcome = o.value(QStringLiteral("outcome")).toString();
        if (outcome == u"refused" || outcome == u"busy")
            return QStringLiteral("skipped, %1: %2")
                .arg(outcome, o.value(QStringLiteral("reason")).toString());
    }
    return std::nullopt;
}

// One run of the line: the workers on the ports, what has been written and failed, and what
// the stop signals have asked for so far. The steps of one look at the ports are its members.
class LineRun {
  public:
    LineRun(const ProductionLineSetup& lineSetup, Output& output, LineRecord& lineRecord)
        : setup(lineSetup), out(output), record(lineRecord) {}

    // Looks at the ports until the bench is stopped (or the sequence ends) and every worker has
    // ended; the run's exit code.
    int run() {
        for (;;) {
            const int stops = g_stops.load();
            heedStops(stops);
            const bool accepting = stops == 0 && !sequenceEnded;
            if (!accepting && running.empty()) break;
            if (accepting) startWorkersOnNewPorts();
            showStatus(stops);
            waitForWorkers();
            collectWorkers();
        }
        return finish();
    }

  private:
    // One unit's end: its report, its line in summary.csv and on the console.
    void finishUnit(const std::string& port, Worker& worker, const UnitRun& run) {
        const QString portName = QString::fromStdString(port);
        // A unit that answered but is not one to write (another family, unsupported) is
        // recorded all the same: the technician must find it in the summary.
        if (worker.reportName.isEmpty() && (run.report.contains(QStringLiteral("unitName")) ||
                                            run.report.contains(QStringLiteral("otherFamily"))))
            worker.reportName = record.begin(portName, worker.usbSerial);
        if (worker.reportName.isEmpty()) {
            // Nothing answered there: not a unit of the line, but a port the technician may
            // want to know about.
            if (const auto why = skipReason(run); why && announced.insert(port).second) {
                status.clear();
                printLine(QStringLiteral("%1: %2").arg(printable(port), *why));
            }
            return;
        }
        status.clear();
        if (worker.refused && record.endedAt()) {
            sequenceEnded = true;
            printLine(
                QStringLiteral("%1: not written: the sequence of %2 would go on with %3, outside %4 to %5; "
                               "no more units are written")
                    .arg(printable(port), record.rule()->field)
                    .arg(*record.endedAt())
                    .arg(record.rule()->min)
                    .arg(record.rule()->max));
            // Nothing was written to it: no unit of this run.
            if (!record.release(worker.reportName)) recordFailed = true;
            return;
        }
        // A unit left alone because the bench was stopping before its write is no failure.
        const bool untouched = worker.refused || run.report.value(QStringLiteral("interrupted")).toBool();
        if (run.code == kExitOk) {
            ++written;
        } else if (!untouched) {
            ++failed;
        }
        const QString result = run.report.value(QStringLiteral("result")).toString().simplified();
        const bool verified = run.report.value(QStringLiteral("verified")).toBool();
        UnitRecord unit{portName, worker.usbSerial, worker.reportName, run.report, worker.value, heldOf(run)};
        bool reportSaved = false;
        if (!record.finish(unit, result, out, reportSaved)) recordFailed = true;
        QString text = QStringLiteral("%1: %2").arg(printable(port), result);
        if (verified) text += QStringLiteral(", verified");
        if (worker.value) {
            text += QStringLiteral(", %1 %2").arg(record.rule()->field).arg(*worker.value);
            if (unit.held == ValueHeld::No && run.code != kExitOk) text += QStringLiteral(" (handed back)");
        }
        text += reportSaved
                    ? QStringLiteral(" (report %1)").arg(QDir(record.dir()).filePath(worker.reportName))
                    : QStringLiteral(" (its report could not be saved)");
        printLine(text);
        for (const auto& e : run.report.value(QStringLiteral("errors")).toArray())
            printLine(QStringLiteral("  ") + e.toString().simplified());
    }

    // The first stop lets the units being written finish; the second has them stop at the
    // next request and say where; a third cuts them off at once.
    void heedStops(int stops) {
        if (stops >= 1 && stopsSeen == 0) {
            stopsSeen = 1;
            std::size_t units = 0;
            for (auto& [port, w] : running) {
                w.child.signal(SIGTERM);
                units += w.reportName.isEmpty() ? 0 : 1;
            }
            if (units != 0) {
                status.clear();
                printLine(
                    QStringLiteral("stopping: %1 unit(s) being written are let finish (Ctrl+C again stops "
                                   "them at the next request)")
                        .arg(units));
            }
        }
        if (stops >= 2 && stopsSeen == 1) {
            stopsSeen = 2;
            for (auto& [port, w] : running) w.child.signal(SIGUSR1);
        }
        if (stops >= 3 && stopsSeen == 2) {
            stopsSeen = 3;
            for (auto& [port, w] : running) {
                w.child.stop();
                if (w.reportName.isEmpty()) continue;  // a port still being scanned
                finishUnit(
                    port, w,
                    lostRun(QStringLiteral("failed: cut short by Ctrl+C; the unit may hold part of the "
                                           "settings"),
                            true));
            }
            running.clear();
        }
    }

    // A worker for each port that appeared, or was plugged anew, since the last look.
    void startWorkersOnNewPorts() {
        std::vector<std::string> listed = Command::ListPorts();
        const std::size_t served = Command::Timing().MaxPorts;
        if (listed.size() > served && !announcedTooMany) {
            announcedTooMany = true;
            status.clear();
            printLine(
                QStringLiteral("%1 ports are listed; only the first %2 are served (%3 and after are not). "
                               "Unplug what the bench does not need, or name the units' ports with --port")
                    .arg(listed.size())
                    .arg(served)
                    .arg(printable(listed[served])));
        }
        listed.resize(std::min(listed.size(), served));
        std::map<std::string, Plugging> present;
        for (const std::string& port : listed) present.emplace(port, pluggingOf(port));
        for (auto it = handled.begin(); it != handled.end();) {
            const auto now = present.find(it->first);
            const bool same = now != present.end() && now->second == it->second;
            if (!same) announced.erase(it->first);
            it = !same && running.count(it->first) == 0 ? handled.erase(it) : std::next(it);
        }
        for (const auto& [listedPort, plugging] : present) {
            const std::string port = listedPort;  // a copy the worker's function can keep
            if (handled.count(port) != 0) continue;
            const ProductionLineSetup& lineSetup = setup;
            std::optional<ChildWork> child = ChildWork::start(port, [&lineSetup, port](int parent) {
                // The bench's Ctrl+C and a hang-up reach every process of the terminal; the
                // parent decides what they mean and tells the worker.
                Platform::IgnoreStopSignals();
                UnitExtras extras;
                if (lineSetup.sequence)
                    extras.takeValue = [parent]() -> std::optional<int> {
                        const auto answer = Platform::ChildProcess::Ask(parent, "take\n");
                        if (!answer || answer->rfind("value ", 0) != 0) return std::nullopt;
                        bool ok = false;
                        const int value = QByteArray::fromStdString(answer->substr(6)).toInt(&ok);
                        return ok ? std::optional<int>(value) : std::nullopt;
                    };
                extras.unitAnswered = [parent] { Platform::ChildProcess::Tell(parent, "unit\n"); };
                const UnitRun run = lineSetup.writeUnit(port, extras);
                QJsonObject o;
                o.insert(QStringLiteral("code"), run.code);
                o.insert(QStringLiteral("report"), run.report);
                return QByteArray("result ") + QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
            });
            if (!child) continue;  // no process to be had now: tried again on the next look
            handled.emplace(port, plugging);
            running.emplace(port, Worker{std::move(*child),
                                         QString::fromStdString(plugging.serial.value_or("")),
                                         {},
                                         std::nullopt,
                                         0,
                                         false});
        }
    }

    void showStatus(int stops) {
        std::size_t writing = 0;
        for (const auto& [port, w] : running) writing += w.reportName.isEmpty() ? 0 : 1;
        status.show(QStringLiteral("waiting for units: %1 being written, %2 written, %3 failed%4")
                        .arg(writing)
                        .arg(written)
                        .arg(failed)
                        .arg(stops == 0 ? QStringLiteral("; Ctrl+C ends") : QStringLiteral("; stopping")));
    }

    void waitForWorkers() {
        std::vector<ChildWork*> children;
        children.reserve(running.size());
        for (auto& [port, w] : running) children.push_back(&w.child);
        ChildWork::waitAny(children, std::chrono::milliseconds(50));
    }

    // A worker's questions and notices: one line each, answered at once.
    void answerQuestions(const std::string& port, Worker& w) {
        const QByteArray bytes = w.child.result();
        for (qsizetype end; (end = bytes.indexOf('\n', w.consumed)) >= 0;) {
            const QByteArray line = bytes.mid(w.consumed, end - w.consumed);
            if (line == "unit") {
                // In flight from here: a bench that ends before the unit's record is complete
                // leaves it for the next start to report.
                w.reportName = record.begin(QString::fromStdString(port), w.usbSerial);
                w.consumed = end + 1;
                continue;
            }
            if (!line.startsWith("take")) break;
            w.consumed = end + 1;
            std::optional<int> value;
            if (g_stops.load() == 0 && !sequenceEnded && !w.value) value = record.take(w.reportName);
            if (!value && record.saveFailed() && !sequenceEnded) {
                // A value the folder does not know of could be handed out again after a
                // restart: no unit is numbered from here on.
                sequenceEnded = true;
                status.clear();
                out.error(QStringLiteral(
                              "%1: the sequence's record could not be written; no more units are written")
                              .arg(record.dir()));
            }
            if (value) w.value = value;
            w.refused = !value;
            w.child.answer(value ? QByteArray("value ") + QByteArray::number(*value) + '\n'
                                 : QByteArray("none\n"));
        }
    }

    // The result of a worker that ended.
    UnitRun resultOf(const Worker& w) const {
        const QByteArray bytes = w.child.result();
        const qsizetype at = bytes.indexOf("result ", w.consumed);
        const QJsonObject o = at >= 0 ? QJsonDocument::fromJson(bytes.mid(at + 7)).object() : QJsonObject();
        if (w.child.exitedCleanly() && o.contains(QStringLiteral("code")))
            return UnitRun{o.value(QStringLiteral("code")).toInt(),
                           o.value(QStringLiteral("report")).toObject()};
        // Told to stop before it had begun to write: nothing was written.
        if (stopsSeen != 0 && !w.value)
            return lostRun(QStringLiteral("not written: the bench stopped before the write"), false);
        return lostRun(QStringLiteral("failed: the unit's worker ended without a result; the unit may hold "
                                      "part of the settings"),
                       true);
    }

    void collectWorkers() {
        for (auto it = running.begin(); it != running.end();) {
            Worker& w = it->second;
            answerQuestions(it->first, w);
            if (!w.child.done()) {
                ++it;
                continue;
            }
            finishUnit(it->first, w, resultOf(w));
            it = running.erase(it);
        }
    }

    int finish() {
        status.clear();
        if (record.saveFailed()) recordFailed = true;
        printLine(QStringLiteral("units written: %1, failed: %2").arg(written).arg(failed));
        if (failed != 0) return out.finish(kExitWriteFailed);
        if (recordFailed) return out.finish(kExitFileError);
        return out.finish(sequenceEnded && record.endedAt() ? kExitSequenceEnded : kExitOk);
    }

    const ProductionLineSetup& setup;
    Output& out;
    LineRecord& record;
    StatusLine status;
    std::map<std::string, Worker> running;
    // Ports worked on, with their plugging then: a port stays done until it disappears or a
    // unit is plugged in anew under its name (between two looks).
    std::map<std::string, Plugging> handled;
    std::set<std::string> announced;  // ports skipped and said so, until they go
    bool announcedTooMany = false;
    int written = 0;
    int failed = 0;
    int stopsSeen = 0;
    bool sequenceEnded = false;
    bool recordFailed = false;
};

}  // namespace

int runProductionLine(const ProductionLineSetup& setup, Output& out) {
    LineRecord record;
    int code = kExitOk;
    if (!record.open(setup.reportDir, setup.sequence, setup.holder, out, code)) return out.finish(code);
    Platform::HandleStopSignals(onStop);
    return LineRun(setup, out, record).run();
}

}  // namespace Tormel::Cli
