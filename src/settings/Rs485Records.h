// SPDX-License-Identifier: MIT
#pragma once

// The RS485 unit's records (what the command link reads and writes and what a firmware image
// holds) to and from a settings document. The window stores its form into an ApplicationConfig
// first and the command-line program starts from a settings file, so both convert through here
// and neither needs a widget.

#include <optional>
#include <vector>

#include "domain/common/Binding.h"
#include "domain/common/Communication.h"
#include "domain/common/Nodeinfo.h"
#include "domain/common/Protocol.h"
#include "settings/ApplicationConfig.h"
#include "settings/ChoiceLists.h"
#include "settings/StringTable.h"

namespace Tormel::Gui::Rs485Records {

// The serial record. The baud position is read against the list the form shows (with or
// without "76800bps"); a position the list does not have gives bit rate 0.
Domain::Common::Communication communication(const ApplicationConfig& config, bool with76800);
// The node record. Name and version come from the unit last identified, since the link's
// version gating looks at them; an empty key text is key word 0.
Domain::Common::Nodeinfo nodeinfo(const ApplicationConfig& config, int32_t aesKeySetting, bool autoParamSync,
                                  const Domain::Common::Nodeinfo& unit);
// The protocol record. Without a verification method the check fields are those the unit
// reports back for "no check" (decimal format), whatever the boxes hold.
Domain::Common::Protocol protocol(const ApplicationConfig& config);
// The binding record: both lists are always built; rows without a node ID or a range, and
// units served by their own number, are left out.
Domain::Common::Binding binding(const ApplicationConfig& config);

struct FromRecords {
    std::optional<ApplicationConfig> config;
    Msg failure = Msg::Empty;  // the message to show when config is empty
};

// A settings document from records read from a unit (with its binding) or a firmware image
// (binding null). `failure` is the message of a value the form cannot show; a bit rate of
// 76800 where the list does not offer it fails with message 63 rather than becoming another
// rate, so nothing slower or faster than the unit's line is ever written back. A port code 0 is
// taken only where `port` allows it.
FromRecords configFromRecords(const Domain::Common::Communication& comm, const Domain::Common::Nodeinfo& node,
                              const Domain::Common::Protocol& prot, const Domain::Common::Binding* bind,
                              bool with76800, Msg failure,
                              ChoiceLists::InterfacePort port = ChoiceLists::InterfacePort::Required);

// Position of a range label within grouping 1 to 5, in canonical order (0 = the first range),
// whichever interface language wrote it: -1 for "Not Used", nullopt for a text that names no
// range of the grouping. Files keep labels, so a file saved under the other language still
// means the same ranges.
std::optional<int> rangePosition(const QString& text, int32_t group);

// A settings document's range selections as positions (-1 = Not Used), one per row of its
// grouping; nullopt when a row selects past the end of its list, names an unknown range, or two
// rows select the same range.
std::optional<std::vector<int>> rangeSelections(const ApplicationConfig& config);

// The bit rate a settings document means by its baud position, read with the module type the
// document was written for.
std::optional<int32_t> documentBitRate(const ApplicationConfig& config);

}  // namespace Tormel::Gui::Rs485Records
