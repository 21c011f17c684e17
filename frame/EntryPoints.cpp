// The entry points of the subsystems that own the frame's commands.
#include "EntryPoints.h"

#include <utility>

#include "ActivityLog.h"
#include "Door.h"
#include "ProcessState.h"

namespace vel {

HistoryEntryPoints HistoryCommands;
ChartsEntryPoints ChartsCommands;
AutomationEntryPoints AutomationCommands;

namespace {

// Every entry of the three tables with its name and whether it is filled (an entry added to
// a table belongs here too).
std::vector<std::pair<const char*, bool>> Entries() {
    const HistoryEntryPoints& h = HistoryCommands;
    const ChartsEntryPoints& c = ChartsCommands;
    const AutomationEntryPoints& a = AutomationCommands;
    return {
        {"ImportHistoryFromText", bool(h.ImportHistoryFromText)},
        {"LoadHistory", bool(h.LoadHistory)},
        {"EstimateSplitEvents", bool(h.EstimateSplitEvents)},
        {"EditSplitEvents", bool(h.EditSplitEvents)},
        {"UpdateSplitCoefficients", bool(h.UpdateSplitCoefficients)},
        {"RemoveSplitCoefficients", bool(h.RemoveSplitCoefficients)},
        {"WriteUserAdjustedSplitsReport", bool(h.WriteUserAdjustedSplitsReport)},
        {"WritePseudoSplitsReport", bool(h.WritePseudoSplitsReport)},
        {"ShowChartWindow", bool(c.ShowChartWindow)},
        {"RefreshMenuCaptions", bool(c.RefreshMenuCaptions)},
        {"HistoryLoaded", bool(c.HistoryLoaded)},
        {"RunAutorunMode", bool(a.RunAutorunMode)},
        {"RunAutorunLoadHistory", bool(a.RunAutorunLoadHistory)},
        {"RunDemonstrationMode", bool(a.RunDemonstrationMode)},
        {"GenerateResearchLinksURLs", bool(a.GenerateResearchLinksURLs)},
        {"SaveEODStructure", bool(a.SaveEODStructure)},
        {"StopActiveRun", bool(a.StopActiveRun)},
    };
}

bool EntryPointsAreEmpty() {
    return EmptyEntryPoints().size() == Entries().size();
}

// The tables are filled once at start; tests start and end with them empty.
const bool kEntryPointsGroup = [] {
    RegisterProcessStateGroup({"EntryPoints", &ClearEntryPoints, &EntryPointsAreEmpty});
    return true;
}();

}  // namespace

void EntryPointNotRegistered(const std::string& name) {
    door().Beep();
    WriteActivityLog(name + ": no procedure is registered.");
}

std::vector<std::string> EmptyEntryPoints() {
    std::vector<std::string> names;
    for (const auto& [name, filled] : Entries())
        if (!filled) names.emplace_back(name);
    return names;
}

void ClearEntryPoints() {
    HistoryCommands = HistoryEntryPoints{};
    ChartsCommands = ChartsEntryPoints{};
    AutomationCommands = AutomationEntryPoints{};
}

}  // namespace vel
