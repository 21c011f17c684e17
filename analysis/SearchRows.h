// The vector operations of the timing and swinging searches on raw rows of singles, for the
// fused searches that run on worker threads. Each function gives, cell for cell and bit for
// bit, what the store's operation of the same name writes when every cell it reads is a single
// (an empty cell reads as 0): the same sums in the same order, the same roundings. Where the
// store would leave the single range (a cell that becomes a double, an overflow error) these
// raise LeaveFusedRoad instead, and the search of that stock goes the literal way.
//
// Rows are 0-based: day d of a vector is row[d - 1]. Nothing here touches process-wide state.
#pragma once

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "Num.h"
#include "RallyLog.h"
#include "StockResults.h"
#include "clsVectors.h"

namespace vel {

// Raised inside a fused search where its raw rows cannot reproduce the store exactly.
class LeaveFusedRoad : public std::runtime_error {
public:
    LeaveFusedRoad() : std::runtime_error("the fused search cannot reproduce this stock") {}
};

// A single from a double result, as the store's kernels round it; LeaveFusedRoad where the
// store would raise OverflowError.
inline float FusedSingle(double s) {
    if (!std::isfinite(s)) throw LeaveFusedRoad();
    const float f = static_cast<float>(s);
    if (std::isinf(f)) throw LeaveFusedRoad();
    return f;
}

// The days and parameters that every trial of one basket run reads besides the stock's rows,
// taken from the process-wide state when the run starts.
struct SearchWindow {
    long dim = 0;         // CoordDim of MainVectors
    long from = 1;        // ChartFrom1 as a day
    long to = 0;          // ChartTo1
    long kernelFrom = 1;  // first day of the derivative drivers: max(1, ChartFrom1 - 100)
    long kernelTo = 0;    // last day of the derivative drivers: min(ChartTo1, CoordDim)
    long statFrom = 1;    // the shown window clamped to 1..CoordDim, as the statistics take it
    long statTo = 0;
    float commission = 0.0f;  // defCommission
    float diligence = 0.0f;   // defDiligence as the user set it (the grids clamp it)
    // True when the fused road can run: the shown window lies inside 1..CoordDim.
    bool fusable() const { return from >= 1 && from <= to && to <= dim; }
};

// The window of the current process-wide state.
SearchWindow CurrentSearchWindow();

// What the fused search of one stock leaves, to be put in place of the process-wide record,
// vectors and trading log when the stock's turn comes (MemberSearches.h).
struct SearchOutcome {
    // False: the stock could not go the fused way; the literal search runs at its turn.
    bool fused = false;
    // True when a trial beat -10000: then `best` holds the fields the search writes.
    bool improved = false;
    BestTrialRecord best;
    // The vectors the search leaves behind, row after row, days 1..dim each (the timing
    // search: W, W + 1, W + 2; swinging: B + 1 .. B + 4; special: B + 1 and B + 4).
    std::vector<float> rows;
    // The trading log as the trials left it: rows 1..logRows, and the last trial's count.
    RallyLog log;
    int logRows = 0;
    // The price row the search read (kept by the worker threads for the merge's check).
    std::vector<float> input;
    // The rows of a caller's follow-up of the search (MemberFollowUp), when it ran.
    bool followedUp = false;
    std::vector<float> followUp;
};

// Days 1..dim of a vector of the store as singles (empty = 0) into row. False (the row is not
// for the fused road) when a cell is neither empty nor a single, when a value other than 0
// lies outside 1e-12 to 1e24 in magnitude or the largest is more than 1e12 times the smallest
// (so that no kernel, gradient or past profit of the searches can leave the single range,
// where the store would raise or widen a cell to a double), or, with nonNegative, when a
// value lies below 0 (the trailing stop's general road could then raise where the fused road
// does not look).
bool ReadPlainRow(const clsVectors& v, long VectorNum, long dim, bool nonNegative,
                  std::vector<float>& row);

// VectorFirstDerivation into out[0..dim-1]: 0 outside days w.kernelFrom..w.kernelTo; on those
// days the least-squares slope over `points` days ending there (0 where the window does not
// fit), divided by the day's value when relative (0 where that value is 0).
void FirstDerivationRow(const float* in, const SearchWindow& w, long points, bool relative,
                        float* out);
// VectorInterpolation for days first..last (1-based) into out[first-1..last-1]: the
// least-squares value over `points` days ending at each day, the day's own value where the
// window does not fit.
void InterpolationRow(const float* in, long first, long last, long points, float* out);
// CoordAllCoefMull by a single factor over days first..last.
void CoefMullRow(float* row, long first, long last, float factor);
// CoordPastProfit over days first..last (all of 1..dim for the whole vector): 0 on days
// 1..days, then the percent change from `days` days before (0 where that price is not above 0).
void PastProfitRow(const float* price, long first, long last, long days, float* out);

// CoordStockBehaviour(price, money, To, G, S) on raw rows (days 1..w.dim; money = the price
// times the volume, day by day): out holds its eight rows, To to To + 7, days 1..dim each. The
// four states (rows 0 to 3) are 100 or 0 from day max(1, G) on and 0 before; rows 4 to 7 are
// the gradients over G days (on the derivative drivers' days, 0 elsewhere) and their
// smoothing over S days. With G >= dim the store only clears the states, and out is left
// empty. Raises the store's error (OverflowError) where a kernel leaves the single range.
void StockBehaviourRows(const float* price, const float* money, const SearchWindow& w, long G,
                        long S, std::vector<float>& out);

// CoordFromToConditionalAverage over days first..last: the single mean of the values at or
// above (greater) or at or below the level; 0 when none.
float ConditionalAverageRow(const float* row, long first, long last, float level, bool greater);
// ScalarFromToCoordMinimum / Maximum over days first..last (first <= last).
float MinimumRow(const float* row, long first, long last);
float MaximumRow(const float* row, long first, long last);

}  // namespace vel
