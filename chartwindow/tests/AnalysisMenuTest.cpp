// The chart window's analysis commands wired to the market analysis as the program wires them:
// the basket trend curves, the curve tools, the trading method commands and the individual
// calculations run from the menu; a run keeps the parameters and day window it started with,
// and a command stopped by an error takes its wait text with it.
#include <gtest/gtest.h>

#include <QScrollBar>

#include "AnalysisEntryPoints.h"
#include "AnalysisText.h"
#include "AppState.h"
#include "ChartCurves.h"
#include "ChartView.h"
#include "ChartWindowFixture.h"
#include "CsvRows.h"
#include "Errors.h"
#include "SignalWalk.h"
#include "SmallRoutines.h"
#include "StockBasket.h"
#include "TextFile.h"
#include "TradingResults.h"

namespace vel {
namespace {

class AnalysisMenuTest : public testing::ChartWindowFixture {
protected:
    void SetUp() override {
        ChartWindowFixture::SetUp();
        OpenOn(20, 90);
    }
    static long Curves() { return MainVectors->ChartCount(); }
    // An error inside the running command: raised at the first yield at which `when` holds.
    void FailAtYieldWhen(std::function<bool()> when) {
        door_.OnYield(1, [this, when] {
            if (!when()) return FailAtYieldWhen(when);
            throw OverflowError("Overflow: single-precision result");
        });
    }
};

TEST_F(AnalysisMenuTest, TrendCurvesNeedMembers) {
    ChartDescriptionClear();
    door_.QueueMessageAnswer(MsgAnswer::OK);
    Run("mnuCurvesAppendPriceVolumeStatisticsForSB");
    EXPECT_EQ(door_.CallsOf("message").back().text,
              "Put some stock symbols into Stock Basket, please.");
    EXPECT_EQ(Curves(), 0);

    FillStockBasket();  // shows the first member's curves
    ChartDescriptionClear();
    Run("mnuCurvesAppendPriceVolumeStatisticsForSB");
    Run("mnuCurvesAppendPastShortTermProfitForSB");
    ASSERT_EQ(Curves(), 6);
    EXPECT_EQ(ChartCaption(1), "Average stock price for Stock Basket (20 symbols )");
    EXPECT_EQ(ChartCaption(6),
              "Past short term profit in [%] for Stock Basket (20 symbols )  PastDays=12");

    // The curve tools: delete the selected curve (the selection is cancelled), pages of prices.
    SelectedChartCurve = 2;
    Run("mnuDeleteSelectedChartCurve");
    EXPECT_EQ(Curves(), 5);
    EXPECT_EQ(SelectedChartCurve, 0);
    DisplayedStockIndex = 3;
    Run("mnuDisplayNStockPriceCurvesInSB");
    EXPECT_EQ(Curves(), 11);
    EXPECT_EQ(DisplayedStockIndex, 13);
}

TEST_F(AnalysisMenuTest, ARunKeepsTheParametersAndDayWindowItStartedWith) {
    FillStockBasket();
    ChartDescriptionClear();
    defCommission = 0.5f;
    const std::int16_t to = ChartTo1;
    const int beeps = door_.Beeps();
    bool tried = false;
    // While the behaviour curves yield between members: the commission dialog and the last day.
    door_.OnYield(5, [&] {
        Run("mnudefCommission");
        w->ScrollBar(DayScrollBar::Last)->setValue(to - 30);
        tried = true;
    });
    Run("mnuCurveAppendMarketBehaviourAndSwingingForSBOptimized");
    ASSERT_TRUE(tried);
    EXPECT_TRUE(door_.CallsOf("input").empty());
    EXPECT_EQ(door_.Beeps(), beeps + 2);
    EXPECT_EQ(defCommission, 0.5f);
    EXPECT_EQ(ChartTo1, to);
    EXPECT_EQ(w->ScrollBar(DayScrollBar::Last)->value(), to);
    ASSERT_EQ(Curves(), 7);
    EXPECT_TRUE(ChartCaption(7).ends_with("Commission =0.50  Diligence =0.00")) << ChartCaption(7);
    // The last member's row: its day window ends on the day the run started with.
    const std::string rowEnd = SignBlankWhole(to) + ", 6:05:01 PM";
    EXPECT_TRUE(GetCSVValueLine().ends_with(rowEnd)) << GetCSVValueLine();
}

TEST_F(AnalysisMenuTest, SignalCommandsTradeTheSelectedCurve) {
    FillStockBasket();
    ChartDescriptionClear();
    Run("mnuCurvesAppendPastShortTermProfitForSB");
    ASSERT_EQ(Curves(), 1);

    // A and B cancel the selection afterwards, C, D and E keep it.
    const char* const items[] = {
        "mnuGenerateCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB",
        "mnuGenerateCrossingAboveOptimalLevelTSignalsFromSelectedCurveForSB",
        "mnuGenerateCrossingBelowZeroLevelTSignalsFromSelectedCurveForSB",
        "mnuGenerateCrossingBelowOptimalLevelTSignalsFromSelectedCurveForSB",
        "mnuGenerateOptGradCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB"};
    const std::int16_t expectedSelection[] = {0, 0, 1, 1, 1};
    for (int m = 0; m < 5; ++m) {
        SelectedChartCurve = 1;
        door_.QueueMessageAnswer(MsgAnswer::No);
        Run(items[m]);
        EXPECT_EQ(SelectedChartCurve, expectedSelection[m]) << items[m];
        EXPECT_EQ(door_.CallsOf("message").back().text.rfind(TradingResultsText, 0), 0u);
    }
    EXPECT_NE(
        TradingResultsText.find("Trading method = OPTIMAL GRADIENT CROSSING ABOVE ZERO LEVEL"),
        std::string::npos);

    door_.QueueMessageAnswer(MsgAnswer::OK);
    Run("mnuShowBasicTradingMessage");
    EXPECT_NE(door_.CallsOf("message").back().text.find("DEFINED TRADING SIGNALS"),
              std::string::npos);
}

TEST_F(AnalysisMenuTest, AReportStoppedByAnErrorLeavesNoWaitTextAndTheResultTextAsItWas) {
    FillStockBasket();
    ChartDescriptionClear();
    Run("mnuCurvesAppendPastShortTermProfitForSB");
    SelectedChartCurve = 1;
    door_.QueueMessageAnswer(MsgAnswer::No);
    Run("mnuGenerateCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB");
    ASSERT_GT(RallyCount, 0);
    const std::string results = TradingResultsText;
    // The report's backtests replace the result text while it works; then an error.
    FailAtYieldWhen([&] { return TradingResultsText != results; });
    door_.QueueMessageAnswer(MsgAnswer::OK);
    Run("mnuSaveAndShowGeneralTradingHTMLreport");
    EXPECT_EQ(door_.CallsOf("message").back().text.rfind("Vellicor error handler:", 0), 0u);
    EXPECT_EQ(ChartStatusText(), "");
    EXPECT_FALSE(door_.Hourglass());
    EXPECT_EQ(TradingResultsText, results);
}

TEST_F(AnalysisMenuTest, AllTrendCurvesAndTheIndividualCalculations) {
    FillStockBasket();
    RallyCount = 2;
    Run("mnuCalcAllTrendCurves");
    ASSERT_EQ(Curves(), 13);  // five statistics, the past profit, seven behaviour curves
    EXPECT_EQ(ChartCaption(13).rfind("Market Swinging: Average BUY-SELL signal for Stock Basket "
                                     "( 20  symbols )  Commission =0.50  Diligence =0.00",
                                     0),
              0u);
    EXPECT_EQ(RallyCount, 0);
    EXPECT_EQ(ChartStatusText(), "");

    // The individual timing of the displayed stock: its curves, the rallies of the best signal
    // (work vector 4) and the result in the status bar.
    DisplayedStockIndex = 4;
    Run("mnuPaintTimingOfIndividualStock");
    EXPECT_EQ(Curves(), 7);
    const std::int16_t rallies = RallyCount;
    SignalVectorToTradingLog(4, false);
    EXPECT_EQ(RallyCount, rallies);
    EXPECT_EQ(ChartStatusText().rfind(" Timing results for S4:       Profit (net compound) = ", 0),
              0u)
        << ChartStatusText();
    EXPECT_NE(ChartStatusText().find("%   Rallies = " + std::to_string(rallies) +
                                     "   One way commission = 0.50%"),
              std::string::npos);
    Run("mnuPaintSwingingOfIndividualStock");
    EXPECT_NE(ChartStatusText().find("   Diligence = 0.00"), std::string::npos);
}

TEST_F(AnalysisMenuTest, ScanRunsFromTheMenuAndASecondStartOnlyBeeps) {
    FillStockBasket();
    // Both scans started again while the short one runs: two beeps, nothing else.
    door_.OnYield(40, [this] {
        Run("mnuScanTradingResultsByPastDaysShort");
        Run("mnuScanTradingResultsByPastDaysComplete");
    });
    Run("mnuScanTradingResultsByPastDaysShort");
    EXPECT_EQ(door_.Beeps(), 2);
    EXPECT_TRUE(door_.CallsOf("message").empty());
    EXPECT_EQ(ReadTextLines(ResultsFolderPath + "ScanTradingResultsShort.csv").size(), 751u);
    EXPECT_FALSE(FileExists(ResultsFolderPath + "ScanTradingResultsComplete.csv"));
    EXPECT_EQ(defPastDays, 12);
    EXPECT_EQ(SilentMode, 0);
}

}  // namespace
}  // namespace vel
