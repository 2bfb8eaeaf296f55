// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace Tormel::Domain::App {

// Result of a call on either controller. The outcome of a background operation comes
// later, with its completion (AppCompletedCode).
enum class AppResult : int32_t {
    Success = 0,
    Pendding = 1,      // the background operation has started, or a stop was requested
    ErrParameter = 2,  // not produced by the controller
    ErrStatus = 3,     // not allowed in the current state, or the start failed
    ErrElfFormat = 4,  // not an accepted firmware image
    ErrElfLoad = 5,    // loading from the image failed
    ErrElfStore = 6,   // storing into the image failed
    Max = 7,
};

}  // namespace Tormel::Domain::App
