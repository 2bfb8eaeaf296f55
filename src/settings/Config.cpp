// SPDX-License-Identifier: MIT
#include "settings/Config.h"

#include "settings/Toolkit.h"

namespace Tormel::Gui {

std::optional<QByteArray> Config::toXml(const ApplicationConfig& config) {
    return SettingsXml::write(config, ApplicationConfig::kRootElement, ApplicationConfig::xmlTable());
}

bool Config::fromXml(const QByteArray& bytes, ApplicationConfig& config) {
    ApplicationConfig fresh;
    if (!SettingsXml::read(bytes, ApplicationConfig::kRootElement, ApplicationConfig::xmlTable(), fresh)) {
        return false;
    }
    config = fresh;
    return true;
}

bool Config::loadXML(ApplicationConfig& config) {
    const std::optional<QByteArray> bytes = readAllAndClose();
    return bytes && fromXml(*bytes, config);
}

bool Config::saveXML(const ApplicationConfig& config) { return writeAndCommit(toXml(config)); }

std::optional<ApplicationConfig> loadStartupSettings() {
    Config file;
    if (!file.fileOpen()) {
        return std::nullopt;
    }
    ApplicationConfig config;
    file.loadXML(config);  // a failed read leaves the new object, which fails the check below
    if (!config.checkConfigData(false, true)) {
        return std::nullopt;
    }
    return config;
}

OpenSettingsOutcome openSettingsFile(const QString& path, bool aesEnFlg, QWidget* parent) {
    StringTable st;
    auto show = [&](int32_t id) {
        toolkit().messageBox(st.getString(id), st.getString(1), MessageBoxButtons::OK, MessageBoxIcon::Error,
                             parent);
    };
    Config file;
    if (!file.fileOpenSpecify(path)) {
        show(60);
        return {OpenSettingsResult::NotOpened, ApplicationConfig()};
    }
    ApplicationConfig config;
    file.loadXML(config);
    if (!config.checkSettingToolData(true, parent)) {
        return {OpenSettingsResult::Refused, ApplicationConfig()};
    }
    if (!config.checkConfigData(false, aesEnFlg, parent)) {
        show(65);
        return {OpenSettingsResult::Refused, ApplicationConfig()};
    }
    return {OpenSettingsResult::Loaded, config};
}

bool writeDefaultSettingsFile(const ApplicationConfig& config) {
    Config file;
    return file.fileCreate() && file.saveXML(config);
}

bool writeSettingsFile(const QString& path, const ApplicationConfig& config) {
    Config file;
    return file.fileCreateSpecify(path) && file.saveXML(config);
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
