// SPDX-License-Identifier: MIT
// The RS485 window's life cycle, menus and commands.
#include "gui/rs485/MainGUI.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QTabWidget>

#include "domain/modem/Command.h"
#include "gui/QtDispatcher.h"
#include "gui/Toolkit.h"
#include "gui/rs485/BindingsTab.h"
#include "settings/ChoiceLists.h"
#include "settings/Config.h"
#include "settings/Rs485Records.h"
#include "settings/UnshownValues.h"

namespace Tormel::Gui {

MainGUI::MainGUI(QWidget* parent)
    : FamilyWindow({Msg::Rs485ToolTitle, /*keepsDefaultSettingsFile=*/true}, parent),
      m_com(std::make_shared<Communication>()),
      m_node(std::make_shared<Nodeinfo>()),
      m_prot(std::make_shared<Protocol>()),
      m_select(std::make_shared<NumRange>()) {
    m_creating = true;
    setObjectName(QStringLiteral("MainGUI"));
    m_app = makeController<Domain::App::TormelApp>();

    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    preferJapaneseFonts();

    buildControls();
    m_status = std::make_unique<StatusDisplay>(*txtStateSetting, *txtSoftwareName, m_st);

    m_shiftKeyFlg = toolkit().isShiftKeyDown();
    grpSecure->setVisible(m_shiftKeyFlg);
    grpSecure->setEnabled(m_shiftKeyFlg);

    attachInputChecks();
    connectDependencies();
    wireCommonCommands();
    connect(btnSelectFile, &QPushButton::clicked, this, [this] { SelectFile_Click(); });
    connect(cmbSetTarget, &QComboBox::currentIndexChanged, this,
            [this](int index) { setTargetChanged(index); });
    // One toggle per press: a held key's repeats would switch the views on and off.
    auto* devMode = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D), this);
    devMode->setAutoRepeat(false);
    connect(devMode, &QShortcut::activated, this, [this] { toggleDevMode(false); });
    auto* devMode2 = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E), this);
    devMode2->setAutoRepeat(false);
    connect(devMode2, &QShortcut::activated, this, [this] { toggleDevMode(true); });

    chk2ndFormat->setChecked(true);
    lblFlowCtrl->hide();
    cmbFlowCtrl->hide();

    const std::optional<ApplicationConfig> stored = loadStartupSettings();
    if (!stored || !setApplication(*stored, true)) {
        setApplicationDefault();
    }
    intfPortChanged();
    pTypeChanged();
    fmt2Changed();
    sTypeChanged();
    cCheckChanged();
    aesSecureChanged();
    secureKeyChanged();
    setTargetChanged(cmbSetTarget->currentIndex());

    m_startSetting = storeForm();
    m_setting = storeForm();

    lblIntfPort->hide();
    cmbIntfPort->hide();
    grpAESSecure->show();
    showStatus(ConnectionState::Disconnected);

    adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    m_creating = false;
}

MainGUI::~MainGUI() {
    m_app->Disconnect();
    m_app->End();
}

// ---- helpers ----

void MainGUI::showError(Msg id) { showError(m_st.getString(id)); }

void MainGUI::showError(const QString& text) { showBox(text, MessageBoxIcon::Error); }

void MainGUI::normaliseCodes() {
    for (QLineEdit* box : {txtPStartCode, txtPStartCode2nd, txtPEndCode, txtPEndCode2nd}) {
        setText(box, ErrCheck::checkCodeDigit(box->text()));
    }
}

void MainGUI::toggleDevMode(bool second) {
    if (second) {
        m_devMode2 = !m_devMode2;
        setControlForDevMode2(m_devMode2);
    } else {
        m_devMode = !m_devMode;
        setControlForDevMode(m_devMode);
    }
}

bool MainGUI::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        QCheckBox* box = watched == lblAutoParamSync   ? chkAutoParamSync
                         : watched == lblExtendedGroup ? chkExtendedGroup
                         : watched == lblSecureKey[0]  ? chkSecureKey1
                                                       : nullptr;
        if (box != nullptr && box->isEnabled()) {
            box->toggle();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// ---- what the shared window code asks of this family ----

Domain::Common::Communication MainGUI::connectLine() const {
    Domain::Common::Communication line = lineRecord();
    line.IntfPort = cmbIntfPort->currentIndex() + 1;
    line.FlowControl =
        ChoiceLists::flowControlAt(cmbFlowCtrl->currentIndex()).value_or(Domain::Common::Handshake::None);
    return line;
}

int MainGUI::shownTab() const { return tabConfig->currentIndex(); }

void MainGUI::applyOldUnitLayout() {
    lblIntfPort->hide();
    cmbIntfPort->hide();
    grpAESSecure->hide();
    grpAESSecure->setEnabled(false);
    grpSecure->show();
    grpSecure->setEnabled(true);
}

void MainGUI::unitConnected(bool read) {
    const bool had76800 = m_line->bitRate() == 76800;
    // The module type of the unit decides its baud list and AES choices, whatever its
    // generation: values read are shown against that list.
    const bool newUnit = showUnitCapability();
    checkTormelType();
    setObjectSetting();
    if (newUnit) {
        showAesGroup();
        if (read && m_app->NodeinfoConfig().EncryptEnable == Domain::Common::NodeinfoEncryptEnable::Enable) {
            grpSecure->show();
            grpSecure->setEnabled(true);
        } else if (read && !m_shiftKeyFlg) {
            grpSecure->hide();
            grpSecure->setEnabled(false);
        }
    }
    // A read shows the unit's own rate; a plain connect keeps the form's, unless the unit's
    // list lacks it.
    if (!read && had76800 && !baudListHas76800()) {
        showError(Msg::Baud76800NotSupported);
    }
}

bool MainGUI::showUnitCapability() {
    tabPage3->applyCapability(isVeryOldUnit());
    if (isOldUnit()) {
        applyOldUnitLayout();
        return false;
    }
    lblIntfPort->show();
    cmbIntfPort->show();
    chkWhitening->setEnabled(Domain::Modem::Command::IsWhitening());
    return true;
}

void MainGUI::showAesGroup() {
    const bool aes = checkFirmVersion();
    grpAESSecure->setVisible(aes);
    grpAESSecure->setEnabled(aes);
}

MainGUI::FromUnit MainGUI::settingsFromUnit() {
    const Domain::Common::Nodeinfo node = m_app->NodeinfoConfig();
    const Domain::Common::Binding bind = m_app->BindingConfig();
    Rs485Records::FromRecords from =
        Rs485Records::configFromRecords(m_app->CommunicationConfig(), node, m_app->ProtocolConfig(), &bind,
                                        baudListHas76800(), Msg::ReadFailed);
    if (!from.config) {
        return {std::nullopt, from.failure, {}};
    }
    from.config->setVersion(QString::fromStdString(node.SoftwareVersion));
    from.config->setModuleType(m_com->getModuleType());
    // A value the form has no place for is shown as what Set would write, and said once the
    // form holds it.
    const std::vector<UnshownValue> unshown = fitRs485Form(*from.config, m_st);
    return {from.config, Msg::ReadFailed, unshown.empty() ? QString() : unshownValuesText(unshown, m_st)};
}

std::optional<Msg> MainGUI::refusalFor(const ApplicationConfig& config) const {
    if (!BindingsTab::fitsUnit(config, isVeryOldUnit())) {
        return Msg::BindingNotForUnit;
    }
    return std::nullopt;
}

std::optional<ApplicationConfig> MainGUI::formSettings(bool forWrite) {
    if (forWrite) {
        normaliseCodes();
    }
    return storeForm();
}

void MainGUI::loadSettings(const ApplicationConfig& config) {
    setApplication(config, false);
    tabPage3->applyCapability(isVeryOldUnit());
}

void MainGUI::loadDefaults() {
    setApplicationDefault();
    tabPage3->applyCapability(isVeryOldUnit());
}

void MainGUI::handOver(const ApplicationConfig& config) {
    m_app->CommunicationConfig(Rs485Records::communication(config, baudListHas76800()));
    m_app->NodeinfoConfig(Rs485Records::nodeinfo(config, static_cast<int32_t>(aesKeySettingFromForm()),
                                                 chkAutoParamSync->isChecked(), m_app->NodeinfoConfig()));
    m_app->ProtocolConfig(Rs485Records::protocol(config));
    m_app->BindingConfig(Rs485Records::binding(config));
}

void MainGUI::openSettings() {
    const std::optional<QString> path = askSettingsFile(false);
    if (!path) {
        return;
    }
    OpenSettingsOutcome outcome =
        openSettingsFile(*path, checkFirmVersion(), this, [this] { loadDefaults(); });
    if (outcome.result == OpenSettingsResult::Loaded && !Rs485Records::rangeSelections(outcome.config)) {
        // A hand-edited file whose rows share a range or select past their list.
        showError(Msg::InvalidParametersLoaded);
        outcome.result = OpenSettingsResult::Refused;
    } else if (outcome.result == OpenSettingsResult::Loaded) {
        if (const std::optional<Msg> refusal = refusalFor(outcome.config)) {
            showError(*refusal);
            outcome.result = OpenSettingsResult::Refused;
        }
    }
    // While an operation runs the target stays: a file saved with the firmware image as its
    // target would otherwise let go of the unit in the middle of a write.
    if (m_state.busy()) {
        outcome.config.setTarget(cmbSetTarget->currentIndex());
    }
    if (outcome.result == OpenSettingsResult::Refused) {
        setApplicationDefault();
    } else if (outcome.result == OpenSettingsResult::Loaded) {
        setApplication(outcome.config, false);
    }
    tabPage3->applyCapability(isVeryOldUnit());
}

void MainGUI::setTargetChanged(int index) {
    const bool firmware = index == 1;
    if (firmware) {
        m_app->Disconnect();
        showStatus(ConnectionState::Disconnected);
    }
    setWriteTarget(firmware ? WriteTarget::Image : WriteTarget::Unit);
    txtStateSetting->setVisible(!firmware);
    txtSoftwareName->setVisible(!firmware);
    btnConnect->setVisible(!firmware);
    btnConnectRead->setVisible(!firmware);
    txtSelectFile->setVisible(firmware);
    btnSelectFile->setVisible(firmware);
}

}  // namespace Tormel::Gui
