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

// ImportFolderFileCount, ImportFolderFileNames and ImportFolderFileRows, the files of the last
// folder import and the rows each gave: HistoryState.h.

// Types the 20 columns from the file and builds the preview (EodImport.h). False, after the
// error message, when the file cannot be read.
bool AnalyzeTextFileColumns(const std::string& path);

// The name a text import builds its new database under, beside the database it replaces: the
// path with ".new" appended.
std::string NewHistoryDatabasePath(const std::string& databasePath);

// Creates DataFolderPath when missing and, at NewHistoryDatabasePath(HistoryDatabasePath), a
// new database with the empty table History1 of the columns that carry a role (a leftover of an
// import that was killed is removed first). The database at HistoryDatabasePath is not
// touched. Until it replaces that one or is discarded, the new database is an unfinished file
// (UnfinishedFiles.h), which an end of the program removes. ErrorPosition 32.
bool CreateHistoryDatabase();
// Puts the completed new database in the place of the one at the path (a rename, made durable);
// the previous database is gone afterwards. False after the error message, both unchanged.
bool ReplaceHistoryDatabase(const std::string& databasePath);
// Removes the new database of an import that failed.
void DiscardNewHistoryDatabase(const std::string& databasePath);

// Appends the matching lines of the text file to the table of the database.
bool ImportSingleTextFile(const std::string& databasePath, const std::string& table,
                          const std::string& filePath);

// Imports every regular file of DataFolderPath whose name ends with "." and
// ImportFileExtension (any case; with no extension, the names without one), at most the first
// 10000 in name order, logging each; an entry of such a name that is no regular file (a FIFO,
// a device, a broken link) is skipped with a log line. All files or none: a failure leaves the
// table as it was.
bool ImportHistoryFolderFiles(const std::string& databasePath, const std::string& table);

// The text import into "History.mdb" at HistoryDatabasePath: one file (source type 1, the
// file `source`) or the files of the data folder (type 2). Refused with the no-dates message
// when the analysis typed the TradeDate column as text; otherwise the new database is created
// beside the old one, filled, built, and only then put in its place, followed by the final
// message. On any failure (shown by its step), or when no line was imported, the new database
// is removed and the previous "History.mdb" stays as it was; a killed import leaves it as it
// was too. True when "History.mdb" was replaced.
bool ImportTextHistory(int sourceType, const std::string& source);

}  // namespace vel
