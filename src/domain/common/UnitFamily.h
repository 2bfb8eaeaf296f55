// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace Tormel::Domain::Common {

// The two unit families: the RS485 units (TX-910A, TX-710A) and the contact-I/O unit (TX-330).
// One enumeration for the command line, the firmware editors and the simulated unit.
enum class UnitFamily : int32_t { Rs485 = 0, Tx330 = 1 };

}  // namespace Tormel::Domain::Common
