// SPDX-License-Identifier: MIT
#include "domain/modem/TraceRecorder.h"

#include <algorithm>
#include <mutex>

namespace Tormel::Domain::Modem {

// The recorders that run, and the one lock that guards that list and every recorder's entries.
struct TraceRegistry {
    static std::mutex& lock() {
        static std::mutex instance;
        return instance;
    }
    static std::vector<TraceRecorder*>& active() {
        static std::vector<TraceRecorder*> recorders;
        return recorders;
    }
    static void append(TraceDirection direction, std::string_view line,
                       std::chrono::steady_clock::time_point when) {
        std::lock_guard<std::mutex> guard(lock());
        for (TraceRecorder* r : active()) {
            r->m_entries.push_back({std::chrono::duration<double, std::milli>(when - r->m_start).count(),
                                    direction, std::string(line)});
        }
    }
};

TraceRecorder::~TraceRecorder() { stop(); }

void TraceRecorder::start() {
    std::lock_guard<std::mutex> guard(TraceRegistry::lock());
    m_entries.clear();
    m_start = std::chrono::steady_clock::now();
    m_wallStart = std::chrono::system_clock::now();
    if (m_recording) return;
    m_recording = true;
    // The sink is installed and removed under the lock, so that recorders started and stopped
    // from different threads never leave it in the wrong state.
    if (TraceRegistry::active().empty()) Command::SetTraceSink(&TraceRegistry::append);
    TraceRegistry::active().push_back(this);
}

void TraceRecorder::stop() {
    std::lock_guard<std::mutex> guard(TraceRegistry::lock());
    if (!m_recording) return;
    m_recording = false;
    auto& recorders = TraceRegistry::active();
    recorders.erase(std::remove(recorders.begin(), recorders.end(), this), recorders.end());
    if (recorders.empty()) Command::SetTraceSink({});
}

bool TraceRecorder::recording() const {
    std::lock_guard<std::mutex> guard(TraceRegistry::lock());
    return m_recording;
}

std::vector<TraceEntry> TraceRecorder::entries() const {
    std::lock_guard<std::mutex> guard(TraceRegistry::lock());
    return m_entries;
}

std::chrono::system_clock::time_point TraceRecorder::startedAt() const {
    std::lock_guard<std::mutex> guard(TraceRegistry::lock());
    return m_wallStart;
}

}  // namespace Tormel::Domain::Modem
