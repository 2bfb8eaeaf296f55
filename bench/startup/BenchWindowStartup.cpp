// SPDX-License-Identifier: MIT
// The two main windows' start against the chooser's, in the same run: each probe is started
// in turn (offscreen) and timed from the spawn to its first painted frame, with the resident
// memory at that moment. The window probes start as pelnix-config does and show the window
// where the chooser would be, so the difference is what the window itself costs.
// Usage: bench_window_startup [runs per probe, default 15]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "SpawnProbe.h"

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string folder = ownFolder();
    struct Probe {
        const char* title;
        std::string program;
        const char* argument;
        std::vector<double> ms;
        std::vector<long> rss;
    };
    std::vector<Probe> probes = {
        {"chooser", folder + "/startup_probe_chooser", nullptr, {}, {}},
        {"MainGUI (RS485)", folder + "/startup_probe_window", "rs485", {}, {}},
        {"MainGUI_TX_330", folder + "/startup_probe_window", "tx330", {}, {}},
    };
    for (Probe& probe : probes) {
        ProbeSample ignored;  // warm-up: the libraries into the page cache
        if (!runProbeOnce(probe.program, probe.argument, ignored)) {
            std::fprintf(stderr, "bench_window_startup: %s did not report its first frame\n", probe.title);
            return 1;
        }
    }
    // Runs interleave the probes, so that a change of the machine's load meets all of them.
    std::vector<double> ratioRs485, ratioTx330;
    for (int i = 0; i < runs; ++i) {
        for (Probe& probe : probes) {
            ProbeSample sample;
            if (!runProbeOnce(probe.program, probe.argument, sample)) {
                std::fprintf(stderr, "bench_window_startup: %s failed in run %d\n", probe.title, i + 1);
                return 1;
            }
            probe.ms.push_back(sample.ms);
            probe.rss.push_back(sample.rssKiB);
        }
        ratioRs485.push_back(probes[1].ms.back() / probes[0].ms.back());
        ratioTx330.push_back(probes[2].ms.back() / probes[0].ms.back());
    }
    std::printf("runs per probe: %d, offscreen, spawn to first painted frame\n", runs);
    for (const Probe& probe : probes) {
        std::printf("%-18s median %6.1f ms  min %6.1f ms  resident %ld KiB\n", probe.title, median(probe.ms),
                    *std::min_element(probe.ms.begin(), probe.ms.end()), median(probe.rss));
    }
    const double chooser = median(probes[0].ms);
    const long chooserRss = median(probes[0].rss);
    // What each window's start may cost against the chooser's: RS485, then contact-I/O.
    const double goals[] = {0.0, 1.5, 1.4};
    for (int w = 1; w <= 2; ++w) {
        const double goal = goals[w];
        const double ratio = median(probes[static_cast<std::size_t>(w)].ms) / chooser;
        const double paired = median(w == 1 ? ratioRs485 : ratioTx330);
        const double extraMiB =
            static_cast<double>(median(probes[static_cast<std::size_t>(w)].rss) - chooserRss) / 1024.0;
        std::printf(
            "%-18s / chooser: %.2f of the medians, %.2f median of the runs (goal <= %.2f: %s); "
            "resident %+.1f MiB (goal <= +15: %s)\n",
            probes[static_cast<std::size_t>(w)].title, ratio, paired, goal, ratio <= goal ? "met" : "missed",
            extraMiB, extraMiB <= 15.0 ? "met" : "missed");
    }
    return 0;
}
