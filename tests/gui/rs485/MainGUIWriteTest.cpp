// SPDX-License-Identifier: MIT
// Writing from the RS485 window: Set to a simulated unit of each generation, how each write
// ends, Factory Shipment, and Set into a firmware image with its work copy and backup.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <memory>

#include "domain/firmware/ElfEditor.h"
#include "domain/modem/Command.h"
#include "elfapi/ElfApi.h"
#include "fixtures/FixtureImage.h"
#include "gui/rs485/MainGUI.h"
#include "gui/support/Rs485WindowTest.h"
#include "settings/Config.h"
#include "sim/Rs485Unit.h"
#include "support/SimPty.h"

namespace {

using namespace std::chrono_literals;
using Tormel::Gui::ApplicationConfig;
using Tormel::Gui::DialogResult;
using Tormel::Gui::MainGUI;
using Tormel::Gui::Msg;
using Tormel::Gui::StringTable;
namespace Modem = Tormel::Domain::Modem;
namespace Common = Tormel::Domain::Common;

class MainGUIWriteTest : public Tormel::Gui::Rs485WindowTest {
  protected:
    void SetUp() override {
        Rs485WindowTest::SetUp();
        useQuickTimings();
    }
    // Clicks a command and waits for the box it ends with.
    QString run(const std::function<void()>& command, std::size_t boxes = 1) {
        m_tk.clear();
        command();
        EXPECT_TRUE(QTest::qWaitFor([&] { return m_tk.boxes.size() >= boxes; }, 30000));
        return m_tk.boxes.empty() ? QString() : m_tk.boxes.back().Text;
    }
    void connectAndRead() {
        EXPECT_EQ(run([&] { child<QPushButton>("btnConnectRead")->click(); }),
                  m_st.getString(Msg::ConnectSucceeded));
    }

    StringTable m_st;
};

TEST_F(MainGUIWriteTest, SetWritesWhatTheFormShowsToEachGeneration) {
    struct Unit {
        const char* version;
        bool newer;
        const char* firmware;
    };
    for (const Unit& u : {Unit{"2.1", false, "1.2"}, Unit{"2.4", false, "1.5"}, Unit{"2.6", false, "1.6"},
                          Unit{"2.6", true, "1.7"}}) {
        SCOPED_TRACE(std::string(u.version) + (u.newer ? " TX-910A" : " TX-710A"));
        Pelnix::Test::SimPty sim(Pelnix::Sim::Rs485FactoryState(u.version, u.newer, u.firmware));
        usePort(sim);
        MainGUI& w = open();
        connectAndRead();
        child<QComboBox>("cmbBaudrate")->setCurrentIndex(3);  // 19200
        child<QLineEdit>("txtNodeIDOffset")->setText(QStringLiteral("77"));
        child<QComboBox>("cmbPType")->setCurrentIndex(1);
        child<QLineEdit>("txtSilentInterval")->setText(QStringLiteral("6"));
        child<QComboBox>("cmbSType")->setCurrentIndex(1);
        child<QLineEdit>("txtSBcastAddr")->setText(QStringLiteral("12AB"));
        child<QComboBox>("cmbGroup")->setCurrentIndex(2);  // 4 groups
        child<QLineEdit>("txtModemID1")->setText(QStringLiteral("5"));
        child<QComboBox>("cmbNumRange1")->setCurrentIndex(2);  // 32 to 63
        const ApplicationConfig shown = w.storeForm();

        EXPECT_EQ(run([&] { child<QPushButton>("btnSetting")->click(); }),
                  m_st.getString(Msg::SettingCompleted));
        EXPECT_EQ(w.connectionState(), Tormel::Gui::ConnectionState::Connected);
        const Pelnix::Sim::UnitState state = sim.State();
        EXPECT_EQ(state.line.BaudRate, 19200);
        EXPECT_EQ(state.rs485.idOffset, 77);
        EXPECT_EQ(state.rs485.through, 2);
        EXPECT_EQ(state.rs485.silent, 6);
        EXPECT_EQ(state.rs485.devi, 2);
        EXPECT_EQ(state.rs485.bcast, 0x12AB);
        ASSERT_EQ(state.rs485.groups.size(), 1U);
        EXPECT_EQ(state.rs485.groups[0].nodeId, 5);
        EXPECT_EQ(state.rs485.groups[0].mask, 0xE0);
        EXPECT_EQ(state.rs485.groups[0].key, 32);
        // The committed settings are what was written, and reading the unit back shows it.
        EXPECT_TRUE(w.checkConfig());
        connectAndRead();
        ApplicationConfig back = w.storeForm();
        back.m_version = shown.m_version;
        EXPECT_EQ(QString::fromUtf8(Tormel::Gui::Config::toXml(back).value_or(QByteArray())).toStdString(),
                  QString::fromUtf8(Tormel::Gui::Config::toXml(shown).value_or(QByteArray())).toStdString());
    }
}

TEST_F(MainGUIWriteTest, EachWayAWriteEndsHasItsMessage) {
    struct Case {
        const char* what;
        std::function<void(Pelnix::Test::SimPty&)> arrange;
        std::function<bool(const QString&)> message;
        Tormel::Gui::ConnectionState state;
    };
    const Case cases[] = {
        {"completed", [](Pelnix::Test::SimPty&) {},
         [&](const QString& t) { return t == m_st.getString(Msg::SettingCompleted); },
         Tormel::Gui::ConnectionState::Connected},
        {"unit gone", [](Pelnix::Test::SimPty& s) { s.SilentOn(""); },
         [&](const QString& t) { return t == m_st.getString(Msg::WriteNotConnected); },
         Tormel::Gui::ConnectionState::Disconnected},
        {"7 data bits without parity",
         [&](Pelnix::Test::SimPty&) {
             child<QComboBox>("cmbDataBit")->setCurrentIndex(1);
             child<QComboBox>("cmbParity")->setCurrentIndex(0);
         },
         [&](const QString& t) { return t == m_st.getString(Msg::DataBit7NoParityUnsupported); },
         Tormel::Gui::ConnectionState::Disconnected},
        {"request refused", [](Pelnix::Test::SimPty& s) { s.WrongReplyTo("~BCAD=", "NG"); },
         [&](const QString& t) {
             // The request, the unit's answer, then what the unit confirmed before it and keeps.
             const QStringList lines = t.split(QLatin1Char('\n'));
             return lines.size() == 3 &&
                    lines[0].startsWith(
                        m_st.getString(Msg::WriteRequestFailed).arg(QStringLiteral("~BCAD="))) &&
                    lines[1] == m_st.getString(Msg::WriteRequestReply).arg(QStringLiteral("NG")) &&
                    lines[2].contains(QStringLiteral("~HODR="));
         },
         Tormel::Gui::ConnectionState::Disconnected},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Pelnix::Test::SimPty sim(Pelnix::Sim::Rs485FactoryState());
        usePort(sim);
        MainGUI& w = open();
        connectAndRead();
        child<QLineEdit>("txtSBcastAddr")->setText(QStringLiteral("12AB"));
        c.arrange(sim);
        const QString text = run([&] { child<QPushButton>("btnSetting")->click(); });
        EXPECT_TRUE(c.message(text)) << text.toStdString();
        EXPECT_EQ(w.connectionState(), c.state);
        EXPECT_TRUE(child<QPushButton>("btnConnect")->isEnabled());
    }
}

TEST_F(MainGUIWriteTest, FactoryShipmentFromButtonAsksAndFromMenuOnlyWithAUnit) {
    Pelnix::Sim::UnitState changed = Pelnix::Sim::Rs485FactoryState();
    changed.rs485.idOffset = 55;
    Pelnix::Test::SimPty sim(changed);
    usePort(sim);
    MainGUI& w = open();
    auto* menu = child<QAction>("FactoryShipmentSet_MenuItem");
    EXPECT_FALSE(menu->isEnabled());  // nothing to reset without a unit
    menu->trigger();
    EXPECT_TRUE(m_tk.boxes.empty());
    connectAndRead();
    EXPECT_TRUE(menu->isEnabled());

    m_tk.clear();
    m_tk.boxAnswers.push_back(DialogResult::Cancel);
    child<QPushButton>("btnFactoryShipment")->click();
    ASSERT_EQ(m_tk.boxes.size(), 1U);
    EXPECT_EQ(m_tk.boxes[0].Text, m_st.getString(Msg::FactoryShipmentQuestion));
    EXPECT_EQ(child<QLineEdit>("txtNodeIDOffset")->text(), QStringLiteral("55"));

    for (bool fromMenu : {false, true}) {
        SCOPED_TRACE(fromMenu ? "menu" : "button");
        sim.ResetUnit(changed);
        child<QLineEdit>("txtNodeIDOffset")->setText(QStringLiteral("55"));
        const QString text = run(
            [&] {
                if (fromMenu) {
                    menu->trigger();
                } else {
                    child<QPushButton>("btnFactoryShipment")->click();
                }
            },
            fromMenu ? 1U : 2U);
        EXPECT_EQ(text, m_st.getString(Msg::SettingCompleted));
        EXPECT_EQ(m_tk.boxes.size(), fromMenu ? 1U : 2U);
        EXPECT_EQ(child<QLineEdit>("txtNodeIDOffset")->text(), QStringLiteral("0"));
        const std::vector<std::string> requests = sim.Requests();
        EXPECT_TRUE(std::any_of(requests.begin(), requests.end(),
                                [](const std::string& r) { return r.rfind("~INIT=", 0) == 0; }));
        // The default settings file now holds the defaults that were written.
        EXPECT_TRUE(QFile::exists(m_dir.filePath(QStringLiteral("config.xml"))));
        EXPECT_TRUE(w.checkConfig());
    }
}

// ---- the firmware image ----

class FirmwareTargetTest : public MainGUIWriteTest {
  protected:
    void SetUp() override {
        MainGUIWriteTest::SetUp();
        m_image = m_folder.Copy("rs485_v37.elf");
    }
    QString image() const { return QString::fromStdString(m_image.string()); }
    // Set waits for a first unit, also with an image as the target: one answers, then is let go of.
    MainGUI& openAfterAUnit() {
        m_unit = std::make_unique<Pelnix::Test::SimPty>(Pelnix::Sim::Rs485FactoryState());
        usePort(*m_unit);
        MainGUI& w = open();
        EXPECT_EQ(run([&] { child<QPushButton>("btnConnect")->click(); }),
                  m_st.getString(Msg::ConnectSucceeded));
        m_tk.clear();
        return w;
    }
    // Reads (or writes, with a key word) the image's AES key straight from the file.
    Common::Nodeinfo imageNode(const std::filesystem::path& path) const {
        Tormel::Domain::Firmware::ElfEditor editor;
        editor.Init();
        editor.FileName(path.string());
        EXPECT_EQ(editor.Open(), Tormel::Domain::Firmware::ElfEditorResult::Success);
        editor.Load();
        editor.Close();
        return editor.NodeinfoConfig();
    }
    // The image's AES key symbols as raw bytes (the editor does not read them back).
    std::vector<uint64_t> aesKey() const {
        std::vector<uint64_t> key;
        ElfApiHandle* handle = ElfApiInit();
        EXPECT_EQ(ElfApiOpen(handle, m_image.string().c_str()), 0);
        for (int word = 1; word <= 16; ++word) {
            const std::string name = "TormelParamsM$AESencryptKey" + std::to_string(word);
            _ElfSymbolInfo info{name.c_str(), 0, 2, 0};
            EXPECT_EQ(ElfApiGetSymbol(handle, &info), 0);
            key.push_back(info.data);
        }
        ElfApiClose(handle);
        ElfApiEnd(handle);
        return key;
    }
    void selectImage(const QString& path) {
        child<QComboBox>("cmbSetTarget")->setCurrentIndex(1);
        m_tk.fileAnswers.push_back(path);
        child<QPushButton>("btnSelectFile")->click();
    }
    QString set() {
        return run([&] { child<QPushButton>("btnSetting")->click(); });
    }

    pelnix::test::TempFolder m_folder;
    std::filesystem::path m_image;
    std::unique_ptr<Pelnix::Test::SimPty> m_unit;
};

TEST_F(FirmwareTargetTest, SetReplacesTheImageKeepsABackupAndItsKey) {
    openAfterAUnit();
    selectImage(image());
    ASSERT_TRUE(m_tk.boxes.empty()) << m_tk.boxes[0].Text.toStdString();
    EXPECT_EQ(child<QLineEdit>("txtSelectFile")->text(), QStringLiteral("rs485_v37.elf"));
    EXPECT_TRUE(child<QPushButton>("btnSetting")->isEnabled());
    const pelnix::test::Bytes before = pelnix::test::ReadBytes(m_image);
    const std::vector<uint64_t> original = aesKey();
    child<QLineEdit>("txtNodeIDOffset")->setText(QStringLiteral("123"));

    EXPECT_EQ(set(), m_st.getString(Msg::SettingCompleted));
    EXPECT_EQ(imageNode(m_image).IdOffset, 123U);
    EXPECT_EQ(aesKey(), original);  // no new key asked for
    EXPECT_EQ(pelnix::test::ReadBytes(m_folder / "rs485_v37.bak"), before);
    EXPECT_FALSE(std::filesystem::exists(m_folder / "rs485_v37.tmp"));
    // A second Set keeps the first original and backs up the patched image beside it.
    const pelnix::test::Bytes patched = pelnix::test::ReadBytes(m_image);
    child<QLineEdit>("txtNodeIDOffset")->setText(QStringLiteral("124"));
    EXPECT_EQ(set(), m_st.getString(Msg::SettingCompleted));
    EXPECT_EQ(pelnix::test::ReadBytes(m_folder / "rs485_v37.bak"), before);
    EXPECT_EQ(pelnix::test::ReadBytes(m_folder / "rs485_v37.1.bak"), patched);
}

TEST_F(FirmwareTargetTest, AFailedStepLeavesTheImageAsItWas) {
    struct Case {
        const char* what;
        std::function<void()> arrange;
    };
    const Case cases[] = {
        // The image went bad after it was chosen: the settings cannot go into its copy.
        {"store", [&] { std::filesystem::resize_file(m_image, 200); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(m_folder / "rs485_v37.bak");
        std::filesystem::copy_file(pelnix::test::FixturePath("rs485_v37.elf"), m_image,
                                   std::filesystem::copy_options::overwrite_existing);
        openAfterAUnit();
        selectImage(image());
        c.arrange();
        const pelnix::test::Bytes before = pelnix::test::ReadBytes(m_image);
        child<QLineEdit>("txtNodeIDOffset")->setText(QStringLiteral("123"));
        EXPECT_EQ(set(), m_st.getString(Msg::FirmwareWriteFailed));
        EXPECT_EQ(pelnix::test::ReadBytes(m_image), before);
        EXPECT_FALSE(std::filesystem::exists(m_folder / "rs485_v37.tmp"));
    }
}

TEST_F(FirmwareTargetTest, BackupNamesRefusedImagesAndRefusedLoadsAreNotWritten) {
    openAfterAUnit();
    // An image named like its own backup.
    const std::filesystem::path bak = m_folder / "image.bak";
    std::filesystem::copy_file(m_image, bak);
    selectImage(QString::fromStdString(bak.string()));
    const pelnix::test::Bytes before = pelnix::test::ReadBytes(bak);
    EXPECT_EQ(set(), m_st.getString(Msg::FirmwareWriteFailed));
    EXPECT_EQ(pelnix::test::ReadBytes(bak), before);

    // A file that is no firmware: refused on Select, and Set then has no image.
    const std::filesystem::path text = m_folder / "notes.txt";
    pelnix::test::WriteBytes(text, {'h', 'i'});
    m_tk.clear();
    m_tk.fileAnswers.push_back(QString::fromStdString(text.string()));
    child<QPushButton>("btnSelectFile")->click();
    ASSERT_EQ(m_tk.boxes.size(), 1U);
    EXPECT_TRUE(m_window->firmwareImagePath().isEmpty());
    EXPECT_FALSE(child<QPushButton>("btnSetting")->isEnabled());
}

TEST_F(FirmwareTargetTest, ChangeKeyWritesTheFormsKeyAndTheUnitKeepsItsIdentity) {
    // Only a TX-910A offers the AES key choices: one was connected before the image came.
    Pelnix::Test::SimPty sim(Pelnix::Sim::Rs485FactoryState());
    usePort(sim);
    MainGUI& w = open();
    connectAndRead();
    m_tk.clear();
    selectImage(image());
    ASSERT_TRUE(m_tk.boxes.empty());
    EXPECT_EQ(w.moduleType(), 2);
    EXPECT_EQ(w.app().NodeinfoConfig().SoftwareName, sim.State().name);
    child<QCheckBox>("chkAESSecure")->setChecked(true);
    child<QRadioButton>("radAESKeyChange")->setChecked(true);
    for (const char* box :
         {"txtEncryptionKey01", "txtEncryptionKey02", "txtEncryptionKey03", "txtEncryptionKey04",
          "txtEncryptionKey05", "txtEncryptionKey06", "txtEncryptionKey07", "txtEncryptionKey08"}) {
        child<QLineEdit>(box)->setText(QStringLiteral("ABCD"));
    }
    const std::vector<uint64_t> before = aesKey();
    EXPECT_EQ(set(), m_st.getString(Msg::SettingCompleted));
    const std::vector<uint64_t> changed = aesKey();
    EXPECT_NE(changed, before);
    EXPECT_EQ(changed[0], changed[7]);
    EXPECT_NE(changed[0], changed[8]);
    // Leaving the key alone keeps the image's, though the boxes are empty after a load.
    child<QRadioButton>("radAESKeyNotChange")->setChecked(true);
    child<QLineEdit>("txtEncryptionKey01")->clear();
    EXPECT_EQ(set(), m_st.getString(Msg::SettingCompleted));
    EXPECT_EQ(aesKey(), changed);
    EXPECT_EQ(w.app().NodeinfoConfig().SoftwareName, sim.State().name);
}

TEST_F(FirmwareTargetTest, ImagesUpToVersion36HaveNoPortAndShowNoEarlierImagesPort) {
    struct Case {
        const char* what;
        bool afterUsbImage;  // a version-37 image on the USB port was selected first
    };
    for (const Case& c : {Case{"fresh window", false}, Case{"after a version-37 image on USB", true}}) {
        SCOPED_TRACE(c.what);
        open();
        if (c.afterUsbImage) {
            pelnix::test::PokeFile(m_image, "TormelParamsM$intfport", 1, 2);
            selectImage(image());
            ASSERT_TRUE(m_tk.boxes.empty());
            EXPECT_EQ(child<QComboBox>("cmbIntfPort")->currentIndex(), 1);
        }
        const std::filesystem::path old = m_folder.Copy("rs485_v36.elf");
        m_tk.clear();
        selectImage(QString::fromStdString(old.string()));
        EXPECT_TRUE(m_tk.boxes.empty()) << (m_tk.boxes.empty() ? "" : m_tk.boxes[0].Text.toStdString());
        EXPECT_EQ(child<QLineEdit>("txtSelectFile")->text(), QStringLiteral("rs485_v36.elf"));
        EXPECT_EQ(child<QComboBox>("cmbIntfPort")->currentIndex(), 0);
    }
}

TEST_F(MainGUIWriteTest, SilentInterval100ComesFromTheUnitAndTheImageAndGoesBackUnchanged) {
    // From a unit: read without a complaint, shown whole, and written back as it was.
    Pelnix::Sim::UnitState held = Pelnix::Sim::Rs485FactoryState();
    held.rs485.through = 2;
    held.rs485.silent = 100;
    Pelnix::Test::SimPty sim(held);
    usePort(sim);
    open();
    connectAndRead();
    EXPECT_EQ(child<QLineEdit>("txtSilentInterval")->text(), QStringLiteral("100"));
    sim.ResetUnit(Pelnix::Sim::Rs485FactoryState());
    EXPECT_EQ(run([&] { child<QPushButton>("btnSetting")->click(); }), m_st.getString(Msg::SettingCompleted));
    EXPECT_EQ(sim.State().rs485.silent, 100);

    // Typed: the box takes three digits.
    auto* box = child<QLineEdit>("txtSilentInterval");
    box->clear();
    QTest::keyClicks(box, QStringLiteral("1005"));
    EXPECT_EQ(box->text(), QStringLiteral("100"));

    // From an image: stored back as 100 by a Set without edits.
    pelnix::test::TempFolder folder;
    const std::filesystem::path image = folder.Copy("rs485_v37.elf");
    pelnix::test::PokeFile(image, "TormelParamsM$silentChar", 1, 100);
    child<QComboBox>("cmbSetTarget")->setCurrentIndex(1);
    m_tk.clear();
    m_tk.fileAnswers.push_back(QString::fromStdString(image.string()));
    child<QPushButton>("btnSelectFile")->click();
    ASSERT_TRUE(m_tk.boxes.empty()) << m_tk.boxes[0].Text.toStdString();
    EXPECT_EQ(child<QLineEdit>("txtSilentInterval")->text(), QStringLiteral("100"));
    pelnix::test::PokeFile(image, "TormelParamsM$silentChar", 1, 4);
    EXPECT_EQ(run([&] { child<QPushButton>("btnSetting")->click(); }), m_st.getString(Msg::SettingCompleted));
    EXPECT_EQ(pelnix::test::Peek(pelnix::test::ReadBytes(image), "TormelParamsM$silentChar", 1), 100U);
}

}  // namespace
