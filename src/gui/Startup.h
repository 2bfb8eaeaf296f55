// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace Tormel::Gui {

// The one-instance rule: when `processNames` holds `ownName` more than once (this process
// included), tells the user with message 14 and returns true, and the program must end.
// An unknown own name (no /proc) never blocks the start.
bool refuseSecondInstance(const std::vector<std::string>& processNames, const std::string& ownName);

// The chooser and the window loop until the chooser closes, whichever way. Always returns 0.
int runChooser();

// The program after its QApplication exists: the one-instance rule, then the chooser until it
// closes. Always returns 0.
int runApplication();

}  // namespace Tormel::Gui
