// Trading results of the rallies over the Stock Basket.
#include "TradingResults.h"

#include <algorithm>
#include <optional>

#include "AnalysisText.h"
#include "AppState.h"
#include "ChartCurves.h"
#include "CsvRows.h"
#include "HtmlReport.h"
#include "NumberText.h"
#include "RallyProfit.h"
#include "ResultFile.h"
#include "VectorStores.h"

namespace vel {

std::string TradingResultsText;

namespace {

// The average net profit of the basket's members on one rally, and the member count.
double BasketRallyProfit(const clsVectors& v, long b, long s) {
    long n = 0;
    double S = 0.0;
    const long stocks = v.BufferCount();
    for (long k = 1; k <= stocks; ++k) {
        if (BasketFlag(k) != 1) continue;
        ++n;
        const long P = v.BufferStart() + k - 1;
        S += RallyProfitPercent(v.CoordGetSingle(P, b), v.CoordGetSingle(P, s), defCommission);
    }
    return n > 0 ? S / static_cast<double>(n) : 0.0;
}

std::string ResultsText(float C) {
    std::string t = "BASIC TRADING RESULTS (backtesting):\n   \n";
    if (RallyCount < 1) return t + "No trading rallies found!\n";
    t += "Average net compound profit [%] = " + FormatFixed(C, 2) + "\n";
    t += "Trading rallies = " + FormatFixed(RallyCount, 0) + "\n";
    t += "Signal = " + GetCursorSignalText() + "\n";
    t += "One way commission [%] = " + FormatFixed(defCommission, 2) + "\n";
    t += "From trading day = " + FormatFixed(ChartFrom1.toDouble(), 0) + "\n";
    t += "To trading day = " + FormatFixed(ChartTo1, 0) + "\n";
    t += "Stock symbols = " + FormatFixed(BasketCount, 0) + "\n";
    if (SelectedChartCurve > 0) {
        t += "Selected chart curve = " + FormatFixed(SelectedChartCurve, 0) + "\n";
        t += "Curve caption = " + ChartCaption(SelectedChartCurve) + "\n";
    }
    return t;
}

void SummaryRow(float C) {
    CsvItemCount = 0;
    AddCSVItem("CompoundProfit", formatSingle(C));
    AddCSVItem("TradingRallies", std::to_string(RallyCount));
    AddCSVItem("OneWayCommission", formatSingle(defCommission));
    AddCSVItem("FromTradingDay", formatDouble(ChartFrom1.toDouble()));
    AddCSVItem("ToTradingDay", std::to_string(ChartTo1));
    AddCSVItem("StockSymbols", std::to_string(BasketCount));
    if (SelectedChartCurve > 0) {
        AddCSVItem("SelectedChartCurve = ", SignBlankWhole(SelectedChartCurve));
        AddCSVItem("ChartCaption", "\"" + ChartCaption(SelectedChartCurve) + "\"");
    }
}

}  // namespace

float CalcBasicTradingResults(const std::string& CsvFilePath, bool* fileWritten) {
    std::optional<ResultFile> file;
    if (!CsvFilePath.empty()) file.emplace(CsvFilePath);
    const clsVectors& v = *MainVectors;
    const long lastDay = v.CoordDim();
    float C = 0.0f;
    for (long r = 1; r <= RallyCount; ++r) {
        const long b = TradingLog(r, 1);
        const long s = std::min<long>(TradingLog(r, 2), lastDay);
        const double A = BasketRallyProfit(v, b, s);
        C = CompoundStep(C, A);
        CsvItemCount = 0;
        AddCSVItem("RallyNum", SignBlankWhole(r));
        AddCSVItem("ProfitOfThisRally", SignBlankDouble(A));
        AddCSVItem("CompoundProfitFromRally", SignBlank(C));
        AddCSVItem("StockSymbolCount", SignBlankWhole(BasketCount));
        AddCSVItem("DayCount", SignBlankWhole(s - b));
        AddCSVItem("BuyPos", SignBlankWhole(b));
        AddCSVItem("SellPos", SignBlankWhole(s));
        AddCSVItem("BuyDate", TradeDateOfDay(b));
        AddCSVItem("SellDate", TradeDateOfDay(s));
        AddCSVItem("PeriodFromPos", SignBlankDouble(ChartFrom1.toDouble()));
        AddCSVItem("PeriodToPos", SignBlankWhole(ChartTo1));
        AddCSVItem("PeriodFromDate", TradeDateOfDay(ChartFrom1.toInt16()));
        AddCSVItem("PeriodToDate", TradeDateOfDay(ChartTo1));
        if (file) file->PrintRow(static_cast<std::int32_t>(r));
    }
    const bool written = file && file->Close();
    if (fileWritten) *fileWritten = written;
    TradingResultsText = ResultsText(C);
    SummaryRow(C);
    return C;
}

}  // namespace vel
