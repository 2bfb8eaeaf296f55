// SPDX-License-Identifier: MIT
#include "cli/LineRecord.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <set>

#include "platform/FileReplacement.h"

namespace Tormel::Cli {
namespace {

const QStringList kSummaryHeader{
    QStringLiteral("time"),      QStringLiteral("port"),         QStringLiteral("usb serial"),
    QStringLiteral("unit name"), QStringLiteral("unit version"), QStringLiteral("sequence value"),
    QStringLiteral("result"),    QStringLiteral("verified"),     QStringLiteral("report file")};

// A field as a spreadsheet reads it back: quoted where it holds a separator, a quote or a line
// break, and a text that would start a formula (a unit's name is the unit's to choose) kept
// as text.
QByteArray csvField(const QString& text) {
    QString t = text.simplified();  // one row per unit, whatever a message spans
    if (!t.isEmpty() && QStringLiteral("=+-@").contains(t.front())) t.prepend(QLatin1Char('\''));
    if (t.contains(QLatin1Char(',')) || t.contains(QLatin1Char('"')) || t.startsWith(QLatin1Char(' ')))
        t = QLatin1Char('"') + t.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    return t.toUtf8();
}

QByteArray csvLine(const QStringList& fields) {
    QByteArray line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i != 0) line += ',';
        line += csvField(fields[i]);
    }
    return line + "\r\n";
}

QString now() { return isoTime(std::chrono::system_clock::now()); }

}  // namespace

QString SequenceRule::text() const { return QStringLiteral("%1=%2:%3").arg(field).arg(start).arg(step); }

QString heldName(ValueHeld held) {
    return held == ValueHeld::Yes  ? QStringLiteral("yes")
           : held == ValueHeld::No ? QStringLiteral("no")
                                   : QStringLiteral("maybe");
}

std::optional<ValueHeld> heldFromName(const QString& name) {
    for (const ValueHeld h : {ValueHeld::Yes, ValueHeld::No, ValueHeld::Maybe})
        if (heldName(h) == name) return h;
    return std::nullopt;
}

bool saveReport(const QString& path, const QJsonObject& report, Output& out) {
    const Platform::FileResult saved = Platform::ReplaceFileAtomically(
        QFile::encodeName(path).toStdString(), QJsonDocument(report).toJson().toStdString(), true);
    if (!saved.ok()) {
        out.error(QStringLiteral("%1: the report could not be written: %2")
                      .arg(path, QString::fromLocal8Bit(saved.message)));
    }
    return saved.ok();
}

QString LineRecord::path(const QString& name) const { return QDir(m_dir).filePath(name); }

bool LineRecord::open(const QString& dir, const std::optional<SequenceRule>& rule, const QString& holder,
                      Output& out, int& code) {
    m_dir = dir;
    code = kExitFileError;
    if (!QDir().mkpath(dir) || !QFileInfo(dir).isDir()) {
        out.error(QStringLiteral("%1: the report folder cannot be created").arg(dir));
        return false;
    }
    Platform::FolderLock::Refusal refusal;
    m_lock =
        Platform::FolderLock::Acquire(QFile::encodeName(path(QStringLiteral("bench.lock"))).toStdString(),
                                      holder.toStdString() + '\n', refusal);
    if (!m_lock.held()) {
        if (refusal.heldByAnother) {
            out.error(
                QStringLiteral("--report-dir %1 is in use by another bench: %2; give each bench a report "
                               "folder of its own, or stop the other one first")
                    .arg(dir, QString::fromLocal8Bit(refusal.holder.c_str()).trimmed()));
        } else {
            out.error(QStringLiteral("--report-dir %1: the folder cannot be locked (%2); nothing was written")
                          .arg(dir, QString::fromLocal8Bit(refusal.reason.c_str())));
        }
        return false;
    }
    if (!checkFiles(out)) return false;
    if (!loadSequence(rule ? &*rule : nullptr, out)) return false;
    if (!recoverInFlight(out)) return false;
    code = kExitOk;
    return true;
}

bool LineRecord::checkFiles(Output& out) {
    // Every file of the record must have a place before the first unit is touched.
    for (const QString& name : {QStringLiteral("report.json"), QStringLiteral("sequence.json")}) {
        if (const auto why = cannotCreate(path(name))) {
            out.error(QStringLiteral("--report-dir %1: %2; nothing was written").arg(m_dir, *why));
            return false;
        }
    }
    for (auto [file, name] : {std::pair{&m_summary, QStringLiteral("summary.csv")},
                              std::pair{&m_journal, QStringLiteral("in-flight.log")}}) {
        if (const auto why = file->open(QFile::encodeName(path(name)).toStdString())) {
            out.error(QStringLiteral("%1: %2; nothing was written")
                          .arg(path(name), QString::fromLocal8Bit(why->c_str())));
            return false;
        }
    }
    if (m_summary.isEmpty() && !m_summary.append(csvLine(kSummaryHeader).toStdString())) {
        out.error(QStringLiteral("%1: cannot be written; nothing was written")
                      .arg(path(QStringLiteral("summary.csv"))));
        return false;
    }
    return true;
}

bool LineRecord::loadSequence(const SequenceRule* rule, Output& out) {
    const QString file = path(QStringLiteral("sequence.json"));
    QFile f(file);
    if (!f.exists()) {
        if (rule) m_rule = *rule;
        return !rule || saveSequence() ||
               (out.error(QStringLiteral("%1 could not be written").arg(file)), false);
    }
    if (!f.open(QIODevice::ReadOnly)) {
        out.error(QStringLiteral("%1: %2").arg(file, f.errorString()));
        return false;
    }
    const QJsonObject o = QJsonDocument::fromJson(f.read(qint64{64} * 1024)).object();
    const QJsonValue last = o.value(QStringLiteral("last"));
    const QString field = o.value(QStringLiteral("field")).toString();
    if (field.isEmpty() || (!last.isDouble() && !last.isUndefined())) {
        out.error(QStringLiteral("%1 is damaged (no field or no last value); name another report folder or "
                                 "move the file away")
                      .arg(file));
        return false;
    }
    SequenceRule kept;
    kept.field = field;
    kept.step = o.value(QStringLiteral("step")).toInt(rule ? rule->step : 1);
    kept.start = o.value(QStringLiteral("start")).toInt(rule ? rule->start : 0);
    const bool sameRule =
        rule && rule->field == field && rule->step == kept.step && rule->start == kept.start;
    if (!sameRule) {
        const QString lastText = last.isDouble() ? QString::number(last.toInt()) : QStringLiteral("none");
        const QString refused =
            rule ? QStringLiteral("%1 holds no sequence of %2").arg(file, rule->text())
                 : QStringLiteral("%1: without --sequence every unit would get the settings file's own %2")
                       .arg(file, kept.field);
        out.error(
            QStringLiteral("%1: this folder numbers units by --sequence %2 (last value handed out %3). "
                           "Continue with --sequence %2, or name a new report folder for another sequence")
                .arg(refused, kept.text(), lastText));
        return false;
    }
    m_rule = *rule;
    if (last.isDouble()) m_last = last.toInt();
    for (const auto& v : o.value(QStringLiteral("unused")).toArray()) {
        if (v.isDouble() && v.toInt() >= rule->min && v.toInt() <= rule->max) m_unused.push_back(v.toInt());
    }
    if (m_last) {
        out.line(QStringLiteral("continuing the sequence %1 from %2: last value handed out %3")
                     .arg(rule->text(), file)
                     .arg(*m_last));
    }
    // Written back with its start, so that an older record keeps its rule from now on.
    return saveSequence() || (out.error(QStringLiteral("%1 could not be written").arg(file)), false);
}

bool LineRecord::saveSequence() {
    if (!m_rule) return true;
    QJsonObject o;
    o.insert(QStringLiteral("field"), m_rule->field);
    o.insert(QStringLiteral("start"), m_rule->start);
    o.insert(QStringLiteral("step"), m_rule->step);
    if (m_last) o.insert(QStringLiteral("last"), *m_last);
    QJsonArray unused;
    for (int v : m_unused) unused.append(v);
    o.insert(QStringLiteral("unused"), unused);
    m_saveFailed = !Platform::ReplaceFileAtomically(
                        QFile::encodeName(path(QStringLiteral("sequence.json"))).toStdString(),
                        QJsonDocument(o).toJson().toStdString(), true)
                        .ok();
    return !m_saveFailed;
}

bool LineRecord::journal(const QJsonObject& entry) {
    return m_journal.append(QJsonDocument(entry).toJson(QJsonDocument::Compact).toStdString() + '\n');
}

bool LineRecord::appendRow(const QStringList& fields) {
    return m_summary.append(csvLine(fields).toStdString());
}

bool LineRecord::recoverInFlight(Output& out) {
    QFile f(path(QStringLiteral("in-flight.log")));
    if (!f.open(QIODevice::ReadOnly)) return true;
    std::map<QString, QJsonObject> begun;  // report name -> its begin entry, with its value
    std::vector<QString> order;
    while (!f.atEnd()) {
        const QJsonObject e = QJsonDocument::fromJson(f.readLine(qint64{64} * 1024)).object();
        const QString report = e.value(QStringLiteral("report")).toString();
        const QString kind = e.value(QStringLiteral("kind")).toString();
        if (report.isEmpty()) continue;  // a line cut short by a power cut
        if (kind == u"begin") {
            begun[report] = e;
            order.push_back(report);
        } else if (kind == u"value" && begun.count(report) != 0) {
            begun[report].insert(QStringLiteral("value"), e.value(QStringLiteral("value")));
        } else if (kind == u"end") {
            begun.erase(report);
        }
    }
    f.close();
    const QByteArray summary = [&] {
        QFile s(path(QStringLiteral("summary.csv")));
        return s.open(QIODevice::ReadOnly) ? s.readAll() : QByteArray();
    }();
    bool recorded = true;
    for (const QString& report : order) {
        const auto it = begun.find(report);
        if (it == begun.end()) continue;
        const QJsonObject& e = it->second;
        // Its row may have been written just before the bench ended.
        if (summary.contains(csvField(report))) continue;
        const QString port = e.value(QStringLiteral("port")).toString();
        const QJsonValue value = e.value(QStringLiteral("value"));
        QString what = QStringLiteral(
            "in flight when an earlier bench ended (killed, crashed or powered off) at %1: the unit may hold "
            "part of the settings");
        if (value.isDouble() && m_rule) {
            what += QStringLiteral("; %1 %2 counts as used").arg(m_rule->field).arg(value.toInt());
        }
        what = what.arg(e.value(QStringLiteral("time")).toString());
        out.line(QStringLiteral("%1: %2. Check that unit with pelnix-cli read before writing it again")
                     .arg(printable(port.toStdString()), what));
        recorded = appendRow({now(),
                              port,
                              e.value(QStringLiteral("usbSerial")).toString(),
                              {},
                              {},
                              value.isDouble() ? QString::number(value.toInt()) : QString(),
                              QStringLiteral("failed: ") + what,
                              {},
                              {}}) &&
                   recorded;
    }
    if (!recorded) {
        out.error(QStringLiteral("%1: the units left in flight could not be recorded; nothing was written")
                      .arg(path(QStringLiteral("summary.csv"))));
        return false;
    }
    // Everything begun is now recorded: the journal starts anew.
    if (!Platform::ReplaceFileAtomically(QFile::encodeName(f.fileName()).toStdString(), {}, true).ok() ||
        m_journal.open(QFile::encodeName(f.fileName()).toStdString())) {
        out.error(QStringLiteral("%1 cannot be written; nothing was written").arg(f.fileName()));
        return false;
    }
    return true;
}

QString LineRecord::begin(const QString& port, const QString& usbSerial) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    QString name = QStringLiteral("%1-%2.json").arg(stamp, QFileInfo(port).fileName());
    for (int n = 2; QFileInfo::exists(path(name)); ++n)
        name = QStringLiteral("%1-%2-%3.json").arg(stamp, QFileInfo(port).fileName()).arg(n);
    QJsonObject e;
    e.insert(QStringLiteral("kind"), QStringLiteral("begin"));
    e.insert(QStringLiteral("report"), name);
    e.insert(QStringLiteral("port"), port);
    e.insert(QStringLiteral("usbSerial"), usbSerial);
    e.insert(QStringLiteral("time"), now());
    if (!journal(e)) m_saveFailed = true;
    return name;
}

std::optional<int> LineRecord::take(const QString& reportName) {
    if (!m_rule || m_saveFailed) return std::nullopt;
    std::optional<int> value;
    if (!m_unused.empty()) {
        const auto first = std::min_element(m_unused.begin(), m_unused.end(), [this](int a, int b) {
            return m_rule->step > 0 ? a < b : a > b;
        });
        value = *first;
        m_unused.erase(first);
    } else {
        const long long next = m_last ? static_cast<long long>(*m_last) + m_rule->step : m_rule->start;
        if (next < m_rule->min || next > m_rule->max) {
            m_endedAt = next;
            return std::nullopt;
        }
        m_last = static_cast<int>(next);
        value = m_last;
    }
    // Recorded as handed out before the unit is told: a bench ended right after never gives
    // the same value twice.
    QJsonObject e;
    e.insert(QStringLiteral("kind"), QStringLiteral("value"));
    e.insert(QStringLiteral("report"), reportName);
    e.insert(QStringLiteral("value"), *value);
    if (!saveSequence() || !journal(e)) {
        m_saveFailed = true;
        return std::nullopt;
    }
    return value;
}

bool LineRecord::release(const QString& reportName) {
    QJsonObject e;
    e.insert(QStringLiteral("kind"), QStringLiteral("end"));
    e.insert(QStringLiteral("report"), reportName);
    return journal(e);
}

bool LineRecord::finish(UnitRecord unit, const QString& resultText, Output& out, bool& reportSaved) {
    unit.report.insert(QStringLiteral("port"), unit.port);
    if (!unit.usbSerial.isEmpty()) unit.report.insert(QStringLiteral("usbSerial"), unit.usbSerial);
    const bool saved = saveReport(path(unit.reportName), unit.report, out);
    reportSaved = saved;
    const bool verified = unit.report.value(QStringLiteral("verified")).toBool();
    const bool rowAdded = appendRow({unit.report.value(QStringLiteral("time")).toString(), unit.port,
                                     unit.usbSerial, unit.report.value(QStringLiteral("unitName")).toString(),
                                     unit.report.value(QStringLiteral("unitVersion")).toString(),
                                     unit.value ? QString::number(*unit.value) : QString(), resultText,
                                     unit.report.contains(QStringLiteral("verified"))
                                         ? (verified ? QStringLiteral("yes") : QStringLiteral("no"))
                                         : QString(),
                                     saved ? unit.reportName : QString()});
    if (!rowAdded) {
        out.error(QStringLiteral("%1: the line of %2 could not be added")
                      .arg(path(QStringLiteral("summary.csv")), printable(unit.port.toStdString())));
    }
    // Only a unit that certainly does not hold its value gives it back, and only once its row
    // says so.
    if (unit.value && unit.held == ValueHeld::No && rowAdded) {
        m_unused.push_back(*unit.value);
        saveSequence();
    }
    const bool ended = rowAdded && release(unit.reportName);
    return saved && rowAdded && ended && !m_saveFailed;
}

}  // namespace Tormel::Cli
