// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QPointer>
#include <array>
#include <cstddef>

class QObject;

namespace Tormel::Gui {

// Where a main window stands with its unit.
enum class Link {
    NoUnit,      // nothing connected, or the unit was let go of
    Connecting,  // a connect or a connect-and-read runs
    UnitHeld,    // a unit answered and is still connected
    Writing,     // a write or a factory reset runs
};

// Where Set writes: the connected unit, or a firmware image file (the RS485 window only).
enum class WriteTarget { Unit, Image };

struct WindowState {
    Link link = Link::NoUnit;
    // A connect has succeeded since the window opened: Set and the settings files wait for it,
    // also with the firmware image as the target.
    bool unitSeen = false;
    WriteTarget target = WriteTarget::Unit;
    // An image was chosen and its settings could be read into the form.
    bool imageAccepted = false;

    bool busy() const { return link == Link::Connecting || link == Link::Writing; }
};

// Every command of the two main windows whose availability changes with the window's state.
// A command may stand for several controls (a button and its menu item).
enum class WindowCommand : std::size_t {
    Connect,          // Connect and Get Values, buttons and menu items
    SetButton,        // the Set button
    SetMenu,          // Set in the Edit menu
    FactoryShipment,  // the button and the menu item (which resets without asking)
    Revert,           // button and menu item
    SettingsFiles,    // Open and Save Config File
    FormTools,        // the target selector and the protocol presets
    SelectImage,      // choosing a firmware image
    EditMenu,         // the contact-I/O window's whole Edit menu
    Count,
};

// Whether `command` is offered in `state`. One table in WindowState.cpp decides it for both
// windows; nothing else enables or disables a command.
bool commandEnabled(WindowCommand command, const WindowState& state);

// The controls of each command in one window; apply() gives every control its command's state.
// Controls destroyed meanwhile are skipped.
class CommandControls {
  public:
    void add(WindowCommand command, QObject* control);
    void apply(const WindowState& state) const;

  private:
    std::array<QList<QPointer<QObject>>, static_cast<std::size_t>(WindowCommand::Count)> m_controls;
};

}  // namespace Tormel::Gui
