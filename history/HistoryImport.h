// The import procedures as the program runs them: the analysis of the chosen file, the new
// "History.mdb" with its raw table History1, and the import of one text file or of every text
// file of the data folder, with the status labels, the progress bar, the hourglass and the
// activity log. Each procedure runs in a transaction and reports a failure in the
// error-handler form; it then leaves the database as it was and returns false.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "HistoryState.h"

namespace vel {

// The most files one folder import takes (the first ones in name order).
constexpr int kMaxImportFolderFiles = 10000;

// ImportFolderFileCount and ImportFolderFileNames, the files of the last folder import:
// HistoryState.h.

// Types the 20 columns from the file and builds the preview (EodImport.h). False, after the
// error message, when the file cannot be read.
bool AnalyzeTextFileColumns(const std::string& path);

// Creates DataFolderPath when missing, deletes an existing database at HistoryDatabasePath and
// makes a new one with the empty table History1 of the columns that carry a role.
// ErrorPosition 32.
bool CreateHistoryDatabase();

// Appends the matching lines of the text file to the table of the database.
bool ImportSingleTextFile(const std::string& databasePath, const std::string& table,
                          const std::string& filePath);

// Imports every file of DataFolderPath whose name ends with "." and ImportFileExtension (any
// case; with no extension, the names without one), at most the first 10000 in name order,
// logging each. All files or none: a failure leaves the table as it was.
bool ImportHistoryFolderFiles(const std::string& databasePath, const std::string& table);

}  // namespace vel
