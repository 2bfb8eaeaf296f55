// SPDX-License-Identifier: MIT
#include "cli/ProductionLine.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <map>
#include <set>
#include <vector>

#include "cli/ChildWork.h"
#include "domain/modem/Command.h"
#include "platform/DeviceAccess.h"

namespace Tormel::Cli {

using Domain::Modem::Command;

namespace {

constexpr int kIdOffsetMax = 9999;  // the node-ID offset: four decimal digits
constexpr int kNodeIdMax = 99;      // 0 the base node, 1 to 99 terminal or relay nodes

std::atomic<int> g_stops{0};

void onStop(int) { g_stops.fetch_add(1); }

// The sequence as the report folder keeps it across runs: the last value handed to a unit and
// the values handed out whose write failed, which the next units get first. A value is
// recorded as handed out before its write starts, so that a run cut off by a power failure
// never gives the same value twice.
class SequenceState {
  public:
    // Reads the folder's record, if any, for `rule`'s field; false after an error on `out`.
    bool load(const QString& dir, const SequenceRule& rule, Output& out) {
        m_rule = rule;
        m_path = dir + QStringLiteral("/sequence.json");
        QFile file(m_path);
        if (!file.exists()) return true;
        if (!file.open(QIODevice::ReadOnly)) {
            out.error(QStringLiteral("%1: %2").arg(m_path, file.errorString()));
            return false;
        }
        const QJsonObject o = QJsonDocument::fromJson(file.read(qint64{64} * 1024)).object();
        const QJsonValue last = o.value(QStringLiteral("last"));
        if (o.value(QStringLiteral("field")).toString() != rule.field || !last.isDouble()) {
            out.error(QStringLiteral("%1 holds no sequence of %2 (another field, or damaged); name another "
                                     "report folder or move the file away")
                          .arg(m_path, rule.field));
            return false;
        }
        m_last = last.toInt();
        for (const auto& v : o.value(QStringLiteral("unused")).toArray()) {
            if (v.isDouble() && inRange(v.toInt())) m_unused.push_back(v.toInt());
        }
        out.line(QStringLiteral("continuing the sequence of %1 from %2: last value handed out %3")
                     .arg(rule.field, m_path)
                     .arg(*m_last));
        return true;
    }

    // The next value, or nothing when the next one lies outside the field's range.
    std::optional<int> take() {
        if (!m_unused.empty()) {
            const auto first = std::min_element(m_unused.begin(), m_unused.end(), [this](int a, int b) {
                return m_rule.step > 0 ? a < b : a > b;
            });
            const int value = *first;
            m_unused.erase(first);
            save();
            return value;
        }
        const long long next = m_last ? static_cast<long long>(*m_last) + m_rule.step : m_rule.start;
        if (next < m_rule.min || next > m_rule.max) {
            m_endedAt = next;
            return std::nullopt;
        }
        m_last = static_cast<int>(next);
        save();
        return m_last;
    }
    // A value whose write failed: the next unit gets it.
    void giveBack(int value) {
        m_unused.push_back(value);
        save();
    }
    std::optional<long long> endedAt() const { return m_endedAt; }
    const SequenceRule& rule() const { return m_rule; }
    bool saveFailed() const { return m_saveFailed; }

  private:
    bool inRange(long long v) const { return v >= m_rule.min && v <= m_rule.max; }
    void save() {
        QJsonObject o;
        o.insert(QStringLiteral("field"), m_rule.field);
        o.insert(QStringLiteral("step"), m_rule.step);
        if (m_last) o.insert(QStringLiteral("last"), *m_last);
        QJsonArray unused;
        for (int v : m_unused) unused.append(v);
        o.insert(QStringLiteral("unused"), unused);
        QSaveFile file(m_path);
        m_saveFailed =
            !file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(o).toJson()) < 0 || !file.commit();
    }

    SequenceRule m_rule;
    QString m_path;
    std::optional<int> m_last;
    std::vector<int> m_unused;
    std::optional<long long> m_endedAt;
    bool m_saveFailed = false;
};

// summary.csv: one line per unit, appended and flushed to the disk as each unit ends, so that
// the record survives a crash or a power cut with every unit that had ended.
class Summary {
  public:
    explicit Summary(const QString& dir) : m_path(dir + QStringLiteral("/summary.csv")) {}
    ~Summary() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Summary(const Summary&) = delete;
    Summary& operator=(const Summary&) = delete;

    bool append(const QStringList& fields) {
        if (m_fd < 0) {
            m_fd = ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC,
                          0644);
            if (m_fd < 0) return false;
            if (::lseek(m_fd, 0, SEEK_END) == 0 &&
                !writeLine({QStringLiteral("time"), QStringLiteral("port"), QStringLiteral("usb serial"),
                            QStringLiteral("unit name"), QStringLiteral("unit version"),
                            QStringLiteral("sequence value"), QStringLiteral("result"),
                            QStringLiteral("verified"), QStringLiteral("report file")}))
                return false;
        }
        return writeLine(fields) && ::fdatasync(m_fd) == 0;
    }
    const QString& path() const { return m_path; }

  private:
    // A field as a spreadsheet reads it back: quoted where it holds a separator, a quote or a
    // line break, and a text that would start a formula (a unit's name is the unit's to choose)
    // kept as text.
    static QByteArray field(const QString& text) {
        QString t = text.simplified();  // one row per unit, whatever a message spans
        if (!t.isEmpty() && QStringLiteral("=+-@").contains(t.front())) t.prepend(QLatin1Char('\''));
        if (t.contains(QLatin1Char(',')) || t.contains(QLatin1Char('"')) || t.contains(QLatin1Char('\n')) ||
            t.contains(QLatin1Char('\r')) || t.startsWith(QLatin1Char(' ')))
            t = QLatin1Char('"') + t.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
        return t.toUtf8();
    }
    bool writeLine(const QStringList& fields) {
        QByteArray line;
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (i != 0) line += ',';
            line += field(fields[i]);
        }
        line += "\r\n";
        qsizetype sent = 0;
        while (sent < line.size()) {
            const ssize_t n = ::write(m_fd, line.constData() + sent, static_cast<size_t>(line.size() - sent));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            sent += n;
        }
        return true;
    }

    QString m_path;
    int m_fd = -1;
};

// One line on a terminal that says what the bench is doing, rewritten in place; nothing at
// all when stderr is a log or a pipe.
class StatusLine {
  public:
    StatusLine() : m_terminal(::isatty(STDERR_FILENO) == 1) {}
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

// Asks the parent for the next sequence value over the worker's socket.
std::optional<int> askForValue(int parent) {
    if (::send(parent, "take\n", 5, MSG_NOSIGNAL) != 5) return std::nullopt;
    QByteArray line;
    char c = 0;
    for (;;) {
        const ssize_t n = ::read(parent, &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return std::nullopt;
        if (c == '\n') break;
        line += c;
        if (line.size() > 64) return std::nullopt;
    }
    if (!line.startsWith("value ")) return std::nullopt;
    bool ok = false;
    const int value = line.mid(6).toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

struct Worker {
    ChildWork child;
    QString usbSerial;
    std::optional<int> value;  // the sequence value handed to it
    qsizetype consumed = 0;    // bytes of the child's messages already handled
    bool refused = false;      // it asked for a value and got none
    bool unit = false;         // a unit answered on its port
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

// One run of the line: the workers on the ports, what has been written and failed, and what
// the bench's Ctrl+C has asked for so far. The steps of one look at the ports are its members.
class LineRun {
  public:
    LineRun(const ProductionLineSetup& lineSetup, Output& output, std::optional<SequenceState>& lineSequence,
            Summary& lineSummary)
        : setup(lineSetup),
          out(output),
          dir(lineSetup.reportDir),
          sequence(lineSequence),
          summary(lineSummary) {}

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
    void finishUnit(const std::string& port, Worker& worker, UnitRun run) {
        const bool noUnit = run.code == kExitNoUnit && !run.report.contains(QStringLiteral("port"));
        if (worker.value && run.code != kExitOk) sequence->giveBack(*worker.value);
        if (noUnit) return;  // nothing answered there: not a unit of the line
        status.clear();
        if (worker.refused && sequence->endedAt()) {
            sequenceEnded = true;
            std::printf(
                "%s: not written: the sequence of %s would go on with %lld, outside %d to %d; no more "
                "units are written\n",
                port.c_str(), sequence->rule().field.toLocal8Bit().constData(),
                sequence->endedAt().value_or(0), sequence->rule().min, sequence->rule().max);
            std::fflush(stdout);
            return;
        }
        const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
        const QString name = QStringLiteral("%1/%2-%3.json")
                                 .arg(dir, stamp, QFileInfo(QString::fromStdString(port)).fileName());
        run.report.insert(QStringLiteral("port"), QString::fromStdString(port));
        if (!worker.usbSerial.isEmpty()) run.report.insert(QStringLiteral("usbSerial"), worker.usbSerial);
        QSaveFile file(name);
        const bool saved = file.open(QIODevice::WriteOnly) &&
                           file.write(QJsonDocument(run.report).toJson()) >= 0 && file.commit();
        if (!saved) {
            out.error(
                QStringLiteral("%1: the report could not be written: %2").arg(name, file.errorString()));
            recordFailed = true;
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
        const QString value = worker.value ? QString::number(*worker.value) : QString();
        if (!summary.append({run.report.value(QStringLiteral("time")).toString(),
                             QString::fromStdString(port), worker.usbSerial,
                             run.report.value(QStringLiteral("unitName")).toString(),
                             run.report.value(QStringLiteral("unitVersion")).toString(), value, result,
                             run.report.contains(QStringLiteral("verified"))
                                 ? (verified ? QStringLiteral("yes") : QStringLiteral("no"))
                                 : QString(),
                             saved ? QFileInfo(name).fileName() : QString()})) {
            out.error(QStringLiteral("%1: the line of %2 could not be added")
                          .arg(summary.path(), QString::fromStdString(port)));
            recordFailed = true;
        }
        QString text = QStringLiteral("%1: %2").arg(QString::fromStdString(port), result);
        if (verified) text += QStringLiteral(", verified");
        if (worker.value) text += QStringLiteral(", %1 %2").arg(sequence->rule().field, value);
        text += QStringLiteral(" (report %1)").arg(name);
        std::printf("%s\n", text.toLocal8Bit().constData());
        for (const auto& e : run.report.value(QStringLiteral("errors")).toArray())
            std::printf("  %s\n", e.toString().simplified().toLocal8Bit().constData());
        std::fflush(stdout);
    }

    // The first Ctrl+C lets the units being written finish; the second cuts them short.
    void heedStops(int stops) {
        if (stops >= 1 && stopsSeen == 0) {
            stopsSeen = 1;
            std::size_t units = 0;
            for (auto& [port, w] : running) {
                w.child.signal(SIGTERM);
                units += w.unit ? 1 : 0;
            }
            if (units != 0) {
                status.clear();
                std::printf(
                    "stopping: %zu unit(s) being written are let finish (Ctrl+C again cuts them short)\n",
                    units);
                std::fflush(stdout);
            }
        }
        if (stops >= 2 && stopsSeen == 1) {
            stopsSeen = 2;
            for (auto& [port, w] : running) {
                w.child.stop();
                if (!w.unit) continue;  // a port still being scanned
                QJsonObject report;
                report.insert(QStringLiteral("time"), isoTime(std::chrono::system_clock::now()));
                report.insert(QStringLiteral("result"),
                              QStringLiteral("cut short by Ctrl+C; the unit may hold part of the settings"));
                report.insert(QStringLiteral("exitCode"), kExitWriteFailed);
                finishUnit(port, w, UnitRun{kExitWriteFailed, report});
            }
            running.clear();
        }
    }

    // A worker for each port that appeared, or whose device was made anew, since the last look.
    void startWorkersOnNewPorts() {
        std::vector<std::string> listed = Command::ListPorts();
        listed.resize(std::min(listed.size(), Command::Timing().MaxPorts));
        std::map<std::string, Platform::PortIdentity> present;
        for (const std::string& port : listed) present.emplace(port, Platform::IdentityOf(port));
        for (auto it = handled.begin(); it != handled.end();) {
            const auto now = present.find(it->first);
            const bool same = now != present.end() && now->second == it->second;
            it = !same && running.count(it->first) == 0 ? handled.erase(it) : std::next(it);
        }
        for (const auto& [listedPort, identity] : present) {
            const std::string port = listedPort;  // a copy the worker's function can keep
            if (handled.count(port) != 0) continue;
            const ProductionLineSetup& lineSetup = setup;
            std::optional<ChildWork> child = ChildWork::start(port, [&lineSetup, port](int parent) {
                // The bench's Ctrl+C reaches every process of the terminal; the parent
                // decides what it means and tells the worker.
                ::signal(SIGINT, SIG_IGN);
                UnitExtras extras;
                if (lineSetup.sequence) extras.takeValue = [parent] { return askForValue(parent); };
                extras.unitAnswered = [parent] { ::send(parent, "unit\n", 5, MSG_NOSIGNAL); };
                const UnitRun run = lineSetup.writeUnit(port, extras);
                QJsonObject o;
                o.insert(QStringLiteral("code"), run.code);
                o.insert(QStringLiteral("report"), run.report);
                return QByteArray("result ") + QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
            });
            if (!child) continue;  // no process to be had now: tried again on the next look
            handled.emplace(port, identity);
            const QJsonObject usb = usbAttributes(port);
            running.emplace(port,
                            Worker{std::move(*child), usb.value(QStringLiteral("serialNumber")).toString(),
                                   std::nullopt, 0});
        }
    }

    void showStatus(int stops) {
        std::size_t writing = 0;
        for (const auto& [port, w] : running) writing += w.unit ? 1 : 0;
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

    // A worker's questions: one line each, answered at once.
    void answerQuestions(Worker& w) {
        const QByteArray& bytes = w.child.result();
        for (qsizetype end; (end = bytes.indexOf('\n', w.consumed)) >= 0;) {
            const QByteArray line = bytes.mid(w.consumed, end - w.consumed);
            if (line == "unit") {
                w.unit = true;
                w.consumed = end + 1;
                continue;
            }
            if (!line.startsWith("take")) break;
            w.consumed = end + 1;
            std::optional<int> value;
            if (sequence && g_stops.load() == 0 && !sequenceEnded && !w.value) value = sequence->take();
            if (value && sequence->saveFailed()) {
                // A value the folder does not know of could be handed out again after a
                // restart: no unit is numbered from here on.
                value.reset();
                sequenceEnded = true;
                status.clear();
                out.error(QStringLiteral("%1/sequence.json could not be written; no more units are written")
                              .arg(dir));
            }
            if (value) w.value = value;
            w.refused = !value;
            w.child.answer(value ? QByteArray("value ") + QByteArray::number(*value) + '\n'
                                 : QByteArray("none\n"));
        }
    }

    // The result of a worker that ended; nullopt for one told to stop before it found a unit.
    std::optional<UnitRun> resultOf(Worker& w) {
        const QByteArray& bytes = w.child.result();
        UnitRun run;
        const qsizetype at = bytes.indexOf("result ", w.consumed);
        const QJsonObject o = at >= 0 ? QJsonDocument::fromJson(bytes.mid(at + 7)).object() : QJsonObject();
        if (w.child.exitedCleanly() && o.contains(QStringLiteral("code"))) {
            run.code = o.value(QStringLiteral("code")).toInt();
            run.report = o.value(QStringLiteral("report")).toObject();
        } else if (stopsSeen != 0) {
            // Told to stop before it had begun to write: nothing was written.
            if (!w.unit) return std::nullopt;
            run.code = kExitWriteFailed;
            run.report.insert(QStringLiteral("time"), isoTime(std::chrono::system_clock::now()));
            run.report.insert(QStringLiteral("result"),
                              QStringLiteral("not written: the bench stopped before the write"));
            run.report.insert(QStringLiteral("interrupted"), true);
        } else {
            run.code = kExitWriteFailed;
            run.report.insert(QStringLiteral("time"), isoTime(std::chrono::system_clock::now()));
            run.report.insert(QStringLiteral("result"),
                              QStringLiteral("failed: the unit's worker ended without a result"));
        }
        return run;
    }

    void collectWorkers() {
        for (auto it = running.begin(); it != running.end();) {
            Worker& w = it->second;
            answerQuestions(w);
            if (!w.child.done()) {
                ++it;
                continue;
            }
            if (std::optional<UnitRun> run = resultOf(w)) finishUnit(it->first, w, std::move(*run));
            it = running.erase(it);
        }
    }

    int finish() {
        status.clear();
        if (sequence && sequence->saveFailed()) recordFailed = true;
        std::printf("units written: %d, failed: %d\n", written, failed);
        std::fflush(stdout);
        if (failed != 0) return out.finish(kExitWriteFailed);
        if (recordFailed) return out.finish(kExitFileError);
        return out.finish(sequenceEnded ? kExitUsage : kExitOk);
    }

    const ProductionLineSetup& setup;
    Output& out;
    const QString dir;
    std::optional<SequenceState>& sequence;
    Summary& summary;
    StatusLine status;
    std::map<std::string, Worker> running;
    // Ports worked on, with the identity of their device node then: a port stays done until
    // it disappears or its node is made anew (a unit unplugged and the next one plugged in
    // under the same name between two looks).
    std::map<std::string, Platform::PortIdentity> handled;
    int written = 0;
    int failed = 0;
    int stopsSeen = 0;
    bool sequenceEnded = false;
    bool recordFailed = false;
};

}  // namespace

int runProductionLine(const ProductionLineSetup& setup, Output& out) {
    const QString dir = setup.reportDir;
    if (!QDir().mkpath(dir) || !QFileInfo(dir).isWritable()) {
        out.error(QStringLiteral("%1: the report folder cannot be created or written").arg(dir));
        return out.finish(kExitFileError);
    }
    std::optional<SequenceState> sequence;
    if (setup.sequence) {
        sequence.emplace();
        if (!sequence->load(dir, *setup.sequence, out)) return out.finish(kExitFileError);
    }
    Summary summary(dir);

    struct sigaction action {};
    action.sa_handler = onStop;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);

    return LineRun(setup, out, sequence, summary).run();
}

}  // namespace Tormel::Cli
