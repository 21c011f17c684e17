// The start of Vellicor: the program folder, the activity log, the parameter defaults, the
// frame and main windows, and the command line, which chooses manual use, an unattended run
// of an .autorun file, or an error that ends the program.
#pragma once

#include <functional>
#include <string>

namespace vel {

// Runs the start, in this order: ProgramFolderPath = the executable's folder; the log
// "Vellicor.log" with "Starting Vellicor." (a log that is no regular file ends the process with
// status 1); BrowserPath "", the parameter defaults, SilentMode 0; showWindows() (shows the frame
// and loads the main window); a yield; CommandLineText from the command line; then by
// ParseCommandLine's verdict: manual mode ("Starting manual mode."; without a display the reason
// is logged instead and the process ends with status 1), the unattended run ("Starting automatic
// mode with command line: " and RunAutorunMode), or the error ("Command line options error!
// Command line options = " logged, the four-line error box, a yield and the end of the process
// with status 1). Without a display the unattended run ends the process once it is over, with no
// yield in between: "Exiting Vellicor." is logged and the status is 0 when the run reached its
// end line, 2 when it did but files of its URL list were missing (MissingListFiles), 1 after a
// failure. Otherwise returns in the first two cases; the program then lives on in its windows.
void Main(const std::string& commandLine, const std::string& executableFolder,
          const std::function<void()>& showWindows);

// Classifies CommandLineText: AutoRunMode 0 when it is empty, 1 when it names a file of the
// program folder whose found name has at least 9 characters and which ends in ".autorun" (any
// case), else 2. Sets AutoRunFileName to the name.
void ParseCommandLine();

// The text of the command-line error box, its four lines each ended by CR LF.
std::string CommandLineErrorText();

}  // namespace vel
