// The entry points of the subsystems that own the frame's commands.
#include "EntryPoints.h"

#include "ActivityLog.h"
#include "Door.h"
#include "ProcessState.h"

namespace vel {

HistoryEntryPoints HistoryCommands;
ChartsEntryPoints ChartsCommands;
AutomationEntryPoints AutomationCommands;

namespace {

// Every entry of the three tables (an entry added to a table belongs here too).
bool EntryPointsAreEmpty() {
    const auto empty = [](const auto&... entries) { return (!entries && ...); };
    const HistoryEntryPoints& h = HistoryCommands;
    return empty(h.ImportHistoryFromText, h.LoadHistory, h.EstimateSplitEvents, h.EditSplitEvents,
                 h.UpdateSplitCoefficients, h.RemoveSplitCoefficients,
                 h.WriteUserAdjustedSplitsReport, h.WritePseudoSplitsReport) &&
           empty(ChartsCommands.ShowChartWindow, ChartsCommands.RefreshMenuCaptions) &&
           empty(AutomationCommands.RunAutorunMode, AutomationCommands.RunAutorunLoadHistory,
                 AutomationCommands.RunDemonstrationMode,
                 AutomationCommands.GenerateResearchLinksURLs, AutomationCommands.SaveEODStructure);
}

// The tables are filled once at start; tests start and end with them empty.
const bool kEntryPointsGroup = [] {
    RegisterProcessStateGroup({"EntryPoints", &ClearEntryPoints, &EntryPointsAreEmpty});
    return true;
}();

}  // namespace

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
