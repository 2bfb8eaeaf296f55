// SPDX-License-Identifier: MIT
#include "gui/MainWindowBase.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QFont>
#include <QMenu>
#include <QMenuBar>

#include "domain/modem/CommandResult.h"
#include "gui/AboutSoft.h"
#include "gui/ErrMsg.h"
#include "gui/MenuCommands.h"

namespace Tormel::Gui {

using Domain::App::AppCompletedCode;

MainWindowBase::MainWindowBase(Msg title, QWidget* parent) : QDialog(parent), m_title(title) {
    setWindowTitle(m_st.getString(m_title) + QStringLiteral(" Ver.") + m_st.getString(Msg::ToolVersion));
}

void MainWindowBase::preferJapaneseFonts(const QStringList& more) {
    QFont japanese = font();
    QStringList families{QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAexGothic"),
                         QStringLiteral("IPAGothic"), QStringLiteral("VL Gothic")};
    families << more << japanese.families();
    japanese.setFamilies(families);
    setFont(japanese);
}

QMenu* MainWindowBase::buildMenus(QMenuBar& bar) {
    QMenu* file =
        addMnemonicMenu(bar, m_st.getString(Msg::MenuFile), QLatin1Char('F'), "ファイルFToolStripMenuItem");
    SetFileOpen_MenuItem = addMenuCommand(*this, *file, m_st.getString(Msg::MenuOpenConfig),
                                          "SetFileOpen_MenuItem", QKeySequence(Qt::ALT | Qt::Key_O));
    SetFileSave_MenuItem = addMenuCommand(*this, *file, m_st.getString(Msg::MenuSaveConfig),
                                          "SetFileSave_MenuItem", QKeySequence(Qt::ALT | Qt::Key_S));
    file->addSeparator();
    SettingToolExit_MenuItem = addMenuCommand(*this, *file, m_st.getString(Msg::MenuClose),
                                              "SettingToolExit_MenuItem", QKeySequence(Qt::ALT | Qt::Key_X));

    QMenu* edit =
        addMnemonicMenu(bar, m_st.getString(Msg::MenuEdit), QLatin1Char('E'), "接続ToolStripMenuItem");
    Revert_MenuItem = addMenuCommand(*this, *edit, m_st.getString(Msg::MenuRevert), "Revert_MenuItem");
    edit->addSeparator();
    Connect_MenuItem = addMenuCommand(*this, *edit, m_st.getString(Msg::MenuConnect), "Connect_MenuItem",
                                      QKeySequence(Qt::ALT | Qt::Key_C));
    ConnectRead_MenuItem = addMenuCommand(*this, *edit, m_st.getString(Msg::MenuConnectRead),
                                          "ConnectRead_MenuItem", QKeySequence(Qt::ALT | Qt::Key_R));
    edit->addSeparator();
    Set_MenuItem = addMenuCommand(*this, *edit, m_st.getString(Msg::MenuSet), "Set_MenuItem",
                                  QKeySequence(Qt::ALT | Qt::Key_Y));
    FactoryShipmentSet_MenuItem =
        addMenuCommand(*this, *edit, m_st.getString(Msg::MenuFactoryShipment), "FactoryShipmentSet_MenuItem",
                       QKeySequence(Qt::ALT | Qt::Key_W));

    QMenu* help = addMnemonicMenu(bar, m_st.getString(Msg::MenuHelp), QLatin1Char('H'), "Help_MenuItem");
    Version_MenuItem = addMenuCommand(*this, *help, m_st.getString(Msg::MenuAbout), "Version_MenuItem",
                                      QKeySequence(Qt::ALT | Qt::Key_A));
    return edit;
}

void MainWindowBase::reject() { close(); }

void MainWindowBase::closeEvent(QCloseEvent* event) {
    if (!m_closeFlg && !checkConfig() && !ErrMsg::confirmDiscard(this, m_title)) {
        event->ignore();
        return;
    }
    event->accept();
    QDialog::done(QDialog::Rejected);
}

void MainWindowBase::quit() {
    m_closeFlg = true;
    close();
    m_closeFlg = false;
}

void MainWindowBase::showAbout() {
    AboutSoft about(this);
    toolkit().showModal(about);
}

void MainWindowBase::showStatus(ConnectionState state) { m_status->show(state, portName()); }

bool MainWindowBase::connectStarted(bool pending) {
    if (pending) {
        showStatus(ConnectionState::Connecting);
    } else {
        m_scanReport.stop();
        showStatus(ConnectionState::Disconnected);
    }
    return pending;
}

void MainWindowBase::showBox(const QString& text, MessageBoxIcon icon) {
    toolkit().messageBox(text, m_st.getString(m_title), MessageBoxButtons::OK, icon, this);
}

void MainWindowBase::showConnectFailure(AppCompletedCode code) {
    if (code == AppCompletedCode::ConnectError) {
        // No port gave a unit: the box says what each one did.
        toolkit().messageBoxWithDetails(
            m_st.getString(Msg::ReadFailed), m_scanReport.text(Domain::Modem::CommandResult::ErrConnect),
            m_st.getString(m_title), MessageBoxButtons::OK, MessageBoxIcon::Error, this);
    } else {
        showBox(
            m_st.getString(code == AppCompletedCode::Unsupported ? Msg::UnitNotSupported : Msg::ReadFailed),
            MessageBoxIcon::Error);
    }
    showStatus(ConnectionState::Disconnected);
}

bool MainWindowBase::confirmFactoryShipment() {
    return toolkit().messageBox(m_st.getString(Msg::FactoryShipmentQuestion), m_st.getString(m_title),
                                MessageBoxButtons::OKCancel, MessageBoxIcon::Question,
                                this) == DialogResult::OK;
}

FileDialogOptions MainWindowBase::settingsFileDialogOptions() const {
    FileDialogOptions options;
    options.Filter = QStringLiteral("設定ファイル|*.xml");
    options.FileName = m_st.getString(Msg::DefaultSettingsFileName);
    if (!m_strFilePath.isEmpty()) {
        options.InitialDirectory = QFileInfo(m_strFilePath).absolutePath();
    }
    return options;
}

}  // namespace Tormel::Gui
