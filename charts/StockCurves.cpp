// The displayed stock's curves and its individual calculations.
#include "StockCurves.h"

#include <string>

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
#include "VectorStores.h"

namespace vel {

namespace {

bool DisplayedStockDefined() {
    return DisplayedStockIndex >= 1 && DisplayedStockIndex <= LoadedStockCount();
}

// Curve `to` becomes curve `from` times 100 / divisor when the divisor is above 0, an
// unscaled copy otherwise.
void CopyScaledTo100(clsVectors& v, long from, long to, const Num& divisor) {
    v.VectorCopy(from, to);
    if (divisor > Num(0)) v.CoordAllCoefMull(to, (Num(100) / divisor).toSingle());
}

}  // namespace

void DisplayStockCurves() {
    CalcFrom1 = ChartFrom1.toInt16();
    CalcTo1 = ChartTo1;
    GroupFrom = Num(static_cast<int>(ChartFrom2));
    GroupTo = ChartTo2;
    if (!DisplayedStockDefined()) {
        door().MessageBox("Stock index not defined!", "Vellicor", MsgButtons::OK);
        door().Beep();
        return;
    }
    const long stock = DisplayedStockIndex;
    const std::string s = LoadedSymbols(stock) + (BasketFlag(stock) == 1 ? "   (in Basket)" : "");
    ClearChartCurves();

    clsVectors& v = *MainVectors;
    auto curve = [&](long k) { return ChartCurveVector(k); };
    v.VectorCopy(v.BufferStart() + stock - 1, curve(1));
    ChartCaption(1) = "Stock price for " + s;
    v.VectorPopFromBuffer(*VolumeVectors, stock, curve(3));
    ChartCaption(3) = "Stock volume for " + s;
    v.CoordAllMull(curve(1), curve(3), curve(2));
    ChartCaption(2) = "Stock money (dollar) volume for " + s;
    CopyScaledTo100(v, curve(1), curve(4), v.GroupCoordAverage(curve(1)));
    ChartCaption(4) = "Relative stock price in [%] for " + s;
    ChartLevel(4, 1) = 100;
    CopyScaledTo100(v, curve(2), curve(5), v.GroupCoordAverage(curve(2)));
    ChartCaption(5) = "Relative stock money (dollar) volume in [%] for " + s;
    ChartLevel(5, 1) = 100;
    CopyScaledTo100(v, curve(1), curve(6), v.CoordGetSingleValue(curve(1), CalcFrom1));
    v.CoordCoefAdd(curve(6), -100.0f);
    ChartCaption(6) = "Profit in [%] for " + s +
                      "  starting from Day: " + formatWholeExport(CalcFrom1) +
                      "  Date: " + TradeDateOfDay(CalcFrom1);
    ChartLevel(6, 1) = 0;
    v.CoordPastProfit(curve(1), curve(7), defPastDays);
    ChartCaption(7) = "Past short term profit in [%] for " + s +
                      "   Past days = " + formatWholeExport(defPastDays);
    ChartLevel(7, 1) = 0;
    v.SetChartCount(7);
    RefreshChart();

    SetChartLabel(ChartLabel::Symbols,
                  formatWholeExport(stock) + " /" + formatWholeExport(LoadedStockCount()));
    SetChartStatusText("");
    YieldToEvents();
    BasketPosition = 0;
    if (BasketFlag(stock) == 1) {
        for (long i = 1; i <= stock; ++i)
            if (BasketFlag(i) == 1) ++BasketPosition;
    }
    SetChartLabel(ChartLabel::BasketCount,
                  formatWholeExport(BasketPosition) + " /" + formatWholeExport(BasketCount));
    YieldToEvents();
}

namespace {

using Optimisation = std::function<IndividualResult(std::int16_t, std::int16_t)>;

struct IndividualCalculation {
    const Optimisation& core;
    const char* coreName;
    const char* prefix;
    std::int16_t signal;
    const char* result;
    bool diligence;
};

void PaintIndividualStock(const IndividualCalculation& c) {
    if (!c.core) {
        EntryPointNotRegistered(c.coreName);
        return;
    }
    RunEntryPoint(AnalysisCommands.TradingLogDataClear, "TradingLogDataClear");
    if (!DisplayedStockDefined()) {
        door().Beep();
        return;
    }
    const auto vb = static_cast<std::int16_t>(MainVectors->BufferStart() + DisplayedStockIndex - 1);
    DisplayStockCurves();
    const std::string symbol = LoadedSymbols(DisplayedStockIndex);
    SetChartStatusText(c.prefix + symbol + "   Wait, please ...");
    door().SetHourglass(true);
    YieldToEvents();
    const IndividualResult r = c.core(vb, 2);
    RunEntryPoint(AnalysisCommands.SignalVectorToTradingLog, "SignalVectorToTradingLog", c.signal,
                  true);
    RefreshChart();
    std::string status = c.result + symbol + ":   " + "    Profit (net compound) = " +
                         FormatNumber(static_cast<float>(r.compoundProfit), "0.00") + "%" +
                         "   Rallies = " + FormatNumber(r.rallies, "0") +
                         "   One way commission = " + FormatNumber(defCommission, "0.00") + "%";
    if (c.diligence) status += "   Diligence = " + FormatNumber(defDiligence, "0.00");
    SetChartStatusText(status);
    door().SetHourglass(false);
    YieldToEvents();
}

}  // namespace

void PaintIndividualStockTiming() {
    PaintIndividualStock({AnalysisCommands.CalcIndividualStockTiming, "CalcIndividualStockTiming",
                          " Individual stock timing for ", 4, " Timing results for ", false});
}

void PaintIndividualStockSwinging() {
    PaintIndividualStock({AnalysisCommands.CalcIndividualStockSwinging,
                          "CalcIndividualStockSwinging", " Individual stock swinging for ", 6,
                          " Swinging results for ", true});
}

void PaintIndividualStockSpecialSwinging() {
    PaintIndividualStock(
        {AnalysisCommands.CalcIndividualStockSpecialSwinging, "CalcIndividualStockSpecialSwinging",
         " Special individual stock swinging for ", 6, " Special swinging results for ", true});
}

}  // namespace vel
