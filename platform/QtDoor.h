// The door of the running program, built on Qt Widgets: real message boxes and dialogs,
// detached processes, the clipboard, the system clock and Qt timers. Needs a QApplication.
#pragma once

#include <QElapsedTimer>
#include <map>
#include <memory>

#include "Door.h"
#include "QtWatchedPrograms.h"

class QInputDialog;

namespace vel {

class QtDoor : public Door {
public:
    QtDoor();
    ~QtDoor() override;

    void Beep() override;
    void SetHourglass(bool on) override;
    bool Hourglass() const override { return hourglass_; }
    std::string ClipboardText() override;
    void SetClipboardText(const std::string& text) override;
    // A maximised start is asked for in the started program's environment (see
    // TakeStartMaximized).
    bool StartProgram(const std::string& program, const std::vector<std::string>& args,
                      WindowShow show) override;
    bool OpenInBrowser(const std::string& browser, const std::string& target) override;
    bool OpenInTextEditor(const std::string& path) override;
    std::string FindProgram(const std::string& name) override;
    ProgramId StartWatchedProgram(const std::string& program, const std::vector<std::string>& args,
                                  const std::vector<std::string>& leftoverFolders,
                                  int handedLock) override;
    bool ProgramRunning(ProgramId id) override;
    // Waits for the program without running events (the caller is ending it, or the run).
    void StopWatchedProgram(ProgramId id, std::int64_t graceMs) override;
    std::string TakeProgramErrorOutput(ProgramId id) override;
    // Runs pending window events, at most once every 20 ms (more frequent calls return at once).
    void Yield() override;
    // Processes the pending events, or sleeps until one comes, for at most `ms` milliseconds.
    void WaitForEvents(std::int64_t ms) override;
    DateTime Now() override;
    std::int64_t MonotonicMs() override;
    // A Qt timer of the door's; it fires from the event loop (or from a yield).
    TimerId StartTimer(std::int64_t ms, std::function<void()> onTimeout) override;
    void CancelTimer(TimerId id) override;
    [[noreturn]] void EndProcess(int status) override;
    bool HasDisplay() override;

protected:
    MsgAnswer ShowMessageBox(const std::string& text, const std::string& title,
                             MsgButtons buttons) override;
    std::optional<std::string> ShowInputBox(const std::string& prompt, const std::string& title,
                                            const std::string& proposal) override;
    std::string ShowOpenFileDialog(const std::string& title, const std::string& filter,
                                   const std::string& startFolder) override;
    std::string ShowSaveFileDialog(const std::string& title, const std::string& filter,
                                   const std::string& startFolder,
                                   const std::string& defaultName) override;

private:
    QElapsedTimer sinceStart_;
    QElapsedTimer sinceYield_;
    bool hourglass_ = false;
    // The door's timers, on one object of the event loop's thread.
    class Timers;
    std::unique_ptr<Timers> timers_;
    QtWatchedPrograms programs_;
};

// The input box of ShowInputBox, owned by the active window: the prompt, the proposal, and at
// least as wide as the window manager needs to show the whole caption.
std::unique_ptr<QInputDialog> NewInputBox(const std::string& prompt, const std::string& title,
                                          const std::string& proposal);

}  // namespace vel
