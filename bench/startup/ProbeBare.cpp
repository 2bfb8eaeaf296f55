// SPDX-License-Identifier: MIT
// The baselines: an empty Qt Widgets window, or (argument "text") one that shows a single line
// of Japanese text, ended at its first painted frame.
#include <QApplication>
#include <QLabel>
#include <QWidget>
#include <cstring>

#include "FirstPaint.h"

int main(int argc, char** argv) {
    const bool withText = argc > 1 && std::strcmp(argv[1], "text") == 0;
    QApplication app(argc, argv);
    reportFirstPaint(app);
    QWidget window;
    window.resize(320, 180);
    if (withText) {
        new QLabel(QStringLiteral("・RS485無線化ユニット"), &window);
    }
    window.show();
    return QApplication::exec();
}
