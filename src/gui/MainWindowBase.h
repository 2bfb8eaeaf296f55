// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <memory>

#include "domain/app/AppCompletedCode.h"
#include "gui/StatusDisplay.h"
#include "gui/WriteFailureReport.h"
#include "settings/ErrCheck.h"
#include "settings/ScanReport.h"
#include "settings/StringTable.h"
#include "settings/Toolkit.h"

class QAction;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;

namespace Tormel::Gui {

// What both main windows do alike: the status boxes and the busy set, the command buttons and
// menus every unit family offers, the boxes shown under the window's own title, the settings-file
// dialog, and closing through the question whether unsaved changes may be lost.
class MainWindowBase : public QDialog {
    Q_OBJECT
  public:
    ConnectionState connectionState() const { return m_status->state(); }

  public slots:
    // Escape and every other way of dismissing the window go through the close question.
    void reject() override;

  protected:
    MainWindowBase(Msg title, QWidget* parent);

    // True when closing would lose nothing: the form stores exactly the committed settings.
    virtual bool checkConfig() = 0;
    // The port of the unit at hand, shown beside "Connected".
    virtual QString portName() const = 0;

    void closeEvent(QCloseEvent* event) override;

    // Most texts are Japanese in both languages; a Japanese UI font first spares the font
    // system a fallback search per character. `more` follows the common Japanese families.
    void preferJapaneseFonts(const QStringList& more = {});
    // The File, Edit and Help menus with their commands; returns the Edit menu.
    QMenu* buildMenus(QMenuBar& bar);

    // Stop and the Exit command: closing without the question.
    void quit();
    void showAbout();
    void showStatus(ConnectionState state);
    // After a connect was asked for: "Connecting" while it runs (true), or, when it could not
    // start, the scan report stopped and the window shown disconnected (false).
    bool connectStarted(bool pending);
    void showBox(const QString& text, MessageBoxIcon icon);
    // A connect or read that gave no unit: says why (with what every port did when none gave a
    // unit) and shows the window disconnected.
    void showConnectFailure(Domain::App::AppCompletedCode code);
    // True when the technician confirms that the unit is to be reset to its factory settings.
    bool confirmFactoryShipment();
    // The settings-file dialog opened where the last file was.
    FileDialogOptions settingsFileDialogOptions() const;

    const Msg m_title;
    StringTable m_st;
    ErrCheck m_check;
    bool m_closeFlg = false;
    bool m_rangeFlg = false;
    bool m_grpFlg = false;
    QString m_strFilePath;
    std::unique_ptr<StatusDisplay> m_status;
    BusySet m_busy;
    WriteFailureReport m_writeReport;
    // Follows each connect's scan, so that "no unit" can say what every port did.
    ScanFollower m_scanReport;

    QPushButton* btnConnect = nullptr;
    QPushButton* btnConnectRead = nullptr;
    QLineEdit* txtStateSetting = nullptr;
    QLineEdit* txtSoftwareName = nullptr;
    QPushButton* btnSetting = nullptr;
    QPushButton* btnReturnSetting = nullptr;
    QPushButton* btnStop = nullptr;
    QPushButton* btnFactoryShipment = nullptr;
    QPushButton* btnAbout = nullptr;

    QAction* SetFileOpen_MenuItem = nullptr;
    QAction* SetFileSave_MenuItem = nullptr;
    QAction* SettingToolExit_MenuItem = nullptr;
    QAction* Revert_MenuItem = nullptr;
    QAction* Connect_MenuItem = nullptr;
    QAction* ConnectRead_MenuItem = nullptr;
    QAction* Set_MenuItem = nullptr;
    QAction* FactoryShipmentSet_MenuItem = nullptr;
    QAction* Version_MenuItem = nullptr;
};

}  // namespace Tormel::Gui
