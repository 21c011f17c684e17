// The start of Tarquel.
#include "TarquelMain.h"

#include "ActivityLog.h"
#include "AppState.h"
#include "AutomationFiles.h"
#include "Door.h"
#include "DownloadForm.h"
#include "DownloadText.h"
#include "DownloaderState.h"
#include "FilePaths.h"
#include "FolderLock.h"
#include "Hooks.h"

namespace vel {

void Main(const std::string& commandLine, const std::string& executableFolder, DownloadForm& form,
          const std::function<void()>& showWindow) {
    // Taken before anything else, so that nothing this program starts inherits the handed lock.
    form.SetHandedLock(TakeHandedLock());
    ProgramFolderPath = AsFolderPath(executableFolder);
    CommandLineText = Trim(commandLine);
    // A log that cannot be opened was reported on standard error: nothing could be logged.
    if (!OpenActivityLog("Tarquel.log")) door().EndProcess(1);
    WriteActivityLog("Starting Tarquel.");

    if (!CommandLineText.empty()) {
        WriteActivityLog("Starting automatic mode with coomand line: " + CommandLineText);
        // A parameters file comes only from an unattended run: no window may block it.
        AutoRunMode = 1;
        ReadAutomationParameters();
    } else {
        AutomationMode = 0;
        YieldToEvents();
        URLListPath.clear();
    }

    if (AutomationMode == 0) {
        form.Form_Load();
        if (showWindow) showWindow();
        YieldToEvents();
    } else if (AutomationMode == 1) {
        form.Form_Load();
        form.SetListChoiceVisible(false);
        form.SetRunCommandsEnabled(false);
        if (showWindow) showWindow();
        form.mnuStartDownloading_Click();
        YieldToEvents();
    } else {
        door().MessageBox("Tarquel automation parameters error! End of program!", "",
                          MsgButtons::OK);
        WriteAutomationResult();
        YieldToEvents();
        door().EndProcess(1);
    }
}

}  // namespace vel
