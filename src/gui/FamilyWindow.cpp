// SPDX-License-Identifier: MIT
#include "gui/FamilyWindow.h"

#include <QAction>
#include <QPushButton>
#include <functional>
#include <utility>

#include "settings/SettingsFile.h"

namespace Tormel::Gui {

using Domain::App::AppCompletedCode;

template <class Settings>
FamilyWindow<Settings>::FamilyWindow(const FamilyRules& rules, QWidget* parent)
    : MainWindowBase(rules.title, parent), m_rules(rules) {}

template <class Settings>
std::optional<Msg> FamilyWindow<Settings>::refusalFor(const Settings& /*settings*/) const {
    return std::nullopt;
}

template <class Settings>
void FamilyWindow<Settings>::set() {
    writeToUnit();
}

template <class Settings>
void FamilyWindow<Settings>::wireCommonCommands() {
    // Each control is enabled by the state table alone (addCommonCommands); Qt runs neither a
    // disabled button nor a disabled menu item, its shortcut included, so no command needs a
    // guard of its own.
    const struct {
        QPushButton* button;
        QAction* item;
        std::function<void()> run;
    } commands[] = {
        {btnConnect, Connect_MenuItem, [this] { startConnect(false); }},
        {btnConnectRead, ConnectRead_MenuItem, [this] { startConnect(true); }},
        {btnSetting, Set_MenuItem, [this] { set(); }},
        {btnReturnSetting, Revert_MenuItem, [this] { revert(); }},
        {btnStop, SettingToolExit_MenuItem, [this] { quit(); }},
        {btnAbout, Version_MenuItem, [this] { showAbout(); }},
        {nullptr, SetFileOpen_MenuItem, [this] { openSettings(); }},
        {nullptr, SetFileSave_MenuItem, [this] { saveSettings(); }},
    };
    for (const auto& c : commands) {
        if (c.button != nullptr) {
            connect(c.button, &QPushButton::clicked, this, c.run);
        }
        connect(c.item, &QAction::triggered, this, c.run);
    }
    // The button asks first; the menu item resets at once.
    connect(btnFactoryShipment, &QPushButton::clicked, this, [this] { factoryShipment(true); });
    connect(FactoryShipmentSet_MenuItem, &QAction::triggered, this, [this] { factoryShipment(false); });
}

// ---- Connect and Get Values ----

template <class Settings>
void FamilyWindow<Settings>::startConnect(bool read) {
    controller().CommunicationConfig(connectLine());
    beginConnect(read);
}

template <class Settings>
void FamilyWindow<Settings>::connectCompleted(AppCompletedCode code) {
    if (connectSucceeded(code)) {
        unitConnected(false);
    }
}

template <class Settings>
void FamilyWindow<Settings>::connectReadCompleted(AppCompletedCode code) {
    if (!connectSucceeded(code)) {
        return;
    }
    unitConnected(true);
    FromUnit read = settingsFromUnit();
    if (!read.settings) {
        readRefused(read.failure);
        return;
    }
    Settings& settings = *read.settings;
    settings.setTarget(0);
    settings.setTabSelect(shownTab());
    // No unit reports its key: the words typed stay.
    settings.m_aesEncryptKey = grpAESSecure->keyWords();
    if (!settings.checkConfigData(false, checkFirmVersion(), this)) {
        readRefused(Msg::ReadFailed);
        return;
    }
    if (const std::optional<Msg> refusal = refusalFor(settings)) {
        readRefused(*refusal);
        return;
    }
    loadSettings(settings);
    if (!read.notice.isEmpty()) {
        showBox(read.notice, MessageBoxIcon::Warning);
    }
}

// ---- Set, the end of a write and Factory Shipment ----

template <class Settings>
std::optional<Settings> FamilyWindow<Settings>::settingsToWrite() {
    std::optional<Settings> candidate = formSettings(true);
    if (!candidate || !candidate->checkConfigData(true, checkFirmVersion(), this)) {
        return std::nullopt;
    }
    if (grpAESSecure->keyChoice() == AesKeySetting::Init) {
        grpAESSecure->setKeyWords({});
        return formSettings(false);
    }
    return candidate;
}

template <class Settings>
bool FamilyWindow<Settings>::writeToUnit() {
    // Nothing is checked or written when there is nothing to write to: the Set menu item stays
    // offered after a unit was let go of.
    if (!unitReadyForWrite()) {
        return false;
    }
    const std::optional<Settings> form = settingsToWrite();
    if (!form) {
        return false;
    }
    showStatus(ConnectionState::Writing);
    handOver(*form);
    m_writing = PendingWrite{form};
    if (!beginWrite(false)) {
        return false;
    }
    // The default settings file follows every write that started: it holds the
    // form's values even when the unit then fails.
    if (m_rules.keepsDefaultSettingsFile) {
        saveDefaultSettingsFile(*form);
    }
    return true;
}

template <class Settings>
void FamilyWindow<Settings>::writeEnded(bool succeeded) {
    const std::optional<PendingWrite> ended = std::exchange(m_writing, std::nullopt);
    if (!succeeded || !ended) {
        return;  // the form, the committed settings and config.xml stay as they were
    }
    if (ended->settings) {
        m_setting = *ended->settings;
        return;
    }
    // The unit confirmed its reset: it holds its factory settings now, and so do the form, the
    // committed settings and the default settings file.
    loadDefaults();
    if (const std::optional<Settings> defaults = formSettings(false)) {
        m_setting = *defaults;
        if (m_rules.keepsDefaultSettingsFile) {
            SettingsDocumentFile<Settings>().fileDelete();
            saveDefaultSettingsFile(*defaults);
        }
    }
}

template <class Settings>
void FamilyWindow<Settings>::factoryShipment(bool ask) {
    // Nothing changes unless a reset starts on a held unit.
    if (!commandEnabled(WindowCommand::FactoryShipment, m_state) || !unitReadyForWrite()) {
        return;
    }
    if (ask && !confirmFactoryShipment()) {
        return;
    }
    showStatus(ConnectionState::Writing);
    m_writing = PendingWrite{};
    beginWrite(true);
}

template <class Settings>
void FamilyWindow<Settings>::saveDefaultSettingsFile(const Settings& settings) {
    const SettingsFileWrite written = writeDefaultSettingsDocument(settings);
    if (!written.ok()) {
        noteDefaultFileNotSaved(written.failure);
    }
}

// ---- Revert and the settings file ----

template <class Settings>
void FamilyWindow<Settings>::revert() {
    if (const std::optional<Msg> refusal = refusalFor(m_startSetting)) {
        showBox(m_st.getString(*refusal), MessageBoxIcon::Error);
        return;
    }
    loadSettings(m_startSetting);
}

template <class Settings>
void FamilyWindow<Settings>::saveSettings() {
    const std::optional<QString> path = askSettingsFile(true);
    if (!path) {
        return;
    }
    // The check names the field that is wrong.
    const std::optional<Settings> candidate = formSettings(true);
    if (!candidate || !candidate->checkConfigData(true, checkFirmVersion(), this)) {
        return;
    }
    // Only a file that was really written counts as saved; otherwise closing must still ask.
    const SettingsFileWrite written = writeSettingsDocument(*path, *candidate);
    if (!written.ok()) {
        showBox(m_st.getString(Msg::SettingsFileNotSaved).arg(written.failure), MessageBoxIcon::Error);
        return;
    }
    m_setting = *candidate;
}

template class FamilyWindow<ApplicationConfig>;
template class FamilyWindow<ApplicationConfig_TX330>;

}  // namespace Tormel::Gui
