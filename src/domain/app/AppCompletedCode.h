// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace Tormel::Domain::App {

// Outcome of a background operation, handed to the window's completion handler.
enum class AppCompletedCode : int32_t {
    Success = 0,
    ConnectError = 1,            // no unit answered, or the connection broke
    CommandError = 2,            // the unit refused or misanswered a command
    DataBit7NonParityError = 3,  // the unit refused 7 data bits without parity
    Unsupported = 4,             // the unit's firmware name or version is not supported
    Max = 5,
};

}  // namespace Tormel::Domain::App
