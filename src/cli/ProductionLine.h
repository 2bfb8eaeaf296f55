// SPDX-License-Identifier: MIT
#pragma once

// `write --each-unit`: a production bench. Every port that appears (a unit plugged in, its
// own USB adapter or one on a hub) gets a worker of its own that writes the unit behind it;
// several units are written at once. Each unit can get the next value of a sequence (its node
// number), every write can be read back and compared, and the report folder keeps one report
// per unit and the line's record, summary.csv.

#include <QJsonObject>
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "cli/CliSupport.h"
#include "cli/LineRecord.h"
#include "cli/SettingsDocument.h"

namespace Tormel::Cli {

// What a write does beyond the file's values.
struct UnitExtras {
    bool verify = false;  // read the unit back after the write and compare
    // The sequence's next value for this unit, asked once a unit has answered on the port;
    // nothing when none is left. Empty: no sequence.
    std::function<std::optional<int>()> takeValue;
    // Told once a unit has answered and passed identification, before anything is written.
    std::function<void()> unitAnswered;
};

// The field a sequence numbers for units of `family`: the RS485 node-ID offset or the
// contact-I/O node ID.
QString sequenceField(UnitFamily family);
void setSequenceValue(AnyConfig& config, int value);

// The sequence `text` names for units of `family`; nothing (after an error on `out`) when it
// is malformed, names another field or starts outside the field's range.
std::optional<SequenceRule> parseSequence(const QString& text, UnitFamily family, Output& out);

// The outcome of one unit's worker: the exit code of its write and its report.
struct UnitRun {
    int code = 0;
    QJsonObject report;
};

struct ProductionLineSetup {
    QString reportDir;
    QString holder;  // who runs the bench, for a second one on the same folder
    std::optional<SequenceRule> sequence;
    // Writes the unit on `port` (run in the port's own process) with these extras (the
    // sequence and the notice that a unit answered go to the bench).
    std::function<UnitRun(const std::string& port, const UnitExtras& extras)> writeUnit;
};

// Runs the bench until Ctrl+C, SIGTERM or a hang-up (or the sequence's end); returns the exit
// code.
int runProductionLine(const ProductionLineSetup& setup, Output& out);

// The USB device a tty hangs off, if any: vendorId, productId, manufacturer, product and
// serialNumber as the system names them. Empty for a port that is not on USB.
QJsonObject usbAttributes(const std::string& device);

}  // namespace Tormel::Cli
