// The fixture of the tests that run a basket screening or fill on a four-stock history: the
// Stock Basket's members set and read back, and the trend curves that the run asks for
// recorded instead of drawn.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "AnalysisEntryPoints.h"
#include "AppState.h"
#include "ChartsFixture.h"
#include "StockBasket.h"

namespace vel::testing {

class BasketRunFixture : public ChartsFixture {
protected:
    static constexpr long kStocks = 4;

    // The price-volume trend and past profit curves asked for go into `trends`; called after
    // the analysis's own entry points are registered, which they replace.
    void RecordTrendCurves() {
        AnalysisCommands.AppendPriceVolumeTrendCurves = [this] { trends.push_back("statistics"); };
        AnalysisCommands.AppendPastShortTermProfitCurve = [this] { trends.push_back("profit"); };
    }
    // Exactly `items` of the four stocks are members.
    static void Members(std::initializer_list<long> items) {
        for (long i = 1; i <= kStocks; ++i) BasketFlag(i) = 0;
        for (long i : items) BasketFlag(i) = 1;
        ResetStockBasket();
    }
    // The members, in item order.
    static std::vector<long> Basket() {
        std::vector<long> out;
        for (long i = 1; i <= kStocks; ++i)
            if (BasketFlag(i) == 1) out.push_back(i);
        return out;
    }

    std::vector<std::string> trends;
};

}  // namespace vel::testing
