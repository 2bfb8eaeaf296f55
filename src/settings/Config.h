// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "settings/ApplicationConfig.h"
#include "settings/SettingsFile.h"
#include "settings/StringTable.h"

class QWidget;

namespace Tormel::Gui {

// Reads and writes RS485 settings documents. fileOpen/fileCreate (the default settings file)
// or their ...Specify forms open a stream; loadXML and saveXML use it and close it.
class Config : public SettingsDocumentFile<ApplicationConfig> {
  private:
    StringTable m_st;
};

// The load and save sequences of the RS485 window, as far as they need no window. Message
// boxes go through toolkit(), captioned with the RS485 tool's name.

// Start-up: the default settings file when it opens, reads and passes the record check, else
// nothing (the form gets its defaults). Shows nothing.
std::optional<ApplicationConfig> loadStartupSettings();

enum class OpenSettingsResult {
    NotOpened,  // the file could not be opened (message 60); the form stays as it is
    Refused,    // another model (64) or a failed check (65); the form gets its defaults
    Loaded,     // apply `config` to the form
};
struct OpenSettingsOutcome {
    OpenSettingsResult result;
    ApplicationConfig config;
};
// "Open": aesEnFlg is the window's firmware test.
// `loadDefaults` runs when the file cannot be read, before its message is shown.
OpenSettingsOutcome openSettingsFile(const QString& path, bool aesEnFlg, QWidget* parent = nullptr,
                                     const std::function<void()>& loadDefaults = {});

// "Save": the candidate built from the form must pass the check (else message 65 and false);
// then it is written to `path`. A file that cannot be written is not reported.
bool saveSettingsFile(const ApplicationConfig& candidate, const QString& path, bool aesEnFlg,
                      QWidget* parent = nullptr);

// Write `config` to the default settings file or to `path`, as the windows do once the
// candidate has passed its check and the kept object has been refreshed from the form. A
// file that cannot be written is not reported; false tells that nothing was replaced.
bool writeDefaultSettingsFile(const ApplicationConfig& config);
bool writeSettingsFile(const QString& path, const ApplicationConfig& config);

// "Set", the file side: the check with its field messages; when it passes the candidate is
// written to the default settings file (silently skipped when that cannot be written) and
// true is returned, so the settings may go on to the unit or firmware image.
bool applySettingsToDefaultFile(const ApplicationConfig& candidate, bool aesEnFlg, QWidget* parent = nullptr);

}  // namespace Tormel::Gui
