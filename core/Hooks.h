// The yield and busy hooks: long computations offer the user interface a chance to process
// pending events, and long commands hold a busy guard so that a second one only beeps.
// Both cost nothing when nothing is installed (computing code and tests).
#pragma once

namespace vel {

using YieldHook = void (*)();
using BusyHook = void (*)(bool busy);

namespace detail {
extern YieldHook g_yieldHook;
extern BusyHook g_busyHook;
extern int g_busyDepth;
extern int g_eventsDepth;
}  // namespace detail

// Installs the hook called by YieldToEvents (nullptr removes it).
void SetYieldHook(YieldHook hook);
// Installs the hook told when the first busy guard is taken and the last one released.
void SetBusyHook(BusyHook hook);

// Marks a stretch in which pending window events run (a yield, a wait for events). What they
// start, such as a command the user gives meanwhile, is not the work of the code around it.
class EventsRun {
public:
    EventsRun() { ++detail::g_eventsDepth; }
    ~EventsRun() { --detail::g_eventsDepth; }
    EventsRun(const EventsRun&) = delete;
    EventsRun& operator=(const EventsRun&) = delete;
};
// How many such stretches run now, one inside the other: 0 for the code that the event loop
// itself runs.
inline int EventsDepth() {
    return detail::g_eventsDepth;
}

// Offers one yield to pending window events.
inline void YieldToEvents() {
    if (!detail::g_yieldHook) return;
    const EventsRun events;
    detail::g_yieldHook();
}

// Holds YieldToEvents back for its scope (on the user-interface thread, which owns the hook):
// for the handlers that Qt runs while it walks a widget tree (a show or a layout resizes every
// child), where pending events must not run, since one of them may delete a child of the tree
// being walked (a window layout's finished geometry animation is deleted so). The hook in place
// at the start is in place again at the end; it is not to be replaced within the scope.
class YieldPause {
public:
    YieldPause() : saved_(detail::g_yieldHook) { detail::g_yieldHook = nullptr; }
    ~YieldPause() { detail::g_yieldHook = saved_; }
    YieldPause(const YieldPause&) = delete;
    YieldPause& operator=(const YieldPause&) = delete;

private:
    YieldHook saved_;
};

// Scoped busy state of a long computing command. A guard constructed while another is held
// does not acquire: its caller beeps and returns.
class BusyGuard {
public:
    BusyGuard();
    ~BusyGuard();
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;
    bool acquired() const { return acquired_; }
    static bool isBusy() { return detail::g_busyDepth > 0; }

private:
    bool acquired_ = false;
};

}  // namespace vel
