// The backtest by stock on the common rallies.
#include "ProfitByStock.h"

#include <algorithm>

#include "AnalysisText.h"
#include "AppState.h"
#include "CsvRows.h"
#include "Door.h"
#include "Hooks.h"
#include "NumberText.h"
#include "RallyProfit.h"
#include "ResultFile.h"
#include "StockResultsMatrix.h"
#include "VectorStores.h"

namespace vel {

namespace {

// A plain profit in percent with no commission: the difference in single precision, the rest
// in double; 0 when the first price is not above 0.
double PlainProfit(float from, float to) {
    return RallyProfitPercent(from, to, 0.0f);
}

}  // namespace

bool CalcTradingLogProfitByStock(const std::string& ByStockFilePath,
                                 const std::string& ByRallyFilePath, bool* byStockWritten,
                                 bool* byRallyWritten) {
    door().SetHourglass(true);
    YieldToEvents();
    for (long r = 1; r <= kRankedRows; ++r) StockResults(r, col::MarketTimingOK) = 0.0f;
    ResultFile byStock(ByStockFilePath);
    ResultFile byRally(ByRallyFilePath);
    YieldToEvents();

    const clsVectors& v = *MainVectors;
    const long stocks = v.BufferCount();
    const long lastDay = v.CoordDim();
    const long rallies = RallyCount;
    for (long i = 1; i <= stocks && rallies >= 1; ++i) {
        const long P = v.BufferStart() + i - 1;
        const std::string symbol = CsvTextField(LoadedSymbols(i));
        const long first = TradingLog(1, 1);
        const long last = std::min<long>(TradingLog(rallies, 2), ChartTo1);
        const float BH =
            static_cast<float>(PlainProfit(v.CoordGetSingle(P, first), v.CoordGetSingle(P, last)));
        double C = 0.0;
        float SumP = 0.0f;
        std::string pattern;
        for (long r = 1; r <= rallies; ++r) {
            const long b = TradingLog(r, 1);
            const long s = std::min<long>(TradingLog(r, 2), lastDay);
            const double RP = PlainProfit(v.CoordGetSingle(P, b), v.CoordGetSingle(P, s));
            pattern = std::to_string(r) + (RP > 0.0 ? "A" : "D") + pattern;
            SumP = static_cast<float>(static_cast<double>(SumP) + RP);
            C = ((C / 100.0 + 1.0) * (RP / 100.0 + 1.0) - 1.0) * 100.0;
            CsvItemCount = 0;
            AddCSVItem("MoneyVolumeRank", SignBlankWhole(i));
            AddCSVItem("StockSymbol", symbol);
            AddCSVItem("RallyNum", SignBlankWhole(r));
            AddCSVItem("RallyProfit", formatFixed(RP, 2));
            AddCSVItem("BuyPos", formatFixed(static_cast<double>(b), 0));
            AddCSVItem("SellPos", formatFixed(static_cast<double>(s), 0));
            AddCSVItem("BuyDate", TradeDateOfDay(b));
            AddCSVItem("SellDate", TradeDateOfDay(s));
            byRally.PrintRow(static_cast<std::int32_t>(i + r - 1));
        }
        CsvItemCount = 0;
        AddCSVItem("MoneyVolumeRank", SignBlankWhole(i));
        AddCSVItem("StockSymbol", symbol);
        AddCSVItem("CompoundNetProfitB", formatFixed(C, 2));
        AddCSVItem("RallyCountB", formatFixed(static_cast<double>(rallies), 2));
        AddCSVItem("BuyAndHoldProfit", formatFixed(BH, 2));
        AddCSVItem("ProfitGain", formatFixed(C - BH, 2));
        AddCSVItem("ProfitPattern", pattern);
        byStock.PrintRow(static_cast<std::int32_t>(i));
        StockResults(i, col::MarketTimingOK) = static_cast<float>(i);
        StockResults(i, col::CompoundNetProfitMT) = checkedSingle(C);
        StockResults(i, col::RallyCountB) = static_cast<float>(rallies);
        StockResults(i, col::SummaryProfit) = SumP;
        StockResults(i, col::TotalPlainProfit) = BH;
        StockResults(i, col::ProfitGain) = checkedSingle(C - BH);
    }
    const bool rallyFileWritten = byRally.Close();
    const bool stockFileWritten = byStock.Close();
    if (byStockWritten) *byStockWritten = stockFileWritten;
    if (byRallyWritten) *byRallyWritten = rallyFileWritten;
    door().SetHourglass(false);
    YieldToEvents();
    return rallyFileWritten && stockFileWritten;
}

}  // namespace vel
