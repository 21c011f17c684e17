// Trading results of the rallies over the Stock Basket.
#include "TradingResults.h"

#include <algorithm>
#include <optional>

#include "AnalysisText.h"
#include "AppState.h"
#include "ChartCurves.h"
#include "CommandBarrier.h"
#include "CsvRows.h"
#include "Errors.h"
#include "HtmlReport.h"
#include "NumberText.h"
#include "RallyProfit.h"
#include "ResultFile.h"
#include "VectorStores.h"

namespace vel {

std::string TradingResultsText;

namespace {

// A report replaces the text while it backtests and puts it back when it ends; when an error
// stops a command, the command barrier puts it back.
const bool g_resultsTextIsACommandText =
    (RegisterCommandText([]() -> const std::string& { return TradingResultsText; },
                         [](const std::string& text) { TradingResultsText = text; }),
     true);

// The average of the members' net profits on one rally: the sum in member order divided by
// their number, 0 for no member (an empty basket earns nothing).
double AverageProfit(double sum, long members) {
    return members > 0 ? sum / static_cast<double>(members) : 0.0;
}

// The average net profit of the basket's members on one rally.
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
    return AverageProfit(S, n);
}

std::string ResultsText(float C) {
    std::string t = "BASIC TRADING RESULTS (backtesting):\n   \n";
    if (RallyCount < 1) return t + "No trading rallies found!\n";
    t += "Average net compound profit [%] = " + formatFixed(C, 2) + "\n";
    t += "Trading rallies = " + formatFixed(RallyCount, 0) + "\n";
    t += "Signal = " + GetCursorSignalText() + "\n";
    t += "One way commission [%] = " + formatFixed(defCommission, 2) + "\n";
    t += "From trading day = " + formatFixed(ChartFrom1.toDouble(), 0) + "\n";
    t += "To trading day = " + formatFixed(ChartTo1, 0) + "\n";
    t += "Stock symbols = " + formatFixed(BasketCount, 0) + "\n";
    if (SelectedChartCurve > 0) {
        t += "Selected chart curve = " + formatFixed(SelectedChartCurve, 0) + "\n";
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
        AddCSVItem("ChartCaption", CsvQuotedField(ChartCaption(SelectedChartCurve)));
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

BasketRallyPricer::BasketRallyPricer(long firstDay, long lastDay) : commission_(defCommission) {
    const clsVectors& v = *MainVectors;
    lastLoaded_ = v.CoordDim();
    first_ = firstDay;
    last_ = std::min(lastDay, lastLoaded_);
    std::vector<long> rows;
    const long stocks = v.BufferCount();
    for (long k = 1; k <= stocks; ++k)
        if (BasketFlag(k) == 1) rows.push_back(v.BufferStart() + k - 1);
    members_ = rows.size();
    auto prices = std::make_shared<std::vector<float>>();
    if (last_ >= first_) {
        prices->resize(static_cast<std::size_t>(last_ - first_ + 1) * members_);
        for (std::size_t m = 0; m < members_; ++m)
            for (long d = first_; d <= last_; ++d)
                (*prices)[static_cast<std::size_t>(d - first_) * members_ + m] =
                    v.CoordGetSingle(rows[m], d);
    }
    prices_ = std::move(prices);
}

double BasketRallyPricer::PairProfit(long b, long s) {
    if (b < first_ || b > last_ || s < first_ || s > last_)
        throw SubscriptRangeError("Subscript out of range: rally " + std::to_string(b) + ", " +
                                  std::to_string(s) + " outside the priced days " +
                                  std::to_string(first_) + ".." + std::to_string(last_));
    const std::uint32_t key = static_cast<std::uint32_t>(b) << 16 | static_cast<std::uint32_t>(s);
    if (const auto it = pairs_.find(key); it != pairs_.end()) return it->second;
    const float* pb = prices_->data() + static_cast<std::size_t>(b - first_) * members_;
    const float* ps = prices_->data() + static_cast<std::size_t>(s - first_) * members_;
    double S = 0.0;
    for (std::size_t m = 0; m < members_; ++m) S += RallyProfitPercent(pb[m], ps[m], commission_);
    const double A = AverageProfit(S, static_cast<long>(members_));
    pairs_.emplace(key, A);
    return A;
}

float BasketRallyPricer::CompoundProfit(const RallyLog& log) {
    float C = 0.0f;
    for (int r = 1; r <= log.count; ++r)
        C = CompoundStep(C, PairProfit(log.BuyPos(r), std::min<long>(log.SellPos(r), lastLoaded_)));
    return C;
}

}  // namespace vel
