// The scripted door of the tests: dialogs take their answers and forms their scripts from one
// queue, every call is recorded (kind, title, text, buttons, arguments), a dialog or form that
// nothing was queued for fails the test, the clocks stand still until the test moves them,
// timers fire only when the test advances the monotonic clock (a wait for events moves it by
// the wait), code can run on the Nth yield, watched programs are played by the test, and the
// end of the process becomes an exception (after the file being written is finished and the
// files of writes in progress are removed, as the program's doors do).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <typeindex>
#include <utility>
#include <vector>

#include "Door.h"
#include "UnfinishedFiles.h"

namespace vel::testing {

// Thrown by ScriptedDoor::EndProcess in place of ending the test program.
struct ProcessEnded {
    int status;
};

// One recorded call. kind: "message", "input", "open", "save", "form" (text: the caption),
// "beep", "start", "watch", "stop", "browser", "editor", "end". For "start", "watch" (a watched
// program) and "browser" the program is in text and its arguments in args; the title of a
// "start" is "maximized" when the program's window is asked to open maximised. A "stop" is a
// watched program that was still running when it was ended (StopWatchedProgram): the program in
// text, its grace time in args. Dialogs answered unattended are recorded too.
using DoorCall = DialogRequest;

class ScriptedDoor : public Door {
public:
    ~ScriptedDoor() override { ResumeFileWriting(); }

    // ---- answers and form scripts, taken in order; the kind of the next must match ----------
    void QueueMessageAnswer(MsgAnswer answer) { queue_.push_back({"message", answer, {}, {}, {}}); }
    void QueueInput(std::optional<std::string> text) {
        queue_.push_back({"input", {}, text, {}, {}});
    }
    void QueueOpenFile(const std::string& path) { queue_.push_back({"open", {}, path, {}, {}}); }
    void QueueSaveFile(const std::string& path) { queue_.push_back({"save", {}, path, {}, {}}); }
    // The script plays the user on the next form of type Form: it sets the form's boxes and
    // clicks its buttons (the form's event procedures), as the window would.
    template <class Form>
    void QueueForm(std::function<void(Form&)> script) {
        Answer a{std::string("form ") + Form::kCaption, {}, {}, {}, {}};
        a.form = [s = std::move(script)](void* form) { s(*static_cast<Form*>(form)); };
        queue_.push_back(std::move(a));
    }
    // The next dialog or form of any kind raises the error, as a failing service would.
    template <class Error>
    void QueueFailure(const Error& error) {
        Answer a{"failure", {}, {}, {}, {}};
        a.failure = std::make_exception_ptr(error);
        queue_.push_back(std::move(a));
    }
    size_t UnusedAnswers() const { return queue_.size(); }

    // ---- what happened -----------------------------------------------------------------
    const std::vector<DoorCall>& Calls() const { return calls_; }
    std::vector<DoorCall> CallsOf(const std::string& kind) const {
        std::vector<DoorCall> out;
        for (const auto& c : calls_)
            if (c.kind == kind) out.push_back(c);
        return out;
    }
    int Beeps() const { return static_cast<int>(CallsOf("beep").size()); }
    int yields = 0;
    bool hourglass = false;
    int hourglassChanges = 0;

    // ---- the scripted world ------------------------------------------------------------
    DateTime now{Date{2002, 12, 31}, 18, 5, 1};
    bool display = true;        // false: dialogs are unattended, as without a display
    bool startSucceeds = true;  // the answer of StartProgram, OpenInBrowser, OpenInTextEditor
    std::map<std::string, std::string> programsOnPath;  // FindProgram answers
    std::string clipboard;

    // Runs `action` during the nth yield from now (n >= 1), before that yield returns.
    void OnYield(int n, std::function<void()> action) {
        onYield_.push_back({yields + std::max(n, 1), std::move(action)});
    }
    // Moves the monotonic clock forward by `ms` and fires every timer that falls due on the
    // way, in the order of their deadlines (started first, first when equal), each with the
    // clock at its deadline. Timers started by a firing timer fire too when they fall due.
    void AdvanceMs(std::int64_t ms) {
        const std::int64_t target = monotonic_ + std::max<std::int64_t>(ms, 0);
        for (;;) {
            auto next = std::min_element(timers_.begin(), timers_.end(), [](auto& a, auto& b) {
                return a.second.due < b.second.due ||
                       (a.second.due == b.second.due && a.first < b.first);
            });
            if (next == timers_.end() || next->second.due > target) break;
            monotonic_ = std::max(monotonic_, next->second.due);
            const std::function<void()> run = std::move(next->second.run);
            timers_.erase(next);
            run();
        }
        monotonic_ = target;
    }
    // Timers started and neither fired nor cancelled.
    size_t PendingTimers() const { return timers_.size(); }

    // Watched programs (StartWatchedProgram succeeds when startSucceeds): the test plays each
    // one. `onWatchedProgram` runs at its start (to write what the program would write), and
    // it runs until EndWatchedProgram, or until `watchedProgramRunsMs` of the monotonic clock
    // have passed when that is not negative.
    std::function<void(const std::string& program, const std::vector<std::string>& args)>
        onWatchedProgram;
    std::int64_t watchedProgramRunsMs = -1;
    // What each program started from now on writes to its standard error.
    std::string watchedProgramErrorOutput;
    void EndWatchedProgram(ProgramId id) { programs_[id] = monotonic_; }
    ProgramId LastWatchedProgram() const { return lastProgram_; }

    // ---- the door ----------------------------------------------------------------------
    void Beep() override { calls_.push_back({"beep", {}, {}, MsgButtons::OK, {}}); }
    void SetHourglass(bool on) override {
        if (on != hourglass) ++hourglassChanges;
        hourglass = on;
    }
    bool Hourglass() const override { return hourglass; }
    std::string ClipboardText() override { return clipboard; }
    void SetClipboardText(const std::string& text) override { clipboard = text; }
    bool StartProgram(const std::string& program, const std::vector<std::string>& args,
                      WindowShow show) override {
        calls_.push_back({"start", show == WindowShow::Maximized ? "maximized" : "", program,
                          MsgButtons::OK, args});
        return startSucceeds;
    }
    bool OpenInBrowser(const std::string& browser, const std::string& target) override {
        calls_.push_back({"browser", {}, browser, MsgButtons::OK, {target}});
        return startSucceeds;
    }
    bool OpenInTextEditor(const std::string& path) override {
        calls_.push_back({"editor", {}, path, MsgButtons::OK, {}});
        return startSucceeds;
    }
    ProgramId StartWatchedProgram(const std::string& program, const std::vector<std::string>& args,
                                  const std::vector<std::string>&, int) override {
        calls_.push_back({"watch", {}, program, MsgButtons::OK, args});
        if (!startSucceeds) return 0;
        const ProgramId id = ++lastProgram_;
        programs_[id] = watchedProgramRunsMs < 0 ? INT64_MAX : monotonic_ + watchedProgramRunsMs;
        programNames_[id] = program;
        errorOutput_[id] = watchedProgramErrorOutput;
        if (onWatchedProgram) onWatchedProgram(program, args);
        return id;
    }
    bool ProgramRunning(ProgramId id) override {
        const auto it = programs_.find(id);
        return it != programs_.end() && monotonic_ < it->second;
    }
    // A program still running ends at once (it answers the request to end).
    void StopWatchedProgram(ProgramId id, std::int64_t graceMs) override {
        if (!ProgramRunning(id)) return;
        calls_.push_back(
            {"stop", {}, programNames_[id], MsgButtons::OK, {std::to_string(graceMs)}});
        programs_[id] = monotonic_;
    }
    std::string TakeProgramErrorOutput(ProgramId id) override {
        return std::exchange(errorOutput_[id], {});
    }
    std::string FindProgram(const std::string& name) override {
        auto it = programsOnPath.find(name);
        return it == programsOnPath.end() ? std::string() : it->second;
    }
    void Yield() override {
        ++yields;
        for (size_t i = 0; i < onYield_.size();) {
            if (onYield_[i].at != yields) {
                ++i;
                continue;
            }
            const std::function<void()> action = std::move(onYield_[i].action);
            onYield_.erase(onYield_.begin() + static_cast<std::ptrdiff_t>(i));
            action();
        }
    }
    // A yield, then the monotonic clock moves by the wait (firing the timers that fall due).
    void WaitForEvents(std::int64_t ms) override {
        Yield();
        AdvanceMs(ms);
    }
    DateTime Now() override { return now; }
    std::int64_t MonotonicMs() override { return monotonic_; }
    TimerId StartTimer(std::int64_t ms, std::function<void()> onTimeout) override {
        const TimerId id = ++lastTimer_;
        timers_[id] = {monotonic_ + std::max<std::int64_t>(ms, 0), std::move(onTimeout)};
        return id;
    }
    void CancelTimer(TimerId id) override { timers_.erase(id); }
    // As the program's doors do, the file being written beside the main thread is finished and
    // the files of writes in progress are removed first; the door gives the hold of the writing
    // back when it goes (ResumeFileWriting).
    [[noreturn]] void EndProcess(int status) override {
        EndFileWriting();
        calls_.push_back({"end", {}, std::to_string(status), MsgButtons::OK, {}});
        throw ProcessEnded{status};
    }
    bool HasDisplay() override { return display; }

protected:
    void DialogRequested(const DialogRequest& request) override { calls_.push_back(request); }
    MsgAnswer ShowMessageBox(const std::string& text, const std::string& title,
                             MsgButtons) override {
        auto a = Take("message", title + ": " + text);
        return a ? a->answer : MsgAnswer::OK;
    }
    std::optional<std::string> ShowInputBox(const std::string& prompt, const std::string& title,
                                            const std::string&) override {
        auto a = Take("input", title + ": " + prompt);
        return a ? a->text : std::nullopt;
    }
    std::string ShowOpenFileDialog(const std::string& title, const std::string&,
                                   const std::string&) override {
        auto a = Take("open", title);
        return a && a->text ? *a->text : std::string();
    }
    std::string ShowSaveFileDialog(const std::string& title, const std::string&, const std::string&,
                                   const std::string&) override {
        auto a = Take("save", title);
        return a && a->text ? *a->text : std::string();
    }
    // A form is played by its queued script; an unscripted form fails the test.
    bool PresentForm(std::type_index, const std::string& caption, void* form) override {
        auto a = Take("form " + caption, caption);
        if (!a) return false;
        a->form(form);
        return true;
    }

private:
    struct Answer {
        std::string kind;
        MsgAnswer answer = MsgAnswer::OK;
        std::optional<std::string> text;
        std::function<void(void*)> form;
        std::exception_ptr failure;
    };
    struct YieldAction {
        int at;
        std::function<void()> action;
    };
    struct Timer {
        std::int64_t due = 0;
        std::function<void()> run;
    };

    std::optional<Answer> Take(const std::string& kind, const std::string& what) {
        if (queue_.empty()) {
            ADD_FAILURE() << "Unexpected " << kind << " (nothing queued): " << what;
            return std::nullopt;
        }
        if (queue_.front().kind == "failure") {
            const std::exception_ptr failure = queue_.front().failure;
            queue_.pop_front();
            std::rethrow_exception(failure);
        }
        if (queue_.front().kind != kind) {
            ADD_FAILURE() << "A " << kind << " came while a " << queue_.front().kind
                          << " was queued: " << what;
            return std::nullopt;
        }
        Answer a = std::move(queue_.front());
        queue_.pop_front();
        return a;
    }

    std::deque<Answer> queue_;
    std::vector<DoorCall> calls_;
    std::vector<YieldAction> onYield_;
    std::int64_t monotonic_ = 0;
    TimerId lastTimer_ = 0;
    std::map<TimerId, Timer> timers_;
    ProgramId lastProgram_ = 0;
    std::map<ProgramId, std::int64_t> programs_;  // the monotonic time each one ends at
    std::map<ProgramId, std::string> programNames_;
    std::map<ProgramId, std::string> errorOutput_;  // written and not yet taken
};

}  // namespace vel::testing
