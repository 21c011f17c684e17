// The process-wide state is kept in groups by concern: each group is one struct with default
// member initialisers (its start values) and one global instance, owned by the folder whose
// source defines it. Each group registers its reset with this registry from the source that
// defines it, so ResetProcessState reaches every group that is linked into the program
// (tests start and end with it; the program itself starts from the initialisers).
//
// A group in a folder's source file:
//
//     PathState Paths;                                         // declared extern in the header
//     namespace { const StateGroup<Paths> kPathsGroup("Paths"); }
//
// The struct needs a defaulted operator== so that a test can compare a whole group with its
// start values (StateGroupsAtStart).
#pragma once

#include <string>
#include <type_traits>
#include <vector>

namespace vel {

struct ProcessStateGroup {
    const char* name;
    void (*reset)();      // back to the start values
    bool (*isAtStart)();  // true when every member holds its start value
};

// Adds a group (at most 256; a static initialiser of the source that defines the group).
void RegisterProcessStateGroup(const ProcessStateGroup& group);
// The groups registered so far, in registration order.
std::vector<ProcessStateGroup> ProcessStateGroups();
// Puts every registered group back to its start values.
void ResetProcessState();
// The names of the registered groups that are not at their start values ("" for none).
std::string StateGroupsNotAtStart();

// Registers the global `State` as a group: its reset assigns a value-initialised struct (the
// default member initialisers), its test compares with one.
template <auto& State>
class StateGroup {
public:
    using Type = std::remove_cvref_t<decltype(State)>;
    explicit StateGroup(const char* name) { RegisterProcessStateGroup({name, &Reset, &IsAtStart}); }
    static void Reset() { State = Type{}; }
    static bool IsAtStart() { return State == Type{}; }
};

}  // namespace vel
