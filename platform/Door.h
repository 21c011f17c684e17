// The one door to the outside world: message and input boxes, file dialogs, beeps, the
// hourglass, the clipboard, starting programs, the browser and the text editor, yielding to
// window events, the clock and the end of the process. The program installs the Qt door at
// start; tests install the scripted door. No other code talks to these services directly.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "NumberText.h"

namespace vel {

enum class MsgButtons { OK, OKCancel, YesNo, YesNoCancel };
enum class MsgAnswer { OK, Cancel, Yes, No };

// A moment of the clock: the date and the time of day (hour 0..23).
struct DateTime {
    Date date;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The program's long time form "h:mm:ss AM/PM" (hour 1..12 without a leading zero).
std::string formatLongTime(const DateTime& t);

class Door {
public:
    virtual ~Door() = default;

    // Shows a message box and returns the button chosen. While dialogs are unattended (see
    // DialogsAreUnattended) nothing is shown: the text is logged and UnattendedAnswer returned.
    virtual MsgAnswer MessageBox(const std::string& text, const std::string& title,
                                 MsgButtons buttons) = 0;
    // Asks for one line of text with a proposal; nothing when cancelled (or unattended).
    virtual std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                                const std::string& proposal) = 0;
    // Open and save file dialogs. The filter is "description|pattern|description|pattern..."
    // (patterns of one pair separated by ";"). They return the chosen full path, or "" when
    // cancelled (or unattended).
    virtual std::string OpenFileDialog(const std::string& title, const std::string& filter,
                                       const std::string& startFolder) = 0;
    virtual std::string SaveFileDialog(const std::string& title, const std::string& filter,
                                       const std::string& startFolder,
                                       const std::string& defaultName) = 0;
    virtual void Beep() = 0;
    // Hourglass pointer on or off (not nested: "off" restores the default pointer).
    virtual void SetHourglass(bool on) = 0;
    virtual std::string ClipboardText() = 0;
    virtual void SetClipboardText(const std::string& text) = 0;

    // Starts a program with an argument list (never through a shell) and does not wait for it.
    // False when it could not be started.
    virtual bool StartProgram(const std::string& program, const std::vector<std::string>& args) = 0;
    // Starts the browser program on a file, folder or web address; false when it failed.
    virtual bool OpenInBrowser(const std::string& browser, const std::string& target) = 0;
    // Opens a file in the text editor ($VISUAL, else $EDITOR, else xdg-open); false on failure.
    virtual bool OpenInTextEditor(const std::string& path) = 0;
    // The full path of an executable found on the search path, or "".
    virtual std::string FindProgram(const std::string& name) = 0;

    // Lets pending window events run.
    virtual void Yield() = 0;
    // The current date and time of day.
    virtual DateTime Now() = 0;
    // Ends the process at once with the status (no clean-up, nothing saved).
    [[noreturn]] virtual void EndProcess(int status) = 0;
    // True when windows can be seen and answered by a user (not offscreen).
    virtual bool HasDisplay() = 0;
};

// Installs the door every caller uses (nullptr removes it).
void InstallDoor(Door* door);
// The installed door. Throws std::logic_error when none is installed.
Door& door();

// True when no window may block: during an unattended run (AutoRunMode = 1) or without a
// display. Message boxes are then logged as "Message: " + text and answered automatically.
bool DialogsAreUnattended();
// The automatic answer to an unattended message box: No where it asks a question, else OK.
MsgAnswer UnattendedAnswer(MsgButtons buttons);

// Where unattended message boxes are written (the program's activity log). nullptr: nowhere.
using MessageLogSink = void (*)(const std::string& line);
void SetMessageLogSink(MessageLogSink sink);
// Writes "Message: " + text to the sink, if one is set.
void LogUnattendedMessage(const std::string& text);

}  // namespace vel
