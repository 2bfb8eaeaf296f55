// SPDX-License-Identifier: MIT
// The contact-I/O window's life cycle and what it tells the shared window code (FamilyWindow):
// its records, its steps once a unit answered, and opening its settings files.
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

MainGUI_TX_330::MainGUI_TX_330(QWidget* parent) : FamilyWindow({Msg::Tx330ToolTitle}, parent) {
    m_app = makeController<Domain::App::TormelApp_TX330>();

    setObjectName(QStringLiteral("MainGUI_TX_330"));
    preferJapaneseFonts({QStringLiteral("TakaoPGothic")});
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinimizeButtonHint);
    buildControls();
    m_status = std::make_unique<StatusDisplay>(*txtStateSetting, *txtSoftwareName, m_st);
    addCommonCommands();
    connectRules();
    wireCommonCommands();

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

// ---- what the shared window code asks of this family ----

Domain::Common::Communication MainGUI_TX_330::connectLine() const {
    Domain::Common::Communication line = lineRecord();
    // The response delay as the form would store it; none while its box holds no number.
    line.Awt = Tx330Form::wholeNumber(txtAwt->text()).value_or(0) / 10;
    return line;
}

int MainGUI_TX_330::shownTab() const { return tabControl1->currentIndex(); }

void MainGUI_TX_330::unitConnected(bool /*read*/) {
    grpAESSecure->show();
    grpAESSecure->setEnabled(true);
    setObjectSetting();
}

MainGUI_TX_330::FromUnit MainGUI_TX_330::settingsFromUnit() {
    return {Tx330Records::configFromRecords(m_app->CommunicationConfig(), m_app->NodeinfoConfig(),
                                            m_app->WirelessConfig(), m_app->DidoConfig()),
            Msg::ReadFailed,
            {}};  // the form's load names the values it cannot show
}

std::optional<ApplicationConfig_TX330> MainGUI_TX_330::formSettings(bool forWrite) {
    return saveConfig(forWrite);
}

void MainGUI_TX_330::loadSettings(const ApplicationConfig_TX330& config) {
    ApplicationConfig_TX330 shown = config;
    setApplication(shown, false);
}

void MainGUI_TX_330::loadDefaults() { setApplicationDefault(); }

void MainGUI_TX_330::handOver(const ApplicationConfig_TX330& config) {
    m_app->CommunicationConfig(Tx330Records::communicationOf(config));
    m_app->NodeinfoConfig(Tx330Records::nodeinfoOf(config, static_cast<int32_t>(grpAESSecure->keyChoice()),
                                                   m_app->NodeinfoConfig()));
    m_app->WirelessConfig(Tx330Records::wirelessOf(config));
    m_app->DidoConfig(Tx330Records::didoOf(config));
}

void MainGUI_TX_330::openSettings() {
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

}  // namespace Tormel::Gui
