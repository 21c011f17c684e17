// The path table of the program (data folder, history database, RESULTS folder and the fixed
// names in it, all in AppState) and the procedures that derive it from a chosen import
// source, a data folder or a chosen history database; the preparation of the RESULTS folder
// before a load; the switching of the main window's history-dependent commands and the
// clearing of its status labels.
#pragma once

namespace vel {

// From ImportSourcePath (or, when that is empty, the current HistoryDatabasePath): the data
// folder is the source's folder; HistoryDatabasePath is "History.mdb" in it; for a folder of
// text files (ImportSourceType 2) ImportFileExtension is the chosen file's extension. Sets
// ImportSourceStatus 0, or 1 with the paths left empty when the source is empty or missing.
void SetPathsFromImportSource();

// From DataFolderPath (not tested for existence): "History.mdb" in it and the RESULTS
// folder "RESULTS/" with "Results.mdb" and "Vellicor.html"; ImportFileExtension emptied.
void SetPathsFromDataFolder();

// From the chosen HistoryDatabasePath: its folder becomes the data folder and the database is
// addressed as "History.mdb" there, whatever name was chosen. A missing file beeps and leaves
// the paths empty; an empty path leaves them empty.
void SetPathsFromHistoryDatabase();

// Creates the RESULTS folder (one level) or deletes every entry in it that is not a folder
// (files, links of every kind without following them; subfolders stay), so a load starts with
// an empty RESULTS folder. Refuses with a message, deleting nothing, when
// DataFolderPath is empty or not absolute, ResultsFolderPath is not its "RESULTS/" folder, or
// RESULTS is a symbolic link or no folder;
// a folder that cannot be created or a file that cannot be deleted is reported too. True when
// the folder exists and holds no files afterwards.
bool PrepareResultsFolder();

// Makes the RESULTS folder again before a report writes into it: the history load prepares it,
// but a user may remove it while the history stays loaded, and every file of a report would then
// fail on its own. Makes ResultsFolderPath (one level) when nothing stands under its name. True
// when there is nothing to make (the path is empty, or something stands there: a writer into a
// non-folder reports its own failure) or the folder was made. Otherwise shows "RESULTS folder
// cannot be created!" with the path in a box titled "Vellicor" and returns false; the report
// then writes nothing.
bool EnsureResultsFolder();

// The history-dependent commands of the main window off / on; then a yield.
void DisableMainCommands();
void EnableMainCommands();

// Empties the four status labels, ends the progress display and yields.
void ClearMainStatusLabels();
// Empties the task and action labels, ends the progress display and yields.
void ResetProgressDisplay();

}  // namespace vel
