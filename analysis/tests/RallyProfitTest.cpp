// Net compound profit of the rallies on one price vector: hand-computed references.
#include <gtest/gtest.h>

#include "AnalysisFixture.h"
#include "RallyProfit.h"

namespace vel {
namespace {

using testing::RallyList;

class RallyProfitTest : public testing::AnalysisFixture {
protected:
    // Prices of days 1..10: 100 110 0 50 -5 80 88 110 121 90.
    void SetUp() override {
        AnalysisFixture::SetUp();
        LoadPrices(10, {{100, 110, 0, 50, -5, 80, 88, 110, 121, 90}});
        ShowDays(1, 9);
    }
    float Profit(const RallyList& rallies, float commission) {
        SetRallies(rallies);
        defCommission = commission;
        const float oracle = CalcPositionsCompoundProfit(PriceVector(1));
        const std::vector<float> row = DaysAsSingles(*MainVectors, PriceVector(1));
        EXPECT_EQ(PriceRallies(TradingLog, row.data(), 10, ChartTo1, commission), oracle);
        return oracle;
    }
};

// Source: the formula worked by hand; single precision, so within a few units in the last place.
TEST_F(RallyProfitTest, ReproducesHandComputedProfits) {
    EXPECT_EQ(Profit({}, 0.5f), 0.0f);
    EXPECT_FLOAT_EQ(Profit({{1, 2}}, 0.5f), 9.0f);                  // 10 % - 1
    EXPECT_FLOAT_EQ(Profit({{1, 2}, {8, 9}}, 0.5f), 18.81f);        // 1.09 * 1.09
    EXPECT_FLOAT_EQ(Profit({{1, 2}, {8, 9}}, 0.0f), 21.0f);         // 1.1 * 1.1
    EXPECT_FLOAT_EQ(Profit({{6, 6}}, 5.0f), -10.0f);                // equal days: 2 x commission
    EXPECT_FLOAT_EQ(Profit({{4, 2}}, 0.0f), 120.0f);                // days as they stand
    EXPECT_FLOAT_EQ(Profit({{1, 2}, {3, 4}, {5, 6}}, 5.0f), 0.0f);  // 10 % - 10; 0 and -5 buy
}

TEST_F(RallyProfitTest, SellsAnOpenRallyOnTheLastShownDay) {
    // SellPos ChartTo1 + 1, and a SellPos beyond it, both sold at day 9 (121).
    EXPECT_FLOAT_EQ(Profit({{7, 10}}, 0.0f), 37.5f);
    EXPECT_FLOAT_EQ(Profit({{7, 40}}, 0.0f), 37.5f);
    ShowDays(1, 7);
    EXPECT_FLOAT_EQ(Profit({{6, 8}}, 0.0f), 10.0f);  // sold at day 7
}

TEST_F(RallyProfitTest, RawPricingReadsDaysOutsideItsRowAsZero) {
    const float row[] = {100, 110};
    RallyLog log;
    log.Append(1, 3);  // sold on day 3, beyond the row: a total loss
    EXPECT_FLOAT_EQ(PriceRallies(log, row, 2, 5, 0.0f), -100.0f);
    log.count = 0;
    log.Append(0, 2);  // bought on day 0: no price, no result
    EXPECT_EQ(PriceRallies(log, row, 2, 5, 0.5f), 0.0f);
}

TEST_F(RallyProfitTest, ACompoundBeyondTheSingleRangeOverflows) {
    MainVectors->CoordSetSingleValue(PriceVector(1), 1, 1e-30f);
    MainVectors->CoordSetSingleValue(PriceVector(1), 2, 1e30f);
    EXPECT_THROW(Profit({{1, 2}}, 0.0f), OverflowError);
}

}  // namespace
}  // namespace vel
