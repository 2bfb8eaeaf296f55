// SPDX-License-Identifier: MIT
#pragma once

// The units' command language as pure text functions, for both families: the request codes
// of each setting, the request lines, and the parsers that turn a reply line into a value. A
// parser either returns the value or throws CommandError(ErrCommand) (ErrOutOfRange only where
// an echoed group binding is not a valid mask/key pair). The contact-I/O unit shares the
// serial-line, interface and encryption words with the RS485 unit; its own contact, radio and
// answer-wait-time replies are at the end. Nothing here touches a port, so the command sets,
// the fuzz targets and the tests use the same functions.

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "domain/common/Binding.h"
#include "domain/common/Communication.h"
#include "domain/common/Didoinfo.h"
#include "domain/common/Nodeinfo.h"
#include "domain/common/Protocol.h"
#include "domain/common/Wirelessinfo.h"
#include "domain/modem/CommandResult.h"

namespace Tormel::Domain::Modem::Replies {

using Common::BindingEach;
using Common::BindingGroup;
using Common::BindingType;
using Common::DidoinfoDiDelay;
using Common::DidoinfoDoBind;
using Common::DidoinfoDoInvert;
using Common::DidoinfoDoKeepSignal;
using Common::DidoinfoDoKeepTime;
using Common::DidoinfoDoOffDelay;
using Common::DidoinfoDoOnDelay;
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
using Common::WirelessinfoCh;
using Common::WirelessinfoChMode;
using Common::WirelessinfoGrpId;
using Common::WirelessinfoNodeId;
using Common::WirelessinfoOpMode;

// The unit keeps two packet formats; their commands and replies differ only by a "2".
enum class PacketFormat { First, Second };

// ---- Request codes: record value -> the small decimal the unit expects; nullopt when
// ---- the value has no code (the writer then refuses it with ErrOutOfRange).
// 2400 to 115200 bit/s -> 0 to 6, 76800 -> 7 (whether the unit takes it is the caller's test).
std::optional<int> BaudRateCode(int32_t baudRate);
std::optional<int> DataBitsCode(int32_t dataBits);         // 8 -> 1, 7 -> 2
std::optional<int> ParityCode(Parity parity);              // None 1, Even 2, Odd 3
std::optional<int> StopBitsCode(StopBits stopBits);        // One 1, Two 2
std::optional<int> IntfPortCode(int32_t intfPort);         // 1 (RS485) or 2 (USB) as it is
std::optional<int> FlowControlCode(Handshake handshake);   // None 1, XOnXOff 2, RequestToSend 3
std::optional<int> FormatCode(ProtocolFormat format);      // decimal 0, hex 2, LE 5, BE 1
std::optional<int> MethodCode(ProtocolMethod method);      // None 1, Bcc 2, Crc 3, Sum 4
std::optional<int> CheckCodeCode(ProtocolCheckCode code);  // None 1, StartCode 2
// The contact-I/O unit's answer wait time, 0 to 25, is sent as it is.
std::optional<int> AwtCode(int32_t awt);
// Switches whose request code is the enumeration's own value (1 = Disable, 2 = Enable, ...).
std::optional<int> SwitchCode(int32_t value, int32_t lowest, int32_t highest);

// ---- Word replies (exact, case-sensitive), with the words each takes.
int32_t ParseBaudRate(std::string_view line);       // "baudrate is 9600 bps", 2400 to 115200 and 76800
int32_t ParseDataBits(std::string_view line);       // "databit is 8 bit", "databit is 7 bit"
Parity ParseParity(std::string_view line);          // "parity is none", "... even", "... odd"
StopBits ParseStopBits(std::string_view line);      // "stopbit is 1 bit", "stopbit is 2 bit"
int32_t ParseIntfPort(std::string_view line);       // "intfport is RS485" 1, "intfport is USB" 2
Handshake ParseFlowControl(std::string_view line);  // "flowctl is disable", "... Xon/Xoff", "... Rts/Cts"
NodeinfoAutoParamSyncEnable ParseAutoParamSync(std::string_view line);  // "Synchronize Params is enable"
NodeinfoExtendedGroup ParseExtendedGroup(std::string_view line);        // "group is fix", "group is extended"
NodeinfoAESEncryptEnable ParseAESEncryptEnable(std::string_view line);  // "net encryption is enable"
NodeinfoAESEncryptType ParseAESEncryptType(std::string_view line);      // "aesmode is aes128", "... aes256"
// "encrypt is enable"; the newer module generation answers with the network-encryption words.
NodeinfoEncryptEnable ParseEncryptEnable(std::string_view line, bool newerModule);
NodeinfoWhiteningEnable ParseWhitening(std::string_view line);  // "whitening off", "whitening on"
ProtocolThrough ParseThroughMode(std::string_view line);        // "thrmode is mark", "... time", "... size"
ProtocolFmt2Enable ParseFmt2Enable(std::string_view line);      // "format2 is disable", "... enable"
ProtocolDeviEnable ParseDeviEnable(std::string_view line);      // "devi is disable", "... enable", "... fix"
BindingType ParseBindType(std::string_view line);               // "bind type is group", "... each"
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
// The address settings of one packet format, as Protocol holds them.
struct Device {
    uint8_t Offset = 0;
    uint8_t Length = 0;
    ProtocolFormat Format{};
    bool operator==(const Device&) const = default;
};
// The check-code settings, as Protocol holds them (CheckMethod to CheckFormat).
struct Verify {
    ProtocolMethod Method{};
    ProtocolCheckCode Code{};
    int32_t Offset = 0;
    uint8_t Length = 0;
    ProtocolFormat Format{};
    bool operator==(const Verify&) const = default;
};

// The second format's replies say "stx2", "etx2", "offset2", "dev id offset2", "length2", "format2".
uint8_t ParseSilentChar(std::string_view line);               // "silent interval length is 50", 0 to 100
uint8_t ParseStx(std::string_view line, PacketFormat which);  // "stx is 0x02"
EndMark ParseEtx(std::string_view line, PacketFormat which);  // "etx is 0x03, offset is 0"
// "dev id offset is 10, length is 4, format is Binary BE" (or Ascii 10, Ascii 16, Binary LE)
Device ParseDevice(std::string_view line, PacketFormat which);
// "chk is disable" alone reads as method None, check code None, offset 0, length 2, decimal.
Verify ParseVerify(std::string_view line);
uint32_t ParseIdOffset(std::string_view line);   // "hundred order is 1234", 0 to 9999
uint32_t ParseBcastAddr(std::string_view line);  // "broadcast address is 0xFFFF"
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
// "~NAME={v1},{v2},..." with the values in decimal.
std::string SetRequest(std::string_view name, std::initializer_list<long long> values);
std::string StxRequest(PacketFormat which, uint8_t mark);
std::string EtxRequest(PacketFormat which, uint8_t mark, int trailingBytes);
std::string DeviceRequest(PacketFormat which, int offset, int length, int formatCode);
std::string BindGroupRequest(int nodeId, uint8_t mask, uint8_t key);
std::string BindEachRequest(int nodeId, int unitId);
std::string VerifyRequest(int methodCode, int checkCodeCode, int offset, int length, int formatCode);
// The key requests; nullopt when a key word does not fit in 16 bits.
std::optional<std::string> AESKeyRequest(const Common::Nodeinfo& node);
std::optional<std::string> EncryptKeyRequest(const Common::Nodeinfo& node);

// ---- Key material: the encryption keys are the secret a unit holds, and no line of the
// ---- dialogue leaves the link with their bytes.
// Where `line` carries key bytes: from the first byte of the key to the end of the line. A key
// request ("~ENCKEY=", "~ENCR=") and the unit's key line ("encrypt key is ...") carry them
// wherever they stand in the line, in any letter case. `answersKeyRequest` says the line is the
// unit's answer to a key request, which may echo the key in any form: then the whole line
// counts. A plain answer in words ("encrypt key is set") and a key already masked carry none.
std::optional<std::size_t> KeyMaterialAt(std::string_view line, bool answersKeyRequest = false);
// The line with its key material replaced by "<N key bytes>" (N: the bytes the key had).
std::string MaskKeyMaterial(std::string_view line, bool answersKeyRequest = false);

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

// ---- The contact-I/O unit's own replies and codes.

// "answer wait time is N ms ": N (1 to 3 digits) in ms, the value in 10 ms steps (integer
// division), 0 to 25.
int32_t ParseAwt(std::string_view line);

// Contact-block request codes; nullopt when the value has none (the writer refuses it).
std::optional<int> DoBindCode(DidoinfoDoBind value);              // DI1..DI3 -> 1..3
std::optional<int> DoInvertCode(DidoinfoDoInvert value);          // 0 / 1
std::optional<int> DoKeepSignalCode(DidoinfoDoKeepSignal value);  // 0 / 1

// The contact block's replies carry no pattern of their own: the values stand at fixed
// character positions of the unit's sentences, and the words around them are not compared.
// The digits at positions 23, 29 and 35: the inputs driving outputs 1, 2 and 3.
std::array<DidoinfoDoBind, 3> ParseDoBind(std::string_view line);
// The letters at positions 15, 21 and 27: a (make) or b (break) contact.
std::array<DidoinfoDoInvert, 3> ParseDoInvert(std::string_view line);
DidoinfoDoOffDelay ParseDoOffDelay(std::string_view line);  // 0 to 1200
DidoinfoDoOnDelay ParseDoOnDelay(std::string_view line);    // 0 to 1200
DidoinfoDoKeepTime ParseDoKeepTime(std::string_view line);  // 0 or 30 to 3600
DidoinfoDoKeepSignal ParseDoKeepSignal(std::string_view line);
// The input delay in tenths, read digit by digit from the decimal the unit shows ("2.3" is
// 23; further fraction digits are dropped), 0 to 100.
DidoinfoDiDelay ParseDiDelay(std::string_view line);

// The radio block's replies.
WirelessinfoChMode ParseChMode(std::string_view line);
WirelessinfoOpMode ParseOpMode(std::string_view line);
WirelessinfoCh ParseCh(std::string_view line);          // 24 to 60
WirelessinfoNodeId ParseNodeId(std::string_view line);  // 0 to 99
WirelessinfoGrpId ParseGrpId(std::string_view line);    // 0 to 65534

}  // namespace Tormel::Domain::Modem::Replies
