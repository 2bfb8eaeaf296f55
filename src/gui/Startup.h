// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace Tormel::Gui {

// The one-instance rule: when `processNames` holds `ownName` more than once (this process
// included), tells the user with message 14 and returns true, and the program must end.
// An unknown own name (no /proc) never blocks the start.
bool refuseSecondInstance(const std::vector<std::string>& processNames, const std::string& ownName);

// What a desktop program on Linux answers without opening a window: "--help" (or "-h") prints
// the usage and "--version" the program's name and version to `out`, and the program ends
// with the returned code (1 when the text could not be written). nullopt for any other argument
// list, which Qt then reads.
std::optional<int> answerCommandLine(int argc, const char* const* argv, std::ostream& out);

// The chooser and the window loop until the chooser closes, whichever way. Always returns 0.
int runChooser();

// The program after its QApplication exists: the one-instance rule, then the chooser until it
// closes. Always returns 0.
int runApplication();

}  // namespace Tormel::Gui
