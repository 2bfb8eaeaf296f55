// SPDX-License-Identifier: MIT
// `read`, `diff`, `write` and `reset`: a unit against a settings file, through the same
// conversions and record checks as the windows.
#include <signal.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>
#include <atomic>
#include <filesystem>
#include <thread>

#include "cli/Commands.h"
#include "cli/ProductionLine.h"
#include "cli/ScanReport.h"
#include "cli/SettingsDocument.h"
#include "domain/modem/DidoCommand.h"
#include "domain/modem/TX330Command.h"
#include "domain/modem/WirelessCommand.h"
#include "settings/RecordConversion.h"

namespace Tormel::Cli {

using Domain::Modem::Command;
using Domain::Modem::CommandResult;
using Domain::Modem::DidoCommand;
using Domain::Modem::TraceDirection;
using Domain::Modem::TX330Command;
using Domain::Modem::WirelessCommand;

namespace {

const char* const kExitCodes =
    "Exit codes: 0 success, 1 differences (diff), 2 usage, 3 no unit found, 4 unit not supported\n"
    "(or values this tool cannot take), 5 write or reset failed, 6 file error.";

bool aesEnabledForUnit(Family family) {
    const std::string& name = Command::m_nodeinfo.SoftwareName;
    return family == Family::Rs485 ? Gui::rs485AesEnabled(name, Gui::rs485ModuleType(name))
                                   : Gui::tx330AesEnabled(name);
}

void reportMessages(Output& out) {
    for (const QString& m : messages().take()) out.error(m);
}

// False (the usage error reported) unless exactly one settings file was named for `command`.
bool oneSettingsFile(const QCommandLineParser& parser, const char* command, Output& out) {
    if (parser.positionalArguments().size() == 1) return true;
    out.error(QString::fromLatin1(command) + QStringLiteral(" needs one settings file"));
    return false;
}

// A document made from the unit's records that its own checks refuse is reported with the
// windows' message and counts as none.
template <class Config>
std::optional<AnyConfig> checkedUnitDocument(std::optional<Config> config, bool aes, Output& out) {
    if (config) config->setModelName(Config::kModelName);
    if (config && !config->checkConfigData(false, aes)) {
        messages().messageBox(texts().getString(Gui::Msg::ReadFailed), {}, Gui::MessageBoxButtons::OK,
                              Gui::MessageBoxIcon::Error, nullptr);
        config.reset();
    }
    reportMessages(out);
    if (!config) return std::nullopt;
    return AnyConfig(*config);
}

// The connected unit's values as a settings document, after a ConnectAndRead; nothing (and
// the windows' message) when the unit reported a value the document cannot take.
std::optional<AnyConfig> unitDocument(Family family, Output& out) {
    const std::string& name = Command::m_nodeinfo.SoftwareName;
    const bool aes = aesEnabledForUnit(family);
    if (family == Family::Rs485) {
        const Gui::Rs485RecordSet records{Command::m_communication, Command::m_nodeinfo, Command::m_protocol,
                                          Command::m_binding};
        return checkedUnitDocument(
            Gui::rs485ConfigFromRecords(records, Gui::rs485ModuleType(name), Gui::Msg::ReadFailed, true), aes,
            out);
    }
    const Gui::Tx330RecordSet records{TX330Command::m_communication, TX330Command::m_nodeinfo,
                                      WirelessCommand::WirelessinfoConfig(), DidoCommand::DidoinfoConfig()};
    return checkedUnitDocument(Gui::tx330ConfigFromRecords(records, Gui::Msg::ReadFailed), aes, out);
}

// The file's document as the unit would hold it once written: through the records and back,
// so that two files that write the same values compare equal.
std::optional<AnyConfig> asWritten(const AnyConfig& file) {
    const std::string& name = Command::m_nodeinfo.SoftwareName;
    if (const auto* rs485 = std::get_if<Gui::ApplicationConfig>(&file)) {
        const int32_t moduleType = Gui::rs485ModuleType(name);
        const auto records = Gui::rs485RecordsFromConfig(*rs485, moduleType, Command::m_nodeinfo,
                                                         Gui::AesKeyChoice::NotChange);
        auto back = Gui::rs485ConfigFromRecords(records, moduleType, Gui::Msg::ReadFailed, true);
        messages().take();
        if (!back) return std::nullopt;
        return AnyConfig(*back);
    }
    const auto records = Gui::tx330RecordsFromConfig(std::get<Gui::ApplicationConfig_TX330>(file),
                                                     Command::m_nodeinfo, Gui::AesKeyChoice::NotChange);
    auto back = Gui::tx330ConfigFromRecords(records, Gui::Msg::ReadFailed);
    messages().take();
    if (!back) return std::nullopt;
    return AnyConfig(*back);
}

void describeUnit(Output& out) {
    QJsonObject unit;
    unit.insert(QStringLiteral("port"), QString::fromStdString(Command::m_portName));
    unit.insert(QStringLiteral("name"), printable(Command::m_nodeinfo.SoftwareName));
    unit.insert(QStringLiteral("version"), printable(Command::m_nodeinfo.SoftwareVersion));
    out.doc.insert(QStringLiteral("unit"), unit);
    out.line(QStringLiteral("unit: %1 version %2 on %3")
                 .arg(printable(Command::m_nodeinfo.SoftwareName),
                      printable(Command::m_nodeinfo.SoftwareVersion),
                      QString::fromStdString(Command::m_portName)));
}

// Sets the link up from the options and connects to a unit of the family they name (`read`:
// with every record read), described on `out`. kExitOk with `family` set, or the exit code.
int connectFromOptions(const QCommandLineParser& parser, Link& link, bool read, Output& out, Family& family) {
    const auto named = familyOption(parser, Family::Rs485, out);
    if (!named || !link.configure(parser, out)) return kExitUsage;
    family = *named;
    if (const int code = connectUnit(family, read, out); code != kExitOk) return code;
    describeUnit(out);
    return kExitOk;
}

std::optional<Gui::AesKeyChoice> keyChoice(const QCommandLineParser& parser, Output& out, bool allowInit) {
    const QString v = parser.value(QStringLiteral("aes-key")).toLower();
    if (v == u"keep") return Gui::AesKeyChoice::NotChange;
    if (v == u"change") return Gui::AesKeyChoice::Change;
    if (v == u"init" && allowInit) return Gui::AesKeyChoice::Init;
    out.error(
        QStringLiteral("--aes-key must be keep, change%1").arg(allowInit ? QStringLiteral(" or init") : ""));
    return std::nullopt;
}

void addReadOptions(QCommandLineParser& parser) {
    parser.addOption({{QStringLiteral("o"), QStringLiteral("output")},
                      QStringLiteral("The settings file to write."),
                      QStringLiteral("FILE.xml")});
}

int runRead(const QCommandLineParser& parser, Output& out) {
    if (!parser.isSet(QStringLiteral("output"))) {
        out.error(QStringLiteral("read needs -o FILE.xml"));
        return out.finish(kExitUsage);
    }
    Link link;
    Family family = Family::Rs485;
    if (const int code = connectFromOptions(parser, link, true, out, family); code != kExitOk)
        return out.finish(code);
    link.closeQuietly();
    const auto config = unitDocument(family, out);
    if (!config) return out.finish(kExitUnsupported);
    const QString path = parser.value(QStringLiteral("output"));
    if (!saveSettingsFile(path, *config, out)) return out.finish(kExitFileError);
    out.doc.insert(QStringLiteral("file"), path);
    out.line(QStringLiteral("written: %1").arg(path));
    return out.finish(kExitOk);
}

void addDiffOptions(QCommandLineParser& parser) {
    parser.addPositionalArgument(QStringLiteral("FILE.xml"),
                                 QStringLiteral("The settings file to compare with."));
}

int runDiff(const QCommandLineParser& parser, Output& out) {
    if (!oneSettingsFile(parser, "diff", out)) return out.finish(kExitUsage);
    const auto file = loadSettingsFile(parser.positionalArguments().first(), out);
    if (!file) return out.finish(kExitFileError);
    Link link;
    if (!link.configure(parser, out)) return out.finish(kExitUsage);
    const Family family = familyOf(*file);
    if (const int code = connectUnit(family, true, out); code != kExitOk) return out.finish(code);
    describeUnit(out);
    link.closeQuietly();
    const auto unit = unitDocument(family, out);
    if (!unit) return out.finish(kExitUnsupported);
    // Both sides as a write would send them: values that a write fixes (the verification
    // code's fields when it is off, for one) do not count as differences.
    const auto unitWritten = asWritten(*unit);
    const auto written = asWritten(*file);
    if (!unitWritten) return out.finish(kExitUnsupported);
    if (!written) {
        out.error(QStringLiteral("the file holds values that cannot be written to this unit"));
        return out.finish(kExitFileError);
    }
    const std::vector<FieldDifference> differences = compareUnitFields(*unitWritten, *written);
    const QString source = QStringLiteral("unit");
    for (const FieldDifference& d : differences) out.line(differenceText(d, source));
    out.doc.insert(QStringLiteral("differences"), differencesJson(differences, source));
    if (differences.empty()) out.line(QStringLiteral("no differences"));
    return out.finish(differences.empty() ? kExitOk : kExitDifferences);
}

std::atomic<int> g_interrupts{0};
std::atomic<bool> g_writing{false};  // a write has begun in this process: its worker sees it to the end

// A unit's worker told to stop by the bench: one that has not begun to write ends at once
// (nothing was written, and a scan may be waiting seconds for a silent port); a write in
// progress is finished.
void onInterrupt(int) {
    g_interrupts.fetch_add(1);
    if (!g_writing.load()) ::_exit(kExitNoUnit);
}

struct WriteOutcome {
    int code = kExitOk;
    QJsonObject report;
};

// After a confirmed write: the unit read back on the same line and compared with what was
// sent, as diff compares a unit with a file. A value the unit confirmed but did not keep makes
// the write a failure that names it. Returns why it failed (empty: verified); the report gets
// the read-back.
QString verifyWritten(Family family, const AnyConfig& sent, QJsonObject& report, Output& out) {
    report.insert(QStringLiteral("verified"), false);
    const CommandResult read = Command::RunFrame([family] {
        if (family == Family::Rs485) {
            Command::GetAllParam();
        } else {
            TX330Command::GetAllParam();
        }
    });
    const auto unit = read == CommandResult::Success ? unitDocument(family, out) : std::nullopt;
    const auto unitWritten = unit ? asWritten(*unit) : std::nullopt;
    const auto sentWritten = asWritten(sent);
    if (!unitWritten || !sentWritten) {
        out.error(QStringLiteral("the write was confirmed, but the unit could not be read back (%1)")
                      .arg(resultName(read)));
        report.insert(QStringLiteral("readBackResult"), resultName(read));
        return QStringLiteral("failed: the unit could not be read back");
    }
    report.insert(QStringLiteral("readBack"), unitFieldsJson(*unit));
    const std::vector<FieldDifference> differences = compareUnitFields(*unitWritten, *sentWritten);
    if (!differences.empty()) {
        report.insert(QStringLiteral("mismatches"), differencesJson(differences, QStringLiteral("unit")));
        for (const FieldDifference& d : differences)
            out.error(QStringLiteral("read back: ") + differenceText(d, QStringLiteral("unit")));
        return QStringLiteral("failed: the unit keeps other values than written");
    }
    report.insert(QStringLiteral("verified"), true);
    return {};
}

// One unit: connect, check the file against it, write, and build the report.
WriteOutcome writeOneUnit(const AnyConfig& given, const QString& filePath, Gui::AesKeyChoice choice,
                          Output& out, const UnitExtras& extras = {}) {
    WriteOutcome result;
    AnyConfig file = given;
    const Family family = familyOf(file);
    TraceRecorder trace;
    QJsonObject& report = result.report;
    report.insert(QStringLiteral("file"), filePath);
    report.insert(QStringLiteral("family"), family == Family::Rs485 ? QStringLiteral("rs485") : "tx330");
    report.insert(QStringLiteral("time"), isoTime(trace.startedAt()));
    auto finish = [&](int code, const QString& what) {
        result.code = code;
        report.insert(QStringLiteral("result"), what);
        report.insert(QStringLiteral("exitCode"), code);
        report.insert(QStringLiteral("dialogue"), trace.toJson());
        report.insert(QStringLiteral("finished"), isoTime(std::chrono::system_clock::now()));
        return result;
    };

    std::vector<PortReport> scan;
    if (const int code = connectUnit(family, false, out, &scan); code != kExitOk) {
        report.insert(QStringLiteral("scan"), toJson(scan));
        if (code != kExitUnsupported) return finish(code, QStringLiteral("no unit"));
        report.insert(QStringLiteral("unitName"), printable(Command::m_nodeinfo.SoftwareName));
        report.insert(QStringLiteral("unitVersion"), printable(Command::m_nodeinfo.SoftwareVersion));
        return finish(code, QStringLiteral("failed: a unit this tool does not support"));
    }
    describeUnit(out);
    report.insert(QStringLiteral("port"), QString::fromStdString(Command::m_portName));
    report.insert(QStringLiteral("unitName"), printable(Command::m_nodeinfo.SoftwareName));
    report.insert(QStringLiteral("unitVersion"), printable(Command::m_nodeinfo.SoftwareVersion));
    if (extras.unitAnswered) extras.unitAnswered();
    if (extras.takeValue) {
        // The value is taken once a unit has answered: a port without one uses up nothing.
        const std::optional<int> value = extras.takeValue();
        if (!value)
            return finish(kExitUsage, QStringLiteral("no sequence value given (the sequence has ended, or "
                                                     "the bench is stopping); nothing written"));
        setSequenceValue(file, *value);
        QJsonObject sequence;
        sequence.insert(QStringLiteral("field"), sequenceField(familyOf(file)));
        sequence.insert(QStringLiteral("value"), *value);
        report.insert(QStringLiteral("sequence"), sequence);
    }

    // The file passes the record check the window's Set runs, against this very unit.
    const bool aes = aesEnabledForUnit(family);
    const QString version = QString::fromStdString(Command::m_nodeinfo.SoftwareVersion);
    bool passed = false;
    AnyConfig sent = file;
    if (const auto* rs485 = std::get_if<Gui::ApplicationConfig>(&file)) {
        Gui::ApplicationConfig candidate = *rs485;
        candidate.m_version = version;
        candidate.m_moduletype = Gui::rs485ModuleType(Command::m_nodeinfo.SoftwareName);
        candidate.m_target = 0;
        passed = candidate.checkConfigData(true, aes);
        if (passed) {
            const auto records =
                Gui::rs485RecordsFromConfig(candidate, candidate.m_moduletype, Command::m_nodeinfo, choice);
            Command::m_communication = records.communication;
            Command::m_nodeinfo = records.nodeinfo;
            Command::m_protocol = records.protocol;
            Command::m_binding = records.binding;
            report.insert(QStringLiteral("values"), unitFieldsJson(candidate));
            sent = candidate;
        }
    } else {
        Gui::ApplicationConfig_TX330 candidate = std::get<Gui::ApplicationConfig_TX330>(file);
        candidate.m_version = version;
        candidate.m_target = 0;
        passed = candidate.checkConfigData(true, aes);
        if (passed) {
            const auto records = Gui::tx330RecordsFromConfig(candidate, TX330Command::m_nodeinfo, choice);
            TX330Command::m_communication = records.communication;
            TX330Command::m_nodeinfo = records.nodeinfo;
            WirelessCommand::WirelessinfoConfig(records.wireless);
            DidoCommand::DidoinfoConfig(records.dido);
            report.insert(QStringLiteral("values"), unitFieldsJson(candidate));
            sent = candidate;
        }
    }
    if (!passed) {
        QStringList why = messages().take();
        for (const QString& m : why) out.error(QStringLiteral("%1: %2").arg(filePath, m));
        report.insert(QStringLiteral("checkFailed"), why.join(QStringLiteral("; ")));
        return finish(kExitFileError, QStringLiteral("file refused by the checks; nothing written"));
    }
    report.insert(QStringLiteral("aesKey"), choice == Gui::AesKeyChoice::NotChange ? QStringLiteral("keep")
                                            : choice == Gui::AesKeyChoice::Change  ? QStringLiteral("change")
                                                                                   : QStringLiteral("init"));

    Output::progress(QStringLiteral("writing to %1...").arg(QString::fromStdString(Command::m_portName)));
    // From here a stop waits for the write's end, its read-back and its report; one that came
    // before it means no write.
    g_writing = true;
    if (g_interrupts.load() != 0) {
        g_writing = false;
        report.insert(QStringLiteral("interrupted"), true);
        return finish(kExitWriteFailed, QStringLiteral("interrupted before the write; nothing written"));
    }
    const CommandResult written = family == Family::Rs485 ? Command::Write() : TX330Command::Write();
    report.insert(QStringLiteral("commandResult"), resultName(written));
    if (written == CommandResult::Success) {
        // The read-back belongs to the write: a stop waits for it too.
        const QString failed = extras.verify ? verifyWritten(family, sent, report, out) : QString();
        if (!failed.isEmpty()) return finish(kExitWriteFailed, failed);
        out.line(texts().getString(Gui::Msg::SettingCompleted));
        return finish(kExitOk, QStringLiteral("written"));
    }
    // Where the write stopped: the last request and whether anything answered it.
    const std::vector<TraceEntry> dialogue = trace.entries();
    for (auto it = dialogue.rbegin(); it != dialogue.rend(); ++it) {
        if (it->direction != TraceDirection::Sent) continue;
        const bool answered = std::next(it.base(), 0) != dialogue.end() &&
                              std::any_of(it.base(), dialogue.end(), [](const TraceEntry& e) {
                                  return e.direction == TraceDirection::Received;
                              });
        QJsonObject where;
        where.insert(QStringLiteral("request"), printable(it->line));
        where.insert(QStringLiteral("ms"), it->ms);
        where.insert(QStringLiteral("answered"), answered);
        if (answered) {
            const auto reply = std::find_if(it.base(), dialogue.end(), [](const TraceEntry& e) {
                return e.direction == TraceDirection::Received;
            });
            where.insert(QStringLiteral("reply"), printable(reply->line));
        }
        report.insert(QStringLiteral("stoppedAt"), where);
        out.error(QStringLiteral("the write stopped at \"%1\" (%2)")
                      .arg(printable(it->line),
                           answered ? QStringLiteral("the reply was refused") : QStringLiteral("no reply")));
        break;
    }
    QString message;
    if (written == CommandResult::ErrConnect) {
        message = texts().getString(Gui::Msg::WriteNotConnected);
    } else if (written == CommandResult::Err7DataBitNonParity) {
        message = texts().getString(Gui::Msg::DataBit7NoParityUnsupported);
    } else {
        message =
            QStringLiteral("%1 (last reply \"%2\")").arg(resultName(written), printable(Command::Result()));
    }
    out.error(message);
    return finish(kExitWriteFailed, QStringLiteral("failed: ") + message);
}

bool saveReport(const QString& path, const QJsonObject& report, Output& out) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(report).toJson()) < 0 ||
        !file.commit()) {
        out.error(QStringLiteral("%1: the report could not be written: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

void addWriteOptions(QCommandLineParser& parser) {
    parser.addPositionalArgument(QStringLiteral("FILE.xml"), QStringLiteral("The settings file to write."));
    parser.addOption({QStringLiteral("aes-key"), QStringLiteral("What to do with the unit's AES key."),
                      QStringLiteral("keep|change|init"), QStringLiteral("keep")});
    parser.addOption({QStringLiteral("report"),
                      QStringLiteral("Write a JSON report: unit, values, every request and reply, result."),
                      QStringLiteral("R.json")});
    parser.addOption({QStringLiteral("each-unit"),
                      QStringLiteral("Production bench: write every unit that appears, until Ctrl+C.")});
    parser.addOption({QStringLiteral("report-dir"),
                      QStringLiteral("Folder for one report per unit and summary.csv (--each-unit)."),
                      QStringLiteral("DIR")});
    parser.addOption(
        {QStringLiteral("verify"),
         QStringLiteral("Read the unit back after the write and compare (default with --each-unit).")});
    parser.addOption(
        {QStringLiteral("no-verify"), QStringLiteral("Do not read the unit back after the write.")});
    parser.addOption(
        {QStringLiteral("sequence"),
         QStringLiteral("--each-unit: give each unit the next value of IDOFFSET (RS485) or NODEID "
                        "(contact-I/O), continued across runs in the report folder."),
         QStringLiteral("FIELD=START[:STEP]")});
}

int runWrite(const QCommandLineParser& parser, Output& out) {
    if (!oneSettingsFile(parser, "write", out)) return out.finish(kExitUsage);
    const bool eachUnit = parser.isSet(QStringLiteral("each-unit"));
    if (eachUnit && !parser.isSet(QStringLiteral("report-dir"))) {
        out.error(QStringLiteral("--each-unit needs --report-dir DIR"));
        return out.finish(kExitUsage);
    }
    if (parser.isSet(QStringLiteral("verify")) && parser.isSet(QStringLiteral("no-verify"))) {
        out.error(QStringLiteral("--verify and --no-verify exclude each other"));
        return out.finish(kExitUsage);
    }
    const bool verify =
        parser.isSet(QStringLiteral("verify")) || (eachUnit && !parser.isSet(QStringLiteral("no-verify")));
    if (!eachUnit && parser.isSet(QStringLiteral("sequence"))) {
        out.error(QStringLiteral("--sequence needs --each-unit"));
        return out.finish(kExitUsage);
    }
    const auto choice = keyChoice(parser, out, true);
    if (!choice) return out.finish(kExitUsage);
    const QString filePath = parser.positionalArguments().first();
    const auto file = loadSettingsFile(filePath, out);
    if (!file) return out.finish(kExitFileError);
    Link link;
    if (!link.configure(parser, out)) return out.finish(kExitUsage);

    if (!eachUnit) {
        WriteOutcome outcome = writeOneUnit(*file, filePath, *choice, out, UnitExtras{verify, {}, {}});
        link.closeQuietly();
        if (parser.isSet(QStringLiteral("report")) &&
            !saveReport(parser.value(QStringLiteral("report")), outcome.report, out) &&
            outcome.code == kExitOk)
            outcome.code = kExitFileError;
        out.doc.insert(QStringLiteral("report"), outcome.report);
        return out.finish(outcome.code);
    }

    ProductionLineSetup setup;
    setup.reportDir = parser.value(QStringLiteral("report-dir"));
    if (parser.isSet(QStringLiteral("sequence"))) {
        setup.sequence = parseSequence(parser.value(QStringLiteral("sequence")), familyOf(*file), out);
        if (!setup.sequence) return out.finish(kExitUsage);
    }
    out.json = false;  // one line per unit as it happens; the reports carry the detail
    setup.writeUnit = [&](const std::string& port, UnitExtras extras) {
        // In the unit's own process: a stop from the bench lets a write that has begun finish.
        struct sigaction action {};
        action.sa_handler = onInterrupt;
        ::sigemptyset(&action.sa_mask);
        ::sigaction(SIGTERM, &action, nullptr);
        Command::SetPortLister([port] { return std::vector<std::string>{port}; });
        Output quiet;
        quiet.json = true;
        extras.verify = verify;
        WriteOutcome outcome = writeOneUnit(*file, filePath, *choice, quiet, extras);
        link.closeQuietly();
        QJsonObject report = outcome.report;
        if (quiet.doc.contains(QStringLiteral("errors")))
            report.insert(QStringLiteral("errors"), quiet.doc.value(QStringLiteral("errors")));
        return UnitRun{outcome.code, report};
    };
    return runProductionLine(setup, out);
}

void addResetOptions(QCommandLineParser& parser) {
    parser.addOption({QStringLiteral("yes"), QStringLiteral("Confirm the factory reset.")});
}

int runReset(const QCommandLineParser& parser, Output& out) {
    if (!parser.isSet(QStringLiteral("yes"))) {
        out.error(texts().getString(Gui::Msg::FactoryShipmentQuestion) +
                  QStringLiteral(" (confirm with --yes)"));
        return out.finish(kExitUsage);
    }
    Link link;
    Family family = Family::Rs485;
    if (const int code = connectFromOptions(parser, link, false, out, family); code != kExitOk)
        return out.finish(code);
    const CommandResult result = family == Family::Rs485 ? Command::InitWrite() : TX330Command::InitWrite();
    link.closeQuietly();
    out.doc.insert(QStringLiteral("commandResult"), resultName(result));
    if (result != CommandResult::Success) {
        out.error(result == CommandResult::ErrConnect ? texts().getString(Gui::Msg::WriteNotConnected)
                                                      : resultName(result));
        return out.finish(kExitWriteFailed);
    }
    out.line(texts().getString(Gui::Msg::SettingCompleted));
    return out.finish(kExitOk);
}

}  // namespace

const Subcommand kReadCommand{
    "read",
    QStringLiteral(
        "Connects to a unit, reads its settings and writes them to a settings file in the windows' "
        "format.\n") +
        kExitCodes,
    kPortOption | kFamilyOption | kLineOptions, addReadOptions, runRead};

const Subcommand kDiffCommand{
    "diff",
    QStringLiteral("Reads a unit and prints, field by field, where it differs from a settings file.\n") +
        kExitCodes,
    kPortOption | kLineOptions, addDiffOptions, runDiff};

const Subcommand kWriteCommand{
    "write",
    QStringLiteral("Checks a settings file as the window's Set does and writes it to a unit, every value "
                   "confirmed by the unit.\n") +
        kExitCodes,
    kPortOption | kLineOptions, addWriteOptions, runWrite};

const Subcommand kResetCommand{"reset",
                               QStringLiteral("Factory reset of a unit (needs --yes).\n") + kExitCodes,
                               kPortOption | kFamilyOption | kLineOptions, addResetOptions, runReset};

}  // namespace Tormel::Cli
