// SPDX-License-Identifier: MIT
// The contact-I/O window's life cycle and commands: creation, Connect, Get Values, Set,
// Factory Shipment, Revert, the settings files, and closing.
#include "gui/tx330/MainGUI_TX_330.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>

#include "gui/QtDispatcher.h"
#include "gui/tx330/Tx330Form.h"
#include "settings/Config_TX330.h"

namespace Tormel::Gui {

using Domain::App::AppCompletedCode;

MainGUI_TX_330::MainGUI_TX_330(QWidget* parent) : MainWindowBase(Msg::Tx330ToolTitle, parent) {
    m_app = makeController<Domain::App::TormelApp_TX330>();

    setObjectName(QStringLiteral("MainGUI_TX_330"));
    preferJapaneseFonts({QStringLiteral("TakaoPGothic")});
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinimizeButtonHint);
    buildControls();
    m_status = std::make_unique<StatusDisplay>(*txtStateSetting, *txtSoftwareName, m_st);
    addCommonCommands();
    m_commands.add(WindowCommand::EditMenu, m_editMenu->menuAction());
    m_commands.apply(m_state);
    connectRules();

    connect(btnConnect, &QPushButton::clicked, this, [this] { startConnect(false); });
    connect(btnConnectRead, &QPushButton::clicked, this, [this] { startConnect(true); });
    connect(btnSetting, &QPushButton::clicked, this, [this] { Setting(false); });
    connect(btnFactoryShipment, &QPushButton::clicked, this, [this] { factoryShipment(true); });
    connect(btnReturnSetting, &QPushButton::clicked, this, &MainGUI_TX_330::Revert);
    connect(btnStop, &QPushButton::clicked, this, &MainGUI_TX_330::quit);
    connect(btnAbout, &QPushButton::clicked, this, &MainGUI_TX_330::showAbout);
    // The Edit menu's shortcuts work while the menus are closed, so they must also respect
    // the busy state of the menu itself.
    auto editCommand = [this](QAction* action, auto command) {
        connect(action, &QAction::triggered, this, [this, command] {
            if (commandEnabled(WindowCommand::EditMenu, m_state)) {
                command();
            }
        });
    };
    editCommand(Revert_MenuItem, [this] { Revert(); });
    editCommand(Connect_MenuItem, [this] { startConnect(false); });
    editCommand(ConnectRead_MenuItem, [this] { startConnect(true); });
    editCommand(Set_MenuItem, [this] { Setting(false); });
    editCommand(FactoryShipmentSet_MenuItem, [this] { factoryShipment(false); });
    connect(SetFileOpen_MenuItem, &QAction::triggered, this, &MainGUI_TX_330::SetFileOpen);
    connect(SetFileSave_MenuItem, &QAction::triggered, this, &MainGUI_TX_330::SetFileSave);
    connect(SettingToolExit_MenuItem, &QAction::triggered, this, &MainGUI_TX_330::quit);
    connect(Version_MenuItem, &QAction::triggered, this, &MainGUI_TX_330::showAbout);

    showStatus(ConnectionState::Disconnected);
    selectNodeRole(true);

    if (std::optional<ApplicationConfig_TX330> stored = loadStartupSettings_TX330()) {
        setApplication(*stored, true);
    } else {
        setApplicationDefault();
    }

    // The form as loaded always reads back: every box was filled by the program.
    m_startSetting = saveConfig(false).value_or(ApplicationConfig_TX330());
    m_setting = saveConfig(false).value_or(ApplicationConfig_TX330());
}

MainGUI_TX_330::~MainGUI_TX_330() {
    m_app->Disconnect();
    m_app->End();
    m_writeReport.stop();
}

// ---- frame ----

void MainGUI_TX_330::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    }
}

// ---- Connect and Get Values ----

void MainGUI_TX_330::startConnect(bool read) {
    const std::optional<ApplicationConfig_TX330> form = saveConfig(false);
    ApplicationConfig_TX330 line;
    const LinePositions shown = m_line->positions();
    line.m_baudrate = shown.baudrate;
    line.m_databits = shown.databits;
    line.m_parity = shown.parity;
    line.m_stopbits = shown.stopbits;
    line.m_awt = form ? form->m_awt : 0;
    m_app->CommunicationConfig(Tx330Records::communicationOf(line));
    beginConnect(read);
}

void MainGUI_TX_330::connectedSteps() {
    grpAESSecure->show();
    grpAESSecure->setEnabled(true);
    setObjectSetting();
}

void MainGUI_TX_330::connectCompleted(AppCompletedCode code) {
    if (connectSucceeded(code)) {
        connectedSteps();
    }
}

void MainGUI_TX_330::connectReadCompleted(AppCompletedCode code) {
    if (!connectSucceeded(code)) {
        return;
    }
    connectedSteps();
    std::optional<ApplicationConfig_TX330> config = Tx330Records::configFromRecords(
        m_app->CommunicationConfig(), m_app->NodeinfoConfig(), m_app->WirelessConfig(), m_app->DidoConfig());
    if (!config) {
        readRefused(Msg::ReadFailed);
        return;
    }
    config->setTarget(0);
    config->setTabSelect(tabControl1->currentIndex());
    config->m_aesEncryptKey = grpAESSecure->keyWords();
    if (!config->checkConfigData(false, checkFirmVersion(), this)) {
        readRefused(Msg::ReadFailed);
        return;
    }
    setApplication(*config, false);
}

// ---- Set and Factory Shipment ----

bool MainGUI_TX_330::Setting(bool init) {
    // The Set menu item stays offered after a unit was let go of: it then changes nothing.
    if (!unitReadyForWrite()) {
        return false;
    }
    const std::optional<ApplicationConfig_TX330> candidate = saveConfig(true);
    if (!candidate) {
        return false;
    }
    if (grpAESSecure->keyChoice() == AesPanel::kResetKey) {
        // A key that is being reset is not sent: its words go out as 0.
        grpAESSecure->setKeyWords({});
    }
    if (!candidate->checkConfigData(true, checkFirmVersion(), this)) {
        return false;
    }
    const std::optional<ApplicationConfig_TX330> form = saveConfig(false);
    if (!form) {
        return false;
    }

    showStatus(ConnectionState::Writing);
    m_app->CommunicationConfig(Tx330Records::communicationOf(*form));
    m_app->NodeinfoConfig(Tx330Records::nodeinfoOf(*form, keySetting(), m_app->NodeinfoConfig()));
    m_app->WirelessConfig(Tx330Records::wirelessOf(*form));
    m_app->DidoConfig(Tx330Records::didoOf(*form));
    m_writing = form;
    return beginWrite(init);
}

void MainGUI_TX_330::writeEnded(bool succeeded) {
    // Only settings the unit confirmed are committed; after a failure closing still asks.
    if (succeeded && m_writing) {
        m_setting = *m_writing;
    }
    m_writing.reset();
}

void MainGUI_TX_330::factoryShipment(bool ask) {
    // The form changes only for a reset that started on a held unit.
    if (!commandEnabled(WindowCommand::FactoryShipment, m_state) || !unitReadyForWrite()) {
        return;
    }
    if (ask && !confirmFactoryShipment()) {
        return;
    }
    // The default settings file in the program's folder belongs to the RS485 window; this
    // window never writes it, so it has nothing there to delete.
    std::optional<ApplicationConfig_TX330> before = saveConfig(false);
    setApplicationDefault();
    if (!Setting(true) && before) {
        setApplication(*before, false);
    }
}

void MainGUI_TX_330::Revert() {
    ApplicationConfig_TX330 start = m_startSetting;
    setApplication(start, false);
}

// ---- settings files ----

void MainGUI_TX_330::SetFileOpen() {
    const std::optional<QString> path = askSettingsFile(false);
    if (!path) {
        return;
    }
    OpenSettingsOutcome_TX330 outcome =
        openSettingsFile_TX330(*path, checkFirmVersion(), this, [this] { setApplicationDefault(); });
    if (outcome.result == OpenSettingsResult_TX330::Loaded) {
        setApplication(outcome.config, false);
    } else if (outcome.result == OpenSettingsResult_TX330::Refused) {
        setApplicationDefault();
    }
}

void MainGUI_TX_330::SetFileSave() {
    const std::optional<QString> path = askSettingsFile(true);
    if (!path) {
        return;
    }
    const std::optional<ApplicationConfig_TX330> candidate = saveConfig(true);
    if (!candidate || !candidate->checkConfigData(true, checkFirmVersion(), this)) {
        return;
    }
    // Only a file that was really written counts as saved; otherwise closing must still ask.
    if (!writeSettingsFile_TX330(*path, *candidate)) {
        showBox(m_st.getString(Msg::SettingsFileMismatch), MessageBoxIcon::Error);
        return;
    }
    m_setting = *candidate;
}

}  // namespace Tormel::Gui
