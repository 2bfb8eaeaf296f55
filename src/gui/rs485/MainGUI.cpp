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
#include "settings/Config.h"
#include "settings/Rs485Records.h"
#include "settings/UnshownValues.h"

namespace Tormel::Gui {

using Domain::App::AppCompletedCode;

MainGUI::MainGUI(QWidget* parent)
    : MainWindowBase(Msg::Rs485ToolTitle, parent),
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
    connect(btnConnect, &QPushButton::clicked, this, [this] { Connect_Click(); });
    connect(Connect_MenuItem, &QAction::triggered, this, [this] { Connect_Click(); });
    connect(btnConnectRead, &QPushButton::clicked, this, [this] { ConnectRead_Click(); });
    connect(ConnectRead_MenuItem, &QAction::triggered, this, [this] { ConnectRead_Click(); });
    connect(btnReturnSetting, &QPushButton::clicked, this, [this] { ReturnSetting_Click(); });
    connect(Revert_MenuItem, &QAction::triggered, this, [this] { ReturnSetting_Click(); });
    connect(btnStop, &QPushButton::clicked, this, [this] { Stop_Click(); });
    connect(SettingToolExit_MenuItem, &QAction::triggered, this, [this] { Stop_Click(); });
    connect(SetFileOpen_MenuItem, &QAction::triggered, this, [this] { SetFileOpen_Click(); });
    connect(SetFileSave_MenuItem, &QAction::triggered, this, [this] { SetFileSave_Click(); });
    connect(Version_MenuItem, &QAction::triggered, this, [this] { Version_Click(); });
    connect(btnSetting, &QPushButton::clicked, this, [this] { Setting(false); });
    connect(Set_MenuItem, &QAction::triggered, this, [this] { Setting(false); });
    connect(btnFactoryShipment, &QPushButton::clicked, this, [this] { FactoryShipment(true); });
    connect(FactoryShipmentSet_MenuItem, &QAction::triggered, this, [this] { FactoryShipment(false); });
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

void MainGUI::showInformation(Msg id) { showBox(m_st.getString(id), MessageBoxIcon::Information); }

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

// ---- connect ----

void MainGUI::Connect_Click() { startConnect(false); }
void MainGUI::ConnectRead_Click() { startConnect(true); }

void MainGUI::startConnect(bool read) {
    m_app->CommunicationConfig(getCommunicateConfigConvert());
    beginConnect(read);
}

void MainGUI::applyOldUnitLayout() {
    lblIntfPort->hide();
    cmbIntfPort->hide();
    grpAESSecure->hide();
    grpAESSecure->setEnabled(false);
    grpSecure->show();
    grpSecure->setEnabled(true);
}

void MainGUI::connectCompleted(AppCompletedCode code) {
    if (!connectSucceeded(code)) {
        return;
    }
    checkTormelType();
    setObjectSetting();
    if (showUnitCapability()) {
        showAesGroup();
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

void MainGUI::connectReadCompleted(AppCompletedCode code) {
    if (!connectSucceeded(code)) {
        return;
    }
    const Domain::Common::Communication comm = m_app->CommunicationConfig();
    const Domain::Common::Nodeinfo node = m_app->NodeinfoConfig();
    const Domain::Common::Protocol prot = m_app->ProtocolConfig();
    const Domain::Common::Binding bind = m_app->BindingConfig();
    // The module type of the unit just read decides its baud list and AES choices, whatever its
    // generation: the values read are shown against that list.
    const bool newUnit = showUnitCapability();
    checkTormelType();
    setObjectSetting();
    if (newUnit) {
        showAesGroup();
        if (node.EncryptEnable == Domain::Common::NodeinfoEncryptEnable::Enable) {
            grpSecure->show();
            grpSecure->setEnabled(true);
        } else if (!m_shiftKeyFlg) {
            grpSecure->hide();
            grpSecure->setEnabled(false);
        }
    }

    Rs485Records::FromRecords from =
        Rs485Records::configFromRecords(comm, node, prot, &bind, baudListHas76800(), Msg::ReadFailed);
    if (!from.config) {
        readRefused(from.failure);
        return;
    }
    ApplicationConfig& config = *from.config;
    config.setTarget(0);
    config.setTabSelect(tabConfig->currentIndex());
    config.m_aesEncryptKey = grpAESSecure->keyWords();
    config.setVersion(QString::fromStdString(node.SoftwareVersion));
    config.setModuleType(m_com->getModuleType());
    const std::vector<UnshownValue> unshown = fitRs485Form(config, m_st);
    if (!config.checkConfigData(false, checkFirmVersion())) {
        readRefused(Msg::ReadFailed);
        return;
    }
    if (!BindingsTab::fitsUnit(config, isVeryOldUnit())) {
        readRefused(Msg::BindingNotForUnit);
        return;
    }
    loadIntoForm(config);
    if (!unshown.empty()) {
        showBox(unshownValuesText(unshown, m_st), MessageBoxIcon::Warning);
    }
}

// ---- files, revert, close ----

void MainGUI::loadIntoForm(const ApplicationConfig& config) {
    setApplication(config, false);
    tabPage3->applyCapability(isVeryOldUnit());
}

void MainGUI::ReturnSetting_Click() {
    if (!BindingsTab::fitsUnit(m_startSetting, isVeryOldUnit())) {
        showError(Msg::BindingNotForUnit);
        return;
    }
    loadIntoForm(m_startSetting);
}

void MainGUI::SetFileOpen_Click() {
    const std::optional<QString> path = askSettingsFile(false);
    if (!path) {
        return;
    }
    OpenSettingsOutcome outcome = openSettingsFile(*path, checkFirmVersion(), this, [this] {
        setApplicationDefault();
        tabPage3->applyCapability(isVeryOldUnit());
    });
    if (outcome.result == OpenSettingsResult::Loaded && !Rs485Records::rangeSelections(outcome.config)) {
        // A hand-edited file whose rows share a range or select past their list.
        showError(Msg::InvalidParametersLoaded);
        outcome.result = OpenSettingsResult::Refused;
    } else if (outcome.result == OpenSettingsResult::Loaded &&
               !BindingsTab::fitsUnit(outcome.config, isVeryOldUnit())) {
        showError(Msg::BindingNotForUnit);
        outcome.result = OpenSettingsResult::Refused;
    }
    if (outcome.result == OpenSettingsResult::Refused) {
        setApplicationDefault();
    } else if (outcome.result == OpenSettingsResult::Loaded) {
        setApplication(outcome.config, false);
    }
    tabPage3->applyCapability(isVeryOldUnit());
}

void MainGUI::SetFileSave_Click() {
    const std::optional<QString> path = askSettingsFile(true);
    if (!path) {
        return;
    }
    normaliseCodes();
    ApplicationConfig candidate = storeForm();
    candidate.setModelName(ApplicationConfig::kModelName);
    // The check names the field that is wrong.
    if (!candidate.checkConfigData(true, checkFirmVersion(), this)) {
        return;
    }
    if (!writeSettingsFile(*path, candidate)) {
        showError(Msg::SettingsFileMismatch);
        return;
    }
    m_setting = candidate;
}

void MainGUI::Version_Click() { showAbout(); }

void MainGUI::Stop_Click() { quit(); }

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
