// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace Tormel::Domain::Common {

enum class ProtocolFormat : int32_t {
    DecimalNumber = 0,
    HexadecimalNumber = 1,
    LittleEndian = 2,
    BigEndian = 3
};
enum class ProtocolMethod : int32_t { None = 0, Bcc = 1, Crc = 2, Sum = 3 };
enum class ProtocolThrough : int32_t { Mark = 1, Time = 2, Size = 3 };
enum class ProtocolFmt2Enable : int32_t { Disable = 1, Enable = 2 };
enum class ProtocolDeviEnable : int32_t { Disable = 1, Enable = 2, Fix = 3 };
enum class ProtocolCheckCode : int32_t { None = 0, StartCode = 1 };

// Packet framing and destination addressing of the transparent data path (RS485 unit).
struct Protocol {
    ProtocolThrough ThroughMode{};
    uint8_t SilentChar = 0;  // 4 to 100
    ProtocolFmt2Enable Fmt2Enable{};
    uint8_t PacketStartCode = 0;  // any byte but 0x00 and 0x7E, the unit's command character
    uint8_t PacketEndCode = 0;    // the same, and not the start mark
    uint8_t PacketOffset = 0;     // bytes after the end mark, 0 to 9
    uint8_t PacketStartCode2nd = 0, PacketEndCode2nd = 0, PacketOffset2nd = 0;  // the second format's
    ProtocolDeviEnable DeviEnable{};
    uint8_t AddressOffset = 0;  // 0 to 99
    uint8_t AddressLength = 0;  // 0 to 6
    ProtocolFormat AddressFormat{};
    uint8_t AddressOffset2nd = 0, AddressLength2nd = 0;  // the second format's
    ProtocolFormat AddressFormat2nd{};
    uint32_t BcastAddr = 0;  // 0 to 0xFFFF
    ProtocolMethod CheckMethod{};
    ProtocolCheckCode CheckCode{};
    int32_t CheckOffset = 0;  // -99 to 99
    uint8_t CheckLength = 0;  // 1 to 4
    ProtocolFormat CheckFormat{};

    bool operator==(const Protocol&) const = default;
};

}  // namespace Tormel::Domain::Common
