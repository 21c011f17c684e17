// The columns of the stock results matrix, in which the market calculations leave one row of
// results per stock item number, and the best-so-far record in which every per-stock
// optimisation keeps the best trial of its parameter grid. The program's instances are in
// AppState.h (StockResults, BestSoFar).
#pragma once

#include <cstdint>

#include "Num.h"

namespace vel {

constexpr int kStockResultsRows = 11000;
constexpr int kStockResultsColumns = 45;

// The columns that are written, named by the headers under which the ranking files write them.
namespace col {
constexpr int BasketFlag = 1;
constexpr int CalculationTime = 2;  // time of day as a fraction of a day
constexpr int FromTradingDay = 3;
constexpr int ToTradingDay = 4;
constexpr int defCommission = 11;
constexpr int defDiligence = 12;
constexpr int GradientPoints = 13;  // special swinging: its past days
constexpr int SmoothPoints = 14;
constexpr int OptimalHighLevel = 15;  // swinging: the crossing level
constexpr int OptimalLowLevel = 16;
constexpr int OptimalPriceDeclineLevel = 17;
constexpr int IndividualTimingOK = 21;  // the item number when the best trial was usable
constexpr int CompoundNetProfitIT = 22;
constexpr int RallyCountA = 23;  // the timing groups use it as their candidate list
constexpr int CandidateGroupSeed = 24;
constexpr int CandidatePartnerCount = 25;
constexpr int GroupSeedCandidate = 26;
constexpr int GroupMemberCount = 27;
constexpr int MarketTimingOK = 31;  // the item number when traded on the basket's rallies
constexpr int CompoundNetProfitMT = 32;
constexpr int RallyCountB = 33;
constexpr int SummaryProfit = 34;
constexpr int TotalPlainProfit = 35;
constexpr int ProfitGain = 36;
constexpr int StockSelectionFlag = 40;
constexpr int RankingIndex = 41;
}  // namespace col

// The best trial of one per-stock optimisation. A search starts CompoundProfit at -10000 and
// replaces every field it uses together whenever a trial's profit is strictly greater (ties
// keep the earlier trial); fields a search does not use keep what the last search using them
// left. The process-wide BestSoFar is the one the callers read; a search on a worker thread
// keeps a record of its own.
struct BestTrialRecord {
    Num CompoundProfit;  // net compound profit in percent
    float Rallies = 0.0f;
    Num GradientPoints;  // special swinging: the past days
    float SmoothPoints = 0.0f;
    Num OptimalLowLevel;
    Num OptimalHighLevel;  // swinging: the crossing level
    float OptimalPriceDeclineLevel = 0.0f;

    // The admission test: the record is usable when CompoundProfit > -1000, GradientPoints > 1
    // and Rallies < 1000.
    bool IsUsable() const {
        return CompoundProfit > Num(-1000) && GradientPoints > Num(1) && Rallies < 1000.0f;
    }
    // True when a trial with this profit replaces the record (strictly greater).
    bool IsImprovedBy(double profit) const { return profit > CompoundProfit.toDouble(); }
    bool operator==(const BestTrialRecord&) const = default;
};

}  // namespace vel
