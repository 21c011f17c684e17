// The yield and busy hooks.
#include "Hooks.h"

namespace vel {

namespace detail {
YieldHook g_yieldHook = nullptr;
BusyHook g_busyHook = nullptr;
int g_busyDepth = 0;
int g_eventsDepth = 0;
}  // namespace detail

void SetYieldHook(YieldHook hook) {
    detail::g_yieldHook = hook;
}
void SetBusyHook(BusyHook hook) {
    detail::g_busyHook = hook;
}

BusyGuard::BusyGuard() {
    if (detail::g_busyDepth > 0) return;
    acquired_ = true;
    ++detail::g_busyDepth;
    if (detail::g_busyHook) detail::g_busyHook(true);
}

BusyGuard::~BusyGuard() {
    if (!acquired_) return;
    --detail::g_busyDepth;
    if (detail::g_busyHook) detail::g_busyHook(false);
}

}  // namespace vel
