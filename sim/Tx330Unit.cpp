// SPDX-License-Identifier: MIT
#include "sim/Tx330Unit.h"

#include <charconv>
#include <optional>
#include <string_view>

namespace Pelnix::Sim {
namespace {

using Tormel::Domain::Common::Parity;
using Tormel::Domain::Common::StopBits;

const std::string kInvalid = "invalid parameter";

// The unit's speed table, indexed by the code of "~BAUD=".
constexpr int kBaudRates[] = {2400, 4800, 9600, 19200, 38400, 57600, 115200, 76800};

// A plain decimal argument as the unit's command parser takes it: digits only.
std::optional<int> Number(std::string_view text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.front() == '-') return std::nullopt;
    return value;
}

// Comma-separated decimal arguments; nullopt unless exactly `count` of them parse.
std::optional<std::vector<int>> Numbers(std::string_view text, size_t count) {
    std::vector<int> values;
    while (true) {
        const size_t comma = text.find(',');
        auto value = Number(text.substr(0, comma));
        if (!value) return std::nullopt;
        values.push_back(*value);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    if (values.size() != count) return std::nullopt;
    return values;
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
std::string AwtReply(int ms) { return "answer wait time is " + std::to_string(ms) + " ms "; }
std::string SyncReply(int code) {
    return code == 1 ? "Synchronize Params is disable" : "Synchronize Params is enable";
}
std::string AesEnableReply(int code) {
    return code == 2 ? "net encryption is enable" : "net encryption is disable";
}
std::string AesModeReply(int code) { return code == 2 ? "aesmode is aes256" : "aesmode is aes128"; }
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

std::string ChModeReply(int code) {
    return code == 0 ? "applied ch num range is 24-38" : "applied ch num range is 33-61";
}
std::string OpModeReply(int code) { return code == 1 ? "op mode is lora mode" : "op mode is fsk mode"; }

// The contact block answers in sentences whose values sit at fixed columns.
std::string BindReply(const Tx330State& s) {
    return "do1/do2/do3 bound to DI" + std::to_string(s.bind[0]) + " / DI" + std::to_string(s.bind[1]) +
           " / DI" + std::to_string(s.bind[2]);
}
std::string ContactReply(const Tx330State& s) {
    auto letter = [](int code) { return code == 1 ? "b" : "a"; };
    return std::string("contact is do1=") + letter(s.invert[0]) + " do2=" + letter(s.invert[1]) +
           " do3=" + letter(s.invert[2]);
}
std::string OffDelayReply(const Tx330State& s) {
    return "off delay time is " + std::to_string(s.offDelay) + " msec";
}
std::string OnDelayReply(const Tx330State& s) {
    return "on delay time is " + std::to_string(s.onDelay) + " msec";
}
std::string KeepReply(const Tx330State& s) { return "keep timer is " + std::to_string(s.keepTime) + " sec"; }
std::string KeepSignalReply(const Tx330State& s) {
    return s.keepSignal == 1 ? "Keep signal is ON " : "Keep signal is OFF ";
}
std::string DiDelayReply(const Tx330State& s) {
    return "di filter time is " + std::to_string(s.diDelayTenths / 10) + "." +
           std::to_string(s.diDelayTenths % 10) + " sec";
}

bool InRange(int value, int low, int high) { return value >= low && value <= high; }

}  // namespace

UnitState Tx330FactoryState() {
    UnitState state;
    state.family = UnitFamily::Tx330;
    state.name = "Brenlow TX-330 Ver1.2";
    state.version = "1.2";
    state.tx330 = Tx330State{};
    state.line.Awt = 0;
    state.line.IntfPort = 1;
    return state;
}

namespace {

using Replies = std::vector<Reply>;
// A step's answer to a request it handles; nullopt passes the request on to the next step.
using Handled = std::optional<Replies>;

// The queries and the setters without arguments, matched on the whole request.
Handled HandleFixedRequest(UnitState& state, const UnitState& factory, const std::string& request) {
    const Tx330State& s = state.tx330;
    const auto& line = state.line;
    if (request == "~CONNECT?") return Replies{{"ok"}};
    if (request == "~NAME?") return Replies{{state.name}};
    if (request == "~VER?") return Replies{{state.version}};

    if (request == "~ALLPARAM?") {
        return Replies{{BaudReply(line.BaudRate)}, {StopBitReply(line.StopBits)},
                       {ParityReply(line.Parity)}, {DataBitReply(line.DataBits)},
                       {IntfReply(line.IntfPort)}, {"flowctl is disable"}};
    }
    if (request == "~CMDIF?") return Replies{{CmdIfReply(s.cmdIf)}};
    if (request == "~NETENCENABLE?") return Replies{{AesEnableReply(s.aesEnable)}};
    if (request == "~AESMODE?") return Replies{{AesModeReply(s.aesMode)}};
    if (request == "~AWT?") return Replies{{AwtReply(s.awtMs)}};
    if (request == "~CHMODE?") return Replies{{ChModeReply(s.chMode)}};
    if (request == "~OPMODE?") return Replies{{OpModeReply(s.opMode)}};
    if (request == "~CH?") return Replies{{"channel is " + std::to_string(s.ch)}};
    if (request == "~ID?") return Replies{{"node id is " + std::to_string(s.nodeId)}};
    if (request == "~GRP?") return Replies{{"group id is " + std::to_string(s.grpId)}};
    if (request == "~BINDDO?") return Replies{{BindReply(s)}};
    if (request == "~CONTACT?") return Replies{{ContactReply(s)}};
    if (request == "~OFFDELAY?") return Replies{{OffDelayReply(s)}};
    if (request == "~ONDELAY?") return Replies{{OnDelayReply(s)}};
    if (request == "~KEEP?") return Replies{{KeepReply(s)}};
    if (request == "~KEEPSIGNAL?") return Replies{{KeepSignalReply(s)}};
    if (request == "~DIDELAY?") return Replies{{DiDelayReply(s)}};

    if (request == "~ENCREST=") {
        state.tx330.aesKey.clear();
        return Replies{{"enc reset"}};
    }
    if (request == "~INIT=") {
        state = factory;
        return Replies{{"node was initialized"}};
    }
    return std::nullopt;
}

// The three outputs' bindings to the inputs (1 to 3) or their contact kinds (0 a, 1 b).
Replies HandleContactBlock(Tx330State& s, const std::string& command, std::string_view args) {
    const auto values = Numbers(args, 3);
    const bool bind = command == "~BINDDO=";
    if (!values) return {{kInvalid}};
    for (int v : *values) {
        if (bind ? !InRange(v, 1, 3) : !InRange(v, 0, 1)) return {{kInvalid}};
    }
    for (size_t i = 0; i < 3; ++i) (bind ? s.bind : s.invert)[i] = (*values)[i];
    return {{bind ? BindReply(s) : ContactReply(s)}};
}

// The serial line's settings and the answer wait time; the unit answers at the old line
// settings and changes after its reply.
Handled HandleLineSetting(UnitState& state, const std::string& command, int v) {
    Tx330State& s = state.tx330;
    auto& line = state.line;
    if (command == "~BAUD=") {
        if (!InRange(v, 0, 7)) return Replies{{kInvalid}};
        line.BaudRate = kBaudRates[v];
        return Replies{{BaudReply(line.BaudRate)}};
    }
    if (command == "~DBIT=") {
        if (!InRange(v, 1, 2)) return Replies{{kInvalid}};
        line.DataBits = v == 1 ? 8 : 7;
        return Replies{{DataBitReply(line.DataBits)}};
    }
    if (command == "~SBIT=") {
        if (!InRange(v, 1, 2)) return Replies{{kInvalid}};
        line.StopBits = v == 1 ? StopBits::One : StopBits::Two;
        return Replies{{StopBitReply(line.StopBits)}};
    }
    if (command == "~PARI=") {
        if (!InRange(v, 1, 3)) return Replies{{kInvalid}};
        line.Parity = v == 1 ? Parity::None : v == 2 ? Parity::Even : Parity::Odd;
        return Replies{{ParityReply(line.Parity)}};
    }
    if (command == "~AWT=") {
        if (!InRange(v, 0, 25)) return Replies{{kInvalid}};
        s.awtMs = v * 10 + s.awtExtraMs;
        line.Awt = v;
        return Replies{{AwtReply(s.awtMs)}};
    }
    return std::nullopt;
}

// The radio node: parameter sync, AES, channel plan, modulation, channel, node and group IDs.
Handled HandleRadioSetting(Tx330State& s, const std::string& command, int v) {
    if (command == "~SNCP=") {
        if (!InRange(v, 1, 2)) return Replies{{kInvalid}};
        s.autoSync = v;
        return Replies{{SyncReply(v)}};
    }
    if (command == "~NETENCENABLE=") {
        if (!InRange(v, 1, 2)) return Replies{{kInvalid}};
        s.aesEnable = v;
        return Replies{{AesEnableReply(v)}};
    }
    if (command == "~AESMODE=") {
        if (!InRange(v, 1, 2)) return Replies{{kInvalid}};
        s.aesMode = v;
        return Replies{{AesModeReply(v)}};
    }
    if (command == "~CHMODE=") {
        if (!InRange(v, 0, 1)) return Replies{{kInvalid}};
        s.chMode = v;
        return Replies{{ChModeReply(v)}};
    }
    if (command == "~OPMODE=") {
        if (!InRange(v, 0, 1)) return Replies{{kInvalid}};
        s.opMode = v;
        return Replies{{OpModeReply(v)}};
    }
    if (command == "~CH=") {
        if (!InRange(v, 24, 60)) return Replies{{kInvalid}};
        s.ch = v;
        return Replies{{"channel is " + std::to_string(v)}};
    }
    if (command == "~ID=") {
        if (!InRange(v, 0, 99)) return Replies{{kInvalid}};
        s.nodeId = v;
        return Replies{{"node id is " + std::to_string(v)}};
    }
    if (command == "~GRP=") {
        if (!InRange(v, 0, 65534)) return Replies{{kInvalid}};
        s.grpId = v;
        return Replies{{"group id is " + std::to_string(v)}};
    }
    return std::nullopt;
}

// The outputs' timing: off and on delays, the hold timer and the signal after it, the input
// filter.
Handled HandleOutputTiming(Tx330State& s, const std::string& command, int v) {
    if (command == "~OFFDELAY=") {
        if (!InRange(v, 0, 1200)) return Replies{{kInvalid}};
        s.offDelay = v;
        return Replies{{OffDelayReply(s)}};
    }
    if (command == "~ONDELAY=") {
        if (!InRange(v, 0, 1200)) return Replies{{kInvalid}};
        s.onDelay = v;
        return Replies{{OnDelayReply(s)}};
    }
    if (command == "~KEEP=") {
        if (v != 0 && !InRange(v, 30, 3600)) return Replies{{kInvalid}};
        s.keepTime = v;
        return Replies{{KeepReply(s)}};
    }
    if (command == "~KEEPSIGNAL=") {
        if (!InRange(v, 0, 1)) return Replies{{kInvalid}};
        s.keepSignal = v;
        return Replies{{KeepSignalReply(s)}};
    }
    if (command == "~DIDELAY=") {
        if (!InRange(v, 0, 100)) return Replies{{kInvalid}};
        s.diDelayTenths = v;
        return Replies{{DiDelayReply(s)}};
    }
    return std::nullopt;
}

}  // namespace

std::vector<Reply> HandleTx330(UnitState& state, const UnitState& factory, const std::string& request) {
    if (Handled replies = HandleFixedRequest(state, factory, request)) return *replies;

    const size_t eq = request.find('=');
    if (eq == std::string::npos || request.front() != '~') return {{"unknown command"}};
    const std::string command = request.substr(0, eq + 1);
    const std::string_view args = std::string_view(request).substr(eq + 1);

    if (command == "~ENCKEY=") {
        state.tx330.aesKey = std::string(args);
        return {{"enc key is set"}};
    }
    if (command == "~BINDDO=" || command == "~CONTACT=")
        return HandleContactBlock(state.tx330, command, args);

    // An argument that is not one number is refused before the command is looked up.
    const auto value = Number(args);
    if (!value) return {{kInvalid}};
    if (Handled replies = HandleLineSetting(state, command, *value)) return *replies;
    if (Handled replies = HandleRadioSetting(state.tx330, command, *value)) return *replies;
    if (Handled replies = HandleOutputTiming(state.tx330, command, *value)) return *replies;
    return {{"unknown command"}};
}

}  // namespace Pelnix::Sim
