// SPDX-License-Identifier: MIT
#include "domain/modem/Replies.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <vector>

namespace Tormel::Domain::Modem::Replies {

namespace {

[[noreturn]] void Mismatch() { Fail(CommandResult::ErrCommand); }

template <typename T>
struct Word {
    std::string_view text;
    T value;
};

template <typename T, size_t N>
T MatchWord(std::string_view line, const Word<T> (&table)[N]) {
    for (const auto& word : table)
        if (line == word.text) return word.value;
    Mismatch();
}

// A record value and the request code the unit takes for it.
template <typename T>
struct Code {
    T value;
    int code;
};

template <typename T, size_t N>
std::optional<int> FindCode(T value, const Code<T> (&table)[N]) {
    for (const auto& entry : table)
        if (entry.value == value) return entry.code;
    return std::nullopt;
}

// The whole text as an unsigned number in the given base: one or more digits and nothing
// else (no sign, no space, no "0x"). A run of digits too long for 64 bits is no number either;
// it lies far beyond every range here.
std::optional<uint64_t> Number(std::string_view text, int base = 10) {
    uint64_t value = 0;
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, base);
    if (error != std::errc{} || stop != end) return std::nullopt;
    return value;
}

// A decimal number within [lowest, highest].
std::optional<uint64_t> DecimalIn(std::string_view text, uint64_t lowest, uint64_t highest) {
    const auto value = Number(text);
    if (!value || *value < lowest || *value > highest) return std::nullopt;
    return value;
}

// One to maxDigits hexadecimal digits.
std::optional<uint32_t> Hex(std::string_view text, size_t maxDigits) {
    if (text.size() > maxDigits) return std::nullopt;
    const auto value = Number(text, 16);
    if (!value) return std::nullopt;
    return static_cast<uint32_t>(*value);
}

std::string_view After(std::string_view line, std::string_view prefix) {
    if (!line.starts_with(prefix)) Mismatch();
    return line.substr(prefix.size());
}

// prefix followed by decimal digits up to the end, within [lowest, highest].
uint64_t DecimalAfter(std::string_view line, std::string_view prefix, uint64_t lowest, uint64_t highest) {
    const auto value = DecimalIn(After(line, prefix), lowest, highest);
    if (!value) Mismatch();
    return *value;
}

// As DecimalAfter, with an optional minus sign before the digits.
int64_t SignedAfter(std::string_view line, std::string_view prefix, int64_t lowest, int64_t highest) {
    std::string_view rest = After(line, prefix);
    const bool negative = rest.starts_with('-');
    if (negative) rest.remove_prefix(1);
    const auto magnitude = DecimalIn(rest, 0, static_cast<uint64_t>(std::max(-lowest, highest)));
    if (!magnitude) Mismatch();
    const auto value = static_cast<int64_t>(*magnitude);
    const int64_t signedValue = negative ? -value : value;
    if (signedValue < lowest || signedValue > highest) Mismatch();
    return signedValue;
}

uint32_t HexAfter(std::string_view line, std::string_view prefix, size_t maxDigits) {
    const auto value = Hex(After(line, prefix), maxDigits);
    if (!value) Mismatch();
    return *value;
}

// Packet marks: any byte but 0x00 and the command character "~".
uint8_t MarkAfter(std::string_view line, std::string_view prefix) {
    uint32_t mark = HexAfter(line, prefix, 2);
    if (mark == 0x00 || mark == 0x7E) Mismatch();
    return static_cast<uint8_t>(mark);
}

// Cuts a composite reply at each ","; each later part starts after the ", " separator.
std::vector<std::string_view> SplitParts(std::string_view line, size_t expected) {
    std::vector<std::string_view> parts;
    while (true) {
        size_t comma = line.find(',');
        parts.push_back(line.substr(0, comma));
        if (comma == std::string_view::npos) break;
        if (parts.size() >= expected || comma + 1 >= line.size() || line[comma + 1] != ' ') Mismatch();
        line.remove_prefix(comma + 2);
    }
    if (parts.size() != expected) Mismatch();
    return parts;
}

const Word<ProtocolFormat> kFormatWords[] = {{"format is Ascii 10", ProtocolFormat::DecimalNumber},
                                             {"format is Ascii 16", ProtocolFormat::HexadecimalNumber},
                                             {"format is Binary LE", ProtocolFormat::LittleEndian},
                                             {"format is Binary BE", ProtocolFormat::BigEndian}};
const Word<ProtocolFormat> kFormat2Words[] = {{"format2 is Ascii 10", ProtocolFormat::DecimalNumber},
                                              {"format2 is Ascii 16", ProtocolFormat::HexadecimalNumber},
                                              {"format2 is Binary LE", ProtocolFormat::LittleEndian},
                                              {"format2 is Binary BE", ProtocolFormat::BigEndian}};
const Word<ProtocolMethod> kMethodWords[] = {{"chk is disable", ProtocolMethod::None},
                                             {"chk is BCC", ProtocolMethod::Bcc},
                                             {"chk is CRC", ProtocolMethod::Crc},
                                             {"chk is SUM", ProtocolMethod::Sum}};
const Word<ProtocolCheckCode> kCheckCodeWords[] = {{"stx is not included", ProtocolCheckCode::None},
                                                   {"stx is included", ProtocolCheckCode::StartCode}};

// The names of the two key requests.
constexpr std::string_view kAESKeyCommand = "ENCKEY";
constexpr std::string_view kEncryptKeyCommand = "ENCR";

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return Lower(c); });
    return lower;
}

std::string Hex2(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value & 0xFFu);
    return text;
}

template <size_t Bytes, size_t Words>
std::optional<std::string> KeyRequest(std::string_view name, const Common::Nodeinfo& node,
                                      uint32_t Common::Nodeinfo::*const (&fields)[Words]) {
    static_assert(Bytes == Words * 2);
    std::string request = "~" + std::string(name) + "=";
    for (size_t i = 0; i < Words; ++i) {
        uint32_t word = node.*fields[i];
        if (word > 0xFFFF) return std::nullopt;
        if (i > 0) request += ',';
        request += Hex2(word >> 8);
        request += ',';
        request += Hex2(word & 0xFF);
    }
    return request;
}

}  // namespace

// ---- Request codes.

std::optional<int> BaudRateCode(int32_t baudRate) {
    static const Code<int32_t> codes[] = {{2400, 0},  {4800, 1},  {9600, 2},   {19200, 3},
                                          {38400, 4}, {57600, 5}, {115200, 6}, {76800, 7}};
    return FindCode(baudRate, codes);
}

std::optional<int> DataBitsCode(int32_t dataBits) {
    static const Code<int32_t> codes[] = {{8, 1}, {7, 2}};
    return FindCode(dataBits, codes);
}

std::optional<int> ParityCode(Parity parity) {
    static const Code<Parity> codes[] = {{Parity::None, 1}, {Parity::Even, 2}, {Parity::Odd, 3}};
    return FindCode(parity, codes);
}

std::optional<int> StopBitsCode(StopBits stopBits) {
    static const Code<StopBits> codes[] = {{StopBits::One, 1}, {StopBits::Two, 2}};
    return FindCode(stopBits, codes);
}

std::optional<int> IntfPortCode(int32_t intfPort) { return SwitchCode(intfPort, 1, 2); }

std::optional<int> FlowControlCode(Handshake handshake) {
    static const Code<Handshake> codes[] = {
        {Handshake::None, 1}, {Handshake::XOnXOff, 2}, {Handshake::RequestToSend, 3}};
    return FindCode(handshake, codes);
}

std::optional<int> FormatCode(ProtocolFormat format) {
    static const Code<ProtocolFormat> codes[] = {{ProtocolFormat::DecimalNumber, 0},
                                                 {ProtocolFormat::HexadecimalNumber, 2},
                                                 {ProtocolFormat::LittleEndian, 5},
                                                 {ProtocolFormat::BigEndian, 1}};
    return FindCode(format, codes);
}

std::optional<int> MethodCode(ProtocolMethod method) {
    auto value = SwitchCode(static_cast<int32_t>(method), 0, 3);
    return value ? std::optional<int>(*value + 1) : std::nullopt;
}

std::optional<int> CheckCodeCode(ProtocolCheckCode code) {
    auto value = SwitchCode(static_cast<int32_t>(code), 0, 1);
    return value ? std::optional<int>(*value + 1) : std::nullopt;
}

std::optional<int> AwtCode(int32_t awt) { return SwitchCode(awt, 0, 25); }

std::optional<int> SwitchCode(int32_t value, int32_t lowest, int32_t highest) {
    if (value < lowest || value > highest) return std::nullopt;
    return value;
}

// ---- Word replies.

int32_t ParseBaudRate(std::string_view line) {
    static const Word<int32_t> words[] = {
        {"baudrate is 2400 bps", 2400},     {"baudrate is 4800 bps", 4800},
        {"baudrate is 9600 bps", 9600},     {"baudrate is 19200 bps", 19200},
        {"baudrate is 38400 bps", 38400},   {"baudrate is 57600 bps", 57600},
        {"baudrate is 115200 bps", 115200}, {"baudrate is 76800 bps", 76800}};
    return MatchWord(line, words);
}

int32_t ParseDataBits(std::string_view line) {
    static const Word<int32_t> words[] = {{"databit is 8 bit", 8}, {"databit is 7 bit", 7}};
    return MatchWord(line, words);
}

Parity ParseParity(std::string_view line) {
    static const Word<Parity> words[] = {
        {"parity is none", Parity::None}, {"parity is even", Parity::Even}, {"parity is odd", Parity::Odd}};
    return MatchWord(line, words);
}

StopBits ParseStopBits(std::string_view line) {
    static const Word<StopBits> words[] = {{"stopbit is 1 bit", StopBits::One},
                                           {"stopbit is 2 bit", StopBits::Two}};
    return MatchWord(line, words);
}

int32_t ParseIntfPort(std::string_view line) {
    static const Word<int32_t> words[] = {{"intfport is RS485", 1}, {"intfport is USB", 2}};
    return MatchWord(line, words);
}

Handshake ParseFlowControl(std::string_view line) {
    static const Word<Handshake> words[] = {{"flowctl is disable", Handshake::None},
                                            {"flowctl is Xon/Xoff", Handshake::XOnXOff},
                                            {"flowctl is Rts/Cts", Handshake::RequestToSend}};
    return MatchWord(line, words);
}

NodeinfoAutoParamSyncEnable ParseAutoParamSync(std::string_view line) {
    static const Word<NodeinfoAutoParamSyncEnable> words[] = {
        {"Synchronize Params is disable", NodeinfoAutoParamSyncEnable::Disable},
        {"Synchronize Params is enable", NodeinfoAutoParamSyncEnable::Enable}};
    return MatchWord(line, words);
}

NodeinfoExtendedGroup ParseExtendedGroup(std::string_view line) {
    static const Word<NodeinfoExtendedGroup> words[] = {{"group is fix", NodeinfoExtendedGroup::Disable},
                                                        {"group is extended", NodeinfoExtendedGroup::Enable}};
    return MatchWord(line, words);
}

NodeinfoAESEncryptEnable ParseAESEncryptEnable(std::string_view line) {
    static const Word<NodeinfoAESEncryptEnable> words[] = {
        {"net encryption is disable", NodeinfoAESEncryptEnable::Disable},
        {"net encryption is enable", NodeinfoAESEncryptEnable::Enable}};
    return MatchWord(line, words);
}

NodeinfoAESEncryptType ParseAESEncryptType(std::string_view line) {
    static const Word<NodeinfoAESEncryptType> words[] = {
        {"aesmode is aes128", NodeinfoAESEncryptType::AES128},
        {"aesmode is aes256", NodeinfoAESEncryptType::AES256}};
    return MatchWord(line, words);
}

NodeinfoEncryptEnable ParseEncryptEnable(std::string_view line, bool newerModule) {
    static const Word<NodeinfoEncryptEnable> older[] = {
        {"encrypt is disable", NodeinfoEncryptEnable::Disable},
        {"encrypt is enable", NodeinfoEncryptEnable::Enable}};
    static const Word<NodeinfoEncryptEnable> newer[] = {
        {"net encryption is disable", NodeinfoEncryptEnable::Disable},
        {"net encryption is enable", NodeinfoEncryptEnable::Enable}};
    return newerModule ? MatchWord(line, newer) : MatchWord(line, older);
}

NodeinfoWhiteningEnable ParseWhitening(std::string_view line) {
    static const Word<NodeinfoWhiteningEnable> words[] = {{"whitening off", NodeinfoWhiteningEnable::Disable},
                                                          {"whitening on", NodeinfoWhiteningEnable::Enable}};
    return MatchWord(line, words);
}

ProtocolThrough ParseThroughMode(std::string_view line) {
    static const Word<ProtocolThrough> words[] = {{"thrmode is mark", ProtocolThrough::Mark},
                                                  {"thrmode is time", ProtocolThrough::Time},
                                                  {"thrmode is size", ProtocolThrough::Size}};
    return MatchWord(line, words);
}

ProtocolFmt2Enable ParseFmt2Enable(std::string_view line) {
    static const Word<ProtocolFmt2Enable> words[] = {{"format2 is disable", ProtocolFmt2Enable::Disable},
                                                     {"format2 is enable", ProtocolFmt2Enable::Enable}};
    return MatchWord(line, words);
}

ProtocolDeviEnable ParseDeviEnable(std::string_view line) {
    static const Word<ProtocolDeviEnable> words[] = {{"devi is disable", ProtocolDeviEnable::Disable},
                                                     {"devi is enable", ProtocolDeviEnable::Enable},
                                                     {"devi is fix", ProtocolDeviEnable::Fix}};
    return MatchWord(line, words);
}

BindingType ParseBindType(std::string_view line) {
    static const Word<BindingType> words[] = {{"bind type is group", BindingType::Group},
                                              {"bind type is each", BindingType::Each}};
    return MatchWord(line, words);
}

int32_t ParseCmdIF(std::string_view line) {
    static const Word<int32_t> words[] = {{"INVALID", 0}, {"UART", 1}, {"USB", 2}};
    return MatchWord(line, words);
}

void ExpectLine(std::string_view line, std::string_view expected) {
    if (line != expected) Mismatch();
}

// ---- Numeric and composite replies.

uint8_t ParseSilentChar(std::string_view line) {
    return static_cast<uint8_t>(DecimalAfter(line, "silent interval length is ", 0, 100));
}

uint8_t ParseStx(std::string_view line, PacketFormat which) {
    return MarkAfter(line, which == PacketFormat::First ? "stx is 0x" : "stx2 is 0x");
}

EndMark ParseEtx(std::string_view line, PacketFormat which) {
    bool first = which == PacketFormat::First;
    auto parts = SplitParts(line, 2);
    EndMark result;
    result.Mark = MarkAfter(parts[0], first ? "etx is 0x" : "etx2 is 0x");
    result.Offset = static_cast<uint8_t>(DecimalAfter(parts[1], first ? "offset is " : "offset2 is ", 0, 9));
    return result;
}

Device ParseDevice(std::string_view line, PacketFormat which) {
    bool first = which == PacketFormat::First;
    auto parts = SplitParts(line, 3);
    Device result;
    result.Offset = static_cast<uint8_t>(
        DecimalAfter(parts[0], first ? "dev id offset is " : "dev id offset2 is ", 0, 99));
    result.Length = static_cast<uint8_t>(DecimalAfter(parts[1], first ? "length is " : "length2 is ", 0, 6));
    result.Format = first ? MatchWord(parts[2], kFormatWords) : MatchWord(parts[2], kFormat2Words);
    return result;
}

Verify ParseVerify(std::string_view line) {
    if (line == "chk is disable")
        return {ProtocolMethod::None, ProtocolCheckCode::None, 0, 2, ProtocolFormat::DecimalNumber};
    auto parts = SplitParts(line, 5);
    Verify result;
    result.Method = MatchWord(parts[0], kMethodWords);
    if (result.Method == ProtocolMethod::None) Mismatch();  // "chk is disable" stands alone
    result.Code = MatchWord(parts[1], kCheckCodeWords);
    result.Offset = static_cast<int32_t>(SignedAfter(parts[2], "id offset is ", -99, 99));
    result.Length = static_cast<uint8_t>(DecimalAfter(parts[3], "length is ", 1, 4));
    result.Format = MatchWord(parts[4], kFormatWords);
    return result;
}

uint32_t ParseIdOffset(std::string_view line) {
    // "hundred order is " and one to four digits.
    if (line.size() < 18 || line.size() > 21) Mismatch();
    return static_cast<uint32_t>(DecimalAfter(line, "hundred order is ", 0, 9999));
}

uint32_t ParseBcastAddr(std::string_view line) {
    // "broadcast address is 0x" and one to four hexadecimal digits.
    if (line.size() < 24 || line.size() > 27) Mismatch();
    return HexAfter(line, "broadcast address is 0x", 4);
}

BindingGroup ParseBindGroupAdded(std::string_view line) {
    auto parts = SplitParts(line, 2);
    BindingGroup result;
    result.Id = static_cast<uint8_t>(DecimalAfter(parts[0], "added entry for node id ", 0, 99));
    size_t space = parts[1].find(' ');
    if (space == std::string_view::npos) Mismatch();
    result.Mask = static_cast<uint8_t>(HexAfter(parts[1].substr(0, space), "mask=0x", 2));
    result.Key = static_cast<uint8_t>(HexAfter(parts[1].substr(space + 1), "key=0x", 2));
    if (!IsValidMaskAndKey(result.Mask, result.Key)) Fail(CommandResult::ErrOutOfRange);
    return result;
}

BindingEach ParseBindEachAdded(std::string_view line) {
    auto parts = SplitParts(line, 2);
    BindingEach result;
    result.NodeId = static_cast<uint8_t>(DecimalAfter(parts[0], "added entry for node id ", 0, 99));
    result.UnitId = static_cast<uint8_t>(DecimalAfter(parts[1], "unit id ", 1, 99));
    return result;
}

std::array<uint32_t, 8> ParseEncryptKey(std::string_view line) {
    std::string_view rest = After(line, "encrypt key is ");
    std::array<uint8_t, 16> bytes{};
    for (size_t i = 0; i < bytes.size(); ++i) {
        size_t comma = rest.find(',');
        bool last = i + 1 == bytes.size();
        if (last != (comma == std::string_view::npos)) Mismatch();  // exactly sixteen bytes
        std::string_view field = rest.substr(0, comma);
        bytes[i] = static_cast<uint8_t>(HexAfter(field, "0x", 2));
        if (!last) rest.remove_prefix(comma + 1);
    }
    std::array<uint32_t, 8> words{};
    for (size_t i = 0; i < words.size(); ++i) words[i] = (uint32_t{bytes[2 * i]} << 8) | bytes[2 * i + 1];
    return words;
}

bool IsValidMaskAndKey(uint8_t mask, uint8_t key) {
    // Each mask names a group size; its groups start at multiples of that size, the last
    // one at 0x60 at most (node ids end at 99).
    unsigned size = 0;
    switch (mask) {
        case 0xC0:
            size = 0x40;
            break;
        case 0xE0:
            size = 0x20;
            break;
        case 0xF0:
            size = 0x10;
            break;
        case 0xF8:
            size = 0x08;
            break;
        case 0xFC:
            size = 0x04;
            break;
        default:
            return false;
    }
    return key % size == 0 && key <= 0x60;
}

EntryKind ParseGroupListEntry(std::string_view line, BindingGroup& entry) {
    // node id ":" m=0xMM ":" k=0xKK
    size_t first = line.find(':');
    if (first == std::string_view::npos) return EntryKind::NotEntry;
    size_t second = line.find(':', first + 1);
    if (second == std::string_view::npos || line.find(':', second + 1) != std::string_view::npos)
        return EntryKind::NotEntry;
    const std::string_view maskText = line.substr(first + 1, second - first - 1);
    const std::string_view keyText = line.substr(second + 1);
    const auto id = DecimalIn(line.substr(0, first), 0, 99);
    const auto mask = maskText.starts_with("m=0x") ? Hex(maskText.substr(4), 2) : std::nullopt;
    const auto key = keyText.starts_with("k=0x") ? Hex(keyText.substr(4), 2) : std::nullopt;
    if (!id || !mask || !key) return EntryKind::NotEntry;
    if (*mask == 0 && *key == 0) return EntryKind::EmptySlot;
    if (!IsValidMaskAndKey(static_cast<uint8_t>(*mask), static_cast<uint8_t>(*key)))
        return EntryKind::NotEntry;
    entry = {static_cast<uint8_t>(*id), static_cast<uint8_t>(*mask), static_cast<uint8_t>(*key)};
    return EntryKind::Entry;
}

EntryKind ParseEachListEntry(std::string_view line, BindingEach& entry) {
    // Two halves "<7-character label><node id>;<7-character label><unit id>"; the labels
    // are the unit's own words and are not compared.
    size_t semicolon = line.find(';');
    if (semicolon == std::string_view::npos) return EntryKind::NotEntry;
    std::string_view halves[2] = {line.substr(0, semicolon), line.substr(semicolon + 1)};
    std::optional<uint64_t> values[2];
    for (int i = 0; i < 2; ++i) {
        if (halves[i].size() >= 7) values[i] = DecimalIn(halves[i].substr(7), 0, 99);
        if (!values[i]) return EntryKind::NotEntry;
    }
    entry.NodeId = static_cast<uint8_t>(*values[0]);
    entry.UnitId = static_cast<uint8_t>(*values[1]);
    return EntryKind::Entry;
}

// ---- Requests.

std::string SetRequest(std::string_view name, long long value) {
    return "~" + std::string(name) + "=" + std::to_string(value);
}

std::string StxRequest(PacketFormat which, uint8_t mark) {
    return (which == PacketFormat::First ? "~STX=" : "~STX2=") + Hex2(mark);
}

std::string EtxRequest(PacketFormat which, uint8_t mark, int trailingBytes) {
    return (which == PacketFormat::First ? "~ETX=" : "~ETX2=") + Hex2(mark) + "," +
           std::to_string(trailingBytes);
}

std::string SetRequest(std::string_view name, std::initializer_list<long long> values) {
    std::string request = "~" + std::string(name) + "=";
    std::string_view separator;
    for (const long long value : values) {
        request += separator;
        request += std::to_string(value);
        separator = ",";
    }
    return request;
}

std::string DeviceRequest(PacketFormat which, int offset, int length, int formatCode) {
    return SetRequest(which == PacketFormat::First ? "DEVI" : "DEVI2", {offset, length, formatCode});
}

std::string BindGroupRequest(int nodeId, uint8_t mask, uint8_t key) {
    return "~BIND=" + std::to_string(nodeId) + "," + Hex2(mask) + "," + Hex2(key);
}

std::string BindEachRequest(int nodeId, int unitId) { return SetRequest("BIND", {nodeId, unitId}); }

std::string VerifyRequest(int methodCode, int checkCodeCode, int offset, int length, int formatCode) {
    return SetRequest("CHK", {methodCode, checkCodeCode, offset, length, formatCode});
}

std::optional<std::string> AESKeyRequest(const Common::Nodeinfo& node) {
    return KeyRequest<32>(kAESKeyCommand, node, Common::kAESEncryptKeyFields);
}

std::optional<std::string> EncryptKeyRequest(const Common::Nodeinfo& node) {
    return KeyRequest<16>(kEncryptKeyCommand, node, Common::kEncryptKeyFields);
}

// ---- Key material.

namespace {

constexpr std::string_view kMaskEnd = "key bytes>";

// "<key bytes>" or "<N key bytes>": what MaskKeyMaterial leaves.
bool IsMask(std::string_view text) {
    if (!text.starts_with('<') || !text.ends_with(kMaskEnd)) return false;
    std::string_view count = text.substr(1, text.size() - 1 - kMaskEnd.size());
    if (count.empty()) return true;
    if (!count.ends_with(' ')) return false;
    count.remove_suffix(1);
    return !count.empty() &&
           std::all_of(count.begin(), count.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Where `marker` (lower case) first appears in `line`, whatever the case of its letters.
std::size_t FindFolded(std::string_view line, std::string_view marker) {
    const auto at = std::search(line.begin(), line.end(), marker.begin(), marker.end(),
                                [](char a, char b) { return Lower(a) == b; });
    return at == line.end() ? std::string_view::npos : static_cast<std::size_t>(at - line.begin());
}

// Words only ("set", "invalid parameter") hold no key; nor does a key already masked.
bool HoldsKeyBytes(std::string_view text) {
    if (IsMask(text)) return false;
    return std::any_of(text.begin(), text.end(), [](char c) { return !(c >= 'a' && c <= 'z') && c != ' '; });
}

}  // namespace

std::optional<std::size_t> KeyMaterialAt(std::string_view line, bool answersKeyRequest) {
    // The requests' names (without the "~": a unit may echo a name alone) and the words of the
    // unit's key line.
    static const std::string markers[] = {Lower(kAESKeyCommand) + "=", Lower(kEncryptKeyCommand) + "=",
                                          "key is "};
    std::optional<std::size_t> first;
    bool named = false;
    for (const std::string& marker : markers) {
        const std::size_t at = FindFolded(line, marker);
        if (at == std::string_view::npos) continue;
        named = true;
        const std::size_t key = at + marker.size();
        if (HoldsKeyBytes(line.substr(key)) && (!first || key < *first)) first = key;
    }
    // A line that names the key says where its bytes are; an answer that does not may be the
    // bytes alone.
    if (!named && answersKeyRequest && HoldsKeyBytes(line)) return 0;
    return first;
}

std::string MaskKeyMaterial(std::string_view line, bool answersKeyRequest) {
    const std::optional<std::size_t> at = KeyMaterialAt(line, answersKeyRequest);
    if (!at) return std::string(line);
    const std::string_view key = line.substr(*at);
    const auto bytes = std::count(key.begin(), key.end(), ',') + 1;
    return std::string(line.substr(0, *at)) + (bytes > 1 ? "<" + std::to_string(bytes) + " " : "<") +
           std::string(kMaskEnd);
}

// ---- The listing.

std::string ParseGroupListing(const std::string& first, const std::function<std::string()>& nextLine,
                              Common::Binding& binding) {
    if (first == "bind is no entry") {
        binding.Groups = std::vector<BindingGroup>{};
        return nextLine();
    }
    if (first != "bind entries are") Mismatch();
    std::vector<BindingGroup> groups;
    BindingGroup entry;
    size_t listed = 0;
    std::string line;
    EntryKind kind;
    while ((kind = ParseGroupListEntry(line = nextLine(), entry)) != EntryKind::NotEntry) {
        if (++listed > kMaxListedBindings) Mismatch();
        if (kind == EntryKind::Entry) groups.push_back(entry);
    }
    binding.Groups = std::move(groups);
    return line;
}

std::string ParseEachListing(const std::string& first, const std::function<std::string()>& nextLine,
                             Common::Binding& binding) {
    if (first == "bind each is no entry") {
        binding.Eachs = std::vector<BindingEach>{};
        return nextLine();
    }
    if (first != "bind each entries are") Mismatch();
    std::vector<BindingEach> eachs;
    BindingEach entry;
    std::string line;
    while (ParseEachListEntry(line = nextLine(), entry) == EntryKind::Entry) {
        if (eachs.size() >= kMaxListedBindings) Mismatch();
        eachs.push_back(entry);
    }
    binding.Eachs = std::move(eachs);
    return line;
}

std::string ParseBindListing(const std::string& first, const std::function<std::string()>& nextLine,
                             Common::Binding& binding) {
    if (first == "bind each is no entry" || first == "bind each entries are")
        return ParseEachListing(first, nextLine, binding);
    return ParseGroupListing(first, nextLine, binding);
}

void ParseAllParamListing(const std::function<std::string()>& nextLine, const ListingGates& gates,
                          Common::Communication& communication, Common::Protocol& protocol,
                          Common::Binding& binding, Common::Nodeinfo& nodeinfo) {
    communication.BaudRate = ParseBaudRate(nextLine());
    communication.StopBits = ParseStopBits(nextLine());
    communication.Parity = ParseParity(nextLine());
    communication.DataBits = ParseDataBits(nextLine());
    if (gates.Over2_5) communication.IntfPort = ParseIntfPort(nextLine());
    if (gates.Under2_4) {
        communication.FlowControl = ParseFlowControl(nextLine());
        nextLine();  // two lines the tool has no field for
        nextLine();
    }

    protocol.ThroughMode = ParseThroughMode(nextLine());
    protocol.SilentChar = ParseSilentChar(nextLine());
    protocol.DeviEnable = ParseDeviEnable(nextLine());
    protocol.PacketStartCode = ParseStx(nextLine(), PacketFormat::First);
    EndMark end = ParseEtx(nextLine(), PacketFormat::First);
    protocol.PacketEndCode = end.Mark;
    protocol.PacketOffset = end.Offset;
    Device device = ParseDevice(nextLine(), PacketFormat::First);
    protocol.AddressOffset = device.Offset;
    protocol.AddressLength = device.Length;
    protocol.AddressFormat = device.Format;
    protocol.Fmt2Enable = ParseFmt2Enable(nextLine());
    protocol.PacketStartCode2nd = ParseStx(nextLine(), PacketFormat::Second);
    end = ParseEtx(nextLine(), PacketFormat::Second);
    protocol.PacketEndCode2nd = end.Mark;
    protocol.PacketOffset2nd = end.Offset;
    device = ParseDevice(nextLine(), PacketFormat::Second);
    protocol.AddressOffset2nd = device.Offset;
    protocol.AddressLength2nd = device.Length;
    protocol.AddressFormat2nd = device.Format;
    protocol.BcastAddr = ParseBcastAddr(nextLine());

    std::string line = ParseBindListing(nextLine(), nextLine, binding);

    if (gates.Under2_4) {
        Verify verify = ParseVerify(line);
        protocol.CheckMethod = verify.Method;
        protocol.CheckCode = verify.Code;
        protocol.CheckOffset = verify.Offset;
        protocol.CheckLength = verify.Length;
        protocol.CheckFormat = verify.Format;
        line = nextLine();
    }
    nodeinfo.IdOffset = ParseIdOffset(line);
    nodeinfo.EncryptEnable = ParseEncryptEnable(nextLine(), gates.NewerModule);
    line = nextLine();
    if (!gates.NewerModule) {
        auto words = ParseEncryptKey(line);
        for (size_t i = 0; i < words.size(); ++i) nodeinfo.*Common::kEncryptKeyFields[i] = words[i];
        line = nextLine();
    }
    if (gates.Over2_2 || gates.NewerModule) {
        binding.BindType = gates.Is2_1 ? BindingType::Group : ParseBindType(line);
        nodeinfo.ExtendedGroup = ParseExtendedGroup(nextLine());
    } else {
        binding.BindType = BindingType::Group;
        nodeinfo.ExtendedGroup = NodeinfoExtendedGroup::Disable;
    }
}

// ---- The contact-I/O unit.

std::optional<int> DoBindCode(DidoinfoDoBind value) {
    const auto code = SwitchCode(static_cast<int32_t>(value), 0, 2);
    return code ? std::optional<int>(*code + 1) : std::nullopt;
}

std::optional<int> DoInvertCode(DidoinfoDoInvert value) {
    return SwitchCode(static_cast<int32_t>(value), 0, 1);
}

std::optional<int> DoKeepSignalCode(DidoinfoDoKeepSignal value) {
    return SwitchCode(static_cast<int32_t>(value), 0, 1);
}

int32_t ParseAwt(std::string_view line) {
    static constexpr std::string_view head = "answer wait time is ";
    static constexpr std::string_view tail = " ms ";
    // One to three digits between the fixed words; the line's length tells how many.
    if (line.size() < head.size() + tail.size() + 1 || line.size() > head.size() + tail.size() + 3 ||
        !line.ends_with(tail))
        Mismatch();
    const auto ms = Number(After(line.substr(0, line.size() - tail.size()), head));
    if (!ms) Mismatch();
    // The unit counts in ms; the setting is in 10 ms steps, so 250 to 259 ms read as 25.
    const auto value = static_cast<int32_t>(*ms / 10);
    if (value > 25) Mismatch();
    return value;
}

namespace {

// The one-character values at three fixed positions; a line too short for them does not match.
template <typename T, size_t N>
std::array<T, 3> ThreeAt(std::string_view line, const size_t (&positions)[3], const Word<T> (&letters)[N]) {
    std::array<T, 3> values{};
    for (size_t i = 0; i < 3; ++i) {
        if (positions[i] >= line.size()) Mismatch();
        values[i] = MatchWord(line.substr(positions[i], 1), letters);
    }
    return values;
}

// The value field of a sentence: from `start` up to the last `tail` characters, without the
// spaces around it and with one leading "+" allowed.
std::string_view Field(std::string_view line, size_t start, size_t tail) {
    if (line.size() < start + tail) Mismatch();
    std::string_view text = line.substr(start, line.size() - start - tail);
    while (text.starts_with(' ')) text.remove_prefix(1);
    while (text.ends_with(' ')) text.remove_suffix(1);
    if (text.starts_with('+')) text.remove_prefix(1);
    return text;
}

// A whole decimal number within [low, high]. The delays and the keep time are never
// negative on the unit; a minus is a faulty reply.
template <typename T>
T FieldNumber(std::string_view line, size_t start, size_t tail, uint64_t low, uint64_t high) {
    const auto value = DecimalIn(Field(line, start, tail), low, high);
    if (!value) Mismatch();
    return static_cast<T>(*value);
}

}  // namespace

std::array<DidoinfoDoBind, 3> ParseDoBind(std::string_view line) {
    static const Word<DidoinfoDoBind> inputs[] = {
        {"1", DidoinfoDoBind::DI1}, {"2", DidoinfoDoBind::DI2}, {"3", DidoinfoDoBind::DI3}};
    return ThreeAt(line, {23, 29, 35}, inputs);
}

std::array<DidoinfoDoInvert, 3> ParseDoInvert(std::string_view line) {
    static const Word<DidoinfoDoInvert> forms[] = {{"a", DidoinfoDoInvert::NONINVERT},
                                                   {"b", DidoinfoDoInvert::INVERT}};
    return ThreeAt(line, {15, 21, 27}, forms);
}

DidoinfoDoOffDelay ParseDoOffDelay(std::string_view line) {
    return FieldNumber<DidoinfoDoOffDelay>(line, 18, 5, 0, 1200);
}

DidoinfoDoOnDelay ParseDoOnDelay(std::string_view line) {
    return FieldNumber<DidoinfoDoOnDelay>(line, 17, 5, 0, 1200);
}

DidoinfoDoKeepTime ParseDoKeepTime(std::string_view line) {
    const auto value = FieldNumber<int32_t>(line, 14, 4, 0, 3600);
    if (value != 0 && value < 30) Mismatch();
    return static_cast<DidoinfoDoKeepTime>(value);
}

DidoinfoDoKeepSignal ParseDoKeepSignal(std::string_view line) {
    static const Word<DidoinfoDoKeepSignal> words[] = {{"Keep signal is OFF ", DidoinfoDoKeepSignal::OFF},
                                                       {"Keep signal is ON ", DidoinfoDoKeepSignal::ON}};
    return MatchWord(line, words);
}

DidoinfoDiDelay ParseDiDelay(std::string_view line) {
    // Read as text, not as a binary fraction: ten times 2.3 in floating point is 22.99...,
    // which would truncate to 22 and fail the confirmation of a 23 just written.
    const std::string_view text = Field(line, 18, 4);
    const size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if (whole.empty() && fraction.empty()) Mismatch();
    const auto wholeValue = whole.empty() ? std::optional<uint64_t>(0) : DecimalIn(whole, 0, 10);
    if (!wholeValue ||
        !std::all_of(fraction.begin(), fraction.end(), [](char c) { return c >= '0' && c <= '9'; }))
        Mismatch();
    // Hundredths and below are truncated away.
    const uint64_t tenths =
        *wholeValue * 10 + (fraction.empty() ? 0 : static_cast<uint64_t>(fraction[0] - '0'));
    if (tenths > 100) Mismatch();
    return static_cast<DidoinfoDiDelay>(tenths);
}

WirelessinfoChMode ParseChMode(std::string_view line) {
    // The unit names each plan by the channel range it actually covers (24-38, 33-61).
    static const Word<WirelessinfoChMode> words[] = {
        {"applied ch num range is 24-38", WirelessinfoChMode::CH24to37},
        {"applied ch num range is 33-61", WirelessinfoChMode::CH33to60}};
    return MatchWord(line, words);
}

WirelessinfoOpMode ParseOpMode(std::string_view line) {
    static const Word<WirelessinfoOpMode> words[] = {{"op mode is fsk mode", WirelessinfoOpMode::FSK},
                                                     {"op mode is lora mode", WirelessinfoOpMode::LoRa}};
    return MatchWord(line, words);
}

WirelessinfoCh ParseCh(std::string_view line) {
    return static_cast<WirelessinfoCh>(DecimalAfter(line, "channel is ", 24, 60));
}

WirelessinfoNodeId ParseNodeId(std::string_view line) {
    return static_cast<WirelessinfoNodeId>(DecimalAfter(line, "node id is ", 0, 99));
}

WirelessinfoGrpId ParseGrpId(std::string_view line) {
    return static_cast<WirelessinfoGrpId>(DecimalAfter(line, "group id is ", 0, 65534));
}

}  // namespace Tormel::Domain::Modem::Replies
