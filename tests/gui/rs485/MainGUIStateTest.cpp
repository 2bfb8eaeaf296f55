// SPDX-License-Identifier: MIT
// The RS485 window between states: the bit rate kept as a rate when the module type changes
// under it (units of both types, settings files, firmware images), the close question, and what
// Set and Factory Shipment may change once the unit was let go of.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <functional>
#include <memory>

#include "domain/firmware/ElfEditor.h"
#include "elfapi/ElfApi.h"
#include "fixtures/FixtureImage.h"
#include "gui/rs485/MainGUI.h"
#include "gui/support/Rs485WindowTest.h"
#include "settings/Config.h"
#include "sim/Rs485Unit.h"
#include "support/SimPty.h"

namespace {

using Tormel::Gui::ConnectionState;
using Tormel::Gui::MainGUI;
using Tormel::Gui::Msg;
using Tormel::Gui::StringTable;
namespace Common = Tormel::Domain::Common;
namespace Firmware = Tormel::Domain::Firmware;

struct ImageRecords {
    Common::Communication comm;
    Common::Nodeinfo node;
    Common::Protocol prot;
    bool operator==(const ImageRecords&) const = default;
};

// Stores a bit rate straight into an image's symbol (in hundreds of bit/s, as the firmware keeps it).
void setImageRate(const std::filesystem::path& path, int32_t rate) {
    ElfApiHandle* handle = ElfApiInit();
    ASSERT_EQ(ElfApiOpen(handle, path.string().c_str()), 0);
    _ElfSymbolInfo info{"TormelParamsM$baudrate", 0, 2, static_cast<uint64_t>(rate / 100)};
    EXPECT_EQ(ElfApiSetSymbol(handle, &info), 0);
    ElfApiClose(handle);
    ElfApiEnd(handle);
}

ImageRecords imageRecords(const std::filesystem::path& path) {
    Firmware::ElfEditor editor;
    editor.Init();
    editor.FileName(path.string());
    EXPECT_EQ(editor.Open(), Firmware::ElfEditorResult::Success);
    EXPECT_EQ(editor.Load(), Firmware::ElfEditorResult::Success);
    ImageRecords records{editor.CommunicationConfig(), editor.NodeinfoConfig(), editor.ProtocolConfig()};
    editor.Close();
    editor.End();
    return records;
}

class MainGUIStateTest : public Tormel::Gui::Rs485WindowTest {
  protected:
    void SetUp() override {
        Rs485WindowTest::SetUp();
        useQuickTimings();
    }
    QString run(const std::function<void()>& command) {
        m_tk.clear();
        command();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !m_tk.boxes.empty(); }, 30000));
        return m_tk.boxes.empty() ? QString() : m_tk.boxes.back().Text;
    }
    QString click(const char* button) {
        return run([&] { child<QPushButton>(button)->click(); });
    }
    // A unit of `type` (2: TX-910A) and `version` on its own line at `rate`, read through the form
    // set to it.
    std::unique_ptr<Pelnix::Test::SimPty> readUnit(int type, int32_t rate, const char* version = "2.6") {
        Pelnix::Sim::UnitState state =
            Pelnix::Sim::Rs485FactoryState(version, type == 2, type == 2 ? "1.7" : "1.5");
        state.line.BaudRate = rate;
        auto sim = std::make_unique<Pelnix::Test::SimPty>(state);
        usePort(*sim);
        selectRate(rate);
        EXPECT_EQ(click("btnConnectRead"), m_st.getString(Msg::ConnectSucceeded));
        return sim;
    }
    void selectRate(int32_t rate) {
        auto* baud = child<QComboBox>("cmbBaudrate");
        baud->setCurrentIndex(baud->findText(QString::number(rate) + QStringLiteral("bps")));
    }
    QString rateShown() { return child<QComboBox>("cmbBaudrate")->currentText(); }
    QByteArray defaultFile() const {
        QFile f(file("config.xml"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    StringTable m_st;
};

TEST_F(MainGUIStateTest, AnImageChosenAfterATx910aKeepsItsOwnValues) {
    pelnix::test::TempFolder folder;
    MainGUI& w = open();
    auto sim = readUnit(2, 9600);
    child<QComboBox>("cmbSetTarget")->setCurrentIndex(1);
    for (int32_t rate : {76800, 115200, 9600}) {
        SCOPED_TRACE(rate);
        const std::filesystem::path image = folder.Copy("rs485_v37.elf");
        setImageRate(image, rate);
        const ImageRecords before = imageRecords(image);
        ASSERT_EQ(before.comm.BaudRate, rate);
        m_tk.clear();
        m_tk.fileAnswers.push_back(QString::fromStdString(image.string()));
        child<QPushButton>("btnSelectFile")->click();
        ASSERT_TRUE(m_tk.boxes.empty()) << m_tk.boxes[0].Text.toStdString();
        EXPECT_EQ(rateShown(), QString::number(rate) + QStringLiteral("bps"));
        EXPECT_EQ(click("btnSetting"), m_st.getString(Msg::SettingCompleted));
        EXPECT_TRUE(imageRecords(image) == before);
        EXPECT_TRUE(w.checkConfig());
    }
}

TEST_F(MainGUIStateTest, ADefaultFileAt76800IsShownAtTheNextStart) {
    {
        open();
        auto sim = readUnit(2, 9600);
        selectRate(76800);
        child<QLineEdit>("txtNodeIDOffset")->setText(QStringLiteral("42"));
        EXPECT_EQ(click("btnSetting"), m_st.getString(Msg::SettingCompleted));
        m_window.reset();
    }
    m_tk.clear();
    MainGUI& again = open();
    EXPECT_TRUE(m_tk.boxes.empty());
    EXPECT_EQ(rateShown(), QStringLiteral("76800bps"));
    EXPECT_EQ(child<QLineEdit>("txtNodeIDOffset")->text(), QStringLiteral("42"));
    EXPECT_TRUE(again.checkConfig());
}

TEST_F(MainGUIStateTest, AnOlderUnitAfterATx910aGetsItsOwnListAndIsWrittenAndSaved) {
    MainGUI& w = open();
    auto newer = readUnit(2, 115200);
    EXPECT_EQ(rateShown(), QStringLiteral("115200bps"));
    auto older = readUnit(1, 115200, "2.4");
    EXPECT_EQ(w.moduleType(), 1);
    EXPECT_EQ(rateShown(), QStringLiteral("115200bps"));
    EXPECT_EQ(child<QComboBox>("cmbBaudrate")->findText(QStringLiteral("76800bps")), -1);

    child<QLineEdit>("txtNodeIDOffset")->setText(QStringLiteral("31"));
    EXPECT_EQ(click("btnSetting"), m_st.getString(Msg::SettingCompleted));
    EXPECT_EQ(older->State().rs485.idOffset, 31);
    EXPECT_EQ(older->State().line.BaudRate, 115200);

    const QString saved = file("saved.xml");
    m_tk.clear();
    m_tk.fileAnswers.push_back(saved);
    child<QAction>("SetFileSave_MenuItem")->trigger();
    EXPECT_TRUE(m_tk.boxes.empty());
    EXPECT_TRUE(QFile::exists(saved));
}

TEST_F(MainGUIStateTest, TheCloseQuestionComparesBitRatesNotListPositions) {
    // 115200 committed while the list had no 76800 (position 6), then a TX-910A connects.
    Tormel::Gui::ApplicationConfig committed = open().storeForm();
    committed.m_baudrate = 6;
    committed.m_moduletype = 1;
    ASSERT_TRUE(Tormel::Gui::writeDefaultSettingsFile(committed));
    MainGUI& w = open();
    EXPECT_EQ(rateShown(), QStringLiteral("115200bps"));
    Pelnix::Sim::UnitState state = Pelnix::Sim::Rs485FactoryState();
    state.line.BaudRate = 115200;
    Pelnix::Test::SimPty sim(state);
    usePort(sim);
    EXPECT_EQ(click("btnConnect"), m_st.getString(Msg::ConnectSucceeded));
    EXPECT_EQ(rateShown(), QStringLiteral("115200bps"));
    EXPECT_TRUE(w.checkConfig()) << "nothing was edited";
    selectRate(76800);  // now at position 6
    EXPECT_FALSE(w.checkConfig()) << "a new bit rate is an edit";
}

TEST_F(MainGUIStateTest, WithoutAUnitFactoryShipmentAndSetChangeNothing) {
    struct Way {
        const char* what;
        std::function<void(Pelnix::Test::SimPty&)> letGo;
    };
    const Way ways[] = {
        {"failed write",
         [&](Pelnix::Test::SimPty& sim) {
             sim.SilentOn("");
             EXPECT_EQ(click("btnSetting"), m_st.getString(Msg::WriteNotConnected));
         }},
        {"target turned to the image",
         [&](Pelnix::Test::SimPty&) { child<QComboBox>("cmbSetTarget")->setCurrentIndex(1); }},
        {"failed connect",
         [&](Pelnix::Test::SimPty& sim) {
             sim.SilentOn("");
             click("btnConnect");
         }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.what);
        MainGUI& w = open();
        auto sim = readUnit(2, 9600);
        child<QLineEdit>("txtNodeIDOffset")->setText(QStringLiteral("55"));
        way.letGo(*sim);
        EXPECT_NE(w.connectionState(), ConnectionState::Connected);
        const QByteArray file = defaultFile();
        const bool saved = w.checkConfig();

        auto* menu = child<QAction>("FactoryShipmentSet_MenuItem");
        EXPECT_FALSE(child<QPushButton>("btnFactoryShipment")->isEnabled());
        EXPECT_FALSE(menu->isEnabled());
        m_tk.clear();
        menu->trigger();
        EXPECT_TRUE(m_tk.boxes.empty());
        // Set from the menu stays offered and says why it cannot write, with the unit target.
        if (child<QComboBox>("cmbSetTarget")->currentIndex() == 0) {
            EXPECT_EQ(run([&] { child<QAction>("Set_MenuItem")->trigger(); }),
                      m_st.getString(Msg::WriteNotConnected));
        }
        EXPECT_EQ(child<QLineEdit>("txtNodeIDOffset")->text(), QStringLiteral("55"));
        EXPECT_EQ(defaultFile(), file);
        EXPECT_EQ(w.checkConfig(), saved);
    }
}

TEST_F(MainGUIStateTest, AFailedSetLeavesTheEditsUnsaved) {
    MainGUI& w = open();
    auto sim = readUnit(2, 9600);
    EXPECT_EQ(click("btnSetting"), m_st.getString(Msg::SettingCompleted));
    EXPECT_TRUE(w.checkConfig());
    child<QLineEdit>("txtNodeIDOffset")->setText(QStringLiteral("66"));
    sim->SilentOn("");
    EXPECT_EQ(click("btnSetting"), m_st.getString(Msg::WriteNotConnected));
    EXPECT_FALSE(w.checkConfig()) << "closing must still ask";
}

TEST_F(MainGUIStateTest, AnUnreadableSettingsFileShowsTheDefaultsBeforeItsMessage) {
    open();
    auto sim = readUnit(2, 9600);
    child<QLineEdit>("txtNodeIDOffset")->setText(QStringLiteral("55"));
    QFile damaged(file("damaged.xml"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("<?xml version=\"1.0\"?>\n<ApplicationConfig><IDOFFSET>1");
    damaged.close();
    QString offsetAtMessage;
    m_tk.clear();
    m_tk.onBox = [&](const Tormel::Gui::RecordingToolkit::ShownBox&) {
        offsetAtMessage = child<QLineEdit>("txtNodeIDOffset")->text();
    };
    m_tk.fileAnswers.push_back(file("damaged.xml"));
    child<QAction>("SetFileOpen_MenuItem")->trigger();
    m_tk.onBox = nullptr;
    ASSERT_EQ(m_tk.boxes.size(), 1U);
    EXPECT_EQ(offsetAtMessage, QStringLiteral("0"));
}

}  // namespace
