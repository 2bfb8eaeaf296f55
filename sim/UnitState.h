// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "domain/common/Communication.h"

namespace Pelnix::Sim {

enum class UnitFamily { Rs485, Tx330 };

// Everything the simulated unit remembers. Extended command by command.
struct UnitState {
    UnitFamily family = UnitFamily::Rs485;
    std::string name = "Tarvic2(920MHz) TX-910A Ver1.7";
    std::string version = "2.6";
    // The unit's own serial line; the tool must talk at these settings to be understood.
    Tormel::Domain::Common::Communication line{9600, 8, Tormel::Domain::Common::Parity::None,
                                               Tormel::Domain::Common::StopBits::One, 0, 1,
                                               Tormel::Domain::Common::Handshake::None};
};

}  // namespace Pelnix::Sim
