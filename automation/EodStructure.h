// The EOD structure file: the column tables of an EOD text import (ImportColumnType and
// ImportColumnName) kept in a small text file, so that the unattended rebuild of an autorun
// set imports later downloads of the set without a dialog. Two lines of 20 characters, each
// ended by CR LF: the type code of each column (0 to 3) and the first letter of its role ("S",
// "T", "P", "V", or "-" for none).
#pragma once

#include <string>
#include <vector>

namespace vel {

// Names the structure file and writes it after an interactive import of text files; always
// true.
bool SaveEODStructure();
// From the first "*.eodurls" note in DataFolderPath (the list that filled the folder): its base
// name with ".eodstru", else "New.eodstru"; EodStruFilePath is that name in the program folder.
void SetEODStructureFileName();
// The two lines of the column tables: the type code of each column, then the first letter of
// its role name or "-".
std::vector<std::string> EODStructureLines();

// Builds the two lines from the column tables and writes them to EodStruFilePath (when that
// file exists, only after Yes to the overwrite question), to the same name in the data folder
// and to "New.eodstru" in the program folder. A file that cannot be written is reported in a
// message and logged; the others are still written.
void WriteEODStructureFiles();
// Reads EodStruFilePath into the column tables and counts the role letters in
// EodStruFieldCount. A missing file, a file without two lines, or a line that is not exactly 20
// characters long leaves the tables empty and the count 0.
void ReadEODStructureFile();

// True when the column tables read hold each of the roles Symbol, TradeDate, Price and Volume
// exactly once, with the types the database build needs: Symbol text, Price and Volume
// numbers, TradeDate a date or a number.
bool EODStructureIsUsable();

// The text of the overwrite question for the file.
std::string EODStructureOverwriteQuestion(const std::string& path);

}  // namespace vel
