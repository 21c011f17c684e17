// Net compound profit of the rallies of a trading log on one price vector: the objective that
// every timing and swinging search maximises. Each rally buys at the price of its buy day and
// sells at the price of its sell day (limited to the last shown day), pays the one-way
// commission twice, and the rally results are compounded in order.
#pragma once

#include <vector>

#include "Num.h"
#include "RallyLog.h"
#include "clsVectors.h"

namespace vel {

// A rally's profit in percent: (pS - pB) * 100 / pB - 2 * commission, the difference formed in
// single precision and the rest in double; 0 when the buy price is not above 0 (the rally
// neither gains nor loses and pays no commission).
inline double RallyProfitPercent(float pB, float pS, float commission) {
    if (!(pB > 0.0f)) return 0.0;
    const float diff = pS - pB;
    return static_cast<double>(diff) * 100.0 / static_cast<double>(pB) -
           2.0 * static_cast<double>(commission);
}

// The growth factor of a rally of profit P percent: P / 100 + 1, in double.
inline double RallyFactor(double P) {
    return P / 100.0 + 1.0;
}

// The compound profit after one more rally of the given growth factor, in percent:
// ((C / 100 + 1) * factor - 1) * 100 in double, rounded to single (OverflowError beyond).
inline float CompoundByFactor(float C, double factor) {
    return checkedSingle(((static_cast<double>(C) / 100.0 + 1.0) * factor - 1.0) * 100.0);
}

// The compound profit after one more rally of profit P, both in percent:
// ((C / 100 + 1) * (P / 100 + 1) - 1) * 100 in double, rounded to single (OverflowError beyond).
inline float CompoundStep(float C, double P) {
    return CompoundByFactor(C, RallyFactor(P));
}

// The program's log on MainVectors' price vector with defCommission, each rally sold at its
// SellPos or ChartTo1, whichever is earlier. 0 without rallies. Reads only; a day outside the
// store raises SubscriptRangeError.
float CalcPositionsCompoundProfit(long PriceVector);

// A raw row for the functions below: days 1..CoordDim of the store's vector as singles (day d at
// [d - 1]), each read as CoordGetSingle reads it (an empty cell as 0).
std::vector<float> DaysAsSingles(const clsVectors& store, long VectorNum);

// The same on raw data, for searches on worker threads: the given log on a row of singles (day d
// at price[d - 1]; a day outside 1..days reads as 0), sold at the latest on lastShownDay.
float PriceRallies(const RallyLog& log, const float* price, long days, long lastShownDay,
                   float commission);

// One trial of a search: the walk of days from..to of the signal row into the log
// (WalkSignalRow) and the pricing of its rallies on the price row, sold at the latest on `to`;
// returns the net compound profit. Both rows hold `days` days; the window must lie inside them
// (SubscriptRangeError before anything changes).
float WalkAndPrice(const float* signal, const float* price, long days, long from, long to,
                   float commission, RallyLog& log);

}  // namespace vel
