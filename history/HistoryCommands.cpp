// The history database's commands.
#include "HistoryCommands.h"

#include "Door.h"
#include "EntryPoints.h"
#include "HistoryLoad.h"
#include "HistoryReports.h"
#include "HistoryState.h"
#include "ImportDialogs.h"
#include "SplitCoefficients.h"

namespace vel {

void ShowSplitEventsEditor(const std::string& databasePath) {
    SplitsDatabasePath = databasePath;
    SplitEventsEditorForm form{databasePath};
    door().ShowForm(form);
}

void RegisterHistoryCommands() {
    HistoryCommands.ImportHistoryFromText = [] { RunGuarded([] { ImportHistoryFromText(); }); };
    HistoryCommands.LoadHistory = [] { return RunGuarded([] { return LoadHistory(); }); };
    HistoryCommands.EstimateSplitEvents = [](const std::string& path) {
        RunGuarded([&] { EstimateSplitEvents(path); });
    };
    HistoryCommands.EditSplitEvents = [](const std::string& path) {
        RunGuarded([&] { ShowSplitEventsEditor(path); });
    };
    HistoryCommands.UpdateSplitCoefficients = [](const std::string& path) {
        RunGuarded([&] { UpdateSplitCoefficients(path); });
    };
    HistoryCommands.RemoveSplitCoefficients = [](const std::string& path) {
        RunGuarded([&] { RemoveSplitCoefficients(path); });
    };
    HistoryCommands.WriteUserAdjustedSplitsReport = [](const std::string& path,
                                                       const std::string& page) {
        return RunGuarded([&] { return WriteUserAdjustedSplitsReport(path, page); });
    };
    HistoryCommands.WritePseudoSplitsReport = [] {
        return RunGuarded([] { return WritePseudoSplitsReport(); });
    };
}

}  // namespace vel
