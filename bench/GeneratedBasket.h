// The generated history of the market benchmarks: 500 stocks of 3000 days, every stock in the
// Stock Basket, diligence 0, no message boxes; and the shown window over its last days.
#pragma once

#include <random>
#include <vector>

#include "AppState.h"
#include "SyntheticHistory.h"

namespace vel::bench {

constexpr long kBasketStocks = 500;
constexpr long kBasketDays = 3000;

// A geometric random walk per stock: daily steps of about 2 %, a slight drift of its own.
inline void LoadGeneratedBasket() {
    std::vector<std::vector<float>> prices(kBasketStocks);
    for (long i = 0; i < kBasketStocks; ++i) {
        std::mt19937 gen(static_cast<std::uint32_t>(1000 + i));
        std::normal_distribution<double> step(0.0002 * static_cast<double>(i % 7 - 3), 0.02);
        double x = 20.0 + static_cast<double>(i % 50);
        for (long d = 0; d < kBasketDays; ++d) {
            x *= 1.0 + step(gen);
            prices[static_cast<size_t>(i)].push_back(static_cast<float>(x));
        }
    }
    testing::LoadSyntheticHistory(kBasketStocks, kBasketDays, [&](long i, long d) {
        return prices[static_cast<size_t>(i - 1)][static_cast<size_t>(d - 1)];
    });
    for (long i = 1; i <= kBasketStocks; ++i) BasketFlag(i) = 1;
    BasketCount = kBasketStocks;
    defDiligence = 0.0f;
    SilentMode = 1;
}

// The last `days` days shown (and as the group period), the cursor on the last.
inline void ShowLastDays(long days) {
    ChartFrom1 = Num(static_cast<int>(kBasketDays - days + 1));
    ChartTo1 = static_cast<std::int16_t>(kBasketDays);
    ChartFrom2 = ChartFrom1.toInt16();
    ChartTo2 = ChartTo1;
    CursorDay = ChartTo1;
}

}  // namespace vel::bench
