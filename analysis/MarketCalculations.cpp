// The three basket runs share their frame: the start (report kind, chart cleared, trend
// curves), the member loop with its status text, CSV row, results row and admission, the
// averages, the two curves and the trade of the average signal. The market behaviour and
// swinging curves of the basket, which the timing run appends first, run the same member loop
// of swinging searches and write the same kind of result row.
#include "MarketCalculations.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "AnalysisEntryPoints.h"
#include "AnalysisText.h"
#include "AppState.h"
#include "BasketCurves.h"
#include "ChartCurves.h"
#include "ChartView.h"
#include "CsvRows.h"
#include "Door.h"
#include "EntryPoints.h"
#include "Hooks.h"
#include "MainWindowView.h"
#include "MemberSearches.h"
#include "NumberText.h"
#include "ResultFile.h"
#include "StockResultsMatrix.h"
#include "TradingLogCommands.h"
#include "VectorStores.h"

namespace vel {

namespace {

// The sign-blank form of a tagged number in its own kind.
std::string SignBlankNum(const Num& n) {
    if (n.isDouble()) return SignBlankDouble(n.doubleValue());
    if (n.isSingle()) return SignBlank(n.singleValue());
    return SignBlankWhole(n.isWhole() ? n.wholeValue() : 0);
}

std::string TwoDecimals(double v) {
    return formatFixed(v, 2);
}

// A basket trend command of the chart window as the market calculations run it: with an empty
// basket only the notice.
template <class F, class... Args>
void BasketCurves(const F& entry, const char* name, Args... args) {
    if (BasketCount < 1) {
        door().MessageBox("Put some stock symbols into Stock Basket, please.", "Vellicor",
                          MsgButtons::OK);
        return;
    }
    RunEntryPoint(entry, name, args...);
}

// Behaviour: the market behaviour and swinging curves.
enum class Run { Timing, Swinging, Special, Behaviour };

struct RunSpec {
    Run run;
    const char* reportKind;
    const char* status;  // the status text's beginning
    SearchFamily family;
    long base;         // the search's work (base) vector
    long signal;       // the member's best signal
    long cleared[3];   // the vectors set to 0 at the start
    long sums[3];      // the sums of the admitted members (0 = none) ...
    long from[3];      // ... of these vectors of each member
    long averages[2];  // the two curves: the average gradient (past profit) and signal
};

constexpr RunSpec kTiming{Run::Timing,
                          "Timing",
                          " Market Timing calculation :   ",
                          SearchFamily::Timing,
                          10,
                          12,
                          {20, 21, 0},
                          {20, 21, 0},
                          {11, 12, 0},
                          {20, 21}};
constexpr RunSpec kSwinging{Run::Swinging,
                            "Swinging",
                            " Market Swinging calculation:    ",
                            SearchFamily::Swinging,
                            20,
                            24,
                            {10, 11, 12},
                            {10, 11, 12},
                            {22, 23, 24},
                            {10, 12}};
constexpr RunSpec kSpecial{Run::Special,
                           "Special",
                           " Special Market Swinging calculation:    ",
                           SearchFamily::SpecialSwinging,
                           20,
                           24,
                           {10, 11, 12},
                           {10, 12, 0},
                           {21, 24, 0},
                           {10, 12}};

// The CSV row of a member (the row buffer is left with it).
void BuildMemberRow(Run run, long M, const std::string& symbol, const std::string& time) {
    const BestTrialRecord& r = BestSoFar;
    CsvItemCount = 0;
    AddCSVItem("Item", SignBlankWhole(M));
    AddCSVItem("Symbol", CsvTextField(symbol));
    AddCSVItem(run == Run::Timing ? "CompoundProfit" : "ProfitNetCompound",
               TwoDecimals(r.CompoundProfit.toDouble()));
    AddCSVItem("Rallies", SignBlank(r.Rallies));
    if (run == Run::Special) {
        AddCSVItem("PastDays", SignBlankNum(r.GradientPoints));
        AddCSVItem("CrossingLevel", TwoDecimals(r.OptimalHighLevel.toDouble()));
    } else {
        AddCSVItem("GradientPoints", SignBlankNum(r.GradientPoints));
        AddCSVItem("SmoothPoints", SignBlank(r.SmoothPoints));
    }
    if (run == Run::Timing) {
        AddCSVItem("OptimalLowLevel", TwoDecimals(r.OptimalLowLevel.toDouble()));
        AddCSVItem("OptimalHighLevel", TwoDecimals(r.OptimalHighLevel.toDouble()));
        AddCSVItem("OptimalPriceDeclineLevel", TwoDecimals(r.OptimalPriceDeclineLevel));
    }
    AddCSVItem("defCommission", TwoDecimals(defCommission));
    if (run == Run::Special || run == Run::Behaviour)
        AddCSVItem("defDiligence", TwoDecimals(defDiligence));
    AddCSVItem("FromTradingDay", SignBlankNum(ChartFrom1));
    AddCSVItem("ToTradingDay", SignBlankWhole(ChartTo1));
    AddCSVItem("Time", time);
}

// Row i of StockResults for a member; column 21 is 0 until the admission.
void WriteResultsRow(long i, float timeOfDay) {
    const BestTrialRecord& r = BestSoFar;
    StockResults(i, col::BasketFlag) = BasketFlag(i);
    StockResults(i, col::CalculationTime) = timeOfDay;
    StockResults(i, col::FromTradingDay) = ChartFrom1.toSingle();
    StockResults(i, col::ToTradingDay) = ChartTo1;
    StockResults(i, col::defCommission) = defCommission;
    StockResults(i, col::defDiligence) = defDiligence;
    StockResults(i, col::GradientPoints) = r.GradientPoints.toSingle();
    StockResults(i, col::SmoothPoints) = r.SmoothPoints;
    StockResults(i, col::OptimalHighLevel) = r.OptimalHighLevel.toSingle();
    StockResults(i, col::OptimalLowLevel) = r.OptimalLowLevel.toSingle();
    StockResults(i, col::OptimalPriceDeclineLevel) = r.OptimalPriceDeclineLevel;
    StockResults(i, col::IndividualTimingOK) = 0.0f;
    StockResults(i, col::CompoundNetProfitIT) = r.CompoundProfit.toSingle();
    StockResults(i, col::RallyCountA) = r.Rallies;
}

// The captions of the two average curves.
std::string AverageCaption(const RunSpec& spec, bool signal, long admitted) {
    if (spec.run == Run::Timing)
        return std::string(signal ? "Market Timing: Average BUY-SELL signal for "
                                  : "Market Timing: Average relative gradient for ") +
               SignBlankWhole(admitted) + "  symbols" +
               "  Commission = " + SignBlank(defCommission);
    const std::string what = signal ? "Average BUY-SELL signal for Stock Basket ( "
                                    : "Average relative gradient for Stock Basket ( ";
    return std::string(spec.run == Run::Special ? "Special Market Swinging: "
                                                : "Market Swinging: ") +
           what + SignBlank(static_cast<float>(admitted)) +
           "  symbols )  Commission =" + TwoDecimals(defCommission);
}

// The basket's members in item order and their price rows in the Buffer of MainVectors.
void CollectMembers(std::vector<long>& members, std::vector<long>& prices) {
    const clsVectors& v = *MainVectors;
    for (long i = 1; i <= v.BufferCount(); ++i) {
        if (BasketFlag(i) != 1) continue;
        members.push_back(i);
        prices.push_back(v.BufferStart() + i - 1);
    }
}

float TimeOfDayFraction(const DateTime& t) {
    return static_cast<float>((t.hour * 3600.0 + t.minute * 60.0 + t.second) / 86400.0);
}

void RunMarketCalculation(const RunSpec& spec, const std::string& CsvFilePath);

// A run that ends in an error leaves no report kind and no curve selection of its own (its wait
// text and hourglass go with it at the command barrier).
void RunMarketCalculationOrTidy(const RunSpec& spec, const std::string& CsvFilePath) {
    try {
        RunMarketCalculation(spec, CsvFilePath);
    } catch (...) {
        SelectedChartCurve = 0;
        ReportKind = "General";
        throw;
    }
}

void RunMarketCalculation(const RunSpec& spec, const std::string& CsvFilePath) {
    const AnalysisEntryPoints& a = AnalysisCommands;
    CursorDay = ChartTo1;
    ReportKind = spec.reportKind;
    ClearTradingLogAndRepaint();
    ChartDescriptionClear();
    BasketCurves(a.AppendPriceVolumeTrendCurves, "AppendPriceVolumeTrendCurves");
    BasketCurves(a.AppendPastShortTermProfitCurve, "AppendPastShortTermProfitCurve");
    if (spec.run == Run::Timing)
        BasketCurves(a.AppendMarketBehaviourAndSwingingCurves,
                     "AppendMarketBehaviourAndSwingingCurves", std::int16_t{10}, std::string());
    door().SetHourglass(true);
    YieldToEvents();

    std::optional<ResultFile> file;
    if (!CsvFilePath.empty()) file.emplace(CsvFilePath);
    clsVectors& v = *MainVectors;
    for (long c : spec.cleared)
        if (c != 0) v.CoordAllSetConst(c, 0.0f);
    ClearStockResultsMatrix();

    if (spec.run == Run::Timing)
        for (long i = 1; i <= v.BufferCount(); ++i) StockResults(i, col::BasketFlag) = 1.0f;
    std::vector<long> members, prices;
    CollectMembers(members, prices);
    long admitted = 0;
    RunMemberSearches(
        spec.family, prices, spec.base,
        [&](std::size_t k) {
            SetChartStatusText(spec.status + SignBlankWhole(static_cast<long>(k) + 1) + " /" +
                               SignBlankWhole(BasketCount) + "    " + LoadedSymbols(members[k]) +
                               "   Wait, please ...");
            YieldToEvents();
        },
        [&](std::size_t k) {
            const long i = members[k];
            const long M = static_cast<long>(k) + 1;
            const DateTime now = door().Now();
            BuildMemberRow(spec.run, M, LoadedSymbols(i), formatLongTime(now));
            if (file) file->PrintRow(static_cast<std::int32_t>(M));
            WriteResultsRow(i, TimeOfDayFraction(now));
            if (!BestSoFar.IsUsable()) return;
            ++admitted;
            for (int s = 0; s < 3; ++s)
                if (spec.sums[s] != 0) v.CoordAllCombine(spec.from[s], 1.0f, spec.sums[s]);
            v.VectorCopy(spec.signal, v.ModelStart() + i - 1);
            StockResults(i, col::IndividualTimingOK) = static_cast<float>(i);
        });
    if (file) file->Close();

    if (admitted > 0) {
        const float factor = static_cast<float>(1.0 / static_cast<double>(admitted));
        for (long s : spec.sums)
            if (s != 0) v.CoordAllCoefMull(s, factor);
    }
    AppendVectorAsChartCurve(spec.averages[0], AverageCaption(spec, false, admitted), 0.0f);
    AppendVectorAsChartCurve(spec.averages[1], AverageCaption(spec, true, admitted), 0.0f);
    RefreshChart();
    if (spec.run != Run::Timing) SetMainLabel(MainLabel::PerformedAction, "");
    SetChartStatusText("");
    door().SetHourglass(false);
    YieldToEvents();

    // The trade of the average signal by the optimal-level method, as its chart command runs
    // it (and then cancels the curve selection).
    SelectedChartCurve = MainVectors->ChartCount();
    std::int16_t work = static_cast<std::int16_t>(MainVectors->HelpStart() + 1);
    RunEntryPoint(a.GenerateCrossingAboveOptimalLevelTSignalsFromSelectedCurveForSB,
                  "GenerateCrossingAboveOptimalLevelTSignalsFromSelectedCurveForSB", work);
    CancelChartCurveSelection();
    SelectedChartCurve = 0;
    ReportKind = "General";
}

}  // namespace

void CalcMarketTiming(const std::string& CsvFilePath) {
    RunMarketCalculationOrTidy(kTiming, CsvFilePath);
}

void CalcMarketSwinging(const std::string& CsvFilePath) {
    RunMarketCalculationOrTidy(kSwinging, CsvFilePath);
}

void CalcMarketSpecialSwinging(const std::string& CsvFilePath) {
    RunMarketCalculationOrTidy(kSpecial, CsvFilePath);
}

namespace {

// Member i's volume as VectorPopFromBuffer leaves it in its work vector: days up to the shorter
// of the two stores' CoordDim as singles, 0 after. False when the pop would leave the vector
// as it was (no such Buffer row) or could raise.
bool ReadPoppedVolume(long i, std::vector<float>& row) {
    const clsVectors& vol = *VolumeVectors;
    if (i < 1 || i > vol.BufferCount()) return false;
    const long dim = MainVectors->CoordDim();
    const long n = std::min<long>(vol.CoordDim(), dim);
    row.assign(static_cast<std::size_t>(std::max<long>(dim, 0)), 0.0f);
    try {
        for (long d = 1; d <= n; ++d)
            row[static_cast<std::size_t>(d - 1)] =
                vol.CoordGetSingleValue(vol.BufferStart() + i - 1, d).toSingle();
    } catch (...) {
        return false;
    }
    return true;
}

// The behaviour rows of a member after its fused swinging search, on the worker: the money
// volume as CoordAllMull forms it from the price and the popped volume (false where a product
// leaves the single range, where the store would widen it), then StockBehaviourRows with the
// search's gradient and smoothing points.
bool ComputeBehaviourRows(const std::vector<float>& price, const std::vector<float>& volume,
                          const SearchWindow& w, const SearchOutcome& o, std::vector<float>& out) {
    std::vector<float> money(price.size());
    for (std::size_t d = 0; d < price.size(); ++d) {
        money[d] = static_cast<float>(static_cast<double>(price[d]) * volume[d]);
        if (std::isinf(money[d])) return false;
    }
    StockBehaviourRows(price.data(), money.data(), w, o.best.GradientPoints.toInt16(),
                       toInt16(o.best.SmoothPoints), out);
    return true;
}

// Puts in place what CoordStockBehaviour(.., .., To, G, ..) leaves, from StockBehaviourRows.
void PutBehaviourRows(long To, long G, const std::vector<float>& rows) {
    clsVectors& v = *MainVectors;
    const long dim = v.CoordDim();
    if (G >= dim) {
        for (long k = 0; k < 4; ++k) v.CoordAllSetConst(To + k, 0.0f);
        return;
    }
    const long first = std::max(1L, G);
    for (long k = 0; k < 8; ++k) {
        const float* r = rows.data() + k * dim;
        for (long d = 1; d <= dim; ++d) {
            if (k < 4 && d >= first)
                v.CoordSetValue(To + k, d, Num::whole(r[d - 1] > 0.0f ? 100 : 0));
            else
                v.CoordSetSingleValue(To + k, d, r[d - 1]);
        }
    }
}

}  // namespace

void AppendMarketBehaviourAndSwingingCurves(std::int16_t B, const std::string& CsvFilePath) {
    door().SetHourglass(true);
    YieldToEvents();
    std::optional<ResultFile> file;
    if (!CsvFilePath.empty()) file.emplace(CsvFilePath);
    clsVectors& v = *MainVectors;
    for (long j = 0; j <= 6; ++j) v.CoordAllSetConst(B + j, 0.0f);
    float u = 0.0f;
    ClearStockResultsMatrix();

    std::vector<long> members, prices;
    CollectMembers(members, prices);
    // Each member's prices are searched in their copy B + 10, which the workers read ahead
    // from the stock's own row; its behaviour is computed on the worker after its search.
    MemberFollowUp behaviour;
    behaviour.read = [&](std::size_t k, std::vector<float>& rows) {
        return ReadPoppedVolume(members[k], rows);
    };
    behaviour.compute = ComputeBehaviourRows;
    RunMemberSearches(
        SearchFamily::Swinging, prices, B + 20,
        [&](std::size_t k) {
            const long i = members[k];
            SetChartStatusText(
                " Market trend calculation:  Market behaviour and swinging trend   " +
                std::to_string(k + 1) + " /" + std::to_string(BasketCount) + "    " +
                LoadedSymbols(i) + "   Wait, please ...");
            YieldToEvents();
            v.VectorCopy(prices[k], B + 10);
            v.VectorPopFromBuffer(*VolumeVectors, i, B + 11);
            v.CoordAllMull(B + 10, B + 11, B + 12);
        },
        [&](std::size_t k, const std::vector<float>* rows) {
            const long i = members[k];
            const long M = static_cast<long>(k) + 1;
            const long G = BestSoFar.GradientPoints.toInt16();
            if (rows != nullptr)
                PutBehaviourRows(B + 30, G, *rows);
            else
                v.CoordStockBehaviour(B + 10, B + 12, B + 30, G, toInt16(BestSoFar.SmoothPoints));
            BuildMemberRow(Run::Behaviour, M, LoadedSymbols(i), formatLongTime(door().Now()));
            if (file) file->PrintRow(static_cast<std::int32_t>(M));
            if (!BestSoFar.IsUsable()) return;
            u = u + 1.0f;
            v.VectorCopy(B + 24, v.ModelStart() + i - 1);
            for (long j = 0; j <= 3; ++j) v.CoordAllCombine(B + 30 + j, 1.0f, B + j);
            for (long j = 0; j <= 2; ++j) v.CoordAllCombine(B + 22 + j, 1.0f, B + 4 + j);
        },
        B + 10, behaviour);
    if (file) file->Close();
    if (u > 0.0f)
        for (long j = 0; j <= 6; ++j) v.CoordAllCoefMull(B + j, 1.0f / u);
    v.CoordAllCoefMull(B + 5, 100.0f);
    RallyCount = 0;
    RefreshMenuCaptions();

    const std::string n = std::to_string(BasketCount);
    const std::string parameters =
        "  Commission =" + TwoDecimals(defCommission) + "  Diligence =" + TwoDecimals(defDiligence);
    const struct {
        long vector;
        std::string caption;
        float level;
    } curves[] = {
        {B + 0, "Market Behaviour  APA$V%  for Stock Basket (" + n + " symbols ) " + parameters,
         50.0f},
        {B + 1, "Market Behaviour  APD$V%  for Stock Basket (" + n + " symbols )" + parameters,
         50.0f},
        {B + 2, "Market Behaviour  DPD$V%  for Stock Basket (" + n + " symbols )" + parameters,
         50.0f},
        {B + 3, "Market Behaviour  DPA$V%  for Stock Basket(" + n + " symbols )" + parameters,
         50.0f},
        {B + 4,
         "Market Swinging:  Average relative gradient for Stock Basket ( " + n + "  symbols )" +
             parameters,
         0.0f},
        {B + 5,
         "Market Swinging:  Change of average relative gradient for Stock Basket ( " + n +
             "  symbols )" + parameters,
         0.0f},
        {B + 6,
         "Market Swinging: Average BUY-SELL signal for Stock Basket ( " + n + "  symbols )" +
             parameters,
         0.0f},
    };
    for (const auto& c : curves) AppendVectorAsChartCurve(c.vector, c.caption, c.level);
    RefreshChart();
    SetChartStatusText("");
    door().SetHourglass(false);
    YieldToEvents();
}

}  // namespace vel
