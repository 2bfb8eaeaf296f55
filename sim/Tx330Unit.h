// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "sim/SimUnit.h"
#include "sim/UnitState.h"

namespace Pelnix::Sim {

// A contact-input/output unit as it leaves the factory: 9600 8N1 over its UART, FSK on
// the upper channel plan, outputs following inputs 1-2-3 as a-contacts.
UnitState Tx330FactoryState();

// The contact-I/O unit's command interpreter. `state` is changed by the setters (line
// settings included, so that the unit stops understanding the old ones after its reply);
// "~INIT=" puts `factory` back. Replies are composed here, in the unit's own words.
std::vector<Reply> HandleTx330(UnitState& state, const UnitState& factory, const std::string& request);

}  // namespace Pelnix::Sim
