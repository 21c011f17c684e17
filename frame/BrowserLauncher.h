// Reports, help pages, folders and web pages are shown in an external web browser. The browser
// is the program that "Browser.ini" in the program folder names, else the standard opener
// xdg-open on the search path, else a program the user picks (which is then remembered in
// "Browser.ini"). The browser is started with the target as its one argument and not waited
// for. Without a display no browser is started: the target is written to the activity log.
// Other programs (the downloader, the text editor) are started through the same door.
#pragma once

#include <string>
#include <vector>

#include "Door.h"

namespace vel {

// Sets BrowserPath by the search above, or empties it (after "Internet browser not found!")
// when no browser is found and the user picks none. Runs at every call.
void FindBrowser();
// Writes BrowserPath as the one line of "Browser.ini" in the program folder. A file that
// cannot be written is reported in a message.
void SaveBrowserIni();
// The first field of the first line of "Browser.ini" (up to a comma, leading blanks removed),
// or "" when the file is missing or empty.
std::string ReadBrowserIni();

// Starts the browser on an existing file, else shows "File not found!".
void ShowFileInBrowser(const std::string& file);
// Starts the browser on an existing folder, else shows "Folder not found!".
void ShowFolderInBrowser(const std::string& folder);
// Starts the browser on a web address (no test, no message).
void ShowURLInBrowser(const std::string& url);

// Starts a program with its arguments, its window shown as `show` asks; a program that cannot be
// started is reported in a message. True when it started.
bool StartProgramOrReport(const std::string& program, const std::vector<std::string>& args,
                          WindowShow show = WindowShow::Normal);
// Opens a file in the text editor; an editor that cannot be started is reported. True when
// it started.
bool OpenInTextEditorOrReport(const std::string& path);

}  // namespace vel
