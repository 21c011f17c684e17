// The entry points of the subsystems that own the frame's commands.
#include "EntryPoints.h"

#include "ActivityLog.h"
#include "Door.h"

namespace vel {

HistoryEntryPoints HistoryCommands;
ChartsEntryPoints ChartsCommands;
AutomationEntryPoints AutomationCommands;

void EntryPointNotBuilt(const std::string& name) {
    door().Beep();
    WriteActivityLog(name + ": this function is not built yet.");
}

void ClearEntryPoints() {
    HistoryCommands = HistoryEntryPoints{};
    ChartsCommands = ChartsEntryPoints{};
    AutomationCommands = AutomationEntryPoints{};
}

}  // namespace vel
