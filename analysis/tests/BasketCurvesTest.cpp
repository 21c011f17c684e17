// The basket trend curves: hand-computed statistics and past profit, a one-member basket equal to
// the member's own curves, captions and level lines; deleting the selected curve; the pages of
// price curves.
#include <gtest/gtest.h>

#include "AnalysisFixture.h"
#include "BasketCurves.h"
#include "ChartCurves.h"
#include "StockBasket.h"
#include "StockCurves.h"
#include "SyntheticHistory.h"

namespace vel {
namespace {

class BasketCurvesTest : public testing::AnalysisFixture {
protected:
    // Stock i, day d: the tables below (3 stocks, 6 days), volume 10 * i on every day.
    void LoadSmallHistory() {
        testing::LoadSyntheticHistory(
            3, 6,
            [](long i, long d) {
                static const float p[3][6] = {
                    {10, 20, 30, 40, 50, 60}, {0, 4, 4, 8, 8, 8}, {5, 5, 5, 5, 5, 5}};
                return p[i - 1][d - 1];
            },
            [](long i, long) { return 10.0f * static_cast<float>(i); });
        view_.barMax = 6;
    }
    static float At(long v, long d) { return MainVectors->CoordGetSingle(v, d); }
    static float Curve(long k, long d) { return At(ChartCurveVector(k), d); }
    static std::vector<float> Row(long v) {
        std::vector<float> r;
        for (long d = 1; d <= MainVectors->CoordDim(); ++d) r.push_back(At(v, d));
        return r;
    }
    void Members(std::initializer_list<long> items) {
        for (long i : items) BasketFlag(i) = 1;
        BasketCount = static_cast<std::int16_t>(items.size());
    }
};

TEST_F(BasketCurvesTest, StatisticsAverageTheMembersOverEveryLoadedDay) {
    LoadSmallHistory();
    Members({1, 2});
    BasketCount = 7;  // a wrong count is corrected
    ChartFrom1 = Num(2);
    ChartTo1 = 5;
    ChartFrom2 = 2;
    ChartTo2 = 5;
    MainVectors->SetChartCount(2);
    AppendPriceVolumeTrendCurves();
    EXPECT_EQ(BasketCount, 2);
    EXPECT_EQ(CalcFrom1, 2);
    EXPECT_EQ(GroupTo, 5);
    ASSERT_EQ(MainVectors->ChartCount(), 7);
    // Average price and money volume on day 4: (40 + 8) / 2 and (400 + 160) / 2.
    EXPECT_EQ(Curve(3, 4), 24.0f);
    EXPECT_EQ(Curve(4, 4), 280.0f);
    // Relative price: stock 1's group average (days 2..5) is 35, stock 2's 6.
    EXPECT_FLOAT_EQ(Curve(5, 1), (10.0f * 100.0f / 35.0f + 0.0f) / 2.0f);
    // Portfolio profit from the first shown day (prices 20 and 4): day 6 (300 % + 200 %) / 2.
    EXPECT_FLOAT_EQ(Curve(7, 6), 150.0f);
    EXPECT_FLOAT_EQ(Curve(7, 2), 0.0f);
    EXPECT_EQ(ChartCaption(3), "Average stock price for Stock Basket (2 symbols )");
    EXPECT_EQ(ChartCaption(6),
              "Average relative stock money (dollar) volume in [%] for Stock Basket (2 symbols )");
    EXPECT_EQ(ChartCaption(7),
              "Profit in [%] of the Theoretical Portfolio for Stock Basket (2 symbols )"
              "  starting from Day: 2   Date: " +
                  TradeDateOfDay(2));
    EXPECT_EQ(ChartLevel(3, 1), kNoLevel);
    EXPECT_EQ(ChartLevel(4, 1), kNoLevel);
    EXPECT_EQ(ChartLevel(5, 1), 100.0f);
    EXPECT_EQ(ChartLevel(6, 1), 100.0f);
    EXPECT_EQ(ChartLevel(7, 1), 0.0f);
    EXPECT_EQ(ChartStatusText(), "");

    // A member whose price on the first shown day is 0 enters the portfolio with the factor 100.
    BasketFlag(1) = 0;
    ChartFrom1 = Num(1);
    CalcBasketAverageCurves(MainVectors->HelpStart());
    EXPECT_EQ(At(MainVectors->HelpStart() + 4, 4), 800.0f - 100.0f);
    EXPECT_EQ(BasketCount, 1);
}

TEST_F(BasketCurvesTest, StatisticsOfNoMemberAreZeroAndTheProfitMinus100) {
    LoadSmallHistory();
    CalcBasketAverageCurves(MainVectors->HelpStart());
    const long H = MainVectors->HelpStart();
    EXPECT_EQ(Row(H), std::vector<float>(6, 0.0f));
    EXPECT_EQ(Row(H + 3), std::vector<float>(6, 0.0f));
    EXPECT_EQ(Row(H + 4), std::vector<float>(6, -100.0f));
    EXPECT_EQ(BasketCount, 0);
}

TEST_F(BasketCurvesTest, OneMemberBasketEqualsTheMembersOwnCurves) {
    testing::LoadSyntheticHistory(4, 80);
    ChartFrom1 = Num(11);
    ChartFrom2 = 11;
    ChartTo2 = 70;
    Members({3});
    DisplayedStockIndex = 3;
    DisplayStockCurves();
    const std::vector<std::vector<float>> own = {
        Row(ChartCurveVector(1)), Row(ChartCurveVector(2)), Row(ChartCurveVector(4)),
        Row(ChartCurveVector(5)), Row(ChartCurveVector(6)), Row(ChartCurveVector(7))};
    CalcBasketAverageCurves(MainVectors->HelpStart());
    const long H = MainVectors->HelpStart();
    for (long k = 0; k <= 4; ++k) EXPECT_EQ(Row(H + k), own[static_cast<size_t>(k)]) << k;
    CalcBasketPastProfitCurve(10, defPastDays);
    EXPECT_EQ(Row(10), own[5]);
}

TEST_F(BasketCurvesTest, PastProfitIsTheMembersAverageChangeOverThePastDays) {
    LoadSmallHistory();
    Members({1, 3});
    defPastDays = 2;
    AppendPastShortTermProfitCurve();
    ASSERT_EQ(MainVectors->ChartCount(), 1);
    // Day 3: (30 / 10 - 1) * 100 / 2 = 100; day 6: (60 / 40 - 1) * 100 / 2 = 25.
    const float day5 = static_cast<float>(2000.0 / 30.0) * 0.5f;
    EXPECT_EQ(Row(ChartCurveVector(1)), (std::vector<float>{0, 0, 100, 50, day5, 25}));
    EXPECT_EQ(ChartCaption(1),
              "Past short term profit in [%] for Stock Basket (2 symbols )  PastDays=2");
    EXPECT_EQ(ChartLevel(1, 1), 0.0f);
    // A past price of 0 gives that member 0; an empty basket 0 on every day.
    CalcBasketPastProfitCurve(10, 1);
    BasketFlag(1) = BasketFlag(3) = 0;
    BasketFlag(2) = 1;
    CalcBasketPastProfitCurve(10, 1);
    EXPECT_EQ(Row(10), (std::vector<float>{0, 0, 0, 100, 0, 0}));
    BasketFlag(2) = 0;
    CalcBasketPastProfitCurve(10, 1);
    EXPECT_EQ(Row(10), std::vector<float>(6, 0.0f));
}

TEST_F(BasketCurvesTest, DeletingACurveMovesTheLaterOnesDown) {
    LoadSmallHistory();
    for (int k = 1; k <= 4; ++k) {
        const auto n = AppendChartCurve("curve " + std::to_string(k));
        MainVectors->CoordAllSetConst(ChartCurveVector(n), static_cast<float>(k));
        ChartLevel(n, 2) = static_cast<float>(10 * k);
    }
    SelectedChartCurve = 2;
    DeleteSelectedChartCurve();
    ASSERT_EQ(MainVectors->ChartCount(), 3);
    EXPECT_EQ(ChartCaption(2), "curve 3");
    EXPECT_EQ(ChartCaption(3), "curve 4");
    EXPECT_EQ(ChartCaption(4), "curve 4");  // the vacated place keeps its content
    EXPECT_EQ(Curve(3, 1), 4.0f);
    EXPECT_EQ(ChartLevel(2, 2), 30.0f);
    EXPECT_EQ(SelectedChartCurve, 2);  // the menu command cancels the selection
    // The last curve is only dropped, and the selection cancelled.
    SelectedChartCurve = 3;
    DeleteSelectedChartCurve();
    EXPECT_EQ(MainVectors->ChartCount(), 2);
    EXPECT_EQ(SelectedChartCurve, 0);
    EXPECT_EQ(door_.Beeps(), 0);
    // No selection, a selection above the count, or one curve left: a beep only.
    DeleteSelectedChartCurve();
    SelectedChartCurve = 3;
    DeleteSelectedChartCurve();
    MainVectors->SetChartCount(1);
    SelectedChartCurve = 1;
    DeleteSelectedChartCurve();
    EXPECT_EQ(door_.Beeps(), 3);
    EXPECT_EQ(MainVectors->ChartCount(), 1);
}

TEST_F(BasketCurvesTest, PriceCurvePagesFollowTheTreeOrBasketOrder) {
    testing::LoadSyntheticHistory(100, 30);
    Members({7, 12, 14});
    DisplayedStockIndex = 5;
    DisplayNStockPriceCurvesInMVT();
    ASSERT_EQ(MainVectors->ChartCount(), 11);
    EXPECT_EQ(ChartCaption(1), "Stock price for S5");
    EXPECT_EQ(ChartCaption(3), "Stock price for S7  (in Basket)");
    EXPECT_EQ(ChartCaption(11), "Stock price for S15");
    EXPECT_EQ(Row(ChartCurveVector(11)), Row(MainVectors->BufferStart() + 14));
    EXPECT_EQ(DisplayedStockIndex, 15);
    DisplayNStockPriceCurvesInMVT();
    EXPECT_EQ(ChartCaption(1), "Stock price for S15");
    EXPECT_EQ(DisplayedStockIndex, 25);
    // Near the end of the tree the page holds fewer curves; from the last stock one.
    DisplayedStockIndex = 95;
    DisplayNStockPriceCurvesInMVT();
    EXPECT_EQ(MainVectors->ChartCount(), 6);
    DisplayNStockPriceCurvesInMVT();
    EXPECT_EQ(MainVectors->ChartCount(), 1);

    DisplayedStockIndex = 1;
    DisplayNStockPriceCurvesInSB();
    ASSERT_EQ(MainVectors->ChartCount(), 3);
    EXPECT_EQ(ChartCaption(2), "Stock price for S12  (in Basket)");
    EXPECT_EQ(DisplayedStockIndex, 14);
    // After the last member: no curve, the displayed stock unchanged.
    DisplayedStockIndex = 50;
    DisplayNStockPriceCurvesInSB();
    EXPECT_EQ(MainVectors->ChartCount(), 0);
    EXPECT_EQ(DisplayedStockIndex, 50);
    // An empty basket beeps.
    BasketCount = 0;
    DisplayNStockPriceCurvesInSB();
    EXPECT_EQ(door_.Beeps(), 1);
}

}  // namespace
}  // namespace vel
