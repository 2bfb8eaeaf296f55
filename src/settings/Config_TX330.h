// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "settings/ApplicationConfig_TX330.h"
#include "settings/SettingsFile.h"
#include "settings/StringTable.h"

class QWidget;

namespace Tormel::Gui {

// Reads and writes contact-I/O settings documents; the same streams and the same default
// settings file as Config.
class Config_TX330 : public SettingsDocumentFile<ApplicationConfig_TX330> {
  private:
    StringTable m_st;
};

// The load and save sequences of the contact-I/O window, as far as they need no window.
// Message boxes are captioned with the contact-I/O tool's name. This window never writes the
// default settings file.

// Start-up: the default settings file when it opens, reads and passes the check; shows nothing.
std::optional<ApplicationConfig_TX330> loadStartupSettings_TX330();

enum class OpenSettingsResult_TX330 { NotOpened, Refused, Loaded };
struct OpenSettingsOutcome_TX330 {
    OpenSettingsResult_TX330 result;
    ApplicationConfig_TX330 config;
};
// "Open": message 60 when the file cannot be opened; 64 for another (or no) model, 65 when the
// check fails. A file that opens but cannot be read calls `loadDefaults` first, so the form
// already shows its defaults when message 64 tells that they were loaded.
OpenSettingsOutcome_TX330 openSettingsFile_TX330(const QString& path, bool aesEnFlg,
                                                 QWidget* parent = nullptr,
                                                 const std::function<void()>& loadDefaults = {});

// Write `config` to `path` once its candidate has passed the check; false when nothing was
// replaced (not reported to the user).
bool writeSettingsFile_TX330(const QString& path, const ApplicationConfig_TX330& config);

// "Save": the candidate is checked with its field messages; when it passes it is written to
// `path` (a file that cannot be written is not reported) and true is returned.
bool saveSettingsFile_TX330(const ApplicationConfig_TX330& candidate, const QString& path, bool aesEnFlg,
                            QWidget* parent = nullptr);

}  // namespace Tormel::Gui
