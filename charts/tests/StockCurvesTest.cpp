// The displayed stock's seven curves with their captions, levels and labels, and the
// individual calculations through the analysis entry points.
#include <gtest/gtest.h>

#include "AnalysisEntryPoints.h"
#include "AppState.h"
#include "ChartCurves.h"
#include "ChartView.h"
#include "ChartsFixture.h"
#include "StockBasket.h"
#include "StockCurves.h"

namespace vel {
namespace {

class StockCurvesTest : public testing::ChartsFixture {
protected:
    void SetUp() override {
        ChartsFixture::SetUp();
        // Stock i costs 10 * i + d on day d; its volume is 100.
        testing::LoadSyntheticHistory(
            12, 40, [](long i, long d) { return static_cast<float>(10 * i + d); },
            [](long, long) { return 100.0f; });
    }
    float Value(long k, long d) const {
        return MainVectors->CoordGetSingle(ChartCurveVector(k), d);
    }
};

TEST_F(StockCurvesTest, BuildsTheSevenCurvesOfTheDisplayedStock) {
    BasketFlag(2) = BasketFlag(7) = BasketFlag(9) = 1;
    BasketCount = 3;
    defPastDays = 5;
    ChartFrom1 = Num(11);
    ChartFrom2 = 11;
    DisplayedStockIndex = 7;
    DisplayStockCurves();
    ASSERT_EQ(MainVectors->ChartCount(), 7);
    EXPECT_EQ(CalcFrom1, 11);
    EXPECT_EQ(GroupTo, 40);
    const std::string s = "S7   (in Basket)";
    EXPECT_EQ(ChartCaption(1), "Stock price for " + s);
    EXPECT_EQ(ChartCaption(2), "Stock money (dollar) volume for " + s);
    EXPECT_EQ(ChartCaption(3), "Stock volume for " + s);
    EXPECT_EQ(ChartCaption(4), "Relative stock price in [%] for " + s);
    EXPECT_EQ(ChartCaption(5), "Relative stock money (dollar) volume in [%] for " + s);
    EXPECT_EQ(ChartCaption(6),
              "Profit in [%] for " + s + "  starting from Day:  11  Date: " + TradeDateOfDay(11));
    EXPECT_EQ(ChartCaption(7), "Past short term profit in [%] for " + s + "   Past days =  5");
    EXPECT_EQ((std::array{ChartLevel(1, 1), ChartLevel(4, 1), ChartLevel(5, 1), ChartLevel(6, 1),
                          ChartLevel(7, 1), ChartLevel(7, 2)}),
              (std::array{kNoLevel, 100.0f, 100.0f, 0.0f, 0.0f, kNoLevel}));

    EXPECT_EQ(Value(1, 20), 90.0f);
    EXPECT_EQ(Value(3, 20), 100.0f);
    EXPECT_EQ(Value(2, 20), 9000.0f);
    // The group period 11..40 averages 70 + 25.5 = 95.5.
    EXPECT_FLOAT_EQ(Value(4, 20), 90.0f * (100.0f / 95.5f));
    // Profit since day 11 (price 81).
    EXPECT_FLOAT_EQ(Value(6, 11), 0.0f);
    EXPECT_FLOAT_EQ(Value(6, 20), 90.0f * (100.0f / 81.0f) - 100.0f);
    EXPECT_FLOAT_EQ(Value(7, 20), 100.0f * (90.0f - 85.0f) / 85.0f);
    EXPECT_EQ(Value(7, 5), 0.0f);

    EXPECT_EQ(ChartLabelText(ChartLabel::Symbols), " 7 / 12");
    EXPECT_EQ(ChartLabelText(ChartLabel::BasketCount), " 2 / 3");
    EXPECT_EQ(BasketPosition, 2);
    DisplayedStockIndex = 8;
    DisplayStockCurves();
    EXPECT_EQ(ChartCaption(1), "Stock price for S8");
    EXPECT_EQ(ChartLabelText(ChartLabel::BasketCount), " 0 / 3");
}

TEST_F(StockCurvesTest, ANonPositiveFirstPriceLeavesTheProfitUnscaled) {
    testing::LoadSyntheticHistory(
        2, 30, [](long, long d) { return d < 3 ? 0.0f : static_cast<float>(d); });
    DisplayedStockIndex = 1;
    DisplayStockCurves();
    EXPECT_EQ(Value(6, 10), 10.0f - 100.0f);
    EXPECT_EQ(Value(6, 1), -100.0f);
}

TEST_F(StockCurvesTest, AnUndefinedStockOnlyReports) {
    door_.QueueMessageAnswer(MsgAnswer::OK);
    DisplayedStockIndex = 0;
    DisplayStockCurves();
    EXPECT_EQ(door_.CallsOf("message").at(0).text, "Stock index not defined!");
    EXPECT_EQ(door_.Beeps(), 1);
    EXPECT_EQ(MainVectors->ChartCount(), 0);
}

TEST_F(StockCurvesTest, IndividualCalculationShowsTheRalliesAndTheResult) {
    std::vector<std::string> calls;
    AnalysisCommands.TradingLogDataClear = [&] {
        calls.push_back("clear");
        RallyCount = 0;
    };
    AnalysisCommands.CalcIndividualStockSwinging = [&](std::int16_t price, std::int16_t work) {
        calls.push_back("swing " + std::to_string(price) + " " + std::to_string(work));
        EXPECT_EQ(ChartStatusText(), " Individual stock swinging for S3   Wait, please ...");
        return IndividualResult{12.345, 4};
    };
    AnalysisCommands.SignalVectorToTradingLog = [&](std::int16_t signal, bool clear) {
        calls.push_back("walk " + std::to_string(signal) + (clear ? " clear" : ""));
        RallyCount = 1;
        TradingLog(1, 1) = 5;
        TradingLog(1, 2) = 9;
    };
    BasketFlag(3) = 1;
    DisplayedStockIndex = 3;
    defCommission = 0.5f;
    defDiligence = 0.25f;
    PaintIndividualStockSwinging();
    EXPECT_EQ(calls, (std::vector<std::string>{
                         "clear", "swing " + std::to_string(MainVectors->BufferStart() + 2) + " 2",
                         "walk 6 clear"}));
    EXPECT_EQ(MainVectors->ChartCount(), 7);
    EXPECT_EQ(ChartStatusText(),
              " Swinging results for S3:       Profit (net compound) = 12.35%   Rallies = 4   One "
              "way commission = 0.50%   Diligence = 0.25");
    EXPECT_FALSE(door_.hourglass);

    // Timing has no diligence part; an unbuilt optimisation is reported and changes nothing.
    AnalysisCommands.CalcIndividualStockTiming = [](std::int16_t, std::int16_t) {
        return IndividualResult{-3, 0};
    };
    PaintIndividualStockTiming();
    EXPECT_EQ(ChartStatusText(),
              " Timing results for S3:       Profit (net compound) = -3.00%   Rallies = 0   One "
              "way commission = 0.50%");
    EXPECT_EQ(door_.Beeps(), 0);
    PaintIndividualStockSpecialSwinging();
    EXPECT_EQ(door_.Beeps(), 1);

    DisplayedStockIndex = 13;  // past the loaded stocks: the log is cleared, then a beep
    calls.clear();
    PaintIndividualStockSwinging();
    EXPECT_EQ(calls, std::vector<std::string>{"clear"});
    EXPECT_EQ(door_.Beeps(), 2);
}

}  // namespace
}  // namespace vel
