// One trial of a timing or swinging search after its signal is built: the signal walk into a
// trading log of its own and the net compound profit of the rallies, on raw rows of 3000 days.
#include <algorithm>
#include <random>
#include <vector>

#include "AppState.h"
#include "Bench.h"
#include "RallyProfit.h"
#include "clsVectors.h"

namespace {

constexpr int kDays = 3000;

void backtestWalk() {
    // A random-walk price and the three-parameter signals of a small grid of levels and stops
    // on its smoothed relative gradient, as the timing search forms them.
    vel::clsVectors v;
    v.VectorBaseEmpty(kDays, 10, 0, 0, 0, 0, 0);
    std::mt19937 gen(2024);
    std::normal_distribution<float> step(0.0004f, 0.02f);
    float p = 40.0f;
    for (int d = 1; d <= kDays; ++d) {
        p *= 1.0f + step(gen);
        v.CoordSetSingleValue(1, d, p);
    }
    vel::ChartFrom1 = vel::Num(1);
    vel::ChartTo1 = kDays;
    v.VectorFirstDerivation(1, 2, 20, true);
    v.VectorInterpolation(2, 3, 10);
    const float highs[] = {0.0f, 0.0005f, 0.001f, 0.002f};
    const float lows[] = {-0.002f, -0.001f, -0.0005f, 0.0f};
    const float stops[] = {5.0f, 10.0f, 15.0f, 25.0f};
    const std::vector<float> price = vel::DaysAsSingles(v, 1);
    std::vector<std::vector<float>> signals;
    for (int k = 0; k < 64; ++k) {
        v.CoordCrossing3ParamsSignal(1, 3, 4, lows[k % 4], highs[(k / 4) % 4], stops[(k / 16) % 4],
                                     -100, 100);
        signals.push_back(vel::DaysAsSingles(v, 4));
    }

    vel::RallyLog log;
    double best = 1e30;
    double sink = 0.0;
    long rallies = 0;
    for (int batch = 0; batch < 40; ++batch) {
        constexpr int reps = 2048;
        vel::bench::Stopwatch w;
        for (int r = 0; r < reps; ++r) {
            const auto& s = signals[static_cast<size_t>(r % 64)];
            sink += vel::WalkAndPrice(s.data(), price.data(), kDays, 1, kDays, 0.5f, log);
            rallies += log.count;
        }
        best = std::min(best, w.seconds() / reps);
    }
    if (rallies == 0 || sink == 0.0) std::printf("backtest_walk: no rallies\n");
    vel::bench::report("backtest_walk", best * 1e9 / kDays, "ns/day");
}

vel::bench::Register reg("backtest_walk", backtestWalk);

}  // namespace
