// The basket trend curves and the chart tools of the same module.
#include "BasketCurves.h"

#include <algorithm>

#include "AppState.h"
#include "ChartCurves.h"
#include "ChartView.h"
#include "Door.h"
#include "Hooks.h"
#include "VectorStores.h"

namespace vel {

namespace {

// A reference value of the statistics; 1 in place of 0, so that no member divides by zero.
Num NonZero(const Num& x) {
    return x == Num(0) ? Num(1) : x;
}

// The single factor 100 / reference.
float PercentFactor(const Num& reference) {
    return (Num(100) / NonZero(reference)).toSingle();
}

// The status text and the hourglass of a long curve calculation, and their end.
void StartCurveCalculation(const std::string& status) {
    door().SetHourglass(true);
    SetChartStatusText(status);
    YieldToEvents();
}
void EndCurveCalculation() {
    door().SetHourglass(false);
    SetChartStatusText("");
    YieldToEvents();
}

bool IsMember(long i) {
    return BasketFlag(i) == 1;
}

// The caption part " (n symbols )" of the basket's member count.
std::string SymbolCount() {
    return " (" + std::to_string(BasketCount) + " symbols )";
}

}  // namespace

void CalcBasketAverageCurves(std::int16_t H) {
    CalcFrom1 = ChartFrom1.toInt16();
    CalcTo1 = ChartTo1;
    GroupFrom = Num(static_cast<int>(ChartFrom2));
    GroupTo = ChartTo2;
    clsVectors& v = *MainVectors;
    for (long k = 20; k <= 24; ++k) v.CoordAllSetConst(H + k, 0.0f);
    float n = 0.0f;
    const long stocks = v.BufferCount();
    for (long i = 1; i <= stocks; ++i) {
        if (!IsMember(i)) continue;
        n = n + 1.0f;
        v.VectorCopy(v.BufferStart() + i - 1, H + 10);
        v.VectorPopFromBuffer(*VolumeVectors, i, H + 11);
        v.CoordAllMull(H + 10, H + 11, H + 12);
        const Num p0 = v.CoordGetSingleValue(H + 10, CalcFrom1);
        const Num pAvg = v.GroupCoordAverage(H + 10);
        const Num mAvg = Num(v.GroupCoordAverage(H + 12).toSingle());
        v.CoordAllCombine(H + 10, 1.0f, H + 20);
        v.CoordAllCombine(H + 12, 1.0f, H + 21);
        v.CoordAllCombine(H + 10, PercentFactor(pAvg), H + 22);
        v.CoordAllCombine(H + 12, PercentFactor(mAvg), H + 23);
        v.CoordAllCombine(H + 10, PercentFactor(p0), H + 24);
    }
    if (n > 0.0f)
        for (long k = 20; k <= 24; ++k) v.CoordAllCoefMull(H + k, 1.0f / n);
    for (long k = 0; k <= 4; ++k) v.VectorCopy(H + 20 + k, H + k);
    v.CoordCoefAdd(H + 4, -100.0f);
    BasketCount = static_cast<std::int16_t>(n);
}

void AppendPriceVolumeTrendCurves() {
    StartCurveCalculation(
        " Market trend calculation: Average price and volume trend.    Wait, please ...");
    const std::int16_t H = MainVectors->HelpStart();
    CalcBasketAverageCurves(H);
    EndCurveCalculation();
    const std::string n = SymbolCount();
    AppendVectorAsChartCurve(H, "Average stock price for Stock Basket" + n);
    AppendVectorAsChartCurve(H + 1, "Average stock money (dollar) volume for Stock Basket" + n);
    AppendVectorAsChartCurve(H + 2, "Average relative stock price in [%] for Stock Basket" + n,
                             100.0f);
    AppendVectorAsChartCurve(
        H + 3, "Average relative stock money (dollar) volume in [%] for Stock Basket" + n, 100.0f);
    AppendVectorAsChartCurve(H + 4,
                             "Profit in [%] of the Theoretical Portfolio for Stock Basket" + n +
                                 "  starting from Day: " + std::to_string(CalcFrom1) +
                                 "   Date: " + TradeDateOfDay(CalcFrom1),
                             0.0f);
    RefreshChart();
}

void CalcBasketPastProfitCurve(std::int16_t V, std::int16_t PastDays) {
    clsVectors& v = *MainVectors;
    v.CoordAllSetConst(V, 0.0f);
    float n = 0.0f;
    const long stocks = v.BufferCount();
    for (long i = 1; i <= stocks; ++i) {
        if (!IsMember(i)) continue;
        n = n + 1.0f;
        v.VectorCopy(v.BufferStart() + i - 1, V + 1);
        v.CoordPastProfit(V + 1, V + 2, PastDays);
        v.CoordAllCombine(V + 2, 1.0f, V);
    }
    if (n > 0.0f) v.CoordAllCoefMull(V, 1.0f / n);
}

void AppendPastShortTermProfitCurve() {
    StartCurveCalculation(
        "  Market trend calculation: Past short term profit trend.   Wait, please ...");
    CalcBasketPastProfitCurve(10, defPastDays);
    EndCurveCalculation();
    AppendVectorAsChartCurve(10,
                             "Past short term profit in [%] for Stock Basket" + SymbolCount() +
                                 "  PastDays=" + std::to_string(defPastDays),
                             0.0f);
    RefreshChart();
}

void DeleteSelectedChartCurve() {
    clsVectors& v = *MainVectors;
    const long s = SelectedChartCurve;
    const long c = v.ChartCount();
    if (s > c || s <= 0 || c <= 1) {
        door().Beep();
        return;
    }
    if (s == c) {
        v.SetChartCount(c - 1);
        RefreshChart();
        SelectedChartCurve = 0;
        RefreshMenuCaptions();
        return;
    }
    for (long k = s + 1; k <= c; ++k) {
        v.VectorCopy(ChartCurveVector(k), ChartCurveVector(k - 1));
        ChartCaption(k - 1) = ChartCaption(k);
        for (long j = 1; j <= 5; ++j) ChartLevel(k - 1, j) = ChartLevel(k, j);
    }
    v.SetChartCount(c - 1);
    RefreshChart();
}

namespace {

// A page of price curves from the displayed stock on, of the stocks the filter takes.
template <class Take>
void DisplayPriceCurvePage(Take&& take) {
    // Nothing displayed yet (0) starts the page at the first stock.
    const long first = std::max<long>(DisplayedStockIndex, 1);
    ClearChartCurves();
    clsVectors& v = *MainVectors;
    const long N = v.BufferCount();
    const long pageSize = std::min<long>(defSymbolsInChartPane, kMaxChartCurves);
    for (long i = first; i <= N; ++i) {
        if (!take(i) || v.ChartCount() >= pageSize) continue;
        AppendVectorAsChartCurve(v.BufferStart() + i - 1, "Stock price for " + LoadedSymbols(i) +
                                                              (IsMember(i) ? "  (in Basket)" : ""));
        DisplayedStockIndex = static_cast<std::int16_t>(i);
    }
    SelectStockInTree(DisplayedStockIndex);
    YieldToEvents();
    RefreshChart();
}

}  // namespace

void DisplayNStockPriceCurvesInMVT() {
    DisplayPriceCurvePage([](long) { return true; });
}

void DisplayNStockPriceCurvesInSB() {
    if (BasketCount <= 0) {
        door().Beep();
        return;
    }
    DisplayPriceCurvePage(IsMember);
}

}  // namespace vel
