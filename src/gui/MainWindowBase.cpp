// SPDX-License-Identifier: MIT
#include "gui/MainWindowBase.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFont>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "domain/app/Controller.h"
#include "domain/modem/CommandResult.h"
#include "gui/AboutSoft.h"
#include "gui/ErrMsg.h"
#include "gui/MenuCommands.h"
#include "settings/ChoiceLists.h"

namespace Tormel::Gui {

using Domain::App::AppCompletedCode;
using Domain::App::AppResult;
using Domain::App::AppStatus;

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

void MainWindowBase::buildMenus(QMenuBar& bar) {
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

    QMenu* help = addPlainMenu(bar, m_st.getString(Msg::MenuHelp), "Help_MenuItem");  // no Alt letter
    Version_MenuItem = addMenuCommand(*this, *help, m_st.getString(Msg::MenuAbout), "Version_MenuItem",
                                      QKeySequence(Qt::ALT | Qt::Key_A));
    m_editMenu = edit;
}

void MainWindowBase::addCommonCommands() {
    for (QObject* control : std::initializer_list<QObject*>{btnConnect, btnConnectRead, Connect_MenuItem,
                                                            ConnectRead_MenuItem}) {
        m_commands.add(WindowCommand::Connect, control);
    }
    m_commands.add(WindowCommand::SetButton, btnSetting);
    m_commands.add(WindowCommand::SetMenu, Set_MenuItem);
    m_commands.add(WindowCommand::FactoryShipment, btnFactoryShipment);
    m_commands.add(WindowCommand::FactoryShipment, FactoryShipmentSet_MenuItem);
    m_commands.add(WindowCommand::Revert, btnReturnSetting);
    m_commands.add(WindowCommand::Revert, Revert_MenuItem);
    m_commands.add(WindowCommand::SettingsFiles, SetFileOpen_MenuItem);
    m_commands.add(WindowCommand::SettingsFiles, SetFileSave_MenuItem);
    m_commands.add(WindowCommand::EditMenu, m_editMenu->menuAction());
    m_commands.apply(m_state);
}

void MainWindowBase::setWriteTarget(WriteTarget target) {
    m_state.target = target;
    m_commands.apply(m_state);
}

void MainWindowBase::setImageAccepted(bool accepted) {
    m_state.imageAccepted = accepted;
    m_commands.apply(m_state);
}

bool MainWindowBase::unitReadyForWrite() {
    if (m_state.link == Link::UnitHeld) {
        return true;
    }
    showBox(m_st.getString(Msg::WriteNotConnected), MessageBoxIcon::Error);
    return false;
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

void MainWindowBase::showStatus(ConnectionState state) {
    m_status->show(state, portName());
    switch (state) {
        case ConnectionState::Disconnected:
            m_state.link = Link::NoUnit;
            break;
        case ConnectionState::Connecting:
            m_state.link = Link::Connecting;
            break;
        case ConnectionState::Writing:
            m_state.link = Link::Writing;
            break;
        case ConnectionState::Connected:
            m_state.link = Link::UnitHeld;
            break;
    }
    m_commands.apply(m_state);
}

QString MainWindowBase::portName() const { return QString::fromStdString(controller().PortName()); }

void MainWindowBase::beginConnect(bool read) {
    m_scanReport.start();
    const AppResult started =
        read ? controller().ConnectAndRead([this](AppCompletedCode code) { connectReadCompleted(code); })
             : controller().Connect([this](AppCompletedCode code) { connectCompleted(code); });
    if (started == AppResult::Pendding) {
        showStatus(ConnectionState::Connecting);
    } else {
        m_scanReport.stop();
        showStatus(ConnectionState::Disconnected);
    }
}

bool MainWindowBase::connectSucceeded(AppCompletedCode code) {
    m_scanReport.stop();
    controller().Completed(code);
    if (code != AppCompletedCode::Success) {
        showConnectFailure(code);
        return false;
    }
    // A connect that was told to stop (the RS485 window's target turned to the firmware image
    // meanwhile) ends without a unit, whatever its code said.
    if (controller().Status() != AppStatus::Active) {
        showStatus(ConnectionState::Disconnected);
        return false;
    }
    m_state.unitSeen = true;
    showStatus(ConnectionState::Connected);
    showBox(m_st.getString(Msg::ConnectSucceeded), MessageBoxIcon::Information);
    txtSoftwareName->setText(QString::fromStdString(controller().NodeinfoConfig().SoftwareName));
    return true;
}

void MainWindowBase::readRefused(Msg why) {
    showBox(m_st.getString(why), MessageBoxIcon::Error);
    controller().Disconnect();
    showStatus(ConnectionState::Disconnected);
}

bool MainWindowBase::beginWrite(bool init) {
    m_defaultFileNote.clear();
    m_writeReport.start();
    auto done = [this](AppCompletedCode code) { writeCompleted(code); };
    const AppResult started = init ? controller().InitWrite(done) : controller().Write(done);
    if (started != AppResult::Pendding) {
        m_writeReport.stop();
        writeEnded(false);
        showBox(m_st.getString(Msg::WriteNotConnected), MessageBoxIcon::Error);
        showStatus(ConnectionState::Disconnected);
        return false;
    }
    return true;
}

void MainWindowBase::writeCompleted(AppCompletedCode code) {
    m_writeReport.stop();
    controller().Completed(code);
    writeEnded(code == AppCompletedCode::Success);
    if (code == AppCompletedCode::Success) {
        showStatus(ConnectionState::Connected);
        showBox(completedText(), MessageBoxIcon::Information);
        return;
    }
    QString text;
    if (code == AppCompletedCode::ConnectError) {
        text = m_st.getString(Msg::WriteNotConnected);
    } else if (code == AppCompletedCode::DataBit7NonParityError) {
        text = m_st.getString(Msg::DataBit7NoParityUnsupported);
    } else {
        // The unit's last line may answer an earlier, successful request: name the one that
        // failed and what the unit said to it.
        text = m_writeReport.text(m_st);
        if (text.isEmpty()) {
            text = unexplainedWriteFailure();
        }
        if (text.isEmpty()) {
            text = m_st.getString(Msg::WriteNotConnected);  // never an empty box
        }
    }
    // Nothing is rolled back: what the unit confirmed before the stop, it keeps.
    for (const QString& more : {m_writeReport.halfWrittenText(m_st), m_defaultFileNote}) {
        if (!more.isEmpty()) {
            text += QLatin1Char('\n') + more;
        }
    }
    showBox(text, MessageBoxIcon::Error);
    showStatus(ConnectionState::Disconnected);
}

void MainWindowBase::noteDefaultFileNotSaved(const QString& failure) {
    m_defaultFileNote = m_st.getString(Msg::DefaultSettingsFileNotSaved).arg(failure);
}

void MainWindowBase::clearDefaultFileNote() { m_defaultFileNote.clear(); }

QString MainWindowBase::completedText() const {
    QString text = m_st.getString(Msg::SettingCompleted);
    if (!m_defaultFileNote.isEmpty()) {
        text += QLatin1Char('\n') + m_defaultFileNote;
    }
    return text;
}

void MainWindowBase::storeLine(Communication& holder) const {
    const SerialLine line = m_line->line();
    holder.setBaudRate(ChoiceLists::baudRateIndex(line.bitRate, m_line->offers76800()).value_or(-1));
    holder.setDataBits(ChoiceLists::dataBitsIndex(line.dataBits).value_or(0));
    holder.setParity(ChoiceLists::parityIndex(line.parity).value_or(0));
    holder.setStopBits(ChoiceLists::stopBitsIndex(line.stopBits).value_or(0));
}

Domain::Common::Communication MainWindowBase::lineRecord() const {
    const SerialLine line = m_line->line();
    Domain::Common::Communication record;
    record.BaudRate = line.bitRate;
    record.DataBits = line.dataBits;
    record.Parity = line.parity;
    record.StopBits = line.stopBits;
    return record;
}

void MainWindowBase::showLine(std::optional<int32_t> bitRate, const UnitDocument& document) {
    SerialLine line = m_line->line();
    line.bitRate = bitRate.value_or(line.bitRate);
    line.dataBits = ChoiceLists::dataBitsAt(document.m_databits).value_or(line.dataBits);
    line.parity = ChoiceLists::parityAt(document.m_parity).value_or(line.parity);
    line.stopBits = ChoiceLists::stopBitsAt(document.m_stopbits).value_or(line.stopBits);
    m_line->setLine(line);
}

void MainWindowBase::storeAes(Nodeinfo& holder, AesType type, AesKeySetting keySetting) const {
    holder.setAESEncryptEnable(grpAESSecure->encryptionOn() ? 2 : 1);
    holder.setAESEncryptType(static_cast<int32_t>(type));
    holder.serAESEncryptKeySetting(static_cast<int32_t>(keySetting));
    const std::array<QString, 16> key = grpAESSecure->keyWords();
    for (int word = 1; word <= 16; ++word) {
        holder.setAesEncryptKey(word, key[static_cast<std::size_t>(word - 1)]);
    }
}

QString MainWindowBase::unexplainedWriteFailure() const { return m_st.getString(Msg::WriteNotConnected); }

void MainWindowBase::showBox(const QString& text, MessageBoxIcon icon) {
    toolkit().messageBox(text, m_st.getString(m_title), MessageBoxButtons::OK, icon, this);
}

void MainWindowBase::showConnectFailure(AppCompletedCode code) {
    if (code == AppCompletedCode::ConnectError) {
        // No port gave a unit: the box says what each one did.
        toolkit().messageBoxWithDetails(m_st.getString(Msg::ReadFailed), m_scanReport.text(),
                                        m_st.getString(m_title), MessageBoxButtons::OK, MessageBoxIcon::Error,
                                        this);
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

std::optional<QString> MainWindowBase::askSettingsFile(bool save) {
    FileDialogOptions options;
    options.Filter = QStringLiteral("設定ファイル|*.xml");
    options.FileName = m_st.getString(Msg::DefaultSettingsFileName);
    if (!m_strFilePath.isEmpty()) {
        options.InitialDirectory = QFileInfo(m_strFilePath).absolutePath();
    }
    const DialogResult answer =
        save ? toolkit().saveFileDialog(options, this) : toolkit().openFileDialog(options, this);
    if (answer != DialogResult::OK) {
        return std::nullopt;
    }
    if (!save) {
        m_strFilePath = options.FileName;
    }
    return options.FileName;
}

}  // namespace Tormel::Gui
