// The screening values of every loaded stock: one vector of 40 coordinates per stock item
// number in the Buffer of ScreeningVectors, computed from the stock's price and volume over the
// group period (GroupFrom..GroupTo) and the calculation window (CalcFrom1..CalcTo1), and the
// level coordinates that grade ten of the values among all loaded stocks (1 = highest values).
#pragma once

#include <cstdint>

#include "Tables.h"

namespace vel {

// The coordinates of a screening vector.
namespace scr {
constexpr int PriceGroupFrom = 1;    // price on GroupFrom
constexpr int PriceGroupTo = 2;      // price on GroupTo
constexpr int PriceCalcTo = 3;       // price on CalcTo1
constexpr int PriceLastDay = 4;      // price on the last loaded day
constexpr int GroupProfit = 5;       // (2 - 1) * 100 / 1
constexpr int ProfitAfterGroup = 6;  // (3 - 2) * 100 / 2
constexpr int PriceDecline = 7;      // GroupPriceDecline, never above 0
constexpr int PriceAdvance = 8;      // GroupPriceIncrease
constexpr int PriceLinearity = 9;    // GroupPriceLinearity
constexpr int GradientA = 10;        // CalcRelDerivationA on GroupTo (4 days)
constexpr int MoneyVolume = 11;      // GroupMoneyVolumeAverage
constexpr int VolumeGroup = 12;      // average volume over the group period
constexpr int VolumeCalc = 13;       // average volume over the calculation window
constexpr int VolumeAllDays = 14;    // average volume over every loaded day
constexpr int MoneyVolumeGrowth = 15;
constexpr int GradientA2 = 16;  // the same value as coordinate 10
constexpr int GradientB = 17;   // CalcRelDerivationB on GroupTo (8 days)
constexpr int GradientALevel = 18;
constexpr int GradientBLevel = 19;
constexpr int PortfolioMark = 20;  // written by the portfolio candidates
constexpr int MoneyVolumeLevel2 = 21;
constexpr int MoneyVolumeLevel = 22;   // the money volume criterion (4 levels)
constexpr int MoneyVolumeLevelN = 23;  // 2 to 32 levels by the number of loaded stocks
constexpr int MoneyVolumeGrowthLevel = 24;
constexpr int ProfitLevel = 25;
constexpr int PriceDeclineLevel = 26;
constexpr int PriceAdvanceLevel = 27;
constexpr int PriceLinearityLevel = 28;
constexpr int PortfolioCandidate = 29;  // written by the portfolio candidates
constexpr int PortfolioSpare = 30;      // written by the portfolio candidates
constexpr int PriceRelStdDevi = 31;     // around the price smoothed over 13 days
constexpr int PriceRelStdDeviLevel = 32;
constexpr int VolumeRelStdDevi = 33;  // around the volume smoothed over 13 days
constexpr int VolumeRelStdDeviLevel = 34;
constexpr int Count = 40;
}  // namespace scr

// One stock's values before they become its screening vector (entries 1..40; 0 unused).
extern Table1D<float> QualityValue;

// How the screening values are computed. The program computes the stocks on the program's
// workers (Workers) and the calling thread, each on work vectors of its own, and puts them in
// place in item order; a test may choose the plain road or a thread count.
struct ScreeningRoadChoice {
    bool plain = false;
    unsigned threads = 0;  // 0: as many as Workers has
    bool operator==(const ScreeningRoadChoice&) const = default;
};
extern ScreeningRoadChoice ScreeningRoad;

// Computes the screening vectors of all loaded stocks into Buffer rows 1..n of ScreeningVectors
// (row i = stock item number i) and their levels. Expects a loaded history and the windows
// CalcFrom1..CalcTo1 and GroupFrom..GroupTo set by the caller. Shows its wait text in the chart
// window's status bar and the main window's action label, and the progress bar; overwrites work
// vectors 1 to 4 of MainVectors and work vector 1 of ScreeningVectors. With SaveTables not 0,
// each level's interval table is also saved into the results database. Errors of the vector
// store reach the caller.
void CalcScreeningBasicValues(std::int16_t SaveTables = 0);

// The same, stock by stock on the shared work vectors: the plain form, kept as the oracle of
// the threaded one, which leaves the same rows, levels, work vectors and QualityValue.
void CalcScreeningBasicValuesPlain(std::int16_t SaveTables = 0);

// The level power of coordinate 23 for m screened stocks: 1 up to 50, 2 up to 200, 3 up to 600,
// 4 up to 2000, 5 above; 0 (no grading) for none.
long MoneyVolumeLevelPower(long m);

// Back to the start: QualityValue all 0, the threaded road.
void ResetScreeningValues();

}  // namespace vel
