// SPDX-License-Identifier: MIT
#pragma once

#include "domain/common/Wirelessinfo.h"
#include "domain/modem/Command.h"

namespace Tormel::Domain::Modem {

// The radio commands of the contact-I/O unit: channel plan, modulation, channel, node id
// and group id. The readers fill m_wirelessinfo; the writers confirm each value against the
// unit's reply, and the channel, node-id and group-id writers keep the confirmed value. The
// replies are parsed in Replies (ParseChMode and the rest).
class WirelessCommand : public Command {
  public:
    static inline Common::Wirelessinfo m_wirelessinfo{};
    static Common::Wirelessinfo WirelessinfoConfig() { return m_wirelessinfo; }
    static void WirelessinfoConfig(const Common::Wirelessinfo& value) { m_wirelessinfo = value; }

    // This unit always carries the radio block.
    static bool IsSwitchParam() { return true; }

    static void GetChMode();  // "~CHMODE?"
    static void GetOpMode();  // "~OPMODE?"
    static void GetCh();      // "~CH?"
    static void GetNodeId();  // "~ID?"
    static void GetGrpId();   // "~GRP?"

    // The channel plan and the modulation take the unit a while to apply: the reply is read
    // only after the radio-change delay. Both writers only confirm.
    static void SetChMode(Common::WirelessinfoChMode value);
    static void SetOpMode(Common::WirelessinfoOpMode value);
    // Sent without a range check; the confirmation limits them.
    static void SetCh(Common::WirelessinfoCh value);
    static void SetNodeId(Common::WirelessinfoNodeId value);
    static void SetGrpId(Common::WirelessinfoGrpId value);
};

}  // namespace Tormel::Domain::Modem
