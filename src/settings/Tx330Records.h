// SPDX-License-Identifier: MIT
#pragma once

// The contact-I/O unit's records (what the command link reads and writes and what a firmware
// image holds) to and from a settings document, and where a stored channel and group ID fall in
// the form's lists. The window stores its form into a configuration first and the command-line
// program starts from a settings file, so both convert through here and neither needs a widget.

#include <cstdint>
#include <optional>

#include "domain/common/Communication.h"
#include "domain/common/Didoinfo.h"
#include "domain/common/Nodeinfo.h"
#include "domain/common/Wirelessinfo.h"
#include "settings/ApplicationConfig_TX330.h"
#include "settings/ChoiceLists.h"

namespace Tormel::Gui::Tx330Records {

// Channel button and list position of a stored channel. Which list: the low LoRa list
// (comboBox1) or the upper list (comboBox2).
enum class ChannelButton { Fsk, LoRaLow, LoRaHigh };
struct ChannelSelection {
    ChannelButton button;
    int32_t index;  // into comboBox1 for LoRaLow, comboBox2 otherwise
};
// Modulation 0 shows FSK, LoRa with plan 0 the low list (channel 32 falls on "08 (33/34CH)",
// as the list does not offer it), LoRa with plan 1 the upper list; any other pair: nullopt.
std::optional<ChannelSelection> channelSelectionOf(int32_t opMode, int32_t chMode, int32_t ch);
// OpMode, ChMode and Ch of a selection (FSK writes plan 1).
struct ChannelSetting {
    int32_t opMode;
    int32_t chMode;
    int32_t ch;
};
ChannelSetting channelSettingOf(const ChannelSelection& selection);

// A stored group ID as the 16 group digits can show it: 100 to 115.
int32_t clampedGroupId(int32_t grpId);

// Records for the unit from a configuration that passed its check. The node record takes the
// unit's identity from `unit`; an empty key text is key word 0.
Domain::Common::Communication communicationOf(const ApplicationConfig_TX330& config);
Domain::Common::Nodeinfo nodeinfoOf(const ApplicationConfig_TX330& config, int32_t keySetting,
                                    const Domain::Common::Nodeinfo& unit);
Domain::Common::Wirelessinfo wirelessOf(const ApplicationConfig_TX330& config);
Domain::Common::Didoinfo didoOf(const ApplicationConfig_TX330& config);

// A configuration from what a unit reported; nullopt when a serial value has no place in the
// form (a bit rate not offered, an interface or flow control code unknown, a response delay
// above 250 ms). Target, tab and key texts are the caller's. A port code 0 is taken only where
// `port` allows it.
std::optional<ApplicationConfig_TX330> configFromRecords(
    const Domain::Common::Communication& comm, const Domain::Common::Nodeinfo& node,
    const Domain::Common::Wirelessinfo& wireless, const Domain::Common::Didoinfo& dido,
    ChoiceLists::InterfacePort port = ChoiceLists::InterfacePort::Required);

}  // namespace Tormel::Gui::Tx330Records
