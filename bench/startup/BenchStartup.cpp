// SPDX-License-Identifier: MIT
// Starts the chooser probe and the bare-window probes in turn (offscreen), times each from the
// spawn to its first-paint report, and prints medians, the ratio and the resident memory. The
// second baseline, a bare window with one line of Japanese text, shows how much of the gap is
// the font system's start, which any window with Japanese text pays.
// Usage: bench_startup [runs per probe, default 15]
#include <algorithm>
#include <chrono>
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
        {"pelnix-config chooser", folder + "/startup_probe_chooser", nullptr, {}, {}},
        {"bare window", folder + "/startup_probe_bare", nullptr, {}, {}},
        {"bare window + JP text", folder + "/startup_probe_bare", "text", {}, {}},
    };

    // One warm-up each, so that all start with the libraries in the page cache.
    for (Probe& probe : probes) {
        ProbeSample ignored;
        if (!runProbeOnce(probe.program, probe.argument, ignored)) {
            std::fprintf(stderr, "bench_startup: %s did not report its first frame\n", probe.title);
            return 1;
        }
    }
    for (int i = 0; i < runs; ++i) {
        for (Probe& probe : probes) {
            ProbeSample sample;
            if (!runProbeOnce(probe.program, probe.argument, sample)) {
                std::fprintf(stderr, "bench_startup: %s failed in run %d\n", probe.title, i + 1);
                return 1;
            }
            probe.ms.push_back(sample.ms);
            probe.rss.push_back(sample.rssKiB);
        }
    }
    std::printf("runs per probe: %d, offscreen, spawn to first painted frame\n", runs);
    for (const Probe& probe : probes) {
        std::printf("%-24s median %6.1f ms  min %6.1f ms  resident %ld KiB\n", probe.title, median(probe.ms),
                    *std::min_element(probe.ms.begin(), probe.ms.end()), median(probe.rss));
    }
    const double ratio = median(probes[0].ms) / median(probes[1].ms);
    const double ratioText = median(probes[0].ms) / median(probes[2].ms);
    std::printf("ratio chooser / bare window:          %.2f (goal <= 1.30: %s)\n", ratio,
                ratio <= 1.3 ? "met" : "missed");
    std::printf("ratio chooser / bare window + text:   %.2f\n", ratioText);
    return 0;
}
