// The chart state and the routines of the curve table, panes and day window.
#include "ChartCurves.h"

#include "ChartPainter.h"
#include "ChartView.h"
#include "Door.h"
#include "Hooks.h"
#include "Num.h"
#include "NumberText.h"
#include "VectorStores.h"

namespace vel {

Table1D<std::string> ChartCaption("ChartCaption", 1, kMaxChartCurves, "");
Table2D<float> ChartLevel = [] {
    Table2D<float> t("ChartLevel", 1, kMaxChartCurves, 1, 5);
    for (long k = 1; k <= kMaxChartCurves; ++k)
        for (long j = 1; j <= 5; ++j) t(k, j) = kNoLevel;
    return t;
}();
Table2D<std::int32_t> ChartPaneRect("ChartPaneRect", 1, kMaxChartCurves + 1, 1, 4);
std::int32_t ChartClickX = 0;
float PlotOriginX = 0.0f, PlotScaleX = 0.0f;
ChartTarget* ChartPicture = &UnshownChartTarget();

const char* const kChartFullText =
    " The chart holds 50 curves, the most it can show: no curve was appended.";

ChartTarget& UnshownChartTarget() {
    static ChartTarget target(8985.0, 3975.0);
    return target;
}

long ChartCurveVector(long k) {
    return MainVectors->ChartStart() + k;
}

void ClearChartPicture() {
    ChartPicture->List().Clear();
    ChartPicture->Present();
    YieldToEvents();
}

void ClearChartCurves() {
    for (long k = 1; k <= kMaxChartCurves; ++k) {
        for (long j = 1; j <= 5; ++j) ChartLevel(k, j) = kNoLevel;
        ChartCaption(k).clear();
    }
    if (MainVectors) MainVectors->SetChartCount(0);
}

void ChartDescriptionClear() {
    ClearChartCurves();
    ClearChartPicture();
}

void CancelChartCurveSelection() {
    SelectedChartCurve = 0;
    RefreshMenuCaptions();
}

std::int16_t AppendChartCurve(const std::string& caption) {
    const long n = MainVectors->ChartCount() + 1;
    if (n > kMaxChartCurves) {
        door().Beep();
        SetChartStatusText(kChartFullText);
        return 0;
    }
    MainVectors->SetChartCount(n);
    ChartCaption(n) = caption;
    for (long j = 1; j <= 5; ++j) ChartLevel(n, j) = kNoLevel;
    return static_cast<std::int16_t>(n);
}

std::int16_t AppendVectorAsChartCurve(long from, const std::string& caption, float level1) {
    const std::int16_t k = AppendChartCurve(caption);
    if (k == 0) return 0;
    MainVectors->VectorCopy(from, ChartCurveVector(k));
    if (level1 != kNoLevel) ChartLevel(k, 1) = level1;
    return k;
}

void RefreshChart() {
    Door& d = door();
    // A repaint inside a long command leaves that command's hourglass on.
    const bool hourglass = d.Hourglass();
    d.SetHourglass(true);
    YieldToEvents();
    if (MainVectors && MainVectors->ChartCount() > 0) {
        ChartPicture->List().Clear();
        CalcChartPaneLayout();
        PaintChart();
        ChartPicture->Present();
        YieldToEvents();
    }
    d.SetHourglass(hourglass);
    YieldToEvents();
}

void CalcChartPaneLayout() {
    long n = MainVectors->ChartCount();
    if (n > kMaxChartCurves) n = kMaxChartCurves;
    if (n < 1) n = 1;
    MainVectors->SetChartCount(n);
    const double sw = ChartPicture->ScaleWidth(), sh = ChartPicture->ScaleHeight();
    ChartPaneRect(n + 1, 1) = 5;
    ChartPaneRect(n + 1, 2) = 5;
    ChartPaneRect(n + 1, 3) = toInt32(sw - 16);
    ChartPaneRect(n + 1, 4) = toInt32(sh - 16);
    const std::int32_t w = toInt32(sw - 32);
    const std::int32_t h = toInt32((sh - 32 - 950) / static_cast<double>(n));
    for (long i = 1; i <= n; ++i) {
        ChartPaneRect(i, 1) = 16;
        ChartPaneRect(i, 2) = 16 + static_cast<std::int32_t>(i - 1) * h;
        ChartPaneRect(i, 3) = 16 + w;
        ChartPaneRect(i, 4) = 16 + static_cast<std::int32_t>(i) * h;
    }
}

std::int16_t GetPaneAtPoint(double x, double y) {
    if (!MainVectors || MainVectors->ChartCount() == 0) return 0;
    CalcChartPaneLayout();
    std::int16_t hit = 0;
    for (long i = 1; i <= MainVectors->ChartCount(); ++i) {
        if (ChartPaneRect(i, 1) <= x && x <= ChartPaneRect(i, 3) && ChartPaneRect(i, 2) <= y &&
            y <= ChartPaneRect(i, 4))
            hit = static_cast<std::int16_t>(i);
    }
    return hit;
}

namespace {

// Sets a scroll bar of the chart window with the bar disabled meanwhile, as the day range
// setter does; nothing without a window.
void SetBarBracketed(DayScrollBar bar, int value) {
    ChartView* view = CurrentChartView();
    if (!view) return;
    view->SetScrollBarEnabled(bar, false);
    YieldToEvents();
    view->SetScrollBarValue(bar, value);
    YieldToEvents();
    view->SetScrollBarEnabled(bar, true);
    YieldToEvents();
}

}  // namespace

void SetChartDayRange(long daysBack) {
    if (ChartView* view = CurrentChartView()) {
        SetBarBracketed(DayScrollBar::First, view->ScrollBarMin(DayScrollBar::First));
        SetBarBracketed(DayScrollBar::Last, view->ScrollBarMax(DayScrollBar::First));
    }
    const long dim = MainVectors->CoordDim();
    long to = dim;
    long from = to - daysBack + 1;
    if (from < 1) from = 1;
    if (from > dim) from = dim;
    if (to < 1) to = 1;
    if (to > dim) to = dim;
    if (from > to) from = to;
    ChartTo1 = static_cast<std::int16_t>(to);
    ChartFrom1 = Num(static_cast<int>(from));
    ChartFrom2 = static_cast<std::int16_t>(from);
    ChartTo2 = ChartTo1;
    SetBarBracketed(DayScrollBar::First, static_cast<int>(from));
    SetBarBracketed(DayScrollBar::Last, static_cast<int>(to));
    SetChartLabel(ChartLabel::DisplayedDayCount, DisplayedDayCountText());
    SetChartLabel(ChartLabel::ChartFromTo, ChartFromToText());
    YieldToEvents();
    RefreshMenuCaptions();
}

std::string DisplayedDayCountText() {
    return std::to_string(ChartTo1 - ChartFrom1.toInt16() + 1);
}

std::string ChartFromToText() {
    const long from = ChartFrom1.toInt16();
    return "From day " + formatWholeExport(from) + " date " + TradeDateOfDay(from) + "   to day " +
           formatWholeExport(ChartTo1) + " date " + TradeDateOfDay(ChartTo1);
}

void ResetChartState() {
    for (long k = 1; k <= kMaxChartCurves; ++k) {
        ChartCaption(k).clear();
        for (long j = 1; j <= 5; ++j) ChartLevel(k, j) = kNoLevel;
    }
    ChartPaneRect.clear();
    ChartClickX = 0;
    PlotOriginX = PlotScaleX = 0.0f;
    UnshownChartTarget().List().Clear();
    UnshownChartTarget().SetPresenter(nullptr);
    UnshownChartTarget().SetScaleSize(8985.0, 3975.0);
    ChartPicture = &UnshownChartTarget();
}

}  // namespace vel
