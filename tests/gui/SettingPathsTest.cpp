// SPDX-License-Identifier: MIT
// Paths through the two main windows that lost a setting or named a wrong cause, as
// one table. Each row: the window and its simulated unit, a path of clicks, the unit's fault
// and the step under test; then what must hold after that step: what the form shows, what
// config.xml holds, every message box of the step, and what reached the unit (or the image).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <system_error>
#include <vector>

#include "domain/modem/Command.h"
#include "fixtures/FixtureImage.h"
#include "gui/MainWindowBase.h"
#include "gui/rs485/MainGUI.h"
#include "gui/support/ToolkitRecorder.h"
#include "gui/tx330/MainGUI_TX_330.h"
#include "settings/ChoiceLists.h"
#include "settings/Config.h"
#include "settings/SettingsFile.h"
#include "sim/Rs485Unit.h"
#include "sim/Tx330Unit.h"
#include "support/SimPty.h"

// Texts in failure output as text.
void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace {

using namespace std::chrono_literals;
using Pelnix::Sim::UnitState;
using Tormel::Domain::Modem::Command;
using Tormel::Gui::ApplicationConfig;
using Tormel::Gui::ConnectionState;
using Tormel::Gui::MainGUI;
using Tormel::Gui::MainGUI_TX_330;
using Tormel::Gui::MainWindowBase;
using Tormel::Gui::Msg;
using Tormel::Gui::StringTable;

enum class Window { Rs485, Tx330 };

// What config.xml holds after the step under test, against what it held before it.
enum class ConfigXml { Kept, Absent, Rewritten };

class SettingPathsTest : public ::testing::Test {
  protected:
    using Step = std::function<void()>;

    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        qputenv("LC_ALL", "en_US.UTF-8");
        m_saved = Command::Timing();
        auto& t = Command::Timing();
        t.ReadTimeout = 150ms;
        t.Tries = 2;
        t.ResetTries = 10;
        t.LinePause = 1ms;
        t.ReopenDelay = 20ms;
        t.RadioChangeDelay = 1ms;
        // A regular file where a folder is expected: no user, root included, can write below it.
        QFile blocker(m_dir.filePath(QStringLiteral("blocker")));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    void TearDown() override {
        m_window.reset();
        m_unit.reset();
        Command::Timing() = m_saved;
        Command::SetPortLister({});
        Tormel::Gui::overrideDefaultSettingsFilePath({});
        qunsetenv("LC_ALL");
    }

    // A fresh window of `window` beside a unit in `state`, and an empty folder for config.xml.
    void start(Window window, const UnitState& state) {
        m_window.reset();
        m_configXml = m_dir.filePath(QStringLiteral("config.xml"));
        QFile::remove(m_configXml);
        Tormel::Gui::overrideDefaultSettingsFilePath(m_configXml);
        m_unit = std::make_unique<Pelnix::Test::SimPty>(state);
        const std::string port = m_unit->PortPath();
        Command::SetPortLister([port] { return std::vector<std::string>{port}; });
        if (window == Window::Rs485) {
            m_window = std::make_unique<MainGUI>();
        } else {
            m_window = std::make_unique<MainGUI_TX_330>();
        }
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->activateWindow();
        m_tk.clear();
    }
    void waitIdle() {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !m_window->windowState().busy(); }, 30000));
    }
    template <class T>
    T* child(const char* name) {
        T* w = m_window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    // What a control shows: a box's text, a list's item, a button's check.
    QString shown(const char* name) {
        QWidget* w = child<QWidget>(name);
        if (auto* box = qobject_cast<QLineEdit*>(w)) return box->text();
        if (auto* list = qobject_cast<QComboBox*>(w)) return list->currentText();
        if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->isChecked() ? kOn : kOff;
        return {};
    }
    QByteArray configXmlBytes() const {
        QFile f(m_configXml);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QString fileIn(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    // A path below the regular file "blocker", with the system's reason it cannot be written.
    QString blocked(const char* name) const {
        return fileIn("blocker") + QLatin1Char('/') + QLatin1String(name);
    }
    static QString notADirectory(const QString& path) {
        return path + QStringLiteral(": ") + QString::fromStdString(std::system_category().message(ENOTDIR));
    }
    QString text(Msg id) const { return m_st.getString(id); }

    // ---- the steps of a path ----
    Step click(const char* button) {
        return [this, button] {
            child<QPushButton>(button)->click();
            waitIdle();
        };
    }
    Step altKey(Qt::Key key) {
        return [this, key] {
            QTest::keyClick(m_window.get(), key, Qt::AltModifier);
            waitIdle();
        };
    }
    Step type(const char* box, const char* text) {
        return [this, box, text] { child<QLineEdit>(box)->setText(QString::fromLatin1(text)); };
    }
    Step unplugAfter(int lines) {
        return [this, lines] { m_unit->HangUpAfterLines(lines); };
    }
    Step saveTo(const QString& path) {
        return [this, path] {
            m_tk.fileAnswers.push_back(path);
            child<QAction>("SetFileSave_MenuItem")->trigger();
        };
    }
    // Set, and while its write runs, a settings file opened.
    Step setOpening(const QString& path) {
        return [this, path] {
            child<QPushButton>("btnSetting")->click();
            ASSERT_EQ(m_window->connectionState(), ConnectionState::Writing);
            m_tk.fileAnswers.push_back(path);
            child<QAction>("SetFileOpen_MenuItem")->trigger();
            waitIdle();
        };
    }
    // A settings file of the RS485 window: the form as it stands, changed by `edit`.
    Step rs485File(const QString& path, const std::function<void(ApplicationConfig&)>& edit) {
        return [this, path, edit] {
            ApplicationConfig config = dynamic_cast<MainGUI&>(*m_window).storeForm();
            edit(config);
            ASSERT_TRUE(Tormel::Gui::writeSettingsFile(path, config));
        };
    }
    // The firmware image as the target, and `image` chosen.
    Step chooseImage(const std::filesystem::path& image) {
        return [this, image] {
            m_tk.clear();
            child<QComboBox>("cmbSetTarget")->setCurrentIndex(1);
            m_tk.fileAnswers.push_back(QString::fromStdString(image.string()));
            child<QPushButton>("btnSelectFile")->click();
            ASSERT_TRUE(m_tk.boxes.empty()) << m_tk.boxes.front().Text.toStdString();
        };
    }
    Step noPlaceForConfigXml() {
        return [this] {
            m_configXml = blocked("config.xml");
            Tormel::Gui::overrideDefaultSettingsFilePath(m_configXml);
        };
    }

    static inline const QString kOn = QStringLiteral("checked");
    static inline const QString kOff = QStringLiteral("unchecked");

    QTemporaryDir m_dir;
    StringTable m_st;
    Tormel::Gui::RecordingToolkit m_tk;
    Tormel::Gui::ToolkitOverride m_override{m_tk};
    std::unique_ptr<Pelnix::Test::SimPty> m_unit;
    std::unique_ptr<MainWindowBase> m_window;
    QString m_configXml;

  private:
    Tormel::Domain::Modem::CommandTiming m_saved;
};

UnitState rs485Unit() { return Pelnix::Sim::Rs485FactoryState(); }
UnitState tx710aUnit() { return Pelnix::Sim::Rs485FactoryState("2.6", false, "1.5"); }
UnitState tx330Unit() {
    UnitState state = Pelnix::Sim::Tx330FactoryState();
    state.line.BaudRate = 9600;
    return state;
}

TEST_F(SettingPathsTest, NoPathLosesASettingOrNamesAWrongCause) {
    pelnix::test::TempFolder images;
    const std::filesystem::path image76800 = images.Copy("rs485_v37.elf");
    pelnix::test::PokeFile(image76800, "TormelParamsM$baudrate", 2, 768);
    UnitState aes256 = rs485Unit();
    aes256.rs485.aesEnable = 2;
    aes256.rs485.aesMode = 2;
    const QString type1File = fileIn("type1.xml");
    const QString imageTargetFile = fileIn("image-target.xml");
    const auto nothingWritten = [](const Pelnix::Test::SimPty& unit) {
        for (const std::string& r : unit.Requests()) {
            EXPECT_EQ(r.find('='), std::string::npos) << r;
        }
    };

    struct Row {
        const char* what;
        Window window;
        UnitState unit;
        std::vector<Step> path;
        Step fault;  // the unit's fault, or the system's, before the last step
        Step last;   // the step under test
        // What must hold after it:
        std::vector<std::pair<const char*, QString>> form;
        ConfigXml configXml;
        std::vector<QString> messages;  // every box the last step showed, in order
        std::function<void(const Pelnix::Test::SimPty&)> reached;
    };
    const Row rows[] = {
        {"1 RS485: Factory Shipment (Alt+W) after the unit is gone",
         Window::Rs485,
         rs485Unit(),
         {click("btnConnectRead"), type("txtNodeIDOffset", "42"), click("btnSetting")},
         unplugAfter(1),
         altKey(Qt::Key_W),
         {{"txtNodeIDOffset", QStringLiteral("42")}},
         ConfigXml::Kept,
         {text(Msg::WriteNotConnected)},
         [](const Pelnix::Test::SimPty& unit) { EXPECT_EQ(unit.State().rs485.idOffset, 42); }},
        {"1 TX-330: Factory Shipment (Alt+W) after the unit is gone",
         Window::Tx330,
         tx330Unit(),
         {click("btnConnectRead"), type("txtAwt", "50"), click("btnSetting")},
         unplugAfter(1),
         altKey(Qt::Key_W),
         {{"txtAwt", QStringLiteral("50")}},
         ConfigXml::Kept,
         {text(Msg::WriteNotConnected)},
         [](const Pelnix::Test::SimPty& unit) { EXPECT_EQ(unit.State().tx330.awtMs, 50); }},
        {"2 a type-1 file opened while a TX-910A with AES256 is written, then Set",
         Window::Rs485,
         aes256,
         {click("btnConnectRead"),
          rs485File(type1File,
                    [](ApplicationConfig& c) {
                        c.m_moduletype = 1;
                        c.m_baudrate = 6;  // 115200 in the list without 76800
                        c.m_IdOffset = QStringLiteral("61");
                    }),
          setOpening(type1File)},
         [] {},
         click("btnSetting"),
         {{"txtNodeIDOffset", QStringLiteral("61")},
          {"cmbBaudrate", QStringLiteral("115200bps")},
          {"radAES256", kOn}},
         ConfigXml::Rewritten,
         {text(Msg::SettingCompleted)},
         [](const Pelnix::Test::SimPty& unit) {
             EXPECT_EQ(unit.State().rs485.aesMode, 2);
             EXPECT_EQ(unit.State().rs485.idOffset, 61);
         }},
        {"2 a file saved with the firmware target opened while the unit is written",
         Window::Rs485,
         rs485Unit(),
         {click("btnConnectRead"),
          rs485File(imageTargetFile,
                    [](ApplicationConfig& c) {
                        c.m_target = 1;
                        c.m_IdOffset = QStringLiteral("62");
                    }),
          type("txtNodeIDOffset", "42")},
         [] {},
         setOpening(imageTargetFile),
         {{"cmbSetTarget", Tormel::Gui::ChoiceLists::setTargetItems(m_st)[0]},
          {"txtNodeIDOffset", QStringLiteral("62")}},
         ConfigXml::Rewritten,
         {text(Msg::SettingCompleted)},
         [](const Pelnix::Test::SimPty& unit) { EXPECT_EQ(unit.State().rs485.idOffset, 42); }},
        {"3 Connect from the menu (Alt+C) with a 76800 image as the target, then Set",
         Window::Rs485,
         tx710aUnit(),
         {click("btnConnect"), chooseImage(image76800), altKey(Qt::Key_C)},
         [] {},
         click("btnSetting"),
         {{"cmbBaudrate", QStringLiteral("76800bps")}},
         ConfigXml::Rewritten,
         {text(Msg::SettingCompleted)},
         [&](const Pelnix::Test::SimPty& unit) {
             nothingWritten(unit);
             EXPECT_EQ(pelnix::test::Peek(pelnix::test::ReadBytes(image76800), "TormelParamsM$baudrate", 2),
                       768U);
         }},
        {"4 a plain Connect to a type-1 unit while the form shows 76800",
         Window::Rs485,
         rs485Unit(),
         {click("btnConnect"),
          [&] { child<QComboBox>("cmbBaudrate")->setCurrentText(QStringLiteral("76800bps")); }},
         [&] { m_unit->ResetUnit(tx710aUnit()); },
         click("btnConnect"),
         {{"cmbBaudrate", QStringLiteral("115200bps")}},
         ConfigXml::Kept,
         {text(Msg::ConnectSucceeded), text(Msg::Baud76800NotSupported)},
         nothingWritten},
        {"5 RS485: Save Config File to a folder that cannot hold it",
         Window::Rs485,
         rs485Unit(),
         {click("btnConnectRead"), type("txtNodeIDOffset", "42")},
         [] {},
         saveTo(blocked("saved.xml")),
         {{"txtNodeIDOffset", QStringLiteral("42")}},
         ConfigXml::Kept,
         {text(Msg::SettingsFileNotSaved).arg(notADirectory(blocked("saved.xml")))},
         nothingWritten},
        {"5 TX-330: Save Config File to a folder that cannot hold it",
         Window::Tx330,
         tx330Unit(),
         {click("btnConnectRead"), type("txtAwt", "50")},
         [] {},
         saveTo(blocked("saved.xml")),
         {{"txtAwt", QStringLiteral("50")}},
         ConfigXml::Kept,
         {text(Msg::SettingsFileNotSaved).arg(notADirectory(blocked("saved.xml")))},
         nothingWritten},
        {"8 RS485: the unit unplugged in the middle of Set",
         Window::Rs485,
         rs485Unit(),
         {click("btnConnectRead"), type("txtNodeIDOffset", "42")},
         unplugAfter(4),
         click("btnSetting"),
         {{"txtNodeIDOffset", QStringLiteral("42")}, {"txtStateSetting", text(Msg::StatusDisconnected)}},
         ConfigXml::Rewritten,
         {text(Msg::WriteNotConnected) + QLatin1Char('\n') +
          text(Msg::UnitHalfWritten).arg(2).arg(QStringLiteral("~SNCP=, ~HODR="))},
         [](const Pelnix::Test::SimPty& unit) { EXPECT_EQ(unit.State().rs485.idOffset, 42); }},
        {"8 TX-330: the unit unplugged in the middle of Set",
         Window::Tx330,
         tx330Unit(),
         {click("btnConnectRead"), type("txtAwt", "50")},
         unplugAfter(4),
         click("btnSetting"),
         {{"txtAwt", QStringLiteral("50")}, {"txtStateSetting", text(Msg::StatusDisconnected)}},
         ConfigXml::Kept,
         {text(Msg::WriteNotConnected) + QLatin1Char('\n') +
          text(Msg::UnitHalfWritten).arg(2).arg(QStringLiteral("~SNCP=, ~NETENCENABLE="))},
         [](const Pelnix::Test::SimPty& unit) { EXPECT_EQ(unit.State().tx330.awtMs, 0) << "never reached"; }},
        {"9 Set with no writable place for config.xml",
         Window::Rs485,
         rs485Unit(),
         {noPlaceForConfigXml(), click("btnConnectRead"), type("txtNodeIDOffset", "42")},
         [] {},
         click("btnSetting"),
         {{"txtNodeIDOffset", QStringLiteral("42")}},
         ConfigXml::Absent,
         {text(Msg::SettingCompleted) + QLatin1Char('\n') +
          text(Msg::DefaultSettingsFileNotSaved).arg(notADirectory(blocked("config.xml")))},
         [](const Pelnix::Test::SimPty& unit) { EXPECT_EQ(unit.State().rs485.idOffset, 42); }},
    };

    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        start(row.window, row.unit);
        for (const Step& step : row.path) {
            step();
        }
        row.fault();
        const QByteArray configBefore = configXmlBytes();
        m_tk.clear();
        m_unit->ClearLog();
        row.last();

        for (const auto& [name, expected] : row.form) {
            EXPECT_EQ(shown(name), expected) << name;
        }
        switch (row.configXml) {
            case ConfigXml::Kept:
                EXPECT_EQ(configXmlBytes(), configBefore);
                break;
            case ConfigXml::Absent:
                EXPECT_FALSE(QFileInfo::exists(m_configXml));
                break;
            case ConfigXml::Rewritten:
                EXPECT_TRUE(QFileInfo::exists(m_configXml));
                EXPECT_NE(configXmlBytes(), configBefore);
                break;
        }
        EXPECT_EQ(m_tk.boxTexts(), row.messages);
        row.reached(*m_unit);
    }
}

}  // namespace
