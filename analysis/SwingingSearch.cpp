// Market swinging and special swinging of one stock: the literal and the fused searches.
#include "SwingingSearch.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>

#include "AppState.h"
#include "Hooks.h"
#include "RallyProfit.h"
#include "SignalWalk.h"
#include "TimingSearch.h"
#include "VectorStores.h"

namespace vel {

int SwingingLevelSteps(float diligence) {
    const float dil = diligence >= 0.0f ? std::min(diligence, 1.0f) : 0.0f;
    return ((Num(dil) + Num(1)) * Num(100)).toInt16();
}

float SwingingLevel(float Lo, float Hi, int k, int n) {
    const float span = checkedSingle(static_cast<double>(Hi) - Lo);
    const float part = checkedSingle(static_cast<double>(span) * k);
    const float step = checkedSingle(static_cast<double>(part) / n);
    return checkedSingle(static_cast<double>(Lo) + step);
}

namespace {

// The curve of one market swinging trial: B + 1 to B + 3 for G gradient points.
void BuildGradientChange(clsVectors& v, long B, long G, long S) {
    v.VectorFirstDerivation(B, B + 1, G, true);
    v.VectorInterpolation(B + 1, B + 2, G);
    v.VectorFirstDerivation(B + 2, B + 3, S, false);
}

// The level search of one curve (B + 3 or B + 1) over the levels of the window: each trial's
// signal in B + 4, walked and priced on the price copy B. onBetter(L) records a trial that
// beats the record.
template <class OnBetter>
void LiteralLevelTrials(clsVectors& v, long B, long curve, OnBetter onBetter) {
    const Num curveVector(static_cast<int>(curve));
    const float Lo = v.ScalarFromToCoordMinimum(curveVector, ChartFrom1, ChartTo1);
    float Hi = v.ScalarFromToCoordMaximum(curveVector, ChartFrom1, ChartTo1);
    if (Hi < 2.0f) Hi = 2.0f;
    const int n = SwingingLevelSteps(defDiligence);
    for (int k = 0; k <= n; ++k) {
        YieldToEvents();
        const float L = SwingingLevel(Lo, Hi, k, n);
        v.VectorCopy(curve, B + 4);
        v.CoordCrossingAboveSpecifiedLevelSignal(L, B + 4, -100, 100);
        SignalVectorToTradingLog(B + 4, false);
        const float p = CalcPositionsCompoundProfit(B);
        if (BestSoFar.IsImprovedBy(p)) onBetter(p, L);
    }
}

}  // namespace

void CalcIndividualStockSwingingLiteral(long P, long B) {
    clsVectors& v = *MainVectors;
    BestSoFar.CompoundProfit = Num(-10000.0);
    BestSoFar.Rallies = 0.0f;
    BestSoFar.GradientPoints = Num(0);
    BestSoFar.SmoothPoints = 0.0f;
    for (long G = kFirstGradient; G <= kLastGradient; G += 2) {
        v.VectorCopy(P, B);
        const long S = std::max<long>(G, 5);
        BuildGradientChange(v, B, G, S);
        LiteralLevelTrials(v, B, B + 3, [&](float p, float L) {
            BestSoFar.CompoundProfit = Num(p);
            BestSoFar.Rallies = static_cast<float>(RallyCount);
            BestSoFar.GradientPoints = Num(static_cast<int>(G));
            BestSoFar.SmoothPoints = static_cast<float>(S);
            BestSoFar.OptimalHighLevel = Num(L);
        });
    }
    if (BestSoFar.IsUsable()) {
        const long S = toInt16(BestSoFar.SmoothPoints);
        v.VectorFirstDerivation(B, B + 1, BestSoFar.GradientPoints.toInt16(), true);
        v.VectorInterpolation(B + 1, B + 2, S);
        v.VectorFirstDerivation(B + 2, B + 3, S, false);
        v.VectorCopy(B + 3, B + 4);
        v.CoordCrossingAboveSpecifiedLevelSignal(BestSoFar.OptimalHighLevel.toSingle(), B + 4, -100,
                                                 100);
    }
}

void CalcIndividualStockSpecialSwingingLiteral(long P, long B) {
    clsVectors& v = *MainVectors;
    BestSoFar.CompoundProfit = Num(-10000.0);
    BestSoFar.Rallies = 0.0f;
    BestSoFar.GradientPoints = Num(0);
    BestSoFar.OptimalHighLevel = Num(0);
    for (long D = kFirstPastDays; D <= kLastPastDays; ++D) {
        v.VectorCopy(P, B);
        v.CoordPastProfit(B, B + 1, D);
        LiteralLevelTrials(v, B, B + 1, [&](float p, float L) {
            BestSoFar.CompoundProfit = Num(p);
            BestSoFar.Rallies = static_cast<float>(RallyCount);
            BestSoFar.GradientPoints = Num(static_cast<int>(D));
            BestSoFar.SmoothPoints = 0.0f;
            BestSoFar.OptimalHighLevel = Num(L);
        });
    }
    if (BestSoFar.IsUsable()) {
        v.CoordPastProfit(B, B + 1, BestSoFar.GradientPoints.toInt16());
        v.VectorCopy(B + 1, B + 4);
        v.CoordCrossingAboveSpecifiedLevelSignal(BestSoFar.OptimalHighLevel.toSingle(), B + 4, -100,
                                                 100);
    }
}

// ---- The fused search -------------------------------------------------------------------
//
// A trial's signal is BUY exactly on the days whose curve value lies above L, so its rallies
// are the runs of such days within the window: each buys on the first day of a run and sells
// on the day after it, the run that reaches the window's end stays open. The runs of 64 days
// come from one bit mask. As L rises over the grid, a level that passes no value of the window
// keeps the previous level's days, rallies and profit, which cannot beat the record: such a
// level is not walked again.

struct SwingingScratch {
    std::vector<float> gradient, smooth, curve, sorted;
};

void SwingingScratchDeleter::operator()(SwingingScratch* s) const {
    delete s;
}

SwingingScratchPtr MakeSwingingScratch() {
    return SwingingScratchPtr(new SwingingScratch);
}

namespace {

// Bit k set when x[k] > level, for k < n (n <= 64).
inline std::uint64_t AboveMask(const float* x, long n, float level) {
    std::uint64_t above = 0;
    long k = 0;
#if defined(__SSE2__)
    const __m128 l = _mm_set1_ps(level);
    for (; k + 16 <= n; k += 16) {
        const __m128i ab =
            _mm_packs_epi32(_mm_castps_si128(_mm_cmpgt_ps(_mm_loadu_ps(x + k), l)),
                            _mm_castps_si128(_mm_cmpgt_ps(_mm_loadu_ps(x + k + 4), l)));
        const __m128i cd =
            _mm_packs_epi32(_mm_castps_si128(_mm_cmpgt_ps(_mm_loadu_ps(x + k + 8), l)),
                            _mm_castps_si128(_mm_cmpgt_ps(_mm_loadu_ps(x + k + 12), l)));
        above |= static_cast<std::uint64_t>(
                     static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(ab, cd))))
                 << k;
    }
#endif
    for (; k < n; ++k) above |= static_cast<std::uint64_t>(x[k] > level) << k;
    return above;
}

// The rallies of the level over the window's curve x (n days): onRally(b, s) with window days,
// s = n for the open rally at the end.
template <class OnRally>
inline void RunsAbove(const float* x, long n, float level, OnRally&& onRally) {
    std::uint64_t carry = 0;
    long buy = 0;
    for (long base = 0; base < n; base += 64) {
        const long len = n - base < 64 ? n - base : 64;
        const std::uint64_t valid = len == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << len) - 1;
        const std::uint64_t above = AboveMask(x + base, len, level);
        std::uint64_t changes = (above ^ ((above << 1) | carry)) & valid;
        while (changes != 0) {
            const int bit = __builtin_ctzll(changes);
            changes &= changes - 1;
            if ((above >> bit) & 1)
                buy = base + bit;
            else
                onRally(buy, base + bit);
        }
        carry = (above >> (len - 1)) & 1;
    }
    if (carry) onRally(buy, n);
}

// The signal of days 1..dim: +100 where the curve lies above the level, -100 elsewhere.
void LevelSignalRow(const float* curve, long dim, float level, float* out) {
    for (long d = 0; d < dim; ++d) out[d] = curve[d] > level ? 100.0f : -100.0f;
}

}  // namespace

SearchOutcome SearchSwingingRow(const float* price, const SearchWindow& w, bool special,
                                SwingingScratch& s) {
    if (!w.fusable()) throw LeaveFusedRoad();
    const long n = w.to - w.from + 1;
    const size_t dim = static_cast<size_t>(w.dim);
    const float* px = price + (w.from - 1);
    const int steps = SwingingLevelSteps(w.diligence);
    s.gradient.resize(dim);
    s.smooth.resize(dim);
    s.curve.resize(dim);

    SearchOutcome out;
    out.fused = true;
    BestTrialRecord& best = out.best;
    best.CompoundProfit = Num(-10000.0);
    best.Rallies = 0.0f;
    best.GradientPoints = Num(0);
    best.SmoothPoints = 0.0f;
    best.OptimalHighLevel = Num(0);
    RallyLog& log = out.log;
    float lastLevel = 0.0f;

    // The curve of one G (D) into s.curve, on the days the trials read (the window, and for
    // the gradient change the days its kernels read).
    auto buildCurve = [&](long G) {
        if (special) {
            PastProfitRow(price, w.from, w.to, G, s.curve.data());
            return;
        }
        FirstDerivationRow(price, w, G, true, s.gradient.data());
        InterpolationRow(s.gradient.data(), std::max<long>(1, w.kernelFrom - G + 1), w.kernelTo, G,
                         s.smooth.data());
        FirstDerivationRow(s.smooth.data(), w, G, false, s.curve.data());
    };

    const long firstG = special ? kFirstPastDays : kFirstGradient;
    const long lastG = special ? kLastPastDays : kLastGradient;
    const long stepG = special ? 1 : 2;
    for (long G = firstG; G <= lastG; G += stepG) {
        const long S = special ? 0 : std::max<long>(G, 5);
        buildCurve(G);
        const float* curve = s.curve.data();
        const float Lo = MinimumRow(curve, w.statFrom, w.statTo);
        float Hi = MaximumRow(curve, w.statFrom, w.statTo);
        if (Hi < 2.0f) Hi = 2.0f;
        const float* x = curve + (w.from - 1);
        s.sorted.assign(x, x + n);
        std::sort(s.sorted.begin(), s.sorted.end());
        long passed = -1;  // the window values at or below the previous level
        for (int k = 0; k <= steps; ++k) {
            const float L = SwingingLevel(Lo, Hi, k, steps);
            lastLevel = L;
            const long atOrBelow =
                std::upper_bound(s.sorted.begin(), s.sorted.end(), L) - s.sorted.begin();
            if (atOrBelow == passed) continue;
            passed = atOrBelow;
            float C = 0.0f;
            log.count = 0;
            RunsAbove(x, n, L, [&](long b, long sell) {
                C = CompoundStep(
                    C, RallyProfitPercent(px[b], px[std::min(sell, n - 1)], w.commission));
                log.Append(w.from + b, sell >= n ? w.to + 1 : w.from + sell);
            });
            out.logRows = std::max<int>(out.logRows, log.count);
            if (best.IsImprovedBy(C)) {
                best.CompoundProfit = Num(C);
                best.Rallies = static_cast<float>(log.count);
                best.GradientPoints = Num(static_cast<int>(G));
                best.SmoothPoints = static_cast<float>(S);
                best.OptimalHighLevel = Num(L);
                out.improved = true;
            }
        }
    }

    // What the search leaves: the usable best trial's curve and signal, else the last trial's.
    const bool usable = out.improved && best.IsUsable();
    const long G = usable ? best.GradientPoints.toInt16() : lastG;
    const float level = usable ? best.OptimalHighLevel.toSingle() : lastLevel;
    if (special) {
        out.rows.resize(2 * dim);
        PastProfitRow(price, 1, w.dim, G, out.rows.data());
        LevelSignalRow(out.rows.data(), w.dim, level, out.rows.data() + dim);
        return out;
    }
    const long S = usable ? toInt16(best.SmoothPoints) : std::max<long>(lastG, 5);
    out.rows.resize(4 * dim);
    float* gradient = out.rows.data();
    float* smooth = gradient + dim;
    float* change = smooth + dim;
    FirstDerivationRow(price, w, G, true, gradient);
    InterpolationRow(gradient, 1, w.dim, S, smooth);
    FirstDerivationRow(smooth, w, S, false, change);
    LevelSignalRow(change, w.dim, level, change + dim);
    return out;
}

}  // namespace vel
