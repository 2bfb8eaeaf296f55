// SPDX-License-Identifier: MIT
#include "cli/CommandLine.h"

#include <cstdio>

#include "cli/Commands.h"

namespace Tormel::Cli {

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

const Subcommand* const kCommands[] = {
    &kPortsCommand, &kScanCommand,  &kReadCommand,     &kDiffCommand,
    &kWriteCommand, &kResetCommand, &kFirmwareCommand,
};

}  // namespace

int runCommandLine(QStringList args) {
    if (args.size() < 2 || args[1] == u"--help" || args[1] == u"-h" || args[1] == u"help") {
        std::fputs(kUsage, args.size() < 2 ? stderr : stdout);
        return args.size() < 2 ? kExitUsage : kExitOk;
    }
    if (args[1] == u"--version" || args[1] == u"-V" || args[1] == u"version") {
        std::printf("pelnix-cli %s\n", PELNIX_VERSION);
        return kExitOk;
    }
    const QString command = args.takeAt(1);
    args[0] = QStringLiteral("pelnix-cli ") + command;
    for (const Subcommand* known : kCommands) {
        if (command == QLatin1StringView(known->name)) return runSubcommand(*known, args);
    }
    std::fprintf(stderr, "pelnix-cli: unknown command \"%s\"\n\n%s", command.toLocal8Bit().constData(),
                 kUsage);
    // A script that asked for JSON gets its one document even here.
    if (args.contains(QStringLiteral("--json"))) {
        Output out;
        out.json = true;
        out.quiet = true;
        out.error(QStringLiteral("unknown command \"%1\"").arg(command));
        return out.finish(kExitUsage);
    }
    return kExitUsage;
}

}  // namespace Tormel::Cli
