// The start of Vellicor.
#include "StartUp.h"

#include "ActivityLog.h"
#include "AppState.h"
#include "AsciiText.h"
#include "DirectoryListing.h"
#include "Door.h"
#include "EntryPoints.h"
#include "FilePaths.h"
#include "Hooks.h"
#include "MainCommands.h"
#include "SmallRoutines.h"

namespace vel {

std::string CommandLineErrorText() {
    return "Vellicor command line options error!\r\n"
           "Command line options = " +
           CommandLineText +
           "\r\n"
           "Valid command line syntax = <Program folder>\\Vellicor.exe   <Autorun file "
           "name>.autorun \r\n"
           "End of program!\r\n";
}

void ParseCommandLine() {
    AutoRunFileName = StripEnclosingQuotes(CommandLineText);
    AutoRunMode = 0;
    if (AutoRunFileName.empty()) return;
    AutoRunMode = 2;
    // The argument is a bare file name in the program folder; a path is not supported.
    if (AutoRunFileName.find('/') != std::string::npos) return;
    const std::string found =
        FindFirst(JoinPath(ProgramFolderPath, AutoRunFileName), EntryKind::Files);
    if (found.size() >= 9 && EndsWithNoCase(AutoRunFileName, ".autorun")) AutoRunMode = 1;
}

void Main(const std::string& commandLine, const std::string& executableFolder,
          const std::function<void()>& showWindows) {
    ProgramFolderPath = AsFolderPath(executableFolder);
    // A log that cannot be opened was reported on standard error: nothing could be logged.
    if (!OpenActivityLog("Vellicor.log")) door().EndProcess(1);
    WriteActivityLog("Starting Vellicor.");

    BrowserPath.clear();
    SetParameterDefaults();
    SilentMode = 0;

    if (showWindows) showWindows();
    YieldToEvents();

    CommandLineText = StripEnclosingQuotes(commandLine);
    if (CommandLineText.empty()) {
        AutoRunMode = 0;
        // Manual use needs a display; without one nobody could ever end the program, and the
        // scheduler that started it gets its process back at once.
        if (!door().HasDisplay()) {
            WriteActivityLog(
                "Manual mode needs a display, and the command line names no .autorun file! End of "
                "program!");
            EndProgram(1);
        }
        YieldToEvents();
    } else {
        ParseCommandLine();
    }

    if (AutoRunMode == 0) {
        WriteActivityLog("Starting manual mode.");
    } else if (AutoRunMode == 1) {
        WriteActivityLog("Starting automatic mode with command line: " + CommandLineText);
        const bool succeeded = RunEntryPoint(AutomationCommands.RunAutorunMode, "RunAutorunMode");
        // Without the unattended run there is no run active: dialogs are shown again.
        if (!succeeded) AutoRunMode = 0;
        // Without a display nobody can use the windows the run leaves: the scheduler that started
        // the run gets its process back at once, with the run's outcome as the exit status (a
        // yield first would let a signal end it with a status of its own).
        if (!door().HasDisplay()) EndProgram(!succeeded ? 1 : MissingListFiles > 0 ? 2 : 0);
        YieldToEvents();
    } else {
        WriteActivityLog("Command line options error! Command line options = " + CommandLineText);
        door().MessageBox(CommandLineErrorText(), "Vellicor", MsgButtons::OK);
        YieldToEvents();
        door().EndProcess(1);
    }
}

}  // namespace vel
