// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/BackgroundWorker.h"

namespace Tormel::Testing {

// The test's stand-in for a window's event loop: workers post completions here, and the test
// thread runs them when it pumps, so completions arrive on the test thread as they would on
// the window's thread.
class TaskQueue {
  public:
    Platform::BackgroundWorker::Dispatcher Dispatcher() {
        return [this](Platform::BackgroundWorker::Task task) {
            {
                std::lock_guard lock(m_mutex);
                m_tasks.push_back(std::move(task));
                ++m_posted;
            }
            m_changed.notify_all();
        };
    }

    // Runs queued tasks until done() holds (checked between tasks) or the time is up.
    bool PumpUntil(const std::function<bool()>& done,
                   std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!done()) {
            std::unique_lock lock(m_mutex);
            if (!m_changed.wait_until(lock, deadline, [this] { return !m_tasks.empty(); })) {
                return done();
            }
            auto task = std::move(m_tasks.front());
            m_tasks.pop_front();
            lock.unlock();
            task();
        }
        return true;
    }

    // Runs what is queued now, without waiting.
    int PumpPending() {
        int ran = 0;
        for (;;) {
            std::unique_lock lock(m_mutex);
            if (m_tasks.empty()) {
                return ran;
            }
            auto task = std::move(m_tasks.front());
            m_tasks.pop_front();
            lock.unlock();
            task();
            ++ran;
        }
    }

    int Posted() const {
        std::lock_guard lock(m_mutex);
        return m_posted;
    }

  private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Platform::BackgroundWorker::Task> m_tasks;
    int m_posted = 0;
};

}  // namespace Tormel::Testing
