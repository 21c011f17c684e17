// The unattended runs.
#include "UnattendedRuns.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <type_traits>

#include "ActivityLog.h"
#include "AppPaths.h"
#include "AppState.h"
#include "AutomationState.h"
#include "AutorunFile.h"
#include "ChartCurves.h"
#include "ChartWindowCommands.h"
#include "DirectoryListing.h"
#include "Door.h"
#include "EntryPoints.h"
#include "EodStructure.h"
#include "ErrorHandler.h"
#include "Errors.h"
#include "FilePaths.h"
#include "FolderHold.h"
#include "HistoryImport.h"
#include "HistoryState.h"
#include "Hooks.h"
#include "MainCommands.h"
#include "MainWindowView.h"
#include "SmallRoutines.h"
#include "TextFile.h"
#include "UrlListFile.h"
#include "WholeFile.h"

namespace vel {

namespace {

const char* const kParametersError =
    "Error in Autorun parameters or some Autorun files are missing!";
const char* const kNoHistory = "There is no History.mdb to load!";
const char* const kDownloadError = "Error in Downloading process!";
const std::string kStructureError =
    "Error in EOD data structure! Check Regional Settings in Control Panel!\r\n"
    "You have to use English(US) regional settings when downloading EOD stock history from "
    "YAHOO!\r\n";

// The days the demonstration shows.
constexpr long kDemonstrationDays = 252;

// The run's messages: OK only, no title.
void Notice(const std::string& text) {
    door().MessageBox(text, "", MsgButtons::OK);
}

void EndRun() {
    SilentMode = 0;
    AutoRunMode = 0;
}

// Logs the failure, ends the run and then shows its message: with the run's flags down the box
// reaches a user at a display; without a display it is logged. Returns false for the caller's
// return.
bool Fail(const std::string& logLine, const std::string& message) {
    WriteActivityLog(logLine);
    EndRun();
    Notice(message);
    return false;
}

// The run marks itself active, under the word `mode` of its failure lines, for its whole length;
// a run started while another is active or a long command runs only beeps.
class ActiveRun {
public:
    explicit ActiveRun(const char* mode)
        : started_(!UnattendedRun.RunActive && !BusyGuard::isBusy()) {
        if (started_) {
            UnattendedRun.RunActive = true;
            UnattendedRun.Mode = mode;
        } else {
            door().Beep();
        }
    }
    ~ActiveRun() {
        if (!started_) return;
        UnattendedRun.RunActive = false;
        UnattendedRun.Mode.clear();
    }
    ActiveRun(const ActiveRun&) = delete;
    ActiveRun& operator=(const ActiveRun&) = delete;
    bool started() const { return started_; }

private:
    bool started_;
};

// The failure line "<mode> - Error - <what>" of a step, and the end of the run.
void StepFailed(const std::string& mode, const std::string& what) {
    WriteActivityLog(mode + " - Error - " + what);
    EndRun();
}

// One step of a run in `mode`. A step returns false once it has failed on its own terms (its
// failure line logged, the run ended, its box shown). Any other error in it fails the run as
// well, with the line "<mode> - Error - <step> stopped with an error!": one that escapes the step
// (it goes on, with the run's flags down, to the command barrier of whoever started the run,
// which reports it), and one that a command of the step stopped at a barrier of its own and
// reported in the error-handler box (going on would build on what that command left undone).
// Only the step's own commands count: a command that a user gives while the run yields, and that
// fails, is that command's business.
template <class F>
bool Step(const std::string& mode, const std::string& name, F&& step) {
    const long reportsBefore = ErrorHandlerReportsHere();
    bool done = false;
    try {
        if constexpr (std::is_void_v<std::invoke_result_t<F>>) {
            step();
            done = true;
        } else {
            done = step();
        }
    } catch (const std::exception&) {
        StepFailed(mode, name + " stopped with an error!");
        throw;
    }
    if (done && ErrorHandlerReportsHere() != reportsBefore) {
        StepFailed(mode, name + " stopped with an error!");
        return false;
    }
    return done;
}

// A step of the program's commands, which return whether they did their work. When they say
// they failed, the run fails with the line "<mode> - Error - <failure>".
template <class F>
bool CommandStep(const std::string& mode, const std::string& name, const std::string& failure,
                 F&& commands) {
    return Step(mode, name, [&] {
        if (commands()) return true;
        StepFailed(mode, failure);
        return false;
    });
}

// What the main window showed of the loaded history before a run touched it.
struct MainWindowBefore {
    std::string loaded = MainLabelText(MainLabel::LoadedStockData);
    bool commands = HistoryCommandsEnabled();
};

// The load of HistoryDatabasePath with the main window's labels and commands. A load that
// fails keeps the previous history (and the label and commands it had before the run) and
// ends the run.
bool LoadStep(const std::string& mode, const MainWindowBefore& before = {}) {
    WriteActivityLog(mode + " - Loading History.mdb");
    ClearMainStatusLabels();
    DisableMainCommands();
    const bool loaded = RunEntryPoint(HistoryCommands.LoadHistory, "LoadHistory");
    ResetProgressDisplay();
    SetMainLabel(MainLabel::LoadedStockData, loaded ? HistoryDatabasePath : before.loaded);
    if (loaded || before.commands) EnableMainCommands();
    if (!loaded) {
        WriteActivityLog(mode + " - Error - History.mdb was not loaded!");
        EndRun();
    }
    return loaded;
}

// The chart window, the day window and a full Stock Basket.
bool ChartsStep(const std::string& mode, long days) {
    WriteActivityLog(mode + " - Showing charts.");
    if (!CommandStep(mode, "Showing charts", "Showing charts stopped with an error!",
                     ShowChartsScreen))
        return false;
    WriteActivityLog("Autorun mode - Setting charts range.");
    return CommandStep(mode, "Setting charts range", "Setting charts range stopped with an error!",
                       [&] {
                           SetChartDayRange(days);
                           return RunChartCommand("mnuFillStockBasket");
                       });
}

// The failure of a calculation whose report cannot be written, for the reason given.
bool NoReport(const std::string& mode, const std::string& name, const std::string& why) {
    const std::string text = name + " report was not written: " + why;
    return Fail(mode + " - Error - " + text, text);
}

// One calculation of the basket with its report, on a basket filled anew. The run asked for the
// report, so whatever keeps it from being written fails the run: an empty basket (no stock
// loaded), a calculation that fails, a trading log without rallies (the report would only say
// "No trading periods found!"), a report that is not written whole.
bool CalculationStep(const std::string& mode, const std::string& name, const char* calculation,
                     const char* report) {
    WriteActivityLog(mode + " - " + name + " - Start.");
    if (!CommandStep(mode, name, name + " stopped with an error!",
                     [] { return RunChartCommand("mnuFillStockBasket"); }))
        return false;
    if (BasketCount < 1)
        return NoReport(mode, name,
                        "the Stock Basket is empty (no stock has a positive day money on the last "
                        "days)!");
    if (!CommandStep(mode, name, name + " stopped with an error!",
                     [&] { return RunChartCommand(calculation); }))
        return false;
    if (RallyCount < 1) return NoReport(mode, name, "No trading periods found!");
    if (!CommandStep(mode, name + " report", name + " report was not written!",
                     [&] { return RunChartCommand(report); }))
        return false;
    WriteActivityLog(mode + " - " + name + " - End.");
    return true;
}

bool DownloadFailed() {
    return Fail("Autorun mode - Error in Downloading process!", kDownloadError);
}

// Logs, one line each, the lines that the downloader has written to its standard error since
// the last look (why it refused to start, for one).
void LogDownloaderErrorOutput(ProgramId downloader) {
    const std::string text = door().TakeProgramErrorOutput(downloader);
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!TrimBlanks(line).empty()) WriteActivityLog("Autorun mode - Tarquel: " + line);
        start = end + 1;
    }
}

// Ends the downloader when it still runs, after a log line saying so.
void EndDownloader(ProgramId downloader) {
    if (!door().ProgramRunning(downloader)) return;
    WriteActivityLog("Autorun mode - Ending Tarquel, which still runs.");
    door().StopWatchedProgram(downloader, kDownloaderStopWaitMs);
    LogDownloaderErrorOutput(downloader);
}

// The downloader of the download step, known to the run while the step lasts (for an end of the
// program in the middle of the wait), and ended when the step ends, however it ends, while it
// still runs.
class StartedDownloader {
public:
    explicit StartedDownloader(ProgramId id) : id_(id) { UnattendedRun.Downloader = id; }
    ~StartedDownloader() {
        UnattendedRun.Downloader = 0;
        try {
            EndDownloader(id_);
        } catch (const std::exception&) {
            // No door any more: nothing can be ended.
        }
    }
    StartedDownloader(const StartedDownloader&) = delete;
    StartedDownloader& operator=(const StartedDownloader&) = delete;

private:
    ProgramId id_;
};

// Waits, sleeping between events, until the downloader has ended or kDownloaderEndWaitMs have
// passed; true when it has ended.
bool WaitForDownloaderEnd(ProgramId downloader) {
    const std::int64_t deadline = door().MonotonicMs() + kDownloaderEndWaitMs;
    while (door().ProgramRunning(downloader)) {
        const std::int64_t left = deadline - door().MonotonicMs();
        if (left <= 0) return false;
        const EventsRun events;
        door().WaitForEvents(std::min<std::int64_t>(left, kDownloadWaitSliceMs));
    }
    return true;
}

// Hands the download to the downloader and waits for its result file, then for the downloader's
// end; true when the file's first line is "OK".
bool DownloadStep() {
    WriteActivityLog("Autorun mode - Downloading - Start.");
    if (!WriteDownloadParamsFile()) return DownloadFailed();
    const std::string program = JoinPath(ProgramFolderPath, "Tarquel");
    // A downloader killed in the middle of its writes leaves their temporary files in the set's
    // data folder and its result file's folder: the door removes them once it has ended. It
    // empties and fills the folder under the run's lock, which the run hands it: a downloader
    // that no run started takes the lock itself, and is refused while a run holds it.
    const FolderHold set(EodDataFolderPath);
    const ProgramId downloader = door().StartWatchedProgram(
        program, {DwnParamsFilePath}, {EodDataFolderPath, FolderOf(DwnResultFilePath)},
        set.descriptor());
    if (downloader == 0) {
        WriteActivityLog("Autorun mode - Tarquel cannot be started: " + program);
        return DownloadFailed();
    }
    const StartedDownloader started(downloader);
    DownloadFinished = false;
    SetDownloadingTimerInterval(kDownloadTimerMs);
    bool endedWithoutResult = false;
    while (!DownloadFinished) {
        {
            const EventsRun events;
            door().WaitForEvents(kDownloadWaitSliceMs);
        }
        if (DownloadFinished || door().ProgramRunning(downloader)) continue;
        // The downloader writes its result file before it ends: one last look.
        DownloadingTimer_Timer();
        endedWithoutResult = !DownloadFinished;
        break;
    }
    SetDownloadingTimerInterval(0);
    // The downloader writes its result again while it quits. Read now, the file could still
    // change; and a next run started at once would delete it, and could then read that late
    // write of this downloader as the result of its own. So the result counts only once the
    // downloader has ended; one that goes on running after its result fails the download.
    const bool ended = endedWithoutResult || WaitForDownloaderEnd(downloader);
    WriteActivityLog("Autorun mode - Downloading - End.");
    LogDownloaderErrorOutput(downloader);
    if (endedWithoutResult) {
        WriteActivityLog("Autorun mode - Tarquel ended without a result file: " +
                         DwnResultFilePath);
        return DownloadFailed();
    }
    if (!ended) {
        WriteActivityLog("Autorun mode - Tarquel has not ended after writing its result file: " +
                         DwnResultFilePath);
        EndDownloader(downloader);
        return DownloadFailed();
    }
    std::string first;
    try {
        const auto lines = ReadTextLines(DwnResultFilePath, 1);
        if (!lines.empty()) first = lines.front();
    } catch (const FileError&) {
        WriteActivityLog("Autorun mode - Result file cannot be read: " + DwnResultFilePath);
        return DownloadFailed();
    }
    if (TrimBlanks(first) != "OK") return DownloadFailed();
    return true;
}

void LogMissingListFiles(bool rebuilt);

// The failure of a rebuild that stopped with its own box: the old database, if any, is as it was
// and is not taken for the new one.
bool NotBuilt() {
    WriteActivityLog("Autorun mode - Creating History.mdb - Error - History.mdb was not built!");
    EndRun();
    return false;
}

// Rebuilds the set's "History.mdb" from the .csv files of its data folder with the set's
// structure file. After a download, a rebuild that finds no data names the list's files that
// did not arrive before its failure.
bool RebuildStep() {
    WriteActivityLog("Autorun mode - Creating History.mdb - Start.");
    ReadEODStructureFile();
    if (EodStruFieldCount != 4 || !EODStructureIsUsable())
        return Fail("Autorun mode - Creating History.mdb - Error in EOD data structure!",
                    kStructureError);
    History1RecordCount = 0;
    const long reportsBefore = ErrorHandlerReportsHere();
    bool built = false;
    RunGuarded([&] { built = ImportTextHistory(2, ImportSourcePath); });
    WriteActivityLog("Autorun mode - Creating History.mdb - End.");
    // An import or build that stopped with its own error box has said why (a database that
    // cannot be opened, a path too long); missing data would mislead.
    if (!built && ErrorHandlerReportsHere() != reportsBefore) return NotBuilt();
    if (History1RecordCount < 1) {
        // The files that did not arrive, as a run that found data names them.
        if (DownloadEOD == "YES") LogMissingListFiles(true);
        return Fail(
            "Autorun mode - Creating History.mdb - Error - Missing EOD history data! End of "
            "Autorun procedure!",
            "Missing EOD history data! End of Autorun procedure!\r\n" + kStructureError);
    }
    // The build stopped with its own message (trade dates that cannot be ordered).
    if (!built) return NotBuilt();
    return true;
}

// The files missing from the URL list that the log names one by one; one line counts the rest.
constexpr std::int32_t kMissingFilesNamed = 20;

// Whether the list's file is in the set's data folder: a regular file there under its name.
bool ArrivedInDataFolder(const std::string& name) {
    if (!IsSafeSaveName(name)) return false;  // the downloader refuses such a name
    std::error_code ec;
    return std::filesystem::is_regular_file(
        std::filesystem::symlink_status(JoinPath(EodDataFolderPath, name), ec));
}

// After the download (and the rebuild, when the run rebuilt): logs each file of the set's URL
// list, as far as the downloader takes the list (StockSymbolsMax), that is not in the data
// folder ("Not downloaded: ") or, after a rebuild, gave the import no row of EOD data ("No EOD
// rows in: "), each name once; past kMissingFilesNamed lines one line counts the rest. A symbol
// whose rows the build leaves out of the history (too few days) is not missing. Sets
// MissingListFiles; a list that cannot be read counts as one missing file.
void LogMissingListFiles(bool rebuilt) {
    MissingListFiles = 0;
    std::vector<std::string> entries;
    if (!ReadUrlList(EodUrlsFilePath, entries)) {
        WriteActivityLog("Autorun mode - The URL list cannot be read: " + EodUrlsFilePath);
        MissingListFiles = 1;
        return;
    }
    std::map<std::string, std::int64_t> importedRows;
    for (size_t k = 0; k < ImportFolderFileNames.size() && k < ImportFolderFileRows.size(); ++k)
        importedRows[ImportFolderFileNames[k]] = ImportFolderFileRows[k];
    std::set<std::string> checked;
    const int taken = ListEntriesTaken(static_cast<int>(entries.size()), StockSymbolsMax);
    for (int k = 0; k < taken; ++k) {
        // Named as the list writes it; compared as the file it names, as the import names it.
        const std::string name = SplitListEntry(entries[static_cast<size_t>(k)]).fileName;
        const std::string file = IsSafeSaveName(name) ? SaveNameInFolder(name) : name;
        if (!checked.insert(file).second) continue;
        std::string line;
        if (!ArrivedInDataFolder(name)) {
            line = "Not downloaded: " + name;
        } else if (rebuilt) {
            const auto it = importedRows.find(file);
            if (it == importedRows.end() || it->second < 1) line = "No EOD rows in: " + name;
        }
        if (line.empty()) continue;
        if (++MissingListFiles <= kMissingFilesNamed) WriteActivityLog(line);
    }
    if (MissingListFiles > kMissingFilesNamed)
        WriteActivityLog("And " + std::to_string(MissingListFiles - kMissingFilesNamed) +
                         " more files of the URL list not downloaded or without EOD rows.");
}

// Reads the set's command file with the parser; a failure ends the run with the general message.
bool ParseStep(void (*parse)()) {
    parse();
    return AutoRunError < 1 || Fail("Autorun mode - Error - " + AutoRunErrorText, kParametersError);
}

// Whether the run in `mode` may work on the folder that `hold` holds: false, after the failure
// line and the message, when another run, import or command holds its lock, or when the folder
// cannot be locked.
bool LockTaken(const FolderHold& hold, const std::string& mode) {
    if (hold.held()) return true;
    const std::string& folder = hold.folder();
    const std::string why =
        hold.inUse() ? "The data folder is in use by another run or import: " + folder
                     : "The data folder cannot be locked: " + folder + " (" + hold.error() + ")";
    return Fail(mode + " - Error - " + why, RefusalText(hold));
}

// Takes the lock of the set's data folder for the run, one at a time, whoever starts it: every
// run of a set writes there, since its load empties RESULTS. False, after the failure line and
// the message, when another run, import or command holds it or it cannot be taken. A run that
// `replaces` files (its download empties the folder, its rebuild replaces the database) makes a
// missing folder first, and is refused when it cannot be made. Where there is no folder the run
// goes on without a lock (FolderHold): its load fails, writing nothing.
bool HoldSetFolder(std::optional<FolderHold>& hold, bool replaces) {
    hold.emplace(EodDataFolderPath, replaces);
    return LockTaken(*hold, "Autorun mode");
}

// Loads the set's "History.mdb".
bool LoadSetStep() {
    if (!FileExists(HistoryDatabasePath))
        return Fail("Autorun mode - Error - There is no History.mdb to load!", kNoHistory);
    return LoadStep("Autorun mode");
}

// The three calculations of the autorun run, in their fixed order: switch, name, calculation
// command and report command.
struct Calculation {
    const std::string* asked;
    const char* name;
    const char* calculation;
    const char* report;
};

bool RunAutorun() {
    const std::string mode = "Autorun mode";
    WriteActivityLog("Autorun mode - Start.");
    SilentMode = -1;
    AutoRunMode = 1;
    MissingListFiles = 0;
    if (!Step(mode, "Reading the Autorun file", [] { return ParseStep(ReadAutorunFile); }))
        return false;
    // The run holds the set's folder from its download to its last report.
    std::optional<FolderHold> hold;
    if (!HoldSetFolder(hold, DownloadEOD == "YES" || CreateHistory == "YES")) return false;
    if (DownloadEOD == "YES" && !Step(mode, "Downloading", DownloadStep)) return false;
    if (CreateHistory == "YES" && !Step(mode, "Creating History.mdb", RebuildStep)) return false;
    if (DownloadEOD == "YES") LogMissingListFiles(CreateHistory == "YES");
    if (!Step(mode, "Loading History.mdb", LoadSetStep) || !ChartsStep(mode, AutorunDayCount()))
        return false;
    const Calculation calculations[] = {
        {&MarketSwingingSpecial, "Market Swinging Special", "mnuCalcMarketSwingingForSBSpecial",
         "mnuSaveAndShowMarketSpecialSwingingHTMLReport"},
        {&MarketSwinging, "Market Swinging", "mnuCalcMarketSwingingForSBOptimized",
         "mnuSaveAndShowMarketSwingingHTMLReport"},
        {&MarketTiming, "Market Timing", "mnuMarketTimingLightD", "mnuShowStockMarketTimingReport"},
    };
    for (const Calculation& c : calculations) {
        if (*c.asked != "YES") continue;
        if (!CalculationStep(mode, c.name, c.calculation, c.report)) return false;
    }
    WriteActivityLog("Autorun mode - End.");
    EndRun();
    return true;
}

bool RunDemonstration() {
    const std::string mode = "Demonstration mode";
    WriteActivityLog("Demonstration mode - Start.");
    SilentMode = -1;
    AutoRunMode = 1;
    // The program folder is the demonstration's data folder: the run empties its RESULTS and
    // writes its report there.
    std::optional<FolderHold> hold;
    const bool loaded = Step(mode, "Loading History.mdb", [&] {
        const std::string database = JoinPath(ProgramFolderPath, "History.mdb");
        if (FindFirst(database, EntryKind::Files).empty()) {
            door().Beep();
            EndRun();
            return false;
        }
        hold.emplace(ProgramFolderPath);
        if (!LockTaken(*hold, mode)) return false;
        const MainWindowBefore before;
        HistoryDatabasePath = database;
        ClearMainStatusLabels();
        DisableMainCommands();
        SetPathsFromHistoryDatabase();
        SetPathsFromDataFolder();
        if (FileExists(HistoryDatabasePath)) return LoadStep(mode, before);
        SetMainLabel(MainLabel::LoadedStockData, before.loaded);
        if (before.commands) EnableMainCommands();
        return Fail("Demonstration mode - Error - There is no History.mdb to load!", kNoHistory);
    });
    if (!loaded || !ChartsStep(mode, kDemonstrationDays) ||
        !CalculationStep(mode, "Market Timing", "mnuMarketTimingLightD",
                         "mnuShowStockMarketTimingReport"))
        return false;
    WriteActivityLog("Demonstration mode - End.");
    EndRun();
    return true;
}

bool RunLoadHistory() {
    const std::string mode = "Autorun mode";
    WriteActivityLog("Loading History.mdb - Start.");
    AutoRunMode = 1;
    if (!Step(mode, "Reading the Autorun file", [] { return ParseStep(ReadAutorunFileForLoad); }))
        return false;
    std::optional<FolderHold> hold;
    if (!HoldSetFolder(hold, false)) return false;
    if (!Step(mode, "Loading History.mdb", LoadSetStep) || !ChartsStep(mode, AutorunDayCount()))
        return false;
    WriteActivityLog("Loading History.mdb - End.");
    AutoRunMode = 0;
    return true;
}

// Removes the entry itself at the path, whatever it is (a link, also one to nothing, goes as a
// link); false, after the log line naming the old `what`, when it still stands.
bool RemoveOldEntry(const std::string& path, const std::string& what) {
    struct stat st {};
    if (RemoveFile(path) || ::lstat(path.c_str(), &st) != 0) return true;
    WriteActivityLog("Autorun mode - Old " + what + " cannot be deleted: " + path);
    return false;
}

// Runs a run; true when it reached its end line. An error that stops it still ends it, and goes
// on to the caller's command barrier.
bool RunToItsEnd(bool (*run)()) {
    try {
        return run();
    } catch (...) {
        EndRun();
        throw;
    }
}

}  // namespace

bool WriteDownloadParamsFile() {
    // The parameters file replaces the entry that stood there: a link left in its place would
    // have the parameters written, or a file created, wherever it points.
    if (!RemoveOldEntry(DwnParamsFilePath, "parameters file")) return false;
    try {
        WriteTextLines(DwnParamsFilePath,
                       {EodUrlsFilePath, EodDataFolderPath, DwnResultFilePath, StockSymbolsMax},
                       true);
    } catch (const FileError&) {
        WriteActivityLog("Autorun mode - Parameters file cannot be written: " + DwnParamsFilePath);
        return false;
    }
    // Read as this download's result, an old "OK" would pass for success, and a link left there
    // would take the new result wherever it points.
    return RemoveOldEntry(DwnResultFilePath, "result file");
}

bool StopActiveRun(const std::string& why) {
    if (!UnattendedRun.RunActive) return false;
    WriteActivityLog(UnattendedRun.Mode + " - Error - " + why);
    if (UnattendedRun.Downloader != 0) EndDownloader(UnattendedRun.Downloader);
    EndRun();
    return true;
}

bool RunAutorunMode() {
    ActiveRun run("Autorun mode");
    return run.started() && RunToItsEnd(RunAutorun);
}

void RunDemonstrationMode() {
    ActiveRun run("Demonstration mode");
    if (run.started()) RunToItsEnd(RunDemonstration);
}

void RunAutorunLoadHistory() {
    ActiveRun run("Autorun mode");
    if (run.started()) RunToItsEnd(RunLoadHistory);
}

}  // namespace vel
