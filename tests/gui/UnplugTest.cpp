// SPDX-License-Identifier: MIT
// A unit pulled out in the middle of Get Values or Set, in both main windows: the window says
// so, shows itself disconnected, keeps what the form held, and reads the unit again once it is
// plugged back in.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <functional>
#include <memory>

#include "domain/modem/Command.h"
#include "gui/MainWindowBase.h"
#include "gui/rs485/MainGUI.h"
#include "gui/support/ToolkitRecorder.h"
#include "gui/tx330/MainGUI_TX_330.h"
#include "settings/SettingsFile.h"
#include "sim/Rs485Unit.h"
#include "sim/Tx330Unit.h"
#include "support/SimPty.h"

namespace {

using namespace std::chrono_literals;
using Tormel::Domain::Modem::Command;
using Tormel::Gui::ConnectionState;
using Tormel::Gui::MainWindowBase;
using Tormel::Gui::Msg;
using Tormel::Gui::StringTable;

class UnplugTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        Tormel::Gui::overrideDefaultSettingsFilePath(m_dir.filePath(QStringLiteral("config.xml")));
        m_saved = Command::Timing();
        auto& t = Command::Timing();
        t.ReadTimeout = 150ms;
        t.Tries = 2;
        t.LinePause = 1ms;
        t.ReopenDelay = 20ms;
        t.RadioChangeDelay = 1ms;
    }
    void TearDown() override {
        Command::Timing() = m_saved;
        Command::SetPortLister({});
        Tormel::Gui::overrideDefaultSettingsFilePath({});
    }
    void plugIn(const Pelnix::Sim::UnitState& state) {
        m_unit = std::make_unique<Pelnix::Test::SimPty>(state);
        const std::string port = m_unit->PortPath();
        Command::SetPortLister([port] { return std::vector<std::string>{port}; });
    }
    // Clicks a button and waits until the operation it started has ended.
    void clickAndWait(MainWindowBase& w, const char* button) {
        m_tk.clear();
        w.findChild<QPushButton*>(QString::fromLatin1(button))->click();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                const ConnectionState s = w.connectionState();
                return s != ConnectionState::Connecting && s != ConnectionState::Writing;
            },
            30000));
    }

    QTemporaryDir m_dir;
    Tormel::Gui::RecordingToolkit m_tk;
    Tormel::Gui::ToolkitOverride m_override{m_tk};
    std::unique_ptr<Pelnix::Test::SimPty> m_unit;
    Tormel::Domain::Modem::CommandTiming m_saved;
};

TEST_F(UnplugTest, AUnitPulledOutMidReadOrMidSetIsReportedAndReadAgainOncePluggedIn) {
    struct Case {
        const char* what;
        std::function<std::unique_ptr<MainWindowBase>()> open;
        Pelnix::Sim::UnitState unit;
        const char* box;  // a text box of the form that must keep its text
        bool duringSet;
    };
    const auto rs485 = [] { return std::unique_ptr<MainWindowBase>(new Tormel::Gui::MainGUI); };
    const auto tx330 = [] { return std::unique_ptr<MainWindowBase>(new Tormel::Gui::MainGUI_TX_330); };
    Pelnix::Sim::UnitState tx330Unit = Pelnix::Sim::Tx330FactoryState();
    tx330Unit.line.BaudRate = 9600;
    const Case cases[] = {
        {"RS485, Get Values", rs485, Pelnix::Sim::Rs485FactoryState(), "txtNodeIDOffset", false},
        {"RS485, Set", rs485, Pelnix::Sim::Rs485FactoryState(), "txtNodeIDOffset", true},
        {"TX-330, Get Values", tx330, tx330Unit, "txtAwt", false},
        {"TX-330, Set", tx330, tx330Unit, "txtAwt", true},
    };
    const StringTable st;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        plugIn(c.unit);
        std::unique_ptr<MainWindowBase> w = c.open();
        auto* box = w->findChild<QLineEdit*>(QString::fromLatin1(c.box));
        ASSERT_NE(box, nullptr);
        if (c.duringSet) {
            clickAndWait(*w, "btnConnectRead");
            ASSERT_EQ(w->connectionState(), ConnectionState::Connected);
        }
        box->setText(QStringLiteral("30"));
        m_unit->HangUpAfterLines(3);
        clickAndWait(*w, c.duringSet ? "btnSetting" : "btnConnectRead");
        EXPECT_TRUE(m_unit->HungUp());
        ASSERT_FALSE(m_tk.boxes.empty());
        EXPECT_EQ(m_tk.boxes.back().Icon, Tormel::Gui::MessageBoxIcon::Error);
        EXPECT_EQ(w->connectionState(), ConnectionState::Disconnected);
        EXPECT_EQ(box->text(), QStringLiteral("30"));

        // Plugged back in: Get Values reads the unit again.
        plugIn(c.unit);
        clickAndWait(*w, "btnConnectRead");
        EXPECT_EQ(w->connectionState(), ConnectionState::Connected);
        ASSERT_FALSE(m_tk.boxes.empty());
        EXPECT_EQ(m_tk.boxes.front().Text, st.getString(Msg::ConnectSucceeded));
    }
}

}  // namespace
