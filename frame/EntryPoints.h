// The entry points through which the frame's commands reach the subsystems that own them
// (history database, charts, unattended runs). Each is a table of functions that the owning
// library fills at start-up (Vellicor's RegisterSubsystemCommands). The program fills every
// entry; one left empty (a subsystem not registered, as in a test of one folder) beeps and
// logs "<name>: no procedure is registered." instead of running.
#pragma once

#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "CommandBarrier.h"
#include "Door.h"
#include "Hooks.h"

namespace vel {

// History database: import, split coefficients, loading, history reports.
struct HistoryEntryPoints {
    // Asks for the import source and builds "History.mdb" from it.
    std::function<void()> ImportHistoryFromText;
    // Loads HistoryDatabasePath into the vector stores (paths already set by the caller); true
    // when it was loaded. A failed load keeps the previous history and its paths.
    std::function<bool()> LoadHistory;
    // The split commands on the chosen database file.
    std::function<void(const std::string& databasePath)> EstimateSplitEvents;
    // Shows the split events editor modally on the database (it keeps the path itself).
    std::function<void(const std::string& databasePath)> EditSplitEvents;
    std::function<void(const std::string& databasePath)> UpdateSplitCoefficients;
    std::function<void(const std::string& databasePath)> RemoveSplitCoefficients;
    // Writes the page of user-adjusted splits of the database to reportPath (not shown); true
    // when the page was written.
    std::function<bool(const std::string& databasePath, const std::string& reportPath)>
        WriteUserAdjustedSplitsReport;
    // Writes "PseudoSplits.html" into ResultsFolderPath (not shown); true when written.
    std::function<bool()> WritePseudoSplitsReport;
};

// Charts: the chart window.
struct ChartsEntryPoints {
    // Shows the chart window modelessly, creating it on first use.
    std::function<void()> ShowChartWindow;
    // Rebuilds the chart window's menu captions; empty while no chart window exists.
    std::function<void()> RefreshMenuCaptions;
    // Told by every successful history load: an open chart window builds itself anew on the
    // new history.
    std::function<void()> HistoryLoaded;
};

// Unattended runs, driven by the .autorun file AutoRunFileName.
struct AutomationEntryPoints {
    // True when the run reached its end line; false after a failure.
    std::function<bool()> RunAutorunMode;
    std::function<void()> RunAutorunLoadHistory;
    std::function<void()> RunDemonstrationMode;
    // Writes the research link list of the Stock Basket's symbols for the downloader.
    std::function<void()> GenerateResearchLinksURLs;
    // Saves the column tables of the text import just finished as the EOD structure file
    // (told by the history import after an import of text files).
    std::function<bool()> SaveEODStructure;
    // Told as the program ends: an unattended run that is still active fails with the line
    // "<mode> - Error - <why>" and the downloader it started is ended. True when a run was
    // active.
    std::function<bool(const std::string& why)> StopActiveRun;
};

extern HistoryEntryPoints HistoryCommands;
extern ChartsEntryPoints ChartsCommands;
extern AutomationEntryPoints AutomationCommands;

// Beeps and logs "<name>: no procedure is registered.".
void EntryPointNotRegistered(const std::string& name);

// The names of the entries of the three tables that are empty, in table order.
std::vector<std::string> EmptyEntryPoints();

// Runs the entry point through the command barrier, or reports it as not registered when it
// is empty. Returns what an entry with a result returns, true after an entry without one, and
// false when it is not registered or stopped with an error (shown in the error-handler box).
template <class F, class... Args>
bool RunEntryPoint(const F& entry, const std::string& name, Args&&... args) {
    if (!entry) {
        EntryPointNotRegistered(name);
        return false;
    }
    bool result = false;
    RunCommand([&] {
        if constexpr (std::is_same_v<decltype(entry(std::forward<Args>(args)...)), bool>) {
            result = entry(std::forward<Args>(args)...);
        } else {
            entry(std::forward<Args>(args)...);
            result = true;
        }
    });
    return result;
}

// Runs a long command under the busy guard; one started while another runs only beeps.
// Returns what a command with a result returns, true after one without, false when it did
// not run.
template <class F>
bool RunGuarded(F&& command) {
    BusyGuard guard;
    if (!guard.acquired()) {
        door().Beep();
        return false;
    }
    if constexpr (std::is_void_v<std::invoke_result_t<F>>) {
        command();
        return true;
    } else {
        return command();
    }
}

// True, after a beep, while a long command holds the busy guard: a parameter or the day window
// that the running command reads is not changed under it (the caller changes nothing then).
inline bool RefusedWhileBusy() {
    if (!BusyGuard::isBusy()) return false;
    door().Beep();
    return true;
}

// Empties every entry point (the state before registration).
void ClearEntryPoints();

}  // namespace vel
