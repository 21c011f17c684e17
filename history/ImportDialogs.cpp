// The interactive import: its two dialogs, the column validation and the run.
#include "ImportDialogs.h"

#include <cmath>

#include "AppPaths.h"
#include "AppState.h"
#include "Door.h"
#include "EntryPoints.h"
#include "EodImport.h"
#include "FileDialogs.h"
#include "FilePaths.h"
#include "FolderHold.h"
#include "HistoryBuild.h"
#include "HistoryImport.h"
#include "HistoryLoad.h"
#include "Hooks.h"
#include "SmallRoutines.h"
#include "TextFile.h"

namespace vel {

namespace {

// A column number as typed: a whole number, else 0.
int ColumnNumber(const std::string& text) {
    const auto n = ReadNumberField(text);
    if (!n || *n != std::floor(*n) || std::fabs(*n) > 1e6) return 0;
    return static_cast<int>(*n);
}

}  // namespace

// ---- frmHistoryImport --------------------------------------------------------------------

void HistoryImportForm::Form_Load() {
    unloaded_ = false;
    ImportSourceType = 2;
    ImportSourcePath.clear();
    HistoryDatabasePath.clear();
    BrowserPath.clear();
    Text1.clear();
    YieldToEvents();
    DefineEODDataStruRadioButtons();
}

void HistoryImportForm::SelectType(int type) {
    if (type != ImportSourceType) {
        ImportSourceType = static_cast<std::int16_t>(type);
        ImportSourcePath.clear();
        HistoryDatabasePath.clear();
        Text1.clear();
        YieldToEvents();
    }
    DefineEODDataStruRadioButtons();
}

void HistoryImportForm::Option1_Click() {
    SelectType(1);
}
void HistoryImportForm::Option2_Click() {
    SelectType(2);
}
void HistoryImportForm::Option3_Click() {
    SelectType(3);
}

void HistoryImportForm::DefineEODDataStruRadioButtons() {
    for (int k = 1; k <= 3; ++k) option_[static_cast<size_t>(k - 1)] = ImportSourceType == k;
    YieldToEvents();
}

void HistoryImportForm::cmdBrowse_Click() {
    HistoryDatabasePath.clear();
    if (ImportSourceType == 1 || ImportSourceType == 2)
        ImportSourcePath =
            ShowOpenFileDialog("Select historical text data for importing.",
                               "Text files (*.txt; *.csv)|*.txt;*.csv;|All (*.*)|*.*");
    else
        ImportSourcePath = ShowOpenFileDialog("Select History.mdb database for importing.",
                                              "History.mdb database (History.mdb)|History.mdb");
    Text1 = ImportSourcePath;
    DefineEODDataStruRadioButtons();
}

void HistoryImportForm::cmdContinueEODselect_Click() {
    ImportSourcePath = Text1;
    unloaded_ = true;
}

void HistoryImportForm::cmdCancel_Click() {
    ImportSourcePath.clear();
    unloaded_ = true;
}

// ---- frmColNumSel ------------------------------------------------------------------------

void ColumnNumberForm::Form_Load() {
    unloaded_ = false;
    Text1 = ImportPreviewText;
    Text2.clear();
    Text3.clear();
    Text4.clear();
    Text5.clear();
}

void ColumnNumberForm::cmdContinue_Click() {
    ColNumSelDone = 1;
    if (ValidateImportColumnNumbers(Text2, Text3, Text4, Text5)) {
        ColNumSelAccepted = 1;
    } else {
        ColNumSelAccepted = 0;
        door().Beep();
    }
    unloaded_ = true;
}

void ColumnNumberForm::cmdCancel_Click() {
    ColNumSelDone = 1;
    ColNumSelAccepted = 0;
    unloaded_ = true;
}

bool ValidateImportColumnNumbers(const std::string& symbol, const std::string& date,
                                 const std::string& price, const std::string& volume) {
    for (int c = 1; c <= kImportColumns; ++c) ImportColumnName(c).clear();
    const int n[4] = {ColumnNumber(symbol), ColumnNumber(date), ColumnNumber(price),
                      ColumnNumber(volume)};
    for (int i = 0; i < 4; ++i) {
        if (n[i] < 1 || n[i] > 19) return false;
        for (int j = 0; j < i; ++j)
            if (n[i] == n[j]) return false;
        if (ImportColumnType(n[i]) <= 0) return false;
    }
    ImportColumnName(n[0]) = "Symbol";
    ImportColumnName(n[1]) = "TradeDate";
    ImportColumnName(n[2]) = "Price";
    ImportColumnName(n[3]) = "Volume";
    return true;
}

// ---- the import --------------------------------------------------------------------------

void ImportHistoryFromText() {
    HistoryImportForm form;
    form.Form_Load();
    // A dialog that is not shown (no window may block) or closed without its buttons counts
    // as cancelled.
    door().ShowForm(form);
    if (!form.Unloaded()) form.cmdCancel_Click();
    YieldToEvents();
    if (FileExists(ImportSourcePath)) {
        SetPathsFromImportSource();
        if (ImportSourceStatus != 0) return;
        ColNumSelAccepted = 0;  // only the column dialog of this import counts
        PrepareTextImport();
        if ((ImportSourceType == 1 || ImportSourceType == 2) && ColNumSelAccepted == 1)
            RunHistoryImport();
    } else if (!TrimBlanks(ImportSourcePath).empty()) {
        door().MessageBox(TrimBlanks(ImportSourcePath) + "  is not valid file path!", "Vellicor",
                          MsgButtons::OK);
        YieldToEvents();
    }
}

void PrepareTextImport() {
    if (ImportSourceType == 3) {
        RunHistoryImport();
        return;
    }
    if (!AnalyzeTextFileColumns(ImportSourcePath)) return;
    for (int c = 1; c <= kImportColumns; ++c) ImportColumnName(c).clear();
    ColumnNumberForm form;
    form.Form_Load();
    form.Text1 = ImportPreviewText;
    door().ShowForm(form);
    if (!form.Unloaded()) form.cmdCancel_Click();
    YieldToEvents();
}

void RunHistoryImport() {
    // This import's files, whatever another command sets while this one yields.
    const std::string database = HistoryDatabasePath;
    const std::string source = ImportSourcePath;
    const std::string folder = FolderOf(database);
    // While another run or import works on the folder, its download or rebuild goes on untouched.
    // The import makes a new set's folder, so the folder is made here and locked before it.
    const FolderHold hold(folder, true);
    if (!HeldForWriting(hold)) return;
    switch (ImportSourceType) {
        case 1:
        case 2:
            // The columns of an import that worked are kept for the unattended rebuilds.
            if (ImportTextHistory(ImportSourceType, source))
                RunEntryPoint(AutomationCommands.SaveEODStructure, "SaveEODStructure");
            break;
        case 3:
            BuildHistoryDatabase(database);
            break;
        default:
            break;
    }
}

}  // namespace vel
