// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace Tormel::Domain::Common {

enum class DidoinfoDoBind : int32_t { DI1 = 0, DI2 = 1, DI3 = 2 };
enum class DidoinfoDoInvert : int32_t { NONINVERT = 0, INVERT = 1 };
enum class DidoinfoDoOffDelay : int32_t { MIN_OFF_DELAY_TIME = 0, MAX_OFF_DELAY_TIME = 1200 };
enum class DidoinfoDoOnDelay : int32_t { MIN_ON_DELAY_TIME = 0, MAX_ON_DELAY_TIME = 1200 };
enum class DidoinfoDoKeepTime : int32_t { INVALID_KEEP_TIME = 0, MIN_KEEP_TIME = 30, MAX_KEEP_TIME = 3600 };
enum class DidoinfoDoKeepSignal : int32_t { OFF = 0, ON = 1 };
enum class DidoinfoDiDelay : int32_t { MIN_DELAY_TIME = 0, MAX_DELAY_TIME = 100 };

// How the three contact outputs follow the partner unit's contact inputs, and their timing.
struct Didoinfo {
    DidoinfoDoBind Do1Bind{}, Do2Bind{}, Do3Bind{};          // the input each output follows
    DidoinfoDoInvert Do1Invert{}, Do2Invert{}, Do3Invert{};  // each output's contact form
    DidoinfoDoOffDelay DoOffDelay{};
    DidoinfoDoOnDelay DoOnDelay{};
    DidoinfoDoKeepTime DoKeepTime{};
    DidoinfoDoKeepSignal DoKeepSignal{};
    DidoinfoDiDelay DiDelay{};  // tenths of the value the unit reports (2.5 -> 25)

    bool operator==(const Didoinfo&) const = default;
};

}  // namespace Tormel::Domain::Common
