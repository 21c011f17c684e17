// The installed door, the rule for unattended dialogs and the form presenters.
#include "Door.h"

#include <cstdio>
#include <stdexcept>

#include "AppState.h"

namespace vel {

namespace {
Door* g_door = nullptr;
MessageLogSink g_messageLogSink = nullptr;
}  // namespace

std::string formatLongTime(const DateTime& t) {
    int h = t.hour % 12;
    if (h == 0) h = 12;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d:%02d:%02d %s", h, t.minute, t.second,
                  t.hour < 12 ? "AM" : "PM");
    return buf;
}

MsgAnswer Door::MessageBox(const std::string& text, const std::string& title, MsgButtons buttons) {
    DialogRequested({"message", title, text, buttons, {}});
    if (DialogsAreUnattended()) {
        LogUnattendedMessage(text);
        return UnattendedAnswer(buttons);
    }
    return ShowMessageBox(text, title, buttons);
}

std::optional<std::string> Door::InputBox(const std::string& prompt, const std::string& title,
                                          const std::string& proposal) {
    DialogRequested({"input", title, prompt, MsgButtons::OKCancel, {proposal}});
    if (DialogsAreUnattended()) return std::nullopt;
    return ShowInputBox(prompt, title, proposal);
}

std::string Door::OpenFileDialog(const std::string& title, const std::string& filter,
                                 const std::string& startFolder) {
    DialogRequested({"open", title, filter, MsgButtons::OKCancel, {startFolder}});
    if (DialogsAreUnattended()) return {};
    return ShowOpenFileDialog(title, filter, startFolder);
}

std::string Door::SaveFileDialog(const std::string& title, const std::string& filter,
                                 const std::string& startFolder, const std::string& defaultName) {
    DialogRequested({"save", title, filter, MsgButtons::OKCancel, {startFolder, defaultName}});
    if (DialogsAreUnattended()) return {};
    return ShowSaveFileDialog(title, filter, startFolder, defaultName);
}

bool Door::ShowFormOfType(std::type_index type, const std::string& caption, void* form) {
    DialogRequested({"form", caption, caption, MsgButtons::OK, {}});
    if (DialogsAreUnattended()) return false;
    return PresentForm(type, caption, form);
}

void Door::DialogRequested(const DialogRequest&) {}

bool Door::PresentForm(std::type_index type, const std::string& caption, void* form) {
    const auto it = presenters_.find(type);
    if (it == presenters_.end()) {
        LogUnattendedMessage("No window shows the form \"" + caption + "\".");
        return false;
    }
    it->second(form);
    return true;
}

void InstallDoor(Door* door) {
    g_door = door;
}

Door& door() {
    if (!g_door) throw std::logic_error("No platform door is installed.");
    return *g_door;
}

Door* InstalledDoor() {
    return g_door;
}

bool DialogsAreUnattended() {
    return AutoRunMode == 1 || !door().HasDisplay();
}

MsgAnswer UnattendedAnswer(MsgButtons buttons) {
    return buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel ? MsgAnswer::No
                                                                              : MsgAnswer::OK;
}

void SetMessageLogSink(MessageLogSink sink) {
    g_messageLogSink = sink;
}

void LogUnattendedMessage(const std::string& text) {
    if (g_messageLogSink) g_messageLogSink("Message: " + text);
}

}  // namespace vel
