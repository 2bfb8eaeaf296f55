// SPDX-License-Identifier: MIT
#include "settings/Config.h"

#include "settings/SettingsSequences.h"
#include "settings/Toolkit.h"

namespace Tormel::Gui {

std::optional<ApplicationConfig> loadStartupSettings() {
    return Detail::loadStartup<Config, ApplicationConfig>();
}

OpenSettingsOutcome openSettingsFile(const QString& path, bool aesEnFlg, QWidget* parent,
                                     const std::function<void()>& loadDefaults) {
    return Detail::openAndCheck<Config, OpenSettingsOutcome>(path, aesEnFlg, parent, Msg::Rs485ToolTitle,
                                                             loadDefaults);
}

bool writeDefaultSettingsFile(const ApplicationConfig& config) {
    Config file;
    return file.fileCreate() && file.saveXML(config);
}

bool writeSettingsFile(const QString& path, const ApplicationConfig& config) {
    return Detail::writeTo<Config>(path, config);
}

bool saveSettingsFile(const ApplicationConfig& candidate, const QString& path, bool aesEnFlg,
                      QWidget* parent) {
    // Field messages are left out here: one box tells that the form cannot be saved.
    const bool passed = Detail::writeIfChecked(
        candidate, false, aesEnFlg, parent, [&](const ApplicationConfig& c) { writeSettingsFile(path, c); });
    if (!passed) {
        StringTable st;
        toolkit().messageBox(st.getString(Msg::InvalidParametersLoaded), st.getString(Msg::Rs485ToolTitle),
                             MessageBoxButtons::OK, MessageBoxIcon::Error, parent);
    }
    return passed;
}

bool applySettingsToDefaultFile(const ApplicationConfig& candidate, bool aesEnFlg, QWidget* parent) {
    return Detail::writeIfChecked(candidate, true, aesEnFlg, parent,
                                  [](const ApplicationConfig& c) { writeDefaultSettingsFile(c); });
}

}  // namespace Tormel::Gui
