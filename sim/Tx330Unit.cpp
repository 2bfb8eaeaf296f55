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

std::vector<Reply> HandleTx330(UnitState& state, const UnitState& factory, const std::string& request) {
    Tx330State& s = state.tx330;
    auto& line = state.line;

    if (request == "~CONNECT?") return {{"ok"}};
    if (request == "~NAME?") return {{state.name}};
    if (request == "~VER?") return {{state.version}};

    if (request == "~ALLPARAM?") {
        return {{BaudReply(line.BaudRate)},    {StopBitReply(line.StopBits)}, {ParityReply(line.Parity)},
                {DataBitReply(line.DataBits)}, {IntfReply(line.IntfPort)},    {"flowctl is disable"}};
    }
    if (request == "~CMDIF?") return {{CmdIfReply(s.cmdIf)}};
    if (request == "~NETENCENABLE?") return {{AesEnableReply(s.aesEnable)}};
    if (request == "~AESMODE?") return {{AesModeReply(s.aesMode)}};
    if (request == "~AWT?") return {{AwtReply(s.awtMs)}};
    if (request == "~CHMODE?") return {{ChModeReply(s.chMode)}};
    if (request == "~OPMODE?") return {{OpModeReply(s.opMode)}};
    if (request == "~CH?") return {{"channel is " + std::to_string(s.ch)}};
    if (request == "~ID?") return {{"node id is " + std::to_string(s.nodeId)}};
    if (request == "~GRP?") return {{"group id is " + std::to_string(s.grpId)}};
    if (request == "~BINDDO?") return {{BindReply(s)}};
    if (request == "~CONTACT?") return {{ContactReply(s)}};
    if (request == "~OFFDELAY?") return {{OffDelayReply(s)}};
    if (request == "~ONDELAY?") return {{OnDelayReply(s)}};
    if (request == "~KEEP?") return {{KeepReply(s)}};
    if (request == "~KEEPSIGNAL?") return {{KeepSignalReply(s)}};
    if (request == "~DIDELAY?") return {{DiDelayReply(s)}};

    if (request == "~ENCREST=") {
        s.aesKey.clear();
        return {{"enc reset"}};
    }
    if (request == "~INIT=") {
        state = factory;
        return {{"node was initialized"}};
    }

    const size_t eq = request.find('=');
    if (eq == std::string::npos || request.front() != '~') return {{"unknown command"}};
    const std::string command = request.substr(0, eq + 1);
    const std::string_view args = std::string_view(request).substr(eq + 1);

    if (command == "~ENCKEY=") {
        s.aesKey = std::string(args);
        return {{"enc key is set"}};
    }
    if (command == "~BINDDO=" || command == "~CONTACT=") {
        const auto values = Numbers(args, 3);
        const bool bind = command == "~BINDDO=";
        if (!values) return {{kInvalid}};
        for (int v : *values) {
            if (bind ? !InRange(v, 1, 3) : !InRange(v, 0, 1)) return {{kInvalid}};
        }
        for (int i = 0; i < 3; ++i) (bind ? s.bind : s.invert)[i] = (*values)[i];
        return {{bind ? BindReply(s) : ContactReply(s)}};
    }

    const auto value = Number(args);
    if (!value) return {{kInvalid}};
    const int v = *value;

    if (command == "~BAUD=") {
        if (!InRange(v, 0, 7)) return {{kInvalid}};
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
    if (command == "~AWT=") {
        if (!InRange(v, 0, 25)) return {{kInvalid}};
        s.awtMs = v * 10 + s.awtExtraMs;
        line.Awt = v;
        return {{AwtReply(s.awtMs)}};
    }
    if (command == "~SNCP=") {
        if (!InRange(v, 1, 2)) return {{kInvalid}};
        s.autoSync = v;
        return {{SyncReply(v)}};
    }
    if (command == "~NETENCENABLE=") {
        if (!InRange(v, 1, 2)) return {{kInvalid}};
        s.aesEnable = v;
        return {{AesEnableReply(v)}};
    }
    if (command == "~AESMODE=") {
        if (!InRange(v, 1, 2)) return {{kInvalid}};
        s.aesMode = v;
        return {{AesModeReply(v)}};
    }
    if (command == "~CHMODE=") {
        if (!InRange(v, 0, 1)) return {{kInvalid}};
        s.chMode = v;
        return {{ChModeReply(v)}};
    }
    if (command == "~OPMODE=") {
        if (!InRange(v, 0, 1)) return {{kInvalid}};
        s.opMode = v;
        return {{OpModeReply(v)}};
    }
    if (command == "~CH=") {
        if (!InRange(v, 24, 60)) return {{kInvalid}};
        s.ch = v;
        return {{"channel is " + std::to_string(v)}};
    }
    if (command == "~ID=") {
        if (!InRange(v, 0, 99)) return {{kInvalid}};
        s.nodeId = v;
        return {{"node id is " + std::to_string(v)}};
    }
    if (command == "~GRP=") {
        if (!InRange(v, 0, 65534)) return {{kInvalid}};
        s.grpId = v;
        return {{"group id is " + std::to_string(v)}};
    }
    if (command == "~OFFDELAY=") {
        if (!InRange(v, 0, 1200)) return {{kInvalid}};
        s.offDelay = v;
        return {{OffDelayReply(s)}};
    }
    if (command == "~ONDELAY=") {
        if (!InRange(v, 0, 1200)) return {{kInvalid}};
        s.onDelay = v;
        return {{OnDelayReply(s)}};
    }
    if (command == "~KEEP=") {
        if (v != 0 && !InRange(v, 30, 3600)) return {{kInvalid}};
        s.keepTime = v;
        return {{KeepReply(s)}};
    }
    if (command == "~KEEPSIGNAL=") {
        if (!InRange(v, 0, 1)) return {{kInvalid}};
        s.keepSignal = v;
        return {{KeepSignalReply(s)}};
    }
    if (command == "~DIDELAY=") {
        if (!InRange(v, 0, 100)) return {{kInvalid}};
        s.diDelayTenths = v;
        return {{DiDelayReply(s)}};
    }
    return {{"unknown command"}};
}

}  // namespace Pelnix::Sim
