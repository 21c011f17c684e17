// The one door to the outside world: message and input boxes, file dialogs, the program's own
// modal forms, beeps, the hourglass, the clipboard, starting programs, the browser and the text
// editor, yielding to window events, the clock, a monotonic millisecond clock with single-shot
// timers, and the end of the process. The program installs the Qt door at start; tests install
// the scripted door. No other code talks to these services directly.
//
// The rule "unattended runs and runs without a display never block on a window" is applied
// here, once, for every door: while DialogsAreUnattended(), a message box is logged and
// answered automatically, an input box or file dialog answers "cancelled", and a form is not
// shown (it stays as its Form_Load left it; its caller treats it as cancelled).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <typeindex>
#include <vector>

#include "NumberText.h"

namespace vel {

enum class MsgButtons { OK, OKCancel, YesNo, YesNoCancel };
enum class MsgAnswer { OK, Cancel, Yes, No };
// How a started program shows its first window: as it chooses, or maximised (only the system's
// own programs read the request).
enum class WindowShow { Normal, Maximized };

// A moment of the clock: the date and the time of day (hour 0..23).
struct DateTime {
    Date date;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The program's long time form "h:mm:ss AM/PM" (hour 1..12 without a leading zero).
std::string formatLongTime(const DateTime& t);

// One dialog as the door is asked for it. kind: "message", "input", "open", "save" or "form";
// text: the message, the prompt, the filter, or the form's caption; args: the proposal (input),
// the start folder and default name (open, save).
struct DialogRequest {
    std::string kind;
    std::string title;
    std::string text;
    MsgButtons buttons = MsgButtons::OK;
    std::vector<std::string> args;
};

// A single-shot timer started through the door; 0 is no timer.
using TimerId = std::uint64_t;
// A program started and watched through the door; 0 is none.
using ProgramId = std::uint64_t;
// The bytes of a watched program's standard error that the door keeps (TakeProgramErrorOutput).
constexpr std::size_t kProgramErrorOutputKept = 4096;

class Door {
public:
    virtual ~Door() = default;

    // ---- dialogs (the unattended rule applies) ---------------------------------------------
    // Shows a message box and returns the button chosen; unattended: the text is logged as
    // "Message: " + text and UnattendedAnswer returned.
    MsgAnswer MessageBox(const std::string& text, const std::string& title, MsgButtons buttons);
    // Asks for one line of text with a proposal; nothing when cancelled (or unattended).
    std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                        const std::string& proposal);
    // Open and save file dialogs. The filter is "description|pattern|description|pattern..."
    // (patterns of one pair separated by ";"). They return the chosen full path, or "" when
    // cancelled (or unattended).
    std::string OpenFileDialog(const std::string& title, const std::string& filter,
                               const std::string& startFolder);
    std::string SaveFileDialog(const std::string& title, const std::string& filter,
                               const std::string& startFolder, const std::string& defaultName);

    // ---- the program's own modal forms ----------------------------------------------------
    // A form is a plain class of computing code (its state and event procedures) with a
    // caption `static constexpr const char* kCaption`; a window library registers how a form
    // of its type is shown (modally, until it unloads). ShowForm returns true when the form
    // was shown; false while unattended or when this door has no way to show it.
    template <class Form>
    void SetFormPresenter(std::function<void(Form&)> presenter) {
        presenters_[std::type_index(typeid(Form))] = [p = std::move(presenter)](void* form) {
            p(*static_cast<Form*>(form));
        };
    }
    template <class Form>
    bool ShowForm(Form& form) {
        return ShowFormOfType(std::type_index(typeid(Form)), Form::kCaption, &form);
    }

    // ---- the rest of the user interface ---------------------------------------------------
    virtual void Beep() = 0;
    // Hourglass pointer on or off (not nested: "off" restores the default pointer).
    virtual void SetHourglass(bool on) = 0;
    // True while the hourglass pointer is on.
    virtual bool Hourglass() const = 0;
    virtual std::string ClipboardText() = 0;
    virtual void SetClipboardText(const std::string& text) = 0;

    // ---- other programs -------------------------------------------------------------------
    // Starts a program with an argument list (never through a shell) and does not wait for it;
    // its first window shows as `show` asks. False when it could not be started.
    virtual bool StartProgram(const std::string& program, const std::vector<std::string>& args,
                              WindowShow show) = 0;
    // Starts the browser program on a file, folder or web address; false when it failed.
    virtual bool OpenInBrowser(const std::string& browser, const std::string& target) = 0;
    // Opens a file in the text editor ($VISUAL, else $EDITOR, else xdg-open); false on failure.
    virtual bool OpenInTextEditor(const std::string& path) = 0;
    // The full path of an executable found on the search path, or "".
    virtual std::string FindProgram(const std::string& name) = 0;
    // Starts a program with an argument list (never through a shell) and watches it, without
    // waiting for it; it may outlive this program. Returns its id, or 0 when it could not be
    // started (a missing or not executable file). `leftoverFolders` are the folders where the
    // program writes whole files: a program that ends by a signal (killed by whoever, also by
    // StopWatchedProgram) cannot remove the temporary files of the writes it was making, and
    // once its end is seen those in these folders and their subfolders are removed
    // (RemoveTemporaryFilesOf), nothing else. Its standard output goes nowhere; its standard error
    // is kept for TakeProgramErrorOutput. `handedLock`, unless -1, is the open folder of a lock
    // that this program holds (FolderLock) and hands to the program, which works under it: the
    // program inherits that descriptor (and no other of this program's locks) under its number,
    // which the environment variable kHandedLockVariable names.
    virtual ProgramId StartWatchedProgram(const std::string& program,
                                          const std::vector<std::string>& args,
                                          const std::vector<std::string>& leftoverFolders,
                                          int handedLock) = 0;
    // True while the watched program runs; false once it has ended, and for an unknown id. The
    // end is seen when events are processed (Yield, WaitForEvents).
    virtual bool ProgramRunning(ProgramId id) = 0;
    // Ends the watched program: asks it to end (SIGTERM, which it may answer by quitting as its
    // own end command does), kills it (SIGKILL) when it still runs after `graceMs`, and returns
    // once it has ended. An ended or unknown program changes nothing.
    virtual void StopWatchedProgram(ProgramId id, std::int64_t graceMs) = 0;
    // What the watched program has written to its standard error since the last call, as far
    // as processed events tell (all of it once its end is seen), and read without ever waiting
    // for it; of a program's whole output only the first kProgramErrorOutputKept bytes are kept.
    // "" for an unknown id.
    virtual std::string TakeProgramErrorOutput(ProgramId id) = 0;

    // ---- events, clocks and timers --------------------------------------------------------
    // Lets pending window events (and due timers) run.
    virtual void Yield() = 0;
    // Lets pending window events and due timers run and, when none is pending, sleeps until one
    // comes (a window event, a timer, the end of a watched program), for at most `ms`
    // milliseconds. A loop that waits for something that an event or a timer brings calls it
    // instead of Yield, so that it sleeps instead of spinning.
    virtual void WaitForEvents(std::int64_t ms) = 0;
    // The current date and time of day.
    virtual DateTime Now() = 0;
    // Milliseconds since an arbitrary start; never goes back (not the time of day).
    virtual std::int64_t MonotonicMs() = 0;
    // Calls `onTimeout` once, on the user-interface thread, when `ms` milliseconds of the
    // monotonic clock have passed (at the earliest at the next event processing); negative
    // counts as 0. Returns the timer's id, never 0.
    virtual TimerId StartTimer(std::int64_t ms, std::function<void()> onTimeout) = 0;
    // Stops a timer that has not fired; an unknown, fired or cancelled id changes nothing.
    virtual void CancelTimer(TimerId id) = 0;

    // ---- the process ----------------------------------------------------------------------
    // Ends the process at once with the status: nothing is saved; a file that a thread beside
    // the main one is writing is finished and no other is begun, and the files of writes in
    // progress are removed (EndFileWriting).
    [[noreturn]] virtual void EndProcess(int status) = 0;
    // True when windows can be seen and answered by a user (not offscreen).
    virtual bool HasDisplay() = 0;

protected:
    // Told of every dialog and form before the door shows it or answers it unattended.
    virtual void DialogRequested(const DialogRequest& request);
    // Show the dialog to the user (only called when dialogs are attended).
    virtual MsgAnswer ShowMessageBox(const std::string& text, const std::string& title,
                                     MsgButtons buttons) = 0;
    virtual std::optional<std::string> ShowInputBox(const std::string& prompt,
                                                    const std::string& title,
                                                    const std::string& proposal) = 0;
    virtual std::string ShowOpenFileDialog(const std::string& title, const std::string& filter,
                                           const std::string& startFolder) = 0;
    virtual std::string ShowSaveFileDialog(const std::string& title, const std::string& filter,
                                           const std::string& startFolder,
                                           const std::string& defaultName) = 0;
    // Shows an attended form through the registered presenter; true when there was one. A
    // door that shows forms another way (the scripted door) overrides it.
    virtual bool PresentForm(std::type_index type, const std::string& caption, void* form);

private:
    bool ShowFormOfType(std::type_index type, const std::string& caption, void* form);
    std::map<std::type_index, std::function<void(void*)>> presenters_;
};

// Installs the door every caller uses (nullptr removes it).
void InstallDoor(Door* door);
// The installed door. Throws std::logic_error when none is installed.
Door& door();
// The installed door, or nullptr.
Door* InstalledDoor();

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
