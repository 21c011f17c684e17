// A guard for tests of threaded code: a deadlock fails the test at once instead of holding
// the test program until its time-out.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <thread>
#include <utility>

namespace vel::testing {

// Runs f on a thread of its own and returns when it has returned (raising what it raised). When
// it has not returned within a minute, the test fails and the process ends: its threads are
// stuck and cannot be unwound.
template <class F>
void EndsWithinAMinute(F&& f) {
    std::packaged_task<void()> task(std::forward<F>(f));
    std::future<void> done = task.get_future();
    std::thread(std::move(task)).detach();
    if (done.wait_for(std::chrono::minutes(1)) != std::future_status::ready) {
        ADD_FAILURE() << "the run did not end: a deadlock";
        std::_Exit(1);
    }
    done.get();
}

}  // namespace vel::testing
