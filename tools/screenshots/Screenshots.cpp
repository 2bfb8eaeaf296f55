// SPDX-License-Identifier: MIT
// Takes pictures of the chooser and of every tab page of a main window, with a unit read into
// the form, for the README and the user guide:
//   pelnix-screenshots chooser|rs485|tx330 OUT_DIR
// The language follows the locale (LANG=ja_JP.UTF-8 gives the Japanese interface). The unit is
// whatever the scan finds: run a pelnix-unit-sim of the right family first. Exits non-zero when
// a window cannot be shown, its unit is not read, or a picture comes out blank.
#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QTabWidget>
#include <QThread>
#include <QWindow>
#include <cstdio>
#include <functional>
#include <memory>

#include "gui/ChoseForm.h"
#include "gui/rs485/MainGUI.h"
#include "gui/tx330/MainGUI_TX_330.h"

namespace {

using namespace Tormel::Gui;

bool waitUntil(const std::function<bool()>& done, int milliseconds) {
    QDeadlineTimer deadline(milliseconds);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

// A picture of one colour means the window did not paint.
bool isBlank(const QImage& image) {
    if (image.isNull()) {
        return true;
    }
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3) {
            if (image.pixel(x, y) != first) {
                return false;
            }
        }
    }
    return true;
}

bool save(QWidget& window, const QString& path) {
    QApplication::processEvents();
    const QImage image = window.grab().toImage();
    if (isBlank(image) || !image.save(path)) {
        std::fprintf(stderr, "could not take %s\n", qUtf8Printable(path));
        return false;
    }
    std::printf("%s\n", qUtf8Printable(path));
    return true;
}

bool showAndWait(QWidget& window) {
    window.show();
    return waitUntil(
        [&] {
            return window.isVisible() && window.windowHandle() != nullptr &&
                   window.windowHandle()->isExposed();
        },
        10000);
}

// Reads the unit into the form with the window's own button, then pictures every tab page.
bool shootMainWindow(QWidget& window, const QString& prefix, const QString& dir) {
    if (!showAndWait(window)) {
        std::fprintf(stderr, "%s: the window was not shown\n", qUtf8Printable(prefix));
        return false;
    }
    auto* read = window.findChild<QAbstractButton*>(QStringLiteral("btnConnectRead"));
    auto* name = window.findChild<QLineEdit*>(QStringLiteral("txtSoftwareName"));
    auto* tabs = window.findChild<QTabWidget*>();
    if (read == nullptr || name == nullptr || tabs == nullptr) {
        std::fprintf(stderr, "%s: controls not found\n", qUtf8Printable(prefix));
        return false;
    }
    read->click();
    // The software name appears with a successful read; a scan over silent ports takes a while.
    if (!waitUntil([&] { return !name->text().isEmpty() && read->isEnabled(); }, 120000)) {
        std::fprintf(stderr, "%s: no unit was read\n", qUtf8Printable(prefix));
        return false;
    }
    bool ok = true;
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        ok = save(window, dir + QStringLiteral("/%1-tab%2.png").arg(prefix).arg(i + 1)) && ok;
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: pelnix-screenshots chooser|rs485|tx330 OUT_DIR\n");
        return 2;
    }
    const QString what = args[1];
    const QString dir = args[2];
    QDir().mkpath(dir);
    // The Qt toolkit is not installed: nobody sits at the screen, so the console toolkit prints
    // each box and answers it (OK to a notice, Cancel to a question).

    if (what == QLatin1String("chooser")) {
        Tormel::ChoseForm chooser;
        return showAndWait(chooser) && save(chooser, dir + QStringLiteral("/chooser.png")) ? 0 : 1;
    }
    if (what == QLatin1String("rs485")) {
        MainGUI window;
        return shootMainWindow(window, QStringLiteral("rs485"), dir) ? 0 : 1;
    }
    if (what == QLatin1String("tx330")) {
        MainGUI_TX_330 window;
        return shootMainWindow(window, QStringLiteral("tx330"), dir) ? 0 : 1;
    }
    std::fprintf(stderr, "unknown window %s\n", qUtf8Printable(what));
    return 2;
}
