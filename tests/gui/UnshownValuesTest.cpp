// SPDX-License-Identifier: MIT
// Values a unit or a firmware image holds that a window's form has no place for, loaded through
// the real controls over a control that showed something else before.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <functional>
#include <memory>

#include "fixtures/FixtureImage.h"
#include "gui/support/Rs485WindowTest.h"
#include "gui/tx330/MainGUI_TX_330.h"
#include "settings/StringTable.h"
#include "sim/Rs485Unit.h"
#include "sim/Tx330Unit.h"
#include "support/SimPty.h"

namespace {

using Pelnix::Sim::UnitState;
using Tormel::Gui::ConnectionState;
using Tormel::Gui::MessageBoxIcon;
using Tormel::Gui::Msg;
using Tormel::Gui::StringTable;

struct Row {
    const char* what;
    bool tx330;
    bool image;  // an RS485 firmware image holding the unit's protocol values
    std::function<void(UnitState&)> unit;
    const char* control;                            // the list that shows the value
    int before;                                     // its item before the load
    int shown;                                      // and after
    std::vector<const char*> named;                 // in the one message: field, value held, value Set writes
    std::function<bool(const UnitState&)> written;  // the unit after an unedited Set
};

class UnshownValuesTest : public Tormel::Gui::Rs485WindowTest {
  protected:
    void SetUp() override {
        Rs485WindowTest::SetUp();
        useQuickTimings();
    }
    static bool waitIdle(QWidget& window) {
        auto* read = window.findChild<QPushButton*>(QStringLiteral("btnConnectRead"));
        return QTest::qWaitFor([&] { return read->isEnabled(); }, 20000);
    }
    // A unit's command ends on the worker; an image is read and written at once.
    static void click(QWidget& window, const char* button, bool unit) {
        window.findChild<QPushButton*>(QString::fromLatin1(button))->click();
        ASSERT_TRUE(!unit || waitIdle(window));
    }
    // The boxes the load showed after its own (Connected, for Get Values).
    std::vector<Tormel::Gui::BoxRecordingToolkit::ShownBox> loadBoxes(bool image) const {
        std::vector<Tormel::Gui::BoxRecordingToolkit::ShownBox> boxes = m_tk.boxes;
        if (!image && !boxes.empty() && boxes.front().Text == m_st.getString(Msg::ConnectSucceeded)) {
            boxes.erase(boxes.begin());
        }
        return boxes;
    }
    StringTable m_st;
};

TEST_F(UnshownValuesTest, AValueTheFormCannotShowIsNamedShownDefinedAndWrittenAsSaid) {
    const auto silentInterval = [](const UnitState& u) {
        return u.rs485.through == 2 && u.rs485.silent == 10;
    };
    const Row rows[] = {
        {"unit in packet-size mode",
         false,
         false,
         [](UnitState& u) { u.rs485.through = 3; },
         "cmbPType",
         0,
         1,
         {"Packet Format", "Packet Size", "Silent Interval"},
         silentInterval},
        {"unit with a silent interval",
         false,
         false,
         [](UnitState& u) { u.rs485.through = 2; },
         "cmbPType",
         0,
         1,
         {},
         silentInterval},
        {"image in packet-size mode",
         false,
         true,
         nullptr,
         "cmbPType",
         0,
         1,
         {"Packet Format", "Packet Size", "Silent Interval"},
         nullptr},
        {"group ID below the digits",
         true,
         false,
         [](UnitState& u) { u.tx330.grpId = 0; },
         "cmbGrpId",
         5,
         0,
         {"グループID", "0", "0 (100)"},
         [](const UnitState& u) { return u.tx330.grpId == 100; }},
        {"group ID above the digits",
         true,
         false,
         [](UnitState& u) { u.tx330.grpId = 500; },
         "cmbGrpId",
         5,
         15,
         {"グループID", "500", "F (115)"},
         [](const UnitState& u) { return u.tx330.grpId == 115; }},
        {"group ID on a digit",
         true,
         false,
         [](UnitState& u) { u.tx330.grpId = 107; },
         "cmbGrpId",
         5,
         7,
         {},
         [](const UnitState& u) { return u.tx330.grpId == 107; }},
        {"LoRa channel 32",
         true,
         false,
         [](UnitState& u) { u.tx330.chMode = 0, u.tx330.opMode = 1, u.tx330.ch = 32, u.tx330.grpId = 100; },
         "comboBox1",
         3,
         8,
         {"無線チャンネル", "32CH", "08 (33/34CH)"},
         [](const UnitState& u) { return u.tx330.opMode == 1 && u.tx330.chMode == 0 && u.tx330.ch == 33; }},
        {"FSK on the lower channel plan",
         true,
         false,
         [](UnitState& u) { u.tx330.chMode = 0, u.tx330.opMode = 0, u.tx330.ch = 40, u.tx330.grpId = 100; },
         "comboBox2",
         0,
         7,
         {"無線チャンネル選択", "FSK (24CH-38CH)", "FSK (33CH-61CH)"},
         [](const UnitState& u) { return u.tx330.opMode == 0 && u.tx330.chMode == 1 && u.tx330.ch == 40; }},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        m_tk.clear();
        std::unique_ptr<QWidget> window;
        if (r.tx330) {
            window = std::make_unique<Tormel::Gui::MainGUI_TX_330>();
        } else {
            window = std::make_unique<Tormel::Gui::MainGUI>();
        }
        auto* list = window->findChild<QComboBox*>(QString::fromLatin1(r.control));
        ASSERT_NE(list, nullptr);
        list->setCurrentIndex(r.before);

        UnitState state = r.tx330 ? Pelnix::Sim::Tx330FactoryState() : Pelnix::Sim::Rs485FactoryState();
        if (r.unit) {
            r.unit(state);
        }
        Pelnix::Test::SimPty sim(state);
        usePort(sim);
        pelnix::test::TempFolder folder;
        const std::filesystem::path image = folder.Copy("rs485_v37.elf");
        if (r.image) {
            click(*window, "btnConnectRead", true);  // Set writes an image once a unit has answered
            pelnix::test::PokeFile(image, "TormelParamsM$throughMode", 1, 3);
            window->findChild<QComboBox*>(QStringLiteral("cmbSetTarget"))->setCurrentIndex(1);
            m_tk.clear();
            m_tk.fileAnswers.push_back(QString::fromStdString(image.string()));
            window->findChild<QPushButton*>(QStringLiteral("btnSelectFile"))->click();
            ASSERT_FALSE(m_tk.fileDialogs.empty());
            EXPECT_TRUE(
                m_tk.fileDialogs.back().Options.Filter.endsWith(QStringLiteral("|ELF images (*.elf)|*.elf")));
        } else {
            click(*window, "btnConnectRead", true);
        }

        EXPECT_EQ(list->currentIndex(), r.shown);
        const auto boxes = loadBoxes(r.image);
        if (r.named.empty()) {
            EXPECT_TRUE(boxes.empty()) << boxes.front().Text.toStdString();
        } else {
            EXPECT_EQ(boxes.size(), 1u);
            const QString said = boxes.empty() ? QString() : boxes.back().Text;
            EXPECT_TRUE(boxes.empty() || boxes.back().Icon == MessageBoxIcon::Warning);
            for (const char* text : r.named) {
                EXPECT_TRUE(said.contains(QString::fromUtf8(text)))
                    << said.toStdString() << " lacks " << text;
            }
        }

        m_tk.clear();
        click(*window, "btnSetting", !r.image);
        EXPECT_EQ(m_tk.boxes.empty() ? QString() : m_tk.boxes.back().Text,
                  m_st.getString(Msg::SettingCompleted));
        if (r.image) {
            EXPECT_EQ(pelnix::test::Peek(pelnix::test::ReadBytes(image), "TormelParamsM$throughMode", 1), 2u);
        } else {
            EXPECT_TRUE(r.written(sim.State()));
        }
    }
}

}  // namespace
