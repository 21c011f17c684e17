// Market timing of one stock: the search for the BUY-SELL signal of the three-parameter
// family (buy when the smoothed relative gradient of G days, in percent, rises above a high
// level H; sell when it falls below a low level L or the price falls more than D percent below
// its highest price since the buy) that earns the most net compound profit over the shown
// window. Trials run G ascending, then D ascending, then L and H each from the level nearest 0
// outward; the first best trial wins a tie.
//
// Two roads give the same results: the literal one, step by step through the store, the
// signal walk and the program's trading log (the test oracle), and the fused one, which forms
// every trial's rallies and profit from raw rows in one pass with nothing materialised per
// trial, on a worker thread when the basket runs.
#pragma once

#include <memory>
#include <vector>

#include "SearchRows.h"

namespace vel {

// The grid sizes of one search: R = (diligence * 0.5 + 1) * 7 with the diligence clamped to
// 0..1, N = R as a 16-bit integer (halves to even). D runs k = 0..N, L and H j, m = 0..floor(R).
struct TimingGrid {
    double R = 7.0;
    int N = 7;
    int levelSteps = 7;  // the last j and m: the whole part of R
    float q = 0.0f;      // the price decline factor, e^(ln 30 / (N + 2)) as a single
    long TrialsPerGradient() const { return (N + 1L) * (levelSteps + 1L) * (levelSteps + 1L); }
};
TimingGrid MakeTimingGrid(float diligence);

// The 22 gradient lengths G = 8, 10, ..., 50 of every timing and swinging search.
constexpr int kFirstGradient = 8;
constexpr int kLastGradient = 50;

// The trend level bounds of one G and their geometric factors.
struct TimingLevels {
    float topH = 2.0f;              // a1 + 2 (a2 - a1), at least 2
    float bottomL = -2.0f;          // b1 + 2 (b2 - b1), at most -2
    float qL = 0.0f;                // e^(ln(1 - BottomL) / (R + 2)) as a single
    float qH = 0.0f;                // e^(ln(TopH + 1) / (R + 2)) as a single
    std::vector<double> low, high;  // L_j = 1 - qL^(j + 2), H_m = qH^(m + 2) - 1
    std::vector<float> decline;     // D_k = q^(k + 2) as singles (the same for every G)
};
// From the conditional means of the trend (a1, a2 above 0, b1, b2 below 0).
TimingLevels MakeTimingLevels(const TimingGrid& grid, float a1, float a2, float b1, float b2);

// CalcIndividualStockTiming as the program runs it: the fused search of the price vector's
// rows when they allow it (else the literal one), leaving the best-so-far record, vectors W to
// W + 2 and the trading log exactly as the literal search does.
void CalcIndividualStockTiming(long PriceVector, long W);

// The literal search (test oracle): CompoundProfit = -10000, then every trial through
// VectorFirstDerivation, VectorInterpolation, CoordAllCoefMull, CoordCrossing3ParamsSignal,
// SignalVectorToTradingLog and CalcPositionsCompoundProfit, yielding once per trial; a usable
// best trial's gradient, trend and signal rebuilt in W..W + 2 (else the last trial's stay);
// the trading log holds the last trial's rallies. The record's other fields are not reset.
void CalcIndividualStockTimingLiteral(long PriceVector, long W);

// Private scratch of one thread's fused timing searches.
struct TimingScratch;
struct TimingScratchDeleter {
    void operator()(TimingScratch* s) const;
};
using TimingScratchPtr = std::unique_ptr<TimingScratch, TimingScratchDeleter>;
TimingScratchPtr MakeTimingScratch();

// The fused search of one stock on its price row (days 1..w.dim, ReadPlainRow) over a fusable
// window: the outcome's rows are W, W + 1 and W + 2. Raises LeaveFusedRoad (or the error the
// literal search would raise) where the stock must go the literal way. Touches no
// process-wide state and never yields.
SearchOutcome SearchTimingRow(const float* price, const SearchWindow& w, TimingScratch& scratch);

}  // namespace vel
