// The interactive import: the source dialog (what to import and which file), the column
// dialog (which column holds the symbol, the date, the price and the volume), their
// validation, and the run from the main window's command. The dialogs are forms: plain state
// and event procedures here, shown modally through the door (the program's windows, or a
// test's script).
#pragma once

#include <array>
#include <string>

namespace vel {

// The dialog "Historical EOD data selection.": the kind of source (1 one text file, 2 a
// folder of text files chosen through one of them, 3 an existing History.mdb) and its path.
class HistoryImportForm {
public:
    // ImportSourceType 2; ImportSourcePath, HistoryDatabasePath, BrowserPath and the path box
    // emptied.
    void Form_Load();
    // Choosing another kind empties the path; the kind already chosen keeps it.
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    // The open-file dialog for the kind: the chosen path (or "" when cancelled) into the box.
    void cmdBrowse_Click();
    // ImportSourcePath = the path box (typed or browsed); the dialog unloads.
    void cmdContinueEODselect_Click();
    // ImportSourcePath emptied; the dialog unloads. Closing the window counts as this.
    void cmdCancel_Click();

    bool Option(int k) const { return option_[static_cast<size_t>(k - 1)]; }
    bool Unloaded() const { return unloaded_; }
    std::string Text1;  // the path box; the window writes what the user types into it

    static constexpr const char* kCaption = "Historical EOD data selection.";

private:
    void SelectType(int type);
    void DefineEODDataStruRadioButtons();
    std::array<bool, 3> option_{};
    bool unloaded_ = false;
};

// The dialog "Import file(s) structure description.": the analysis preview and the four
// column numbers.
class ColumnNumberForm {
public:
    // The preview into Text1, the four number boxes emptied.
    void Form_Load();
    // Valid numbers: ColNumSelAccepted 1; otherwise 0 and a beep. The dialog unloads either way.
    void cmdContinue_Click();
    // ColNumSelAccepted 0; the dialog unloads. Closing the window counts as this.
    void cmdCancel_Click();

    bool Unloaded() const { return unloaded_; }
    std::string Text1;  // the preview
    std::string Text2;  // symbol column
    std::string Text3;  // date column
    std::string Text4;  // price column
    std::string Text5;  // volume column

    static constexpr const char* kCaption = "Import file(s) structure description.";

private:
    bool unloaded_ = false;
};

// Empties the role names, then accepts the four column numbers (symbol, date, price, volume)
// when each is a whole number from 1 to 19, the four differ, and the analysis found a type for
// each column; then names the roles "Symbol", "TradeDate", "Price", "Volume" and returns true.
// A text that is not a number counts as 0; a number with a fraction is refused.
bool ValidateImportColumnNumbers(const std::string& symbol, const std::string& date,
                                 const std::string& price, const std::string& volume);

// The main window's command "Create History.mdb from text file(s)": the source dialog, the
// paths from the chosen file, then the analysis and column dialog (text sources) and the
// import and build; a path that names no file gives "<path>  is not valid file path!".
void ImportHistoryFromText();
// Types 1 and 2: the analysis and the column dialog; type 3: the build of the chosen database.
void PrepareTextImport();
// Types 1 and 2: the text import into a new "History.mdb" (ImportTextHistory), which replaces
// the old one only when complete, then the EOD structure file of its columns (the automation
// entry point SaveEODStructure); type 3: the build of the chosen database in place. A failed
// step ends the run (its error was shown); nothing is built from a partial import. The import
// holds the lock of the database's folder (FolderHold) while it works; while an unattended run
// or another import holds it, the import is refused with "The data folder is in use by another
// run or import!" and the folder, and builds nothing.
void RunHistoryImport();

}  // namespace vel
