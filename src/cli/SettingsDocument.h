// SPDX-License-Identifier: MIT
#pragma once

// A settings file of either family, as the CLI reads, compares and writes it.

#include <QString>
#include <QStringList>
#include <optional>
#include <variant>

#include "cli/CliSupport.h"
#include "settings/ApplicationConfig.h"
#include "settings/ApplicationConfig_TX330.h"

namespace Tormel::Cli {

using AnyConfig = std::variant<Gui::ApplicationConfig, Gui::ApplicationConfig_TX330>;

inline UnitFamily familyOf(const AnyConfig& config) {
    return std::holds_alternative<Gui::ApplicationConfig>(config) ? UnitFamily::Rs485 : UnitFamily::Tx330;
}

// Reads a settings file of either family and checks that it is for this tool's models.
// On failure the reason is reported on `out` and nothing is returned.
std::optional<AnyConfig> loadSettingsFile(const QString& path, Output& out);

// The first element whose value a unit cannot take, as "ELEMENT value: what it may hold";
// nothing when every value fits. Stricter than the window's record check, whose form keeps
// most of these values within bounds as they are typed.
std::optional<QString> valueOutOfRange(const AnyConfig& config);

// Writes the document atomically, exactly as the windows write it; false after an error.
bool saveSettingsFile(const QString& path, const AnyConfig& config, Output& out);

// One element of the document whose values differ: name, the unit's text, the file's text.
struct FieldDifference {
    QString element;
    QString unit;
    QString file;
};
// Compares the elements that describe the unit (not the window's tab, target or views, nor
// the AES key, which no unit reports).
std::vector<FieldDifference> compareUnitFields(const AnyConfig& unit, const AnyConfig& file);
// The differences for the JSON document and as one line of text; `source` names where the
// first value came from ("unit", or "image" for a firmware image).
QJsonArray differencesJson(const std::vector<FieldDifference>& differences, const QString& source);
QString differenceText(const FieldDifference& difference, const QString& source);

// Every unit element of the document as name -> text (the values a write sends).
QJsonObject unitFieldsJson(const AnyConfig& config);

}  // namespace Tormel::Cli
