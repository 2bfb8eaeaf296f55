// SPDX-License-Identifier: MIT
// The RS485 window's own part of Set: the firmware image as the target (choosing it, storing the
// form into it); Set to the unit and Factory Shipment are FamilyWindow's.
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

using Domain::App::AppResult;

void MainGUI::set() {
    if (cmbSetTarget->currentIndex() != 1) {
        writeToUnit();
        return;
    }
    // Nothing is checked, stored or written without an image whose settings were read.
    if (!m_state.imageAccepted) {
        showError(Msg::FirmwareWriteFailed);
        return;
    }
    const std::optional<ApplicationConfig> form = settingsToWrite();
    if (!form) {
        return;
    }
    clearDefaultFileNote();
    saveDefaultSettingsFile(*form);
    if (firmwareWrite()) {
        m_setting = *form;
    }
}

QString MainGUI::unexplainedWriteFailure() const { return QString::fromStdString(m_app->Result()); }

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
    const AesKeySetting keySetting = aesKeySettingFromForm();
    const bool autoSync = chkAutoParamSync->isChecked();
    const bool with76800 = baudListHas76800();
    Domain::Firmware::ImagePatch patch;
    // The image keeps its own AES key unless a new one is asked for: the records carry no key
    // read from an image.
    if (keySetting != AesKeySetting::Change) {
        patch.kept = Domain::Firmware::AesKeySymbols();
    }
    // Nor does the window store its bindings into an image: the image keeps its bind type.
    patch.kept.push_back({"TormelParamsM$bindType", 1, 0});
    Domain::Firmware::ImageRecords stored;
    patch.store = [&](const std::string& workCopy) {
        m_app->CommunicationConfig(Rs485Records::communication(form, with76800));
        m_app->NodeinfoConfig(Rs485Records::nodeinfo(form, static_cast<int32_t>(keySetting), autoSync, unit));
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
    showBox(completedText(), MessageBoxIcon::Information);
    return true;
}

}  // namespace Tormel::Gui
