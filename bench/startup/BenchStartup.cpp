// SPDX-License-Identifier: MIT
// Starts the chooser probe and the bare-window probes in turn (offscreen), times each from the
// spawn to its first-paint report, and prints medians, the ratio and the resident memory. The
// second baseline, a bare window with one line of Japanese text, shows how much of the gap is
// the font system's start, which any window with Japanese text pays.
// Usage: bench_startup [runs per probe, default 15]
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Sample {
    double ms = 0;
    long rssKiB = -1;
};

std::string ownFolder() {
    char path[4096];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return ".";
    }
    std::string text(path, static_cast<std::size_t>(length));
    return text.substr(0, text.rfind('/'));
}

bool runOnce(const std::string& program, const char* argument, Sample& sample) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(argument), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int spawned = ::posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0) {
        ::close(pipeFds[0]);
        return false;
    }
    std::string line;
    char buffer[64];
    ssize_t got = 0;
    while (line.find('\n') == std::string::npos && (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) {
        line.append(buffer, static_cast<std::size_t>(got));
    }
    const auto end = std::chrono::steady_clock::now();
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (line.find('\n') == std::string::npos) {
        return false;
    }
    sample.ms = std::chrono::duration<double, std::milli>(end - start).count();
    sample.rssKiB = std::strtol(line.c_str(), nullptr, 10);
    return true;
}

template <typename T>
T median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? T{} : values[values.size() / 2];
}

}  // namespace

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
        Sample ignored;
        if (!runOnce(probe.program, probe.argument, ignored)) {
            std::fprintf(stderr, "bench_startup: %s did not report its first frame\n", probe.title);
            return 1;
        }
    }
    for (int i = 0; i < runs; ++i) {
        for (Probe& probe : probes) {
            Sample sample;
            if (!runOnce(probe.program, probe.argument, sample)) {
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
