// SPDX-License-Identifier: MIT
// pelnix-cli: the unit configuration without a window, for production benches, SSH sessions
// and scripts. One subcommand per run; each has --help.
#include <QCoreApplication>
#include <cstdio>

#include "cli/Commands.h"

namespace {

const char* const kUsage =
    "Usage: pelnix-cli <command> [options]\n"
    "\n"
    "Commands:\n"
    "  ports                      the ports a scan would try, and whether you may open them\n"
    "  scan                       what answers on each port (--parallel: all at once)\n"
    "  read -o FILE.xml           read a unit into a settings file\n"
    "  diff FILE.xml              compare a unit with a settings file\n"
    "  write FILE.xml             write a settings file to a unit (--report R.json)\n"
    "  reset --yes                factory reset of a unit\n"
    "  firmware show IMAGE        the parameters stored in a firmware image\n"
    "  firmware patch IMAGE FILE.xml   store a settings file into a firmware image\n"
    "\n"
    "Every command takes --help and --json. pelnix-cli --version prints the version.\n"
    "\n"
    "Exit codes:\n"
    "  0  success\n"
    "  1  differences found (diff)\n"
    "  2  usage error\n"
    "  3  no unit found\n"
    "  4  unit not supported\n"
    "  5  write or reset failed\n"
    "  6  file error\n";

const Tormel::Cli::Subcommand* const kCommands[] = {
    &Tormel::Cli::kPortsCommand,    &Tormel::Cli::kScanCommand,  &Tormel::Cli::kReadCommand,
    &Tormel::Cli::kDiffCommand,     &Tormel::Cli::kWriteCommand, &Tormel::Cli::kResetCommand,
    &Tormel::Cli::kFirmwareCommand,
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("pelnix-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PELNIX_VERSION));
    Tormel::Gui::ToolkitOverride toolkit(Tormel::Cli::messages());

    QStringList args = QCoreApplication::arguments();
    if (args.size() < 2 || args[1] == u"--help" || args[1] == u"-h" || args[1] == u"help") {
        std::fputs(kUsage, args.size() < 2 ? stderr : stdout);
        return args.size() < 2 ? Tormel::Cli::kExitUsage : Tormel::Cli::kExitOk;
    }
    if (args[1] == u"--version" || args[1] == u"-V" || args[1] == u"version") {
        std::printf("pelnix-cli %s\n", PELNIX_VERSION);
        return Tormel::Cli::kExitOk;
    }
    const QString command = args.takeAt(1);
    args[0] = QStringLiteral("pelnix-cli ") + command;
    for (const Tormel::Cli::Subcommand* known : kCommands) {
        if (command == QLatin1StringView(known->name)) return Tormel::Cli::runSubcommand(*known, args);
    }
    std::fprintf(stderr, "pelnix-cli: unknown command \"%s\"\n\n%s", command.toLocal8Bit().constData(),
                 kUsage);
    // A script that asked for JSON gets its one document even here.
    if (args.contains(QStringLiteral("--json"))) {
        Tormel::Cli::Output out;
        out.json = true;
        out.quiet = true;
        out.error(QStringLiteral("unknown command \"%1\"").arg(command));
        return out.finish(Tormel::Cli::kExitUsage);
    }
    return Tormel::Cli::kExitUsage;
}
