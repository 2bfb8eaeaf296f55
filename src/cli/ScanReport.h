// SPDX-License-Identifier: MIT
#pragma once

// The scan report as the command-line program gives it: per-port lines on stderr, or JSON.
// The classification and its texts are the settings model's, shared with the windows.

#include <QJsonArray>
#include <QJsonObject>
#include <string>
#include <vector>

#include "cli/CliSupport.h"
#include "settings/ScanReport.h"

namespace Tormel::Cli {

using Gui::classifyScan;
using Gui::describe;
using Gui::holdersOf;
using Gui::outcomeName;
using Gui::permissionFix;
using Gui::PortOutcome;
using Gui::PortReport;

QJsonArray toJson(const std::vector<PortReport>& reports);

// The USB adapter behind a serial port (vendor and product id, manufacturer, product, serial
// number), as sysfs tells it; empty for a port that is not on USB.
QJsonObject usbAttributes(const std::string& device);

// Runs a scan for a unit of `family` with `read` (ConnectAndRead) or without; prints the
// per-port report when nothing was found. Returns kExitOk, kExitNoUnit or kExitUnsupported.
int connectUnit(Family family, bool read, Output& out, std::vector<PortReport>* reports = nullptr);

}  // namespace Tormel::Cli
