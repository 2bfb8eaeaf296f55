// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "domain/app/AppCompletedCode.h"
#include "domain/app/AppStatus.h"
#include "domain/app/TaskQueue.h"
#include "domain/modem/Command.h"
#include "sim/PtyServer.h"
#include "sim/UnitState.h"

namespace Tormel::Testing {

using namespace std::chrono_literals;

// Collects what the controller reports to its window: every completion code in order.
struct Completions {
    std::vector<Domain::App::AppCompletedCode> codes;
    auto Handler() {
        return [this](Domain::App::AppCompletedCode code) { codes.push_back(code); };
    }
    bool Empty() const { return codes.empty(); }
};

// Simulated units on ptys in a folder of the test's own, a short timing record for the link,
// and a queue that plays the window's event loop.
class AppTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/pelnix-app-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_folder = pattern;
        m_savedTiming = Domain::Modem::Command::Timing();
        auto& timing = Domain::Modem::Command::Timing();
        timing.ReadTimeout = 150ms;
        timing.Tries = 3;
        timing.ResetTries = 10;
        timing.LinePause = 2ms;
        timing.ReopenDelay = 20ms;
        timing.RadioChangeDelay = 2ms;
        UsePorts({});
    }

    void TearDown() override {
        m_units.clear();
        Domain::Modem::Command::Timing() = m_savedTiming;
        UsePorts({});
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

    // Starts a simulated unit; its port joins the list the link scans (first unit first).
    Pelnix::Sim::PtyServer& AddUnit(Pelnix::Sim::UnitState state = {}) {
        Pelnix::Sim::PtyServerOptions options;
        options.folder = m_folder;
        options.name = "unit" + std::to_string(m_units.size());
        m_units.push_back(std::make_unique<Pelnix::Sim::PtyServer>(std::move(state), options));
        m_ports.push_back(m_units.back()->PortPath());
        UsePorts(m_ports);
        return *m_units.back();
    }

    void UsePorts(std::vector<std::string> ports) {
        m_ports = ports;
        Domain::Modem::Command::SetPortLister([ports] { return ports; });
    }

    // Pumps the window's queue until the handler has been called `count` times in all.
    bool WaitCompletions(const Completions& completions, std::size_t count = 1,
                         std::chrono::milliseconds timeout = 30s) {
        return m_queue.PumpUntil([&] { return completions.codes.size() >= count; }, timeout);
    }

    // Connect-and-read to the first unit and acknowledge it; the controller is then Active.
    template <class App>
    void ConnectAndRead(App& app, Completions& done) {
        using Result = decltype(app.ConnectAndRead(done.Handler()));
        ASSERT_EQ(app.ConnectAndRead(done.Handler()), Result::Pendding);
        ASSERT_TRUE(WaitCompletions(done, done.codes.size() + 1));
        ASSERT_EQ(done.codes.back(), Domain::App::AppCompletedCode::Success);
        app.Completed(done.codes.back());
        ASSERT_EQ(app.Status(), Domain::App::AppStatus::Active);
    }

    // Runs a write (or a factory reset) and acknowledges it; returns its completion code.
    template <class App>
    Domain::App::AppCompletedCode RunWrite(App& app, Completions& done, bool reset = false) {
        using Result = decltype(app.Write(done.Handler()));
        const auto started = reset ? app.InitWrite(done.Handler()) : app.Write(done.Handler());
        EXPECT_EQ(started, Result::Pendding);
        EXPECT_EQ(app.Status(), Domain::App::AppStatus::Updating);
        EXPECT_TRUE(WaitCompletions(done, done.codes.size() + 1));
        app.Completed(done.codes.back());
        return done.codes.back();
    }

    TaskQueue m_queue;
    std::string m_folder;
    std::vector<std::unique_ptr<Pelnix::Sim::PtyServer>> m_units;
    std::vector<std::string> m_ports;

  private:
    Domain::Modem::CommandTiming m_savedTiming;
};

}  // namespace Tormel::Testing
