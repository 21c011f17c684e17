// Timing groups: the profitable members of the last market timing or swinging calculation
// (CompoundNetProfitIT above 0) divided into groups of stocks whose best BUY-SELL signals (their
// Model vectors) move together. Two signals belong together when their signal correlation over
// the day window reaches the coefficient. Groups grow greedily: the unassigned candidate with
// the most correlated unassigned partners seeds a group and takes them all; this repeats until
// ten groups exist, no candidate has a partner, or a group comes out smaller than five.
//
// The work lives in StockResults, the row used as a list position: column 23 of row k holds the
// item number of candidate k, 24 the candidate number of its group's seed (-1 while in none),
// 25 its count of correlated unassigned candidates in the last pass (-1 when not counted), 26
// first -1 for every candidate and then, in row g, the seed of group g, 27 in row g the number of
// members of group g.
#pragma once

#include <cstdint>
#include <vector>

namespace vel {

struct TimingGroupState {
    std::int16_t TimingCandidateCount = 0;
    std::int16_t TimingGroupCount = 0;  // at most 10
    bool operator==(const TimingGroupState&) const = default;
};
extern TimingGroupState TimingGroups;
inline std::int16_t& TimingCandidateCount = TimingGroups.TimingCandidateCount;
inline std::int16_t& TimingGroupCount = TimingGroups.TimingGroupCount;

constexpr int kMaxTimingGroups = 10;
constexpr int kSmallestGrowingGroup = 5;  // a smaller group ends the analysis (and is kept)

// Fills the candidate list, the work columns and both counts over the days FromDay..ToDay, with
// the status texts "Starting Timing Groups Analysis. Wait, please ... " and, per group,
// "Timing Groups Analysis.  Group nr.: <g>  Symbol count = <n>   Wait, please ... ", yielding
// after each; then an empty status text, a yield and a beep. The Stock Basket and the chart are
// not changed.
//
// Each candidate's signal is packed once into bit sets (days above 0, days not 0); the
// agreement of two signals is then a popcount, and the coefficient of every pair is found once
// (worker threads, each on its own rows) as a bit matrix from which every pass only counts. The
// results equal CalcTimingGroupsPlain's exactly.
void CalcTimingGroups(float Correlation, std::int16_t FromDay, std::int16_t ToDay);

// The same by the straightforward passes: each pass recounts every unassigned candidate's
// partners with CoordFromToSignalCorrelation against every other (the test oracle).
void CalcTimingGroupsPlain(float Correlation, std::int16_t FromDay, std::int16_t ToDay);
// Column 25 of every candidate becomes -1, then the count of each unassigned candidate.
void CountCorrelatedPartnersForAll(float Correlation, std::int16_t FromDay, std::int16_t ToDay);
// The number of unassigned candidates j (k included) whose correlation with k, k's signal
// first, is at least Correlation.
std::int32_t CountCorrelatedPartners(std::int16_t k, float Correlation, std::int16_t FromDay,
                                     std::int16_t ToDay);
// Assigns the seed's correlated unassigned candidates (the seed included when it correlates
// with itself) to its group (column 24 = seed); returns their number.
std::int32_t AssignTimingGroupMembers(std::int16_t seed, float Correlation, std::int16_t FromDay,
                                      std::int16_t ToDay);

// The candidates (item numbers, in candidate order) of group g (1..TimingGroupCount).
std::vector<long> TimingGroupMembers(std::int16_t g);

// Appends the average Model signal of the current Stock Basket's members (flag exactly 1) as a
// chart curve "Timing curve for Stock Basket ( <n> symbols )" with a level line at 0 (vector V
// holds the sum, then the average; all 0 for an empty basket), then repaints. A full chart
// (50 curves) appends nothing.
void AppendBasketTimingCurve(std::int16_t V);

// The number of threads of CalcTimingGroups (0: as many as Workers has).
void SetTimingGroupThreads(unsigned threads);

}  // namespace vel
