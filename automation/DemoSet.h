// The demonstration set that the build puts beside the programs: an autorun set <base> whose
// data folder <base>-EOD/ holds generated EOD files (one per symbol: date, open, high, low,
// close, volume), with a command file that rebuilds, loads and times it without a network, and
// the program folder's "History.mdb" of the same files for the DEMO command.
#pragma once

#include <string>

namespace vel {

// The command file of the set: no download, the rebuild, the market timing.
std::string DemonstrationAutorunText();

// Writes <base>.autorun, <base>.eodurls (a line per .csv file of <base>-EOD/) and
// <base>.eodstru (the columns that the import's analysis finds in the first file, with the
// symbol from the file name and the date, close and volume columns as the roles) into
// ProgramFolderPath, and builds "History.mdb" there from the files of <base>-EOD/ as the text
// import does. Needs the EOD files in place. False, after the reason on standard error, when
// something could not be written or built.
bool WriteDemonstrationSet(const std::string& base);

}  // namespace vel
