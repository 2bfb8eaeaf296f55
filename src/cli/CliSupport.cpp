// SPDX-License-Identifier: MIT
#include "cli/CliSupport.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <utility>

#include "domain/modem/CommandTiming.h"
#include "domain/modem/Replies.h"
#include "platform/ChildProcess.h"
#include "platform/FileReplacement.h"
#include "settings/ChoiceLists.h"
#include "settings/NameTable.h"

namespace Tormel::Cli {

using Domain::Modem::Command;
using Domain::Modem::CommandResult;
using Domain::Modem::TraceDirection;

namespace {

void writeErr(const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stderr);
    std::fputc('\n', stderr);
}

// The value an option's text names, if it names one.
template <class T>
std::optional<T> chosen(const QString& given, std::initializer_list<std::pair<QStringView, T>> choices) {
    for (const auto& [name, value] : choices) {
        if (given == name) return value;
    }
    return std::nullopt;
}

}  // namespace

Gui::DialogResult CapturingToolkit::messageBox(const QString& text, const QString& /*caption*/,
                                               Gui::MessageBoxButtons buttons, Gui::MessageBoxIcon /*icon*/,
                                               QWidget* /*parent*/) {
    m_messages.append(text);
    // Nobody can answer a question here: it counts as declined.
    return buttons == Gui::MessageBoxButtons::OK ? Gui::DialogResult::OK : Gui::DialogResult::Cancel;
}

QStringList CapturingToolkit::take() {
    QStringList taken;
    taken.swap(m_messages);
    return taken;
}

CapturingToolkit& messages() {
    static CapturingToolkit toolkit;
    return toolkit;
}

const Gui::StringTable& texts() {
    static const Gui::StringTable table;
    return table;
}

void Output::line(const QString& text) const {
    if (json) return;
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
}

void Output::progress(const QString& text) {
    if (Platform::StderrIsTerminal()) writeErr(text);
}

void Output::error(const QString& text) {
    if (!quiet) writeErr(text);
    QJsonArray errors = doc.value(QStringLiteral("errors")).toArray();
    errors.append(text);
    doc.insert(QStringLiteral("errors"), errors);
    if (!doc.contains(QStringLiteral("error"))) doc.insert(QStringLiteral("error"), text);
}

int Output::finish(int code) {
    if (json) {
        doc.insert(QStringLiteral("exitCode"), code);
        std::fputs(QJsonDocument(doc).toJson(QJsonDocument::Indented).constData(), stdout);
    }
    std::fflush(stdout);
    return code;
}

namespace {

void addCommonOptions(QCommandLineParser& parser, unsigned shared) {
    parser.addHelpOption();
    parser.addOption({QStringLiteral("json"), QStringLiteral("Machine-readable output (JSON) on stdout.")});
    if ((shared & kPortOption) != 0)
        parser.addOption(
            {QStringLiteral("port"), QStringLiteral("Use only this serial port."), QStringLiteral("P")});
    if ((shared & kFamilyOption) != 0)
        parser.addOption(
            {QStringLiteral("family"),
             QStringLiteral("Unit family: rs485 (TX-910A/TX-710A, the default) or tx330 (TX-330)."),
             QStringLiteral("rs485|tx330")});
    if ((shared & kLineOptions) != 0) {
        const QString second = QStringLiteral(
            " of the second attempt on each port (default: the settings file's, "
            "else 9600 8N1).");
        parser.addOption({QStringLiteral("baud"), QStringLiteral("Bit rate") + second, QStringLiteral("N")});
        parser.addOption(
            {QStringLiteral("databits"), QStringLiteral("Data bits, 7 or 8,") + second, QStringLiteral("N")});
        parser.addOption({QStringLiteral("parity"), QStringLiteral("Parity, none, odd or even,") + second,
                          QStringLiteral("P")});
        parser.addOption(
            {QStringLiteral("stopbits"), QStringLiteral("Stop bits, 1 or 2,") + second, QStringLiteral("N")});
    }
}

// A usage error: on stderr with the way to the help text, and as the one JSON document a
// script asked for with --json.
int usageError(const QString& text, const QStringList& args) {
    Output out;
    out.json = args.contains(QStringLiteral("--json"));
    out.error(text);
    writeErr(QStringLiteral("Try '%1 --help'.").arg(args.value(0)));
    return out.finish(kExitUsage);
}

// Parses `args` (program name first); prints help and returns kExitOk on --help, prints the
// error and returns kExitUsage on a bad line; nullopt when the command should go on.
std::optional<int> parseOrExit(QCommandLineParser& parser, const QStringList& args) {
    if (!parser.parse(args)) return usageError(parser.errorText(), args);
    // Qt's help option also answers to -?, -h and --help-all; each of them only prints.
    if (parser.isSet(QStringLiteral("help")) || parser.optionNames().contains(QStringLiteral("help-all"))) {
        // Qt names the program by the path it was started from and knows nothing of the
        // subcommand; the usage line should be one a user can copy and run.
        QString help = parser.helpText();
        const QString started = QStringLiteral("Usage: ") + QCoreApplication::arguments().value(0);
        if (help.startsWith(started))
            help.replace(0, started.size(), QStringLiteral("Usage: ") + args.value(0));
        std::fputs(help.toLocal8Bit().constData(), stdout);
        return kExitOk;
    }
    return std::nullopt;
}

// The shared options of the running subcommand: Link reads the line options only where they
// were defined.
unsigned g_sharedOptions = kNoSharedOptions;

}  // namespace

int runSubcommand(const Subcommand& command, const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(command.description);
    addCommonOptions(parser, command.sharedOptions);
    if (command.addOptions != nullptr) command.addOptions(parser);
    if (auto done = parseOrExit(parser, args)) return *done;
    g_sharedOptions = command.sharedOptions;
    Output out;
    out.json = parser.isSet(QStringLiteral("json"));
    return command.run(parser, out);
}

std::optional<UnitFamily> familyOption(const QCommandLineParser& parser, UnitFamily fallback, Output& out) {
    if (!parser.isSet(QStringLiteral("family"))) return fallback;
    const QString value = parser.value(QStringLiteral("family")).toLower();
    if (value == u"rs485") return UnitFamily::Rs485;
    if (value == u"tx330") return UnitFamily::Tx330;
    out.error(QStringLiteral("--family must be rs485 or tx330, not \"%1\"").arg(value));
    return std::nullopt;
}

bool Link::configure(const QCommandLineParser& parser, Output& out,
                     const Domain::Common::Communication* fallback) {
    applyTimingFromEnvironment();
    applyPortListFromEnvironment();
    if ((g_sharedOptions & kPortOption) != 0 && parser.isSet(QStringLiteral("port"))) {
        const QString given = parser.value(QStringLiteral("port"));
        if (given.trimmed().isEmpty()) {
            out.error(QStringLiteral("--port needs a port, for example /dev/ttyUSB0 (see pelnix-cli ports)"));
            return false;
        }
        const std::string port = given.toStdString();
        Command::SetPortLister([port] { return std::vector<std::string>{port}; });
    }
    Domain::Common::Communication wanted{};
    wanted.BaudRate = 9600;
    wanted.DataBits = 8;
    wanted.Parity = Domain::Common::Parity::None;
    wanted.StopBits = Domain::Common::StopBits::One;
    // The settings file's own line, when there is one, is the second attempt, as the form's is
    // for the window's Connect: a unit just moved to another bit rate is found again. Each
    // line option given replaces its part of it.
    if (fallback != nullptr) wanted = *fallback;
    if ((g_sharedOptions & kLineOptions) == 0) {
        m_line = wanted;
        return true;
    }
    bool ok = false;
    if (parser.isSet(QStringLiteral("baud"))) {
        const QString baud = parser.value(QStringLiteral("baud"));
        wanted.BaudRate = baud.toInt(&ok);
        // Only the rates the units have: any other would be a scan that cannot find a unit.
        if (!ok || !Gui::ChoiceLists::baudRateIndex(wanted.BaudRate, true)) {
            out.error(QStringLiteral("--baud %1: the units take %2 bit/s")
                          .arg(baud, Gui::ChoiceLists::baudRateItems(true)
                                         .join(QStringLiteral(", "))
                                         .remove(QStringLiteral("bps"))));
            return false;
        }
    }
    if (parser.isSet(QStringLiteral("databits"))) {
        const QString dataBits = parser.value(QStringLiteral("databits"));
        wanted.DataBits = dataBits.toInt(&ok);
        if (!ok || (wanted.DataBits != 7 && wanted.DataBits != 8)) {
            out.error(QStringLiteral("--databits %1: must be 7 or 8").arg(dataBits));
            return false;
        }
    }
    using Domain::Common::Parity;
    using Domain::Common::StopBits;
    if (parser.isSet(QStringLiteral("parity"))) {
        const QString text = parser.value(QStringLiteral("parity"));
        const auto parity = chosen<Parity>(
            text.toLower(), {{u"none", Parity::None}, {u"odd", Parity::Odd}, {u"even", Parity::Even}});
        if (!parity) {
            out.error(QStringLiteral("--parity %1: must be none, odd or even").arg(text));
            return false;
        }
        wanted.Parity = *parity;
    }
    if (parser.isSet(QStringLiteral("stopbits"))) {
        const QString text = parser.value(QStringLiteral("stopbits"));
        const auto stop = chosen<StopBits>(text, {{u"1", StopBits::One}, {u"2", StopBits::Two}});
        if (!stop) {
            out.error(QStringLiteral("--stopbits %1: must be 1 or 2").arg(text));
            return false;
        }
        wanted.StopBits = *stop;
    }
    m_line = wanted;
    return true;
}

void applyPortListFromEnvironment() {
    const char* sysfs = std::getenv("PELNIX_SYSFS_TTY");
    if (sysfs == nullptr) return;
    Platform::PortListOptions options;
    options.SysfsTtyRoot = sysfs;
    Command::SetPortLister([options] { return Platform::ListSerialPortNames(options); });
}

void applyTimingFromEnvironment() {
    const char* setting = std::getenv("PELNIX_TIMING");
    if (setting == nullptr) return;
    Domain::Modem::CommandTiming& timing = Command::Timing();
    for (const QString& item : QString::fromLocal8Bit(setting).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList kv = item.split(QLatin1Char('='));
        if (kv.size() != 2) continue;
        bool ok = false;
        const int value = kv[1].toInt(&ok);
        if (!ok || value < 0) continue;
        const std::chrono::milliseconds ms(value);
        const QString key = kv[0].trimmed();
        if (key == u"read") {
            timing.ReadTimeout = ms;
            timing.WriteTimeout = ms;
        } else if (key == u"tries") {
            timing.Tries = static_cast<unsigned>(value);
        } else if (key == u"reset") {
            timing.ResetTries = static_cast<unsigned>(value);
        } else if (key == u"pause") {
            timing.LinePause = ms;
        } else if (key == u"reopen") {
            timing.ReopenDelay = ms;
        } else if (key == u"radio") {
            timing.RadioChangeDelay = ms;
        }
    }
}

QJsonArray TraceRecorder::toJson() const {
    QJsonArray out;
    const std::chrono::system_clock::time_point wallStart = startedAt();
    for (const TraceEntry& e : entries()) {
        QJsonObject o;
        o.insert(QStringLiteral("ms"), std::round(e.ms * 10.0) / 10.0);
        o.insert(QStringLiteral("time"),
                 isoTime(wallStart + std::chrono::duration_cast<std::chrono::system_clock::duration>(
                                         std::chrono::duration<double, std::milli>(e.ms))));
        o.insert(QStringLiteral("kind"), e.direction == TraceDirection::Sent       ? QStringLiteral("request")
                                         : e.direction == TraceDirection::Received ? QStringLiteral("reply")
                                                                                   : QStringLiteral("event"));
        o.insert(QStringLiteral("line"), traceLine(e.line));
        out.append(o);
    }
    return out;
}

QString traceLine(const std::string& line) {
    return printable(Domain::Modem::Replies::MaskKeyMaterial(line));
}

std::optional<QString> cannotCreate(const QString& path) {
    const auto reason = [](int error) { return QString::fromLocal8Bit(std::strerror(error)); };
    if (path.isEmpty()) return QStringLiteral("no file name given");
    const QFileInfo file(path);
    if (file.isDir()) return reason(EISDIR);
    // The result is written beside the file and renamed over it: a device or a pipe would be
    // replaced by a plain file, never written.
    if (file.exists() && !file.isFile())
        return QStringLiteral("not a plain file (a device, a pipe or a socket)");
    if (file.exists()) {
        if (const int error = Platform::WritableFileError(QFile::encodeName(path).toStdString()))
            return reason(error);
    }
    const QFileInfo folder(file.absolutePath());
    if (!folder.exists()) return QStringLiteral("the folder %1 does not exist").arg(folder.filePath());
    if (!folder.isDir()) return QStringLiteral("%1 is not a folder").arg(folder.filePath());
    // What the save does first: a new file in that folder.
    if (const int error = Platform::NewFileError(QFile::encodeName(folder.absoluteFilePath()).toStdString(),
                                                 QFile::encodeName(file.fileName()).toStdString()))
        return QStringLiteral("%1: %2").arg(folder.filePath(), reason(error));
    return std::nullopt;
}

QString resultName(CommandResult result) {
    return Gui::nameIn<CommandResult>(
        {{CommandResult::Success, QStringLiteral("Success")},
         {CommandResult::ErrParameter, QStringLiteral("ErrParameter")},
         {CommandResult::ErrStatus, QStringLiteral("ErrStatus")},
         {CommandResult::ErrConnect, QStringLiteral("ErrConnect")},
         {CommandResult::ErrCommand, QStringLiteral("ErrCommand")},
         {CommandResult::Err7DataBitNonParity, QStringLiteral("Err7DataBitNonParity")},
         {CommandResult::ErrUnsupported, QStringLiteral("ErrUnsupported")},
         {CommandResult::ErrOutOfRange, QStringLiteral("ErrOutOfRange")}},
        result, QStringLiteral("Unknown"));
}

QString isoTime(std::chrono::system_clock::time_point when) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count();
    return QDateTime::fromMSecsSinceEpoch(ms)
        .toOffsetFromUtc(QDateTime::currentDateTime().offsetFromUtc())
        .toString(Qt::ISODateWithMs);
}

}  // namespace Tormel::Cli
