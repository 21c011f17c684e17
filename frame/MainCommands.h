// The commands of the main window: one procedure per menu item (the toolbar runs the same
// procedures through its keys), the load of the window with its autorun list, the downloading
// timer and the end of the program. The unattended runs call ShowChartsScreen, the chart
// window's quit command calls mnuEndOfProgram_Click.
#pragma once

#include <array>
#include <string>

namespace vel {

// A toolbar button: its caption, its key and its tool tip (the description is the same text
// without a final period).
struct ToolbarButton {
    const char* caption;
    const char* key;
    const char* toolTip;
};
extern const std::array<ToolbarButton, 8> kToolbarButtons;

// The remark the load shows in the status panel.
extern const char* const kRegionalSettingsRemark;

// The most names the autorun list holds.
constexpr int kMaxAutorunListItems = 1000;

// The load of the main window (after it installed its view): the dialogs' first folder,
// the history-dependent commands off, new vector stores, empty status labels with the
// regional-settings remark, and the autorun list.
void frmMain_Form_Load();
// Fills the autorun list with the first kMaxAutorunListItems ".autorun" files of the
// program folder in name order and selects the first.
void RefreshComboBoxOfAutoRunFiles();
// Runs the command of the toolbar key ("help", "demo", ..., "exit"); other keys do nothing.
void Toolbar1_ButtonClick(const std::string& key);
// While an unattended download runs: sets DownloadFinished and stops the timer once the
// downloader's result file DwnResultFilePath exists.
void DownloadingTimer_Timer();

// Stock data menu.
void mnuLoadHistory_Click();
void mnuImportFromText_Click();
void mnuEstimateSplitEvents_Click();
void mnuEditEstimatedStockSplits_Click();
void mnuUpdateSplitCoeficients_Click();
void mnuRemoveSplitCoeficients_Click();
void mnuViewSplitCoeficients_Click();
void mnuDownloadFromWeb_Click();
// Processing menu.
void mnuDemonstration_Click();
void mnuAutorun_Click();
void mnuLoad_Click();
void mnuEditAutorunFile_Click();
void mnuStockChartsAndScreening_Click();
// What that command does: cascades the windows and shows the chart window; true when the chart
// window was shown, false when that stopped with an error (reported in the error-handler box).
bool ShowChartsScreen();
void mnuFindPseudoSplits_Click();
void mnuUserAdjustedSplits_Click();
// Help menu.
void mnuViewHelpFile_Click();
void mnuViewFAQ_Click();
void mnuVisitProgramWebSite_Click();
void mnuMailOpinion_Click();
void mnuShowProgramFolder_Click();
// Window menu.
void mnuCascade_Click();
void mnuTileHorizontally_Click();
void mnuTileVertically_Click();
// Exit menu: logs "Exiting Vellicor." and ends the process; nothing is saved or asked. An
// unattended run that is still active is stopped first, as a failure ("<mode> - Error - The run
// was stopped by the end of the program!", its downloader ended), and the status is then 1;
// otherwise 0.
void mnuEndOfProgram_Click();
// SIGTERM, SIGINT and SIGHUP: the end command, with an active run stopped as "<mode> - Error - The
// run was stopped by a signal!". The status is 1 when it stopped a run, and always without a
// display, where the program lives only for its run and a signal ends it before the run's own end;
// with a display and no run, 0.
void EndProgramOnSignal();
// Logs "Exiting Vellicor." and ends the process with the status.
void EndProgram(int status);

}  // namespace vel
