// The autorun command file: an unattended run is described by the files of one base name in
// the program folder, headed by <base>.autorun, whose keyword lines ("key = value ; comment")
// choose the run's steps and override program parameters. Its two parsers derive the paths
// of the whole set, check that its files exist, read the keywords and, on success, point the
// history paths at the set's data folder <base>-EOD/.
#pragma once

#include <cstdint>
#include <string>

namespace vel {

// The autorun statuses (AutoRunError) and their texts.
enum AutorunStatus : std::int16_t {
    kAutorunOk = 0,
    kAutorunWrongName = 1,   // "Wrong Autorun file name!"
    kAutorunMissing = 2,     // "AUTORUN file doesn't exists!"
    kAutorunNoEodUrls = 3,   // "EODURLS file doesn't exists!"
    kAutorunNoEodStru = 4,   // "EODSTRU file doesn't exists!"
    kAutorunNoCommands = 5,  // "No valid automation commands!"
};

// The most lines of a command file that are read.
constexpr int kMaxAutorunLines = 500;

// One line of a command file, trimmed of blanks. It is a command line when its first "="
// stands after its first character and no ";" comes before it or right after it; then the key
// is the text before the "=" and the value the text up to the first ";" (or the end), both
// trimmed. Other lines have an empty key and value.
struct AutorunLine {
    bool command = false;
    std::string key;
    std::string value;
};
AutorunLine SplitAutorunLine(const std::string& line);

// Parses the command file AutoRunFileName (a bare file name of the program folder, trimmed and
// stored back) for the autorun run: sets AutoRunError (0 on success) and its text; resets
// DownloadEOD, CreateHistory, MarketTiming ("") and StockSymbolsMax, LastDaysMax ("9999")
// first; derives the set's paths; needs <base>.autorun, <base>.eodurls and <base>.eodstru and
// at least one line; applies the thirteen keywords to the step switches and the program
// parameters (bad lines and values are ignored, the last accepted line of a key wins); and on
// success sets the history paths to <base>-EOD/ with "csv" as the import extension. A failure
// sets SilentMode and AutoRunMode to 0 and changes no parameter and no history path. Shows
// nothing.
void ReadAutorunFile();
// The same for the load-only run: only the command file must exist, and the keywords
// "MarketSwinging" and "MarketSwingingSpecial" are not known.
void ReadAutorunFileForLoad();

// The day count of the chart window for the run: the number of LastDaysMax rounded (halves to
// even), at least 2 and at most 32767 (more days than are loaded show all of them).
long AutorunDayCount();

}  // namespace vel
