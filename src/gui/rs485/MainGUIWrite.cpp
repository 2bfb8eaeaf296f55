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

#include "domain/firmware/ImagePatch.h"
#include "domain/modem/Command.h"
#include "gui/Toolkit.h"
#include "gui/rs485/MainGUI.h"
#include "settings/Config.h"
#include "settings/RecordConversion.h"
#include "settings/Rs485Records.h"
#include "settings/UnshownValues.h"

namespace Tormel::Gui {

using Domain::App::AppCompletedCode;
using Domain::App::AppResult;

bool MainGUI::Setting(bool init) {
    // Nothing is checked, stored or written when there is nothing to write to: the Set menu item
    // stays offered after a unit was let go of.
    const bool image = cmbSetTarget->currentIndex() == 1;
    if (image && !m_state.imageAccepted) {
        showError(Msg::FirmwareWriteFailed);
        return false;
    }
    if (!image && !unitReadyForWrite()) {
        return false;
    }
    normaliseCodes();
    ApplicationConfig candidate = storeForm();
    if (grpAESSecure->keyChoice() == AesPanel::kResetKey) {
        // A key that is being reset is not sent: its words go out as 0.
        std::array<QString, 16> blank;
        blank.fill(emptyText());
        grpAESSecure->setKeyWords(blank);
    }
    if (!candidate.checkConfigData(true, checkFirmVersion(), this)) {
        return false;
    }
    const ApplicationConfig form = storeForm();
    if (image) {
        writeDefaultSettingsFile(form);
        if (!firmwareWrite()) {
            return false;
        }
        m_setting = form;
        return true;
    }

    showStatus(ConnectionState::Writing);
    m_app->CommunicationConfig(Rs485Records::communication(form, baudListHas76800()));
    m_app->NodeinfoConfig(Rs485Records::nodeinfo(form, aesKeySettingFromForm(), chkAutoParamSync->isChecked(),
                                                 m_app->NodeinfoConfig()));
    m_app->ProtocolConfig(Rs485Records::protocol(form));
    m_app->BindingConfig(Rs485Records::binding(form));
    m_writing = form;
    if (!beginWrite(init)) {
        return false;
    }
    // The default settings file follows every write that started, so it holds the form's values
    // even when the unit then fails; a factory reset starts it afresh.
    if (init) {
        Config().fileDelete();
    }
    writeDefaultSettingsFile(form);
    return true;
}

void MainGUI::writeEnded(bool succeeded) {
    if (succeeded && m_writing) {
        m_setting = *m_writing;
    }
    m_writing.reset();
}

QString MainGUI::unexplainedWriteFailure() const { return QString::fromStdString(m_app->Result()); }

void MainGUI::FactoryShipment(bool ask) {
    // A reset changes the form and the default settings file only once it has started on a held
    // unit; otherwise the technician's settings stay as they were.
    if (!commandEnabled(WindowCommand::FactoryShipment, m_state) || !unitReadyForWrite()) {
        return;
    }
    if (ask && !confirmFactoryShipment()) {
        return;
    }
    const ApplicationConfig before = storeForm();
    setApplicationDefault();
    if (!Setting(true)) {
        loadIntoForm(before);
    }
}

void MainGUI::SelectFile_Click() {
    FileDialogOptions options;
    options.Title = m_st.getString(Msg::SelectFileTitle);
    // Linux images end in .elf; they follow the two filters of the message table.
    options.Filter =
        m_st.getString(Msg::FirmwareFileFilter) + QLatin1Char('|') + m_st.getString(Msg::FirmwareElfFilter);
    if (toolkit().openFileDialog(options, this) != DialogResult::OK) {
        return;
    }
    const QFileInfo chosen(options.FileName);
    // Only an image the window could read is the one Set writes into.
    m_imagePath.clear();
    txtSelectFile->clear();
    setImageAccepted(false);

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
        comm, node, prot, nullptr, ChoiceLists::offers76800(kImageModuleType), Msg::FirmwareVersionMismatch,
        ChoiceLists::InterfacePort::MayBeAbsent);
    if (!from.config) {
        showError(from.failure);
        return;
    }
    // An image holds a bit rate, not a list position: it is shown with the list that offers
    // every rate an image can hold, so it is written back as it was.
    from.config->setModuleType(kImageModuleType);
    const std::vector<UnshownValue> unshown = fitRs485Form(*from.config, m_st);
    if (!setApplicationComProt(*from.config, false)) {
        showError(Msg::FirmwareVersionMismatch);
        return;
    }
    // No settings document carries the image's parameter sync switch; Set writes the box back.
    chkAutoParamSync->setChecked(node.AutoParamSyncEnable ==
                                 Domain::Common::NodeinfoAutoParamSyncEnable::Enable);
    m_imagePath = chosen.absoluteFilePath();
    txtSelectFile->setText(chosen.fileName());
    setImageAccepted(true);
    if (!unshown.empty()) {
        showBox(unshownValuesText(unshown, m_st), MessageBoxIcon::Warning);
    }
}

bool MainGUI::firmwareWrite() {
    if (m_imagePath.isEmpty()) {
        showError(Msg::FirmwareWriteFailed);
        return false;
    }
    const ApplicationConfig form = storeForm();
    const Domain::Common::Nodeinfo unit = m_app->NodeinfoConfig();
    const int32_t keySetting = aesKeySettingFromForm();
    const bool autoSync = chkAutoParamSync->isChecked();
    const bool with76800 = baudListHas76800();
    Domain::Firmware::ImagePatch patch;
    // The image keeps its own AES key unless a new one is asked for: the records carry no key
    // read from an image.
    if (keySetting != 2) {
        patch.kept = Domain::Firmware::AesKeySymbols();
    }
    // Nor does the window store its bindings into an image: the image keeps its bind type.
    patch.kept.push_back({"TormelParamsM$bindType", 1, 0});
    Domain::Firmware::ImageRecords stored;
    patch.store = [&](const std::string& workCopy) {
        m_app->CommunicationConfig(Rs485Records::communication(form, with76800));
        m_app->NodeinfoConfig(Rs485Records::nodeinfo(form, keySetting, autoSync, unit));
        m_app->ProtocolConfig(Rs485Records::protocol(form));
        stored = {m_app->CommunicationConfig(), m_app->NodeinfoConfig(), m_app->ProtocolConfig(),
                  m_app->BindingConfig()};
        return m_app->Store(workCopy) == AppResult::Success ? Domain::Firmware::ElfEditorResult::Success
                                                            : Domain::Firmware::ElfEditorResult::ErrFileWrite;
    };
    std::vector<Domain::Firmware::PatchOutcome::Changed> changed;
    patch.verify = [&](const std::string& image) {
        return Domain::Firmware::HoldsStored(image, Domain::Common::UnitFamily::Rs485, stored, patch.kept,
                                             changed);
    };
    const Domain::Firmware::PatchOutcome outcome =
        Domain::Firmware::PatchImage(m_imagePath.toStdString(), patch);
    m_app->NodeinfoConfig(unit);
    if (outcome.result != Domain::Firmware::PatchResult::Success) {
        showError(Msg::FirmwareWriteFailed);
        return false;
    }
    showInformation(Msg::SettingCompleted);
    return true;
}

}  // namespace Tormel::Gui
