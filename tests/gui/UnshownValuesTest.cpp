// SPDX-License-Identifier: MIT
// Values a unit or a firmware image holds that a window's form has no place for, loaded through
// the real controls over a control that showed something else before.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <memory>

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
using Tormel::Gui::MessageBoxIcon;
using Tormel::Gui::Msg;
using Tormel::Gui::StringTable;

struct Row {
    const char* what;
    bool tx330;
    std::function<void(UnitState&)> unit;
    const char* imageSymbol;  // an RS485 image holding `imageHeld` there, chosen after the unit is read
    uint64_t imageHeld;
    const char* control;  // a list's item or a check box's state, before the load and after
    int before, shown;
    std::vector<const char*> named;                 // field, value held, value Set writes; none: no message
    std::function<bool(const UnitState&)> written;  // the unit after an unedited Set
};

using UnshownValuesTest = Tormel::Gui::Rs485WindowTest;

TEST_F(UnshownValuesTest, AValueTheFormCannotShowIsNamedShownDefinedAndWrittenAsSaid) {
    useQuickTimings();
    const auto grp = [](int id) { return [id](UnitState& u) { u.tx330.grpId = id; }; };
    const auto grpIs = [](int id) { return [id](const UnitState& u) { return u.tx330.grpId == id; }; };
    const auto channel = [](int chMode, int opMode, int ch) {
        return [=](UnitState& u) { u.tx330.chMode = chMode, u.tx330.opMode = opMode, u.tx330.ch = ch; };
    };
    const auto channelIs = [](int chMode, int opMode, int ch) {
        return [=](const UnitState& u) {
            return u.tx330.chMode == chMode && u.tx330.opMode == opMode && u.tx330.ch == ch;
        };
    };
    const auto size = [](UnitState& u) { u.rs485.through = 3; };
    const std::vector<const char*> sizeNamed{"Packet Format", "Packet Size", "Silent Interval"};
    // clang-format off
    const Row rows[] = {
        {"unit in packet-size mode", false, size, nullptr, 0, "cmbPType", 0, 1, sizeNamed,
         [](const UnitState& u) { return u.rs485.through == 2 && u.rs485.silent == 10; }},
        {"image in packet-size mode", false, nullptr, "TormelParamsM$throughMode", 3, "cmbPType", 0, 1, sizeNamed, {}},
        {"image with parameter sync on", false, nullptr, "TormelParamsM$syncParams", 2, "chkAutoParamSync", 0, 1, {}, {}},
        {"group ID below the digits", true, grp(0), nullptr, 0, "cmbGrpId", 5, 0, {"グループID", "0", "0 (100)"}, grpIs(100)},
        {"group ID above the digits", true, grp(500), nullptr, 0, "cmbGrpId", 5, 15, {"グループID", "500", "F (115)"},
         grpIs(115)},
        {"group ID on a digit", true, grp(107), nullptr, 0, "cmbGrpId", 5, 7, {}, grpIs(107)},
        {"LoRa channel 32", true, channel(0, 1, 32), nullptr, 0, "comboBox1", 3, 8,
         {"無線チャンネル", "32CH", "08 (33/34CH)"}, channelIs(0, 1, 33)},
        {"FSK on the lower channel plan", true, channel(0, 0, 40), nullptr, 0, "comboBox2", 0, 7,
         {"無線チャンネル選択", "FSK (24CH-38CH)", "FSK (33CH-61CH)"}, channelIs(1, 0, 40)},
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
        const auto click = [&](const char* button, bool unit) {
            window->findChild<QPushButton*>(QString::fromLatin1(button))->click();
            auto* read = window->findChild<QPushButton*>(QStringLiteral("btnConnectRead"));
            EXPECT_TRUE(!unit || QTest::qWaitFor([&] { return read->isEnabled(); }, 20000));
        };
        auto* control = window->findChild<QWidget*>(QString::fromLatin1(r.control));
        ASSERT_NE(control, nullptr);
        const char* property = qobject_cast<QCheckBox*>(control) != nullptr ? "checked" : "currentIndex";
        control->setProperty(property, r.before);

        UnitState state = r.tx330 ? Pelnix::Sim::Tx330FactoryState() : Pelnix::Sim::Rs485FactoryState();
        state.tx330.grpId = 100;
        if (r.unit) {
            r.unit(state);
        }
        Pelnix::Test::SimPty sim(state);
        usePort(sim);
        click("btnConnectRead", true);  // an image too is written only once a unit has answered
        pelnix::test::TempFolder folder;
        const std::filesystem::path image = folder.Copy("rs485_v37.elf");
        if (r.imageSymbol != nullptr) {
            pelnix::test::PokeFile(image, r.imageSymbol, 1, r.imageHeld);
            window->findChild<QComboBox*>(QStringLiteral("cmbSetTarget"))->setCurrentIndex(1);
            m_tk.fileAnswers.push_back(QString::fromStdString(image.string()));
            window->findChild<QPushButton*>(QStringLiteral("btnSelectFile"))->click();
            EXPECT_TRUE(Tormel::Gui::toQtFileFilter(m_tk.fileDialogs.back().Options.Filter)
                            .endsWith(QStringLiteral(";;ELF images (*.elf)")));
        }

        EXPECT_EQ(control->property(property).toInt(), r.shown);
        QStringList warnings;
        for (const auto& box : m_tk.boxes) {
            if (box.Icon != MessageBoxIcon::Information) {
                warnings << box.Text;
            }
        }
        EXPECT_EQ(warnings.size(), r.named.empty() ? 0 : 1) << warnings.join(QLatin1Char('\n')).toStdString();
        for (const char* text : r.named) {
            EXPECT_TRUE(warnings.join(QString()).contains(QString::fromUtf8(text))) << text;
        }

        m_tk.clear();
        click("btnSetting", r.imageSymbol == nullptr);
        EXPECT_EQ(m_tk.boxes.empty() ? QString() : m_tk.boxes.back().Text,
                  StringTable().getString(Msg::SettingCompleted));
        if (r.imageSymbol != nullptr) {
            // The image codes both of its values as the shown item + 1.
            EXPECT_EQ(pelnix::test::Peek(pelnix::test::ReadBytes(image), r.imageSymbol, 1), r.shown + 1u);
        } else {
            EXPECT_TRUE(r.written(sim.State()));
        }
    }
}

}  // namespace
