// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <string>
#include <vector>

// One start of a first-paint probe: the time from the spawn to the line the probe prints once
// its first window has been painted, and the resident memory that line reports.
struct ProbeSample {
    double ms = 0;
    long rssKiB = -1;
};

// Spawns `program` (with one optional argument), its standard error sent to /dev/null, and
// waits for its report. False when it could not start or ended without reporting.
bool runProbeOnce(const std::string& program, const char* argument, ProbeSample& sample);

// The folder of the running benchmark, where the probes are built beside it.
std::string ownFolder();

template <typename T>
T median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? T{} : values[values.size() / 2];
}
