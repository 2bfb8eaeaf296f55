// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstddef>

namespace Tormel::Domain::Modem {

// The waits of the line protocol. The defaults are what the units need; tests shorten them.
struct CommandTiming {
    std::chrono::milliseconds ReadTimeout{2000};      // one read attempt
    std::chrono::milliseconds WriteTimeout{2000};     // one request line
    unsigned Tries = 5;                               // read attempts per reply line
    unsigned ResetTries = 700;                        // read attempts for the factory reset's reply
    std::chrono::milliseconds LinePause{100};         // after every received line
    std::chrono::milliseconds ReopenDelay{500};       // between closing and reopening the port
    std::chrono::milliseconds RadioChangeDelay{500};  // after a channel-plan or modulation change
    std::size_t MaxPorts = 30;                        // ports scanned, from the start of the list
};

}  // namespace Tormel::Domain::Modem
