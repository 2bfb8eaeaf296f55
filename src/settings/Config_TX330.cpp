// SPDX-License-Identifier: MIT
#include "settings/Config_TX330.h"

#include "settings/SettingsSequences.h"
#include "settings/Toolkit.h"

namespace Tormel::Gui {

std::optional<ApplicationConfig_TX330> loadStartupSettings_TX330() {
    return Detail::loadStartup<Config_TX330, ApplicationConfig_TX330>();
}

OpenSettingsOutcome_TX330 openSettingsFile_TX330(const QString& path, bool aesEnFlg, QWidget* parent,
                                                 const std::function<void()>& loadDefaults) {
    return Detail::openAndCheck<Config_TX330, OpenSettingsOutcome_TX330>(path, aesEnFlg, parent,
                                                                         Msg::Tx330ToolTitle, loadDefaults);
}

bool writeSettingsFile_TX330(const QString& path, const ApplicationConfig_TX330& config) {
    return Detail::writeTo<Config_TX330>(path, config);
}

bool saveSettingsFile_TX330(const ApplicationConfig_TX330& candidate, const QString& path, bool aesEnFlg,
                            QWidget* parent) {
    return Detail::writeIfChecked(candidate, true, aesEnFlg, parent, [&](const ApplicationConfig_TX330& c) {
        writeSettingsFile_TX330(path, c);
    });
}

}  // namespace Tormel::Gui
