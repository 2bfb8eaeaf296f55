// SPDX-License-Identifier: MIT
#include "cli/Commands.h"

namespace Tormel::Cli {

int runFirmware(const QStringList& args) {
    QCommandLineParser parser;
    addCommonOptions(parser, false, false, false);
    if (auto done = parseOrExit(parser, args)) return *done;
    return kExitUsage;
}

}  // namespace Tormel::Cli
