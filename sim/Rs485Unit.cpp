// SPDX-License-Identifier: MIT
#include "sim/Rs485Unit.h"

#include <charconv>
#include <cstdio>
#include <optional>
#include <string_view>

namespace Pelnix::Sim {
namespace {

using Tormel::Domain::Common::Handshake;
using Tormel::Domain::Common::Parity;
using Tormel::Domain::Common::StopBits;

const std::string kInvalid = "invalid parameter";
const std::string kUnknown = "unknown command";

// The unit's speed table, indexed by the code of "~BAUD=".
constexpr int kBaudRates[] = {2400, 4800, 9600, 19200, 38400, 57600, 115200, 76800};

// The unit's firmware compares its own version numerically.
struct Version {
    int major = 0;
    int minor = 0;
    bool AtLeast(int ma, int mi) const { return major > ma || (major == ma && minor >= mi); }
    bool AtMost(int ma, int mi) const { return major < ma || (major == ma && minor <= mi); }
};

Version ParseVersion(const std::string& text) {
    Version v;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, v.major);
    if (ec == std::errc() && p < end && *p == '.') std::from_chars(p + 1, end, v.minor);
    return v;
}

std::optional<int> Number(std::string_view text, bool allowSign = false) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    if (!allowSign && text.front() == '-') return std::nullopt;
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// "0xHH" with one or two hexadecimal digits.
std::optional<int> HexByte(std::string_view text) {
    if (text.size() < 3 || text.size() > 4 || text.substr(0, 2) != "0x") return std::nullopt;
    int value = 0;
    auto [end, ec] = std::from_chars(text.data() + 2, text.data() + text.size(), value, 16);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::vector<std::string_view> Fields(std::string_view text) {
    std::vector<std::string_view> fields;
    while (true) {
        size_t comma = text.find(',');
        fields.push_back(text.substr(0, comma));
        if (comma == std::string_view::npos) return fields;
        text.remove_prefix(comma + 1);
    }
}

bool InRange(int value, int low, int high) { return value >= low && value <= high; }

std::string Hex2(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value & 0xFF);
    return text;
}

std::string BaudReply(int rate) { return "baudrate is " + std::to_string(rate) + " bps"; }
std::string DataBitReply(int bits) { return "databit is " + std::to_string(bits) + " bit"; }
std::string StopBitReply(StopBits bits) {
    return bits == StopBits::Two ? "stopbit is 2 bit" : "stopbit is 1 bit";
}
std::string ParityReply(Parity parity) {
    switch (parity) {
        case Parity::Even:
            return "parity is even";
        case Parity::Odd:
            return "parity is odd";
        default:
            return "parity is none";
    }
}
std::string IntfReply(int port) { return port == 2 ? "intfport is USB" : "intfport is RS485"; }
std::string FlowReply(Handshake flow) {
    switch (flow) {
        case Handshake::XOnXOff:
            return "flowctl is Xon/Xoff";
        case Handshake::RequestToSend:
            return "flowctl is Rts/Cts";
        default:
            return "flowctl is disable";
    }
}
std::string CmdIfReply(int code) {
    switch (code) {
        case 1:
            return "UART";
        case 2:
            return "USB";
        default:
            return "INVALID";
    }
}
std::string SyncReply(int code) {
    return code == 1 ? "Synchronize Params is disable" : "Synchronize Params is enable";
}
std::string GroupReply(int code) { return code == 2 ? "group is extended" : "group is fix"; }
std::string NetEncReply(int code) {
    return code == 2 ? "net encryption is enable" : "net encryption is disable";
}
std::string AesModeReply(int code) { return code == 2 ? "aesmode is aes256" : "aesmode is aes128"; }
std::string EncryptReply(const Rs485State& s) {
    // The newer modules know only network encryption and report it in its words.
    if (s.newerModule) return NetEncReply(s.aesEnable);
    return s.encryptEnable == 2 ? "encrypt is enable" : "encrypt is disable";
}
std::string WhiteReply(int code) { return code == 1 ? "whitening on" : "whitening off"; }
std::string ThroughReply(int code) {
    return code == 2 ? "thrmode is time" : code == 3 ? "thrmode is size" : "thrmode is mark";
}
std::string Fmt2Reply(int code) { return code == 2 ? "format2 is enable" : "format2 is disable"; }
std::string DeviReply(int code) {
    return code == 2 ? "devi is enable" : code == 3 ? "devi is fix" : "devi is disable";
}
std::string BindTypeReply(int code) { return code == 2 ? "bind type is each" : "bind type is group"; }

// The unit's names of its packet formats, by the code of "~DEVI=" and "~CHK=".
std::optional<std::string> FormatWord(int code) {
    switch (code) {
        case 0:
            return "Ascii 10";
        case 1:
            return "Binary BE";
        case 2:
            return "Ascii 16";
        case 5:
            return "Binary LE";
        default:
            return std::nullopt;
    }
}

std::string StxReply(const Rs485State& s, bool second) {
    return (second ? "stx2 is " : "stx is ") + Hex2(second ? s.stx2 : s.stx);
}
std::string EtxReply(const Rs485State& s, bool second) {
    if (second) return "etx2 is " + Hex2(s.etx2) + ", offset2 is " + std::to_string(s.offset2);
    return "etx is " + Hex2(s.etx) + ", offset is " + std::to_string(s.offset);
}
std::string DeviceReply(const Rs485State& s, bool second) {
    if (second)
        return "dev id offset2 is " + std::to_string(s.devOffset2) + ", length2 is " +
               std::to_string(s.devLength2) + ", format2 is " + *FormatWord(s.devFormat2);
    return "dev id offset is " + std::to_string(s.devOffset) + ", length is " + std::to_string(s.devLength) +
           ", format is " + *FormatWord(s.devFormat);
}
std::string BcastReply(int address) {
    char text[40];
    std::snprintf(text, sizeof text, "broadcast address is 0x%X", address);
    return text;
}
std::string CheckReply(const Rs485State& s) {
    static const char* const methods[] = {"", "disable", "BCC", "CRC", "SUM"};
    if (s.chkMethod == 1) return "chk is disable";
    return std::string("chk is ") + methods[s.chkMethod] +
           (s.chkStx == 2 ? ", stx is included" : ", stx is not included") + ", id offset is " +
           std::to_string(s.chkOffset) + ", length is " + std::to_string(s.chkLength) + ", format is " +
           *FormatWord(s.chkFormat);
}
std::string KeyReply(const Rs485State& s) {
    std::string line = "encrypt key is ";
    for (int i = 0; i < 16; ++i) line += (i ? "," : "") + Hex2(s.encryptKey[i]);
    return line;
}

std::vector<Reply> Listing(const UnitState& state, const Version& version) {
    const Rs485State& s = state.rs485;
    const auto& line = state.line;
    std::vector<Reply> out;
    auto add = [&out](std::string text) { out.push_back({std::move(text)}); };
    add(BaudReply(line.BaudRate));
    add(StopBitReply(line.StopBits));
    add(ParityReply(line.Parity));
    add(DataBitReply(line.DataBits));
    if (version.AtLeast(2, 5)) add(IntfReply(line.IntfPort));
    if (version.AtMost(2, 4)) {
        add(FlowReply(line.FlowControl));
        add("xon code is 0x11");
        add("xoff code is 0x13");
    }
    add(ThroughReply(s.through));
    add("silent interval length is " + std::to_string(s.silent));
    add(DeviReply(s.devi));
    add(StxReply(s, false));
    add(EtxReply(s, false));
    add(DeviceReply(s, false));
    add(Fmt2Reply(s.fmt2));
    add(StxReply(s, true));
    add(EtxReply(s, true));
    add(DeviceReply(s, true));
    add(BcastReply(s.bcast));
    const bool hasBindType = version.AtLeast(2, 2) || s.newerModule;
    if (hasBindType && s.bindType == 2) {
        if (s.eachs.empty()) {
            add("bind each is no entry");
        } else {
            add("bind each entries are");
            for (const auto& e : s.eachs)
                add("nodeid=" + std::to_string(e.nodeId) + ";unitid=" + std::to_string(e.unitId));
        }
    } else if (s.groups.empty()) {
        add("bind is no entry");
    } else {
        add("bind entries are");
        for (const auto& g : s.groups)
            add(std::to_string(g.nodeId) + ":m=" + Hex2(g.mask) + ":k=" + Hex2(g.key));
    }
    if (version.AtMost(2, 4)) add(CheckReply(s));
    add("hundred order is " + std::to_string(s.idOffset));
    add(EncryptReply(s));
    if (!s.newerModule) add(KeyReply(s));
    if (hasBindType) {
        add(BindTypeReply(s.bindType));
        add(GroupReply(s.extendedGroup));
    } else {
        add("end of parameters");
    }
    return out;
}

// Marks may not be 0x00 or the command character, and a packet's start and end must differ.
bool ValidMark(int mark) { return InRange(mark, 1, 0xFF) && mark != 0x7E; }

}  // namespace

UnitState Rs485FactoryState(const std::string& version, bool newerModule, const std::string& firmware) {
    UnitState state;
    state.family = UnitFamily::Rs485;
    state.version = version;
    state.name = (newerModule ? "Tarvic2(920MHz) TX-910A Ver" : "Tarvic(920MHz) TX-710A Ver") + firmware;
    state.line = {9600, 8, Parity::None, StopBits::One, 0, 1, Handshake::None};
    Version fw = ParseVersion(firmware);
    state.rs485 = Rs485State{};
    state.rs485.newerModule = newerModule;
    state.rs485.networkEncryption = newerModule || fw.AtLeast(1, 4);
    state.rs485.whiteningCapable = newerModule && fw.AtLeast(1, 7);
    return state;
}

namespace {

using Replies = std::vector<Reply>;
// A step's answer to a request it handles; nullopt passes the request on to the next step.
using Handled = std::optional<Replies>;

// One request as the unit's firmware sees it: what its version knows, and for a setter the
// command up to "=" and its arguments.
struct Request {
    UnitState& state;
    const UnitState& factory;
    const std::string& text;
    Version version;
    bool over2_5;
    bool under2_4;
    bool hasBindType;
    std::string command;
    std::string_view args;
    std::vector<std::string_view> fields;
};

Replies KnownIf(bool known, std::string reply) {
    return known ? Replies{{std::move(reply)}} : Replies{{kUnknown}};
}

// The queries and the setters without arguments, matched on the whole request.
Handled HandleFixedRequest(Request& r) {
    Rs485State& s = r.state.rs485;
    const std::string& request = r.text;
    if (request == "~CONNECT?") return Replies{{"ok"}};
    if (request == "~NAME?") return Replies{{r.state.name}};
    if (request == "~VER?") return Replies{{r.state.version}};
    if (request == "~ALLPARAM?") return Listing(r.state, r.version);
    if (request == "~CMDIF?") return KnownIf(r.over2_5, CmdIfReply(s.cmdIf));
    if (request == "~STX?") return Replies{{StxReply(s, false)}};
    if (request == "~STX2?") return Replies{{StxReply(s, true)}};
    if (request == "~ETX?") return Replies{{EtxReply(s, false)}};
    if (request == "~ETX2?") return Replies{{EtxReply(s, true)}};
    if (request == "~BTYP?") return KnownIf(r.hasBindType, BindTypeReply(s.bindType));
    if (request == "~NETENCENABLE?") return KnownIf(s.networkEncryption, NetEncReply(s.aesEnable));
    if (request == "~AESMODE?") return KnownIf(s.newerModule, AesModeReply(s.aesMode));
    if (request == "~WHITE?") return KnownIf(s.whiteningCapable, WhiteReply(s.whitening));
    if (request == "~ENCREST=") {
        if (!s.newerModule) return Replies{{kUnknown}};
        s.aesKey.clear();
        return Replies{{"enc reset"}};
    }
    if (request == "~INIT=") {
        int delay = s.initDelayMs;
        r.state = r.factory;
        return Replies{{"node was initialized", delay}};
    }
    if (request == "~BIND=%") {
        s.groups.clear();
        s.eachs.clear();
        return Replies{{"all bind entries are cleared"}};
    }
    return std::nullopt;
}

// The AES key (newer module, 32 bytes) or the maker-specific key (older module, 16 bytes).
Handled HandleKey(Request& r) {
    Rs485State& s = r.state.rs485;
    if (r.command != "~ENCKEY=" && r.command != "~ENCR=") return std::nullopt;
    const bool aes = r.command == "~ENCKEY=";
    if (aes ? !s.newerModule : s.newerModule) return Replies{{kUnknown}};
    if (r.fields.size() != (aes ? 32u : 16u)) return Replies{{kInvalid}};
    int bytes[32] = {};
    for (size_t i = 0; i < r.fields.size(); ++i) {
        auto b = HexByte(r.fields[i]);
        if (!b) return Replies{{kInvalid}};
        bytes[i] = *b;
    }
    if (aes) {
        s.aesKey = std::string(r.args);
        return Replies{{"enc key is set"}};
    }
    for (int i = 0; i < 16; ++i) s.encryptKey[i] = bytes[i];
    return Replies{{"encrypt key is set"}};
}

// A format's start mark, end mark with its offset, and where its packet carries the address.
Handled HandlePacketFormat(Request& r) {
    Rs485State& s = r.state.rs485;
    const auto& fields = r.fields;
    if (r.command == "~STX=" || r.command == "~STX2=") {
        const bool second = r.command == "~STX2=";
        auto mark = fields.size() == 1 ? HexByte(fields[0]) : std::nullopt;
        if (!mark || !ValidMark(*mark) || *mark == (second ? s.etx2 : s.etx)) return Replies{{kInvalid}};
        (second ? s.stx2 : s.stx) = *mark;
        return Replies{{StxReply(s, second)}};
    }
    if (r.command == "~ETX=" || r.command == "~ETX2=") {
        const bool second = r.command == "~ETX2=";
        auto mark = fields.size() == 2 ? HexByte(fields[0]) : std::nullopt;
        auto count = fields.size() == 2 ? Number(fields[1]) : std::nullopt;
        if (!mark || !count || !ValidMark(*mark) || !InRange(*count, 0, 9) ||
            *mark == (second ? s.stx2 : s.stx))
            return Replies{{kInvalid}};
        (second ? s.etx2 : s.etx) = *mark;
        (second ? s.offset2 : s.offset) = *count;
        return Replies{{EtxReply(s, second)}};
    }
    if (r.command == "~DEVI=" || r.command == "~DEVI2=") {
        const bool second = r.command == "~DEVI2=";
        if (fields.size() != 3) return Replies{{kInvalid}};
        auto offset = Number(fields[0]), length = Number(fields[1]), format = Number(fields[2]);
        if (!offset || !length || !format || !InRange(*offset, 0, 99) || !InRange(*length, 0, 6) ||
            !FormatWord(*format))
            return Replies{{kInvalid}};
        (second ? s.devOffset2 : s.devOffset) = *offset;
        (second ? s.devLength2 : s.devLength) = *length;
        (second ? s.devFormat2 : s.devFormat) = *format;
        return Replies{{DeviceReply(s, second)}};
    }
    return std::nullopt;
}

// A binding entry: by group (node, mask, key) or, where the unit has bind types, one by one
// (node, unit).
Handled HandleBindEntry(Request& r) {
    Rs485State& s = r.state.rs485;
    const auto& fields = r.fields;
    if (r.command != "~BIND=") return std::nullopt;
    if (fields.size() == 3) {
        auto node = Number(fields[0]);
        auto mask = HexByte(fields[1]), key = HexByte(fields[2]);
        if (!node || !mask || !key || !InRange(*node, 0, 99)) return Replies{{kInvalid}};
        s.groups.push_back({*node, *mask, *key});
        return Replies{{"added entry for node id " + std::to_string(*node) + ", mask=" + Hex2(*mask) +
                        " key=" + Hex2(*key)}};
    }
    if (fields.size() == 2 && r.hasBindType) {
        auto node = Number(fields[0]), unit = Number(fields[1]);
        if (!node || !unit || !InRange(*node, 0, 99) || !InRange(*unit, 1, 99)) return Replies{{kInvalid}};
        s.eachs.push_back({*node, *unit});
        return Replies{
            {"added entry for node id " + std::to_string(*node) + ", unit id " + std::to_string(*unit)}};
    }
    return Replies{{kInvalid}};
}

// The verification code of units up to 2.4: method, start code included, offset, length, format.
Handled HandleCheckCode(Request& r) {
    Rs485State& s = r.state.rs485;
    const auto& fields = r.fields;
    if (r.command != "~CHK=") return std::nullopt;
    if (!r.under2_4) return Replies{{kUnknown}};
    if (fields.size() != 5) return Replies{{kInvalid}};
    auto method = Number(fields[0]), stx = Number(fields[1]), offset = Number(fields[2], true),
         length = Number(fields[3]), format = Number(fields[4]);
    if (!method || !stx || !offset || !length || !format || !InRange(*method, 1, 4) || !InRange(*stx, 1, 2) ||
        !InRange(*offset, -99, 99) || !InRange(*length, 1, 4) || !FormatWord(*format))
        return Replies{{kInvalid}};
    s.chkMethod = *method;
    s.chkStx = *stx;
    s.chkOffset = *offset;
    s.chkLength = *length;
    s.chkFormat = *format;
    return Replies{{CheckReply(s)}};
}

// The serial line's settings; the unit answers at the old ones and changes after its reply.
Handled HandleLineSetting(Request& r, int v) {
    auto& line = r.state.line;
    const bool newerModule = r.state.rs485.newerModule;
    if (r.command == "~BAUD=") {
        // 76800 bit/s needs the newer radio module.
        if (!InRange(v, 0, newerModule ? 7 : 6)) return Replies{{kInvalid}};
        line.BaudRate = kBaudRates[v];
        return Replies{{BaudReply(line.BaudRate)}};
    }
    if (r.command == "~DBIT=") {
        if (!InRange(v, 1, 2)) return Replies{{kInvalid}};
        line.DataBits = v == 1 ? 8 : 7;
        return Replies{{DataBitReply(line.DataBits)}};
    }
    if (r.command == "~SBIT=") {
        if (!InRange(v, 1, 2)) return Replies{{kInvalid}};
        line.StopBits = v == 1 ? StopBits::One : StopBits::Two;
        return Replies{{StopBitReply(line.StopBits)}};
    }
    if (r.command == "~PARI=") {
        if (!InRange(v, 1, 3)) return Replies{{kInvalid}};
        line.Parity = v == 1 ? Parity::None : v == 2 ? Parity::Even : Parity::Odd;
        return Replies{{ParityReply(line.Parity)}};
    }
    if (r.command == "~INTF=") {
        if (!r.over2_5) return Replies{{kUnknown}};
        if (!InRange(v, 1, 2)) return Replies{{kInvalid}};
        line.IntfPort = v;
        return Replies{{IntfReply(v)}};
    }
    if (r.command == "~FLOW=") {
        if (!r.under2_4) return Replies{{kUnknown}};
        if (!InRange(v, 1, 3)) return Replies{{kInvalid}};
        line.FlowControl = v == 1 ? Handshake::None : v == 2 ? Handshake::XOnXOff : Handshake::RequestToSend;
        return Replies{{FlowReply(line.FlowControl)}};
    }
    return std::nullopt;
}

// One number kept in the unit's state: the command, whether this unit knows it, the values it
// takes, where it is kept and how the unit words its reply.
struct NumberSetting {
    const char* command;
    bool known;
    int low;
    int high;
    int& value;
    std::string (*reply)(const Rs485State&);
};

// The radio node's settings and the packet settings that take one number.
Handled HandleNumberSetting(Request& r, int v) {
    Rs485State& s = r.state.rs485;
    const NumberSetting settings[] = {
        {"~HODR=", true, 0, 9999, s.idOffset,
         [](const Rs485State& u) { return "hundred order is " + std::to_string(u.idOffset); }},
        {"~SNCP=", r.over2_5, 1, 2, s.autoSync, [](const Rs485State& u) { return SyncReply(u.autoSync); }},
        {"~EGRP=", r.hasBindType, 1, 2, s.extendedGroup,
         [](const Rs485State& u) { return GroupReply(u.extendedGroup); }},
        {"~NETENCENABLE=", s.networkEncryption, 1, 2, s.aesEnable,
         [](const Rs485State& u) { return NetEncReply(u.aesEnable); }},
        {"~AESMODE=", s.newerModule, 1, 2, s.aesMode,
         [](const Rs485State& u) { return AesModeReply(u.aesMode); }},
        {"~ENCE=", true, 1, 2, s.encryptEnable, [](const Rs485State& u) { return EncryptReply(u); }},
        {"~WHITE=", s.whiteningCapable, 0, 1, s.whitening,
         [](const Rs485State& u) { return WhiteReply(u.whitening); }},
        {"~THR=", true, 1, 3, s.through, [](const Rs485State& u) { return ThroughReply(u.through); }},
        {"~SLNT=", true, 0, 100, s.silent,
         [](const Rs485State& u) { return "silent interval length is " + std::to_string(u.silent); }},
        {"~FMT2=", true, 1, 2, s.fmt2, [](const Rs485State& u) { return Fmt2Reply(u.fmt2); }},
        {"~DEVE=", true, 1, 3, s.devi, [](const Rs485State& u) { return DeviReply(u.devi); }},
        {"~BCAD=", true, 0, 0xFFFF, s.bcast, [](const Rs485State& u) { return BcastReply(u.bcast); }},
        {"~BTYP=", r.hasBindType, 1, 2, s.bindType,
         [](const Rs485State& u) { return BindTypeReply(u.bindType); }},
    };
    for (const NumberSetting& setting : settings) {
        if (r.command != setting.command) continue;
        if (!setting.known) return Replies{{kUnknown}};
        if (!InRange(v, setting.low, setting.high)) return Replies{{kInvalid}};
        setting.value = v;
        return Replies{{setting.reply(s)}};
    }
    return std::nullopt;
}

// The setters with arguments, each step taking the commands it knows. Past the setters with
// several arguments, an argument that is not one number is refused as invalid before the
// command is looked up, so an unknown command with such an argument is invalid, not unknown.
Replies HandleSetter(Request& r) {
    for (Handled (*step)(Request&) : {HandleKey, HandlePacketFormat, HandleBindEntry, HandleCheckCode}) {
        if (Handled replies = step(r)) return *replies;
    }
    const auto value = r.fields.size() == 1 ? Number(r.args) : std::nullopt;
    if (!value) return {{kInvalid}};
    for (Handled (*step)(Request&, int) : {HandleLineSetting, HandleNumberSetting}) {
        if (Handled replies = step(r, *value)) return *replies;
    }
    return {{kUnknown}};
}

}  // namespace

std::vector<Reply> HandleRs485(UnitState& state, const UnitState& factory, const std::string& request) {
    const Version version = ParseVersion(state.version);
    Request r{state,
              factory,
              request,
              version,
              version.AtLeast(2, 5),
              version.AtMost(2, 4),
              version.AtLeast(2, 2) || state.rs485.newerModule,
              {},
              {},
              {}};
    if (Handled replies = HandleFixedRequest(r)) return *replies;

    const size_t eq = request.find('=');
    if (eq == std::string::npos || request.empty() || request.front() != '~') return {{kUnknown}};
    r.command = request.substr(0, eq + 1);
    r.args = std::string_view(request).substr(eq + 1);
    r.fields = Fields(r.args);
    return HandleSetter(r);
}

}  // namespace Pelnix::Sim
