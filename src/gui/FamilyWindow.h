// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <optional>

#include "gui/MainWindowBase.h"
#include "settings/ApplicationConfig.h"
#include "settings/ApplicationConfig_TX330.h"

namespace Tormel::Gui {

// What sets one unit family's window apart in the steps both windows take alike.
struct FamilyRules {
    Msg title;
    // The window keeps the default settings file (config.xml): every write that starts rewrites it,
    // and a Factory Shipment the unit confirmed starts it afresh. The contact-I/O window only reads it.
    bool keepsDefaultSettingsFile = false;
};

// One copy of what both main windows do with their settings (`Settings`: the family's settings
// document): the commands both offer wired to the state table, Connect and the steps after a read,
// Set to the unit, the end of a write, Factory Shipment, Revert and saving a settings file. A
// window says what is its own through the hooks below and FamilyRules; everything else is here.
template <class Settings>
class FamilyWindow : public MainWindowBase {
  public:
    // The committed settings: start-up, the last write the unit confirmed, the last file saved.
    const Settings& committedSettings() const { return m_setting; }

  protected:
    FamilyWindow(const FamilyRules& rules, QWidget* parent);

    // ---- the family's own ----
    // The form as settings; nothing when a box holds no value. `forWrite`: the form is about to
    // be written or saved (boxes are tidied the way a write takes them, and a box without a value
    // says so).
    virtual std::optional<Settings> formSettings(bool forWrite) = 0;
    // Shows `settings` in the form (a file, a read, Revert).
    virtual void loadSettings(const Settings& settings) = 0;
    // Shows the factory settings in the form.
    virtual void loadDefaults() = 0;
    // Why the unit at hand cannot take `settings`; nothing when it can.
    virtual std::optional<Msg> refusalFor(const Settings& settings) const;
    // Hands the records of `settings` to the controller, ahead of a write.
    virtual void handOver(const Settings& settings) = 0;
    // The records of the unit just read as settings for the form; otherwise the message why they
    // cannot be shown.
    struct FromUnit {
        std::optional<Settings> settings;
        Msg failure = Msg::ReadFailed;
        QString notice;  // a warning to show once the form holds the values (values it cannot show)
    };
    virtual FromUnit settingsFromUnit() = 0;
    // What the form does once a unit answered (its capability, the lists of its module); `read`
    // when its values follow.
    virtual void unitConnected(bool read) = 0;
    // The serial line a connect starts from: the form's line with the family's own fields.
    virtual Domain::Common::Communication connectLine() const = 0;
    // The tab page shown, which a settings document keeps.
    virtual int shownTab() const = 0;
    virtual void openSettings() = 0;
    // Set: writes the form to the unit (the RS485 window may write a firmware image instead).
    virtual void set();

    // ---- what both do ----
    // Buttons and menu items of the commands both windows have, wired alike in both: each runs
    // only while the state table enables it.
    void wireCommonCommands();
    void startConnect(bool read);
    // The form checked for a write (messages name the field that is wrong); a key that is being
    // reset is not sent, so its words are emptied first.
    std::optional<Settings> settingsToWrite();
    // Checks the form and starts writing it to the held unit; true when the write started.
    bool writeToUnit();
    // The unit is reset to its factory settings (`ask`: after message 67); the form and the
    // default settings file follow only once the unit confirmed the reset.
    void factoryShipment(bool ask);
    void revert();
    // "Save Config File": only a file that was written counts as saved.
    void saveSettings();
    // Writes the default settings file; a failure is told with the write's completion.
    void saveDefaultSettingsFile(const Settings& settings);

    Settings m_setting;
    Settings m_startSetting;

  private:
    void connectCompleted(Domain::App::AppCompletedCode code) override;
    void connectReadCompleted(Domain::App::AppCompletedCode code) override;
    void writeEnded(bool succeeded) override;

    // The write that runs: the settings it sends (nothing for a factory reset).
    struct PendingWrite {
        std::optional<Settings> settings;
    };
    std::optional<PendingWrite> m_writing;
    const FamilyRules m_rules;
};

extern template class FamilyWindow<ApplicationConfig>;
extern template class FamilyWindow<ApplicationConfig_TX330>;

}  // namespace Tormel::Gui
