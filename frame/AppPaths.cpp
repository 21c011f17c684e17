// The path table and the main window's command state.
#include "AppPaths.h"

#include <filesystem>
#include <system_error>

#include "AppState.h"
#include "DirectoryListing.h"
#include "Door.h"
#include "FilePaths.h"
#include "Hooks.h"
#include "MainWindowView.h"
#include "Progress.h"
#include "WholeFile.h"

namespace fs = std::filesystem;

namespace vel {

namespace {

const char* const kHistoryName = "History";
const char* const kHistoryFileName = "History.mdb";
const char* const kResultsFolderName = "RESULTS/";

void ShowFolderProblem(const std::string& first, const std::string& second) {
    door().MessageBox(first + "\r\n" + second, "Vellicor", MsgButtons::OK);
}

// The status of the RESULTS folder, asked without its trailing "/", which would make the system
// follow a link: a RESULTS that is a link is seen as one.
fs::file_status ResultsFolderStatus() {
    std::error_code ec;
    return fs::symlink_status(ResultsFolderPath.substr(0, ResultsFolderPath.size() - 1), ec);
}

// Creates the missing RESULTS folder; false after its box when it cannot be.
bool CreateResultsFolder() {
    std::error_code ec;
    if (fs::create_directory(ResultsFolderPath, ec) && !ec) return true;
    ShowFolderProblem("RESULTS folder cannot be created!", ResultsFolderPath);
    return false;
}

}  // namespace

void SetPathsFromImportSource() {
    DataFolderPath.clear();
    HistoryName.clear();
    HistoryFileName.clear();
    const std::string source = ImportSourcePath.empty() ? HistoryDatabasePath : ImportSourcePath;
    HistoryDatabasePath.clear();
    ImportFileExtension.clear();

    const std::string name = source.empty() ? std::string() : FindFirst(source, EntryKind::Files);
    if (name.empty()) {
        ImportSourceStatus = 1;
        return;
    }
    // The folder part of the source: the found name may differ in length from a last part
    // with wildcards ("/data/eod/*.csv" finding "aapl.csv").
    const std::string folder = FolderOf(source);
    if (ImportSourceType == 2) {
        const size_t dot = name.rfind('.');
        if (dot != std::string::npos && dot > 0) ImportFileExtension = name.substr(dot + 1);
    }
    DataFolderPath = AsFolderPath(folder);
    HistoryName = kHistoryName;
    HistoryFileName = kHistoryFileName;
    HistoryDatabasePath = JoinPath(DataFolderPath, HistoryFileName);
    ImportSourceStatus = 0;
}

void SetPathsFromDataFolder() {
    HistoryName = kHistoryName;
    HistoryFileName = kHistoryFileName;
    HistoryDatabasePath = JoinPath(DataFolderPath, HistoryFileName);
    ResultsFolderPath = JoinPath(DataFolderPath, kResultsFolderName);
    ResultsName = "Results";
    ResultsFileName = "Results.mdb";
    ResultsDatabasePath = JoinPath(ResultsFolderPath, ResultsFileName);
    ResultsReportPath = JoinPath(ResultsFolderPath, "Vellicor.html");
    ImportFileExtension.clear();
}

void SetPathsFromHistoryDatabase() {
    const std::string chosen = HistoryDatabasePath;
    DataFolderPath.clear();
    HistoryName.clear();
    HistoryFileName.clear();
    HistoryDatabasePath.clear();
    if (chosen.empty()) return;
    const std::string name = FindFirst(chosen, EntryKind::Files);
    if (name.empty()) {
        door().Beep();
        return;
    }
    DataFolderPath = AsFolderPath(FolderOf(chosen));
    SetPathsFromDataFolder();
}

bool PrepareResultsFolder() {
    const std::string expected =
        DataFolderPath.empty() ? std::string() : JoinPath(DataFolderPath, kResultsFolderName);
    if (DataFolderPath.empty() || !fs::path(DataFolderPath).is_absolute() ||
        ResultsFolderPath != expected) {
        ShowFolderProblem(
            "RESULTS folder cannot be prepared!",
            "Data folder path is not set or is not a full path: \"" + DataFolderPath + "\"");
        return false;
    }
    // A RESULTS that is a link is refused, never emptied where it points.
    const auto st = ResultsFolderStatus();
    if (!fs::exists(st)) return CreateResultsFolder();
    if (!fs::is_directory(st)) {
        ShowFolderProblem("RESULTS folder cannot be prepared!",
                          "It is a link or not a folder: " + ResultsFolderPath);
        return false;
    }
    // Every entry but a folder goes, a link of any kind as a link: one left pointing nowhere
    // would take the next report wherever it points.
    bool ok = true;
    for (const auto& name : ListNonFolderEntries(ResultsFolderPath)) {
        const std::string path = JoinPath(ResultsFolderPath, name);
        if (!RemoveFile(path)) {
            ShowFolderProblem("File in RESULTS folder cannot be deleted!", path);
            ok = false;
            break;
        }
    }
    return ok;
}

bool EnsureResultsFolder() {
    return ResultsFolderPath.empty() || fs::exists(ResultsFolderStatus()) || CreateResultsFolder();
}

void DisableMainCommands() {
    SetHistoryCommandsEnabled(false);
    YieldToEvents();
}

void EnableMainCommands() {
    SetHistoryCommandsEnabled(true);
    YieldToEvents();
}

void ClearMainStatusLabels() {
    SetMainLabel(MainLabel::LoadedStockData, "");
    SetMainLabel(MainLabel::PerformedTask, "");
    SetMainLabel(MainLabel::PerformedAction, "");
    SetMainLabel(MainLabel::Remark, "");
    ProgressEnd();
    YieldToEvents();
}

void ResetProgressDisplay() {
    SetMainLabel(MainLabel::PerformedTask, "");
    SetMainLabel(MainLabel::PerformedAction, "");
    ProgressEnd();
    YieldToEvents();
}

}  // namespace vel
