// The installed door and the rule for unattended dialogs.
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

void InstallDoor(Door* door) {
    g_door = door;
}

Door& door() {
    if (!g_door) throw std::logic_error("No platform door is installed.");
    return *g_door;
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
