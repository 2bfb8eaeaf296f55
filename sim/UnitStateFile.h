// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

#include "sim/UnitState.h"

namespace Pelnix::Sim {

// Reads a unit's state from a small text file of "key=value" lines ("#" starts a comment,
// blank lines are skipped). The first keys decide which factory state the rest changes:
//
//   family=rs485            rs485 (default) or tx330
//   version=2.4             the unit's version reply
//   generation=older        newer (default) or older radio module (RS485 unit)
//   firmware=1.5            module firmware token in the name reply (RS485 unit)
//
// then any of: name, baud (bit/s), databits (7/8), parity (none/even/odd), stopbits (1/2),
// intfport (1/2), cmdif (0/1/2), idoffset, stx, etx, offset, stx2, etx2, offset2, bcast,
// bindtype (group/each), group (node,mask,key; repeatable), each (node,unit; repeatable),
// whitening (0/1), initdelay (ms). Numbers may be written in decimal or as 0x hex.
// Returns nullopt and a message naming the line on any unknown key or bad value.
std::optional<UnitState> LoadUnitStateFile(const std::string& path, std::string& error);

// The same from the text itself.
std::optional<UnitState> ParseUnitState(const std::string& text, std::string& error);

}  // namespace Pelnix::Sim
