// The browser launcher and the start of other programs.
#include "BrowserLauncher.h"

#include "ActivityLog.h"
#include "AppState.h"
#include "Door.h"
#include "Errors.h"
#include "FileDialogs.h"
#include "FilePaths.h"
#include "Hooks.h"
#include "SmallRoutines.h"
#include "TextFile.h"

namespace vel {

namespace {

const char* const kBrowserIni = "Browser.ini";

std::string BrowserIniPath() {
    return JoinPath(ProgramFolderPath, kBrowserIni);
}

void Notice(const std::string& text) {
    door().MessageBox(text, "Vellicor", MsgButtons::OK);
}

void ReportNotStarted(const std::string& program) {
    Notice("Program cannot be started!\r\n" + program);
}

// Starts the browser on the target once one is found; reports a browser that fails to start.
// Without a display nobody could see it (and a browser started there may take the terminal):
// the target is only logged.
void StartBrowserOn(const std::string& target) {
    if (!door().HasDisplay()) {
        WriteActivityLog("Not shown without a display: " + target);
        return;
    }
    FindBrowser();
    if (BrowserPath.empty()) return;
    if (!door().OpenInBrowser(BrowserPath, target)) ReportNotStarted(BrowserPath);
}

}  // namespace

std::string ReadBrowserIni() {
    const std::string path = BrowserIniPath();
    if (!FileExists(path)) return {};
    try {
        const auto lines = ReadTextLines(path);
        if (lines.empty()) return {};
        const std::string& first = lines.front();
        std::string field = first.substr(0, first.find(','));
        const size_t b = field.find_first_not_of(' ');
        return b == std::string::npos ? std::string() : field.substr(b);
    } catch (const FileError&) {
        return {};
    }
}

void FindBrowser() {
    BrowserPath = ReadBrowserIni();
    if (!FileExists(BrowserPath)) BrowserPath = door().FindProgram("xdg-open");
    if (!FileExists(BrowserPath)) {
        BrowserPath.clear();
        Notice("Internet browser not found - manual search is following.");
        BrowserPath = ShowOpenFileDialog(
            "Select internet browser supporting *.bmp images (iexplore.exe)!", "Programs (*)|*");
        YieldToEvents();
        if (!FileExists(BrowserPath)) {
            Notice("Internet browser not found!");
            BrowserPath.clear();
            return;
        }
        SaveBrowserIni();
    }
}

void SaveBrowserIni() {
    try {
        WriteTextLines(BrowserIniPath(), {BrowserPath});
    } catch (const FileError& e) {
        Notice(std::string("Browser.ini cannot be written!\r\n") + e.what());
    }
}

void ShowFileInBrowser(const std::string& file) {
    if (!FileExists(file)) {
        Notice("File not found!");
        return;
    }
    StartBrowserOn(file);
}

void ShowFolderInBrowser(const std::string& folder) {
    if (!FolderExists(folder) && !FileExists(folder)) {
        Notice("Folder not found!");
        return;
    }
    StartBrowserOn(folder);
}

void ShowURLInBrowser(const std::string& url) {
    StartBrowserOn(url);
}

bool StartProgramOrReport(const std::string& program, const std::vector<std::string>& args,
                          WindowShow show) {
    if (door().StartProgram(program, args, show)) return true;
    ReportNotStarted(program);
    return false;
}

bool OpenInTextEditorOrReport(const std::string& path) {
    if (door().OpenInTextEditor(path)) return true;
    Notice("Text editor cannot be started!\r\n" + path);
    return false;
}

}  // namespace vel
