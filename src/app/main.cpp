// SPDX-License-Identifier: MIT
// pelnix-config: configures the RS485 and the contact-input/output wireless units.
#include <QApplication>

#include "gui/Startup.h"

int main(int argc, char** argv) {
    // Arguments are not used; Qt only sees them for its own options (-platform, ...).
    QApplication app(argc, argv);
    return Tormel::Gui::runApplication();
}
