// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <optional>

#include "domain/app/AppCompletedCode.h"
#include "domain/app/Controller.h"
#include "gui/AesPanel.h"
#include "gui/QtDispatcher.h"
#include "gui/SerialLinePanel.h"
#include "gui/StatusDisplay.h"
#include "gui/WindowState.h"
#include "gui/WriteFailureReport.h"
#include "settings/ErrCheck.h"
#include "settings/ScanReport.h"
#include "settings/StringTable.h"
#include "settings/Toolkit.h"
#include "settings/UnitDocument.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace Tormel::Gui {

// What both main windows do alike: the status boxes and the busy set, the command buttons and
// menus every unit family offers, the serial line and security panels both forms hold (to and
// from the settings as values), the connect and write sequences and how their completions are
// shown, the boxes shown under the window's own title, the settings-file dialog, and closing
// through the question whether unsaved changes may be lost. What needs the family's settings
// document (the commands themselves) is FamilyWindow.
class MainWindowBase : public QDialog {
    Q_OBJECT
  public:
    ConnectionState connectionState() const { return m_status->state(); }
    const WindowState& windowState() const { return m_state; }

  public slots:
    // Escape and every other way of dismissing the window go through the close question.
    void reject() override;

  protected:
    MainWindowBase(Msg title, QWidget* parent);

    // True when closing would lose nothing: the form stores exactly the committed settings.
    virtual bool checkConfig() = 0;
    // Whether the AES part of the record check applies to the unit at hand.
    virtual bool checkFirmVersion() const = 0;
    // Creates the window's controller, its completions delivered on this window's thread, and
    // makes it the window's way to its unit. The window owns it and must keep it while it lives.
    template <class App>
    std::unique_ptr<App> makeController() {
        auto app = std::make_unique<App>(qtDispatcher(this));
        app->Init();
        m_controller = app.get();
        return app;
    }
    // The window's way to its unit.
    Domain::App::Controller& controller() const { return *m_controller; }
    // A write or factory reset started by the window has ended; only a successful one makes what
    // was written the committed settings.
    virtual void writeEnded(bool succeeded) = 0;
    // The completions of a connect and of a connect-and-read; each acknowledges its code
    // through connectSucceeded() before it fills the form.
    virtual void connectCompleted(Domain::App::AppCompletedCode code) = 0;
    virtual void connectReadCompleted(Domain::App::AppCompletedCode code) = 0;
    // The text of a failed write when the dialogue with the unit names no request that failed.
    virtual QString unexplainedWriteFailure() const;

    // The port of the unit at hand, shown beside "Connected".
    QString portName() const;

    void closeEvent(QCloseEvent* event) override;

    // Most texts are Japanese in both languages; a Japanese UI font first spares the font
    // system a fallback search per character. `more` follows the common Japanese families.
    void preferJapaneseFonts(const QStringList& more = {});
    // The File, Edit and Help menus with their commands, those that need a unit not offered
    // yet.
    void buildMenus(QMenuBar& bar);

    // Stop and the Exit command: closing without the question.
    void quit();
    void showAbout();
    // Shows the connection state and moves the window's state with it, so every command follows.
    void showStatus(ConnectionState state);
    // The controls of the commands both windows have (the whole Edit menu too, which waits
    // while an operation runs); each window adds its own to m_commands.
    void addCommonCommands();
    void setWriteTarget(WriteTarget target);
    void setImageAccepted(bool accepted);
    // True when a write may start now on the unit target; otherwise says so (message 57), so that a
    // command still offered without a unit changes nothing.
    bool unitReadyForWrite();
    // Starts a connect (with the unit's values read when `read`) on the serial line already
    // handed to the controller: "Connecting" and busy while it runs, or, when it could not
    // start, the scan report stopped and the window shown disconnected.
    void beginConnect(bool read);
    // Acknowledges a connect's completion; true when it left a unit connected, which the window
    // then shows as connected, with Set, Factory Shipment and the settings files offered.
    // Otherwise says why (when anything went wrong) and shows the window disconnected.
    bool connectSucceeded(Domain::App::AppCompletedCode code);
    // The unit's values cannot be shown: says `why` and lets go of the unit, so that nothing is
    // written to a unit the window calls disconnected.
    void readRefused(Msg why);
    // Starts writing the records already handed to the controller (`init`: the write of a
    // factory reset), following the dialogue so that a failure can name the request the unit
    // refused and the settings it confirmed. The window is to show "Writing" and be busy
    // already; a write that cannot start is reported and ends both. True when the write started.
    bool beginWrite(bool init);
    // The default settings file could not be written (`failure`: where it was tried and the
    // system's reason): said below the message that ends the write.
    void noteDefaultFileNotSaved(const QString& failure);
    void clearDefaultFileNote();
    // "Completed", with what went wrong beside the unit's write.
    QString completedText() const;

    // ---- the shared panels to and from the settings ----
    // The serial line into the holder as a settings document keeps it (list positions of the
    // values shown).
    void storeLine(Communication& holder) const;
    // The serial line as the records carry it; the family adds its own fields.
    Domain::Common::Communication lineRecord() const;
    // Shows a settings document's serial line: `bitRate` what its baud position means (nothing:
    // the list stays), the other positions read from `document`; a position outside its list
    // leaves that list as it was.
    void showLine(std::optional<int32_t> bitRate, const UnitDocument& document);
    // The AES panel into the holder: on or off and the key words as shown, `type` and
    // `keySetting` as they apply to the unit at hand.
    void storeAes(Nodeinfo& holder, AesType type, AesKeySetting keySetting) const;
    void showBox(const QString& text, MessageBoxIcon icon);
    // A connect or read that gave no unit: says why (with what every port did when none gave a
    // unit) and shows the window disconnected.
    void showConnectFailure(Domain::App::AppCompletedCode code);
    // True when the technician confirms that the unit is to be reset to its factory settings.
    bool confirmFactoryShipment();
    // Asks for a settings file to open (save: to write), starting in the folder of the last file
    // opened; nothing when the user cancels. Opening remembers the file.
    std::optional<QString> askSettingsFile(bool save);

    const Msg m_title;
    StringTable m_st;
    ErrCheck m_check;
    bool m_closeFlg = false;
    QString m_strFilePath;
    std::unique_ptr<StatusDisplay> m_status;
    WindowState m_state;
    CommandControls m_commands;
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

    // The serial line between the unit and the equipment it serves.
    std::unique_ptr<SerialLinePanel> m_line;
    QPushButton* btnDefaultCom = nullptr;

    // The radio's AES encryption.
    AesPanel* grpAESSecure = nullptr;

    QAction* SetFileOpen_MenuItem = nullptr;
    QAction* SetFileSave_MenuItem = nullptr;
    QAction* SettingToolExit_MenuItem = nullptr;
    QAction* Revert_MenuItem = nullptr;
    QAction* Connect_MenuItem = nullptr;
    QAction* ConnectRead_MenuItem = nullptr;
    QAction* Set_MenuItem = nullptr;
    QAction* FactoryShipmentSet_MenuItem = nullptr;
    QAction* Version_MenuItem = nullptr;
    QMenu* m_editMenu = nullptr;

  private:
    void writeCompleted(Domain::App::AppCompletedCode code);

    Domain::App::Controller* m_controller = nullptr;
    QString m_defaultFileNote;
};

}  // namespace Tormel::Gui
