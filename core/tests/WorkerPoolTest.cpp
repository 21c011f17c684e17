// The shared worker threads: every task once and its result in its own place, the calling
// thread alone for one thread, the lowest failing task's error after every task has ended, a
// pool that stays usable after an error, runs nested in a task, a pool that ends whatever its
// workers are doing, and runs of the program's pool under a busy guard that end while every
// worker is held.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "CoreFixture.h"
#include "EndsInTime.h"
#include "Hooks.h"
#include "WorkerPool.h"

namespace vel {
namespace {

using namespace std::chrono_literals;

using testing::EndsWithinAMinute;

class WorkerPoolTest : public testing::CoreFixture {};

TEST_F(WorkerPoolTest, EveryTaskRunsOnceAndItsResultLandsInItsPlace) {
    WorkerPool pool(3);
    EXPECT_EQ(pool.size(), 3u);
    const std::size_t n = 2000;
    std::vector<std::atomic<int>> runs(n);
    std::vector<long> out(n, -1);
    std::atomic<int> busiest{0}, running{0};
    pool.Run(n, 0, [&](std::size_t k) {
        const int now = ++running;
        for (int b = busiest; now > b && !busiest.compare_exchange_weak(b, now);) {
        }
        if (k % 97 == 0) std::this_thread::sleep_for(1ms);  // uneven tasks
        out[k] = static_cast<long>(k * k);
        ++runs[k];
        --running;
    });
    for (std::size_t k = 0; k < n; ++k) {
        ASSERT_EQ(runs[k], 1) << k;
        ASSERT_EQ(out[k], static_cast<long>(k * k)) << k;
    }
    EXPECT_LE(busiest, 4);  // three workers and the calling thread

    // Two threads at most when asked for two.
    busiest = 0;
    pool.Run(200, 2, [&](std::size_t) {
        const int now = ++running;
        for (int b = busiest; now > b && !busiest.compare_exchange_weak(b, now);) {
        }
        std::this_thread::sleep_for(100us);
        --running;
    });
    EXPECT_LE(busiest, 2);

    // One thread: every task on the calling thread, in order; no task: nothing runs.
    std::vector<std::size_t> order;
    const auto caller = std::this_thread::get_id();
    pool.Run(50, 1, [&](std::size_t k) {
        EXPECT_EQ(std::this_thread::get_id(), caller);
        order.push_back(k);
    });
    ASSERT_EQ(order.size(), 50u);
    for (std::size_t k = 0; k < 50; ++k) EXPECT_EQ(order[k], k);
    pool.Run(0, 0, [&](std::size_t) { ADD_FAILURE() << "a task of an empty run ran"; });
}

TEST_F(WorkerPoolTest, TheLowestFailingTasksErrorReachesTheCallerAfterEveryTask) {
    WorkerPool pool(4);
    for (unsigned threads : {0u, 1u}) {
        SCOPED_TRACE(threads);
        const std::size_t n = 500;
        std::vector<std::atomic<int>> runs(n);
        try {
            pool.Run(n, threads, [&](std::size_t k) {
                ++runs[k];
                if (k == 450) throw std::runtime_error("task 450");
                if (k == 17) throw std::runtime_error("task 17");
                if (k == 300) throw 7;  // not a std::exception
            });
            ADD_FAILURE() << "no error reached the caller";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()), "task 17");
        }
        // A failing task stops none of the others.
        for (std::size_t k = 0; k < n; ++k) ASSERT_EQ(runs[k], 1) << k;

        // The pool is whole afterwards.
        std::vector<int> out(n, 0);
        pool.Run(n, threads, [&](std::size_t k) { out[k] = static_cast<int>(k) + 1; });
        for (std::size_t k = 0; k < n; ++k) ASSERT_EQ(out[k], static_cast<int>(k) + 1);
    }
}

TEST_F(WorkerPoolTest, ARunInsideATaskEndsWhileEveryOtherWorkerIsHeld) {
    // Two workers and the caller: the first task to begin runs a whole run of its own while the
    // other two tasks hold both remaining threads until it has ended.
    WorkerPool pool(2);
    EndsWithinAMinute([&] {
        std::promise<void> nestedEnded;
        const std::shared_future<void> nested = nestedEnded.get_future().share();
        std::atomic<int> begun{0};
        std::vector<int> inner(300, 0);
        pool.Run(3, 0, [&](std::size_t) {
            if (begun++ > 0) {
                nested.wait();
                return;
            }
            // Held threads cannot help: the task's own thread runs the inner tasks.
            pool.Run(inner.size(), 0, [&](std::size_t k) { inner[k] = static_cast<int>(k); });
            nestedEnded.set_value();
        });
        for (std::size_t k = 0; k < inner.size(); ++k) ASSERT_EQ(inner[k], static_cast<int>(k));
    });
}

TEST_F(WorkerPoolTest, APoolEndsWithItsWorkersAsleepBusyOrNeverStarted) {
    EndsWithinAMinute([] {
        // Never started: nothing to join.
        { WorkerPool unused(4); }
        // Every worker asleep after a run.
        {
            WorkerPool pool(4);
            std::vector<int> out(100, 0);
            pool.Run(out.size(), 0, [&](std::size_t k) { out[k] = 1; });
            std::this_thread::sleep_for(10ms);
        }
        // One worker in a posted function, the rest of the posted ones not begun: the running
        // one ends, the others are dropped (unless the worker reaches them first) and what
        // they hold is released.
        auto held = std::make_shared<int>(0);
        std::atomic<int> ran{0};
        std::promise<void> begun;
        {
            WorkerPool pool(1);
            pool.Post([&] {
                begun.set_value();
                std::this_thread::sleep_for(20ms);
                ++ran;
            });
            for (int k = 0; k < 5; ++k) pool.Post([held, &ran] { ++ran; });
            begun.get_future().wait();
        }
        EXPECT_GE(ran, 1);
        EXPECT_EQ(held.use_count(), 1);
    });
}

TEST_F(WorkerPoolTest, TheProgramsPoolServesACommandUnderTheBusyGuardWithItsWorkersHeld) {
    // Every worker of the program's pool held by work posted earlier (a command still running
    // on them); a guarded command then runs a search: it ends on the calling thread.
    std::promise<void> release;
    const std::shared_future<void> released = release.get_future().share();
    for (unsigned w = 0; w < Workers.size(); ++w) Workers.Post([released] { released.wait(); });
    EndsWithinAMinute([] {
        BusyGuard guard;
        ASSERT_TRUE(guard.acquired());
        std::vector<double> out(1000, 0.0);
        Workers.Run(out.size(), 0, [&](std::size_t k) { out[k] = 0.5 * static_cast<double>(k); });
        for (std::size_t k = 0; k < out.size(); ++k) ASSERT_EQ(out[k], 0.5 * k);
    });
    release.set_value();
    // Once free, the workers serve the next run.
    std::vector<int> out(64, 0);
    Workers.Run(out.size(), 0, [&](std::size_t k) { out[k] = static_cast<int>(k); });
    for (std::size_t k = 0; k < out.size(); ++k) EXPECT_EQ(out[k], static_cast<int>(k));
}

}  // namespace
}  // namespace vel
