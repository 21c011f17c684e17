// The Stock Basket filled by signal correlation.
#include "BasketCorrelationFill.h"

#include <string>
#include <vector>

#include "AnalysisEntryPoints.h"
#include "AppState.h"
#include "ChartCurves.h"
#include "ChartView.h"
#include "Door.h"
#include "EntryPoints.h"
#include "Hooks.h"
#include "IntervalTable.h"
#include "NumberText.h"
#include "StockBasket.h"
#include "SwingingSearch.h"
#include "VectorStores.h"

namespace vel {

namespace {

constexpr float kNotComputed = -10.0f;  // can never pass the selection
constexpr long kFirstWorkVector = 20;   // the swinging's vectors 20 to 24
constexpr long kGradient = 22, kSignal = 24, kReference = 12, kGradientSum = 10;

// One correlation per stock item number.
using Correlations = std::vector<float>;

std::string Str(long n) {
    return formatWholeExport(n);
}

// The optimised market swinging of stock i on work vectors 20 to 24: vector 22 its smoothed
// relative gradient, vector 24 its signal; BestSoFar the result of its best trial.
void Swinging(long i) {
    CalcIndividualStockSwinging(MainVectors->BufferStart() + i - 1, kFirstWorkVector);
}

double SignalCorrelation(long reference, long signal) {
    return MainVectors->CoordFromToSignalCorrelation(reference, signal, ChartFrom1.toInt16(),
                                                     ChartTo1);
}

// The basket becomes the stocks whose correlation is at least MinCorrelation and at least 0.
void SelectByCorrelation(const Correlations& correlation, float MinCorrelation) {
    EmptyStockBasket();
    const long n = LoadedStockCount();
    for (long i = 1; i <= n; ++i) {
        const float r = correlation[static_cast<size_t>(i)];
        if (r >= MinCorrelation && r >= 0.0f) BasketFlag(i) = 1;
    }
    ResetStockBasket();
}

}  // namespace

void StocksPutIntoStockBasketSateliteNDayPast(float MinCorrelation) {
    clsVectors& m = *MainVectors;
    if (defStockSymbolIndex < 1 || defStockSymbolIndex > m.BufferCount()) {
        door().MessageBox("Select some stock symbol first, please!", "Vellicor", MsgButtons::OK);
        return;
    }
    const std::string symbol = LoadedSymbols(defStockSymbolIndex);
    defStockSymbolString = symbol;
    door().SetHourglass(true);
    SetChartStatusText("Satelite stocks calculation:   Wait, please ...");
    YieldToEvents();
    Swinging(defStockSymbolIndex);
    m.VectorCopy(kSignal, kReference);
    RallyCount = 0;
    if (!(BestSoFar.CompoundProfit > Num(-200))) {
        door().MessageBox("Timing of the selected stock symbol " + symbol + " was not successfull!",
                          "Vellicor", MsgButtons::OK);
    } else {
        ClearChartCurves();
        AppendVectorAsChartCurve(
            kReference, "Satelite stocks calculation:  BUY-SELL signal for stock symbol " + symbol,
            0.0f);
        RefreshChart();
        const long n = LoadedStockCount();
        Correlations correlation(static_cast<size_t>(kMaxSymbols) + 1, kNotComputed);
        long c = 0;
        for (long i = 1; i <= n; ++i) {
            if (BasketFlag(i) != 1) continue;
            ++c;
            SetChartStatusText("Satelite stocks calculation for " + symbol + ":    " + Str(c) +
                               " /" + Str(BasketCount) + "    " + LoadedSymbols(i) +
                               "   Wait, please ...");
            YieldToEvents();
            Swinging(i);
            RallyCount = 0;
            correlation[static_cast<size_t>(i)] =
                static_cast<float>(SignalCorrelation(kReference, kSignal));
        }
        SelectByCorrelation(correlation, MinCorrelation);
    }
    door().SetHourglass(false);
    SetChartStatusText("");
    YieldToEvents();
}

void StocksPutIntoStockBasketMainStreamNDayPast(float MinCorrelation) {
    clsVectors& m = *MainVectors;
    const long n = LoadedStockCount();
    Correlations correlation(static_cast<size_t>(kMaxSymbols) + 1, kNotComputed);
    door().SetHourglass(true);
    SetChartStatusText("Mainstream calculation:    Wait, please ...");
    YieldToEvents();
    YieldToEvents();
    // The chart window's commands: clear the rallies and the curves, then the basket's price
    // and volume statistics and its past short-term profit.
    RunEntryPoint(AnalysisCommands.TradingLogDataClear, "TradingLogDataClear");
    RefreshChart();
    ChartDescriptionClear();
    RunEntryPoint(AnalysisCommands.AppendPriceVolumeTrendCurves, "AppendPriceVolumeTrendCurves");
    RunEntryPoint(AnalysisCommands.AppendPastShortTermProfitCurve,
                  "AppendPastShortTermProfitCurve");
    door().SetHourglass(true);
    YieldToEvents();
    m.CoordAllSetConst(kGradientSum, 0.0f);
    m.CoordAllSetConst(kReference, 0.0f);
    long c = 0;
    float usable = 0.0f;
    RunEntryPoint(AnalysisCommands.ClearStockResultsMatrix, "ClearStockResultsMatrix");
    for (long i = 1; i <= n; ++i) {
        StockResults(i, 1) = 1.0f;
        if (BasketFlag(i) != 1) continue;
        ++c;
        SetChartStatusText(" Mainstream calculation:   " + Str(c) + " /" + Str(BasketCount) +
                           "    " + LoadedSymbols(i) + "   Wait, please ... ");
        YieldToEvents();
        Swinging(i);
        if (BestSoFar.IsUsable()) {
            usable = usable + 1.0f;
            m.VectorCopy(kSignal, m.ModelStart() + i - 1);
            correlation[static_cast<size_t>(i)] = 0.0f;  // to be computed below
            m.CoordAllCombine(kGradient, 1.0f, kGradientSum);
            m.CoordAllCombine(kSignal, 1.0f, kReference);
        }
    }
    if (usable > 0.0f) {
        m.CoordAllCoefMull(kGradientSum, 1.0f / usable);
        m.CoordAllCoefMull(kReference, 1.0f / usable);
    }
    const std::string tail = "  symbols )  Commission =" + FormatNumber(defCommission, "0.00");
    const std::string count = formatSingleExport(usable);
    AppendVectorAsChartCurve(
        kGradientSum,
        "Mainstream calculations: Average relative gradient for Stock Basket ( " + count + tail,
        0.0f);
    AppendVectorAsChartCurve(
        kReference,
        "Mainstream calculations: Average BUY-SELL signal for Stock Basket ( " + count + tail,
        0.0f);
    RefreshChart();
    for (long i = 1; i <= n; ++i)
        if (correlation[static_cast<size_t>(i)] == 0.0f)
            correlation[static_cast<size_t>(i)] =
                static_cast<float>(SignalCorrelation(kReference, m.ModelStart() + i - 1));
    SelectByCorrelation(correlation, MinCorrelation);
    SetChartStatusText("");
    door().SetHourglass(false);
    YieldToEvents();
}

}  // namespace vel
