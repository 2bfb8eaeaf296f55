// SPDX-License-Identifier: MIT
// Connect-and-read and write cycles through each family's controller against a simulated unit
// that misbehaves at random: every cycle ends with the right completion code, the controller
// idle with its port closed, and no descriptor or thread is left behind. The benchmark
// (bench/soak) runs the same cycles a thousand times and measures time and memory.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "domain/app/Soak.h"

using namespace std::chrono_literals;
using namespace Tormel::Testing::Soak;

namespace {

Options Short(UnitFamily family, int cycles, unsigned seed) {
    Options options;
    options.family = family;
    options.cycles = cycles;
    options.seed = seed;
    // Long enough that a loaded machine under a sanitizer does not miss a reply that came: a
    // reply has 450 ms.
    options.timing.ReadTimeout = 150ms;
    options.timing.Tries = 3;
    options.timing.LinePause = 1ms;
    options.timing.ReopenDelay = 10ms;
    options.timing.RadioChangeDelay = 1ms;
    return options;
}

void ExpectSound(const Report& report, int cycles) {
    ASSERT_FALSE(report.aborted);
    ASSERT_EQ(report.cycles.size(), static_cast<std::size_t>(cycles));
    std::array<int, kFaultCount> seen{};
    for (const Cycle& cycle : report.cycles) {
        ++seen[static_cast<std::size_t>(cycle.fault)];
        for (const auto& failure : cycle.failures)
            ADD_FAILURE() << "cycle " << cycle.index << " (" << Name(cycle.fault) << "): " << failure;
    }
    for (int fault = 0; fault < kFaultCount; ++fault)
        EXPECT_GT(seen[static_cast<std::size_t>(fault)], 0)
            << Name(static_cast<Fault>(fault)) << " never drawn";
    EXPECT_EQ(report.end.fds, report.start.fds);
    EXPECT_EQ(report.end.threads, report.start.threads);
}

}  // namespace

TEST(Soak, Rs485CyclesUnderRandomFaultsEndRightAndLeaveNothingBehind) {
    const Report report = RunCycles(Short(UnitFamily::Rs485, 60, 21));
    ExpectSound(report, 60);
}

TEST(Soak, Tx330CyclesUnderRandomFaultsEndRightAndLeaveNothingBehind) {
    const Report report = RunCycles(Short(UnitFamily::Tx330, 40, 21));
    ExpectSound(report, 40);
}
