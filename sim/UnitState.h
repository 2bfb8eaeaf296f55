// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "domain/common/Communication.h"
#include "domain/common/UnitFamily.h"

namespace Pelnix::Sim {

using Tormel::Domain::Common::UnitFamily;

// The contact-I/O unit's own settings, kept as the codes its commands carry on the wire
// (binding 1-3, contact form 0 = a / 1 = b, input delay in tenths). Owned by Tx330Unit.
struct Tx330State {
    int chMode = 1;  // 0: channels 24-38, 1: channels 33-61
    int opMode = 0;  // 0: FSK, 1: LoRa
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

// The RS485 unit's own settings, kept as the codes its commands carry on the wire (format
// 0 = Ascii 10, 1 = Binary BE, 2 = Ascii 16, 5 = Binary LE; switches 1 = off, 2 = on).
// Owned by Rs485Unit.
struct Rs485Group {
    int nodeId = 0;
    int mask = 0;
    int key = 0;
};
struct Rs485Each {
    int nodeId = 0;
    int unitId = 0;
};
struct Rs485State {
    // What the unit is: its module generation decides AES, 76800 bit/s and the listing
    // without the key line; its module firmware decides network encryption and whitening.
    bool newerModule = true;
    bool networkEncryption = true;  // "~NETENCENABLE" (older modules from firmware 1.4)
    bool whiteningCapable = true;   // newer modules from firmware 1.7
    int cmdIf = 1;                  // what "~CMDIF?" reports: 0 INVALID, 1 UART, 2 USB
    int autoSync = 2;
    int idOffset = 0;
    int extendedGroup = 1;
    int aesEnable = 1;
    int aesMode = 1;
    std::string aesKey;  // the last "~ENCKEY=" argument text, empty after a reset
    int encryptEnable = 1;
    int encryptKey[16] = {};
    int whitening = 0;  // 0 off, 1 on
    int through = 1;    // 1 mark, 2 time, 3 size
    int silent = 10;
    int fmt2 = 1;
    int devi = 1;  // 1 off, 2 from the packet, 3 fixed
    int stx = 0x02, etx = 0x03, offset = 0;
    int stx2 = 0x02, etx2 = 0x03, offset2 = 0;
    int devOffset = 1, devLength = 2, devFormat = 0;
    int devOffset2 = 1, devLength2 = 2, devFormat2 = 0;
    int bcast = 0xFFFF;
    int chkMethod = 1;  // 1 none, 2 BCC, 3 CRC, 4 SUM
    int chkStx = 1;     // 1 start mark not included, 2 included
    int chkOffset = 0, chkLength = 2, chkFormat = 0;
    int bindType = 1;  // 1 group, 2 each
    std::vector<Rs485Group> groups;
    std::vector<Rs485Each> eachs;
    int initDelayMs = 0;  // how long the unit takes to answer "~INIT="
};

// Everything the simulated unit remembers. Extended command by command.
struct UnitState {
    UnitFamily family = UnitFamily::Rs485;
    std::string name = "Tarvic2(920MHz) TX-910A Ver1.7";
    std::string version = "2.6";
    // The unit's own serial line; the tool must talk at these settings to be understood.
    Tormel::Domain::Common::Communication line{
        9600, 8, Tormel::Domain::Common::Parity::None,   Tormel::Domain::Common::StopBits::One,
        0,    1, Tormel::Domain::Common::Handshake::None};
    Rs485State rs485;
    Tx330State tx330;
};

}  // namespace Pelnix::Sim
