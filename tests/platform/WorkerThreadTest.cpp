// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>

#include "domain/app/TaskQueue.h"
#include "platform/BackgroundWorker.h"

using namespace std::chrono_literals;
using Tormel::Platform::BackgroundWorker;
using Tormel::Testing::TaskQueue;

namespace {

// A gate the test opens to let a work function end; shared so a released thread can outlive
// the test's locals.
struct Gate {
    std::atomic<bool> open{false};
    std::atomic<bool> workEnded{false};
    void WaitOpen() const {
        while (!open.load()) std::this_thread::sleep_for(1ms);
    }
};

}  // namespace

TEST(WorkerThread, WorkRunsElsewhereAndCompletionArrivesOnTheOwnersThreadWithTheResult) {
    TaskQueue queue;
    BackgroundWorker worker(queue.Dispatcher());
    const auto owner = std::this_thread::get_id();
    std::thread::id workThread;
    std::thread::id completionThread;
    int result = 0;  // written by the work, read by the completion: ordered by the delivery
    bool completed = false;

    ASSERT_TRUE(worker.Start(
        [&] {
            workThread = std::this_thread::get_id();
            result = 42;
        },
        [&] {
            completionThread = std::this_thread::get_id();
            completed = true;
        }));
    ASSERT_TRUE(worker.WaitFinished(5s));
    EXPECT_FALSE(completed) << "the completion must wait for the owner to pump its queue";

    ASSERT_TRUE(queue.PumpUntil([&] { return completed; }));
    EXPECT_NE(workThread, owner);
    EXPECT_EQ(completionThread, owner);
    EXPECT_EQ(result, 42);
    EXPECT_TRUE(worker.IsFinished());
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(queue.Posted(), 1);
}

TEST(WorkerThread, RunsOnceAndStillCompletesWhenTheWorkThrows) {
    TaskQueue queue;
    BackgroundWorker worker(queue.Dispatcher());
    int completions = 0;
    ASSERT_TRUE(worker.Start([] { throw std::runtime_error("port gone"); }, [&] { ++completions; }));
    EXPECT_FALSE(worker.Start([] {}, [&] { ++completions; })) << "a worker runs one operation";
    ASSERT_TRUE(queue.PumpUntil([&] { return completions > 0; }));
    queue.PumpPending();
    EXPECT_EQ(completions, 1);

    BackgroundWorker released(queue.Dispatcher());
    EXPECT_TRUE(released.Release());
    EXPECT_FALSE(released.Start([] {}, [] {})) << "a released worker cannot be started";
}

TEST(WorkerThread, StopRequestIsSeenByTheWork) {
    TaskQueue queue;
    BackgroundWorker worker(queue.Dispatcher());
    bool sawStop = false;
    bool completed = false;
    ASSERT_TRUE(worker.Start(
        [&] {
            const auto deadline = std::chrono::steady_clock::now() + 10s;
            while (!worker.StopRequested() && std::chrono::steady_clock::now() < deadline) {
                std::this_thread::sleep_for(1ms);
            }
            sawStop = worker.StopRequested();
        },
        [&] { completed = true; }));
    EXPECT_TRUE(worker.IsRunning());
    worker.RequestStop();
    ASSERT_TRUE(queue.PumpUntil([&] { return completed; }));
    EXPECT_TRUE(sawStop);
}

TEST(WorkerThread, ReleaseDropsACompletionThatIsAlreadyQueued) {
    TaskQueue queue;
    int completions = 0;
    {
        BackgroundWorker worker(queue.Dispatcher());
        ASSERT_TRUE(worker.Start([] {}, [&] { ++completions; }));
        ASSERT_TRUE(worker.WaitFinished(5s));
        // Give the thread time to post; whether or not it has, destruction must cancel delivery.
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (queue.Posted() == 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(queue.Posted(), 1);
    queue.PumpPending();
    EXPECT_EQ(completions, 0);
}

TEST(WorkerThread, ReleaseOfStuckWorkReturnsWithinTheGraceAndTheThreadEndsAlone) {
    TaskQueue queue;
    auto gate = std::make_shared<Gate>();
    bool completed = false;
    auto worker = std::make_unique<BackgroundWorker>(queue.Dispatcher());
    ASSERT_TRUE(worker->Start(
        [gate] {
            gate->WaitOpen();
            gate->workEnded = true;
        },
        [&] { completed = true; }));

    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(worker->Release(50ms)) << "stuck work is left to finish, not joined";
    EXPECT_LT(std::chrono::steady_clock::now() - before, 2s);
    worker.reset();

    gate->open = true;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!gate->workEnded && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
    EXPECT_TRUE(gate->workEnded);
    std::this_thread::sleep_for(20ms);
    queue.PumpPending();
    EXPECT_FALSE(completed) << "a released worker never reports back";
    EXPECT_EQ(queue.Posted(), 0);
}

TEST(WorkerThread, DestroyingAWorkerWhoseWorkEndsInTheGraceJoinsIt) {
    TaskQueue queue;
    auto gate = std::make_shared<Gate>();
    std::thread opener;
    {
        BackgroundWorker worker(queue.Dispatcher());
        ASSERT_TRUE(worker.Start(
            [gate] {
                gate->WaitOpen();
                gate->workEnded = true;
            },
            [] {}));
        opener = std::thread([gate] {
            std::this_thread::sleep_for(30ms);
            gate->open = true;
        });
    }
    // The destructor waited for the work rather than leaving it behind.
    EXPECT_TRUE(gate->workEnded);
    opener.join();
}
