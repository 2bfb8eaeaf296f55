// SPDX-License-Identifier: MIT
// Which commands a main window offers in each state it can reach, read as one table.
#include <gtest/gtest.h>

#include <string>

#include "gui/WindowState.h"

namespace {

using Tormel::Gui::commandEnabled;
using Tormel::Gui::Link;
using Tormel::Gui::WindowCommand;
using Tormel::Gui::WindowState;
using Tormel::Gui::WriteTarget;

// One letter per command, in the order of WindowCommand.
constexpr const char* kLetters = "CSsFROTIE";

std::string offered(const WindowState& state) {
    std::string letters;
    for (std::size_t c = 0; c < static_cast<std::size_t>(WindowCommand::Count); ++c) {
        if (commandEnabled(static_cast<WindowCommand>(c), state)) {
            letters += kLetters[c];
        }
    }
    return letters;
}

TEST(WindowStateTest, EachReachableStateOffersItsCommands) {
    // C Connect, S Set button, s Set menu item, F Factory Shipment, R Revert, O settings files,
    // T target and presets, I select image, E the contact-I/O Edit menu.
    struct Row {
        Link link;
        bool unitSeen;
        WriteTarget target;
        bool imageAccepted;
        const char* commands;
    };
    const Row rows[] = {
        {Link::NoUnit, false, WriteTarget::Unit, false, "CRTE"},   // no files before a unit
        {Link::NoUnit, true, WriteTarget::Unit, false, "CsROTE"},  // the unit was let go of
        {Link::Connecting, false, WriteTarget::Unit, false, ""},
        {Link::Connecting, true, WriteTarget::Unit, false, "O"},
        {Link::UnitHeld, true, WriteTarget::Unit, false, "CSsFROTE"},
        {Link::Writing, true, WriteTarget::Unit, false, "O"},
        // The firmware image as the target: no connect, whatever the link (a Connect or Get
        // Values would rebuild the image's lists for a unit and take the controller from it).
        {Link::NoUnit, false, WriteTarget::Image, false, "RTIE"},
        {Link::NoUnit, false, WriteTarget::Image, true, "RTIE"},  // Set waits for a first unit
        {Link::NoUnit, true, WriteTarget::Image, false, "sROTIE"},
        {Link::NoUnit, true, WriteTarget::Image, true, "SsROTIE"},
        {Link::Connecting, false, WriteTarget::Image, false, ""},  // a connect overtaken by the target
        {Link::Connecting, true, WriteTarget::Image, true, "O"},
        {Link::UnitHeld, true, WriteTarget::Image, false, "sROTIE"},  // no Factory Shipment either
        {Link::UnitHeld, true, WriteTarget::Image, true, "SsROTIE"},
        {Link::Writing, true, WriteTarget::Image, true, "O"},
    };
    for (const Row& row : rows) {
        const WindowState state{row.link, row.unitSeen, row.target, row.imageAccepted};
        const std::string expected = row.commands;
        SCOPED_TRACE(expected);
        EXPECT_EQ(offered(state), expected);
        if (row.target == WriteTarget::Unit) {
            // An image chosen earlier changes nothing while the unit is the target.
            WindowState withImage = state;
            withImage.imageAccepted = !state.imageAccepted;
            EXPECT_EQ(offered(withImage), expected);
        }
    }
}

}  // namespace
