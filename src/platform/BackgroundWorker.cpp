// SPDX-License-Identifier: MIT
#include "platform/BackgroundWorker.h"

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <utility>

namespace Tormel::Platform {

// What the worker thread and the owner share. It outlives the worker object when a released
// thread is still finishing its work.
struct BackgroundWorker::Shared {
    mutable std::mutex mutex;
    mutable std::condition_variable finishedChanged;
    bool running = false;
    bool finished = false;
    std::atomic<bool> stopRequested{false};

    // Held while the worker thread hands the completion to the dispatcher, so that once the
    // owner has set `released` under it, the dispatcher is never called again.
    std::mutex dispatchMutex;
    std::atomic<bool> released{false};
};

BackgroundWorker::BackgroundWorker(Dispatcher dispatcher)
    : m_dispatcher(std::move(dispatcher)), m_shared(std::make_shared<Shared>()) {}

BackgroundWorker::~BackgroundWorker() {
    if (!m_released) {
        Release();
    }
}

bool BackgroundWorker::Start(Task work, Task completed) {
    if (m_started || m_released || !work) {
        return false;
    }
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->running = true;
    }
    // The thread owns copies of everything it touches: it may outlive this object.
    auto body = [shared = m_shared, dispatcher = m_dispatcher, work = std::move(work),
                 completed = std::move(completed)]() mutable {
        try {
            work();
        } catch (...) {
            // The owner learns the outcome from its own completion; nothing may escape a thread.
        }
        {
            std::lock_guard lock(shared->mutex);
            shared->running = false;
            shared->finished = true;
        }
        shared->finishedChanged.notify_all();

        std::lock_guard dispatchLock(shared->dispatchMutex);
        if (shared->released.load() || !dispatcher || !completed) {
            return;
        }
        try {
            dispatcher([shared, completed = std::move(completed)]() {
                // Runs on the owner's thread; a release in between turns it into nothing.
                if (!shared->released.load()) {
                    completed();
                }
            });
        } catch (...) {
            // A dispatcher that cannot post (its loop already gone) loses only this completion.
        }
    };
    try {
        m_thread = std::thread(std::move(body));
    } catch (const std::system_error&) {
        std::lock_guard lock(m_shared->mutex);
        m_shared->running = false;
        return false;
    }
    m_started = true;
    return true;
}

bool BackgroundWorker::IsRunning() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->running;
}

bool BackgroundWorker::IsFinished() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->finished;
}

bool BackgroundWorker::WaitFinished(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_shared->mutex);
    if (!m_started) {
        return false;
    }
    return m_shared->finishedChanged.wait_for(lock, timeout, [this] { return m_shared->finished; });
}

void BackgroundWorker::RequestStop() { m_shared->stopRequested.store(true); }

bool BackgroundWorker::StopRequested() const { return m_shared->stopRequested.load(); }

bool BackgroundWorker::Release(std::chrono::milliseconds grace) {
    m_released = true;
    {
        std::lock_guard dispatchLock(m_shared->dispatchMutex);
        m_shared->released.store(true);
    }
    if (!m_thread.joinable()) {
        return true;
    }
    if (WaitFinished(grace)) {
        m_thread.join();
        return true;
    }
    // The work is stuck in a call that did not honour the stop; the program must not wait for
    // it. The thread keeps its own share of the state and ends by itself.
    m_thread.detach();
    return false;
}

}  // namespace Tormel::Platform
