// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace Tormel::Platform {

// Runs one slow operation on its own thread and hands its completion back to the thread that
// owns the worker (the window's thread), so the window never waits on a serial line.
//
// A worker runs once: the owner makes a new one for every operation. The completion is never
// called on the worker thread; it travels through the dispatcher, which the owner injects:
// the window posts it to its event loop, a test queues it and pumps the queue itself.
//
// Life: a worker whose work has ended is joined when it is destroyed. A worker destroyed (or
// released) while its work still runs drops the pending completion, waits a bounded grace time
// for the work to end, and otherwise lets the thread finish on its own, so that closing a
// window or ending the program never hangs on a serial call. Whatever the work function uses
// must then stay alive on its own (capture it by value or by shared pointer).
class BackgroundWorker {
  public:
    using Task = std::function<void()>;
    // Puts a task on the owner's queue. Called on the worker thread; it should queue the task
    // and return, and must be safe to call from another thread.
    using Dispatcher = std::function<void(Task)>;

    static constexpr std::chrono::milliseconds kDefaultGrace{3000};

    explicit BackgroundWorker(Dispatcher dispatcher);
    ~BackgroundWorker();

    BackgroundWorker(const BackgroundWorker&) = delete;
    BackgroundWorker& operator=(const BackgroundWorker&) = delete;

    // Starts work on a new thread; when it returns, completed is dispatched to the owner.
    // An exception escaping work is swallowed and the completion still follows, so the owner
    // always hears back. False when this worker was already started or released, or the
    // system refused a thread; nothing runs then.
    bool Start(Task work, Task completed);

    // The work function has been started and has not yet returned.
    bool IsRunning() const;
    // The work function has returned (its completion may still be on its way).
    bool IsFinished() const;
    // Waits up to timeout for the work function to return; true if it has.
    bool WaitFinished(std::chrono::milliseconds timeout) const;

    // A request to stop, for the owner's record; the work function decides whether it looks.
    void RequestStop();
    bool StopRequested() const;

    // Drops the completion if it has not been delivered yet (it will not be called after this
    // returns), then waits up to grace for the work to end: joined if it does, left to finish
    // on its own otherwise. Returns whether the thread was joined (or never started).
    bool Release(std::chrono::milliseconds grace = kDefaultGrace);

  private:
    struct Shared;

    Dispatcher m_dispatcher;
    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
    bool m_started = false;
    bool m_released = false;
};

}  // namespace Tormel::Platform
