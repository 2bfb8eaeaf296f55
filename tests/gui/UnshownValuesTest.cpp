// SPDX-License-Identifier: MIT
// Values a unit or a firmware image holds that a window's form has no place for, loaded through
// the real controls over a control that showed something else before.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <functional>
#include <memory>
#include <optional>

#include "fixtures/FixtureImage.h"
#include "gui/Toolkit.h"
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

struct Image {
    const char* symbol;  // poked into an RS485 image before it is chosen
    uint64_t held;
    uint64_t written;  // after an unedited Set
};

struct Row {
    const char* what;
    bool tx330;
    std::optional<Image> image;  // an RS485 firmware image instead of a unit
    std::function<void(UnitState&)> unit;
    const char* control;             // the control that shows the value (a check box as 0 or 1)
    int before;                      // what it showed before the load
    int shown;                       // and after
    std::vector<const char*> named;  // in the one message: field, value held, value Set writes
    std::function<bool(const UnitState&)> written;  // the unit after an unedited Set
};

int shownBy(QWidget* control) {
    if (auto* box = qobject_cast<QCheckBox*>(control)) {
        return box->isChecked() ? 1 : 0;
    }
    return qobject_cast<QComboBox*>(control)->currentIndex();
}

void show(QWidget* control, int value) {
    if (auto* box = qobject_cast<QCheckBox*>(control)) {
        box->setChecked(value != 0);
    } else {
        qobject_cast<QComboBox*>(control)->setCurrentIndex(value);
    }
}

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
    const auto grp = [](int id) { return [id](UnitState& u) { u.tx330.grpId = id; }; };
    const auto grpWritten = [](int id) { return [id](const UnitState& u) { return u.tx330.grpId == id; }; };
    const auto channel = [](int chMode, int opMode, int ch) {
        return [=](UnitState& u) {
            u.tx330.chMode = chMode, u.tx330.opMode = opMode, u.tx330.ch = ch, u.tx330.grpId = 100;
        };
    };
    const auto channelWritten = [](int chMode, int opMode, int ch) {
        return [=](const UnitState& u) {
            return u.tx330.chMode == chMode && u.tx330.opMode == opMode && u.tx330.ch == ch;
        };
    };
    const Image sizeImage{"TormelParamsM$throughMode", 3, 2};
    const Image syncImage{"TormelParamsM$syncParams", 2, 2};
    // clang-format off
    const Row rows[] = {
        {"unit in packet-size mode", false, {}, [](UnitState& u) { u.rs485.through = 3; }, "cmbPType", 0, 1,
         {"Packet Format", "Packet Size", "Silent Interval"}, silentInterval},
        {"unit with a silent interval", false, {}, [](UnitState& u) { u.rs485.through = 2; }, "cmbPType", 0, 1,
         {}, silentInterval},
        {"image in packet-size mode", false, sizeImage, nullptr, "cmbPType", 0, 1,
         {"Packet Format", "Packet Size", "Silent Interval"}, nullptr},
        {"image with parameter sync on", false, syncImage, nullptr, "chkAutoParamSync", 0, 1, {}, nullptr},
        {"group ID below the digits", true, {}, grp(0), "cmbGrpId", 5, 0, {"グループID", "0", "0 (100)"},
         grpWritten(100)},
        {"group ID above the digits", true, {}, grp(500), "cmbGrpId", 5, 15, {"グループID", "500", "F (115)"},
         grpWritten(115)},
        {"group ID on a digit", true, {}, grp(107), "cmbGrpId", 5, 7, {}, grpWritten(107)},
        {"LoRa channel 32", true, {}, channel(0, 1, 32), "comboBox1", 3, 8,
         {"無線チャンネル", "32CH", "08 (33/34CH)"}, channelWritten(0, 1, 33)},
        {"FSK on the lower channel plan", true, {}, channel(0, 0, 40), "comboBox2", 0, 7,
         {"無線チャンネル選択", "FSK (24CH-38CH)", "FSK (33CH-61CH)"}, channelWritten(1, 0, 40)},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        m_tk.clear();
        std::unique_ptr<QWidget> window;
        if (r.tx330) {
            window = std::make_unique<Tormel::Gui::MainGUI_TX_330>();
        } else {
            window = std::make_unique<Tormel::Gui::MainGUI>();
        }
        auto* control = window->findChild<QWidget*>(QString::fromLatin1(r.control));
        ASSERT_NE(control, nullptr);
        show(control, r.before);

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
            pelnix::test::PokeFile(image, r.image->symbol, 1, r.image->held);
            window->findChild<QComboBox*>(QStringLiteral("cmbSetTarget"))->setCurrentIndex(1);
            m_tk.clear();
            m_tk.fileAnswers.push_back(QString::fromStdString(image.string()));
            window->findChild<QPushButton*>(QStringLiteral("btnSelectFile"))->click();
            ASSERT_FALSE(m_tk.fileDialogs.empty());
            EXPECT_TRUE(Tormel::Gui::toQtFileFilter(m_tk.fileDialogs.back().Options.Filter)
                            .endsWith(QStringLiteral(";;ELF images (*.elf)")));
        } else {
            click(*window, "btnConnectRead", true);
        }

        EXPECT_EQ(shownBy(control), r.shown);
        const auto boxes = loadBoxes(r.image.has_value());
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
        click(*window, "btnSetting", !r.image.has_value());
        EXPECT_EQ(m_tk.boxes.empty() ? QString() : m_tk.boxes.back().Text,
                  m_st.getString(Msg::SettingCompleted));
        if (r.image) {
            EXPECT_EQ(pelnix::test::Peek(pelnix::test::ReadBytes(image), r.image->symbol, 1),
                      r.image->written);
        } else {
            EXPECT_TRUE(r.written(sim.State()));
        }
    }
}

}  // namespace
