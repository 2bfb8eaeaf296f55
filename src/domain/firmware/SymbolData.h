// SPDX-License-Identifier: MIT
#pragma once

// Translation between the firmware's parameter codes (the little-endian number stored in a
// TormelParamsM$ symbol) and the settings records. Each direction checks its range: an empty
// result means the value has no encoding and must not be loaded or stored. Both firmware
// editors share these; they are pure functions.

#include <cstdint>
#include <optional>

#include "domain/common/Binding.h"
#include "domain/common/Communication.h"
#include "domain/common/Nodeinfo.h"
#include "domain/common/Protocol.h"

namespace Tormel::Domain::Firmware {

namespace C = Tormel::Domain::Common;

std::optional<int32_t> SymbolDataToBaudRate(uint64_t data);
std::optional<uint64_t> BaudRateToSymbolData(int32_t baudRate);
std::optional<int32_t> SymbolDataToDataBits(uint64_t data);
std::optional<uint64_t> DataBitsToSymbolData(int32_t dataBits);
std::optional<C::Parity> SymbolDataToParity(uint64_t data);
std::optional<uint64_t> ParityToSymbolData(C::Parity parity);
std::optional<C::StopBits> SymbolDataToStopBits(uint64_t data);
std::optional<uint64_t> StopBitsToSymbolData(C::StopBits stopBits);
std::optional<int32_t> SymbolDataToIntfPort(uint64_t data);
std::optional<uint64_t> IntfPortToSymbolData(int32_t intfPort);
std::optional<C::Handshake> SymbolDataToFlowControl(uint64_t data);
std::optional<uint64_t> FlowControlToSymbolData(C::Handshake flowControl);
// Answer wait time of the contact-I/O unit: 0 to 25 when read; written as its low 16 bits.
std::optional<int32_t> SymbolDataToAwt(uint64_t data);
std::optional<uint64_t> AwtToSymbolData(int32_t awt);

// Node-ID offset ("hundred order"): 0 to 9999; 65535 stands for 0 in both directions.
std::optional<uint32_t> SymbolDataToIdOffset(uint64_t data);
std::optional<uint64_t> IdOffsetToSymbolData(uint32_t idOffset);
std::optional<C::NodeinfoAutoParamSyncEnable> SymbolDataToAutoParamSyncEnable(uint64_t data);
std::optional<uint64_t> AutoParamSyncEnableToSymbolData(C::NodeinfoAutoParamSyncEnable value);
std::optional<C::NodeinfoExtendedGroup> SymbolDataToExtendedGroup(uint64_t data);
std::optional<uint64_t> ExtendedGroupToSymbolData(C::NodeinfoExtendedGroup value);
std::optional<C::NodeinfoAESEncryptEnable> SymbolDataToAESEncryptEnable(uint64_t data);
std::optional<uint64_t> AESEncryptEnableToSymbolData(C::NodeinfoAESEncryptEnable value);
std::optional<C::NodeinfoAESEncryptType> SymbolDataToAESEncryptType(uint64_t data);
std::optional<uint64_t> AESEncryptTypeToSymbolData(C::NodeinfoAESEncryptType value);
std::optional<C::NodeinfoWhiteningEnable> SymbolDataToWhitening(uint64_t data);
std::optional<uint64_t> WhiteningToSymbolData(C::NodeinfoWhiteningEnable value);
std::optional<C::NodeinfoEncryptEnable> SymbolDataToEncryptEnable(uint64_t data);
std::optional<uint64_t> EncryptEnableToSymbolData(C::NodeinfoEncryptEnable value);
// One 16-bit key word (AES or the older encryption).
std::optional<uint32_t> SymbolDataToKeyWord(uint64_t data);
std::optional<uint64_t> KeyWordToSymbolData(uint32_t word);

std::optional<C::ProtocolThrough> SymbolDataToThroughMode(uint64_t data);
std::optional<uint64_t> ThroughModeToSymbolData(C::ProtocolThrough value);
std::optional<uint8_t> SymbolDataToSilentChar(uint64_t data);
std::optional<uint64_t> SilentCharToSymbolData(uint8_t silentChar);
std::optional<C::ProtocolFmt2Enable> SymbolDataToFmt2Enable(uint64_t data);
std::optional<uint64_t> Fmt2EnableToSymbolData(C::ProtocolFmt2Enable value);
// Packet start and end marks: any byte but 0x00 and 0x7E, the unit's command character.
std::optional<uint8_t> SymbolDataToPacketCode(uint64_t data);
std::optional<uint64_t> PacketCodeToSymbolData(uint8_t code);
// Bytes after the end mark: 0 to 9; an erased 255 reads as 0.
std::optional<uint8_t> SymbolDataToPacketOffset(uint64_t data);
std::optional<uint64_t> PacketOffsetToSymbolData(uint8_t offset);
std::optional<C::ProtocolDeviEnable> SymbolDataToDeviEnable(uint64_t data);
std::optional<uint64_t> DeviEnableToSymbolData(C::ProtocolDeviEnable value);
// Address offset 0 to 99, address length 0 to 6; an erased 255 reads as 0.
std::optional<uint8_t> SymbolDataToAddressOffset(uint64_t data);
std::optional<uint64_t> AddressOffsetToSymbolData(uint8_t offset);
std::optional<uint8_t> SymbolDataToAddressLength(uint64_t data);
std::optional<uint64_t> AddressLengthToSymbolData(uint8_t length);
// Address and check-code formats; an erased 255 reads as DecimalNumber.
std::optional<C::ProtocolFormat> SymbolDataToFormat(uint64_t data);
std::optional<uint64_t> FormatToSymbolData(C::ProtocolFormat format);
std::optional<uint32_t> SymbolDataToBcastAddr(uint64_t data);
std::optional<uint64_t> BcastAddrToSymbolData(uint32_t address);
std::optional<C::ProtocolMethod> SymbolDataToCheckMethod(uint64_t data);
std::optional<uint64_t> CheckMethodToSymbolData(C::ProtocolMethod method);
std::optional<C::ProtocolCheckCode> SymbolDataToCheckCode(uint64_t data);
std::optional<uint64_t> CheckCodeToSymbolData(C::ProtocolCheckCode code);
// Check-code offset -99 to 99, stored with a bias of 100; an erased 255 reads as 0.
std::optional<int32_t> SymbolDataToCheckOffset(uint64_t data);
std::optional<uint64_t> CheckOffsetToSymbolData(int32_t offset);
// Check-code length 1 to 4; an erased 255 reads as 0.
std::optional<uint8_t> SymbolDataToCheckLength(uint64_t data);
std::optional<uint64_t> CheckLengthToSymbolData(uint8_t length);
std::optional<C::BindingType> SymbolDataToBindType(uint64_t data);
std::optional<uint64_t> BindTypeToSymbolData(C::BindingType type);

}  // namespace Tormel::Domain::Firmware
