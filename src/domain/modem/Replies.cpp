// SPDX-License-Identifier: MIT
#include "domain/modem/Replies.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace Tormel::Domain::Modem::Replies {

namespace {

[[noreturn]] void Mismatch() { throw CommandError(CommandResult::ErrCommand); }

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

// Values beyond this are out of every range here; capping keeps a run of digits of any
// length from overflowing while still reading as out of range.
constexpr int64_t kNumberCap = 1'000'000'000;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A non-empty run of decimal digits making up the whole text.
bool ReadDecimal(std::string_view text, int64_t& value) {
    if (text.empty()) return false;
    value = 0;
    for (char c : text) {
        if (!IsDigit(c)) return false;
        value = std::min<int64_t>(value * 10 + (c - '0'), kNumberCap);
    }
    return true;
}

// Between minDigits and maxDigits hexadecimal digits making up the whole text.
bool ReadHex(std::string_view text, size_t minDigits, size_t maxDigits, uint32_t& value) {
    if (text.size() < minDigits || text.size() > maxDigits) return false;
    value = 0;
    for (char c : text) {
        int digit = HexValue(c);
        if (digit < 0) return false;
        value = value * 16 + static_cast<uint32_t>(digit);
    }
    return true;
}

std::string_view After(std::string_view line, std::string_view prefix) {
    if (line.substr(0, prefix.size()) != prefix) Mismatch();
    return line.substr(prefix.size());
}

// prefix followed by decimal digits up to the end, within [lowest, highest].
int64_t DecimalAfter(std::string_view line, std::string_view prefix, int64_t lowest, int64_t highest) {
    int64_t value = 0;
    if (!ReadDecimal(After(line, prefix), value) || value < lowest || value > highest) Mismatch();
    return value;
}

// As DecimalAfter, with an optional minus sign before the digits.
int64_t SignedAfter(std::string_view line, std::string_view prefix, int64_t lowest, int64_t highest) {
    std::string_view rest = After(line, prefix);
    bool negative = !rest.empty() && rest.front() == '-';
    if (negative) rest.remove_prefix(1);
    int64_t value = 0;
    if (!ReadDecimal(rest, value)) Mismatch();
    if (negative) value = -value;
    if (value < lowest || value > highest) Mismatch();
    return value;
}

uint32_t HexAfter(std::string_view line, std::string_view prefix, size_t maxDigits) {
    uint32_t value = 0;
    if (!ReadHex(After(line, prefix), 1, maxDigits, value)) Mismatch();
    return value;
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
    switch (baudRate) {
        case 2400:
            return 0;
        case 4800:
            return 1;
        case 9600:
            return 2;
        case 19200:
            return 3;
        case 38400:
            return 4;
        case 57600:
            return 5;
        case 115200:
            return 6;
        case 76800:
            return 7;
        default:
            return std::nullopt;
    }
}

std::optional<int> DataBitsCode(int32_t dataBits) {
    if (dataBits == 8) return 1;
    if (dataBits == 7) return 2;
    return std::nullopt;
}

std::optional<int> ParityCode(Parity parity) {
    switch (parity) {
        case Parity::None:
            return 1;
        case Parity::Even:
            return 2;
        case Parity::Odd:
            return 3;
        default:
            return std::nullopt;
    }
}

std::optional<int> StopBitsCode(StopBits stopBits) {
    switch (stopBits) {
        case StopBits::One:
            return 1;
        case StopBits::Two:
            return 2;
        default:
            return std::nullopt;
    }
}

std::optional<int> IntfPortCode(int32_t intfPort) { return SwitchCode(intfPort, 1, 2); }

std::optional<int> FlowControlCode(Handshake handshake) {
    switch (handshake) {
        case Handshake::None:
            return 1;
        case Handshake::XOnXOff:
            return 2;
        case Handshake::RequestToSend:
            return 3;
        default:
            return std::nullopt;
    }
}

std::optional<int> FormatCode(ProtocolFormat format) {
    switch (format) {
        case ProtocolFormat::DecimalNumber:
            return 0;
        case ProtocolFormat::HexadecimalNumber:
            return 2;
        case ProtocolFormat::LittleEndian:
            return 5;
        case ProtocolFormat::BigEndian:
            return 1;
        default:
            return std::nullopt;
    }
}

std::optional<int> MethodCode(ProtocolMethod method) {
    auto value = SwitchCode(static_cast<int32_t>(method), 0, 3);
    return value ? std::optional<int>(*value + 1) : std::nullopt;
}

std::optional<int> CheckCodeCode(ProtocolCheckCode code) {
    auto value = SwitchCode(static_cast<int32_t>(code), 0, 1);
    return value ? std::optional<int>(*value + 1) : std::nullopt;
}

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
    if (!IsValidMaskAndKey(result.Mask, result.Key)) throw CommandError(CommandResult::ErrOutOfRange);
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
    int64_t id = 0;
    uint32_t mask = 0, key = 0;
    std::string_view maskText = line.substr(first + 1, second - first - 1);
    std::string_view keyText = line.substr(second + 1);
    if (!ReadDecimal(line.substr(0, first), id) || id > 99) return EntryKind::NotEntry;
    if (maskText.substr(0, 4) != "m=0x" || !ReadHex(maskText.substr(4), 1, 2, mask))
        return EntryKind::NotEntry;
    if (keyText.substr(0, 4) != "k=0x" || !ReadHex(keyText.substr(4), 1, 2, key)) return EntryKind::NotEntry;
    if (mask == 0 && key == 0) return EntryKind::EmptySlot;
    if (!IsValidMaskAndKey(static_cast<uint8_t>(mask), static_cast<uint8_t>(key))) return EntryKind::NotEntry;
    entry = {static_cast<uint8_t>(id), static_cast<uint8_t>(mask), static_cast<uint8_t>(key)};
    return EntryKind::Entry;
}

EntryKind ParseEachListEntry(std::string_view line, BindingEach& entry) {
    // Two halves "<7-character label><node id>;<7-character label><unit id>"; the labels
    // are the unit's own words and are not compared.
    size_t semicolon = line.find(';');
    if (semicolon == std::string_view::npos) return EntryKind::NotEntry;
    std::string_view halves[2] = {line.substr(0, semicolon), line.substr(semicolon + 1)};
    int64_t values[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        if (halves[i].size() < 7 || !ReadDecimal(halves[i].substr(7), values[i]) || values[i] > 99)
            return EntryKind::NotEntry;
    }
    entry.NodeId = static_cast<uint8_t>(values[0]);
    entry.UnitId = static_cast<uint8_t>(values[1]);
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

std::string DeviceRequest(PacketFormat which, int offset, int length, int formatCode) {
    return (which == PacketFormat::First ? "~DEVI=" : "~DEVI2=") + std::to_string(offset) + "," +
           std::to_string(length) + "," + std::to_string(formatCode);
}

std::string BindGroupRequest(int nodeId, uint8_t mask, uint8_t key) {
    return "~BIND=" + std::to_string(nodeId) + "," + Hex2(mask) + "," + Hex2(key);
}

std::string BindEachRequest(int nodeId, int unitId) {
    return "~BIND=" + std::to_string(nodeId) + "," + std::to_string(unitId);
}

std::string VerifyRequest(int methodCode, int checkCodeCode, int offset, int length, int formatCode) {
    return "~CHK=" + std::to_string(methodCode) + "," + std::to_string(checkCodeCode) + "," +
           std::to_string(offset) + "," + std::to_string(length) + "," + std::to_string(formatCode);
}

std::optional<std::string> AESKeyRequest(const Common::Nodeinfo& node) {
    return KeyRequest<32>("ENCKEY", node, Common::kAESEncryptKeyFields);
}

std::optional<std::string> EncryptKeyRequest(const Common::Nodeinfo& node) {
    return KeyRequest<16>("ENCR", node, Common::kEncryptKeyFields);
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

}  // namespace Tormel::Domain::Modem::Replies
