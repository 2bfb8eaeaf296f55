// SPDX-License-Identifier: MIT
#pragma once

#include "cli/CliSupport.h"

namespace Tormel::Cli {

// Every subcommand, each with its description, options and body next to its work.
extern const Subcommand kPortsCommand;
extern const Subcommand kScanCommand;
extern const Subcommand kReadCommand;
extern const Subcommand kDiffCommand;
extern const Subcommand kWriteCommand;
extern const Subcommand kResetCommand;
extern const Subcommand kFirmwareCommand;

}  // namespace Tormel::Cli
