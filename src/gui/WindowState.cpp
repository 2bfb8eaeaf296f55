// SPDX-License-Identifier: MIT
#include "gui/WindowState.h"

#include <QAction>
#include <QWidget>
#include <iterator>

namespace Tormel::Gui {

namespace {

using S = WindowState;

bool idle(const S& s) { return !s.busy(); }
bool onUnit(const S& s) { return s.target == WriteTarget::Unit; }
bool unitHeld(const S& s) { return s.link == Link::UnitHeld; }

struct Rule {
    WindowCommand command;
    bool (*enabled)(const S&);
};

// Nothing starts while an operation runs. Connect and Get Values need the unit as the target:
// with the firmware image they would fit the image's form to a unit and hold the controller that
// the image's load and store need. A write needs what it writes to: the connected unit, or an
// image whose settings were read. The Set menu item stays offered once a unit has answered and
// says why it cannot write; a factory reset, which asks nothing from the menu, is offered only
// with a unit to reset.
constexpr Rule kRules[] = {
    {WindowCommand::Connect, [](const S& s) { return idle(s) && onUnit(s); }},
    {WindowCommand::SetButton,
     [](const S& s) { return idle(s) && s.unitSeen && (onUnit(s) ? unitHeld(s) : s.imageAccepted); }},
    {WindowCommand::SetMenu, [](const S& s) { return idle(s) && s.unitSeen; }},
    {WindowCommand::FactoryShipment, [](const S& s) { return onUnit(s) && unitHeld(s); }},
    {WindowCommand::Revert, idle},
    {WindowCommand::SettingsFiles, [](const S& s) { return s.unitSeen; }},
    {WindowCommand::FormTools, idle},
    {WindowCommand::SelectImage, [](const S& s) { return idle(s) && !onUnit(s); }},
    {WindowCommand::EditMenu, idle},
};

constexpr bool rulesInCommandOrder() {
    for (std::size_t i = 0; i < std::size(kRules); ++i) {
        if (kRules[i].command != static_cast<WindowCommand>(i)) {
            return false;
        }
    }
    return std::size(kRules) == static_cast<std::size_t>(WindowCommand::Count);
}
static_assert(rulesInCommandOrder(), "one rule per command, in the order of WindowCommand");

}  // namespace

bool commandEnabled(WindowCommand command, const WindowState& state) {
    return kRules[static_cast<std::size_t>(command)].enabled(state);
}

void CommandControls::add(WindowCommand command, QObject* control) {
    m_controls[static_cast<std::size_t>(command)].append(control);
}

void CommandControls::apply(const WindowState& state) const {
    for (const Rule& rule : kRules) {
        const bool enabled = rule.enabled(state);
        for (const QPointer<QObject>& control : m_controls[static_cast<std::size_t>(rule.command)]) {
            if (auto* widget = qobject_cast<QWidget*>(control.data())) {
                widget->setEnabled(enabled);
            } else if (auto* action = qobject_cast<QAction*>(control.data())) {
                action->setEnabled(enabled);
            }
        }
    }
}

}  // namespace Tormel::Gui
