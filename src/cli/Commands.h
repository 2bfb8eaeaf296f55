// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>

#include "cli/CliSupport.h"

namespace Tormel::Cli {

// Each subcommand gets its own arguments, the program's name first, and returns the exit code.
int runPorts(const QStringList& args);
int runScan(const QStringList& args);
int runRead(const QStringList& args);
int runDiff(const QStringList& args);
int runWrite(const QStringList& args);
int runReset(const QStringList& args);
int runFirmware(const QStringList& args);

}  // namespace Tormel::Cli
