// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "domain/common/SerialLine.h"

namespace Tormel::Domain::Common {

// The unit's serial line towards its host. Zero-filled on creation; no checks.
struct Communication {
    int32_t BaudRate = 0;
    int32_t DataBits = 0;
    Common::Parity Parity = Common::Parity::None;
    Common::StopBits StopBits = Common::StopBits::None;
    int32_t Awt = 0;       // answer wait time in 10 ms steps (contact-I/O unit only)
    int32_t IntfPort = 0;  // 1 = RS485, 2 = USB
    Handshake FlowControl = Handshake::None;

    bool operator==(const Communication&) const = default;
};

}  // namespace Tormel::Domain::Common
