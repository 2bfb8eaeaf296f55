// SPDX-License-Identifier: MIT
// pelnix-config: configures the RS485 and the contact-input/output wireless units.
#include <QApplication>
#include <iostream>

#include "gui/Startup.h"

int main(int argc, char** argv) {
    // --help and --version are answered before any window or display is needed; every other
    // argument is Qt's own (-platform, ...).
    if (const std::optional<int> code = Tormel::Gui::answerCommandLine(argc, argv, std::cout)) {
        return *code;
    }
    QApplication app(argc, argv);
    return Tormel::Gui::runApplication();
}
