// SPDX-License-Identifier: MIT
#pragma once

// The contact-I/O window's rules that need no widget: reading the number boxes and the rules
// applied when the user leaves a box. The window binds its controls to these; the conversions
// between a configuration and the unit's records are shared with the command-line program.

#include <QString>
#include <cstdint>
#include <optional>

#include "settings/ApplicationConfig_TX330.h"
#include "settings/Tx330Records.h"

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

// Where a stored channel and group ID fall in the form's lists is the records' rule.
using Tx330Records::ChannelButton;
using Tx330Records::ChannelSelection;
using Tx330Records::channelSelectionOf;
using Tx330Records::ChannelSetting;
using Tx330Records::channelSettingOf;
using Tx330Records::clampedGroupId;

// The document of a configuration without what the user cannot change from the form (the
// unit's version and the page on show); two configurations with equal documents hold the
// same settings.
QByteArray settingsDocument(const ApplicationConfig_TX330& config);

}  // namespace Tormel::Gui::Tx330Form
