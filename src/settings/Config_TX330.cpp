// SPDX-License-Identifier: MIT
#include "settings/Config_TX330.h"

#include "settings/Toolkit.h"

namespace Tormel::Gui {

std::optional<QByteArray> Config_TX330::toXml(const ApplicationConfig_TX330& config) {
    return SettingsXml::write(config, ApplicationConfig_TX330::kRootElement,
                              ApplicationConfig_TX330::xmlTable());
}

bool Config_TX330::fromXml(const QByteArray& bytes, ApplicationConfig_TX330& config) {
    ApplicationConfig_TX330 fresh;
    if (!SettingsXml::read(bytes, ApplicationConfig_TX330::kRootElement, ApplicationConfig_TX330::xmlTable(),
                           fresh)) {
        return false;
    }
    config = fresh;
    return true;
}

bool Config_TX330::loadXML(ApplicationConfig_TX330& config) {
    const std::optional<QByteArray> bytes = readAllAndClose();
    return bytes && fromXml(*bytes, config);
}

bool Config_TX330::saveXML(const ApplicationConfig_TX330& config) { return writeAndCommit(toXml(config)); }

std::optional<ApplicationConfig_TX330> loadStartupSettings_TX330() {
    Config_TX330 file;
    if (!file.fileOpen()) {
        return std::nullopt;
    }
    ApplicationConfig_TX330 config;
    file.loadXML(config);  // a failed read leaves the new object, which fails the check below
    if (!config.checkConfigData(false, true)) {
        return std::nullopt;
    }
    return config;
}

OpenSettingsOutcome_TX330 openSettingsFile_TX330(const QString& path, bool aesEnFlg, QWidget* parent) {
    StringTable st;
    auto show = [&](int32_t id) {
        toolkit().messageBox(st.getString(id), st.getString(2), MessageBoxButtons::OK, MessageBoxIcon::Error,
                             parent);
    };
    Config_TX330 file;
    if (!file.fileOpenSpecify(path)) {
        show(60);
        return {OpenSettingsResult_TX330::NotOpened, ApplicationConfig_TX330()};
    }
    ApplicationConfig_TX330 config;
    file.loadXML(config);
    if (!config.checkSettingToolData(true, parent)) {
        return {OpenSettingsResult_TX330::Refused, ApplicationConfig_TX330()};
    }
    if (!config.checkConfigData(false, aesEnFlg, parent)) {
        show(65);
        return {OpenSettingsResult_TX330::Refused, ApplicationConfig_TX330()};
    }
    return {OpenSettingsResult_TX330::Loaded, config};
}

bool writeSettingsFile_TX330(const QString& path, const ApplicationConfig_TX330& config) {
    Config_TX330 file;
    return file.fileCreateSpecify(path) && file.saveXML(config);
}

bool saveSettingsFile_TX330(const ApplicationConfig_TX330& candidate, const QString& path, bool aesEnFlg,
                            QWidget* parent) {
    if (!candidate.checkConfigData(true, aesEnFlg, parent)) {
        return false;
    }
    writeSettingsFile_TX330(path, candidate);
    return true;
}

}  // namespace Tormel::Gui
