// The chart window as the code below it sees it: the menu captions, the switching of its
// controls during long calculations, its status bar, its labels, the Money Volume Tree's
// selection and the two day-window scroll bars. The texts of the labels and the status bar
// live here, so computing code and tests work without a window; the chart window, once
// loaded, installs itself as the view and shows every change and runs its own handlers.
#pragma once

#include <string>

namespace vel {

enum class ChartLabel { Symbols, BasketCount, ChartFromTo, DisplayedDayCount };
// HScroll1 sets the first shown day, HScroll2 the last.
enum class DayScrollBar { First = 1, Last = 2 };

class ChartView {
public:
    virtual ~ChartView() = default;
    // Rewrites the parameter and state captions of the menus.
    virtual void RefreshMenuCaptions() = 0;
    // Enables or disables the window's tree, picture, buttons, top menus, scroll bars, delay
    // list and cursor control.
    virtual void EnableCharts(bool enabled) = 0;
    virtual void ShowStatusText(const std::string& text) = 0;
    virtual void ShowLabel(ChartLabel label, const std::string& text) = 0;
    // Selects the tree node of the stock (node stockIndex + 1; the root is node 1), scrolls it
    // into view and gives the tree the focus when it is visible.
    virtual void SelectStockInTree(int stockIndex) = 0;
    virtual void SetScrollBarEnabled(DayScrollBar bar, bool enabled) = 0;
    // Sets the bar's value; a changed value runs the bar's change handler.
    virtual void SetScrollBarValue(DayScrollBar bar, int value) = 0;
    virtual int ScrollBarMin(DayScrollBar bar) const = 0;
    virtual int ScrollBarMax(DayScrollBar bar) const = 0;
};

// Installs the chart window's view (nullptr: none, as before the window loads).
void InstallChartView(ChartView* view);
ChartView* CurrentChartView();

// Each of these goes to the view when one is installed and does nothing (beyond keeping the
// text) otherwise.
void RefreshMenuCaptions();
void EnableCharts(bool enabled);
void SetChartStatusText(const std::string& text);
const std::string& ChartStatusText();
void SetChartLabel(ChartLabel label, const std::string& text);
const std::string& ChartLabelText(ChartLabel label);
void SelectStockInTree(int stockIndex);

// Back to the state before the chart window loads (no view, empty texts).
void ResetChartViewState();

}  // namespace vel
