// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "sim/SimUnit.h"
#include "sim/UnitState.h"

namespace Pelnix::Sim {

// An RS485 wireless unit as it leaves the factory, at the given unit version ("2.6") and
// module firmware ("1.7"), of the newer or the older radio-module generation. Its name
// reply carries the generation and the firmware token; 9600 8N1 over its RS485 port.
UnitState Rs485FactoryState(const std::string& version = "2.6", bool newerModule = true,
                            const std::string& firmware = "1.7");

// The RS485 unit's command interpreter. `state` is changed by the setters (line settings
// included, so that the unit stops understanding the old ones after its reply); "~INIT="
// puts `factory` back. Replies are composed here, in the unit's own words.
std::vector<Reply> HandleRs485(UnitState& state, const UnitState& factory, const std::string& request);

}  // namespace Pelnix::Sim
