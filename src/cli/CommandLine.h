// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>

namespace Tormel::Cli {

// One run of pelnix-cli on its whole argument list (the program's name first): the usage and
// version texts, or the named subcommand with its own arguments. Returns the exit code.
// Needs a QCoreApplication; the settings model's messages go to `messages()`.
int runCommandLine(QStringList args);

}  // namespace Tormel::Cli
