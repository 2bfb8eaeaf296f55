// SPDX-License-Identifier: MIT
#pragma once

// What every pelnix-cli subcommand shares: exit codes, output (plain text or JSON), the
// toolkit that turns the settings model's message boxes into text, the link set-up and the
// trace of the dialogue with a unit.

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "domain/app/TormelApp.h"
#include "domain/app/TormelApp_TX330.h"
#include "domain/common/UnitFamily.h"
#include "domain/modem/Command.h"
#include "domain/modem/TraceRecorder.h"
#include "platform/SerialPort.h"
#include "settings/RecordConversion.h"
#include "settings/ScanReport.h"
#include "settings/StringTable.h"
#include "settings/Toolkit.h"

namespace Tormel::Cli {

enum ExitCode : int {
    kExitOk = 0,
    kExitDifferences = 1,
    kExitUsage = 2,
    kExitNoUnit = 3,
    kExitUnsupported = 4,
    kExitWriteFailed = 5,
    kExitFileError = 6,
    kExitSequenceEnded = 7,  // write --each-unit: the sequence ran past its field's range
    kExitInterrupted = 130,  // stopped by Ctrl+C, SIGTERM or a hang-up (128 + SIGINT)
};

using Domain::Common::UnitFamily;

// The settings model's message boxes, kept as text: a program without windows prints them.
class CapturingToolkit final : public Gui::Toolkit {
  public:
    Gui::DialogResult messageBox(const QString& text, const QString& caption, Gui::MessageBoxButtons buttons,
                                 Gui::MessageBoxIcon icon, QWidget* parent) override;
    Gui::DialogResult openFileDialog(Gui::FileDialogOptions&, QWidget*) override {
        return Gui::DialogResult::Cancel;
    }
    Gui::DialogResult saveFileDialog(Gui::FileDialogOptions&, QWidget*) override {
        return Gui::DialogResult::Cancel;
    }
    Gui::DialogResult showModal(QWidget&) override { return Gui::DialogResult::Cancel; }
    bool isShiftKeyDown() const override { return false; }

    // The texts shown since the last take, oldest first; the list is emptied.
    QStringList take();

  private:
    QStringList m_messages;
};
CapturingToolkit& messages();

// Output of one run: human text on stdout, or one JSON document when --json was given.
class Output {
  public:
    bool json = false;
    bool quiet = false;  // failures only go into the document: a caller tells them its own way
    QJsonObject doc;

    void line(const QString& text) const;  // human output only
    // Progress of long steps: on stderr, and only when stderr is a terminal.
    static void progress(const QString& text);
    // A failure: on stderr as text, and under "error" in the JSON document.
    void error(const QString& text);
    // Prints the JSON document (when json) and returns `code`.
    int finish(int code);
};

// The options several subcommands share, besides --help and --json which all take.
enum SharedOption : unsigned {
    kNoSharedOptions = 0,
    kPortOption = 1U << 0,    // --port
    kFamilyOption = 1U << 1,  // --family
    kLineOptions = 1U << 2,   // --baud, --databits, --parity, --stopbits
};

// What one subcommand is made of. `sharedOptions` is a set of SharedOption; `addOptions` adds
// the command's own options and positional arguments (none when null). `run` gets the parsed
// line and the output, --json already taken into account, and returns the exit code.
struct Subcommand {
    const char* name;
    QString description;
    unsigned sharedOptions;
    void (*addOptions)(QCommandLineParser& parser);
    int (*run)(const QCommandLineParser& parser, Output& out);
};

// Runs `command` on its own arguments (the program's name first): prints the help text and
// returns kExitOk on --help, prints the error and returns kExitUsage on a bad line, and
// otherwise returns what the command's body returns.
int runSubcommand(const Subcommand& command, const QStringList& args);

std::optional<UnitFamily> familyOption(const QCommandLineParser& parser, UnitFamily fallback, Output& out);

// The command line's way to a unit: the windows' controller of the unit's family, each of
// its operations driven to its end on this thread. `configure` sets up the port list (just
// --port when given), the protocol's waits and the line settings of the second attempt
// (--baud ...); it returns false (after an error) on a bad value.
//
// The controller, and with it the serial port, is made at the first connect. A child process
// makes a Link of its own, with the settings of its parent's (settingsOf).
class Link {
  public:
    Link();
    ~Link();
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    // `fallback`: the second attempt's line when no line option was given (a settings file's).
    bool configure(const QCommandLineParser& parser, Output& out,
                   const Domain::Common::Communication* fallback = nullptr);

    // The port list, waits and line of `configured`, with no controller nor port of its own yet.
    void settingsOf(const Link& configured);

    // A stop that came before an operation began (a Ctrl+C while connecting) must still reach
    // it: `asked` is looked at once each operation has started, and re-asserts the request.
    void stopWhen(std::function<bool()> asked) { m_stopAsked = std::move(asked); }

    // Scans for a unit of `family` and connects to it; `read`: with every record read.
    Domain::Modem::CommandResult connect(UnitFamily family, bool read);
    // Every record read again from the connected unit, on the same line.
    Domain::Modem::CommandResult readBack();
    // The records written to the connected unit, each value confirmed by it.
    Domain::Modem::CommandResult write(const Gui::Rs485RecordSet& records);
    Domain::Modem::CommandResult write(const Gui::Tx330RecordSet& records);
    // The factory reset of the connected unit.
    Domain::Modem::CommandResult reset();
    void closeQuietly();

    // The connected unit's name and version and its other records, as of the last operation
    // that succeeded; the port the last operation tried or connected on.
    Domain::Common::Nodeinfo node() const;
    std::string portName() const;
    Gui::Rs485RecordSet rs485Records() const;
    Gui::Tx330RecordSet tx330Records() const;

  private:
    struct Queue;
    using Start = std::function<Domain::App::AppResult(Domain::App::CompletedHandler)>;
    Domain::Modem::CommandResult run(const Start& start);
    Domain::App::Controller& controllerFor(UnitFamily family);

    std::shared_ptr<Queue> m_queue;
    std::unique_ptr<Domain::App::TormelApp> m_rs485;
    std::unique_ptr<Domain::App::TormelApp_TX330> m_tx330;
    Domain::App::Controller* m_controller = nullptr;
    Domain::Common::Communication m_line{};
    std::function<bool()> m_stopAsked;
};

// Test and bench hook: PELNIX_TIMING="read=100,tries=5,pause=0,reopen=50,radio=50,reset=700"
// shortens the protocol's waits (simulated units answer at once).
void applyTimingFromEnvironment();
// Test hook: PELNIX_SYSFS_TTY points the listing of real devices at another sysfs tree.
void applyPortListFromEnvironment();

// The dialogue with the unit, request by request, with times since the recording began:
// the link's one trace recorder, recording from construction, with the report's JSON form.
using Domain::Modem::TraceEntry;
class TraceRecorder : public Domain::Modem::TraceRecorder {
  public:
    TraceRecorder() { start(); }
    QJsonArray toJson() const;
};

using Gui::printable;
QString resultName(Domain::Modem::CommandResult result);
// A line of the dialogue as a report or the terminal may show it: printable, and without the
// bytes of any encryption key.
QString traceLine(const std::string& line);
// Why a file cannot be created or replaced at `path` (the system's words), or nothing when it
// can; checked before a unit is touched, so that no result is lost for want of a place.
std::optional<QString> cannotCreate(const QString& path);
QString isoTime(std::chrono::system_clock::time_point when);

// The message table in the user's language.
const Gui::StringTable& texts();

}  // namespace Tormel::Cli
