// SPDX-License-Identifier: MIT
// Hours of use compressed: connect-and-read and write cycles through one controller (one window
// kept open) against a simulated unit at shortened timing, a fault drawn at random for each
// cycle. Every cycle must end with the right completion code, the controller idle with its
// port closed, within the time the timing record allows for its dialogue plus a margin; the
// descriptors and threads must come back to their count before the first cycle, and the
// resident memory may grow by less than 1 MiB after the first 100 cycles. The port list is the
// machine's own serial ports and the unit, as the program lists them.
// Usage: bench_soak [cycles, default 1000] [rs485|tx330 ...] [--seed N]
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "domain/app/Soak.h"

using namespace std::chrono_literals;
using namespace Tormel::Testing::Soak;

namespace {

// What a cycle may take beyond the protocol's waits, per background operation: the program's
// own work, the simulated unit's, and a loaded machine's scheduling.
constexpr double kMarginMsPerOperation = 500.0;
constexpr long kGrowthLimitKiB = 1024;
constexpr int kWarmUpCycles = 100;

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Worst(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

// Prints one family's figures; false when a goal is missed.
bool Summarise(UnitFamily family, const Report& report) {
    bool met = !report.aborted;
    std::array<std::vector<double>, kFaultCount> ms, share;
    std::array<int, kFaultCount> wrong{};
    int outOfBound = 0;
    for (const Cycle& cycle : report.cycles) {
        const auto f = static_cast<std::size_t>(cycle.fault);
        ms[f].push_back(cycle.ms);
        const double bound = cycle.waitsMs + kMarginMsPerOperation * cycle.operations;
        share[f].push_back(cycle.ms / bound);
        if (!cycle.failures.empty()) {
            ++wrong[f];
            for (const auto& failure : cycle.failures)
                std::printf("  cycle %d (%s): %s\n", cycle.index, Name(cycle.fault), failure.c_str());
        }
        if (cycle.ms > bound) {
            ++outOfBound;
            std::printf("  cycle %d (%s): %.1f ms, bound %.1f ms\n", cycle.index, Name(cycle.fault), cycle.ms,
                        bound);
        }
    }
    std::printf("%s: %zu cycles\n", Name(family), report.cycles.size());
    std::printf("  %-22s %6s %6s %10s %10s %13s\n", "fault", "cycles", "wrong", "median ms", "worst ms",
                "worst / bound");
    int wrongTotal = 0;
    for (int f = 0; f < kFaultCount; ++f) {
        const auto i = static_cast<std::size_t>(f);
        wrongTotal += wrong[i];
        std::printf("  %-22s %6zu %6d %10.1f %10.1f %13.3f\n", Name(static_cast<Fault>(f)), ms[i].size(),
                    wrong[i], Median(ms[i]), Worst(ms[i]), Worst(share[i]));
    }
    double total = 0;
    for (const Cycle& cycle : report.cycles) total += cycle.ms;
    std::printf("  cycles with a wrong code, state or value: %d; outside their bound: %d; total %.1f s\n",
                wrongTotal, outOfBound, total / 1000.0);
    met = met && wrongTotal == 0 && outOfBound == 0;

    std::printf("  descriptors: %d before, %d after; threads: %d before, %d after\n", report.start.fds,
                report.end.fds, report.start.threads, report.end.threads);
    met = met && report.end.fds == report.start.fds && report.end.threads == report.start.threads;
    int maxFds = 0, maxThreads = 0;
    for (const Cycle& cycle : report.cycles) {
        maxFds = std::max(maxFds, cycle.after.fds);
        maxThreads = std::max(maxThreads, cycle.after.threads);
    }
    std::printf("  most at the end of any cycle: %d descriptors, %d threads\n", maxFds, maxThreads);

    if (report.cycles.size() > static_cast<std::size_t>(kWarmUpCycles)) {
        const long warm = report.cycles[kWarmUpCycles - 1].after.rssKiB;
        const long end = report.end.rssKiB;
        long peak = 0;
        for (const Cycle& cycle : report.cycles) peak = std::max(peak, cycle.after.rssKiB);
        std::printf(
            "  resident memory: %ld KiB before, %ld KiB after cycle %d, %ld KiB at the end (%+ld KiB), "
            "peak %ld KiB\n",
            report.start.rssKiB, warm, kWarmUpCycles, end, end - warm, peak);
        const long heapWarm = report.cycles[kWarmUpCycles - 1].after.heapKiB;
        std::printf("  heap in use: %ld KiB before, %ld KiB after cycle %d, %ld KiB at the end (%+ld KiB)\n",
                    report.start.heapKiB, heapWarm, kWarmUpCycles, report.end.heapKiB,
                    report.end.heapKiB - heapWarm);
        met = met && end - warm < kGrowthLimitKiB;
    }
    return met;
}

}  // namespace

int main(int argc, char** argv) {
    int cycles = 1000;
    unsigned seed = 2026;
    std::set<std::string> parts;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--seed" && i + 1 < argc) {
            seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        } else if (arg == "rs485" || arg == "tx330") {
            parts.insert(arg);
        } else {
            cycles = std::max(1, std::atoi(argv[i]));
        }
    }
    if (parts.empty()) parts = {"rs485", "tx330"};

    bool met = true;
    for (const UnitFamily family : {UnitFamily::Rs485, UnitFamily::Tx330}) {
        if (parts.count(family == UnitFamily::Rs485 ? "rs485" : "tx330") == 0) continue;
        Options options;
        options.family = family;
        options.cycles = cycles;
        options.seed = seed;
        options.machinePorts = true;
        options.timing.ReadTimeout = 150ms;
        options.timing.Tries = 3;
        options.timing.LinePause = 2ms;
        options.timing.ReopenDelay = 20ms;
        options.timing.RadioChangeDelay = 2ms;
        options.onCycle = [](const Cycle& cycle) {
            if ((cycle.index + 1) % 100 == 0)
                std::fprintf(stderr, "cycle %d: %d descriptors, %d threads, %ld KiB resident, %ld KiB heap\n",
                             cycle.index + 1, cycle.after.fds, cycle.after.threads, cycle.after.rssKiB,
                             cycle.after.heapKiB);
        };
        const Report report = RunCycles(options);
        std::printf("port list:");
        for (const auto& port : report.ports) std::printf(" %s", port.c_str());
        std::printf(
            "\ntiming: read time-out 150 ms, 3 tries, 2 ms after each line, 20 ms reopen delay, seed %u\n",
            seed);
        met = Summarise(family, report) && met;
    }
    std::printf("%s\n", met ? "all goals met" : "GOALS MISSED");
    return met ? 0 : 1;
}
