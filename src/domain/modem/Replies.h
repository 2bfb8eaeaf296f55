// SPDX-License-Identifier: MIT
#pragma once

// The RS485 unit's command language as pure text functions: the request codes of each
// setting, the request lines, and the parsers that turn a reply line into a value. A parser
// either returns the value or throws CommandError(ErrCommand) (ErrOutOfRange only where an
// echoed group binding is not a valid mask/key pair). Nothing here touches a port, so the
// contact-I/O unit's commands, the fuzz target and the tests use the same functions.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "domain/common/Binding.h"
#include "domain/common/Communication.h"
#include "domain/common/Nodeinfo.h"
#include "domain/common/Protocol.h"
#include "domain/modem/CommandResult.h"

namespace Tormel::Domain::Modem::Replies {

using Common::BindingEach;
using Common::BindingGroup;
using Common::BindingType;
using Common::Handshake;
using Common::NodeinfoAESEncryptEnable;
using Common::NodeinfoAESEncryptType;
using Common::NodeinfoAutoParamSyncEnable;
using Common::NodeinfoEncryptEnable;
using Common::NodeinfoExtendedGroup;
using Common::NodeinfoWhiteningEnable;
using Common::Parity;
using Common::ProtocolCheckCode;
using Common::ProtocolDeviEnable;
using Common::ProtocolFmt2Enable;
using Common::ProtocolFormat;
using Common::ProtocolMethod;
using Common::ProtocolThrough;
using Common::StopBits;

// The unit keeps two packet formats; their commands and replies differ only by a "2".
enum class PacketFormat { First, Second };

// ---- Request codes: record value -> the small decimal the unit expects; nullopt when
// ---- the value has no code (the writer then refuses it with ErrOutOfRange).
std::optional<int> BaudRateCode(
    int32_t baudRate);  // 76800 -> 7; whether the unit takes it is the caller's test
std::optional<int> DataBitsCode(int32_t dataBits);
std::optional<int> ParityCode(Parity parity);
std::optional<int> StopBitsCode(StopBits stopBits);
std::optional<int> IntfPortCode(int32_t intfPort);
std::optional<int> FlowControlCode(Handshake handshake);
std::optional<int> FormatCode(ProtocolFormat format);
std::optional<int> MethodCode(ProtocolMethod method);
std::optional<int> CheckCodeCode(ProtocolCheckCode code);
// Switches whose request code is the enumeration's own value (1 = Disable, 2 = Enable, ...).
std::optional<int> SwitchCode(int32_t value, int32_t lowest, int32_t highest);

// ---- Word replies (exact, case-sensitive).
int32_t ParseBaudRate(std::string_view line);
int32_t ParseDataBits(std::string_view line);
Parity ParseParity(std::string_view line);
StopBits ParseStopBits(std::string_view line);
int32_t ParseIntfPort(std::string_view line);
Handshake ParseFlowControl(std::string_view line);
NodeinfoAutoParamSyncEnable ParseAutoParamSync(std::string_view line);
NodeinfoExtendedGroup ParseExtendedGroup(std::string_view line);
NodeinfoAESEncryptEnable ParseAESEncryptEnable(std::string_view line);
NodeinfoAESEncryptType ParseAESEncryptType(std::string_view line);
// The newer module generation answers with the network-encryption words.
NodeinfoEncryptEnable ParseEncryptEnable(std::string_view line, bool newerModule);
NodeinfoWhiteningEnable ParseWhitening(std::string_view line);
ProtocolThrough ParseThroughMode(std::string_view line);
ProtocolFmt2Enable ParseFmt2Enable(std::string_view line);
ProtocolDeviEnable ParseDeviEnable(std::string_view line);
BindingType ParseBindType(std::string_view line);
// The interface the tool talks through: "INVALID" 0, "UART" 1, "USB" 2.
int32_t ParseCmdIF(std::string_view line);
// Fails with ErrCommand unless line is exactly expected.
void ExpectLine(std::string_view line, std::string_view expected);

// ---- Numeric and composite replies.
struct EndMark {
    uint8_t Mark = 0;
    uint8_t Offset = 0;  // trailing bytes after the end mark
    bool operator==(const EndMark&) const = default;
};
struct Device {
    uint8_t Offset = 0;
    uint8_t Length = 0;
    ProtocolFormat Format{};
    bool operator==(const Device&) const = default;
};
struct Verify {
    ProtocolMethod Method{};
    ProtocolCheckCode Code{};
    int32_t Offset = 0;
    uint8_t Length = 0;
    ProtocolFormat Format{};
    bool operator==(const Verify&) const = default;
};

uint8_t ParseSilentChar(std::string_view line);
uint8_t ParseStx(std::string_view line, PacketFormat which);
EndMark ParseEtx(std::string_view line, PacketFormat which);
Device ParseDevice(std::string_view line, PacketFormat which);
// "chk is disable" alone reads as method None, check code None, offset 0, length 2, decimal.
Verify ParseVerify(std::string_view line);
uint32_t ParseIdOffset(std::string_view line);
uint32_t ParseBcastAddr(std::string_view line);
// Confirmation of one group binding; the echoed mask/key pair must be a valid one.
BindingGroup ParseBindGroupAdded(std::string_view line);
// Confirmation of one individual binding.
BindingEach ParseBindEachAdded(std::string_view line);
// The older encryption key as shown in the listing: eight 16-bit words, word 1 first.
std::array<uint32_t, 8> ParseEncryptKey(std::string_view line);

// The group sizes a binding can name (mask) with the first node id of each group (key).
bool IsValidMaskAndKey(uint8_t mask, uint8_t key);

// One line of a bind listing.
enum class EntryKind {
    Entry,      // a binding
    EmptySlot,  // a group entry with mask and key 0: not a binding, the listing goes on
    NotEntry,   // ends the listing; the line belongs to whatever follows
};
EntryKind ParseGroupListEntry(std::string_view line, BindingGroup& entry);
EntryKind ParseEachListEntry(std::string_view line, BindingEach& entry);

// The bind listing from its first line: the individual listing after "bind each ..."
// headers, else the group listing (any other header is a command error). Replaces only the
// list of the kind listed and returns the line that followed the listing.
std::string ParseBindListing(const std::string& first, const std::function<std::string()>& nextLine,
                             Common::Binding& binding);
std::string ParseGroupListing(const std::string& first, const std::function<std::string()>& nextLine,
                              Common::Binding& binding);
std::string ParseEachListing(const std::string& first, const std::function<std::string()>& nextLine,
                             Common::Binding& binding);

// ---- Requests.
// "~NAME={value}" with the value in decimal.
std::string SetRequest(std::string_view name, long long value);
std::string StxRequest(PacketFormat which, uint8_t mark);
std::string EtxRequest(PacketFormat which, uint8_t mark, int trailingBytes);
std::string DeviceRequest(PacketFormat which, int offset, int length, int formatCode);
std::string BindGroupRequest(int nodeId, uint8_t mask, uint8_t key);
std::string BindEachRequest(int nodeId, int unitId);
std::string VerifyRequest(int methodCode, int checkCodeCode, int offset, int length, int formatCode);
// The key requests; nullopt when a key word does not fit in 16 bits.
std::optional<std::string> AESKeyRequest(const Common::Nodeinfo& node);
std::optional<std::string> EncryptKeyRequest(const Common::Nodeinfo& node);

// ---- The "~ALLPARAM?" listing.
// Which parts of the listing the unit sends, from its version and module generation.
struct ListingGates {
    bool Over2_5 = false;      // interface port line
    bool Under2_4 = false;     // flow control, two filler lines, check code
    bool Over2_2 = false;      // bind type and grouping
    bool Is2_1 = false;        // bind type always reads as group
    bool NewerModule = false;  // no key line; network-encryption words
};

// A listing parsed from consecutive reply lines. nextLine gives the next line of the
// unit's listing (or throws when there is none). The records are filled field by field as
// the lines arrive, so a failure leaves them as far as they were read.
void ParseAllParamListing(const std::function<std::string()>& nextLine, const ListingGates& gates,
                          Common::Communication& communication, Common::Protocol& protocol,
                          Common::Binding& binding, Common::Nodeinfo& nodeinfo);

// A unit listing more bindings than this is taken as a faulty reply rather than read forever.
inline constexpr size_t kMaxListedBindings = 256;

}  // namespace Tormel::Domain::Modem::Replies
