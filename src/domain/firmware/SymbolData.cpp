// SPDX-License-Identifier: MIT
#include "domain/firmware/SymbolData.h"

#include <algorithm>
#include <utility>

namespace Tormel::Domain::Firmware {

namespace {

// An erased flash or EEPROM cell reads 0xFF; several parameters take it as their zero value.
constexpr uint64_t kErased = 255;

template <typename T>
using CodeTable = std::initializer_list<std::pair<uint64_t, T>>;

template <typename T>
std::optional<T> Decode(CodeTable<T> table, uint64_t data) {
    const auto row = std::find_if(table.begin(), table.end(), [&](const auto& r) { return r.first == data; });
    return row == table.end() ? std::nullopt : std::optional<T>(row->second);
}

template <typename T>
std::optional<uint64_t> Encode(CodeTable<T> table, T value) {
    const auto row =
        std::find_if(table.begin(), table.end(), [&](const auto& r) { return r.second == value; });
    return row == table.end() ? std::nullopt : std::optional<uint64_t>(row->first);
}

template <typename T>
std::optional<T> DecodeRange(uint64_t data, uint64_t low, uint64_t high) {
    if (data < low || data > high) {
        return std::nullopt;
    }
    return static_cast<T>(data);
}

// For the rows where an erased cell stands for 0. A field value 0 is still stored as 0.
template <typename T>
std::optional<T> DecodeRangeOrErased(uint64_t data, uint64_t low, uint64_t high) {
    if (data == kErased) {
        return T{0};
    }
    return DecodeRange<T>(data, low, high);
}

std::optional<uint64_t> EncodeRange(int64_t value, int64_t low, int64_t high) {
    if (value < low || value > high) {
        return std::nullopt;
    }
    return static_cast<uint64_t>(value);
}

using C::BindingType;
using C::Handshake;
using C::NodeinfoAESEncryptEnable;
using C::NodeinfoAESEncryptType;
using C::NodeinfoAutoParamSyncEnable;
using C::NodeinfoEncryptEnable;
using C::NodeinfoExtendedGroup;
using C::NodeinfoWhiteningEnable;
using C::Parity;
using C::ProtocolCheckCode;
using C::ProtocolDeviEnable;
using C::ProtocolFmt2Enable;
using C::ProtocolFormat;
using C::ProtocolMethod;
using C::ProtocolThrough;
using C::StopBits;

// The firmware stores bit rates in hundreds of bit/s.
const CodeTable<int32_t> kBaudRates = {{24, 2400},   {48, 4800},   {96, 9600},   {192, 19200},
                                       {384, 38400}, {576, 57600}, {768, 76800}, {1152, 115200}};
const CodeTable<int32_t> kDataBits = {{1, 8}, {2, 7}};
const CodeTable<Parity> kParities = {{1, Parity::None}, {2, Parity::Even}, {3, Parity::Odd}};
const CodeTable<StopBits> kStopBits = {{1, StopBits::One}, {2, StopBits::Two}};
const CodeTable<int32_t> kIntfPorts = {{1, 1}, {2, 2}};
const CodeTable<Handshake> kFlowControls = {
    {1, Handshake::None}, {2, Handshake::XOnXOff}, {3, Handshake::RequestToSend}};
const CodeTable<NodeinfoAutoParamSyncEnable> kSyncParams = {{1, NodeinfoAutoParamSyncEnable::Disable},
                                                            {2, NodeinfoAutoParamSyncEnable::Enable}};
const CodeTable<NodeinfoExtendedGroup> kExtendedGroups = {{1, NodeinfoExtendedGroup::Disable},
                                                          {2, NodeinfoExtendedGroup::Enable}};
const CodeTable<NodeinfoAESEncryptEnable> kAESEnables = {{1, NodeinfoAESEncryptEnable::Disable},
                                                         {2, NodeinfoAESEncryptEnable::Enable}};
const CodeTable<NodeinfoAESEncryptType> kAESTypes = {{1, NodeinfoAESEncryptType::AES128},
                                                     {2, NodeinfoAESEncryptType::AES256}};
const CodeTable<NodeinfoWhiteningEnable> kWhitenings = {{0, NodeinfoWhiteningEnable::Disable},
                                                        {1, NodeinfoWhiteningEnable::Enable}};
const CodeTable<NodeinfoEncryptEnable> kEncryptEnables = {{1, NodeinfoEncryptEnable::Disable},
                                                          {2, NodeinfoEncryptEnable::Enable}};
const CodeTable<ProtocolThrough> kThroughModes = {
    {1, ProtocolThrough::Mark}, {2, ProtocolThrough::Time}, {3, ProtocolThrough::Size}};
const CodeTable<ProtocolFmt2Enable> kFmt2Enables = {{1, ProtocolFmt2Enable::Disable},
                                                    {2, ProtocolFmt2Enable::Enable}};
const CodeTable<ProtocolDeviEnable> kDeviEnables = {
    {1, ProtocolDeviEnable::Disable}, {2, ProtocolDeviEnable::Enable}, {3, ProtocolDeviEnable::Fix}};
// The firmware's own numbering of the formats differs from the records'.
const CodeTable<ProtocolFormat> kFormats = {{0, ProtocolFormat::DecimalNumber},
                                            {2, ProtocolFormat::HexadecimalNumber},
                                            {5, ProtocolFormat::LittleEndian},
                                            {1, ProtocolFormat::BigEndian}};
const CodeTable<ProtocolMethod> kCheckMethods = {
    {1, ProtocolMethod::None}, {2, ProtocolMethod::Bcc}, {3, ProtocolMethod::Crc}, {4, ProtocolMethod::Sum}};
const CodeTable<ProtocolCheckCode> kCheckCodes = {{1, ProtocolCheckCode::None},
                                                  {2, ProtocolCheckCode::StartCode}};
const CodeTable<BindingType> kBindTypes = {{1, BindingType::Group}, {2, BindingType::Each}};

constexpr uint64_t kIdOffsetUnset = 65535;
constexpr int32_t kCheckOffsetBias = 100;

}  // namespace

std::optional<int32_t> SymbolDataToBaudRate(uint64_t data) { return Decode(kBaudRates, data); }
std::optional<uint64_t> BaudRateToSymbolData(int32_t v) { return Encode(kBaudRates, v); }
std::optional<int32_t> SymbolDataToDataBits(uint64_t data) { return Decode(kDataBits, data); }
std::optional<uint64_t> DataBitsToSymbolData(int32_t v) { return Encode(kDataBits, v); }
std::optional<Parity> SymbolDataToParity(uint64_t data) { return Decode(kParities, data); }
std::optional<uint64_t> ParityToSymbolData(Parity v) { return Encode(kParities, v); }
std::optional<StopBits> SymbolDataToStopBits(uint64_t data) { return Decode(kStopBits, data); }
std::optional<uint64_t> StopBitsToSymbolData(StopBits v) { return Encode(kStopBits, v); }
std::optional<int32_t> SymbolDataToIntfPort(uint64_t data) { return Decode(kIntfPorts, data); }
std::optional<uint64_t> IntfPortToSymbolData(int32_t v) { return Encode(kIntfPorts, v); }
std::optional<Handshake> SymbolDataToFlowControl(uint64_t data) { return Decode(kFlowControls, data); }
std::optional<uint64_t> FlowControlToSymbolData(Handshake v) { return Encode(kFlowControls, v); }

std::optional<int32_t> SymbolDataToAwt(uint64_t data) { return DecodeRange<int32_t>(data, 0, 25); }
std::optional<uint64_t> AwtToSymbolData(int32_t awt) {
    // The unit's own range is enforced when writing to a unit, not in the image.
    return static_cast<uint64_t>(static_cast<uint32_t>(awt) & 0xFFFFu);
}

std::optional<uint32_t> SymbolDataToIdOffset(uint64_t data) {
    if (data == kIdOffsetUnset) {
        return 0u;
    }
    return DecodeRange<uint32_t>(data, 0, 9999);
}
std::optional<uint64_t> IdOffsetToSymbolData(uint32_t v) {
    if (v == kIdOffsetUnset) {
        return 0u;
    }
    return EncodeRange(v, 0, 9999);
}

std::optional<NodeinfoAutoParamSyncEnable> SymbolDataToAutoParamSyncEnable(uint64_t data) {
    return Decode(kSyncParams, data);
}
std::optional<uint64_t> AutoParamSyncEnableToSymbolData(NodeinfoAutoParamSyncEnable v) {
    return Encode(kSyncParams, v);
}
std::optional<NodeinfoExtendedGroup> SymbolDataToExtendedGroup(uint64_t data) {
    return Decode(kExtendedGroups, data);
}
std::optional<uint64_t> ExtendedGroupToSymbolData(NodeinfoExtendedGroup v) {
    return Encode(kExtendedGroups, v);
}
std::optional<NodeinfoAESEncryptEnable> SymbolDataToAESEncryptEnable(uint64_t data) {
    return Decode(kAESEnables, data);
}
std::optional<uint64_t> AESEncryptEnableToSymbolData(NodeinfoAESEncryptEnable v) {
    return Encode(kAESEnables, v);
}
std::optional<NodeinfoAESEncryptType> SymbolDataToAESEncryptType(uint64_t data) {
    return Decode(kAESTypes, data);
}
std::optional<uint64_t> AESEncryptTypeToSymbolData(NodeinfoAESEncryptType v) { return Encode(kAESTypes, v); }
std::optional<NodeinfoWhiteningEnable> SymbolDataToWhitening(uint64_t data) {
    return Decode(kWhitenings, data);
}
std::optional<uint64_t> WhiteningToSymbolData(NodeinfoWhiteningEnable v) { return Encode(kWhitenings, v); }
std::optional<NodeinfoEncryptEnable> SymbolDataToEncryptEnable(uint64_t data) {
    return Decode(kEncryptEnables, data);
}
std::optional<uint64_t> EncryptEnableToSymbolData(NodeinfoEncryptEnable v) {
    return Encode(kEncryptEnables, v);
}
std::optional<uint32_t> SymbolDataToKeyWord(uint64_t data) { return DecodeRange<uint32_t>(data, 0, 0xFFFF); }
std::optional<uint64_t> KeyWordToSymbolData(uint32_t word) { return EncodeRange(word, 0, 0xFFFF); }

std::optional<ProtocolThrough> SymbolDataToThroughMode(uint64_t data) { return Decode(kThroughModes, data); }
std::optional<uint64_t> ThroughModeToSymbolData(ProtocolThrough v) { return Encode(kThroughModes, v); }
std::optional<uint8_t> SymbolDataToSilentChar(uint64_t data) { return DecodeRange<uint8_t>(data, 4, 100); }
std::optional<uint64_t> SilentCharToSymbolData(uint8_t v) { return EncodeRange(v, 4, 100); }
std::optional<ProtocolFmt2Enable> SymbolDataToFmt2Enable(uint64_t data) { return Decode(kFmt2Enables, data); }
std::optional<uint64_t> Fmt2EnableToSymbolData(ProtocolFmt2Enable v) { return Encode(kFmt2Enables, v); }

std::optional<uint8_t> SymbolDataToPacketCode(uint64_t data) {
    if (data == 0x00 || data == 0x7E) {
        return std::nullopt;
    }
    return DecodeRange<uint8_t>(data, 0x01, 0xFF);
}
std::optional<uint64_t> PacketCodeToSymbolData(uint8_t code) {
    if (code == 0x00 || code == 0x7E) {
        return std::nullopt;
    }
    return code;
}
std::optional<uint8_t> SymbolDataToPacketOffset(uint64_t data) {
    return DecodeRangeOrErased<uint8_t>(data, 0, 9);
}
std::optional<uint64_t> PacketOffsetToSymbolData(uint8_t v) { return EncodeRange(v, 0, 9); }
std::optional<ProtocolDeviEnable> SymbolDataToDeviEnable(uint64_t data) { return Decode(kDeviEnables, data); }
std::optional<uint64_t> DeviEnableToSymbolData(ProtocolDeviEnable v) { return Encode(kDeviEnables, v); }
std::optional<uint8_t> SymbolDataToAddressOffset(uint64_t data) {
    return DecodeRangeOrErased<uint8_t>(data, 0, 99);
}
std::optional<uint64_t> AddressOffsetToSymbolData(uint8_t v) { return EncodeRange(v, 0, 99); }
std::optional<uint8_t> SymbolDataToAddressLength(uint64_t data) {
    return DecodeRangeOrErased<uint8_t>(data, 0, 6);
}
std::optional<uint64_t> AddressLengthToSymbolData(uint8_t v) { return EncodeRange(v, 0, 6); }
std::optional<ProtocolFormat> SymbolDataToFormat(uint64_t data) {
    if (data == kErased) {
        return ProtocolFormat::DecimalNumber;
    }
    return Decode(kFormats, data);
}
std::optional<uint64_t> FormatToSymbolData(ProtocolFormat v) { return Encode(kFormats, v); }
std::optional<uint32_t> SymbolDataToBcastAddr(uint64_t data) {
    return DecodeRange<uint32_t>(data, 0, 0xFFFF);
}
std::optional<uint64_t> BcastAddrToSymbolData(uint32_t v) { return EncodeRange(v, 0, 0xFFFF); }
std::optional<ProtocolMethod> SymbolDataToCheckMethod(uint64_t data) { return Decode(kCheckMethods, data); }
std::optional<uint64_t> CheckMethodToSymbolData(ProtocolMethod v) { return Encode(kCheckMethods, v); }
std::optional<ProtocolCheckCode> SymbolDataToCheckCode(uint64_t data) { return Decode(kCheckCodes, data); }
std::optional<uint64_t> CheckCodeToSymbolData(ProtocolCheckCode v) { return Encode(kCheckCodes, v); }

std::optional<int32_t> SymbolDataToCheckOffset(uint64_t data) {
    if (data == kErased) {
        return 0;
    }
    const auto biased = DecodeRange<int32_t>(data, 1, 199);
    if (!biased) {
        return std::nullopt;
    }
    return *biased - kCheckOffsetBias;
}
std::optional<uint64_t> CheckOffsetToSymbolData(int32_t offset) {
    if (offset < -99 || offset > 99) {
        return std::nullopt;
    }
    return static_cast<uint64_t>(offset + kCheckOffsetBias);
}
std::optional<uint8_t> SymbolDataToCheckLength(uint64_t data) {
    return DecodeRangeOrErased<uint8_t>(data, 1, 4);
}
std::optional<uint64_t> CheckLengthToSymbolData(uint8_t v) { return EncodeRange(v, 1, 4); }
std::optional<BindingType> SymbolDataToBindType(uint64_t data) { return Decode(kBindTypes, data); }
std::optional<uint64_t> BindTypeToSymbolData(BindingType v) { return Encode(kBindTypes, v); }

}  // namespace Tormel::Domain::Firmware
