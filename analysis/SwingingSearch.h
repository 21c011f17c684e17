// Market swinging and special swinging of one stock: the search for the level L at which a
// BUY-SELL signal of one family earns the most net compound profit over the shown window. The
// signal is BUY where its curve lies above L and SELL where it lies at or below L. Market
// swinging's curve is the gradient change: the relative gradient of the price over G days,
// smoothed over G days, differentiated over S = G days (G = 8, 10, ..., 50). Special
// swinging's curve is the past profit over D days (D = 2..40). For each G (D), the levels run
// on an even grid from the curve's minimum over the window to its maximum (at least 2.0);
// the first best trial wins a tie.
//
// Two roads give the same results: the literal one through the store, the signal walk and the
// program's trading log (the test oracle), and the fused one on raw rows, which finds each
// level's rallies from bit masks of the curve and prices them with nothing materialised per
// trial.
#pragma once

#include <memory>

#include "SearchRows.h"

namespace vel {

// The number of level steps n of a search: (diligence + 1) * 100 in single precision, halves
// to even, the diligence clamped to 0..1: 100, 150 and 200 at 0, 0.5 and 1. Levels k = 0..n.
int SwingingLevelSteps(float diligence);
// Level k of n between Lo and Hi: Lo + ((Hi - Lo) * k) / n, every step a single.
float SwingingLevel(float Lo, float Hi, int k, int n);

constexpr int kFirstPastDays = 2;
constexpr int kLastPastDays = 40;

// The searches as the program runs them: fused where the price vector's rows allow it, else
// literal, leaving the best-so-far record, the vectors B.. and the trading log exactly as the
// literal search does. BaseVector B: swinging writes B to B + 4, special swinging B, B + 1 and
// B + 4. The best trial's curve and signal stay in B + 3 (special: B + 1) and B + 4 when the
// record is usable; otherwise the last trial's. The trading log holds the last trial's
// rallies; a caller that wants the best trial's walks B + 4 itself.
void CalcIndividualStockSwinging(long PriceVector, long BaseVector);
void CalcIndividualStockSpecialSwinging(long PriceVector, long BaseVector);

// The literal searches (test oracles), step by step as the program's description gives them,
// yielding once per level trial.
void CalcIndividualStockSwingingLiteral(long PriceVector, long BaseVector);
void CalcIndividualStockSpecialSwingingLiteral(long PriceVector, long BaseVector);

// Private scratch of one thread's fused swinging searches.
struct SwingingScratch;
struct SwingingScratchDeleter {
    void operator()(SwingingScratch* s) const;
};
using SwingingScratchPtr = std::unique_ptr<SwingingScratch, SwingingScratchDeleter>;
SwingingScratchPtr MakeSwingingScratch();

// The fused search of one stock on its price row (days 1..w.dim) over a fusable window. The
// outcome's rows are B + 1 to B + 4 (special: B + 1 and B + 4), the signal rows holding +100
// and -100. Raises LeaveFusedRoad (or the literal search's error) where the stock must go the
// literal way. Touches no process-wide state and never yields.
SearchOutcome SearchSwingingRow(const float* price, const SearchWindow& w, bool special,
                                SwingingScratch& scratch);

}  // namespace vel
