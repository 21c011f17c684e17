// A chart view for tests: counts caption refreshes and keeps the scroll bars' state, running
// the day window's change handlers as the chart window's scroll bars do (without a repaint).
#pragma once

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "AppState.h"
#include "ChartView.h"

namespace vel::testing {

class RecordingChartView : public ChartView {
public:
    int captionRefreshes = 0;
    int barMax = 0;  // both bars run from 1 to the number of loaded days
    std::map<DayScrollBar, int> value;
    std::map<DayScrollBar, bool> enabled;
    std::vector<std::string> events;  // "disable 1", "value 2 = 40", ... in order

    void RefreshMenuCaptions() override { ++captionRefreshes; }
    void EnableCharts(bool) override {}
    void ShowStatusText(const std::string&) override {}
    void ShowLabel(ChartLabel, const std::string&) override {}
    void SelectStockInTree(int) override {}
    void SetScrollBarEnabled(DayScrollBar bar, bool on) override {
        enabled[bar] = on;
        events.push_back(std::string(on ? "enable " : "disable ") + Name(bar));
    }
    void SetScrollBarValue(DayScrollBar bar, int v) override {
        events.push_back(std::string("value ") + Name(bar) + " = " + std::to_string(v));
        if (value[bar] == v) return;
        value[bar] = v;
        // The handlers: the first day kept below the last.
        if (bar == DayScrollBar::First) {
            ChartFrom1 = Num(std::min(v, static_cast<int>(ChartTo1) - 1));
        } else {
            ChartTo1 = static_cast<std::int16_t>(std::max(v, ChartFrom1.toInt16() + 1));
        }
    }
    int ScrollBarMin(DayScrollBar) const override { return 1; }
    int ScrollBarMax(DayScrollBar) const override { return barMax; }

private:
    static const char* Name(DayScrollBar bar) { return bar == DayScrollBar::First ? "1" : "2"; }
};

}  // namespace vel::testing
