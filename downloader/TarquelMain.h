// The start of Tarquel: the program folder, the log "Tarquel.log", and the command line,
// which chooses manual use (empty), an unattended download (the path of a parameters file),
// or the end of the program when the parameters cannot be used.
#pragma once

#include <functional>
#include <string>

namespace vel {

class DownloadForm;

// Runs the start: the lock that the starter handed this program taken (TakeHandedLock) for the
// form's run; ProgramFolderPath = the executable's folder; the log with "Starting
// Tarquel." (a log that is no regular file ends the process with status 1); CommandLineText = the
// trimmed command line. Empty: manual mode, the form loaded and showWindow() called. Otherwise the
// run is unattended (message boxes are logged and answered) and the parameters file is read:
// usable parameters load the form, hide the list choice, disable the run commands, show the window
// and start the download run; unusable ones show "Tarquel automation parameters error! End of
// program!" and end the process with status 1 without a result file. Returns when the program
// lives on in its window.
void Main(const std::string& commandLine, const std::string& executableFolder, DownloadForm& form,
          const std::function<void()>& showWindow);

}  // namespace vel
