// SPDX-License-Identifier: MIT
#pragma once

// The scan report as the command-line program gives it: per-port lines on stderr, or JSON.
// The report and its texts are the settings model's, shared with the windows; port names,
// device strings and replies are escaped (printable) in text and JSON alike.

#include <QJsonArray>
#include <QJsonObject>
#include <string>
#include <vector>

#include "cli/CliSupport.h"
#include "settings/ScanReport.h"

namespace Tormel::Cli {

using Gui::describe;
using Gui::holdersOf;
using Gui::outcomeName;
using Gui::permissionFix;
using Gui::PortOutcome;
using Gui::PortReport;
using Gui::printableText;
using Gui::reportScan;

QJsonArray toJson(const std::vector<PortReport>& reports);

// The USB adapter behind a serial port (vendor and product id, manufacturer, product, serial
// number), as sysfs tells it; empty for a port that is not on USB.
QJsonObject usbAttributes(const std::string& device);

// Connects `link` to a unit of `family`, with every record read (`read`) or without, and
// reports the scan: per port, on stderr when nothing was found, and in `reports`. Returns
// kExitOk, kExitNoUnit or kExitUnsupported (also for a unit of the other family, named).
int connectUnit(Link& link, UnitFamily family, bool read, Output& out,
                std::vector<PortReport>* reports = nullptr);

}  // namespace Tormel::Cli
