// The basket fills by signal correlation with the market swinging search itself, on three
// stocks: stock 1 rises with wiggles, stock 2 is stock 1 at twice the price (so its relative
// gradients and its signal are the same), stock 3 falls as stock 1 rises (its best signal
// never buys while stock 1's nearly always holds). Both fills keep stocks 1 and 2 and drop
// stock 3; the satellite fill's refusal; the mainstream fill's curves, captions and what it
// leaves behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "AnalysisEntryPoints.h"
#include "AppState.h"
#include "BasketCorrelationFill.h"
#include "BasketRunFixture.h"
#include "ChartCurves.h"
#include "ChartView.h"
#include "Hooks.h"
#include "StockBasket.h"
#include "VectorStores.h"

namespace vel {
namespace {

float Wave(long d) {
    return static_cast<float>(5.0 * std::sin(static_cast<double>(d) / 9.0) +
                              2.0 * std::sin(static_cast<double>(d) / 23.0));
}
float FillPrice(long i, long d) {
    const float rising = 20.0f + 0.08f * static_cast<float>(d) + 0.4f * Wave(d);
    switch (i) {
        case 1:
            return rising;
        case 2:
            return 2.0f * rising;
        case 3:
            return 45.0f - 0.08f * static_cast<float>(d) - 0.4f * Wave(d);
        default:
            return 30.0f;  // never moves
    }
}

// Every "Mainstream" caption that the chart held at a yield, once each, in order: the fill
// appends its curves, repaints, and later shows the first member's curves instead.
std::vector<std::string> appended;
void NoteCaptions() {
    for (long k = 1; k <= MainVectors->ChartCount() && k <= kMaxChartCurves; ++k) {
        const std::string& caption = ChartCaption(k);
        if (caption.rfind("Mainstream", 0) == 0 &&
            std::find(appended.begin(), appended.end(), caption) == appended.end())
            appended.push_back(caption);
    }
}

class BasketCorrelationFillTest : public testing::BasketRunFixture {
protected:
    void SetUp() override {
        BasketRunFixture::SetUp();
        testing::LoadSyntheticHistory(kStocks, 250, FillPrice);
        RecordTrendCurves();
        AnalysisCommands.TradingLogDataClear = [] { RallyCount = 0; };
    }
};

TEST_F(BasketCorrelationFillTest, SatelliteFillKeepsTheStocksThatTradeLikeTheSelectedOne) {
    defStockSymbolIndex = 1;
    Members({1, 2, 3});
    StocksPutIntoStockBasketSateliteNDayPast(0.5f);
    EXPECT_EQ(Basket(), (std::vector<long>{1, 2}));
    EXPECT_EQ(defStockSymbolString, "S1");
    // The reference signal in vector 12 is stock 1's, which agrees with itself on every day;
    // the chart then shows the first member's curves.
    EXPECT_EQ(MainVectors->CoordFromToSignalCorrelation(12, 12, 1, 250), 1.0f);
    EXPECT_EQ(MainVectors->CoordGetSingle(12, 250), 100.0f);
    EXPECT_EQ(RallyCount, 0);
    EXPECT_EQ(ChartStatusText(), "");
    EXPECT_FALSE(door_.hourglass);

    // A negative minimum selects as 0 does: stock 3 disagrees on most days and stays out.
    Members({1, 2, 3});
    StocksPutIntoStockBasketSateliteNDayPast(-1.0f);
    EXPECT_EQ(Basket(), (std::vector<long>{1, 2}));
    // A basket of the selected stock alone keeps it at any minimum up to 1.
    Members({1});
    StocksPutIntoStockBasketSateliteNDayPast(1.0f);
    EXPECT_EQ(Basket(), (std::vector<long>{1}));
}

TEST_F(BasketCorrelationFillTest, SatelliteFillNeedsASelectedStock) {
    Members({1, 2, 3});
    for (std::int16_t index : {0, 5}) {
        defStockSymbolIndex = index;
        door_.QueueMessageAnswer(MsgAnswer::OK);
        StocksPutIntoStockBasketSateliteNDayPast(0.5f);
        EXPECT_EQ(door_.CallsOf("message").back().text, "Select some stock symbol first, please!");
        EXPECT_EQ(Basket(), (std::vector<long>{1, 2, 3}));
    }
}

TEST_F(BasketCorrelationFillTest, MainstreamFillKeepsTheStocksThatFollowTheAverage) {
    Members({1, 2, 3});
    defCommission = 0.25f;
    appended.clear();
    SetYieldHook(&NoteCaptions);
    StocksPutIntoStockBasketMainStreamNDayPast(0.5f);
    EXPECT_EQ(Basket(), (std::vector<long>{1, 2}));
    EXPECT_EQ(trends, (std::vector<std::string>{"statistics", "profit"}));
    // Three usable members: the average gradient and signal appended with their counts (the
    // chart then shows the first member's curves, so the captions are read back from what was
    // appended before).
    ASSERT_GE(appended.size(), 2u);
    EXPECT_EQ(appended[0],
              "Mainstream calculations: Average relative gradient for Stock Basket (  3  symbols "
              ")  Commission =0.25");
    EXPECT_EQ(appended[1],
              "Mainstream calculations: Average BUY-SELL signal for Stock Basket (  3  symbols "
              ")  Commission =0.25");
    // The members' signals stay in the Model region; vector 12 holds their average.
    const clsVectors& m = *MainVectors;
    const long model = m.ModelStart();
    for (long d = 1; d <= 250; ++d) {
        const float one = m.CoordGetSingle(model, d), three = m.CoordGetSingle(model + 2, d);
        ASSERT_EQ(m.CoordGetSingle(model + 1, d), one) << d;
        ASSERT_EQ(m.CoordGetSingle(12, d), ((one + one) + three) * (1.0f / 3.0f)) << d;
    }
    for (long i = 1; i <= 4; ++i) EXPECT_EQ(StockResults(i, 1), 1.0f) << i;
    EXPECT_EQ(ChartStatusText(), "");
    EXPECT_FALSE(door_.hourglass);
}

}  // namespace
}  // namespace vel
