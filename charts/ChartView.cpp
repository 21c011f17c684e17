// The chart window as the code below it sees it.
#include "ChartView.h"

#include <array>

#include "CommandBarrier.h"

namespace vel {

namespace {
ChartView* g_view = nullptr;
std::string g_status;
std::array<std::string, 4> g_labels;
// The status bar holds the wait texts of the long commands: a command that stops with an
// error takes its text with it.
const bool g_statusIsACommandText =
    (RegisterCommandText(ChartStatusText, SetChartStatusText), true);
}  // namespace

void InstallChartView(ChartView* view) {
    g_view = view;
}

ChartView* CurrentChartView() {
    return g_view;
}

void RefreshMenuCaptions() {
    if (g_view) g_view->RefreshMenuCaptions();
}

void EnableCharts(bool enabled) {
    if (g_view) g_view->EnableCharts(enabled);
}

void SetChartStatusText(const std::string& text) {
    g_status = text;
    if (g_view) g_view->ShowStatusText(text);
}

const std::string& ChartStatusText() {
    return g_status;
}

void SetChartLabel(ChartLabel label, const std::string& text) {
    g_labels[static_cast<size_t>(label)] = text;
    if (g_view) g_view->ShowLabel(label, text);
}

const std::string& ChartLabelText(ChartLabel label) {
    return g_labels[static_cast<size_t>(label)];
}

void SelectStockInTree(int stockIndex) {
    if (g_view) g_view->SelectStockInTree(stockIndex);
}

void ResetChartViewState() {
    g_view = nullptr;
    g_status.clear();
    for (auto& l : g_labels) l.clear();
}

}  // namespace vel
