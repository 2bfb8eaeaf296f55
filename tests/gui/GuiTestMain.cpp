// SPDX-License-Identifier: MIT
// Test main for the GUI tests: one QApplication on the offscreen platform for the whole program.
#include <gtest/gtest.h>

#include <QApplication>

#include "gui/Toolkit.h"

int main(int argc, char** argv) {
    // Also when a test program is started by hand; set the variable to watch on a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    // Test windows come and go; closing one must never end the application for later tests.
    QApplication::setQuitOnLastWindowClosed(false);
    Tormel::Gui::useQtToolkit();
    return RUN_ALL_TESTS();
}
