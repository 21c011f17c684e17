// The automation files through which Vellicor hands an unattended download to Tarquel: the
// parameters file (<base>.dwnparams, read here) and the result file (<base>.dwnresult,
// written here), the preparation of the save folder, and two small file routines.
#pragma once

#include <string>

namespace vel {

// Reads the parameters file named by CommandLineText (up to four lines, each trimmed: the URL
// list, the save folder, the result file, the greatest number of URLs). Sets AutomationMode
// to 1 when the file and its list exist, else 2; in the second case nothing of the file is
// taken (no result path is known). A missing, non-numeric or non-positive count gives "9999".
void ReadAutomationParameters();

// Writes AutomationResultText and CR LF as the whole result file (a temporary file renamed
// over it, so Vellicor never reads half a file) when a result path is known and the mode is
// not manual. A file that cannot be written is logged. Yields.
void WriteAutomationResult();

// Makes SaveFolder ready for a run: creates it when missing; otherwise, when it holds files,
// deletes them (never its subfolders), in manual mode only after Yes to the question box,
// in automatic mode without asking. Returns false, and logs why, when there is no save folder
// (an empty SaveFolder never means the current folder) or it cannot be created.
bool PrepareSaveFolder();

// The text of the question of PrepareSaveFolder.
std::string SaveFolderQuestion();

// The trimmed text with "/" appended when it is not empty and does not end in "/" (the folder
// separator of this system; the name is the one Vellicor's parameters file rules use).
std::string AddTrailingBackslash(const std::string& text);

// True when the trimmed path is not empty and names an existing file (not a folder); wildcards
// in the last part find any matching file. Never throws.
bool IsFilePresent(const std::string& path);

}  // namespace vel
