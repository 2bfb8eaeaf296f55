// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "domain/common/Communication.h"

namespace Pelnix::Sim {

enum class UnitFamily { Rs485, Tx330 };

// The contact-I/O unit's own settings, kept as the codes its commands carry on the wire
// (binding 1-3, contact form 0 = a / 1 = b, input delay in tenths). Owned by Tx330Unit.
struct Tx330State {
    int chMode = 1;     // 0: channels 24-38, 1: channels 33-61
    int opMode = 0;     // 0: FSK, 1: LoRa
    int ch = 33;
    int nodeId = 1;
    int grpId = 0;
    int bind[3] = {1, 2, 3};
    int invert[3] = {0, 0, 0};
    int offDelay = 0;
    int onDelay = 0;
    int keepTime = 0;
    int keepSignal = 0;
    int diDelayTenths = 5;
    int awtMs = 0;       // the unit counts its answer wait time in ms
    int awtExtraMs = 0;  // added to the time it reports (a unit reporting 255 ms for 25)
    int cmdIf = 1;       // what "~CMDIF?" reports: 0 INVALID, 1 UART, 2 USB
    int autoSync = 2;    // 1 disable, 2 enable
    int aesEnable = 1;   // 1 disable, 2 enable
    int aesMode = 1;     // 1 AES128, 2 AES256
    std::string aesKey;  // the last "~ENCKEY=" argument text, empty after a reset
};

// Everything the simulated unit remembers. Extended command by command.
struct UnitState {
    UnitFamily family = UnitFamily::Rs485;
    std::string name = "Tarvic2(920MHz) TX-910A Ver1.7";
    std::string version = "2.6";
    // The unit's own serial line; the tool must talk at these settings to be understood.
    Tormel::Domain::Common::Communication line{9600, 8, Tormel::Domain::Common::Parity::None,
                                               Tormel::Domain::Common::StopBits::One, 0, 1,
                                               Tormel::Domain::Common::Handshake::None};
    Tx330State tx330;
};

}  // namespace Pelnix::Sim
