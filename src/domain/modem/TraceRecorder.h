// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "domain/modem/Command.h"

namespace Tormel::Domain::Modem {

// One line of the dialogue with the unit, with its time since the recording began.
struct TraceEntry {
    double ms = 0.0;
    TraceDirection direction = TraceDirection::Event;
    std::string line;
};

// Keeps the link's trace for the length of one operation: start() before the operation is
// started, stop() once its completion has arrived. Recorders may overlap (a command-line
// write's report and the scan inside it): one link sink feeds every recorder that runs. The
// link calls the sink on whatever thread runs the operation, so the entries are guarded and
// handed out as copies. start() and stop() belong between operations, as the link's sink may
// not be replaced while one runs.
class TraceRecorder {
  public:
    TraceRecorder() = default;
    ~TraceRecorder();
    TraceRecorder(const TraceRecorder&) = delete;
    TraceRecorder& operator=(const TraceRecorder&) = delete;

    // Forgets what was recorded before and follows the link from now on.
    void start();
    // Stops following the link; the entries stay until the next start().
    void stop();
    bool recording() const;

    std::vector<TraceEntry> entries() const;
    std::chrono::system_clock::time_point startedAt() const;

  private:
    friend struct TraceRegistry;
    std::vector<TraceEntry> m_entries;
    std::chrono::steady_clock::time_point m_start{};
    std::chrono::system_clock::time_point m_wallStart{};
    bool m_recording = false;
};

}  // namespace Tormel::Domain::Modem
