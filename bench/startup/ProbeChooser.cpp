// SPDX-License-Identifier: MIT
// pelnix-config's own start-up, ended at the chooser's first painted frame.
#include <QApplication>

#include "FirstPaint.h"
#include "gui/Startup.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    reportFirstPaint(app);
    return Tormel::Gui::runApplication();
}
