// SPDX-License-Identifier: MIT
#include "domain/modem/WirelessCommand.h"

#include <string_view>

#include "domain/modem/Exchange.h"
#include "domain/modem/Replies.h"

namespace Tormel::Domain::Modem {

using namespace Common;
using namespace Exchange;

namespace {

// The channel plan and the modulation (code 0 or 1) are applied by the radio before the unit
// answers.
template <typename T>
void WriteRadioChange(std::string_view name, T value, T (*parse)(std::string_view)) {
    const int code = CodeOrRefuse(Replies::SwitchCode(static_cast<int32_t>(value), 0, 1), name,
                                  static_cast<long long>(value));
    Command::Send(Replies::SetRequest(name, code));
    Command::Pause(Command::Timing().RadioChangeDelay);
    Confirm(parse(Command::Receive()), value);
}

}  // namespace

// ---- readers ----

void WirelessCommand::GetChMode() { m_wirelessinfo.ChMode = Replies::ParseChMode(Ask("~CHMODE?")); }

void WirelessCommand::GetOpMode() { m_wirelessinfo.OpMode = Replies::ParseOpMode(Ask("~OPMODE?")); }

void WirelessCommand::GetCh() { m_wirelessinfo.Ch = Replies::ParseCh(Ask("~CH?")); }

void WirelessCommand::GetNodeId() { m_wirelessinfo.NodeId = Replies::ParseNodeId(Ask("~ID?")); }

void WirelessCommand::GetGrpId() { m_wirelessinfo.GrpId = Replies::ParseGrpId(Ask("~GRP?")); }

// ---- writers ----

void WirelessCommand::SetChMode(WirelessinfoChMode value) {
    WriteRadioChange("CHMODE", value, Replies::ParseChMode);
}

void WirelessCommand::SetOpMode(WirelessinfoOpMode value) {
    WriteRadioChange("OPMODE", value, Replies::ParseOpMode);
}

void WirelessCommand::SetCh(WirelessinfoCh value) {
    WriteKept("CH", value, Replies::ParseCh, m_wirelessinfo.Ch);
}

void WirelessCommand::SetNodeId(WirelessinfoNodeId value) {
    WriteKept("ID", value, Replies::ParseNodeId, m_wirelessinfo.NodeId);
}

void WirelessCommand::SetGrpId(WirelessinfoGrpId value) {
    WriteKept("GRP", value, Replies::ParseGrpId, m_wirelessinfo.GrpId);
}

}  // namespace Tormel::Domain::Modem
