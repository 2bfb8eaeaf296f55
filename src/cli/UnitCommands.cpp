// SPDX-License-Identifier: MIT
// `read`, `diff`, `write` and `reset`: a unit against a settings file, through the same
// conversions and record checks as the windows.
#include <signal.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSysInfo>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>

#include "cli/Commands.h"
#include "cli/ProductionLine.h"
#include "cli/ScanReport.h"
#include "cli/SettingsDocument.h"
#include "domain/modem/WriteFacts.h"
#include "platform/ChildProcess.h"
#include "settings/ChoiceLists.h"
#include "settings/RecordConversion.h"

namespace Tormel::Cli {

using Domain::Modem::Command;
using Domain::Modem::CommandResult;

namespace {

const char* const kExitCodes =
    "Exit codes: 0 success, 1 differences (diff), 2 usage, 3 no unit found, 4 unit not supported\n"
    "(or of the other family, or values this tool cannot take), 5 write or reset failed, 6 file error\n"
    "(also when a report could not be saved after a write; the message says the unit was written),\n"
    "7 the sequence of write --each-unit has run past its field's range, 130 stopped by Ctrl+C,\n"
    "SIGTERM or a hang-up (the unit's state and the report are still told).";

bool aesEnabledForUnit(UnitFamily family, const std::string& name) {
    return family == UnitFamily::Rs485 ? Gui::rs485AesEnabled(name, Gui::rs485ModuleType(name))
                                       : Gui::tx330AesEnabled(name);
}

void reportMessages(Output& out) {
    for (const QString& m : messages().take()) out.error(m);
}

// False (the usage error reported) unless exactly one settings file was named for `command`.
bool oneSettingsFile(const QCommandLineParser& parser, const char* command, Output& out) {
    if (parser.positionalArguments().size() == 1 && !parser.positionalArguments().first().isEmpty())
        return true;
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

// The connected unit's values as a settings document, after a read; nothing (and the
// windows' message) when the unit reported a value the document cannot take.
std::optional<AnyConfig> unitDocument(const Link& link, UnitFamily family, Output& out) {
    const std::string name = link.node().SoftwareName;
    const bool aes = aesEnabledForUnit(family, name);
    if (family == UnitFamily::Rs485) {
        return checkedUnitDocument(
            Gui::rs485ConfigFromRecords(link.rs485Records(), Gui::rs485ModuleType(name), Gui::Msg::ReadFailed,
                                        true),
            aes, out);
    }
    return checkedUnitDocument(Gui::tx330ConfigFromRecords(link.tx330Records(), Gui::Msg::ReadFailed), aes,
                               out);
}

// The file as a write to the connected unit takes it, once it passed the record check the
// window's Set runs against this very unit; nothing when the check refuses it, its messages
// then on `out` with the file's name (and in `why`).
std::optional<AnyConfig> checkedForUnit(const AnyConfig& file, const Domain::Common::Nodeinfo& unit,
                                        const QString& filePath, Output& out, QStringList* why = nullptr) {
    const QString version = QString::fromStdString(unit.SoftwareVersion);
    std::optional<AnyConfig> checked;
    if (const auto* rs485 = std::get_if<Gui::ApplicationConfig>(&file)) {
        Gui::ApplicationConfig candidate = *rs485;
        candidate.m_version = version;
        candidate.m_moduletype = Gui::rs485ModuleType(unit.SoftwareName);
        candidate.m_target = 0;
        if (candidate.checkConfigData(true, aesEnabledForUnit(UnitFamily::Rs485, unit.SoftwareName)))
            checked = AnyConfig(candidate);
    } else {
        Gui::ApplicationConfig_TX330 candidate = std::get<Gui::ApplicationConfig_TX330>(file);
        candidate.m_version = version;
        candidate.m_target = 0;
        if (candidate.checkConfigData(true, aesEnabledForUnit(UnitFamily::Tx330, unit.SoftwareName)))
            checked = AnyConfig(candidate);
    }
    QStringList messagesShown = messages().take();
    // The window's check refuses some values without a message; its form has a field to
    // highlight, the command line has not.
    if (!checked && messagesShown.isEmpty()) {
        const auto wrong = valueOutOfRange(file);
        messagesShown << (wrong ? *wrong
                                : QStringLiteral(
                                      "a value this unit (%1 version %2) cannot take; the AES settings "
                                      "(AESENCRYPTENABLE, ENCRYPTTYPE) depend on the unit")
                                      .arg(printable(unit.SoftwareName), version));
    }
    if (!checked) {
        for (const QString& m : messagesShown) out.error(QStringLiteral("%1: %2").arg(filePath, m));
        if (why) *why = messagesShown;
    }
    return checked;
}

// The serial line a settings file sets: where a unit written with it, or just moved to it,
// answers. Nothing when the file's bit rate is not one of the list's.
std::optional<Domain::Common::Communication> fileLine(const AnyConfig& file) {
    const bool with76800 = std::visit(
        [](const auto& doc) {
            if constexpr (std::is_same_v<std::decay_t<decltype(doc)>, Gui::ApplicationConfig>)
                return Gui::ChoiceLists::offers76800(doc.m_moduletype);
            return true;
        },
        file);
    const Gui::UnitDocument& doc =
        std::visit([](const auto& d) -> const Gui::UnitDocument& { return d; }, file);
    const auto baud = Gui::ChoiceLists::baudRateAt(doc.m_baudrate, with76800);
    const auto dataBits = Gui::ChoiceLists::dataBitsAt(doc.m_databits);
    const auto parity = Gui::ChoiceLists::parityAt(doc.m_parity);
    const auto stopBits = Gui::ChoiceLists::stopBitsAt(doc.m_stopbits);
    if (!baud || !dataBits || !parity || !stopBits) return std::nullopt;
    Domain::Common::Communication line{};
    line.BaudRate = *baud;
    line.DataBits = *dataBits;
    line.Parity = *parity;
    line.StopBits = *stopBits;
    return line;
}

// The file's document as the unit would hold it once written: through the records and back,
// so that two files that write the same values compare equal.
std::optional<AnyConfig> asWritten(const AnyConfig& file, const Domain::Common::Nodeinfo& unit) {
    if (const auto* rs485 = std::get_if<Gui::ApplicationConfig>(&file)) {
        const int32_t moduleType = Gui::rs485ModuleType(unit.SoftwareName);
        auto records = Gui::rs485RecordsFromConfig(*rs485, moduleType, unit, Gui::AesKeyChoice::NotChange);
        // A newer module has one encryption, the AES one: the write sends no encryption switch
        // of its own, and the unit reports the AES switch as that one too.
        if (Command::IsFirmForQRM500()) {
            records.nodeinfo.EncryptEnable =
                records.nodeinfo.AESEncryptEnable == Domain::Common::NodeinfoAESEncryptEnable::Enable
                    ? Domain::Common::NodeinfoEncryptEnable::Enable
                    : Domain::Common::NodeinfoEncryptEnable::Disable;
        }
        auto back = Gui::rs485ConfigFromRecords(records, moduleType, Gui::Msg::ReadFailed, true);
        messages().take();
        if (!back) return std::nullopt;
        return AnyConfig(*back);
    }
    const auto records = Gui::tx330RecordsFromConfig(std::get<Gui::ApplicationConfig_TX330>(file), unit,
                                                     Gui::AesKeyChoice::NotChange);
    auto back = Gui::tx330ConfigFromRecords(records, Gui::Msg::ReadFailed);
    messages().take();
    if (!back) return std::nullopt;
    return AnyConfig(*back);
}

void describeUnit(const Link& link, Output& out) {
    const Domain::Common::Nodeinfo node = link.node();
    QJsonObject unit;
    unit.insert(QStringLiteral("port"), QString::fromStdString(link.portName()));
    unit.insert(QStringLiteral("name"), printable(node.SoftwareName));
    unit.insert(QStringLiteral("version"), printable(node.SoftwareVersion));
    out.doc.insert(QStringLiteral("unit"), unit);
    // A contact-I/O unit tells no version apart from its name, which carries it.
    const QString version = node.SoftwareVersion.empty()
                                ? QString()
                                : QStringLiteral(" version %1").arg(printable(node.SoftwareVersion));
    out.line(QStringLiteral("unit: %1%2 on %3")
                 .arg(printable(node.SoftwareName), version, QString::fromStdString(link.portName())));
}

// Sets the link up from the options and connects to a unit of the family they name (`read`:
// with every record read), described on `out`. kExitOk with `family` set, or the exit code.
int connectFromOptions(const QCommandLineParser& parser, Link& link, bool read, Output& out,
                       UnitFamily& family) {
    const auto named = familyOption(parser, UnitFamily::Rs485, out);
    if (!named || !link.configure(parser, out)) return kExitUsage;
    family = *named;
    if (const int code = connectUnit(link, family, read, out); code != kExitOk) return code;
    describeUnit(link, out);
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
    if (parser.value(QStringLiteral("output")).isEmpty()) {
        out.error(QStringLiteral("read needs -o FILE.xml"));
        return out.finish(kExitUsage);
    }
    // A read that cannot be saved is wasted, and the unit is not even asked.
    if (const auto why = cannotCreate(parser.value(QStringLiteral("output")))) {
        out.error(QStringLiteral("-o %1: %2").arg(parser.value(QStringLiteral("output")), *why));
        return out.finish(kExitFileError);
    }
    Link link;
    UnitFamily family = UnitFamily::Rs485;
    if (const int code = connectFromOptions(parser, link, true, out, family); code != kExitOk)
        return out.finish(code);
    link.closeQuietly();
    const auto config = unitDocument(link, family, out);
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
    const QString filePath = parser.positionalArguments().first();
    const auto file = loadSettingsFile(filePath, out);
    if (!file) return out.finish(kExitFileError);
    Link link;
    const auto line = fileLine(*file);
    if (!link.configure(parser, out, line ? &*line : nullptr)) return out.finish(kExitUsage);
    const UnitFamily family = familyOf(*file);
    if (const int code = connectUnit(link, family, true, out); code != kExitOk) return out.finish(code);
    describeUnit(link, out);
    link.closeQuietly();
    const Domain::Common::Nodeinfo node = link.node();
    // The file passes what a write would check against this unit, or is refused as a write
    // refuses it: a difference against a file that can never be written would mislead.
    const auto checked = checkedForUnit(*file, node, filePath, out);
    if (!checked) return out.finish(kExitFileError);
    const auto unit = unitDocument(link, family, out);
    if (!unit) return out.finish(kExitUnsupported);
    // Both sides as a write would send them: values that a write fixes (the verification
    // code's fields when it is off, for one) do not count as differences.
    const auto unitWritten = asWritten(*unit, node);
    const auto written = asWritten(*checked, node);
    if (!unitWritten) return out.finish(kExitUnsupported);
    if (!written) {
        out.error(
            QStringLiteral("%1: the file holds values that cannot be written to this unit").arg(filePath));
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
std::atomic<bool> g_stopNow{false};  // the write is to end at its next request boundary

// A unit's worker told by the bench that it is stopping: one that has not begun to write ends
// at once (nothing was written, and a scan may be waiting seconds for a silent port); a write
// in progress is finished.
void onBenchStopping(int) {
    g_interrupts.fetch_add(1);
    if (!g_writing.load()) Platform::EndProcessNow(kExitNoUnit);
}

// Ctrl+C, SIGTERM or a hang-up during a single write, or the bench's second stop: the write
// ends at the next request boundary and says what the unit confirmed by then.
void onStopNow(int) {
    g_interrupts.fetch_add(1);
    g_stopNow = true;
    Command::RequestStop();
}

struct WriteOutcome {
    int code = kExitOk;
    QJsonObject report;
};

// The sequence value's fate on the unit, for the bench: only a unit that certainly does not
// hold its value gives it back.
void noteHeld(QJsonObject& report, ValueHeld held) {
    if (!report.contains(QStringLiteral("sequence"))) return;
    QJsonObject sequence = report.value(QStringLiteral("sequence")).toObject();
    sequence.insert(QStringLiteral("held"), heldName(held));
    report.insert(QStringLiteral("sequence"), sequence);
}

// Why a read-back gave nothing to compare, in a technician's words.
QString readBackWords(CommandResult read) {
    switch (read) {
        case CommandResult::Success:
            return QStringLiteral("what it holds cannot be compared with the file");
        case CommandResult::ErrConnect:
            return QStringLiteral(
                "it stopped answering or its port went away; check the cable and the unit's power");
        case CommandResult::ErrCommand:
            return QStringLiteral("it answered a request with something else");
        default:
            return QStringLiteral("the read failed");
    }
}

// After a confirmed write: the unit read back on the same line and compared with what was
// sent, as diff compares a unit with a file. A value the unit confirmed but did not keep makes
// the write a failure that names it. Returns why it failed (empty: verified); the report gets
// the read-back, and `held` whether the unit holds the sequence's value.
QString verifyWritten(Link& link, UnitFamily family, const AnyConfig& sent, QJsonObject& report, Output& out,
                      ValueHeld* held) {
    report.insert(QStringLiteral("verified"), false);
    const auto notReadBack = [&out] {
        out.error(
            QStringLiteral("the write was confirmed; the read-back was not done, as it was stopped (Ctrl+C, "
                           "SIGTERM, a hang-up or the bench's second stop)"));
        return QStringLiteral("failed: written and confirmed, but not read back (stopped)");
    };
    if (Command::StopRequested()) return notReadBack();
    const CommandResult read = link.readBack();
    if (read != CommandResult::Success && Command::StopRequested()) return notReadBack();
    const Domain::Common::Nodeinfo node = link.node();
    const auto unit = read == CommandResult::Success ? unitDocument(link, family, out) : std::nullopt;
    const auto unitWritten = unit ? asWritten(*unit, node) : std::nullopt;
    const auto sentWritten = asWritten(sent, node);
    if (!unitWritten || !sentWritten) {
        out.error(QStringLiteral("the write was confirmed, but the unit could not be read back: %1 (%2)")
                      .arg(readBackWords(read), resultName(read)));
        report.insert(QStringLiteral("readBackResult"), resultName(read));
        return QStringLiteral("failed: the unit could not be read back");
    }
    report.insert(QStringLiteral("readBack"), unitFieldsJson(*unit));
    const std::vector<FieldDifference> differences = compareUnitFields(*unitWritten, *sentWritten);
    const QString field = sequenceField(family);
    if (std::any_of(differences.begin(), differences.end(),
                    [&](const FieldDifference& d) { return d.element == field; }))
        *held = ValueHeld::No;  // the unit shows another value: it does not hold the one sent
    if (!differences.empty()) {
        report.insert(QStringLiteral("mismatches"), differencesJson(differences, QStringLiteral("unit")));
        for (const FieldDifference& d : differences)
            out.error(QStringLiteral("read back: ") + differenceText(d, QStringLiteral("unit")));
        return QStringLiteral("failed: the unit keeps other values than written");
    }
    report.insert(QStringLiteral("verified"), true);
    return {};
}

// Where a write stopped, in the command line's words, with what the unit confirmed before;
// on `out` and in the report. Returns the one-line cause.
QString stopMessage(CommandResult written, const Domain::Modem::WriteFacts& facts, QJsonObject& report,
                    Output& out) {
    using Domain::Modem::WriteStopKind;
    const Domain::Modem::WriteStop stop = facts.stop.value_or(Domain::Modem::WriteStop{});
    const QString request = traceLine(stop.request);
    if (stop.kind != WriteStopKind::NothingSent) {
        QJsonObject where;
        where.insert(QStringLiteral("request"), request);
        where.insert(QStringLiteral("answered"), stop.kind == WriteStopKind::Refused);
        where.insert(QStringLiteral("sent"),
                     stop.kind != WriteStopKind::NotSent && stop.kind != WriteStopKind::Stopped);
        if (stop.kind == WriteStopKind::Refused) where.insert(QStringLiteral("reply"), traceLine(stop.reply));
        report.insert(QStringLiteral("stoppedAt"), where);
        const char* how = stop.kind == WriteStopKind::Refused   ? "the reply was refused"
                          : stop.kind == WriteStopKind::NoReply ? "no reply"
                          : stop.kind == WriteStopKind::HungUp  ? "the port went away"
                          : stop.kind == WriteStopKind::NotSent ? "not sent"
                                                                : "stopped before sending";
        out.error(QStringLiteral("the write stopped at \"%1\" (%2)").arg(request, QString::fromLatin1(how)));
    }
    QString message;
    if (written == CommandResult::Err7DataBitNonParity) {
        message = texts().getString(Gui::Msg::DataBit7NoParityUnsupported);
    } else if (stop.kind == WriteStopKind::NothingSent) {
        message = texts().getString(Gui::Msg::WriteNotConnected);
    } else if (stop.kind == WriteStopKind::NotSent) {
        message = QStringLiteral("the unit cannot take the value of \"%1\"; it was not sent").arg(request);
    } else if (stop.kind == WriteStopKind::Stopped) {
        message =
            QStringLiteral("cut short by a stop (Ctrl+C, SIGTERM or a hang-up) before \"%1\"").arg(request);
    } else if (stop.kind == WriteStopKind::HungUp) {
        message = QStringLiteral(
                      "the unit's port went away after \"%1\" (%2): the unit was unplugged or lost "
                      "power")
                      .arg(request, QString::fromLocal8Bit(stop.reason.c_str()));
    } else if (stop.kind == WriteStopKind::Refused) {
        const QString reply = traceLine(stop.reply);
        message = QStringLiteral("the unit refused \"%1\": it answered %2 instead of confirming it")
                      .arg(request, reply.isEmpty() ? QStringLiteral("an empty line")
                                                    : QStringLiteral("\"%1\"").arg(reply));
    } else {
        message = QStringLiteral("the unit stopped answering at \"%1\"; check the cable and the unit's power")
                      .arg(request);
    }
    out.error(message);
    // Nothing is rolled back: the unit keeps what it confirmed, and a technician must know.
    QStringList confirmed;
    for (const std::string& name : facts.confirmed) confirmed << QString::fromStdString(name);
    report.insert(QStringLiteral("confirmedBeforeStop"), QJsonArray::fromStringList(confirmed));
    if (stop.kind == WriteStopKind::NothingSent) return message;
    if (confirmed.isEmpty()) {
        out.error(
            QStringLiteral("no setting was confirmed by the unit before the stop; it may still have "
                           "taken the last request. Write the file again."));
    } else {
        out.error(
            QStringLiteral("the unit is half-written: %1 setting(s) were confirmed before the stop (%2) "
                           "and stay as written; nothing was rolled back. Write the file again.")
                .arg(confirmed.size())
                .arg(confirmed.join(QStringLiteral(", "))));
    }
    return message;
}

// One unit: connect, check the file against it, write, and build the report.
WriteOutcome writeOneUnit(Link& link, const AnyConfig& given, const QString& filePath,
                          Gui::AesKeyChoice choice, Output& out, const UnitExtras& extras = {}) {
    WriteOutcome result;
    AnyConfig file = given;
    const UnitFamily family = familyOf(file);
    TraceRecorder trace;
    QJsonObject& report = result.report;
    report.insert(QStringLiteral("file"), filePath);
    report.insert(QStringLiteral("toolVersion"), QCoreApplication::applicationVersion());
    report.insert(QStringLiteral("fileAbsolutePath"), QFileInfo(filePath).absoluteFilePath());
    if (QFile source(filePath); source.open(QIODevice::ReadOnly)) {
        QCryptographicHash hash(QCryptographicHash::Sha256);
        hash.addData(&source);
        report.insert(QStringLiteral("fileSha256"), QString::fromLatin1(hash.result().toHex()));
    }
    report.insert(QStringLiteral("family"), family == UnitFamily::Rs485 ? QStringLiteral("rs485") : "tx330");
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
    if (const int code = connectUnit(link, family, false, out, &scan); code != kExitOk) {
        report.insert(QStringLiteral("scan"), toJson(scan));
        if (g_interrupts.load() != 0) {
            report.insert(QStringLiteral("interrupted"), true);
            return finish(kExitInterrupted,
                          QStringLiteral("interrupted before a unit was found; nothing written"));
        }
        if (code != kExitUnsupported) return finish(code, QStringLiteral("no unit"));
        const auto other =
            std::find_if(scan.begin(), scan.end(), [](const PortReport& r) { return r.otherFamily; });
        if (other != scan.end()) {
            report.insert(QStringLiteral("otherFamily"), true);
            return finish(code, QStringLiteral("failed: a unit of the other family: %1").arg(other->reason));
        }
        // The unit the scan ended on, as it named itself.
        const auto held = std::find_if(scan.begin(), scan.end(), [](const PortReport& r) { return r.held; });
        if (held != scan.end()) {
            report.insert(QStringLiteral("unitName"), printable(held->name));
            report.insert(QStringLiteral("unitVersion"), printable(held->version));
        }
        return finish(code, QStringLiteral("failed: a unit this tool does not support"));
    }
    describeUnit(link, out);
    std::fflush(stdout);  // the unit's line is kept, whatever ends the program
    QStringList why;
    const Domain::Common::Nodeinfo node = link.node();
    const std::string port = link.portName();
    report.insert(QStringLiteral("port"), QString::fromStdString(port));
    report.insert(QStringLiteral("unitName"), printable(node.SoftwareName));
    report.insert(QStringLiteral("unitVersion"), printable(node.SoftwareVersion));
    if (const QJsonObject adapter = usbAttributes(port); !adapter.isEmpty())
        report.insert(QStringLiteral("adapter"), adapter);
    if (extras.unitAnswered) extras.unitAnswered();
    if (extras.takeValue) {
        // The value is taken once a unit has answered: a port without one uses up nothing.
        const std::optional<int> value = extras.takeValue();
        if (!value)
            return finish(kExitSequenceEnded,
                          QStringLiteral("no sequence value given (the sequence has "
                                         "ended, or the bench is stopping); nothing written"));
        setSequenceValue(file, *value);
        QJsonObject sequence;
        sequence.insert(QStringLiteral("field"), sequenceField(familyOf(file)));
        sequence.insert(QStringLiteral("value"), *value);
        report.insert(QStringLiteral("sequence"), sequence);
    }

    const auto candidate = checkedForUnit(file, node, filePath, out, &why);
    if (!candidate) {
        report.insert(QStringLiteral("checkFailed"), why.join(QStringLiteral("; ")));
        noteHeld(report, ValueHeld::No);
        return finish(kExitFileError, QStringLiteral("file refused by the checks; nothing written"));
    }
    report.insert(QStringLiteral("values"), unitFieldsJson(*candidate));
    // The records the write sends, made here and handed to the link with the write.
    std::function<CommandResult()> write;
    if (const auto* rs485 = std::get_if<Gui::ApplicationConfig>(&*candidate)) {
        const auto records = Gui::rs485RecordsFromConfig(*rs485, rs485->m_moduletype, node, choice);
        write = [&link, records] { return link.write(records); };
    } else {
        const auto records =
            Gui::tx330RecordsFromConfig(std::get<Gui::ApplicationConfig_TX330>(*candidate), node, choice);
        write = [&link, records] { return link.write(records); };
    }
    report.insert(QStringLiteral("aesKey"), choice == Gui::AesKeyChoice::NotChange ? QStringLiteral("keep")
                                            : choice == Gui::AesKeyChoice::Change  ? QStringLiteral("change")
                                                                                   : QStringLiteral("init"));

    Output::progress(QStringLiteral("writing to %1...").arg(QString::fromStdString(port)));
    // From here a stop waits for the write's end, its read-back and its report; one that came
    // before it means no write.
    g_writing = true;
    if (g_interrupts.load() != 0) {
        g_writing = false;
        report.insert(QStringLiteral("interrupted"), true);
        noteHeld(report, ValueHeld::No);
        return finish(kExitInterrupted, QStringLiteral("interrupted before the write; nothing written"));
    }
    Domain::Modem::WriteFollower follower;
    follower.start();
    const CommandResult written = write();
    follower.stop();
    report.insert(QStringLiteral("commandResult"), resultName(written));
    const Domain::Modem::WriteFacts facts = follower.facts(written == CommandResult::Success);
    const std::string valueRequest = family == UnitFamily::Rs485 ? "~HODR=" : "~ID=";
    if (written == CommandResult::Success) {
        // The read-back belongs to the write: a stop waits for it too.
        ValueHeld held = ValueHeld::Yes;
        const QString failed =
            extras.verify ? verifyWritten(link, family, *candidate, report, out, &held) : QString();
        noteHeld(report, held);
        if (!failed.isEmpty()) return finish(kExitWriteFailed, failed);
        out.line(texts().getString(Gui::Msg::SettingCompleted));
        return finish(kExitOk, QStringLiteral("written"));
    }
    noteHeld(report, facts.mayHaveTaken(valueRequest)
                         ? (facts.wasConfirmed(valueRequest) ? ValueHeld::Yes : ValueHeld::Maybe)
                         : ValueHeld::No);
    const QString message = stopMessage(written, facts, report, out);
    const bool interrupted = facts.stop && facts.stop->kind == Domain::Modem::WriteStopKind::Stopped;
    return finish(interrupted ? kExitInterrupted : kExitWriteFailed,
                  (interrupted ? QStringLiteral("interrupted: ") : QStringLiteral("failed: ")) + message);
}

void addWriteOptions(QCommandLineParser& parser) {
    parser.addPositionalArgument(QStringLiteral("FILE.xml"), QStringLiteral("The settings file to write."));
    parser.addOption({QStringLiteral("aes-key"), QStringLiteral("What to do with the unit's AES key."),
                      QStringLiteral("keep|change|init"), QStringLiteral("keep")});
    parser.addOption(
        {QStringLiteral("report"),
         QStringLiteral("Write a JSON report: tool, file and its SHA-256, adapter, unit, values, every "
                        "request and reply (AES key bytes left out), result. Mode 0600; checked "
                        "before the unit is touched."),
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
    const auto line = fileLine(*file);
    if (!link.configure(parser, out, line ? &*line : nullptr)) return out.finish(kExitUsage);

    if (!eachUnit) {
        const bool reporting = parser.isSet(QStringLiteral("report"));
        const QString reportPath = parser.value(QStringLiteral("report"));
        // The record must have a place before the unit is touched.
        if (reporting && reportPath.isEmpty()) {
            out.error(QStringLiteral("--report needs a file name"));
            return out.finish(kExitUsage);
        }
        if (reporting && QFileInfo(reportPath).absoluteFilePath() == QFileInfo(filePath).absoluteFilePath()) {
            out.error(
                QStringLiteral("--report %1 is the settings file itself; give the report a name of its own")
                    .arg(reportPath));
            return out.finish(kExitUsage);
        }
        if (reporting) {
            if (const auto why = cannotCreate(reportPath)) {
                out.error(QStringLiteral("--report %1: %2; nothing was written").arg(reportPath, *why));
                return out.finish(kExitFileError);
            }
        }
        // Ctrl+C, SIGTERM or a hang-up stops the write between two requests; the report and
        // the unit's state are still told.
        Platform::HandleStopSignals(onStopNow);
        link.stopWhen([] { return g_stopNow.load(); });
        WriteOutcome outcome = writeOneUnit(link, *file, filePath, *choice, out, UnitExtras{verify, {}, {}});
        link.closeQuietly();
        out.doc.insert(QStringLiteral("report"), outcome.report);
        if (reporting && !saveReport(reportPath, outcome.report, out)) {
            const bool touched = outcome.report.contains(QStringLiteral("commandResult"));
            // The record is not lost: it goes to standard error, and the unit's state is told.
            out.error(outcome.code == kExitOk ? QStringLiteral("the unit WAS written; its report follows on "
                                                               "standard error")
                      : touched
                          ? QStringLiteral("the write failed and the unit may be half-written; the report "
                                           "follows on standard error")
                          : QStringLiteral("nothing was written; the report follows on standard error"));
            std::fputs(QJsonDocument(outcome.report).toJson().constData(), stderr);
            if (outcome.code == kExitOk) outcome.code = kExitFileError;
        }
        return out.finish(outcome.code);
    }

    for (const char* alone : {"json", "report"}) {
        if (!parser.isSet(QString::fromLatin1(alone))) continue;
        out.json = false;
        out.error(
            QStringLiteral("--%1 does not go with --each-unit: the bench prints one line per unit and keeps "
                           "each unit's report, and summary.csv, in --report-dir")
                .arg(QString::fromLatin1(alone)));
        return out.finish(kExitUsage);
    }
    ProductionLineSetup setup;
    setup.reportDir = parser.value(QStringLiteral("report-dir"));
    if (parser.isSet(QStringLiteral("sequence"))) {
        setup.sequence = parseSequence(parser.value(QStringLiteral("sequence")), familyOf(*file), out);
        if (!setup.sequence) return out.finish(kExitUsage);
    }
    const QString user = qEnvironmentVariable("USER", qEnvironmentVariable("LOGNAME"));
    setup.holder = QStringLiteral("pelnix-cli write --each-unit, process %1 on %2%3, started %4%5")
                       .arg(QCoreApplication::applicationPid())
                       .arg(QSysInfo::machineHostName(),
                            user.isEmpty() ? QString() : QStringLiteral(" (user %1)").arg(user),
                            isoTime(std::chrono::system_clock::now()),
                            parser.isSet(QStringLiteral("port"))
                                ? QStringLiteral(", --port %1").arg(parser.value(QStringLiteral("port")))
                                : QString());
    setup.writeUnit = [&](const std::string& port, UnitExtras extras) {
        // In the unit's own process: the bench's first stop lets a write that has begun
        // finish; its second stops the write at the next request.
        Platform::HandleSignal(SIGTERM, onBenchStopping);
        Platform::HandleSignal(SIGUSR1, onStopNow);
        Command::SetPortLister([port] { return std::vector<std::string>{port}; });
        Output quiet;
        quiet.json = true;
        extras.verify = verify;
        Link own;
        own.settingsOf(link);
        own.stopWhen([] { return g_stopNow.load(); });
        WriteOutcome outcome = writeOneUnit(own, *file, filePath, *choice, quiet, extras);
        own.closeQuietly();
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

// Shows, on a terminal, what the reset waits for and for how long already: a unit takes up to
// minutes to answer a factory reset, and a silent wait looks like a hang.
class ResetProgress {
  public:
    explicit ResetProgress(const QString& port) {
        if (!Platform::StderrIsTerminal()) return;
        const auto& timing = Command::Timing();
        const long long limit = static_cast<long long>(timing.ResetTries) * timing.ReadTimeout.count() / 1000;
        m_thread = std::thread([this, port, limit] {
            const auto start = std::chrono::steady_clock::now();
            std::unique_lock lock(m_mutex);
            while (!m_done) {
                const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                    std::chrono::steady_clock::now() - start);
                std::fprintf(stderr,
                             "\rwaiting for the unit on %s to confirm the factory reset: %lld s (gives up "
                             "after %lld s)",
                             port.toLocal8Bit().constData(), static_cast<long long>(seconds.count()), limit);
                std::fflush(stderr);
                m_wake.wait_for(lock, std::chrono::seconds(1));
            }
            std::fputc('\n', stderr);
        });
    }
    ~ResetProgress() {
        if (!m_thread.joinable()) return;
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_one();
        m_thread.join();
    }
    ResetProgress(const ResetProgress&) = delete;
    ResetProgress& operator=(const ResetProgress&) = delete;

  private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::thread m_thread;
};

int runReset(const QCommandLineParser& parser, Output& out) {
    if (!parser.isSet(QStringLiteral("yes"))) {
        out.error(
            QStringLiteral("a factory reset returns every setting of the unit to its factory value; "
                           "confirm it with --yes"));
        return out.finish(kExitUsage);
    }
    Link link;
    UnitFamily family = UnitFamily::Rs485;
    if (const int code = connectFromOptions(parser, link, false, out, family); code != kExitOk)
        return out.finish(code);
    const QString port = QString::fromStdString(link.portName());
    CommandResult result;
    Domain::Modem::WriteFollower follower;
    {
        const ResetProgress progress(port);
        follower.start();
        result = link.reset();
        follower.stop();
    }
    link.closeQuietly();
    out.doc.insert(QStringLiteral("commandResult"), resultName(result));
    if (result != CommandResult::Success) {
        // The last request, and the unit's answer to it if any, tell what went wrong.
        using Domain::Modem::WriteStopKind;
        const Domain::Modem::WriteStop stop = follower.facts(false).stop.value_or(Domain::Modem::WriteStop{});
        QString why;
        if (stop.kind == WriteStopKind::NothingSent) {
            why = texts().getString(Gui::Msg::WriteNotConnected);
        } else if (stop.kind == WriteStopKind::Refused) {
            why = QStringLiteral(
                      "the unit on %1 refused \"%2\" (it answered \"%3\"), so the factory reset is not "
                      "done. Run pelnix-cli read to see what it holds.")
                      .arg(port, traceLine(stop.request), traceLine(stop.reply));
        } else if (stop.kind == WriteStopKind::HungUp) {
            why = QStringLiteral(
                      "the unit's port %1 went away after \"%2\" (%3): the unit was unplugged or lost "
                      "power, so the factory reset is not confirmed. Plug it in again and run "
                      "pelnix-cli read to see what it holds.")
                      .arg(port, traceLine(stop.request), QString::fromLocal8Bit(stop.reason.c_str()));
        } else {
            why = QStringLiteral(
                      "the unit on %1 did not answer \"%2\" in time, so the factory reset is not "
                      "confirmed: the unit may or may not have been reset. Check its power and "
                      "cable, then run pelnix-cli read to see what it holds, or reset it again.")
                      .arg(port, traceLine(stop.request));
        }
        out.error(why);
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

const Subcommand kResetCommand{
    "reset",
    QStringLiteral("Factory reset of a unit (needs --yes). On a terminal the wait for the unit's "
                   "confirmation is shown.\n") +
        kExitCodes,
    kPortOption | kFamilyOption | kLineOptions, addResetOptions, runReset};

}  // namespace Tormel::Cli
