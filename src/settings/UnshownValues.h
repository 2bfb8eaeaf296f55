// SPDX-License-Identifier: MIT
#pragma once

// Values a unit or a firmware image can hold that the windows' forms have no place for: a
// packet end by packet size, a contact-I/O group ID beyond the 16 group digits, LoRa channel 32
// and FSK on the lower channel plan. Loading such a value must neither leave the control at what
// it showed before nor change the value unnoticed; the form shows a defined value instead (the
// one Set then writes, as the command line writes it) and the window names each one once.

#include <QString>
#include <vector>

#include "settings/ApplicationConfig.h"
#include "settings/ApplicationConfig_TX330.h"
#include "settings/StringTable.h"

namespace Tormel::Gui {

struct UnshownValue {
    QString field;  // as the form labels it
    QString held;   // the value the unit or image holds
    QString shown;  // what the form shows in its place, which Set writes
};

// Puts every value of `config` that its form cannot show on the value the form shows instead,
// and returns them in the form's order; nothing when the form can show everything.
std::vector<UnshownValue> fitRs485Form(ApplicationConfig& config, const StringTable& st);
std::vector<UnshownValue> fitTx330Form(ApplicationConfig_TX330& config);

// The one message that names them (message 310, a line of message 311 each).
QString unshownValuesText(const std::vector<UnshownValue>& values, const StringTable& st);

}  // namespace Tormel::Gui
