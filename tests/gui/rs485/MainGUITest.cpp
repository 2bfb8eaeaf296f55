// SPDX-License-Identifier: MIT
// The RS485 window on the offscreen platform: its form, its settings files, the close question
// and a connect-and-read against a simulated unit on a pty.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <memory>

#include "domain/modem/Command.h"
#include "gui/rs485/MainGUI.h"
#include "gui/support/Rs485WindowTest.h"
#include "settings/Config.h"
#include "settings/SettingsFile.h"
#include "support/SimPty.h"

namespace {

using namespace std::chrono_literals;
using Tormel::Gui::ApplicationConfig;
using Tormel::Gui::Config;
using Tormel::Gui::DialogResult;
using Tormel::Gui::MainGUI;
using Tormel::Gui::Msg;
using Tormel::Gui::StringTable;

class MainGUITest : public Tormel::Gui::Rs485WindowTest {
  protected:
    static QByteArray xml(const ApplicationConfig& c) { return Config::toXml(c).value_or(QByteArray()); }
    void type(const char* box, const QString& text) {
        auto* edit = child<QLineEdit>(box);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
};

TEST_F(MainGUITest, StoreThenLoadGivesTheSameDocumentInBothLanguages) {
    for (const char* locale : {"ja_JP.UTF-8", "en_US.UTF-8"}) {
        SCOPED_TRACE(locale);
        qputenv("LC_ALL", locale);
        MainGUI& w = open();
        EXPECT_EQ(w.windowTitle().endsWith(QStringLiteral(" Ver.5.2.1")), true);
        const ApplicationConfig defaults = w.storeForm();
        EXPECT_EQ(xml(defaults), xml(w.committedSetting()));
        // An edited document: every kind of control away from its default.
        ApplicationConfig edited = defaults;
        edited.m_baudrate = 5;
        edited.m_parity = 2;
        edited.m_intfport = 1;
        edited.m_IdOffset = QStringLiteral("77");
        edited.m_WhiteningEnable = 1;
        edited.m_aesEncryptEnable = 2;
        edited.m_aesEncryptType = 2;
        edited.m_encryptKey[3] = QStringLiteral("ABCD");
        edited.m_throughMode = 1;
        edited.m_fmt2Enable = 2;
        edited.m_pStartCode = QStringLiteral("3A");
        edited.m_deviEnable = 3;
        edited.m_sForm2nd = 3;
        edited.m_cCheck = 2;
        edited.m_cStartCode = true;
        edited.m_cOffset = QStringLiteral("-3");
        edited.m_tabSelect = 2;
        edited.m_devMode2 = 1;
        ASSERT_TRUE(w.setApplication(edited, false));
        EXPECT_EQ(xml(w.storeForm()), xml(edited));
        ASSERT_TRUE(w.setApplication(defaults, false));
        EXPECT_EQ(xml(w.storeForm()), xml(defaults));
    }
}

TEST_F(MainGUITest, DependenciesAndPresetsAsOneTable) {
    open();
    struct Case {
        const char* what;
        std::function<void()> act;
        std::function<bool()> expect;
    };
    auto hidden = [this](const char* n) { return child<QWidget>(n)->isHidden(); };
    auto enabled = [this](const char* n) { return child<QWidget>(n)->isEnabled(); };
    auto text = [this](const char* n) { return child<QLineEdit>(n)->text(); };
    auto index = [this](const char* n) { return child<QComboBox>(n)->currentIndex(); };
    const Case cases[] = {
        {"USB hides the line settings", [&] { child<QComboBox>("cmbIntfPort")->setCurrentIndex(1); },
         [&] { return hidden("cmbBaudrate") && hidden("lblStopBit"); }},
        {"RS485 shows them", [&] { child<QComboBox>("cmbIntfPort")->setCurrentIndex(0); },
         [&] { return !hidden("cmbBaudrate") && !hidden("cmbParity"); }},
        {"marker shows the codes, hides silence", [&] { child<QComboBox>("cmbPType")->setCurrentIndex(0); },
         [&] { return !hidden("txtPStartCode") && !hidden("chk2ndFormat") && hidden("txtSilentInterval"); }},
        {"second format on enables its boxes", [&] { child<QCheckBox>("chk2ndFormat")->setChecked(true); },
         [&] { return enabled("txtPStartCode2nd") && enabled("cmbSForm2nd"); }},
        {"second format off disables them", [&] { child<QCheckBox>("chk2ndFormat")->setChecked(false); },
         [&] { return !enabled("txtPEndCode2nd") && !enabled("txtSLength2nd"); }},
        {"broadcast shows only its note", [&] { child<QComboBox>("cmbSType")->setCurrentIndex(0); },
         [&] { return !hidden("lblSBcastSend") && hidden("lblSFixSend") && hidden("txtSOffset"); }},
        {"fixed shows only its note", [&] { child<QComboBox>("cmbSType")->setCurrentIndex(2); },
         [&] { return hidden("lblSBcastSend") && !hidden("lblSFixSend") && hidden("txtSBcastAddr"); }},
        {"no check hides the check fields", [&] { child<QComboBox>("cmbCCheck")->setCurrentIndex(0); },
         [&] { return hidden("txtCOffset") && hidden("cmbCForm"); }},
        {"CRC shows them", [&] { child<QComboBox>("cmbCCheck")->setCurrentIndex(2); },
         [&] { return !hidden("txtCOffset") && !hidden("chkCStartCode"); }},
        {"maker key on enables its words",
         [&] {
             child<QGroupBox>("grpSecure")->setEnabled(true);
             child<QCheckBox>("chkSecureKey1")->setChecked(true);
         },
         [&] { return enabled("txtSecureKey8") && enabled("lblSecureKey2"); }},
        {"AES without a TX-910A stays unusable", [&] { child<QCheckBox>("chkAESSecure")->setChecked(true); },
         [&] { return !enabled("radAES256") && child<QRadioButton>("radAESKeyInit")->isChecked(); }},
        {"ModbusRTU",
         [&] {
             child<QLineEdit>("txtPStartCode")->setText(QStringLiteral("11"));
             child<QPushButton>("btnModbusRTU")->click();
         },
         [&] {
             return index("cmbPType") == 1 && text("txtSilentInterval") == u"4" && index("cmbSType") == 1 &&
                    text("txtSOffset") == u"0" && text("txtSLength") == u"1" && index("cmbSForm") == 2 &&
                    text("txtSBcastAddr") == u"0" && text("txtPStartCode") == u"11";
         }},
        {"ModbusASCII",
         [&] {
             child<QLineEdit>("txtSilentInterval")->setText(QStringLiteral("9"));
             child<QPushButton>("btnModbusASCII")->click();
         },
         [&] {
             return index("cmbPType") == 0 && text("txtPStartCode") == u"3A" &&
                    text("txtPEndCode") == u"0A" && text("txtSOffset") == u"1" &&
                    text("txtSLength") == u"2" && index("cmbSForm") == 1 &&
                    text("txtSilentInterval") == u"9" && !child<QCheckBox>("chk2ndFormat")->isChecked();
         }},
        {"Transparent", [&] { child<QPushButton>("btnTransparent")->click(); },
         [&] { return index("cmbPType") == 1 && index("cmbSType") == 0 && text("txtPStartCode") == u"3A"; }},
        {"Set Default", [&] { child<QPushButton>("btnDefaultCom")->click(); },
         [&] { return index("cmbBaudrate") == 2 && index("cmbParity") == 0 && index("cmbIntfPort") == 0; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.act();
        EXPECT_TRUE(c.expect());
    }
}

TEST_F(MainGUITest, LiveFiltersKeepTheLastAcceptedTextAndTheirWidths) {
    open();
    struct Case {
        const char* box;
        const char* typed;
        const char* shown;
        int width;
    } const cases[] = {
        {"txtSBcastAddr", "1G", "1", 4},
        {"txtSLength", "7", "", 1},
        {"txtNodeIDOffset", "12345", "1234", 4},
        {"txtCOffset", "-9x", "-9", 3},
        {"txtEncryptionKey16", "aF", "aF", 4},
        {"txtModemID25", "1a", "1", 2},
        {"txtUnit99", "4z", "4", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        auto* box = child<QLineEdit>(c.box);
        box->setEnabled(true);
        box->setText({});
        QTest::keyClicks(box, QString::fromLatin1(c.typed));
        EXPECT_EQ(box->text(), QString::fromLatin1(c.shown));
        EXPECT_EQ(box->maxLength(), c.width);
    }
    // A paste of foreign text brings back what the program put in last.
    auto* box = child<QLineEdit>("txtPEndCode");
    box->setText(QStringLiteral("0D"));
    box->selectAll();
    box->insert(QStringLiteral("zz"));
    emit box->textEdited(box->text());
    EXPECT_EQ(box->text(), QStringLiteral("0D"));
}

TEST_F(MainGUITest, OpenTakesGoodFilesAndRefusesTheOthers) {
    MainGUI& w = open();
    ApplicationConfig good = w.storeForm();
    good.m_IdOffset = QStringLiteral("42");
    ASSERT_TRUE(Tormel::Gui::writeSettingsFile(file("good.xml"), good));
    ApplicationConfig other = good;
    other.m_model = QStringLiteral("TX-330");
    ASSERT_TRUE(Tormel::Gui::writeSettingsFile(file("other.xml"), other));
    ApplicationConfig fast = good;
    fast.m_moduletype = 2;
    fast.m_baudrate = 6;  // 76800 bit/s for a TX-910A
    fast.m_IdOffset = QStringLiteral("99");
    ASSERT_TRUE(Tormel::Gui::writeSettingsFile(file("fast.xml"), fast));
    QFile damaged(file("damaged.xml"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("<?xml version=\"1.0\"?>\n<ApplicationConfig><IDOFFSET>1");
    damaged.close();

    // The file commands come with the first connect.
    w.findChild<QAction*>(QStringLiteral("SetFileOpen_MenuItem"))->setEnabled(true);
    const StringTable st;
    auto* offset = child<QLineEdit>("txtNodeIDOffset");
    struct Case {
        const char* file;
        std::optional<QString> message;  // the one box shown, if any (65 has no English text)
        const char* offsetAfter;
    } const cases[] = {
        {"good.xml", std::nullopt, "42"},
        {"fast.xml", std::nullopt, "99"},  // no unit held: shown as the TX-910A file it is
        {"other.xml", st.getString(Msg::SettingsFileOtherFormat), "0"},
        {"good.xml", std::nullopt, "42"},
        {"damaged.xml", st.getString(Msg::InvalidParametersLoaded), "0"},
        {"missing.xml", st.getString(Msg::SettingsFileMismatch), "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        m_tk.clear();
        m_tk.fileAnswers.push_back(file(c.file));
        QMetaObject::invokeMethod(w.findChild<QAction*>(QStringLiteral("SetFileOpen_MenuItem")), "trigger");
        EXPECT_EQ(offset->text(), QString::fromLatin1(c.offsetAfter));
        // Settings files only, and after the first file from its folder.
        ASSERT_FALSE(m_tk.fileDialogs.empty());
        EXPECT_EQ(m_tk.fileDialogs.back().Options.Filter, QStringLiteral("設定ファイル|*.xml"));
        if (&c != &cases[0]) {
            EXPECT_EQ(m_tk.fileDialogs.back().Options.InitialDirectory,
                      QFileInfo(file("good.xml")).absolutePath());
        }
        if (!c.message) {
            EXPECT_TRUE(m_tk.boxes.empty());
        } else {
            ASSERT_EQ(m_tk.boxes.size(), 1U);
            EXPECT_EQ(m_tk.boxes[0].Text, *c.message);
        }
    }
    // Cancel changes nothing.
    offset->setText(QStringLiteral("5"));
    m_tk.fileAnswers.push_back(std::nullopt);
    QMetaObject::invokeMethod(w.findChild<QAction*>(QStringLiteral("SetFileOpen_MenuItem")), "trigger");
    EXPECT_EQ(offset->text(), QStringLiteral("5"));
}

TEST_F(MainGUITest, SaveCommitsOnlyWhatReachedTheFileAndNamesABadField) {
    MainGUI& w = open();
    auto* save = w.findChild<QAction*>(QStringLiteral("SetFileSave_MenuItem"));
    save->setEnabled(true);  // as after a first connect
    const QByteArray before = xml(w.committedSetting());
    type("txtPStartCode", QStringLiteral("A"));

    // A folder that does not exist cannot be written: reported with the system's reason,
    // nothing committed.
    m_tk.fileAnswers.push_back(file("nowhere/config.xml"));
    QMetaObject::invokeMethod(save, "trigger");
    ASSERT_EQ(m_tk.boxes.size(), 1U);
    EXPECT_EQ(m_tk.boxes[0].Text,
              StringTable()
                  .getString(Msg::SettingsFileNotSaved)
                  .arg(file("nowhere/config.xml") + QStringLiteral(": No such file or directory")));
    EXPECT_EQ(xml(w.committedSetting()), before);
    EXPECT_EQ(child<QLineEdit>("txtPStartCode")->text(), QStringLiteral("0A"));  // code padded

    // A bad field is named by its own message.
    m_tk.clear();
    child<QLineEdit>("txtNodeIDOffset")->clear();
    m_tk.fileAnswers.push_back(file("saved.xml"));
    QMetaObject::invokeMethod(save, "trigger");
    ASSERT_EQ(m_tk.boxes.size(), 1U);
    EXPECT_EQ(m_tk.boxes[0].Text, StringTable().getString(Msg::NodeIdOffsetInvalid));

    m_tk.clear();
    child<QLineEdit>("txtNodeIDOffset")->setText(QStringLiteral("3"));
    m_tk.fileAnswers.push_back(file("saved.xml"));
    QMetaObject::invokeMethod(save, "trigger");
    EXPECT_TRUE(m_tk.boxes.empty());
    EXPECT_TRUE(QFile::exists(file("saved.xml")));
    EXPECT_EQ(m_tk.fileDialogs.back().Options.Filter, QStringLiteral("設定ファイル|*.xml"));
    EXPECT_TRUE(w.checkConfig());
}

TEST_F(MainGUITest, RevertBringsBackTheStartAndEveryEditKindAsksBeforeClosing) {
    MainGUI& w = open();
    const QByteArray start = xml(w.committedSetting());
    struct Case {
        const char* what;
        std::function<void()> edit;
    };
    const Case cases[] = {
        {"baud", [&] { child<QComboBox>("cmbBaudrate")->setCurrentIndex(4); }},
        {"silent interval", [&] { child<QLineEdit>("txtSilentInterval")->setText(QStringLiteral("9")); }},
        {"whitening", [&] { child<QCheckBox>("chkWhitening")->setChecked(true); }},
        {"broadcast", [&] { child<QLineEdit>("txtSBcastAddr")->setText(QStringLiteral("12")); }},
        {"destination", [&] { child<QComboBox>("cmbSType")->setCurrentIndex(2); }},
        {"unit binding", [&] { child<QLineEdit>("txtUnit07")->setText(QStringLiteral("12")); }},
        {"node ID row", [&] { child<QLineEdit>("txtModemID3")->setText(QStringLiteral("8")); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.edit();
        EXPECT_FALSE(w.checkConfig());
        m_tk.clear();
        m_tk.windowAnswers.push_back(DialogResult::Cancel);
        w.show();
        EXPECT_FALSE(w.close());  // asked, and "Do not quit." keeps it open
        ASSERT_EQ(m_tk.windows.size(), 1U);
        EXPECT_EQ(m_tk.windows[0].ClassName, QStringLiteral("Tormel::Gui::ErrMsg"));
        child<QPushButton>("btnReturnSetting")->click();
        EXPECT_EQ(xml(w.storeForm()), start);
        EXPECT_TRUE(w.checkConfig());
    }
    // Quit never asks.
    child<QComboBox>("cmbBaudrate")->setCurrentIndex(0);
    m_tk.clear();
    child<QPushButton>("btnStop")->click();
    EXPECT_TRUE(m_tk.windows.empty());
    EXPECT_FALSE(w.isVisible());
}

class MainGUISimTest : public MainGUITest {
  protected:
    void SetUp() override {
        MainGUITest::SetUp();
        useQuickTimings();
    }
};

TEST_F(MainGUISimTest, ConnectAndReadShowsWhatTheUnitHolds) {
    Pelnix::Sim::UnitState state;
    state.rs485.idOffset = 321;
    state.rs485.through = 1;
    state.rs485.stx = 0x3A;
    state.rs485.whitening = 1;
    state.line.BaudRate = 9600;
    Pelnix::Test::SimPty sim(state);
    usePort(sim);
    MainGUI& w = open();
    auto* read = child<QPushButton>("btnConnectRead");
    read->click();
    EXPECT_FALSE(read->isEnabled());  // busy while the worker talks
    ASSERT_TRUE(QTest::qWaitFor([&] { return read->isEnabled(); }, 20000));
    ASSERT_FALSE(m_tk.boxes.empty());
    EXPECT_EQ(m_tk.boxes[0].Text, StringTable().getString(Msg::ConnectSucceeded));
    EXPECT_EQ(w.connectionState(), Tormel::Gui::ConnectionState::Connected);
    EXPECT_TRUE(child<QLineEdit>("txtStateSetting")
                    ->text()
                    .endsWith(QString::fromStdString(
                        "(" + std::filesystem::path(sim.PortPath()).filename().string() + ")")));
    EXPECT_EQ(child<QLineEdit>("txtSoftwareName")->text(), QString::fromStdString(state.name));
    EXPECT_EQ(child<QLineEdit>("txtNodeIDOffset")->text(), QStringLiteral("321"));
    EXPECT_EQ(child<QLineEdit>("txtPStartCode")->text(), QStringLiteral("3A"));
    EXPECT_TRUE(child<QCheckBox>("chkWhitening")->isChecked());
    EXPECT_EQ(w.moduleType(), 2);
    EXPECT_GE(child<QComboBox>("cmbBaudrate")->findText(QStringLiteral("76800bps")), 0);
    EXPECT_TRUE(child<QPushButton>("btnSetting")->isEnabled());
    EXPECT_FALSE(w.checkConfig());  // read values are unsaved until set or saved

    // A plain connect leaves the form as it is.
    child<QLineEdit>("txtNodeIDOffset")->setText(QStringLiteral("5"));
    m_tk.clear();
    child<QPushButton>("btnConnect")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_tk.boxes.empty(); }, 20000));
    EXPECT_EQ(m_tk.boxes[0].Text, StringTable().getString(Msg::ConnectSucceeded));
    EXPECT_EQ(child<QLineEdit>("txtNodeIDOffset")->text(), QStringLiteral("5"));
}

TEST_F(MainGUISimTest, NoUnitAnsweringReportsAndStaysDisconnected) {
    Pelnix::Sim::UnitState state;
    Pelnix::Test::SimPty sim(state);
    sim.SilentOn("");
    usePort(sim);
    MainGUI& w = open();
    child<QPushButton>("btnConnectRead")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_tk.boxes.empty(); }, 30000));
    EXPECT_EQ(m_tk.boxes[0].Text, StringTable().getString(Msg::ReadFailed));
    EXPECT_EQ(w.connectionState(), Tormel::Gui::ConnectionState::Disconnected);
    EXPECT_FALSE(child<QPushButton>("btnSetting")->isEnabled());
    EXPECT_TRUE(w.checkConfig());
}

TEST_F(MainGUISimTest, NoUnitFoundSaysWhatEachPortDidInTheBoxDetails) {
    // Two silent ports around one that answers the handshake with garbage.
    Pelnix::Test::SimPty first, garbage, last;
    first.SilentOn("");
    last.SilentOn("");
    garbage.WrongReplyTo("~CONNECT", "#?garbage");
    std::vector<std::string> ports = {first.PortPath(), garbage.PortPath(), last.PortPath()};
    Tormel::Domain::Modem::Command::SetPortLister([ports] { return ports; });
    // The scan runs from the last port to the first.
    const QString expected =
        QString::fromStdString(last.PortPath() + ": silent\n" + garbage.PortPath() +
                               ": garbage (first reply \"#?garbage\")\n" + first.PortPath() + ": silent");
    MainGUI& w = open();
    for (const char* button : {"btnConnect", "btnConnectRead"}) {
        SCOPED_TRACE(button);
        m_tk.clear();
        child<QPushButton>(button)->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !m_tk.boxes.empty(); }, 30000));
        ASSERT_EQ(m_tk.boxes.size(), 1u);
        EXPECT_EQ(m_tk.boxes[0].Text, StringTable().getString(Msg::ReadFailed));
        EXPECT_EQ(m_tk.boxes[0].Icon, Tormel::Gui::MessageBoxIcon::Error);
        EXPECT_EQ(m_tk.boxes[0].Details, expected);
        EXPECT_EQ(w.connectionState(), Tormel::Gui::ConnectionState::Disconnected);
    }
}

}  // namespace
