// SPDX-License-Identifier: MIT
#include "domain/modem/WirelessCommand.h"

#include <string>

namespace Tormel::Domain::Modem {

using Common::WirelessinfoCh;
using Common::WirelessinfoChMode;
using Common::WirelessinfoGrpId;
using Common::WirelessinfoNodeId;
using Common::WirelessinfoOpMode;

namespace {

[[noreturn]] void Mismatch() { throw CommandError(CommandResult::ErrCommand); }

// "<head><digits>" with nothing after the digits, the number within [low, high].
int32_t DecimalAfter(std::string_view line, std::string_view head, int32_t low, int32_t high) {
    if (line.size() <= head.size() || line.substr(0, head.size()) != head) Mismatch();
    const std::string_view digits = line.substr(head.size());
    int64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') Mismatch();
        value = value * 10 + (c - '0');
        if (value > high) Mismatch();  // also keeps a long run of digits from overflowing
    }
    if (value < low) Mismatch();
    return static_cast<int32_t>(value);
}

// The channel plan and the modulation are applied by the radio before the unit answers.
void SendRadioChange(const std::string& request) {
    Command::Send(request);
    Command::Pause(Command::Timing().RadioChangeDelay);
}

}  // namespace

// ---- parsers ----

WirelessinfoChMode WirelessCommand::ParseChMode(std::string_view line) {
    // The unit names each plan by the channel range it actually covers (24-38, 33-61).
    if (line == "applied ch num range is 24-38") return WirelessinfoChMode::CH24to37;
    if (line == "applied ch num range is 33-61") return WirelessinfoChMode::CH33to60;
    Mismatch();
}

WirelessinfoOpMode WirelessCommand::ParseOpMode(std::string_view line) {
    if (line == "op mode is fsk mode") return WirelessinfoOpMode::FSK;
    if (line == "op mode is lora mode") return WirelessinfoOpMode::LoRa;
    Mismatch();
}

WirelessinfoCh WirelessCommand::ParseCh(std::string_view line) {
    return static_cast<WirelessinfoCh>(DecimalAfter(line, "channel is ", 24, 60));
}

WirelessinfoNodeId WirelessCommand::ParseNodeId(std::string_view line) {
    return static_cast<WirelessinfoNodeId>(DecimalAfter(line, "node id is ", 0, 99));
}

WirelessinfoGrpId WirelessCommand::ParseGrpId(std::string_view line) {
    return static_cast<WirelessinfoGrpId>(DecimalAfter(line, "group id is ", 0, 65534));
}

// ---- readers ----

void WirelessCommand::GetChMode() {
    Send("~CHMODE?");
    m_wirelessinfo.ChMode = ParseChMode(Receive());
}

void WirelessCommand::GetOpMode() {
    Send("~OPMODE?");
    m_wirelessinfo.OpMode = ParseOpMode(Receive());
}

void WirelessCommand::GetCh() {
    Send("~CH?");
    m_wirelessinfo.Ch = ParseCh(Receive());
}

void WirelessCommand::GetNodeId() {
    Send("~ID?");
    m_wirelessinfo.NodeId = ParseNodeId(Receive());
}

void WirelessCommand::GetGrpId() {
    Send("~GRP?");
    m_wirelessinfo.GrpId = ParseGrpId(Receive());
}

// ---- writers ----

void WirelessCommand::SetChMode(WirelessinfoChMode value) {
    const auto code = static_cast<int32_t>(value);
    if (code != 0 && code != 1) throw CommandError(CommandResult::ErrOutOfRange);
    SendRadioChange("~CHMODE=" + std::to_string(code));
    if (ParseChMode(Receive()) != value) Mismatch();
}

void WirelessCommand::SetOpMode(WirelessinfoOpMode value) {
    const auto code = static_cast<int32_t>(value);
    if (code != 0 && code != 1) throw CommandError(CommandResult::ErrOutOfRange);
    SendRadioChange("~OPMODE=" + std::to_string(code));
    if (ParseOpMode(Receive()) != value) Mismatch();
}

void WirelessCommand::SetCh(WirelessinfoCh value) {
    Send("~CH=" + std::to_string(static_cast<int32_t>(value)));
    if (ParseCh(Receive()) != value) Mismatch();
    m_wirelessinfo.Ch = value;
}

void WirelessCommand::SetNodeId(WirelessinfoNodeId value) {
    Send("~ID=" + std::to_string(static_cast<int32_t>(value)));
    if (ParseNodeId(Receive()) != value) Mismatch();
    m_wirelessinfo.NodeId = value;
}

void WirelessCommand::SetGrpId(WirelessinfoGrpId value) {
    Send("~GRP=" + std::to_string(static_cast<int32_t>(value)));
    if (ParseGrpId(Receive()) != value) Mismatch();
    m_wirelessinfo.GrpId = value;
}

}  // namespace Tormel::Domain::Modem
