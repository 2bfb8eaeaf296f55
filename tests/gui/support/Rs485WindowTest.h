// SPDX-License-Identifier: MIT
#pragma once

// What the RS485 window tests share: a temporary folder that holds the default settings file,
// English texts, the recording toolkit, the window under test with its controls by name, and
// for the tests that talk to a simulated unit, short link timings and the port list pointed at
// that unit. Timings and port list are put back after each test.

#include <gtest/gtest.h>

#include <QString>
#include <QTemporaryDir>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "domain/modem/Command.h"
#include "gui/rs485/BindingsTab.h"
#include "gui/rs485/MainGUI.h"
#include "gui/support/ToolkitRecorder.h"
#include "settings/SettingsFile.h"
#include "support/SimPty.h"

namespace Tormel::Gui {

class Rs485WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        overrideDefaultSettingsFilePath(m_dir.filePath(QStringLiteral("config.xml")));
        qputenv("LC_ALL", "en_US.UTF-8");
        m_savedTiming = Domain::Modem::Command::Timing();
    }
    void TearDown() override {
        m_window.reset();
        Domain::Modem::Command::Timing() = m_savedTiming;
        Domain::Modem::Command::SetPortLister({});
        overrideDefaultSettingsFilePath({});
        qunsetenv("LC_ALL");
    }

    // A simulated unit answers at once: the link need not wait as long as for a real one.
    static void useQuickTimings() {
        using namespace std::chrono_literals;
        auto& t = Domain::Modem::Command::Timing();
        t.ReadTimeout = 150ms;
        t.Tries = 3;
        t.LinePause = 2ms;
        t.ReopenDelay = 20ms;
        t.RadioChangeDelay = 2ms;
    }
    static void usePort(const Pelnix::Test::SimPty& sim) {
        const std::string port = sim.PortPath();
        Domain::Modem::Command::SetPortLister([port] { return std::vector<std::string>{port}; });
    }

    MainGUI& open() {
        m_window = std::make_unique<MainGUI>();
        return *m_window;
    }
    // A control by name. The bindings tab builds its rows and unit boxes when first shown; a
    // test that reaches for one before has the tab build them, as showing it would.
    template <class T>
    T* child(const char* name) {
        T* w = m_window->findChild<T*>(QString::fromLatin1(name));
        if (w == nullptr) {
            if (auto* bindings = m_window->findChild<BindingsTab*>()) {
                bindings->buildTable();
                w = m_window->findChild<T*>(QString::fromLatin1(name));
            }
        }
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString file(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir m_dir;
    RecordingToolkit m_tk;
    ToolkitOverride m_override{m_tk};
    std::unique_ptr<MainGUI> m_window;

  private:
    Domain::Modem::CommandTiming m_savedTiming;
};

}  // namespace Tormel::Gui
