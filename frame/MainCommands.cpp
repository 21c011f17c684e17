// The commands of the main window.
#include "MainCommands.h"

#include <algorithm>
#include <optional>

#include "ActivityLog.h"
#include "AppPaths.h"
#include "AppState.h"
#include "BrowserLauncher.h"
#include "DirectoryListing.h"
#include "Door.h"
#include "EntryPoints.h"
#include "FileDialogs.h"
#include "FilePaths.h"
#include "FolderHold.h"
#include "Hooks.h"
#include "HtmlReport.h"
#include "MainWindowView.h"
#include "SmallRoutines.h"
#include "VectorStores.h"

namespace vel {

const std::array<ToolbarButton, 8> kToolbarButtons{{
    {"HELP", "help", "Show basic information about program."},
    {"DEMO", "demo", "Load  demo History.mdb and execute Market Timing demo"},
    {"EDIT", "edit", "Edit selected Autorun file."},
    {"AUTO", "autorun", "Execute selected Autorun file"},
    {"LOAD", "load", "Load History.mdb corresponding to Autorun file."},
    {"FIND", "find", "Find History.mdb and load it into memory"},
    {"CHARTS", "charts", "Show Charts form"},
    {"EXIT", "exit", "Program termination"},
}};

namespace {

// The dialog of every command that works on a history database. Returns the chosen path;
// "" when cancelled, and "" after a beep when the chosen file does not exist.
std::string ChooseHistoryDatabase() {
    const std::string path =
        ShowOpenFileDialog("Select History.mdb database", "Database (History.mdb)|history.mdb");
    if (path.empty()) return {};
    if (!FileExists(path)) {
        door().Beep();
        return {};
    }
    return path;
}

// Runs a split command on a chosen database.
template <class F>
void RunOnChosenDatabase(const F& entry, const std::string& name) {
    const std::string path = ChooseHistoryDatabase();
    if (!path.empty()) RunEntryPoint(entry, name, path);
}

void TakeAutorunFileName() {
    AutoRunFileName = TrimBlanks(AutorunListText());
}

}  // namespace

const char* const kRegionalSettingsRemark =
    "You have to use English(US) regional settings when downloading EOD stock history from "
    "YAHOO!";

void frmMain_Form_Load() {
    CommonDialogFolder = ProgramFolderPath;
    YieldToEvents();
    DisableMainCommands();
    CreateVectorStores();
    ClearMainStatusLabels();
    SetMainLabel(MainLabel::Remark, kRegionalSettingsRemark);
    YieldToEvents();
    RefreshComboBoxOfAutoRunFiles();
    YieldToEvents();
}

void RefreshComboBoxOfAutoRunFiles() {
    std::vector<std::string> names;
    if (!ProgramFolderPath.empty())
        names = ListDirectory(ProgramFolderPath, "*.autorun", EntryKind::Files);
    if (names.size() > static_cast<size_t>(kMaxAutorunListItems))
        names.resize(kMaxAutorunListItems);
    SetAutorunList(names);
    YieldToEvents();
}

void Toolbar1_ButtonClick(const std::string& key) {
    if (key == "help")
        mnuViewHelpFile_Click();
    else if (key == "demo")
        mnuDemonstration_Click();
    else if (key == "edit")
        mnuEditAutorunFile_Click();
    else if (key == "autorun")
        mnuAutorun_Click();
    else if (key == "load")
        mnuLoad_Click();
    else if (key == "find")
        mnuLoadHistory_Click();
    else if (key == "charts")
        mnuStockChartsAndScreening_Click();
    else if (key == "exit")
        mnuEndOfProgram_Click();  // closing the main window ends the program
}

void DownloadingTimer_Timer() {
    if (FileExists(DwnResultFilePath)) {
        DownloadFinished = true;
        SetDownloadingTimerInterval(0);
    }
}

void mnuLoadHistory_Click() {
    // A second long command only beeps, before anything of the running one is touched.
    if (RefusedWhileBusy()) return;
    const std::string path = ChooseHistoryDatabase();
    if (path.empty()) return;
    // A failed load keeps the previous history: its label and its commands come back.
    const std::string loadedBefore = MainLabelText(MainLabel::LoadedStockData);
    const bool commandsBefore = HistoryCommandsEnabled();
    HistoryDatabasePath = path;
    ClearMainStatusLabels();
    DisableMainCommands();
    SetPathsFromHistoryDatabase();
    SetPathsFromDataFolder();
    const bool loaded = RunEntryPoint(HistoryCommands.LoadHistory, "LoadHistory");
    ResetProgressDisplay();
    SetMainLabel(MainLabel::LoadedStockData, loaded ? HistoryDatabasePath : loadedBefore);
    if (loaded || commandsBefore) EnableMainCommands();
}

void mnuImportFromText_Click() {
    RunEntryPoint(HistoryCommands.ImportHistoryFromText, "ImportHistoryFromText");
}

void mnuEstimateSplitEvents_Click() {
    RunOnChosenDatabase(HistoryCommands.EstimateSplitEvents, "EstimateSplitEvents");
}

void mnuEditEstimatedStockSplits_Click() {
    RunOnChosenDatabase(HistoryCommands.EditSplitEvents, "EditSplitEvents");
}

void mnuUpdateSplitCoeficients_Click() {
    RunOnChosenDatabase(HistoryCommands.UpdateSplitCoefficients, "UpdateSplitCoefficients");
}

void mnuRemoveSplitCoeficients_Click() {
    RunOnChosenDatabase(HistoryCommands.RemoveSplitCoefficients, "RemoveSplitCoefficients");
}

void mnuViewSplitCoeficients_Click() {
    const std::string path = ChooseHistoryDatabase();
    if (path.empty()) return;
    const std::string report = JoinPath(ProgramFolderPath, "UserAdjustedStockSplits.html");
    if (RunEntryPoint(HistoryCommands.WriteUserAdjustedSplitsReport,
                      "WriteUserAdjustedSplitsReport", path, report))
        ShowFileInBrowser(report);
}

void mnuDownloadFromWeb_Click() {
    StartProgramOrReport(JoinPath(ProgramFolderPath, "Tarquel"), {}, WindowShow::Maximized);
}

void mnuDemonstration_Click() {
    RunEntryPoint(AutomationCommands.RunDemonstrationMode, "RunDemonstrationMode");
}

void mnuAutorun_Click() {
    TakeAutorunFileName();
    RunEntryPoint(AutomationCommands.RunAutorunMode, "RunAutorunMode");
}

void mnuLoad_Click() {
    TakeAutorunFileName();
    RunEntryPoint(AutomationCommands.RunAutorunLoadHistory, "RunAutorunLoadHistory");
}

void mnuEditAutorunFile_Click() {
    TakeAutorunFileName();
    OpenInTextEditorOrReport(JoinPath(ProgramFolderPath, AutoRunFileName));
}

void mnuStockChartsAndScreening_Click() {
    ShowChartsScreen();
}

bool ShowChartsScreen() {
    ArrangeChildWindows(ArrangeMode::Cascade);
    const bool shown = RunEntryPoint(ChartsCommands.ShowChartWindow, "ShowChartWindow");
    YieldToEvents();
    return shown;
}

void mnuFindPseudoSplits_Click() {
    if (RunEntryPoint(HistoryCommands.WritePseudoSplitsReport, "WritePseudoSplitsReport"))
        ShowFileInBrowser(JoinPath(ResultsFolderPath, "PseudoSplits.html"));
}

void mnuUserAdjustedSplits_Click() {
    if (HistoryDatabasePath.empty() || !FileExists(HistoryDatabasePath)) {
        door().Beep();
        return;
    }
    const std::string report = JoinPath(ResultsFolderPath, "UserAdjustedStockSplits.html");
    // Held before RESULTS is made, so that a refused command makes nothing.
    std::optional<FolderHold> hold;
    if (!HoldResultsFolder(hold)) return;
    if (RunEntryPoint(HistoryCommands.WriteUserAdjustedSplitsReport,
                      "WriteUserAdjustedSplitsReport", HistoryDatabasePath, report))
        ShowFileInBrowser(report);
}

void mnuViewHelpFile_Click() {
    ShowFileInBrowser(JoinPath(ProgramFolderPath, "VellicorHelp.html"));
}

void mnuViewFAQ_Click() {
    ShowFileInBrowser(JoinPath(ProgramFolderPath, "faq.html"));
}

void mnuVisitProgramWebSite_Click() {
    ShowFileInBrowser(ProgramWebPageAddress());
}

void mnuMailOpinion_Click() {
    ShowFileInBrowser(JoinPath(ProgramFolderPath, "opinion.html"));
}

void mnuShowProgramFolder_Click() {
    ShowFolderInBrowser(ProgramFolderPath);
}

void mnuCascade_Click() {
    ArrangeChildWindows(ArrangeMode::Cascade);
    YieldToEvents();
}

void mnuTileHorizontally_Click() {
    ArrangeChildWindows(ArrangeMode::TileHorizontal);
    YieldToEvents();
}

void mnuTileVertically_Click() {
    ArrangeChildWindows(ArrangeMode::TileVertical);
    YieldToEvents();
}

namespace {

// Stops an unattended run that is still active, as a failure with the reason; true when one was.
bool StopActiveRun(const std::string& why) {
    if (!AutomationCommands.StopActiveRun) return false;
    try {
        return AutomationCommands.StopActiveRun(why);
    } catch (const std::exception&) {
        // The program ends all the same, as after a failed run.
        return true;
    }
}

}  // namespace

void mnuEndOfProgram_Click() {
    EndProgram(StopActiveRun("The run was stopped by the end of the program!") ? 1 : 0);
}

void EndProgramOnSignal() {
    const bool stopped = StopActiveRun("The run was stopped by a signal!");
    EndProgram(stopped || !door().HasDisplay() ? 1 : 0);
}

void EndProgram(int status) {
    WriteActivityLog("Exiting Vellicor.");
    door().EndProcess(status);
}

}  // namespace vel
