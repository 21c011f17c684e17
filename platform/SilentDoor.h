// A door for work without a user and without Qt (benchmarks, the quiet preparation of test
// data): it has no display, so every dialog is answered by the unattended rule and no form is
// shown; beeps, the hourglass and the clipboard only keep their state, no program is started,
// the clocks are the system's, and due timers fire when the work yields.
#pragma once

#include <chrono>
#include <map>

#include "Door.h"

namespace vel {

class SilentDoor : public Door {
public:
    SilentDoor();

    void Beep() override {}
    void SetHourglass(bool on) override { hourglass_ = on; }
    bool Hourglass() const override { return hourglass_; }
    std::string ClipboardText() override { return clipboard_; }
    void SetClipboardText(const std::string& text) override { clipboard_ = text; }
    bool StartProgram(const std::string&, const std::vector<std::string>&, WindowShow) override {
        return false;
    }
    bool OpenInBrowser(const std::string&, const std::string&) override { return false; }
    bool OpenInTextEditor(const std::string&) override { return false; }
    std::string FindProgram(const std::string&) override { return {}; }
    ProgramId StartWatchedProgram(const std::string&, const std::vector<std::string>&,
                                  const std::vector<std::string>&, int) override {
        return 0;
    }
    bool ProgramRunning(ProgramId) override { return false; }
    void StopWatchedProgram(ProgramId, std::int64_t) override {}
    std::string TakeProgramErrorOutput(ProgramId) override { return {}; }
    // Fires the timers that are due, in the order of their deadlines.
    void Yield() override;
    // Sleeps until the next timer is due (at most `ms`), then fires the due ones.
    void WaitForEvents(std::int64_t ms) override;
    DateTime Now() override;
    std::int64_t MonotonicMs() override;
    TimerId StartTimer(std::int64_t ms, std::function<void()> onTimeout) override;
    void CancelTimer(TimerId id) override { timers_.erase(id); }
    // Removes the files of writes in progress, flushes the standard streams and ends the
    // process.
    [[noreturn]] void EndProcess(int status) override;
    bool HasDisplay() override { return false; }

protected:
    // Never called: without a display every dialog is unattended.
    MsgAnswer ShowMessageBox(const std::string&, const std::string&, MsgButtons b) override {
        return UnattendedAnswer(b);
    }
    std::optional<std::string> ShowInputBox(const std::string&, const std::string&,
                                            const std::string&) override {
        return std::nullopt;
    }
    std::string ShowOpenFileDialog(const std::string&, const std::string&,
                                   const std::string&) override {
        return {};
    }
    std::string ShowSaveFileDialog(const std::string&, const std::string&, const std::string&,
                                   const std::string&) override {
        return {};
    }

private:
    struct Timer {
        std::int64_t due;
        std::function<void()> run;
    };
    std::chrono::steady_clock::time_point start_;
    bool hourglass_ = false;
    std::string clipboard_;
    TimerId lastTimer_ = 0;
    std::map<TimerId, Timer> timers_;
};

}  // namespace vel
