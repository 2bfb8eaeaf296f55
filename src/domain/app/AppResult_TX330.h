// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace Tormel::Domain::App {

// Result of a call on the contact-I/O controller; the same members and values as AppResult.
enum class AppResult_TX330 : int32_t {
    Success = 0,
    Pendding = 1,
    ErrParameter = 2,
    ErrStatus = 3,
    ErrElfFormat = 4,
    ErrElfLoad = 5,
    ErrElfStore = 6,
    Max = 7,
};

}  // namespace Tormel::Domain::App
