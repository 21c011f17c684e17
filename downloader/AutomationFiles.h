// The automation files through which Vellicor hands an unattended download to Tarquel: the
// parameters file (<base>.dwnparams, read here) and the result file (<base>.dwnresult,
// written here), the preparation of the save folder, and two small file routines.
#pragma once

#include <string>

namespace vel {

// Reads the parameters file named by CommandLineText (up to four lines, each trimmed: the URL
// list, the save folder, the result file, the greatest number of URLs). Sets AutomationMode
// to 1 when the file and its list exist and a save folder given is safe (IsSafeSaveFolder),
// else 2; in the second case nothing of the file is taken (no result path is known) and a
// refused save folder is logged. A missing, non-numeric or non-positive count gives "9999".
void ReadAutomationParameters();

// True when the automatic emptying of the folder cannot reach the program or the files of a
// run: the folder is a full path and, compared as the system resolves it (a link to one of them
// counts as it, and `a/x/..` as `a/` whether or not `x` exists), it is neither the program folder
// nor the folder of the list or of the parameters file (either path may be empty), nor a folder
// above any of them.
bool IsSafeSaveFolder(const std::string& folder, const std::string& listPath,
                      const std::string& paramsPath);

// Writes AutomationResultText and CR LF as the whole result file (a temporary file renamed
// over it, so Vellicor never reads half a file) when a result path is known and the mode is
// not manual. A file that cannot be written is logged. Yields.
void WriteAutomationResult();

// Makes SaveFolder ready for a run: creates it when missing; otherwise, when it holds entries
// that are no folders (files, links of every kind, FIFOs), deletes them, a link as a link
// (never its subfolders), in manual mode only after Yes to the question box, in automatic mode
// without asking; the lock of a run that holds the folder stays with the folder. A file that
// cannot be deleted is logged and noted in UndeletedSaveFiles (emptied first). Returns false, and
// logs why, deleting nothing, when there is no save folder (an empty SaveFolder never means the
// current folder), it is not safe for the list of the run (IsSafeSaveFolder, checked before the
// folder is made and again, by where it really is, once it exists), or it cannot be created.
bool PrepareSaveFolder();

// True when the path names a file that PrepareSaveFolder was to delete and could not (the
// same file, whatever name reaches it): an old file, not one of this run.
bool IsUndeletedSaveFile(const std::string& path);

// True when a file that PrepareSaveFolder could not delete still stands as it was, not
// replaced by a download of this run; each such file is logged. The run then does not end
// with "OK": its folder would hand an old file on as new.
bool UndeletedSaveFilesRemain();

// The text of the question of PrepareSaveFolder.
std::string SaveFolderQuestion();

// The trimmed text with "/" appended when it is not empty and does not end in "/" (the folder
// separator of this system; the name is the one Vellicor's parameters file rules use).
std::string AddTrailingBackslash(const std::string& text);

// True when the trimmed path is not empty and names an existing file (not a folder); wildcards
// in the last part find any matching file. Never throws.
bool IsFilePresent(const std::string& path);

}  // namespace vel
