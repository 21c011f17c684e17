// Market timing of one stock: the grids, the literal search and the fused search.
#include "TimingSearch.h"

#include <algorithm>
#include <cmath>

#include "AppState.h"
#include "Hooks.h"
#include "RallyProfit.h"
#include "SignalWalk.h"
#include "VectorStores.h"

namespace vel {

TimingGrid MakeTimingGrid(float diligence) {
    // A diligence outside 0..1 (or not a number) would grow or shrink the grids without bound.
    const float dil = diligence >= 0.0f ? std::min(diligence, 1.0f) : 0.0f;
    TimingGrid g;
    g.R = (static_cast<double>(dil) * 0.5 + 1.0) * 7.0;
    g.N = toInt16(g.R);
    g.levelSteps = static_cast<int>(std::floor(g.R));
    g.q = static_cast<float>(std::exp(std::log(30.0) / (g.N + 2)));
    return g;
}

TimingLevels MakeTimingLevels(const TimingGrid& grid, float a1, float a2, float b1, float b2) {
    TimingLevels lv;
    // The bounds in the program's single arithmetic.
    const Num top = Num(a1) + Num(2) * (Num(a2) - Num(a1));
    lv.topH = top < Num(2) ? 2.0f : top.toSingle();
    const Num bottom = Num(b1) + Num(2) * (Num(b2) - Num(b1));
    lv.bottomL = bottom > Num(-2) ? -2.0f : bottom.toSingle();
    lv.qL = static_cast<float>(
        std::exp(std::log((Num(1) - Num(lv.bottomL)).toDouble()) / (grid.R + 2.0)));
    lv.qH =
        static_cast<float>(std::exp(std::log((Num(lv.topH) + Num(1)).toDouble()) / (grid.R + 2.0)));
    // Each grid by repeated multiplication: L and H in double, D in single.
    double pL = static_cast<double>(lv.qL) * lv.qL;
    double pH = static_cast<double>(lv.qH) * lv.qH;
    for (int j = 0; j <= grid.levelSteps; ++j) {
        lv.low.push_back(1.0 - pL);
        lv.high.push_back(pH - 1.0);
        pL *= lv.qL;
        pH *= lv.qH;
    }
    float D = grid.q * grid.q;
    for (int k = 0; k <= grid.N; ++k) {
        lv.decline.push_back(D);
        D = D * grid.q;
    }
    return lv;
}

namespace {

// A trial that beats the record replaces all seven fields.
void RecordTimingTrial(BestTrialRecord& r, float profit, long rallies, long G, long S, double L,
                       double H, float D) {
    r.CompoundProfit = Num(profit);
    r.Rallies = static_cast<float>(rallies);
    r.GradientPoints = Num(static_cast<int>(G));
    r.SmoothPoints = static_cast<float>(S);
    r.OptimalLowLevel = Num(L);
    r.OptimalHighLevel = Num(H);
    r.OptimalPriceDeclineLevel = D;
}

// The trend of G gradient points smoothed over S: W, W + 1 of the store.
void BuildTrend(clsVectors& v, long P, long W, long G, long S) {
    v.VectorFirstDerivation(P, W, G, true);
    v.VectorInterpolation(W, W + 1, S);
    v.CoordAllCoefMull(W + 1, 100.0f);
}

}  // namespace

void CalcIndividualStockTimingLiteral(long P, long W) {
    clsVectors& v = *MainVectors;
    const TimingGrid grid = MakeTimingGrid(defDiligence);
    BestSoFar.CompoundProfit = Num(-10000.0);
    const Num trendVector(static_cast<int>(W + 1));
    for (long G = kFirstGradient; G <= kLastGradient; G += 2) {
        const long S = std::max<long>(G, 5);
        BuildTrend(v, P, W, G, S);
        const float a1 =
            v.CoordFromToConditionalAverage(trendVector, ChartFrom1, ChartTo1, 0.00001f, true);
        const float a2 =
            v.CoordFromToConditionalAverage(trendVector, ChartFrom1, ChartTo1, a1, true);
        const float b1 =
            v.CoordFromToConditionalAverage(trendVector, ChartFrom1, ChartTo1, -0.00001f, false);
        const float b2 =
            v.CoordFromToConditionalAverage(trendVector, ChartFrom1, ChartTo1, b1, false);
        const TimingLevels lv = MakeTimingLevels(grid, a1, a2, b1, b2);
        for (int k = 0; k <= grid.N; ++k) {
            const float D = lv.decline[static_cast<size_t>(k)];
            for (int j = 0; j <= grid.levelSteps; ++j) {
                const double L = lv.low[static_cast<size_t>(j)];
                for (int m = 0; m <= grid.levelSteps; ++m) {
                    YieldToEvents();
                    const double H = lv.high[static_cast<size_t>(m)];
                    v.CoordCrossing3ParamsSignal(P, W + 1, W + 2, static_cast<float>(L),
                                                 static_cast<float>(H), D, -100, 100);
                    SignalVectorToTradingLog(W + 2, false);
                    const float p = CalcPositionsCompoundProfit(P);
                    if (BestSoFar.IsImprovedBy(p))
                        RecordTimingTrial(BestSoFar, p, RallyCount, G, S, L, H, D);
                }
            }
        }
    }
    if (BestSoFar.IsUsable()) {
        BuildTrend(v, P, W, BestSoFar.GradientPoints.toInt16(), toInt16(BestSoFar.SmoothPoints));
        v.CoordCrossing3ParamsSignal(P, W + 1, W + 2, BestSoFar.OptimalLowLevel.toSingle(),
                                     BestSoFar.OptimalHighLevel.toSingle(),
                                     BestSoFar.OptimalPriceDeclineLevel, -100, 100);
    }
}

// ---- The fused search -------------------------------------------------------------------
//
// Within one G every trial reads the same trend and price over the window. A trial's walk
// buys on the first flat day whose trend is above H, and sells on the first later day whose
// trend is below L or whose price lies more than D percent below the highest price since the
// buy. So the next day above each H and below each L is tabled once per G, and the first day
// on which the trailing stop of D sells after a buy day (a matter of the price alone, the same
// for every G) is found once per stock and buy day, scanned only as far as a trial asks. A
// trial then costs a few steps per rally. Its rallies are those the literal walk finds, in
// the same order, and are priced by the same compounding; a trial whose rallies equal the
// previous trial's has its profit, which cannot beat the record, so it is not priced again.

struct DeclineMemo {
    std::vector<std::int32_t> hit;  // the stop day after buy day t, -1 while not found
    std::vector<std::int32_t> pos;  // the last day scanned without a stop, -1 before any
    std::vector<float> ref;         // the highest price up to pos
    std::vector<double> factor;     // the growth factor of the rally (t, hit)
};

struct TimingScratch {
    std::vector<float> gradient, trend;
    std::vector<float> prices;                   // the window's prices and the last one again
    std::vector<std::int32_t> nextBuy, nextLow;  // per level: n + 1 entries
    std::vector<DeclineMemo> memo;               // per price decline step
    // The rallies of the trials of one batch (one D and one L, every H), as window days (sell n
    // for the open rally), each trial's at its own offset; their growth factors; the log rows.
    std::vector<std::int16_t> buy, sell, logBuy, logSell;
    std::vector<double> profit;
    // The growth factor of the rally from buy day t to the next day below low level j, valid
    // where its stamp is the current G (per level: n entries).
    std::vector<std::int32_t> lowStamp;
    std::vector<double> lowFactor;
};

void TimingScratchDeleter::operator()(TimingScratch* s) const {
    delete s;
}

TimingScratchPtr MakeTimingScratch() {
    return TimingScratchPtr(new TimingScratch);
}

namespace {

// The trailing stop's decline in percent of the price p below the highest price ref, as the
// three-parameter signal forms it (0 when ref is not above 0). Prices are plain rows: no
// value below 0, none beyond 1e24, so nothing can overflow.
inline float TrailingDecline(float ref, float p) {
    if (!(ref > 0.0f)) return 0.0f;
    const float diff = ref - p;
    return static_cast<float>(100.0 * static_cast<double>(diff) / static_cast<double>(ref));
}

// The first window day s in (b, limit) on which the stop of D sells after a buy on day b,
// limit when none; px is the window's prices. Remembers how far it has looked, and the growth
// factor of the rally to a stop it finds.
inline std::int32_t StopBefore(DeclineMemo& m, const float* px, std::int32_t b, std::int32_t limit,
                               float D, float commission) {
    const std::int32_t hit = m.hit[static_cast<size_t>(b)];
    if (hit >= 0) return hit < limit ? hit : limit;
    std::int32_t p = m.pos[static_cast<size_t>(b)];
    float ref;
    if (p < 0) {
        p = b;
        ref = px[b];
    } else {
        ref = m.ref[static_cast<size_t>(b)];
    }
    for (std::int32_t t = p + 1; t < limit; ++t) {
        const float x = px[t];
        if (x > ref) ref = x;
        if (TrailingDecline(ref, x) > D) {
            m.hit[static_cast<size_t>(b)] = t;
            m.factor[static_cast<size_t>(b)] =
                RallyFactor(RallyProfitPercent(px[b], px[t], commission));
            return t;
        }
    }
    if (limit - 1 > p) {
        m.pos[static_cast<size_t>(b)] = limit - 1;
        m.ref[static_cast<size_t>(b)] = ref;
    }
    return limit;
}

// The three-parameter signal of days 1..dim (the sell value outside the window), by the
// literal walk.
void SignalRow(const float* price, const float* trend, const SearchWindow& w, float L, float H,
               float D, float* out) {
    std::fill(out, out + w.dim, -100.0f);
    bool holding = false;
    float ref = 0.0f;
    for (long d = w.from; d <= w.to; ++d) {
        const float p = price[d - 1], t = trend[d - 1];
        if (!holding) {
            if (t > H) {
                holding = true;
                ref = p;
                out[d - 1] = 100.0f;
            }
            continue;
        }
        if (p > ref) ref = p;
        if (t < L || TrailingDecline(ref, p) > D) {
            holding = false;
            continue;
        }
        out[d - 1] = 100.0f;
    }
}

// The table of the first window day at or after t whose value passes the test (n: none).
template <class Test>
void NextDayTable(const float* x, std::int32_t n, Test test, std::int32_t* next) {
    next[n] = n;
    for (std::int32_t t = n - 1; t >= 0; --t) next[t] = test(x[t]) ? t : next[t + 1];
}

}  // namespace

SearchOutcome SearchTimingRow(const float* price, const SearchWindow& w, TimingScratch& s) {
    if (!w.fusable()) throw LeaveFusedRoad();
    const TimingGrid grid = MakeTimingGrid(w.diligence);
    const std::int32_t n = static_cast<std::int32_t>(w.to - w.from + 1);
    const size_t dim = static_cast<size_t>(w.dim);
    const int levels = grid.levelSteps + 1;
    // The window's prices, the last one repeated at n: an open rally (sell n) sells there.
    s.prices.assign(price + (w.from - 1), price + w.to);
    s.prices.push_back(price[w.to - 1]);
    const float* px = s.prices.data();
    s.gradient.resize(dim);
    s.trend.resize(dim);
    const size_t stride = static_cast<size_t>(n) + 1;
    s.nextBuy.resize(static_cast<size_t>(levels) * stride);
    s.nextLow.resize(static_cast<size_t>(levels) * stride);
    s.memo.resize(static_cast<size_t>(grid.N + 1));
    for (DeclineMemo& m : s.memo) {
        m.hit.assign(static_cast<size_t>(n), -1);
        m.pos.assign(static_cast<size_t>(n), -1);
        m.ref.resize(static_cast<size_t>(n));
        m.factor.resize(static_cast<size_t>(n));
    }
    // A trial has at most (n + 1) / 2 rallies.
    const size_t most = static_cast<size_t>(n) / 2 + 1;
    s.buy.resize(static_cast<size_t>(levels) * most);
    s.sell.resize(static_cast<size_t>(levels) * most);
    s.profit.resize(static_cast<size_t>(levels) * most);
    s.logBuy.assign(most + 1, 0);
    s.logSell.assign(most + 1, 0);
    s.lowStamp.assign(static_cast<size_t>(levels) * stride, 0);
    s.lowFactor.resize(static_cast<size_t>(levels) * stride);
    std::vector<int> count(static_cast<size_t>(levels));
    std::vector<float> compound(static_cast<size_t>(levels));

    SearchOutcome out;
    out.fused = true;
    BestTrialRecord& best = out.best;
    best.CompoundProfit = Num(-10000.0);
    int lastCount = 0;
    std::vector<double> lastLevels(3);

    for (long G = kFirstGradient; G <= kLastGradient; G += 2) {
        const long S = std::max<long>(G, 5);
        FirstDerivationRow(price, w, G, true, s.gradient.data());
        InterpolationRow(s.gradient.data(), w.from, w.to, S, s.trend.data());
        CoefMullRow(s.trend.data(), w.from, w.to, 100.0f);
        const float* tr = s.trend.data();
        const float a1 = ConditionalAverageRow(tr, w.statFrom, w.statTo, 0.00001f, true);
        const float a2 = ConditionalAverageRow(tr, w.statFrom, w.statTo, a1, true);
        const float b1 = ConditionalAverageRow(tr, w.statFrom, w.statTo, -0.00001f, false);
        const float b2 = ConditionalAverageRow(tr, w.statFrom, w.statTo, b1, false);
        const TimingLevels lv = MakeTimingLevels(grid, a1, a2, b1, b2);
        const float* tx = tr + (w.from - 1);
        for (int j = 0; j < levels; ++j) {
            const float H = static_cast<float>(lv.high[static_cast<size_t>(j)]);
            const float L = static_cast<float>(lv.low[static_cast<size_t>(j)]);
            NextDayTable(
                tx, n, [H](float t) { return t > H; }, &s.nextBuy[static_cast<size_t>(j) * stride]);
            NextDayTable(
                tx, n, [L](float t) { return t < L; }, &s.nextLow[static_cast<size_t>(j) * stride]);
        }
        for (int k = 0; k <= grid.N; ++k) {
            const float D = lv.decline[static_cast<size_t>(k)];
            DeclineMemo& memo = s.memo[static_cast<size_t>(k)];
            for (int j = 0; j < levels; ++j) {
                const std::int32_t* nextLow = &s.nextLow[static_cast<size_t>(j) * stride];
                // The walks of the batch's trials (H ascending) and their rally profits.
                for (int m = 0; m < levels; ++m) {
                    const std::int32_t* nextBuy = &s.nextBuy[static_cast<size_t>(m) * stride];
                    std::int16_t* buys = &s.buy[static_cast<size_t>(m) * most];
                    std::int16_t* sells = &s.sell[static_cast<size_t>(m) * most];
                    double* profits = &s.profit[static_cast<size_t>(m) * most];
                    int c = 0;
                    std::int32_t t = 0;
                    while (true) {
                        const std::int32_t b = nextBuy[t];
                        if (b >= n) break;
                        const std::int32_t limit = nextLow[b + 1];
                        const std::int32_t sell = StopBefore(memo, px, b, limit, D, w.commission);
                        double factor;
                        if (sell < limit) {
                            factor = memo.factor[static_cast<size_t>(b)];
                        } else {
                            const size_t at =
                                static_cast<size_t>(j) * stride + static_cast<size_t>(b);
                            if (s.lowStamp[at] != G) {
                                s.lowStamp[at] = static_cast<std::int32_t>(G);
                                s.lowFactor[at] =
                                    RallyFactor(RallyProfitPercent(px[b], px[sell], w.commission));
                            }
                            factor = s.lowFactor[at];
                        }
                        buys[c] = static_cast<std::int16_t>(b);
                        sells[c] = static_cast<std::int16_t>(sell);
                        profits[c] = factor;
                        ++c;
                        if (sell >= n) break;
                        t = sell + 1;
                    }
                    count[static_cast<size_t>(m)] = c;
                }
                // The compounding of the batch's trials side by side: each trial's rallies in
                // order, the trials' chains independent of each other.
                int longest = 0;
                for (int m = 0; m < levels; ++m) {
                    compound[static_cast<size_t>(m)] = 0.0f;
                    longest = std::max(longest, count[static_cast<size_t>(m)]);
                }
                for (int r = 0; r < longest; ++r)
                    for (int m = 0; m < levels; ++m)
                        if (r < count[static_cast<size_t>(m)])
                            compound[static_cast<size_t>(m)] = CompoundByFactor(
                                compound[static_cast<size_t>(m)],
                                s.profit[static_cast<size_t>(m) * most + static_cast<size_t>(r)]);
                // The trials in their order: the log rows they write, the record.
                for (int m = 0; m < levels; ++m) {
                    const int c = count[static_cast<size_t>(m)];
                    std::copy_n(&s.buy[static_cast<size_t>(m) * most], c, &s.logBuy[1]);
                    std::copy_n(&s.sell[static_cast<size_t>(m) * most], c, &s.logSell[1]);
                    out.logRows = std::max(out.logRows, c);
                    lastCount = c;
                    const float C = compound[static_cast<size_t>(m)];
                    if (best.IsImprovedBy(C)) {
                        RecordTimingTrial(best, C, c, G, S, lv.low[static_cast<size_t>(j)],
                                          lv.high[static_cast<size_t>(m)], D);
                        out.improved = true;
                    }
                }
            }
        }
        lastLevels = {lv.low.back(), lv.high.back(), lv.decline.back()};
    }
    // The log as the trials left it (window days back to day indexes; n + from = to + 1).
    for (int r = 1; r <= out.logRows; ++r)
        out.log.Append(w.from + s.logBuy[static_cast<size_t>(r)],
                       w.from + s.logSell[static_cast<size_t>(r)]);
    out.log.count = static_cast<std::int16_t>(lastCount);

    // What the search leaves in W..W + 2: the usable best trial's vectors, else the last
    // trial's (G = 50 and the outermost levels).
    const bool usable = out.improved && best.IsUsable();
    const long G = usable ? best.GradientPoints.toInt16() : kLastGradient;
    const long S = usable ? toInt16(best.SmoothPoints) : std::max<long>(kLastGradient, 5);
    out.rows.resize(3 * dim);
    float* gradient = out.rows.data();
    float* trend = gradient + dim;
    float* signal = trend + dim;
    FirstDerivationRow(price, w, G, true, gradient);
    InterpolationRow(gradient, 1, w.dim, S, trend);
    CoefMullRow(trend, 1, w.dim, 100.0f);
    if (usable)
        SignalRow(price, trend, w, best.OptimalLowLevel.toSingle(),
                  best.OptimalHighLevel.toSingle(), best.OptimalPriceDeclineLevel, signal);
    else
        SignalRow(price, trend, w, static_cast<float>(lastLevels[0]),
                  static_cast<float>(lastLevels[1]), static_cast<float>(lastLevels[2]), signal);
    return out;
}

}  // namespace vel
