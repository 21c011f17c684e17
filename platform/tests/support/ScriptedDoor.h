// The scripted door of the tests: dialogs take their answers from a queue, every call is
// recorded (kind, title, text, buttons, arguments), a dialog without a queued answer fails the
// test, the clock stands still and the end of the process becomes an exception.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Door.h"

namespace vel::testing {

// Thrown by ScriptedDoor::EndProcess in place of ending the test program.
struct ProcessEnded {
    int status;
};

// One recorded call. kind: "message", "input", "open", "save", "beep", "start", "browser",
// "editor", "end". For "start" and "browser" the program is in text and its arguments in args.
struct DoorCall {
    std::string kind;
    std::string title;
    std::string text;
    MsgButtons buttons = MsgButtons::OK;
    std::vector<std::string> args;
};

class ScriptedDoor : public Door {
public:
    // ---- answers, taken in order; the kind of the next dialog must match --------------------
    void QueueMessageAnswer(MsgAnswer answer) { queue_.push_back({"message", answer, {}}); }
    void QueueInput(std::optional<std::string> text) { queue_.push_back({"input", {}, text}); }
    void QueueOpenFile(const std::string& path) { queue_.push_back({"open", {}, path}); }
    void QueueSaveFile(const std::string& path) { queue_.push_back({"save", {}, path}); }
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

    // ---- the door ----------------------------------------------------------------------
    MsgAnswer MessageBox(const std::string& text, const std::string& title,
                         MsgButtons buttons) override {
        calls_.push_back({"message", title, text, buttons, {}});
        if (DialogsAreUnattended()) {
            LogUnattendedMessage(text);
            return UnattendedAnswer(buttons);
        }
        auto a = Take("message", title + ": " + text);
        return a ? a->answer : MsgAnswer::OK;
    }
    std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                        const std::string& proposal) override {
        calls_.push_back({"input", title, prompt, MsgButtons::OKCancel, {proposal}});
        if (DialogsAreUnattended()) return std::nullopt;
        auto a = Take("input", title + ": " + prompt);
        return a ? a->text : std::nullopt;
    }
    std::string OpenFileDialog(const std::string& title, const std::string& filter,
                               const std::string& startFolder) override {
        calls_.push_back({"open", title, filter, MsgButtons::OKCancel, {startFolder}});
        if (DialogsAreUnattended()) return {};
        auto a = Take("open", title);
        return a && a->text ? *a->text : std::string();
    }
    std::string SaveFileDialog(const std::string& title, const std::string& filter,
                               const std::string& startFolder,
                               const std::string& defaultName) override {
        calls_.push_back({"save", title, filter, MsgButtons::OKCancel, {startFolder, defaultName}});
        if (DialogsAreUnattended()) return {};
        auto a = Take("save", title);
        return a && a->text ? *a->text : std::string();
    }
    void Beep() override { calls_.push_back({"beep", {}, {}, MsgButtons::OK, {}}); }
    void SetHourglass(bool on) override {
        if (on != hourglass) ++hourglassChanges;
        hourglass = on;
    }
    std::string ClipboardText() override { return clipboard; }
    void SetClipboardText(const std::string& text) override { clipboard = text; }
    bool StartProgram(const std::string& program, const std::vector<std::string>& args) override {
        calls_.push_back({"start", {}, program, MsgButtons::OK, args});
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
    std::string FindProgram(const std::string& name) override {
        auto it = programsOnPath.find(name);
        return it == programsOnPath.end() ? std::string() : it->second;
    }
    void Yield() override { ++yields; }
    DateTime Now() override { return now; }
    [[noreturn]] void EndProcess(int status) override {
        calls_.push_back({"end", {}, std::to_string(status), MsgButtons::OK, {}});
        throw ProcessEnded{status};
    }
    bool HasDisplay() override { return display; }

private:
    struct Answer {
        std::string kind;
        MsgAnswer answer = MsgAnswer::OK;
        std::optional<std::string> text;
    };

    std::optional<Answer> Take(const std::string& kind, const std::string& what) {
        if (queue_.empty()) {
            ADD_FAILURE() << "Unexpected " << kind << " dialog (no answer queued): " << what;
            return std::nullopt;
        }
        if (queue_.front().kind != kind) {
            ADD_FAILURE() << "A " << kind << " dialog came while a " << queue_.front().kind
                          << " answer was queued: " << what;
            return std::nullopt;
        }
        Answer a = queue_.front();
        queue_.pop_front();
        return a;
    }

    std::deque<Answer> queue_;
    std::vector<DoorCall> calls_;
};

}  // namespace vel::testing
