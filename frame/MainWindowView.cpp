// The main window's state and its view.
#include "MainWindowView.h"

#include <array>

#include "CommandBarrier.h"
#include "Door.h"
#include "MainCommands.h"
#include "ProcessState.h"

namespace vel {

namespace {

// What the main window shows, kept here so it exists without a window.
struct MainWindowState {
    MainWindowView* view = nullptr;
    std::array<std::string, 4> labels;
    double progress = 0;
    bool historyCommandsEnabled = true;
    std::vector<std::string> autorunItems;
    std::string autorunText;
    int timerInterval = 0;
    TimerId timer = 0;  // the pending tick of the downloading timer
    bool operator==(const MainWindowState&) const = default;
};
MainWindowState g_main;
const StateGroup<g_main> kMainWindowGroup("MainWindow");

std::string& Label(MainLabel label) {
    return g_main.labels[static_cast<size_t>(label)];
}

}  // namespace

void InstallMainWindowView(MainWindowView* view) {
    g_main.view = view;
}

void SetMainLabel(MainLabel label, const std::string& text) {
    Label(label) = text;
    if (g_main.view) g_main.view->ShowLabel(label, text);
}

const std::string& MainLabelText(MainLabel label) {
    return Label(label);
}

void SetProgressBarValue(double value) {
    g_main.progress = value;
    if (g_main.view) g_main.view->ShowProgressValue(value);
}

double ProgressBarValue() {
    return g_main.progress;
}

void SetHistoryCommandsEnabled(bool enabled) {
    g_main.historyCommandsEnabled = enabled;
    if (g_main.view) g_main.view->ShowHistoryCommandsEnabled(enabled);
}

bool HistoryCommandsEnabled() {
    return g_main.historyCommandsEnabled;
}

void SetAutorunList(const std::vector<std::string>& items) {
    g_main.autorunItems = items;
    g_main.autorunText = items.empty() ? std::string() : items.front();
    if (g_main.view) g_main.view->ShowAutorunList(g_main.autorunItems, g_main.autorunText);
}

const std::vector<std::string>& AutorunListItems() {
    return g_main.autorunItems;
}

void SetAutorunListText(const std::string& text) {
    g_main.autorunText = text;
}

const std::string& AutorunListText() {
    return g_main.autorunText;
}

namespace {

// One tick: the timer's command, then the next tick while the interval stays set.
void DownloadingTimerTick() {
    g_main.timer = 0;
    RunCommand(&DownloadingTimer_Timer);
    if (g_main.timerInterval > 0 && g_main.timer == 0)
        g_main.timer = door().StartTimer(g_main.timerInterval, &DownloadingTimerTick);
}

}  // namespace

void SetDownloadingTimerInterval(int ms) {
    g_main.timerInterval = ms < 0 ? 0 : ms;
    if (g_main.timer != 0) door().CancelTimer(g_main.timer);
    g_main.timer = 0;
    if (g_main.timerInterval > 0)
        g_main.timer = door().StartTimer(g_main.timerInterval, &DownloadingTimerTick);
}

int DownloadingTimerInterval() {
    return g_main.timerInterval;
}

void ArrangeChildWindows(ArrangeMode mode) {
    if (g_main.view) g_main.view->ArrangeChildWindows(mode);
}

void ResetMainWindowState() {
    g_main = MainWindowState{};
}

}  // namespace vel
