// The registry of process state groups.
#include "ProcessState.h"

#include <cstdio>
#include <cstdlib>

namespace vel {

namespace {
// Constant-initialised, so registrations from static initialisers of any source see it ready.
constexpr int kMaxGroups = 256;
ProcessStateGroup g_groups[kMaxGroups];
int g_groupCount = 0;
}  // namespace

void RegisterProcessStateGroup(const ProcessStateGroup& group) {
    if (g_groupCount == kMaxGroups) {
        std::fputs("Too many process state groups\n", stderr);
        std::abort();
    }
    g_groups[g_groupCount++] = group;
}

std::vector<ProcessStateGroup> ProcessStateGroups() {
    return {g_groups, g_groups + g_groupCount};
}

void ResetProcessState() {
    for (int i = 0; i < g_groupCount; ++i) g_groups[i].reset();
}

std::string StateGroupsNotAtStart() {
    std::string names;
    for (int i = 0; i < g_groupCount; ++i) {
        if (g_groups[i].isAtStart()) continue;
        if (!names.empty()) names += ", ";
        names += g_groups[i].name;
    }
    return names;
}

}  // namespace vel
