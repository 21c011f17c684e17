// The inner steps of the market timing search on one 3000-day price vector: the gradient and
// smoothing passes of the least-squares kernels, one three-parameter signal followed by its
// trading-log walk, as one trial of the search runs them, and the walk with the pricing of the
// rallies on raw rows, as a search on worker threads runs it.
#include <algorithm>
#include <random>
#include <vector>

#include "AppState.h"
#include "Bench.h"
#include "RallyProfit.h"
#include "clsVectors.h"

namespace {

constexpr int kDays = 3000;

// A random-walk price in vector 1 of a 3000-day store, the whole history shown.
void loadPrice(vel::clsVectors& v) {
    v.VectorBaseEmpty(kDays, 10, 0, 0, 0, 0, 0);
    std::mt19937 gen(2024);
    std::normal_distribution<float> step(0.0004f, 0.02f);
    float price = 40.0f;
    for (int d = 1; d <= kDays; ++d) {
        price *= 1.0f + step(gen);
        v.CoordSetSingleValue(1, d, price);
    }
    vel::ChartFrom1 = vel::Num(1);
    vel::ChartTo1 = kDays;
}

void kernels3000() {
    vel::clsVectors v;
    loadPrice(v);
    double best = 1e30;
    for (int batch = 0; batch < 5; ++batch) {
        constexpr int reps = 20;
        vel::bench::Stopwatch w;
        for (int r = 0; r < reps; ++r) {
            v.VectorFirstDerivation(1, 2, 50, true);
            v.VectorInterpolation(2, 3, 50);
        }
        best = std::min(best, w.seconds() / reps);
    }
    vel::bench::report("kernels_3000d", best * 1e6, "us");
}

// The price with its trend curve: the smoothed relative gradient in vector 3.
void loadPriceAndTrend(vel::clsVectors& v) {
    loadPrice(v);
    v.VectorFirstDerivation(1, 2, 20, true);
    v.VectorInterpolation(2, 3, 10);
}

// Trial k of a grid of 64 trend levels and stops, as the search tries them: the signal in
// vector 4.
void gridSignal(vel::clsVectors& v, int k) {
    const float highs[] = {0.0f, 0.0005f, 0.001f, 0.002f};
    const float lows[] = {-0.002f, -0.001f, -0.0005f, 0.0f};
    const float stops[] = {5.0f, 10.0f, 15.0f, 25.0f};
    v.CoordCrossing3ParamsSignal(1, 3, 4, lows[k % 4], highs[(k / 4) % 4], stops[(k / 16) % 4],
                                 -100, 100);
}

void signalWalk() {
    vel::clsVectors v;
    loadPriceAndTrend(v);
    double best = 1e30;
    long rallies = 0;
    // Short batches, many of them: the best one is the least disturbed by other work.
    for (int batch = 0; batch < 40; ++batch) {
        constexpr int reps = 640;
        vel::bench::Stopwatch w;
        for (int r = 0; r < reps; ++r) {
            gridSignal(v, r % 64);
            v.SignalVectorTransformToTradingPositionsSign(4);
            rallies += vel::RallyCount;
        }
        best = std::min(best, w.seconds() / reps);
    }
    if (rallies == 0) std::printf("signal_walk: no rallies\n");
    vel::bench::report("signal_walk", best * 1e9 / kDays, "ns/day");
}

// The walk of the grid's signals into a trading log of its own and the net compound profit of
// the rallies, on raw rows.
void backtestWalk() {
    vel::clsVectors v;
    loadPriceAndTrend(v);
    const std::vector<float> price = vel::DaysAsSingles(v, 1);
    std::vector<std::vector<float>> signals;
    for (int k = 0; k < 64; ++k) {
        gridSignal(v, k);
        signals.push_back(vel::DaysAsSingles(v, 4));
    }
    vel::RallyLog log;
    double best = 1e30;
    double sink = 0.0;
    for (int batch = 0; batch < 40; ++batch) {
        constexpr int reps = 2048;
        vel::bench::Stopwatch w;
        for (int r = 0; r < reps; ++r) {
            const auto& s = signals[static_cast<size_t>(r % 64)];
            sink += vel::WalkAndPrice(s.data(), price.data(), kDays, 1, kDays, 0.5f, log);
        }
        best = std::min(best, w.seconds() / reps);
    }
    if (sink == 0.0) std::printf("backtest_walk: no rallies\n");
    vel::bench::report("backtest_walk", best * 1e9 / kDays, "ns/day");
}

vel::bench::Register regKernels("kernels_3000d", kernels3000, {"kernels_3000d"});
vel::bench::Register regSignal("signal_walk", signalWalk, {"signal_walk"});
vel::bench::Register regBacktest("backtest_walk", backtestWalk, {"backtest_walk"});

}  // namespace
