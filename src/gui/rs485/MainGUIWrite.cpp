// SPDX-License-Identifier: MIT
// The RS485 window's writing commands: Set to the unit or into a firmware image, Factory
// Shipment, and choosing the firmware image.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <mutex>
#include <optional>
#include <vector>

#include "domain/modem/Command.h"
#include "gui/Toolkit.h"
#include "gui/rs485/MainGUI.h"
#include "settings/Config.h"
#include "settings/FirmwareImageFile.h"
#include "settings/Rs485Records.h"

namespace Tormel::Gui {

using Domain::App::AppCompletedCode;
using Domain::App::AppResult;

void MainGUI::syncFactoryMenu() {
    // Nothing is reset, loaded or deleted from the menu that the button would not do.
    FactoryShipmentSet_MenuItem->setEnabled(btnFactoryShipment->isEnabled());
}

void MainGUI::Setting_Click() {
    if (!btnSetting->isEnabled()) {
        return;
    }
    Setting(false);
}

void MainGUI::Setting(bool init) {
    normaliseCodes();
    ApplicationConfig candidate = storeForm();
    if (radAESKeyInit->isChecked()) {
        // A key that is being reset is not sent: its words go out as 0.
        for (QLineEdit* box : txtEncryptionKey) {
            setText(box, emptyText());
        }
    }
    if (!candidate.checkConfigData(true, checkFirmVersion(), this)) {
        return;
    }
    m_setting = storeForm();
    writeDefaultSettingsFile(m_setting);
    if (cmbSetTarget->currentIndex() == 1) {
        firmwareWrite();
        return;
    }

    showStatus(ConnectionState::Writing);
    setBusy(true);
    const ApplicationConfig form = storeForm();
    m_app->CommunicationConfig(Rs485Records::communication(form, baudListHas76800()));
    m_app->NodeinfoConfig(Rs485Records::nodeinfo(form, aesKeySettingFromForm(), chkAutoParamSync->isChecked(),
                                                 m_app->NodeinfoConfig()));
    m_app->ProtocolConfig(Rs485Records::protocol(form));
    m_app->BindingConfig(Rs485Records::binding(form));

    beginWrite(init);
}

QString MainGUI::unexplainedWriteFailure() const { return QString::fromStdString(m_app->Result()); }

void MainGUI::FactoryShipment(bool ask) {
    if (!btnFactoryShipment->isEnabled()) {
        return;
    }
    if (ask && !confirmFactoryShipment()) {
        return;
    }
    setApplicationDefault();
    Config file;
    file.fileDelete();
    Setting(true);
}

void MainGUI::SelectFile_Click() {
    FileDialogOptions options;
    options.Title = m_st.getString(Msg::SelectFileTitle);
    options.Filter = m_st.getString(Msg::FirmwareFileFilter);
    if (toolkit().openFileDialog(options, this) != DialogResult::OK) {
        return;
    }
    const QFileInfo chosen(options.FileName);
    // Only an image the window could read is the one Set writes into.
    m_imagePath.clear();
    txtSelectFile->clear();
    updateFirmwareSetting();

    // The controller takes the image's node record whole; the unit last connected keeps
    // deciding the module type, the bit rates offered and the version classes.
    const Domain::Common::Nodeinfo unit = m_app->NodeinfoConfig();
    const AppResult loaded = m_app->Load(chosen.absoluteFilePath().toStdString());
    if (loaded != AppResult::Success) {
        m_app->NodeinfoConfig(unit);
        showError(loaded == AppResult::ErrElfFormat ? Msg::FirmwareFileMismatch
                                                    : Msg::FirmwareVersionMismatch);
        return;
    }
    const Domain::Common::Communication comm = m_app->CommunicationConfig();
    const Domain::Common::Nodeinfo node = m_app->NodeinfoConfig();
    const Domain::Common::Protocol prot = m_app->ProtocolConfig();
    m_app->NodeinfoConfig(unit);
    Rs485Records::FromRecords from = Rs485Records::configFromRecords(
        comm, node, prot, nullptr, baudListHas76800(), Msg::FirmwareVersionMismatch,
        ChoiceLists::InterfacePort::MayBeAbsent);
    if (!from.config) {
        showError(from.failure);
        return;
    }
    setApplicationComProt(*from.config, false);
    m_imagePath = chosen.absoluteFilePath();
    txtSelectFile->setText(chosen.fileName());
    updateFirmwareSetting();
}

void MainGUI::updateFirmwareSetting() {
    // With the firmware target Set needs an image, with the unit target a connected unit.
    const bool ready = cmbSetTarget->currentIndex() == 1
                           ? !m_imagePath.isEmpty()
                           : m_status != nullptr && m_status->state() == ConnectionState::Connected;
    btnSetting->setEnabled(ready);
    Set_MenuItem->setEnabled(ready);
}

void MainGUI::firmwareWrite() {
    if (m_imagePath.isEmpty()) {
        showError(Msg::FirmwareWriteFailed);
        return;
    }
    const ApplicationConfig form = storeForm();
    const Domain::Common::Nodeinfo unit = m_app->NodeinfoConfig();
    const int32_t keySetting = aesKeySettingFromForm();
    const bool changeKey = keySetting == 2;
    const bool autoSync = chkAutoParamSync->isChecked();
    const bool with76800 = baudListHas76800();
    const FirmwareReplaceResult result = replaceFirmwareImage(m_imagePath, [&](const QString& workCopy) {
        // The image keeps its own AES key unless a new one is asked for: the records carry no
        // key read from an image, so its bytes are put back as they were after the store.
        std::vector<ImageSymbol> key = aesKeySymbols();
        const bool keepKey = !changeKey && readImageSymbols(workCopy, key);
        m_app->CommunicationConfig(Rs485Records::communication(form, with76800));
        m_app->NodeinfoConfig(Rs485Records::nodeinfo(form, keySetting, autoSync, unit));
        m_app->ProtocolConfig(Rs485Records::protocol(form));
        if (m_app->Store(workCopy.toStdString()) != AppResult::Success) {
            return false;
        }
        return !keepKey || writeImageSymbols(workCopy, key);
    });
    m_app->NodeinfoConfig(unit);
    if (result == FirmwareReplaceResult::Success) {
        showInformation(Msg::SettingCompleted);
    } else {
        showError(Msg::FirmwareWriteFailed);
    }
}

}  // namespace Tormel::Gui
