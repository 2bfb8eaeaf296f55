// SPDX-License-Identifier: MIT
#pragma once

// The contact-I/O window's rules that need no widget: reading the number boxes, the rules
// applied when the user leaves a box, the channel lists, and the conversions between a
// configuration and the unit's records. The window binds its controls to these.

#include <QString>
#include <cstdint>
#include <optional>

#include "domain/common/Communication.h"
#include "domain/common/Didoinfo.h"
#include "domain/common/Nodeinfo.h"
#include "domain/common/Wirelessinfo.h"
#include "settings/ApplicationConfig_TX330.h"
#include "settings/StringTable.h"

namespace Tormel::Gui::Tx330Form {

// A whole number typed into a digits-only box: at least one digit and nothing else. Empty or
// pasted text with other characters is no number (never read as 0).
std::optional<int32_t> wholeNumber(const QString& text);

// The DI delay text in tenths of a second, taken exactly from its decimal digits and rounded
// half up ("2.75" -> 28, "2.7" -> 27, "3" -> 30, ".5" -> 5). Anything else is no number.
std::optional<int32_t> diDelayTenths(const QString& text);

// "27" tenths -> "2.7": the DI delay as the box shows it.
QString diDelayText(int32_t tenths);

// Leaving the response-delay box: the delay is a multiple of 10 ms of at most 250 ms.
QString leaveAwtText(const QString& text);
// Leaving the DI-delay box: one decimal place, cut (not rounded), at most 10.0.
QString leaveDiDelayText(const QString& text);

// The node-ID text as the node role reads it: a number, 0 for the base node. Empty or
// non-numeric text has no role of its own.
std::optional<int32_t> nodeIdOf(const QString& text);

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
// above 250 ms). Target, tab and key texts are the caller's.
std::optional<ApplicationConfig_TX330> configFromRecords(const Domain::Common::Communication& comm,
                                                         const Domain::Common::Nodeinfo& node,
                                                         const Domain::Common::Wirelessinfo& wireless,
                                                         const Domain::Common::Didoinfo& dido);

// The document of a configuration without what the user cannot change from the form (the
// unit's version and the page on show); two configurations with equal documents hold the
// same settings.
QByteArray settingsDocument(const ApplicationConfig_TX330& config);

}  // namespace Tormel::Gui::Tx330Form
