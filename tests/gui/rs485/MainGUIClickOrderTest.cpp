// SPDX-License-Identifier: MIT
// The RS485 window under random orders of clicks between connect, read, write, factory reset,
// revert, target, image, settings files, edits and a unit that falls silent: every command ends,
// and Factory Shipment is offered exactly while a unit is held with the unit as the target.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <memory>
#include <random>
#include <string>

#include "fixtures/FixtureImage.h"
#include "gui/rs485/MainGUI.h"
#include "gui/support/Rs485WindowTest.h"
#include "sim/Rs485Unit.h"
#include "support/SimPty.h"

namespace {

using Tormel::Gui::ConnectionState;
using Tormel::Gui::DialogResult;
using Tormel::Gui::WriteTarget;

class MainGUIClickOrderTest : public Tormel::Gui::Rs485WindowTest {};

TEST_F(MainGUIClickOrderTest, AnyOrderOfCommandsEndsAndOffersWhatTheStateAllows) {
    useQuickTimings();
    pelnix::test::TempFolder folder;
    const std::string image = folder.Copy("rs485_v37.elf").string();
    for (unsigned seed = 1; seed <= 4; ++seed) {
        std::mt19937 random(seed);
        const auto pick = [&](unsigned n) { return static_cast<int>(random() % n); };
        Pelnix::Test::SimPty sim(Pelnix::Sim::Rs485FactoryState());
        usePort(sim);
        Tormel::Gui::MainGUI& w = open();
        const std::function<void()> commands[] = {
            [&] { child<QPushButton>("btnConnect")->click(); },
            [&] { child<QPushButton>("btnConnectRead")->click(); },
            [&] { child<QPushButton>("btnSetting")->click(); },
            [&] { child<QAction>("Set_MenuItem")->trigger(); },
            [&] { child<QAction>("FactoryShipmentSet_MenuItem")->trigger(); },
            [&] { child<QPushButton>("btnFactoryShipment")->click(); },
            [&] { child<QPushButton>("btnReturnSetting")->click(); },
            [&] { child<QComboBox>("cmbSetTarget")->setCurrentIndex(pick(2)); },
            [&] {
                m_tk.fileAnswers.push_back(QString::fromStdString(image));
                child<QPushButton>("btnSelectFile")->click();
            },
            [&] {
                m_tk.fileAnswers.push_back(file("saved.xml"));
                child<QAction>(pick(2) ? "SetFileSave_MenuItem" : "SetFileOpen_MenuItem")->trigger();
            },
            [&] {
                if (pick(2)) {
                    sim.SilentOn("~");
                } else {
                    sim.ClearFaults();
                }
            },
            [&] {
                auto* baud = child<QComboBox>("cmbBaudrate");
                baud->setCurrentIndex(pick(static_cast<unsigned>(baud->count())));
            },
            [&] { child<QLineEdit>("txtNodeIDOffset")->setText(QString::number(pick(100))); },
        };
        std::string steps;
        for (int step = 0; step < 30; ++step) {
            const int command = pick(static_cast<unsigned>(std::size(commands)));
            steps += std::to_string(command) + ' ';
            SCOPED_TRACE("seed " + std::to_string(seed) + ", commands " + steps);
            m_tk.boxAnswers.push_back(pick(2) ? DialogResult::OK : DialogResult::Cancel);
            commands[command]();
            ASSERT_TRUE(QTest::qWaitFor(
                [&] {
                    const ConnectionState s = w.connectionState();
                    return s != ConnectionState::Connecting && s != ConnectionState::Writing;
                },
                30000));
            const bool onUnit = child<QComboBox>("cmbSetTarget")->currentIndex() == 0;
            const bool held = w.connectionState() == ConnectionState::Connected;
            EXPECT_EQ(w.windowState().target == WriteTarget::Unit, onUnit);
            EXPECT_TRUE(onUnit || !held) << "a unit held with the image as the target";
            EXPECT_EQ(child<QPushButton>("btnFactoryShipment")->isEnabled(), onUnit && held);
            EXPECT_EQ(child<QAction>("FactoryShipmentSet_MenuItem")->isEnabled(), onUnit && held);
        }
        m_tk.boxAnswers.clear();
        m_tk.fileAnswers.clear();
        m_window.reset();
    }
}

}  // namespace
