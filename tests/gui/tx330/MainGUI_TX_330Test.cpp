// SPDX-License-Identifier: MIT
// The contact-I/O window, offscreen, against a simulated TX-330 on a pty: what it shows, what
// it writes, which messages it gives, and when it asks before closing.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "domain/modem/Command.h"
#include "gui/support/ToolkitRecorder.h"
#include "gui/tx330/MainGUI_TX_330.h"
#include "settings/Config_TX330.h"
#include "settings/support/ScopedCulture.h"
#include "sim/Tx330Unit.h"
#include "support/SimPty.h"

using namespace Tormel::Gui;
using namespace std::chrono_literals;
using Tormel::Domain::Modem::Command;
using Tormel::Gui::Testing::ScopedCulture;

namespace {

template <typename T>
T* child(QWidget& window, const QString& name) {
    T* found = window.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
}
QLineEdit* box(QWidget& w, const char* name) { return child<QLineEdit>(w, QString::fromLatin1(name)); }
QComboBox* combo(QWidget& w, const char* name) { return child<QComboBox>(w, QString::fromLatin1(name)); }
QRadioButton* radio(QWidget& w, const char* name) {
    return child<QRadioButton>(w, QString::fromLatin1(name));
}
QPushButton* button(QWidget& w, const char* name) { return child<QPushButton>(w, QString::fromLatin1(name)); }
QAction* item(QWidget& w, const char* name) { return child<QAction>(w, QString::fromLatin1(name)); }

// Whether a control is enabled by its own state (a group not yet enabled may hold it).
bool ownEnabled(QWidget* w) { return !w->testAttribute(Qt::WA_ForceDisabled); }

// The user leaves a box with the Tab key.
void leave(QLineEdit* target) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(target, &out);
}

// Types into a box as the user would (the live filters see it), then leaves it.
void typeInto(QLineEdit* target, const QString& text) {
    target->setFocus();
    target->selectAll();
    QTest::keyClicks(target, text);
}

// A unit whose settings differ from the factory's, at 19200 bit/s.
Pelnix::Sim::UnitState distinctUnit() {
    auto state = Pelnix::Sim::Tx330FactoryState();
    state.line.BaudRate = 19200;
    state.tx330.opMode = 1;
    state.tx330.chMode = 1;
    state.tx330.ch = 45;
    state.tx330.nodeId = 7;
    state.tx330.grpId = 103;
    state.tx330.bind[0] = 3;
    state.tx330.invert[1] = 1;
    state.tx330.offDelay = 100;
    state.tx330.keepTime = 60;
    state.tx330.keepSignal = 1;
    state.tx330.diDelayTenths = 25;
    state.tx330.awtMs = 120;
    return state;
}

class MainGuiTx330 : public ::testing::Test {
  protected:
    void SetUp() override {
        m_saved = Command::Timing();
        auto& timing = Command::Timing();
        timing.ReadTimeout = 150ms;
        timing.Tries = 2;
        timing.ResetTries = 10;
        timing.LinePause = 1ms;
        timing.ReopenDelay = 20ms;
        timing.RadioChangeDelay = 1ms;
    }
    void TearDown() override {
        Command::Timing() = m_saved;
        Command::SetPortLister({});
    }

    void startUnit(const Pelnix::Sim::UnitState& state) {
        m_unit = std::make_unique<Pelnix::Test::SimPty>(state);
        const std::string port = m_unit->PortPath();
        Command::SetPortLister([port] { return std::vector<std::string>{port}; });
    }

    static bool waitIdle(MainGUI_TX_330& window) {
        return QTest::qWaitFor(
            [&] {
                const ConnectionState s = window.connectionState();
                return s != ConnectionState::Connecting && s != ConnectionState::Writing;
            },
            20000);
    }

    // Get Values at the unit's bit rate; true when the window then shows it connected.
    bool readUnit(MainGUI_TX_330& window, int baudIndex = 3) {
        combo(window, "cmbBaudrate")->setCurrentIndex(baudIndex);
        button(window, "btnConnectRead")->click();
        return waitIdle(window) && window.connectionState() == ConnectionState::Connected;
    }

    RecordingToolkit m_recorder;
    ToolkitOverride m_use{m_recorder};
    std::unique_ptr<Pelnix::Test::SimPty> m_unit;

  private:
    Tormel::Domain::Modem::CommandTiming m_saved;
};

}  // namespace

TEST_F(MainGuiTx330, FrameTextsAndInitialLayoutInBothLanguages) {
    for (const char* culture : {Testing::kJapanese, Testing::kEnglish}) {
        ScopedCulture use(culture);
        const StringTable st;
        MainGUI_TX_330 window;
        EXPECT_EQ(window.objectName(), QStringLiteral("MainGUI_TX_330"));
        EXPECT_EQ(window.windowTitle(), st.getString(2) + QStringLiteral(" Ver.5.2.1"));
        EXPECT_FALSE(st.getString(2).isEmpty()) << culture;
        EXPECT_EQ(item(window, "Set_MenuItem")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_Y));
        EXPECT_FALSE(item(window, "Set_MenuItem")->isEnabled());
        EXPECT_FALSE(item(window, "FactoryShipmentSet_MenuItem")->isEnabled());
        EXPECT_FALSE(button(window, "btnSetting")->isEnabled());
        EXPECT_FALSE(button(window, "btnAbout")->isVisible());
        EXPECT_FALSE(child<QWidget>(window, QStringLiteral("grpAESSecure"))->isEnabled());
        auto* tabs = child<QTabWidget>(window, QStringLiteral("tabControl1"));
        EXPECT_TRUE(tabs->isTabEnabled(1));
        EXPECT_FALSE(tabs->isTabEnabled(2));
        EXPECT_EQ(combo(window, "comboBox2")->count(), 28);
        EXPECT_EQ(combo(window, "comboBox1")->itemText(8), QStringLiteral("08 (33/34CH)"));
        EXPECT_EQ(combo(window, "cmbBaudrate")->itemText(6), QStringLiteral("76800bps"));
        EXPECT_EQ(box(window, "txtDiFilt")->text(), QStringLiteral("0.0"));
        EXPECT_EQ(window.connectionState(), ConnectionState::Disconnected);
    }
}

TEST_F(MainGuiTx330, NodeRoleFollowsTheNodeIdAsANumber) {
    MainGUI_TX_330 window;
    auto* tabs = child<QTabWidget>(window, QStringLiteral("tabControl1"));
    radio(window, "radioButton13")->click();
    EXPECT_EQ(box(window, "textBox4")->text(), QStringLiteral("1"));
    struct Case {
        const char* typed;
        bool base;
    };
    for (const Case& c : {Case{"5", false}, Case{"0", true}, Case{"12", false}, Case{"00", true}}) {
        if (c.typed[0] != '0') {
            radio(window, "radioButton13")->click();
        }
        box(window, "textBox4")->setText(QString::fromLatin1(c.typed));
        EXPECT_EQ(radio(window, "radioButton12")->isChecked(), c.base) << c.typed;
        EXPECT_EQ(tabs->isTabEnabled(1), c.base) << c.typed;
        EXPECT_EQ(tabs->isTabEnabled(2), !c.base) << c.typed;
        EXPECT_EQ(box(window, "textBox4")->isEnabled(), !c.base) << c.typed;
    }
}

TEST_F(MainGuiTx330, ControlRulesOfChannelsSecurityAndTimeBoxes) {
    MainGUI_TX_330 window;
    window.show();
    radio(window, "radioButton1")->click();
    EXPECT_TRUE(combo(window, "comboBox1")->isVisible());
    EXPECT_FALSE(combo(window, "comboBox2")->isVisible());
    radio(window, "radioButton3")->click();
    EXPECT_FALSE(combo(window, "comboBox1")->isVisible());

    auto* aes = child<QCheckBox>(window, QStringLiteral("chkAESSecure"));
    aes->setChecked(true);
    radio(window, "radAESKeyChange")->setChecked(true);
    radio(window, "radAES128")->setChecked(true);
    EXPECT_TRUE(ownEnabled(box(window, "txtEncryptionKey08")));
    EXPECT_FALSE(ownEnabled(box(window, "txtEncryptionKey09")));
    radio(window, "radAES256")->setChecked(true);
    EXPECT_TRUE(ownEnabled(box(window, "txtEncryptionKey16")));
    aes->setChecked(false);
    EXPECT_TRUE(radio(window, "radAESKeyInit")->isChecked());
    EXPECT_FALSE(ownEnabled(box(window, "txtEncryptionKey01")));
    EXPECT_FALSE(ownEnabled(radio(window, "radAES256")));

    radio(window, "radioButton13")->click();
    for (const char* name : {"textBox1", "textBox5", "textBox2"}) {
        typeInto(box(window, name), QStringLiteral("1a.2-34"));
        EXPECT_EQ(box(window, name)->text(), QStringLiteral("1234")) << name;
    }
    radio(window, "radioButton12")->click();
    typeInto(box(window, "txtAwt"), QStringLiteral("1x25"));
    EXPECT_EQ(box(window, "txtAwt")->text(), QStringLiteral("125"));
    leave(box(window, "txtAwt"));
    EXPECT_EQ(box(window, "txtAwt")->text(), QStringLiteral("120"));
    typeInto(box(window, "txtDiFilt"), QStringLiteral("12"));
    leave(box(window, "txtDiFilt"));
    EXPECT_EQ(box(window, "txtDiFilt")->text(), QStringLiteral("10.0"));
    button(window, "btnDefaultCom")->click();
    EXPECT_EQ(combo(window, "cmbBaudrate")->currentIndex(), 2);
    EXPECT_EQ(box(window, "txtAwt")->text(), QStringLiteral("0"));
}

TEST_F(MainGuiTx330, GetValuesShowsTheUnitAndSetWritesExactlyTheForm) {
    startUnit(distinctUnit());
    MainGUI_TX_330 window;
    ASSERT_TRUE(readUnit(window));
    EXPECT_EQ(m_recorder.boxTexts(), std::vector<QString>{StringTable().getString(12)});
    EXPECT_TRUE(radio(window, "radioButton3")->isChecked());
    EXPECT_EQ(combo(window, "comboBox2")->currentIndex(), 12);
    EXPECT_EQ(box(window, "textBox4")->text(), QStringLiteral("7"));
    EXPECT_EQ(combo(window, "cmbGrpId")->currentIndex(), 3);
    EXPECT_EQ(combo(window, "comboBox5")->currentIndex(), 2);
    EXPECT_TRUE(radio(window, "radioButton4")->isChecked());
    EXPECT_EQ(box(window, "textBox1")->text(), QStringLiteral("100"));
    EXPECT_EQ(box(window, "textBox2")->text(), QStringLiteral("60"));
    EXPECT_TRUE(radio(window, "radioButton7")->isChecked());
    EXPECT_EQ(box(window, "txtDiFilt")->text(), QStringLiteral("2.5"));
    EXPECT_EQ(box(window, "txtAwt")->text(), QStringLiteral("120"));
    EXPECT_TRUE(button(window, "btnSetting")->isEnabled());
    EXPECT_TRUE(item(window, "FactoryShipmentSet_MenuItem")->isEnabled());

    // Edit every page, then Set: the unit must hold what the form shows.
    radio(window, "radioButton1")->click();
    combo(window, "comboBox1")->setCurrentIndex(9);  // channel 34
    box(window, "textBox4")->setText(QStringLiteral("42"));
    combo(window, "cmbGrpId")->setCurrentIndex(15);
    combo(window, "comboBox7")->setCurrentIndex(0);
    radio(window, "radioButton10")->setChecked(true);
    box(window, "textBox5")->setText(QStringLiteral("1200"));
    box(window, "textBox2")->setText(QStringLiteral("0"));
    radio(window, "radioButton8")->setChecked(true);
    box(window, "txtDiFilt")->setText(QStringLiteral("2.75"));  // stored without leaving: 28
    m_recorder.clear();
    button(window, "btnSetting")->click();
    ASSERT_TRUE(waitIdle(window));
    EXPECT_EQ(m_recorder.boxTexts(), std::vector<QString>{StringTable().getString(11)});
    EXPECT_EQ(window.connectionState(), ConnectionState::Connected);

    const auto unit = m_unit->State().tx330;
    EXPECT_EQ(unit.opMode, 1);
    EXPECT_EQ(unit.chMode, 0);
    EXPECT_EQ(unit.ch, 34);
    EXPECT_EQ(unit.nodeId, 42);
    EXPECT_EQ(unit.grpId, 115);
    EXPECT_EQ(unit.bind[2], 1);
    EXPECT_EQ(unit.invert[2], 1);
    EXPECT_EQ(unit.onDelay, 1200);
    EXPECT_EQ(unit.offDelay, 100);
    EXPECT_EQ(unit.keepTime, 0);
    EXPECT_EQ(unit.keepSignal, 0);
    EXPECT_EQ(unit.diDelayTenths, 28);
    EXPECT_EQ(m_unit->State().line.BaudRate, 19200);
    EXPECT_EQ(window.committedSettings().m_NodeId, 42);
}

TEST_F(MainGuiTx330, FailedWritesNameTheirCause) {
    struct Case {
        const char* name;
        std::function<void(Pelnix::Test::SimPty&)> fault;
        std::function<bool(const QString&)> expected;
    };
    const StringTable st;
    const Case cases[] = {
        {"refused request", [](auto& unit) { unit.WrongReplyTo("~CH=", "channel is 99"); },
         [](const QString& text) {
             return text.contains(QStringLiteral("~CH=")) && text.contains(QStringLiteral("channel is 99"));
         }},
        {"unit gone", [](auto& unit) { unit.SilentOn("~"); },
         [&](const QString& text) { return text == st.getString(57); }},
    };
    for (const Case& c : cases) {
        startUnit(Pelnix::Sim::Tx330FactoryState());
        MainGUI_TX_330 window;
        ASSERT_TRUE(readUnit(window, 2)) << c.name;
        c.fault(*m_unit);
        m_recorder.clear();
        button(window, "btnSetting")->click();
        ASSERT_TRUE(waitIdle(window)) << c.name;
        ASSERT_EQ(m_recorder.boxes.size(), 1u) << c.name;
        EXPECT_TRUE(c.expected(m_recorder.boxes[0].Text))
            << c.name << ": " << m_recorder.boxes[0].Text.toStdString();
        EXPECT_EQ(m_recorder.boxes[0].Caption, st.getString(2));
        EXPECT_EQ(window.connectionState(), ConnectionState::Disconnected) << c.name;
    }
}

TEST_F(MainGuiTx330, NumberBoxesWithoutANumberStopSetWithTheirMessage) {
    startUnit(Pelnix::Sim::Tx330FactoryState());
    const StringTable st;
    struct Case {
        const char* box;
        const char* text;
        bool terminal;
        int message;
    };
    const Case cases[] = {
        {"txtAwt", "", false, 24},    {"txtDiFilt", ".", false, 36}, {"textBox4", "", true, 28},
        {"textBox1", "1a", true, 32}, {"textBox5", "", true, 33},    {"textBox2", "x", true, 34},
    };
    MainGUI_TX_330 window;
    ASSERT_TRUE(readUnit(window, 2));
    const auto before = m_unit->State().tx330.ch;
    for (const Case& c : cases) {
        radio(window, c.terminal ? "radioButton13" : "radioButton12")->click();
        box(window, c.box)->setText(QString::fromLatin1(c.text));  // as pasted, box not left
        m_unit->ClearLog();
        m_recorder.clear();
        item(window, "Set_MenuItem")->trigger();
        EXPECT_EQ(m_recorder.boxTexts(), std::vector<QString>{st.getString(c.message)}) << c.box;
        EXPECT_TRUE(m_unit->Requests().empty()) << c.box;
        m_recorder.clear();
        item(window, "Revert_MenuItem")->trigger();
    }
    EXPECT_EQ(m_unit->State().tx330.ch, before);
}

TEST_F(MainGuiTx330, ValuesTheFormCannotTakeReleaseTheUnit) {
    auto state = Pelnix::Sim::Tx330FactoryState();
    state.tx330.ch = 30;  // FSK uses channels 33 to 60 only
    startUnit(state);
    MainGUI_TX_330 window;
    const QString nodeBefore = box(window, "textBox4")->text();
    combo(window, "cmbBaudrate")->setCurrentIndex(2);
    button(window, "btnConnectRead")->click();
    ASSERT_TRUE(waitIdle(window));
    EXPECT_EQ(m_recorder.boxTexts().back(), StringTable().getString(58));
    EXPECT_TRUE(m_recorder.boxes.back().Details.isEmpty());  // a unit answered: no scan report
    EXPECT_EQ(window.connectionState(), ConnectionState::Disconnected);
    EXPECT_FALSE(button(window, "btnSetting")->isEnabled());
    EXPECT_FALSE(item(window, "FactoryShipmentSet_MenuItem")->isEnabled());
    EXPECT_EQ(box(window, "textBox4")->text(), nodeBefore);
    // The port was let go: the window cannot write to the unit it calls disconnected.
    m_recorder.clear();
    m_unit->ClearLog();
    item(window, "Set_MenuItem")->trigger();
    EXPECT_EQ(m_recorder.boxTexts(), std::vector<QString>{StringTable().getString(57)});
    EXPECT_TRUE(m_unit->Requests().empty());
}

TEST_F(MainGuiTx330, NoUnitFoundSaysWhatEachPortDidInTheBoxDetails) {
    // Two silent ports around one that answers the handshake with garbage.
    Pelnix::Test::SimPty first(Pelnix::Sim::Tx330FactoryState()), garbage(Pelnix::Sim::Tx330FactoryState()),
        last(Pelnix::Sim::Tx330FactoryState());
    first.SilentOn("");
    last.SilentOn("");
    garbage.WrongReplyTo("~CONNECT", "#?garbage");
    std::vector<std::string> ports = {first.PortPath(), garbage.PortPath(), last.PortPath()};
    Command::SetPortLister([ports] { return ports; });
    // The scan runs from the last port to the first.
    const QString expected =
        QString::fromStdString(last.PortPath() + ": silent\n" + garbage.PortPath() +
                               ": garbage (first reply \"#?garbage\")\n" + first.PortPath() + ": silent");
    MainGUI_TX_330 window;
    for (const char* name : {"btnConnect", "btnConnectRead"}) {
        SCOPED_TRACE(name);
        m_recorder.clear();
        button(window, name)->click();
        ASSERT_TRUE(waitIdle(window));
        ASSERT_EQ(m_recorder.boxes.size(), 1u);
        EXPECT_EQ(m_recorder.boxes[0].Text, StringTable().getString(58));
        EXPECT_EQ(m_recorder.boxes[0].Icon, MessageBoxIcon::Error);
        EXPECT_EQ(m_recorder.boxes[0].Details, expected);
        EXPECT_EQ(window.connectionState(), ConnectionState::Disconnected);
    }
}

TEST_F(MainGuiTx330, FactoryShipmentAsksThenResetsTheUnitAndTheForm) {
    startUnit(distinctUnit());
    MainGUI_TX_330 window;
    ASSERT_TRUE(readUnit(window));
    m_recorder.clear();
    m_recorder.boxAnswers = {DialogResult::Cancel};
    button(window, "btnFactoryShipment")->click();
    EXPECT_EQ(m_recorder.boxTexts(), std::vector<QString>{StringTable().getString(67)});
    EXPECT_EQ(box(window, "textBox4")->text(), QStringLiteral("7"));

    m_recorder.clear();
    m_unit->ClearLog();
    button(window, "btnFactoryShipment")->click();
    ASSERT_TRUE(waitIdle(window));
    EXPECT_EQ(m_recorder.boxTexts().back(), StringTable().getString(11));
    EXPECT_EQ(box(window, "textBox4")->text(), QStringLiteral("0"));
    const auto requests = m_unit->Requests();
    EXPECT_TRUE(std::any_of(requests.begin(), requests.end(),
                            [](const std::string& r) { return r.rfind("~INIT=", 0) == 0; }));
}

TEST_F(MainGuiTx330, SaveOpenRevertAndTheCloseQuestion) {
    startUnit(Pelnix::Sim::Tx330FactoryState());
    QTemporaryDir folder;
    for (const char* culture : {Testing::kJapanese, Testing::kEnglish}) {
        ScopedCulture use(culture);
        MainGUI_TX_330 window;
        ASSERT_TRUE(readUnit(window, 2));
        // Values read are not yet saved; the unit's page changes count as edits.
        radio(window, "radioButton13")->click();
        box(window, "textBox1")->setText(QStringLiteral("15"));
        radio(window, "radioButton5")->setChecked(true);

        // A target that cannot be written is reported and leaves the changes unsaved.
        m_recorder.clear();
        m_recorder.fileAnswers = {QStringLiteral("/nonexistent-folder/config.xml")};
        item(window, "SetFileSave_MenuItem")->trigger();
        EXPECT_EQ(m_recorder.boxTexts(),
                  std::vector<QString>{
                      StringTable()
                          .getString(Msg::SettingsFileNotSaved)
                          .arg(QStringLiteral("/nonexistent-folder/config.xml: No such file or directory"))})
            << culture;
        m_recorder.clear();
        m_recorder.windowAnswers = {DialogResult::Cancel};
        window.close();
        ASSERT_EQ(m_recorder.windows.size(), 1u) << culture;
        EXPECT_EQ(m_recorder.windows[0].Title, StringTable().getString(2));

        const QString path = folder.filePath(QStringLiteral("tx330.xml"));
        m_recorder.clear();
        m_recorder.fileAnswers = {path};
        item(window, "SetFileSave_MenuItem")->trigger();
        EXPECT_TRUE(m_recorder.boxes.empty());
        const ApplicationConfig_TX330 saved = window.committedSettings();
        EXPECT_EQ(saved.m_DoOffDelay, 15);
        EXPECT_EQ(saved.m_Do1Invert, 1);

        // Revert brings the start-up form back; Open brings the file back exactly.
        item(window, "Revert_MenuItem")->trigger();
        EXPECT_EQ(box(window, "textBox1")->text(), QStringLiteral("0"));
        EXPECT_TRUE(radio(window, "radioButton12")->isChecked());
        m_recorder.fileAnswers = {path};
        item(window, "SetFileOpen_MenuItem")->trigger();
        EXPECT_TRUE(m_recorder.boxes.empty());
        EXPECT_EQ(box(window, "textBox1")->text(), QStringLiteral("15"));
        EXPECT_TRUE(radio(window, "radioButton5")->isChecked());

        // Unchanged since the save: closes without a question.
        m_recorder.clear();
        window.show();
        window.close();
        EXPECT_TRUE(m_recorder.windows.empty()) << culture;
        EXPECT_FALSE(window.isVisible());
    }
}

TEST_F(MainGuiTx330, EveryEditAsksBeforeTheCloseBoxButQuitNever) {
    struct Case {
        const char* name;
        std::function<void(MainGUI_TX_330&)> edit;
    };
    const Case cases[] = {
        {"response delay", [](auto& w) { box(w, "txtAwt")->setText(QStringLiteral("50")); }},
        {"DO bind",
         [](auto& w) {
             radio(w, "radioButton13")->click();
             combo(w, "comboBox6")->setCurrentIndex(0);
         }},
        {"security", [](auto& w) { child<QCheckBox>(w, QStringLiteral("chkAESSecure"))->setChecked(true); }},
        {"group", [](auto& w) { combo(w, "cmbGrpId")->setCurrentIndex(4); }},
    };
    for (const Case& c : cases) {
        MainGUI_TX_330 window;
        window.show();
        c.edit(window);
        m_recorder.clear();
        m_recorder.windowAnswers = {DialogResult::Cancel};
        window.close();
        EXPECT_EQ(m_recorder.windows.size(), 1u) << c.name;
        EXPECT_TRUE(window.isVisible()) << c.name;
        m_recorder.clear();
        button(window, "btnStop")->click();
        EXPECT_TRUE(m_recorder.windows.empty()) << c.name;
        EXPECT_FALSE(window.isVisible()) << c.name;
    }
}

TEST_F(MainGuiTx330, OnlyAConfirmedWriteCountsAsSavedAndNothingResetsWithoutAUnit) {
    startUnit(Pelnix::Sim::Tx330FactoryState());
    MainGUI_TX_330 window;
    window.show();
    ASSERT_TRUE(readUnit(window, 2));
    box(window, "txtAwt")->setText(QStringLiteral("50"));
    m_unit->SilentOn("~");
    m_recorder.clear();
    button(window, "btnSetting")->click();
    ASSERT_TRUE(waitIdle(window));
    EXPECT_EQ(m_recorder.boxTexts(), std::vector<QString>{StringTable().getString(57)});
    // The unit let go of: Factory Shipment is not offered and the Set menu item changes nothing.
    EXPECT_FALSE(button(window, "btnFactoryShipment")->isEnabled());
    EXPECT_FALSE(item(window, "FactoryShipmentSet_MenuItem")->isEnabled());
    m_recorder.clear();
    item(window, "Set_MenuItem")->trigger();
    EXPECT_EQ(m_recorder.boxTexts(), std::vector<QString>{StringTable().getString(57)});
    EXPECT_EQ(box(window, "txtAwt")->text(), QStringLiteral("50"));
    // The edit never reached the unit: closing still asks.
    m_recorder.clear();
    m_recorder.windowAnswers = {DialogResult::Cancel};
    window.close();
    EXPECT_EQ(m_recorder.windows.size(), 1u);
    EXPECT_TRUE(window.isVisible());
}

TEST_F(MainGuiTx330, OnlyMovingOnLeavesATimeBox) {
    MainGUI_TX_330 window;
    radio(window, "radioButton12")->click();
    struct Case {
        const char* what;
        Qt::FocusReason reason;
        bool leaves;
    };
    const Case cases[] = {
        {"Tab", Qt::TabFocusReason, true},
        {"Shift+Tab", Qt::BacktabFocusReason, true},
        {"a click elsewhere", Qt::MouseFocusReason, true},
        {"a lone Alt press", Qt::MenuBarFocusReason, false},
        {"a menu", Qt::PopupFocusReason, false},
        {"another window", Qt::ActiveWindowFocusReason, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        struct Box {
            const char* name;
            const char* typed;
            const char* left;
        };
        for (const Box& b : {Box{"txtAwt", "125", "120"}, Box{"txtDiFilt", "2.75", "2.7"}}) {
            typeInto(box(window, b.name), QString::fromLatin1(b.typed));
            QFocusEvent out(QEvent::FocusOut, c.reason);
            QApplication::sendEvent(box(window, b.name), &out);
            EXPECT_EQ(box(window, b.name)->text(), QString::fromLatin1(c.leaves ? b.left : b.typed))
                << b.name;
        }
    }
}

TEST_F(MainGuiTx330, AnUnreadableFileShowsTheDefaultsBeforeItsMessage) {
    startUnit(distinctUnit());
    MainGUI_TX_330 window;
    ASSERT_TRUE(readUnit(window));
    ASSERT_EQ(box(window, "txtAwt")->text(), QStringLiteral("120"));
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("broken.xml"));
    QFile broken(path);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("<ApplicationConfig_TX330><BAUDRATE>");
    broken.close();

    QString baudAtMessage;
    QString delayAtMessage;
    m_recorder.clear();
    m_recorder.onBox = [&](const RecordingToolkit::ShownBox&) {
        baudAtMessage = combo(window, "cmbBaudrate")->currentText();
        delayAtMessage = box(window, "txtAwt")->text();
    };
    m_recorder.fileAnswers = {path};
    item(window, "SetFileOpen_MenuItem")->trigger();
    m_recorder.onBox = nullptr;
    EXPECT_EQ(m_recorder.boxTexts(), std::vector<QString>{StringTable().getString(64)});
    EXPECT_EQ(baudAtMessage, combo(window, "cmbBaudrate")->itemText(2));
    EXPECT_EQ(delayAtMessage, QStringLiteral("0"));
}
