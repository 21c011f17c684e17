// clsVectors: BUY-SELL signal generators (level crossings and the two state machines over the
// shown day window), the walk of a signal into the trading log, and the signal correlation.
//
// The three-parameter signal and the walk are the inner steps of the market timing search, so
// they run over the cell planes directly where every cell they read is single; elsewhere they
// take the general road through the tagged numbers. Both roads give the same cells, the same
// trading log and the same error at the same point.
#include <algorithm>
#include <cmath>
#include <limits>

#include "AppState.h"
#include "clsVectors.h"

namespace vel {
namespace {

// True when all n kinds equal `kind`; true when any does (branch-free scans).
bool allOfKind(const std::uint8_t* kinds, long n, std::uint8_t kind) {
    std::uint8_t diff = 0;
    for (long i = 0; i < n; ++i) diff |= static_cast<std::uint8_t>(kinds[i] ^ kind);
    return diff == 0;
}
bool anyOfKind(const std::uint8_t* kinds, long n, std::uint8_t kind) {
    std::uint8_t found = 0;
    for (long i = 0; i < n; ++i) found |= static_cast<std::uint8_t>(kinds[i] == kind);
    return found != 0;
}

// 100 * (ref - price) as the trailing stop forms it from two singles: the difference in single
// precision (widened to double only where the single overflows, as the store's arithmetic
// does), the product in double precision.
double declineNumerator(float ref, float price) {
    const double r = static_cast<double>(ref) - static_cast<double>(price);
    const float f = static_cast<float>(r);
    return 100.0 * (std::isinf(f) ? r : static_cast<double>(f));
}

}  // namespace

// ---- Level crossings --------------------------------------------------------------------

void clsVectors::CoordCrossingAboveZeroLevelSignal(long VectorNum, long SellSignalValue,
                                                   long BuySignalValue) {
    CoordCrossingAboveSpecifiedLevelSignal(0.0f, VectorNum, SellSignalValue, BuySignalValue);
}

void clsVectors::CoordCrossingAboveSpecifiedLevelSignal(float SpecifiedLevel, long VectorNum,
                                                        long SellSignalValue, long BuySignalValue) {
    const long last = coordDim_;
    if (last < 1) return;
    const size_t b = rowBase(VectorNum);
    const long n = inside(last);
    const double level = SpecifiedLevel;
    for (long i = 0; i < n; ++i) {
        const bool buy = cell(b + i).toDouble() > level;
        putWhole(b + i, static_cast<std::int32_t>(buy ? BuySignalValue : SellSignalValue));
    }
    failBeyond(VectorNum, last);
}

void clsVectors::CoordCrossingBelowZeroLevelSignal(long VectorNum, long SellSignalValue,
                                                   long BuySignalValue) {
    const long last = coordDim_;
    if (last < 1) return;
    const size_t b = rowBase(VectorNum);
    const long n = inside(last);
    for (long i = 0; i < n; ++i) {
        const bool buy = cell(b + i).toDouble() < 0.0;
        putWhole(b + i, static_cast<std::int32_t>(buy ? BuySignalValue : SellSignalValue));
    }
    failBeyond(VectorNum, last);
}

// ---- State machines over the shown window -----------------------------------------------
// Per day, in this order: the buy test (only while flat), the sell test (only while holding,
// so never on the day of a buy), then the day's signal is written. A day after a sell starts
// flat, so the next buy comes the next day at the earliest.

void clsVectors::CoordCrossing3ParamsSignal(long PriceVector, long TrendVector, long SignalVector,
                                            float TrendLowLevel, float TrendHighLevel,
                                            float PriceDeclinePercent, long SellSignalValue,
                                            long BuySignalValue) {
    const float sell = static_cast<float>(SellSignalValue);
    const float buy = static_cast<float>(BuySignalValue);
    // The preset. A row without doubles inside the matrix is filled plane by plane, with the
    // same cells as CoordAllSetConst leaves.
    const long dim = coordDim_;
    if (dim >= 1 && dim <= cols_ && SignalVector >= 1 && SignalVector <= rows_ &&
        !anyOfKind(&kinds_[rowBase(SignalVector)], dim, kDouble)) {
        const size_t sb = rowBase(SignalVector);
        std::fill_n(&kinds_[sb], dim, kSingle);
        std::fill_n(&payload_[sb], dim, std::bit_cast<std::uint32_t>(sell));
    } else {
        CoordAllSetConst(SignalVector, sell);
    }
    const long from = ChartFrom1.toInt16();
    const long to = ChartTo1;
    if (from > to) return;

    // Fast road: every price and trend cell of the window is single, and the window lies in
    // days 1..CoordDim, which the preset made single sell values. Then a sell day and a flat
    // day already hold their value, and only the holding days need the buy value. Every day is
    // read before it is written, as on the general road, so sources may alias the signal.
    const long last = inside(to);
    if (from >= 1 && last >= from && last <= coordDim_) {
        const size_t pb = rowBase(PriceVector), tb = rowBase(TrendVector);
        const size_t sb = rowBase(SignalVector);
        const long n = last - from + 1;
        const size_t first = static_cast<size_t>(from - 1);
        if (allOfKind(&kinds_[pb + first], n, kSingle) &&
            allOfKind(&kinds_[tb + first], n, kSingle)) {
            const std::uint32_t* price = &payload_[pb];
            const std::uint32_t* trend = &payload_[tb];
            std::uint32_t* signal = &payload_[sb];
            const std::uint32_t buyBits = std::bit_cast<std::uint32_t>(buy);
            // Below this bound of 100 * (ref - price) the decline, once divided by ref and
            // rounded, cannot exceed PriceDeclinePercent: the margin of 1e-6 covers the roundings
            // many times over, so the division is left out on most holding days.
            const double stopBound = static_cast<double>(PriceDeclinePercent) * (1.0 - 1e-6);
            size_t i = first;
            const size_t end = static_cast<size_t>(last);
            while (i < end) {
                // Flat: the first day whose trend is above the high level buys.
                while (i < end && !(std::bit_cast<float>(trend[i]) > TrendHighLevel)) ++i;
                if (i >= end) break;
                float ref = std::bit_cast<float>(price[i]);
                signal[i++] = buyBits;
                // Holding: the trailing stop or a trend below the low level sells.
                for (; i < end; ++i) {
                    const float p = std::bit_cast<float>(price[i]);
                    const float t = std::bit_cast<float>(trend[i]);
                    if (p > ref) ref = p;
                    bool sells;
                    if (p > 0.0f && ref <= std::numeric_limits<float>::max()) {
                        // 0 < p <= ref: the decline lies in [0, 100) and cannot fail, so it
                        // need not be formed when the trend sells anyway.
                        sells = t < TrendLowLevel;
                        if (!sells) {
                            const double a = declineNumerator(ref, p);
                            sells = !(a < stopBound * ref) &&
                                    checkedSingle(a / ref) > PriceDeclinePercent;
                        }
                    } else {
                        const float decline =
                            ref > 0.0f ? checkedSingle(declineNumerator(ref, p) / ref) : 0.0f;
                        sells = t < TrendLowLevel || decline > PriceDeclinePercent;
                    }
                    if (sells) {
                        ++i;  // the sell day keeps its sell value
                        break;
                    }
                    signal[i] = buyBits;
                }
            }
            return;
        }
    }

    // General road: each cell in its own kind, through the element access.
    float carried = sell;
    int state = 1;  // 1 flat, 2 bought today, 3 holding, 4 sold today
    Num ref;
    for (long i = from; i <= to; ++i) {
        const Num price = cell(at(PriceVector, i));
        const double trend = cell(at(TrendVector, i)).toDouble();
        float sig = carried;
        if (trend > TrendHighLevel && state == 1) {
            state = 2;
            sig = buy;
            ref = price;
        }
        if (state == 3) {
            if (price > ref) ref = price;
            float decline = 0.0f;
            if (ref > Num(0))
                decline = checkedSingle(100.0 * (ref - price).toDouble() / ref.toDouble());
            if (trend < TrendLowLevel || decline > PriceDeclinePercent) {
                state = 4;
                sig = sell;
            }
        }
        if (state == 2) state = 3;
        if (state == 4) state = 1;
        putSingle(at(SignalVector, i), sig);
        carried = sig;
    }
}

void clsVectors::CoordCrossingTwoLevelsSignal(long FromVectorNum, long SignalVector,
                                              long SellSignalHighValue, long BuySignalLowValue) {
    CoordAllSetConst(SignalVector, -100.0f);
    // The levels are single precision; each day's value is compared as stored.
    const double sellBelow = static_cast<float>(SellSignalHighValue);
    const double buyAbove = static_cast<float>(BuySignalLowValue);
    float sig = -100.0f;
    int state = 1;  // 1 flat, 2 bought today, 3 holding, 4 sold today
    const long from = ChartFrom1.toInt16();
    const long to = ChartTo1;
    for (long i = from; i <= to; ++i) {
        const double y = cell(at(FromVectorNum, i)).toDouble();
        if (y > buyAbove && state == 1) {
            state = 2;
            sig = 100.0f;
        }
        if (y < sellBelow && state == 3) {
            state = 4;
            sig = -100.0f;
        }
        if (state == 2) state = 3;
        if (state == 4) state = 1;
        putSingle(at(SignalVector, i), sig);
    }
}

// ---- Trading-log walk -------------------------------------------------------------------

void clsVectors::SignalVectorTransformToTradingPositionsSign(long SignalVector) const {
    LastTradeAction = -1;
    LastTradeActionDay = -1;
    RallyCount = 0;
    const long from = ChartFrom1.toInt16();
    // ChartTo1 cannot change during the walk: nothing in it yields.
    const long to = ChartTo1;
    long buyDay = 0;

    const long last = inside(to);
    if (from >= 1 && last >= from) {
        const size_t b = rowBase(SignalVector);
        const size_t first = static_cast<size_t>(from - 1);
        if (allOfKind(&kinds_[b + first], last - from + 1, kSingle)) {
            // Fast road over single cells: scan for the next buy while flat, for the next sell
            // while holding. A sell day is never a buy day; the next scan starts the day after.
            const std::uint32_t* y = &payload_[b];
            const size_t end = static_cast<size_t>(last);
            size_t i = first;
            bool holding = false;
            while (i < end) {
                while (i < end && !(std::bit_cast<float>(y[i]) > 0.0f)) ++i;
                if (i >= end) break;
                buyDay = static_cast<long>(i) + 1;
                LastTradeAction = 1;
                LastTradeActionDay = static_cast<std::int16_t>(buyDay);
                holding = true;
                ++i;
                while (i < end && !(std::bit_cast<float>(y[i]) < 0.0f)) ++i;
                if (i >= end) break;
                const long sellDay = static_cast<long>(i) + 1;
                TradingLogAddBuyPosition(buyDay);
                TradingLogSetSellPosition(sellDay);
                LastTradeAction = -1;
                LastTradeActionDay = static_cast<std::int16_t>(sellDay);
                holding = false;
                ++i;
            }
            if (to > cols_) at(SignalVector, std::max(from, cols_ + 1));
            if (holding) {
                TradingLogAddBuyPosition(buyDay);
                TradingLogSetSellPosition(static_cast<long>(ChartTo1) + 1);
            }
            return;
        }
    }

    // General road, through the element access.
    int state = 2;  // 2 flat, 3 holding, 4 sold today
    long sellDay = 0;
    for (long i = from; i <= ChartTo1; ++i) {
        const Num y = CoordGetSingleValue(SignalVector, i);
        if (y < Num(0) && state == 3) {
            sellDay = i;
            state = 4;
        }
        if (y > Num(0) && state == 2) {
            buyDay = i;
            state = 3;
            LastTradeAction = 1;
            LastTradeActionDay = static_cast<std::int16_t>(i);
        }
        if (state == 4) {
            TradingLogAddBuyPosition(buyDay);
            TradingLogSetSellPosition(sellDay);
            LastTradeAction = -1;
            LastTradeActionDay = static_cast<std::int16_t>(sellDay);
            state = 2;
        }
    }
    if (state == 3) {
        TradingLogAddBuyPosition(buyDay);
        TradingLogSetSellPosition(static_cast<long>(ChartTo1) + 1);
    }
}

// ---- Correlation ------------------------------------------------------------------------

float clsVectors::CoordFromToSignalCorrelation(long VectorNum1, long VectorNum2, long FromPos,
                                               long ToPos) const {
    long n = 0;
    float hits = 0.0f;
    const long to = ToPos;
    for (long i = FromPos; i <= to; ++i) {
        ++n;
        const Num a = CoordGetSingleValue(VectorNum1, i);
        const Num b = CoordGetSingleValue(VectorNum2, i);
        if ((a > Num(0) && b > Num(0)) || (a < Num(0) && b < Num(0))) hits = hits + 1.0f;
    }
    float r = 0.0f;
    if (n > 0) {
        const double dn = static_cast<double>(n);
        r = checkedSingle((2.0 * static_cast<double>(hits) - dn) / dn);
    }
    if (r >= 0.0f) return checkedSingle(std::sqrt(static_cast<double>(r)));
    return -checkedSingle(std::sqrt(-static_cast<double>(r)));
}

}  // namespace vel
