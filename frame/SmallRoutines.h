// Small routines that several subsystems share: the file-existence test, the removal of
// enclosing quotes, the split of an import file's name into symbol and extension, leading
// zeros for numbers in file names and the lookup of the selected stock symbol.
#pragma once

#include <cstdint>
#include <string>

namespace vel {

// True when the path, trimmed of blanks, is not empty and names an existing file (not a
// folder); with wildcards in its last part, true when any file matches. Never throws.
bool FileExists(const std::string& path);

// True when the path names an existing folder (with or without the trailing "/").
bool FolderExists(const std::string& path);

// The text trimmed of leading and trailing blanks and, when it then starts and ends with a
// double quote, without that pair (the inner text is not trimmed again): "\"\"" gives "", a
// lone "\"" stays. Never throws.
std::string StripEnclosingQuotes(const std::string& text);

// The text without leading and trailing blanks.
std::string TrimBlanks(const std::string& text);

// Sets ImportFilePath to the path, ImportFileExtUpper to the last 4 characters of the found
// file name in upper case (".CSV") and ImportFileSymbol to the rest of the name in upper case
// ("AAPL"). The caller passes found names of the form "x.ext"; a shorter name gives itself
// upper case as the extension and an empty symbol; a missing file gives both empty.
void SplitFilePathParts(const std::string& path);

// The decimal text of n with "0" put in front until it has 4 characters: 7 gives "0007",
// 12345 stays, -5 gives "00-5".
std::string PadLeftZeros(std::int16_t n);

// Trims defStockSymbolString and makes it upper case, then sets defStockSymbolIndex to the
// stock item number of that symbol among the loaded symbols (0 when none). A symbol that is
// not loaded empties defStockSymbolString; with nothing loaded the symbol stays. Then lets
// the chart window refresh its menu captions.
void FindStockSymbolIndex();

}  // namespace vel
