// SPDX-License-Identifier: MIT
#include "settings/Config.h"

#include "settings/SettingsSequences.h"
#include "settings/Toolkit.h"

namespace Tormel::Gui {

std::optional<ApplicationConfig> loadStartupSettings() {
    return Detail::loadStartup<Config, ApplicationConfig>();
}

OpenSettingsOutcome openSettingsFile(const QString& path, bool aesEnFlg, QWidget* parent) {
    return Detail::openAndCheck<Config, OpenSettingsOutcome>(path, aesEnFlg, parent, 1);
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
    if (!candidate.checkConfigData(false, aesEnFlg, parent)) {
        StringTable st;
        toolkit().messageBox(st.getString(65), st.getString(1), MessageBoxButtons::OK, MessageBoxIcon::Error,
                             parent);
        return false;
    }
    writeSettingsFile(path, candidate);
    return true;
}

bool applySettingsToDefaultFile(const ApplicationConfig& candidate, bool aesEnFlg, QWidget* parent) {
    if (!candidate.checkConfigData(true, aesEnFlg, parent)) {
        return false;
    }
    writeDefaultSettingsFile(candidate);
    return true;
}

}  // namespace Tormel::Gui
