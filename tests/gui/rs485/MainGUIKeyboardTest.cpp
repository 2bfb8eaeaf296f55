// SPDX-License-Identifier: MIT
// The RS485 window from the keyboard: Alt shortcuts with the menus closed, Escape and Enter,
// and a connect that is abandoned when the target changes while it runs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <memory>

#include "domain/modem/Command.h"
#include "gui/rs485/MainGUI.h"
#include "gui/support/Rs485WindowTest.h"
#include "settings/SettingsFile.h"
#include "settings/StringTable.h"
#include "support/SimPty.h"

namespace {

using namespace std::chrono_literals;
using Tormel::Domain::Modem::Command;
using Tormel::Gui::ConnectionState;
using Tormel::Gui::MainGUI;

class MainGUIKeyboardTest : public Tormel::Gui::Rs485WindowTest {
  protected:
    void SetUp() override {
        Rs485WindowTest::SetUp();
        if (HasFatalFailure()) return;
        useQuickTimings();
        m_sim = std::make_unique<Pelnix::Test::SimPty>(Pelnix::Sim::UnitState{});
        usePort(*m_sim);
        open().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->activateWindow();
    }
    bool waitIdle() {
        return QTest::qWaitFor([&] { return !m_window->windowState().busy(); }, 20000);
    }

    std::unique_ptr<Pelnix::Test::SimPty> m_sim;
};

TEST_F(MainGUIKeyboardTest, AltLettersOpenTheMenusAndHelpHasNone) {
    const struct {
        Qt::Key key;
        const char* menu;
        bool opens;
    } menus[] = {{Qt::Key_F, "ファイルFToolStripMenuItem", true},
                 {Qt::Key_E, "接続ToolStripMenuItem", true},
                 {Qt::Key_H, "Help_MenuItem", false}};
    for (const auto& m : menus) {
        SCOPED_TRACE(m.menu);
        auto* menu = m_window->findChild<QMenu*>(QString::fromUtf8(m.menu));
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(QKeySequence::mnemonic(menu->title()).isEmpty(), !m.opens);
        QTest::keyClick(m_window.get(), m.key, Qt::AltModifier);
        if (!m.opens) {
            QApplication::processEvents();
            EXPECT_FALSE(menu->isVisible());
            EXPECT_EQ(menu->title(), Tormel::Gui::StringTable().getString(Tormel::Gui::Msg::MenuHelp));
            continue;
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, 2000));
        QTest::keyClick(menu, Qt::Key_Escape);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !menu->isVisible(); }, 2000));
    }
}

TEST_F(MainGUIKeyboardTest, DeveloperViewsToggleOncePerPressNotPerKeyRepeat) {
    const struct {
        Qt::Key key;
        const char* shown;  // a control only that view shows
    } views[] = {{Qt::Key_D, "cmbSetTarget"}, {Qt::Key_E, "chkExtendedGroup"}};
    for (const auto& v : views) {
        SCOPED_TRACE(v.shown);
        QWidget* control = m_window->findChild<QWidget*>(QString::fromLatin1(v.shown));
        ASSERT_NE(control, nullptr);
        ASSERT_TRUE(control->isHidden());
        const Qt::KeyboardModifiers mods = Qt::ControlModifier | Qt::ShiftModifier;
        // A held key: one press, then the keyboard's repeats, then the release.
        QTest::simulateEvent(m_window.get(), true, v.key, mods, QString(), false);
        for (int repeat = 0; repeat < 3; ++repeat) {
            QTest::simulateEvent(m_window.get(), true, v.key, mods, QString(), true);
        }
        QTest::simulateEvent(m_window.get(), false, v.key, mods, QString(), false);
        EXPECT_FALSE(control->isHidden());
        QTest::keyClick(m_window.get(), v.key, mods);
        EXPECT_TRUE(control->isHidden());
    }
}

TEST_F(MainGUIKeyboardTest, AltLettersRunMenuCommandsWithTheMenusClosed) {
    // Alt+C connects without opening any menu; Alt+A then shows the About window.
    QTest::keyClick(m_window.get(), Qt::Key_C, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_tk.boxes.empty(); }, 20000));
    EXPECT_EQ(m_window->connectionState(), ConnectionState::Connected);
    QTest::keyClick(m_window.get(), Qt::Key_A, Qt::AltModifier);
    ASSERT_FALSE(m_tk.windows.empty());
    EXPECT_EQ(m_tk.windows.back().ClassName, QStringLiteral("Tormel::Gui::AboutSoft"));
}

TEST_F(MainGUIKeyboardTest, EnterInATextBoxPressesNoButtonAndEscapeAsksBeforeLosingEdits) {
    auto* offset = child<QLineEdit>("txtNodeIDOffset");
    offset->setFocus();
    offset->selectAll();
    QTest::keyClicks(offset, QStringLiteral("77"));
    QTest::keyClick(offset, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_TRUE(m_tk.boxes.empty()) << "Enter must not have started a connect";
    EXPECT_EQ(m_window->connectionState(), ConnectionState::Disconnected);

    m_tk.windowAnswers.push_back(Tormel::Gui::DialogResult::Cancel);  // keep the window
    QTest::keyClick(m_window.get(), Qt::Key_Escape);
    EXPECT_EQ(m_tk.windows.size(), 1u) << "the unsaved-changes question";
    EXPECT_TRUE(m_window->isVisible());
}

// Every keystroke, paste and deletion in a filtered box passes the filter, however many wrong
// keys follow one another: each row types at the end of the box as the row before left it.
TEST_F(MainGUIKeyboardTest, TheLiveFilterRefusesEveryWrongKeyNotEveryOther) {
    // Keys typed at the end of the box: "<" is Backspace, "^" pastes the rest; "" empties the box.
    const std::pair<const char*, const char*> rows[][2] = {
        {{"", ""}, {"abcd", ""}},    {{"123ab", "123"}, {"^x4", "123"}}, {{"xx<", "12"}, {"^34", "1234"}},
        {{"", ""}, {"1AGgZ", "1A"}}, {{"G<G", "1"}, {"^Q1", "1"}},
    };
    auto* tabs = child<QTabWidget>("tabConfig");
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        auto* box = child<QLineEdit>(i < 3 ? "txtNodeIDOffset" : "txtSBcastAddr");
        for (int page = 0; page < tabs->count(); ++page) {
            if (tabs->widget(page)->isAncestorOf(box)) {
                tabs->setCurrentIndex(page);
            }
        }
        ASSERT_TRUE(box->isVisible() && box->isEnabled());
        box->setFocus();
        for (const auto& [keys, expected] : rows[i]) {
            SCOPED_TRACE(keys);
            if (*keys == 0) {
                box->selectAll();
                QTest::keyClick(box, Qt::Key_Backspace);
            }
            box->end(false);
            for (const char* k = keys; *k != 0; ++k) {
                if (*k == '^') {
                    QGuiApplication::clipboard()->setText(QString::fromLatin1(k + 1));
                    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
                    break;
                }
                if (*k == '<') {
                    QTest::keyClick(box, Qt::Key_Backspace);
                } else {
                    QTest::keyClick(box, *k);
                }
            }
            EXPECT_EQ(box->text().toStdString(), expected);
        }
    }
}

// A connect still running when the target turns to the firmware image is abandoned: its
// completion must neither call the unit connected nor take its records.
TEST_F(MainGUIKeyboardTest, AConnectOvertakenByATargetChangeCountsAsCancelled) {
    child<QPushButton>("btnConnectRead")->click();
    child<QComboBox>("cmbSetTarget")->setCurrentIndex(1);
    ASSERT_TRUE(waitIdle());
    QTest::qWait(50);  // a late completion would arrive through the event loop now
    EXPECT_NE(m_window->connectionState(), ConnectionState::Connected);
    EXPECT_TRUE(child<QLineEdit>("txtSoftwareName")->text().isEmpty());
    for (const auto& box : m_tk.boxes) {
        EXPECT_NE(box.Text, Tormel::Gui::StringTable().getString(Tormel::Gui::Msg::ConnectSucceeded));
    }
}

}  // namespace
