// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace Tormel::Domain::Common {

enum class WirelessinfoChMode : int32_t { CH24to37 = 0, CH33to60 = 1 };
enum class WirelessinfoOpMode : int32_t { FSK = 0, LoRa = 1 };

// Channel numbers; the bounds share their values with CH24 and CH60.
enum class WirelessinfoCh : int32_t {
    MIN_CH_ID = 24,
    CH24 = 24,
    CH25,
    CH26,
    CH27,
    CH28,
    CH29,
    CH30,
    CH31,
    CH32,
    CH33,
    CH34,
    CH35,
    CH36,
    CH37,
    CH38,
    CH39,
    CH40,
    CH41,
    CH42,
    CH43,
    CH44,
    CH45,
    CH46,
    CH47,
    CH48,
    CH49,
    CH50,
    CH51,
    CH52,
    CH53,
    CH54,
    CH55,
    CH56,
    CH57,
    CH58,
    CH59,
    CH60,
    MAX_CH_ID = 60,
};
enum class WirelessinfoNodeId : int32_t { MIN_NODE_ID = 0, MAX_NODE_ID = 99 };
enum class WirelessinfoGrpId : int32_t { MIN_GRP_ID = 0, MAX_GRP_ID = 65534 };

// Radio mode, channel and addressing of the contact-I/O unit. Numeric fields are typed by
// enumerations whose members are their bounds; any integer between them is valid.
struct Wirelessinfo {
    WirelessinfoChMode ChMode{};  // channel plan
    WirelessinfoOpMode OpMode{};  // modulation
    WirelessinfoCh Ch{};          // 24 to 60
    WirelessinfoNodeId NodeId{};  // 0 to 99
    WirelessinfoGrpId GrpId{};    // 0 to 65534

    bool operator==(const Wirelessinfo&) const = default;
};

}  // namespace Tormel::Domain::Common
