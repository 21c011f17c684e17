// The door for work without a user.
#include "SilentDoor.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>

#include "UnfinishedFiles.h"

namespace vel {

SilentDoor::SilentDoor() : start_(std::chrono::steady_clock::now()) {}

void SilentDoor::Yield() {
    for (;;) {
        const std::int64_t now = MonotonicMs();
        auto next = std::min_element(timers_.begin(), timers_.end(), [](auto& a, auto& b) {
            return a.second.due < b.second.due ||
                   (a.second.due == b.second.due && a.first < b.first);
        });
        if (next == timers_.end() || next->second.due > now) return;
        const std::function<void()> run = std::move(next->second.run);
        timers_.erase(next);
        run();
    }
}

void SilentDoor::WaitForEvents(std::int64_t ms) {
    std::int64_t wait = std::max<std::int64_t>(ms, 0);
    const std::int64_t now = MonotonicMs();
    for (const auto& [id, timer] : timers_)
        wait = std::min(wait, std::max<std::int64_t>(timer.due - now, 0));
    std::this_thread::sleep_for(std::chrono::milliseconds(wait));
    Yield();
}

DateTime SilentDoor::Now() {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return DateTime{Date{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday}, local.tm_hour,
                    local.tm_min, local.tm_sec};
}

std::int64_t SilentDoor::MonotonicMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start_)
        .count();
}

TimerId SilentDoor::StartTimer(std::int64_t ms, std::function<void()> onTimeout) {
    const TimerId id = ++lastTimer_;
    timers_[id] = {MonotonicMs() + std::max<std::int64_t>(ms, 0), std::move(onTimeout)};
    return id;
}

void SilentDoor::EndProcess(int status) {
    EndFileWriting();
    std::fflush(nullptr);
    std::_Exit(status);
}

}  // namespace vel
