// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace Tormel::Domain::Common {

// Serial-line enumerations shared by the settings records and the serial-port service.
enum class Parity : int32_t { None = 0, Odd = 1, Even = 2, Mark = 3, Space = 4 };
enum class StopBits : int32_t { None = 0, One = 1, Two = 2, OnePointFive = 3 };
enum class Handshake : int32_t { None = 0, XOnXOff = 1, RequestToSend = 2, RequestToSendXOnXOff = 3 };

}  // namespace Tormel::Domain::Common
