// The screening values and levels of every loaded stock.
#include "ScreeningValues.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "AppState.h"
#include "ChartView.h"
#include "Hooks.h"
#include "IntervalTable.h"
#include "MainWindowView.h"
#include "ProcessState.h"
#include "Progress.h"
#include "VectorStores.h"
#include "WorkerPool.h"

namespace vel {

Table1D<float> QualityValue("QualityValue", 0, scr::Count, 0.0f);
ScreeningRoadChoice ScreeningRoad;

namespace {

const bool kRegistered = [] {
    RegisterProcessStateGroup({"ScreeningValues", &ResetScreeningValues, [] {
                                   for (long k = 0; k <= scr::Count; ++k)
                                       if (QualityValue(k) != 0.0f) return false;
                                   return ScreeningRoad == ScreeningRoadChoice{};
                               }});
    return true;
}();

const char* const kWaitText = "Screening - calculating of basic values. Wait, please ...";

void ShowWaitText(const std::string& text) {
    SetChartStatusText(text);
    SetMainLabel(MainLabel::PerformedAction, text);
}

// 100 * (now - base) / base in the single-precision arithmetic of the stored values; 0 for a
// zero base, as the program's other percentages.
float PercentChange(float base, float now) {
    if (base == 0.0f) return 0.0f;
    return ((Num(now) - Num(base)) * Num(100) / Num(base)).toSingle();
}

// One level call: source coordinate, level coordinate, level power, and the names under which
// its interval table is saved when asked.
struct LevelCall {
    int source;
    int level;
    int power;  // 0: the money volume's own power by the number of stocks
    const char* table;
    const char* variable;
};

const LevelCall kLevelCalls[] = {
    {scr::GradientA2, scr::GradientALevel, 2, "GAintervals", "RelGradient4Days"},
    {scr::GradientB, scr::GradientBLevel, 2, "GBintervals", "RelGradient8Days"},
    {scr::MoneyVolume, scr::MoneyVolumeLevel2, 1, "DV2intervals", "AverageDayMoney"},
    {scr::MoneyVolume, scr::MoneyVolumeLevel, 2, "DV4intervals", "AverageDayMoney"},
    {scr::MoneyVolume, scr::MoneyVolumeLevelN, 0, "DVintervals", "AverageDayMoney"},
    {scr::MoneyVolumeGrowth, scr::MoneyVolumeGrowthLevel, 2, "DVGintervals", "DayMoneyGrowth"},
    {scr::GroupProfit, scr::ProfitLevel, 2, "PRintervals", "Profit"},
    {scr::PriceDecline, scr::PriceDeclineLevel, 2, "PDintervals", "PriceDecline"},
    {scr::PriceAdvance, scr::PriceAdvanceLevel, 2, "PAintervals", "PriceAdvance"},
    {scr::PriceLinearity, scr::PriceLinearityLevel, 2, "PLintervals", "PriceLinearity"},
    {scr::PriceRelStdDevi, scr::PriceRelStdDeviLevel, 2, "PSintervals", "PriceRelStdDevi"},
    {scr::VolumeRelStdDevi, scr::VolumeRelStdDeviLevel, 2, "VSintervals", "VolumeRelStdDevi"},
};

// Grades the screening vectors: the twelve level calls in their order.
void CalcScreeningLevels(std::int16_t SaveTables) {
    clsVectors& s = *ScreeningVectors;
    for (const LevelCall& call : kLevelCalls) {
        long power = call.power;
        if (power == 0) {
            power = MoneyVolumeLevelPower(s.BufferCount());
            if (power == 0) continue;
        }
        s.CalcIntervalGroups(Num(call.source), Num(call.level), power);
        if (SaveTables != 0) SaveIntervalTable(call.table, call.variable, "0.00");
    }
}

}  // namespace

long MoneyVolumeLevelPower(long m) {
    if (m <= 0) return 0;
    if (m <= 50) return 1;
    if (m <= 200) return 2;
    if (m <= 600) return 3;
    if (m <= 2000) return 4;
    return 5;
}

void ResetScreeningValues() {
    QualityValue.clear();
    ScreeningRoad = ScreeningRoadChoice{};
}

namespace {

// The values 1 to 17, 31 and 33 of stock i into q, computed on work vectors 1 to 4 of the store
// m from the stock's rows in the Buffers of MainVectors and VolumeVectors. Run on MainVectors
// itself this is the plain form's step; run on a worker's own store it reads the shared stores
// only.
void StockValues(clsVectors& m, long i, Table1D<float>& q) {
    m.VectorPopFromBuffer(*MainVectors, i, 1);
    m.VectorPopFromBuffer(*VolumeVectors, i, 2);
    m.CoordAllMull(1, 2, 3);
    const long groupFrom = GroupFrom.toInt16();
    q(scr::PriceGroupFrom) = m.CoordGetSingleValue(1, groupFrom).toSingle();
    q(scr::PriceGroupTo) = m.CoordGetSingleValue(1, GroupTo).toSingle();
    q(scr::PriceCalcTo) = m.CoordGetSingleValue(1, CalcTo1).toSingle();
    q(scr::PriceLastDay) = m.CoordGetSingleValue(1, m.CoordDim()).toSingle();
    q(scr::GroupProfit) = PercentChange(q(scr::PriceGroupFrom), q(scr::PriceGroupTo));
    q(scr::ProfitAfterGroup) = PercentChange(q(scr::PriceGroupTo), q(scr::PriceCalcTo));
    q(scr::PriceDecline) = m.GroupPriceDecline(1).toSingle();
    q(scr::PriceAdvance) = m.GroupPriceIncrease(1).toSingle();
    q(scr::PriceLinearity) = m.GroupPriceLinearity(1).toSingle();
    q(scr::GradientA) = m.CalcRelDerivationA(1, GroupTo);
    q(scr::MoneyVolume) = m.GroupMoneyVolumeAverage(1, 2).toSingle();
    q(scr::VolumeGroup) = m.ScalarFromToCoordAverage(Num(2), GroupFrom, GroupTo);
    q(scr::VolumeCalc) = m.ScalarFromToCoordAverage(Num(2), Num(CalcFrom1), CalcTo1);
    q(scr::VolumeAllDays) = m.ScalarFromToCoordAverage(Num(2), Num(1), m.CoordDim());
    q(scr::MoneyVolumeGrowth) = m.GroupCoordValueGrowth(3).toSingle();
    // Coordinate 16 is coordinate 10 again: row 1 is unchanged since, so no second kernel.
    q(scr::GradientA2) = q(scr::GradientA);
    q(scr::GradientB) = m.CalcRelDerivationB(1, GroupTo);
    m.CoordAllRadiusSmooth(6, 1, 3);
    q(scr::PriceRelStdDevi) = m.ScalarFromToRelStdDevi(Num(1), Num(3), GroupFrom, GroupTo);
    m.CoordAllRadiusSmooth(6, 2, 4);
    q(scr::VolumeRelStdDevi) = m.ScalarFromToRelStdDevi(Num(2), Num(4), GroupFrom, GroupTo);
}

// The values of q become the next Buffer row of ScreeningVectors, through its work vector 1.
void PushScreeningVector(const Table1D<float>& q) {
    clsVectors& s = *ScreeningVectors;
    s.CoordAllSetConst(1, 0.0f);
    for (long k = 1; k <= scr::Count; ++k) s.CoordSetSingleValue(1, k, q(k));
    s.VectorPushToBuffer(1, s);
}

// The start and the end that both roads share.
void StartScreening() {
    ScreeningVectors->SetBufferCount(0);
    for (long k = 1; k <= scr::Count; ++k) QualityValue(k) = 0.0f;
    ShowWaitText(kWaitText);
    ProgressStart(MainVectors->BufferCount());
    ProgressInit();
}

void EndScreening(std::int16_t SaveTables) {
    CalcScreeningLevels(SaveTables);
    ShowWaitText("");
    YieldToEvents();
    ProgressEnd();
}

// True when a worker's own work vectors give what the shared ones give: every day the
// procedures read lies within 1..CoordDim (where both hold the same values) and every stock
// has its volume row.
bool ThreadedRoadFits(long n) {
    const long dim = MainVectors->CoordDim();
    auto inside = [dim](long day) { return day >= 1 && day <= dim; };
    return !ScreeningRoad.plain && n >= 2 && inside(GroupFrom.toInt16()) && inside(GroupTo) &&
           inside(CalcTo1) && VolumeVectors->BufferCount() >= n;
}

// Stocks first..last computed on `threads` threads (the calling one among them), each with
// its own work vectors; values[k] receives stock first + k, failed[k] whether it raised.
void ComputeChunk(long first, long last, std::vector<std::unique_ptr<clsVectors>>& scratch,
                  std::vector<Table1D<float>>& values, std::vector<char>& failed) {
    std::atomic<long> next{first};
    auto work = [&](size_t t) {
        Table1D<float> q("QualityValue", 0, scr::Count, 0.0f);
        for (long i = next++; i <= last; i = next++) {
            const size_t k = static_cast<size_t>(i - first);
            try {
                q.clear();
                StockValues(*scratch[t], i, q);
                values[k] = q;
                failed[k] = 0;
            } catch (...) {
                failed[k] = 1;  // computed again at its turn on the shared work vectors
            }
        }
    };
    Workers.Run(scratch.size(), static_cast<unsigned>(scratch.size()), work);
}

void CalcScreeningBasicValuesThreaded(std::int16_t SaveTables) {
    const long n = MainVectors->BufferCount();
    const long dim = MainVectors->CoordDim();
    const unsigned threads = ScreeningRoad.threads ? ScreeningRoad.threads : Workers.size();
    std::vector<std::unique_ptr<clsVectors>> scratch;
    for (unsigned t = 0; t < threads; ++t) {
        scratch.push_back(std::make_unique<clsVectors>());
        scratch.back()->VectorBaseEmpty(dim, 4, 0, 0, 0, 0, 0);
    }
    StartScreening();
    // The workers only read the stores and the windows, and the calling thread does not yield
    // while they run; it puts each chunk in place in item order, yielding as the plain form.
    constexpr long kChunk = 256;
    std::vector<Table1D<float>> values(kChunk, Table1D<float>("QualityValue", 0, scr::Count));
    std::vector<char> failed(kChunk);
    long shared = 0;  // the stock whose steps the shared work vectors hold
    for (long first = 1; first <= n; first += kChunk) {
        const long last = std::min(n, first + kChunk - 1);
        ComputeChunk(first, last, scratch, values, failed);
        for (long i = first; i <= last; ++i) {
            const size_t k = static_cast<size_t>(i - first);
            ProgressStep();
            if (failed[k]) {
                // As the plain form meets it: after the previous stock's steps, the stock's own,
                // whose error reaches the caller.
                if (i > 1 && shared != i - 1) StockValues(*MainVectors, i - 1, QualityValue);
                StockValues(*MainVectors, i, QualityValue);
                shared = i;
                PushScreeningVector(QualityValue);
            } else {
                PushScreeningVector(values[k]);
            }
        }
    }
    // What the last stock's steps leave in the shared work vectors and in QualityValue.
    if (shared != n) {
        for (long k = 1; k <= scr::Count; ++k) QualityValue(k) = 0.0f;
        StockValues(*MainVectors, n, QualityValue);
    }
    EndScreening(SaveTables);
}

}  // namespace

void CalcScreeningBasicValuesPlain(std::int16_t SaveTables) {
    StartScreening();
    const long n = MainVectors->BufferCount();
    for (long i = 1; i <= n; ++i) {
        ProgressStep();
        StockValues(*MainVectors, i, QualityValue);
        PushScreeningVector(QualityValue);
    }
    EndScreening(SaveTables);
}

void CalcScreeningBasicValues(std::int16_t SaveTables) {
    if (ThreadedRoadFits(MainVectors->BufferCount()))
        CalcScreeningBasicValuesThreaded(SaveTables);
    else
        CalcScreeningBasicValuesPlain(SaveTables);
}

}  // namespace vel
