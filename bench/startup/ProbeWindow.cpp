// SPDX-License-Identifier: MIT
// pelnix-config's start with one of its main windows in place of the chooser, ended at the
// window's first painted frame: argument "rs485" (the default) or "tx330". The start is the
// program's own (message boxes of the desktop, the one-instance check over /proc); the window
// reads the default settings file as it does when the chooser opens it.
#include <QApplication>
#include <cstring>
#include <memory>

#include "FirstPaint.h"
#include "gui/Startup.h"
#include "gui/Toolkit.h"
#include "gui/rs485/MainGUI.h"
#include "gui/tx330/MainGUI_TX_330.h"
#include "platform/ProcessList.h"

int main(int argc, char** argv) {
    const bool contactIo = argc > 1 && std::strcmp(argv[1], "tx330") == 0;
    QApplication app(argc, argv);
    reportFirstPaint(app);
    Tormel::Gui::useQtToolkit();
    if (Tormel::Gui::refuseSecondInstance(Tormel::Platform::runningProcessNames(),
                                          Tormel::Platform::currentProcessName())) {
        return 1;
    }
    std::unique_ptr<QWidget> window;
    if (contactIo) {
        window = std::make_unique<Tormel::Gui::MainGUI_TX_330>();
    } else {
        window = std::make_unique<Tormel::Gui::MainGUI>();
    }
    window->show();
    return QApplication::exec();
}
