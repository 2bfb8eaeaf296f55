// SPDX-License-Identifier: MIT
// The chooser inside a real window loop with the real toolkit: each way out must end the loop.
#include <gtest/gtest.h>

#include <QApplication>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include "gui/ChoseForm.h"
#include "gui/Startup.h"
#include "gui/rs485/MainGUI.h"

namespace {

// Presses the named button of the first visible top-level window of type T once it is up;
// closes every window after a few seconds instead, so that a fault fails the test, not hangs it.
template <typename T>
void pressWhenShown(const char* button) {
    auto* timer = new QTimer;
    auto* tries = new int(0);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, button] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* wanted = qobject_cast<T*>(window);
            if (wanted != nullptr && wanted->isVisible()) {
                timer->stop();
                timer->deleteLater();
                delete tries;
                wanted->template findChild<QPushButton*>(QString::fromLatin1(button))->click();
                return;
            }
        }
        if (++*tries > 1000) {
            timer->stop();
            timer->deleteLater();
            delete tries;
            ADD_FAILURE() << "window did not appear";
            QApplication::closeAllWindows();
            QApplication::quit();
        }
    });
    timer->start();
}

}  // namespace

TEST(ChoseFormRun, EveryWayOutEndsTheLoop) {
    // Quit in the chooser.
    pressWhenShown<Tormel::ChoseForm>("button2");
    EXPECT_EQ(Tormel::Gui::runChooser(), 0);

    // OK, then Quit in the family window: the hidden chooser closes and the loop ends.
    pressWhenShown<Tormel::ChoseForm>("button1");
    pressWhenShown<Tormel::Gui::MainGUI>("btnStop");
    EXPECT_EQ(Tormel::Gui::runChooser(), 0);
}

// --help and --version answer on the terminal and end, without a display and without opening
// the chooser (which would keep the program running here).
TEST(ChoseFormRun, HelpAndVersionPrintAndEnd) {
    for (const auto& [arg, printed] :
         {std::pair{"--help", "--version"}, {"-h", "--help"}, {"--version", "pelnix-config 5.2.1\n"}}) {
        SCOPED_TRACE(arg);
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("en_US.UTF-8"));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(PELNIX_CONFIG), {QString::fromLatin1(arg)});
        if (!program.waitForFinished(5000)) {
            program.kill();
            program.waitForFinished();
            ADD_FAILURE() << "still running: the chooser opened";
        }
        EXPECT_EQ(program.exitCode(), 0);
        EXPECT_TRUE(program.readAllStandardOutput().contains(printed));
    }
}
