// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace Tormel::Domain::App {

// Where a controller stands. One background operation at most: every start needs Idle or
// Active, and only the completion leads back there.
enum class AppStatus : int32_t {
    Invalid = 0,               // constructed, not initialised, or ended
    Idle = 1,                  // initialised, no unit connected
    Connecting = 2,            // a connect runs on the worker
    ConnectingAndReading = 3,  // a connect with full read runs on the worker
    Active = 4,                // connected to a unit, the port is open
    Updating = 5,              // a write or a factory reset runs on the worker
    Canceling = 6,             // a running operation was told to stop; waiting for its completion
    Max = 7,
};

}  // namespace Tormel::Domain::App
