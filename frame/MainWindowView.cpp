// The main window's state and its view.
#include "MainWindowView.h"

#include <array>

namespace vel {

namespace {
MainWindowView* g_view = nullptr;
std::array<std::string, 4> g_labels;
double g_progress = 0;
bool g_historyCommandsEnabled = true;
std::vector<std::string> g_autorunItems;
std::string g_autorunText;
int g_timerInterval = 0;

std::string& Label(MainLabel label) {
    return g_labels[static_cast<size_t>(label)];
}
}  // namespace

void InstallMainWindowView(MainWindowView* view) {
    g_view = view;
}

void SetMainLabel(MainLabel label, const std::string& text) {
    Label(label) = text;
    if (g_view) g_view->ShowLabel(label, text);
}

const std::string& MainLabelText(MainLabel label) {
    return Label(label);
}

void SetProgressBarValue(double value) {
    g_progress = value;
    if (g_view) g_view->ShowProgressValue(value);
}

double ProgressBarValue() {
    return g_progress;
}

void SetHistoryCommandsEnabled(bool enabled) {
    g_historyCommandsEnabled = enabled;
    if (g_view) g_view->ShowHistoryCommandsEnabled(enabled);
}

bool HistoryCommandsEnabled() {
    return g_historyCommandsEnabled;
}

void SetAutorunList(const std::vector<std::string>& items) {
    g_autorunItems = items;
    g_autorunText = items.empty() ? std::string() : items.front();
    if (g_view) g_view->ShowAutorunList(g_autorunItems, g_autorunText);
}

const std::vector<std::string>& AutorunListItems() {
    return g_autorunItems;
}

void SetAutorunListText(const std::string& text) {
    g_autorunText = text;
}

const std::string& AutorunListText() {
    return g_autorunText;
}

void SetDownloadingTimerInterval(int ms) {
    g_timerInterval = ms < 0 ? 0 : ms;
    if (g_view) g_view->ShowDownloadingTimerInterval(g_timerInterval);
}

int DownloadingTimerInterval() {
    return g_timerInterval;
}

void ArrangeChildWindows(ArrangeMode mode) {
    if (g_view) g_view->ArrangeChildWindows(mode);
}

void ResetMainWindowState() {
    g_view = nullptr;
    for (auto& l : g_labels) l.clear();
    g_progress = 0;
    g_historyCommandsEnabled = true;
    g_autorunItems.clear();
    g_autorunText.clear();
    g_timerInterval = 0;
}

}  // namespace vel
