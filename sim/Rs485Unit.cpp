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

std::vector<Reply> HandleRs485(UnitState& state, const UnitState& factory, const std::string& request) {
    Rs485State& s = state.rs485;
    auto& line = state.line;
    const Version version = ParseVersion(state.version);
    const bool over2_5 = version.AtLeast(2, 5);
    const bool under2_4 = version.AtMost(2, 4);
    const bool hasBindType = version.AtLeast(2, 2) || s.newerModule;

    if (request == "~CONNECT?") return {{"ok"}};
    if (request == "~NAME?") return {{state.name}};
    if (request == "~VER?") return {{state.version}};
    if (request == "~ALLPARAM?") return Listing(state, version);
    if (request == "~CMDIF?")
        return over2_5 ? std::vector<Reply>{{CmdIfReply(s.cmdIf)}} : std::vector<Reply>{{kUnknown}};
    if (request == "~STX?") return {{StxReply(s, false)}};
    if (request == "~STX2?") return {{StxReply(s, true)}};
    if (request == "~ETX?") return {{EtxReply(s, false)}};
    if (request == "~ETX2?") return {{EtxReply(s, true)}};
    if (request == "~BTYP?")
        return hasBindType ? std::vector<Reply>{{BindTypeReply(s.bindType)}} : std::vector<Reply>{{kUnknown}};
    if (request == "~NETENCENABLE?")
        return s.networkEncryption ? std::vector<Reply>{{NetEncReply(s.aesEnable)}}
                                   : std::vector<Reply>{{kUnknown}};
    if (request == "~AESMODE?")
        return s.newerModule ? std::vector<Reply>{{AesModeReply(s.aesMode)}} : std::vector<Reply>{{kUnknown}};
    if (request == "~WHITE?")
        return s.whiteningCapable ? std::vector<Reply>{{WhiteReply(s.whitening)}}
                                  : std::vector<Reply>{{kUnknown}};
    if (request == "~ENCREST=") {
        if (!s.newerModule) return {{kUnknown}};
        s.aesKey.clear();
        return {{"enc reset"}};
    }
    if (request == "~INIT=") {
        int delay = s.initDelayMs;
        state = factory;
        return {{"node was initialized", delay}};
    }
    if (request == "~BIND=%") {
        s.groups.clear();
        s.eachs.clear();
        return {{"all bind entries are cleared"}};
    }

    const size_t eq = request.find('=');
    if (eq == std::string::npos || request.empty() || request.front() != '~') return {{kUnknown}};
    const std::string command = request.substr(0, eq + 1);
    const std::string_view args = std::string_view(request).substr(eq + 1);
    const auto fields = Fields(args);

    if (command == "~ENCKEY=" || command == "~ENCR=") {
        const bool aes = command == "~ENCKEY=";
        if (aes ? !s.newerModule : s.newerModule) return {{kUnknown}};
        if (fields.size() != (aes ? 32u : 16u)) return {{kInvalid}};
        int bytes[32] = {};
        for (size_t i = 0; i < fields.size(); ++i) {
            auto b = HexByte(fields[i]);
            if (!b) return {{kInvalid}};
            bytes[i] = *b;
        }
        if (aes) {
            s.aesKey = std::string(args);
            return {{"enc key is set"}};
        }
        for (int i = 0; i < 16; ++i) s.encryptKey[i] = bytes[i];
        return {{"encrypt key is set"}};
    }
    if (command == "~STX=" || command == "~STX2=") {
        const bool second = command == "~STX2=";
        auto mark = fields.size() == 1 ? HexByte(fields[0]) : std::nullopt;
        if (!mark || !ValidMark(*mark) || *mark == (second ? s.etx2 : s.etx)) return {{kInvalid}};
        (second ? s.stx2 : s.stx) = *mark;
        return {{StxReply(s, second)}};
    }
    if (command == "~ETX=" || command == "~ETX2=") {
        const bool second = command == "~ETX2=";
        auto mark = fields.size() == 2 ? HexByte(fields[0]) : std::nullopt;
        auto count = fields.size() == 2 ? Number(fields[1]) : std::nullopt;
        if (!mark || !count || !ValidMark(*mark) || !InRange(*count, 0, 9) ||
            *mark == (second ? s.stx2 : s.stx))
            return {{kInvalid}};
        (second ? s.etx2 : s.etx) = *mark;
        (second ? s.offset2 : s.offset) = *count;
        return {{EtxReply(s, second)}};
    }
    if (command == "~DEVI=" || command == "~DEVI2=") {
        const bool second = command == "~DEVI2=";
        if (fields.size() != 3) return {{kInvalid}};
        auto offset = Number(fields[0]), length = Number(fields[1]), format = Number(fields[2]);
        if (!offset || !length || !format || !InRange(*offset, 0, 99) || !InRange(*length, 0, 6) ||
            !FormatWord(*format))
            return {{kInvalid}};
        (second ? s.devOffset2 : s.devOffset) = *offset;
        (second ? s.devLength2 : s.devLength) = *length;
        (second ? s.devFormat2 : s.devFormat) = *format;
        return {{DeviceReply(s, second)}};
    }
    if (command == "~BIND=") {
        if (fields.size() == 3) {
            auto node = Number(fields[0]);
            auto mask = HexByte(fields[1]), key = HexByte(fields[2]);
            if (!node || !mask || !key || !InRange(*node, 0, 99)) return {{kInvalid}};
            s.groups.push_back({*node, *mask, *key});
            return {{"added entry for node id " + std::to_string(*node) + ", mask=" + Hex2(*mask) +
                     " key=" + Hex2(*key)}};
        }
        if (fields.size() == 2 && hasBindType) {
            auto node = Number(fields[0]), unit = Number(fields[1]);
            if (!node || !unit || !InRange(*node, 0, 99) || !InRange(*unit, 1, 99)) return {{kInvalid}};
            s.eachs.push_back({*node, *unit});
            return {
                {"added entry for node id " + std::to_string(*node) + ", unit id " + std::to_string(*unit)}};
        }
        return {{kInvalid}};
    }
    if (command == "~CHK=") {
        if (!under2_4) return {{kUnknown}};
        if (fields.size() != 5) return {{kInvalid}};
        auto method = Number(fields[0]), stx = Number(fields[1]), offset = Number(fields[2], true),
             length = Number(fields[3]), format = Number(fields[4]);
        if (!method || !stx || !offset || !length || !format || !InRange(*method, 1, 4) ||
            !InRange(*stx, 1, 2) || !InRange(*offset, -99, 99) || !InRange(*length, 1, 4) ||
            !FormatWord(*format))
            return {{kInvalid}};
        s.chkMethod = *method;
        s.chkStx = *stx;
        s.chkOffset = *offset;
        s.chkLength = *length;
        s.chkFormat = *format;
        return {{CheckReply(s)}};
    }

    const auto value = fields.size() == 1 ? Number(args) : std::nullopt;
    if (!value) return {{kInvalid}};
    const int v = *value;

    if (command == "~BAUD=") {
        // 76800 bit/s needs the newer radio module.
        if (!InRange(v, 0, s.newerModule ? 7 : 6)) return {{kInvalid}};
        line.BaudRate = kBaudRates[v];
        return {{BaudReply(line.BaudRate)}};
    }
    if (command == "~DBIT=") {
        if (!InRange(v, 1, 2)) return {{kInvalid}};
        line.DataBits = v == 1 ? 8 : 7;
        return {{DataBitReply(line.DataBits)}};
    }
    if (command == "~SBIT=") {
        if (!InRange(v, 1, 2)) return {{kInvalid}};
        line.StopBits = v == 1 ? StopBits::One : StopBits::Two;
        return {{StopBitReply(line.StopBits)}};
    }
    if (command == "~PARI=") {
        if (!InRange(v, 1, 3)) return {{kInvalid}};
        line.Parity = v == 1 ? Parity::None : v == 2 ? Parity::Even : Parity::Odd;
        return {{ParityReply(line.Parity)}};
    }
    if (command == "~INTF=") {
        if (!over2_5) return {{kUnknown}};
        if (!InRange(v, 1, 2)) return {{kInvalid}};
        line.IntfPort = v;
        return {{IntfReply(v)}};
    }
    if (command == "~FLOW=") {
        if (!under2_4) return {{kUnknown}};
        if (!InRange(v, 1, 3)) return {{kInvalid}};
        line.FlowControl = v == 1 ? Handshake::None : v == 2 ? Handshake::XOnXOff : Handshake::RequestToSend;
        return {{FlowReply(line.FlowControl)}};
    }
    if (command == "~HODR=") {
        if (!InRange(v, 0, 9999)) return {{kInvalid}};
        s.idOffset = v;
        return {{"hundred order is " + std::to_string(v)}};
    }
    if (command == "~SNCP=") {
        if (!over2_5) return {{kUnknown}};
        if (!InRange(v, 1, 2)) return {{kInvalid}};
        s.autoSync = v;
        return {{SyncReply(v)}};
    }
    if (command == "~EGRP=") {
        if (!hasBindType) return {{kUnknown}};
        if (!InRange(v, 1, 2)) return {{kInvalid}};
        s.extendedGroup = v;
        return {{GroupReply(v)}};
    }
    if (command == "~NETENCENABLE=") {
        if (!s.networkEncryption) return {{kUnknown}};
        if (!InRange(v, 1, 2)) return {{kInvalid}};
        s.aesEnable = v;
        return {{NetEncReply(v)}};
    }
    if (command == "~AESMODE=") {
        if (!s.newerModule) return {{kUnknown}};
        if (!InRange(v, 1, 2)) return {{kInvalid}};
        s.aesMode = v;
        return {{AesModeReply(v)}};
    }
    if (command == "~ENCE=") {
        if (!InRange(v, 1, 2)) return {{kInvalid}};
        s.encryptEnable = v;
        return {{EncryptReply(s)}};
    }
    if (command == "~WHITE=") {
        if (!s.whiteningCapable) return {{kUnknown}};
        if (!InRange(v, 0, 1)) return {{kInvalid}};
        s.whitening = v;
        return {{WhiteReply(v)}};
    }
    if (command == "~THR=") {
        if (!InRange(v, 1, 3)) return {{kInvalid}};
        s.through = v;
        return {{ThroughReply(v)}};
    }
    if (command == "~SLNT=") {
        if (!InRange(v, 0, 100)) return {{kInvalid}};
        s.silent = v;
        return {{"silent interval length is " + std::to_string(v)}};
    }
    if (command == "~FMT2=") {
        if (!InRange(v, 1, 2)) return {{kInvalid}};
        s.fmt2 = v;
        return {{Fmt2Reply(v)}};
    }
    if (command == "~DEVE=") {
        if (!InRange(v, 1, 3)) return {{kInvalid}};
        s.devi = v;
        return {{DeviReply(v)}};
    }
    if (command == "~BCAD=") {
        if (!InRange(v, 0, 0xFFFF)) return {{kInvalid}};
        s.bcast = v;
        return {{BcastReply(v)}};
    }
    if (command == "~BTYP=") {
        if (!hasBindType) return {{kUnknown}};
        if (!InRange(v, 1, 2)) return {{kInvalid}};
        s.bindType = v;
        return {{BindTypeReply(v)}};
    }
    return {{kUnknown}};
}

}  // namespace Pelnix::Sim
