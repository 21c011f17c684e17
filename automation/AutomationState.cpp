// The process state of the unattended runs and their files.
#include "AutomationState.h"

namespace vel {

AutorunSetState AutorunSet;
EodStructureState EodStructure;
UnattendedRunState UnattendedRun;

namespace {
const StateGroup<AutorunSet> kAutorunSetGroup("AutorunSet");
const StateGroup<EodStructure> kEodStructureGroup("EodStructure");
const StateGroup<UnattendedRun> kUnattendedRunGroup("UnattendedRun");
}  // namespace

}  // namespace vel
