// The five trading methods, their level and gradient searches on the fused and the literal road,
// and their trace files.
#include "TradingMethods.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "AnalysisText.h"
#include "AppState.h"
#include "ChartView.h"
#include "CsvRows.h"
#include "Door.h"
#include "FilePaths.h"
#include "Hooks.h"
#include "HtmlReport.h"
#include "NumberText.h"
#include "ResultFile.h"
#include "RowKernels.h"
#include "SignalWalk.h"
#include "TradingResults.h"
#include "VectorStores.h"
#include "WorkerPool.h"

namespace vel {

unsigned FusedTrialThreadCount = 0;

namespace {

constexpr int kLevelSteps = 400;  // levels i = 0..400
constexpr int kFirstGradient = 5;
constexpr int kLastGradient = 50;
constexpr float kNoResult = -10000.0f;  // the best profit before the first trial
// The work (in level trial-days) from which a search's trials are shared with the workers: about
// a millisecond on one thread. Below it, waking the workers and pricing the same rallies once
// per thread costs about as much as it saves.
constexpr std::size_t kThreadedTrialDays = 300000;

// What one trial leaves for the search: its net compound profit and its rally count.
struct Trial {
    float profit = 0.0f;
    std::int16_t rallies = 0;
};

void ApplyCrossing(long S, bool above) {
    if (above)
        MainVectors->CoordCrossingAboveZeroLevelSignal(S, -100, 100);
    else
        MainVectors->CoordCrossingBelowZeroLevelSignal(S, -100, 100);
}

// The literal steps of one trial after its signal is in S: the walk into the program's log
// (clear flag off) and the basket backtest.
Trial WalkAndBacktest(long S) {
    SignalVectorToTradingLog(S, false);
    const float P = CalcBasicTradingResults("");
    return {P, RallyCount};
}

// Level trial: S = F - level, crossed above or below zero, walked and backtested.
Trial LiteralLevelTrial(long F, long S, bool above, float level) {
    MainVectors->VectorCopy(F, S);
    MainVectors->CoordCoefAdd(S, -level);
    ApplyCrossing(S, above);
    return WalkAndBacktest(S);
}

// Gradient trial: S + 1 = F smoothed over g days, S + 2 its gradient over g days, S = the
// crossing of S + 2 above zero, walked and backtested.
Trial LiteralGradientTrial(long F, long S, long g) {
    clsVectors& v = *MainVectors;
    v.VectorInterpolation(F, S + 1, g);
    v.VectorFirstDerivation(S + 1, S + 2, g, false);
    v.VectorCopy(S + 2, S);
    ApplyCrossing(S, true);
    return WalkAndBacktest(S);
}

// The shown window when the fused road can read it: 1 <= ChartFrom1 <= ChartTo1 <= CoordDim.
struct Window {
    long from = 0, to = 0, dim = 0;
};
std::optional<Window> FusedWindow() {
    const Window w{ChartFrom1.toInt16(), ChartTo1, MainVectors->CoordDim()};
    if (w.from < 1 || w.from > w.to || w.to > w.dim) return std::nullopt;
    return w;
}

// The operand a cell of the curve is in the store's sum with a single: an empty cell 0, a whole
// number rounded to single, a single or a double as it is.
double SumOperand(const Num& c) {
    switch (c.kind()) {
        case Num::Kind::Whole:
            return static_cast<float>(c.wholeValue());
        case Num::Kind::Single:
            return c.singleValue();
        case Num::Kind::Double:
            return c.doubleValue();
        default:
            return 0.0;
    }
}

// The rallies of the buy days of the window (buy(d) true: in the market), as the walk of a
// +-100 signal leaves them: one rally per run of buy days, sold on the first day after it, or
// open (SellPos to + 1) at the end.
template <class Buy>
void RalliesOfBuyDays(long from, long to, RallyLog& log, Buy&& buy) {
    log.count = 0;
    bool in = false;
    long b = 0;
    for (long d = from; d <= to; ++d) {
        const bool x = buy(d);
        if (x == in) continue;
        if (x)
            b = d;
        else
            log.Append(b, d);
        in = x;
    }
    if (in) log.Append(b, to + 1);
}

// The level trials on raw rows: the curve's values on the shown days, the members' prices in a
// pricer. A day buys at level L where its value lies above L (B) or below it (D), as the sign of
// the value minus L in the store's arithmetic does. The levels of a search ascend, so the days
// that buy at a level are among those of the level before (B) or include them (D): a level with
// as many buying days as the last one buys on the same days and gives the same trial. The count
// is read from the sorted values, and a repeated count repeats the last trial.
class FusedLevelTrials {
public:
    static std::unique_ptr<FusedLevelTrials> Make(long F, bool above) {
        const auto w = FusedWindow();
        if (!w) return nullptr;
        std::vector<double> values(static_cast<std::size_t>(w->dim + 1), 0.0);
        for (long d = 1; d <= w->dim; ++d) {
            // The store adds the level to every day of the curve; a day whose sum would raise
            // there (an infinite single, a double at the end of its range) is left to it.
            const double x = SumOperand(MainVectors->CoordGetSingleValue(F, d));
            if (std::isinf(x) || std::fabs(x) > 1e300) return nullptr;
            values[static_cast<std::size_t>(d)] = x;
        }
        return std::unique_ptr<FusedLevelTrials>(
            new FusedLevelTrials(*w, above, std::move(values)));
    }

    // The work of n trials, in level trial-days (one day of one level trial).
    std::size_t Work(std::size_t n) const {
        return n * static_cast<std::size_t>(w_.to - w_.from + 1);
    }

    Trial Run(float level) {
        const double L = level;
        const std::size_t count = BuyingDays(L);
        if (last_ && count == lastCount_ && L >= lastLevel_) return *last_;
        RalliesOfBuyDays(w_.from, w_.to, log_, [&](long d) {
            const double x = values_[static_cast<std::size_t>(d)];
            return above_ ? x > L : x < L;
        });
        const Trial t{count == 0 ? 0.0f : pricer_.CompoundProfit(log_), log_.count};
        last_ = t;
        lastCount_ = count;
        lastLevel_ = L;
        return t;
    }

private:
    FusedLevelTrials(const Window& w, bool above, std::vector<double> values)
        : w_(w), above_(above), values_(std::move(values)), pricer_(w.from, w.to + 1) {
        for (long d = w.from; d <= w.to; ++d) {
            const double x = values_[static_cast<std::size_t>(d)];
            if (!std::isnan(x)) sorted_.push_back(x);
        }
        std::sort(sorted_.begin(), sorted_.end());
    }
    // The number of shown days that buy at level L.
    std::size_t BuyingDays(double L) const {
        if (above_)
            return static_cast<std::size_t>(sorted_.end() -
                                            std::upper_bound(sorted_.begin(), sorted_.end(), L));
        return static_cast<std::size_t>(std::lower_bound(sorted_.begin(), sorted_.end(), L) -
                                        sorted_.begin());
    }

    Window w_;
    bool above_;
    std::vector<double> values_;  // day d at [d]: the value the store's sum starts from
    std::vector<double> sorted_;  // the shown days' values that are numbers, ascending
    BasketRallyPricer pricer_;
    RallyLog log_;
    std::optional<Trial> last_;
    std::size_t lastCount_ = 0;
    double lastLevel_ = 0.0;
};

// The gradient trials on raw rows: the curve as the kernels read it, the smoothed curve of each
// length in a row of singles, its gradient on the shown days, the crossing above zero.
class FusedGradientTrials {
public:
    static std::unique_ptr<FusedGradientTrials> Make(long F) {
        const auto w = FusedWindow();
        if (!w) return nullptr;
        // The store smooths every loaded day; a curve whose kernels could leave the range of
        // singles somewhere is left to it, so that it raises where it would.
        for (long d = 1; d <= w->dim; ++d)
            if (!(std::fabs(MainVectors->CoordGetSingleValue(F, d).toDouble()) <= 1e30))
                return nullptr;
        return std::unique_ptr<FusedGradientTrials>(new FusedGradientTrials(*w, F));
    }

    // The work of n trials, in level trial-days: a gradient trial smooths and differentiates
    // every day over its length, some 40 times the work of a level trial on the same days.
    std::size_t Work(std::size_t n) const {
        return 40 * n * static_cast<std::size_t>(w_.to - w_.from + 1);
    }

    Trial Run(long g) {
        // The gradient of day p reads the smoothed days p - g + 1..p (p itself when the window
        // does not fit), so the shown days need the smoothed days from `from` - g + 1 on.
        const long first = std::max<long>(1, w_.from - g + 1);
        auto curve = [&](long d) { return curve_[static_cast<std::size_t>(d)]; };
        for (long d = first; d <= w_.to; ++d)
            smoothed_[static_cast<std::size_t>(d)] = KernelInterpolation(curve, d, g);
        auto smoothed = [&](long d) {
            return static_cast<double>(smoothed_[static_cast<std::size_t>(d)]);
        };
        RalliesOfBuyDays(w_.from, w_.to, log_, [&](long d) {
            return KernelFirstDerivation(smoothed, d, g, false) > 0.0f;
        });
        return {pricer_.CompoundProfit(log_), log_.count};
    }

private:
    FusedGradientTrials(const Window& w, long F)
        : w_(w),
          curve_(static_cast<std::size_t>(w.dim + 1), 0.0),
          smoothed_(static_cast<std::size_t>(w.dim + 1), 0.0f),
          pricer_(w.from, w.to + 1) {
        for (long d = 1; d <= w.to; ++d)
            curve_[static_cast<std::size_t>(d)] = MainVectors->CoordGetSingleValue(F, d).toDouble();
    }

    Window w_;
    std::vector<double> curve_;    // day d at [d], as the kernels read the store
    std::vector<float> smoothed_;  // day d at [d]
    BasketRallyPricer pricer_;
    RallyLog log_;
};

// The threads of a fused search of `work` trial-days: fixed by a test, or the calling thread
// alone where waking the workers and pricing the same rallies on each costs more than it saves.
std::size_t FusedTrialThreads(std::size_t work) {
    if (FusedTrialThreadCount != 0) return FusedTrialThreadCount;
    return work < kThreadedTrialDays ? 1 : Workers.size();
}

// The fused trials of a search for every argument, on the calling thread or on the workers:
// each thread runs a contiguous part of the arguments on its own copy of the prototype (its own
// log, pairs and last trial; the snapshots are shared), and the outcomes come back in argument
// order. A trial is a pure function of its argument, so the outcomes are those of one thread
// running them all. The first error, in argument order, is raised after every part has ended.
template <class Trials, class Arg>
std::vector<Trial> RunFusedTrials(const Trials& prototype, const std::vector<Arg>& args) {
    const std::size_t n = args.size();
    const std::size_t parts = std::min<std::size_t>(FusedTrialThreads(prototype.Work(n)), n);
    std::vector<Trial> out(n);
    Workers.Run(parts, static_cast<unsigned>(parts), [&](std::size_t t) {
        Trials mine = prototype;
        for (std::size_t k = n * t / parts; k < n * (t + 1) / parts; ++k)
            out[k] = mine.Run(args[k]);
    });
    return out;
}

// The trace file of a search: one row per trial, the header line before the first.
class TraceFile {
public:
    explicit TraceFile(const std::string& name) : file_(JoinPath(ResultsFolderPath, name)) {}
    void Row(std::int32_t n, const std::string& i, float level, const Trial& t) {
        CsvItemCount = 0;
        AddCSVItem("i", i);
        AddCSVItem("SignalLevel", SignBlank(level));
        AddCSVItem("CompoundProfit", SignBlank(t.profit));
        AddCSVItem("Rallies", SignBlankWhole(t.rallies));
        AddCSVItem("ChartFrom1", SignBlankDouble(ChartFrom1.toDouble()));
        AddCSVItem("ChartTo1", SignBlankWhole(ChartTo1));
        AddCSVItem("Time", CurrentTimeText());
        file_.PrintRow(n);
    }
    void Close() { file_.Close(); }

private:
    ResultFile file_;
};

// The method's two lines after the results text and its two items after the summary row.
void AppendMethodLines(const std::string& methodLine, const std::string& parameterLine,
                       const char* method, const char* parameterHeader,
                       const std::string& parameter) {
    TradingResultsText += methodLine + "\n" + parameterLine + parameter + "\n";
    AddCSVItem("TradingMethod", method);
    AddCSVItem(parameterHeader, parameter);
}

float ZeroLevelMethod(std::int16_t F, std::int16_t S, bool above) {
    MainVectors->VectorCopy(F, S);
    ApplyCrossing(S, above);
    SignalVectorToTradingLog(S, true);
    CalcBasicTradingResults("");
    const char* method = above ? kMethodAboveZero : kMethodBelowZero;
    AppendMethodLines(std::string("Trading method = ") + method, "Crossing Level = ", method,
                      "CrossingLevel", formatFixed(0.0, 2));
    return 0.0f;
}

void StartSearch() {
    door().SetHourglass(true);
    YieldToEvents();
}

void EndSearch() {
    SetChartStatusText("");
    door().SetHourglass(false);
    YieldToEvents();
}

}  // namespace

float GenerateCrossingAboveZeroLevelTSignalsFromVectorForSB(std::int16_t SourceVectorNum,
                                                            std::int16_t SignalVectorNum) {
    return ZeroLevelMethod(SourceVectorNum, SignalVectorNum, true);
}

float GenerateCrossingBelowZeroLevelTSignalsFromVectorForSB(std::int16_t SourceVectorNum,
                                                            std::int16_t SignalVectorNum) {
    return ZeroLevelMethod(SourceVectorNum, SignalVectorNum, false);
}

float GenerateCrossingAboveOptimalLevelTSignalsFromVectorForSB(std::int16_t SourceVectorNum,
                                                               std::int16_t SignalVectorNum) {
    return GenerateOptimalLevelSignal(SourceVectorNum, SignalVectorNum, true, TrialRoad::Fused);
}

float GenerateCrossingBelowOptimalLevelTSignalsFromVectorForSB(std::int16_t SourceVectorNum,
                                                               std::int16_t SignalVectorNum) {
    return GenerateOptimalLevelSignal(SourceVectorNum, SignalVectorNum, false, TrialRoad::Fused);
}

float GenerateOptGradCrossingAboveZeroLevelTSignalsFromVectorForSB(std::int16_t SourceVectorNum,
                                                                   std::int16_t SignalVectorNum) {
    return GenerateOptimalGradientSignal(SourceVectorNum, SignalVectorNum, TrialRoad::Fused);
}

float GenerateOptimalLevelSignal(std::int16_t F, std::int16_t S, bool above, TrialRoad road) {
    clsVectors& v = *MainVectors;
    const float Lo = v.ScalarFromToCoordMinimum(Num(F), ChartFrom1, ChartTo1);
    const float Hi = v.ScalarFromToCoordMaximum(Num(F), ChartFrom1, ChartTo1);
    StartSearch();
    std::optional<TraceFile> trace;
    if (!above) trace.emplace("GenerateOptimizedOneLevelTradingSignal.csv");
    // Level i = Lo + (Hi - Lo) * i / 400 in the arithmetic of singles, stored as a single.
    std::vector<float> levels;
    for (int i = 0; i <= kLevelSteps; ++i)
        levels.push_back((Num(Lo) + (Num(Hi) - Num(Lo)) * Num(i) / Num(kLevelSteps)).toSingle());
    std::vector<Trial> fused;
    if (road == TrialRoad::Fused)
        if (const auto trials = FusedLevelTrials::Make(F, above))
            fused = RunFusedTrials(*trials, levels);
    const std::string status = std::string("Generate signal: ") +
                               (above ? "CrossingAboveOptimalLevel" : "CrossingBelowOptimalLevel") +
                               " from vector for Stock Basket ";
    float best = kNoResult;
    float bestLevel = 0.0f;
    std::int32_t n = 0;
    for (int i = 0; i <= kLevelSteps; ++i) {
        SetChartStatusText(status + " i =" + SignBlankWhole(i) + " / " +
                           SignBlankWhole(kLevelSteps) + "    Wait, please ... ");
        YieldToEvents();
        ++n;
        const float level = levels[static_cast<std::size_t>(i)];
        const Trial t = !fused.empty() ? fused[static_cast<std::size_t>(i)]
                                       : LiteralLevelTrial(F, S, above, level);
        if (t.rallies >= 1 && t.profit > best) {
            best = t.profit;
            bestLevel = level;
        }
        if (trace) trace->Row(n, SignBlankWhole(i), level, t);
    }
    if (trace) trace->Close();
    LiteralLevelTrial(F, S, above, bestLevel);
    EndSearch();
    CalcBasicTradingResults("");
    const char* method = above ? kMethodAboveOptimal : kMethodBelowOptimal;
    AppendMethodLines(std::string("Trading method = ") + method + " ", "Crossing Level = ", method,
                      "CrossingLevel", formatFixed(bestLevel, 2));
    return bestLevel;
}

float GenerateOptimalGradientSignal(std::int16_t F, std::int16_t S, TrialRoad road) {
    StartSearch();
    TraceFile trace("GenerateOptGradCrossingAboveZeroLevelTSignalsFromVectorForSB.csv");
    std::vector<long> lengths;
    for (long g = kFirstGradient; g <= kLastGradient; ++g) lengths.push_back(g);
    std::vector<Trial> fused;
    if (road == TrialRoad::Fused)
        if (const auto trials = FusedGradientTrials::Make(F))
            fused = RunFusedTrials(*trials, lengths);
    float best = kNoResult;
    long bestDays = 0;
    std::int32_t n = 0;
    for (long g = kFirstGradient; g <= kLastGradient; ++g) {
        SetChartStatusText(
            " Generate signal: OptGradCrossingAboveZeroLevel from vector for Stock Basket  i =" +
            SignBlankWhole(g) + " / 50     Wait, please ... ");
        YieldToEvents();
        ++n;
        const Trial t = !fused.empty() ? fused[static_cast<std::size_t>(g - kFirstGradient)]
                                       : LiteralGradientTrial(F, S, g);
        if (t.rallies >= 1 && t.profit > best) {
            best = t.profit;
            bestDays = g;
        }
        trace.Row(n, SignBlankWhole(g), static_cast<float>(g), t);
    }
    trace.Close();
    LiteralGradientTrial(F, S, bestDays);
    EndSearch();
    CalcBasicTradingResults("");
    AppendMethodLines(std::string("Trading method = ") + kMethodOptimalGradient,
                      "Optimal Gradient Days = ", kMethodOptimalGradient, "OptimalGradientDays",
                      formatFixed(static_cast<double>(bestDays), 0));
    return static_cast<float>(bestDays);
}

}  // namespace vel
