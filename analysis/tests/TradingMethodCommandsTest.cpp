// The trading method commands on the selected curve: the result box with its blank line and
// question, the silent and unattended runs, the reports offered on Yes and No, a command without
// a selected curve; the basic trading message and the report of the last market calculation.
#include <gtest/gtest.h>

#include "AnalysisEntryPoints.h"
#include "AnalysisFixture.h"
#include "ChartCurves.h"
#include "GeneralTradingReport.h"
#include "TradingMethodCommands.h"
#include "TradingResults.h"

namespace vel {
namespace {

using testing::RallyList;

class TradingMethodCommandsTest : public testing::AnalysisFixture {
protected:
    void SetUp() override {
        AnalysisFixture::SetUp();
        LoadPrices(10, {{10, 11, 12, 13, 12, 11, 10, 11, 12, 13}});
        BasketFlag(1) = 1;
        BasketCount = 1;
        // Curve 1: positive on days 2..4 and 8..10.
        const auto k = AppendChartCurve("Basket curve");
        SetVector(ChartCurveVector(k), {-1, 1, 2, 3, -1, -2, -3, 1, 2, 3});
        SelectedChartCurve = 1;
        auto record = [this](const char* name) {
            return [this, name](const std::string& page) {
                reports_.push_back(std::string(name) + " " + page);
                return true;
            };
        };
        AnalysisCommands.SaveMarketTimingHTMLReport = record("timing");
        AnalysisCommands.SaveMarketSwingingHTMLReport = record("swinging");
        AnalysisCommands.SaveMarketSpecialSwingingHTMLReport = record("special");
        AnalysisCommands.SaveGeneralTradingHTMLReport = record("general");
    }
    std::vector<std::string> reports_;
};

TEST_F(TradingMethodCommandsTest, BoxShowsTheResultsABlankLineAndTheQuestion) {
    door_.QueueMessageAnswer(MsgAnswer::No);
    std::int16_t work = 0;
    EXPECT_EQ(GenerateCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB(work), 0.0f);
    EXPECT_EQ(work, MainVectors->HelpStart() + 1);
    EXPECT_EQ(Rallies(), (RallyList{{2, 5}, {8, 11}}));
    const auto boxes = door_.CallsOf("message");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Vellicor");
    EXPECT_EQ(boxes[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(boxes[0].text, TradingResultsText + "    \nDo you wish to see Trading Report ?\n");
    EXPECT_TRUE(reports_.empty());     // No writes nothing
    EXPECT_EQ(SelectedChartCurve, 1);  // the chart window's command cancels it, not this

    // No rally: the text and the blank line only; Yes still runs the report.
    SetVector(ChartCurveVector(1), std::vector<float>(10, -1.0f));
    door_.QueueMessageAnswer(MsgAnswer::Yes);
    GenerateCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB(work);
    EXPECT_EQ(door_.CallsOf("message").back().text, TradingResultsText + "    \n");
    EXPECT_EQ(reports_, (std::vector<std::string>{"general GeneralTradingReport.html"}));
    EXPECT_EQ(SelectedChartCurve, 0);  // the general trading report command cancels it
}

TEST_F(TradingMethodCommandsTest, SilentAndUnattendedRunsShowNoBox) {
    std::int16_t work = 0;
    SilentMode = -1;
    GenerateCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB(work);
    GenerateCrossingAboveOptimalLevelTSignalsFromSelectedCurveForSB(work);
    GenerateCrossingBelowZeroLevelTSignalsFromSelectedCurveForSB(work);
    GenerateCrossingBelowOptimalLevelTSignalsFromSelectedCurveForSB(work);
    GenerateOptGradCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB(work);
    EXPECT_TRUE(door_.CallsOf("message").empty());

    // An unattended run: A stays quiet, B shows its box (logged and answered No).
    SilentMode = 0;
    AutoRunMode = 1;
    GenerateCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB(work);
    EXPECT_TRUE(door_.CallsOf("message").empty());
    GenerateCrossingAboveOptimalLevelTSignalsFromSelectedCurveForSB(work);
    EXPECT_EQ(door_.CallsOf("message").size(), 1u);
    EXPECT_TRUE(reports_.empty());
}

TEST_F(TradingMethodCommandsTest, CommandBOffersTheReportOfTheLastMarketCalculation) {
    std::int16_t work = 0;
    ReportKind = "Timing";
    door_.QueueMessageAnswer(MsgAnswer::Yes);
    const float level = GenerateCrossingAboveOptimalLevelTSignalsFromSelectedCurveForSB(work);
    EXPECT_EQ(level, -3.0f + 402.0f / 400.0f);  // the first level at or above -2
    EXPECT_EQ(reports_, (std::vector<std::string>{"timing StockMarketTimingReport.html"}));
    EXPECT_EQ(ReportKind, "General");
    door_.QueueMessageAnswer(MsgAnswer::Yes);
    GenerateCrossingAboveOptimalLevelTSignalsFromSelectedCurveForSB(work);
    EXPECT_EQ(reports_.back(), "general StockMarketGeneralReport.html");
    EXPECT_EQ(SelectedChartCurve, 1);

    // Nothing since the start: a Yes shows nothing.
    ReportKind.clear();
    door_.QueueMessageAnswer(MsgAnswer::Yes);
    GenerateCrossingAboveOptimalLevelTSignalsFromSelectedCurveForSB(work);
    EXPECT_EQ(reports_.size(), 2u);
    EXPECT_EQ(ReportKind, "General");
}

TEST_F(TradingMethodCommandsTest, LastMarketReportFollowsTheKind) {
    for (const char* kind : {"Swinging", "Special", "General", "Other"}) {
        ReportKind = kind;
        ShowLastStockMarketReport();
        EXPECT_EQ(ReportKind, "General");
    }
    EXPECT_EQ(reports_, (std::vector<std::string>{"swinging StockMarketSwingingReport.html",
                                                  "special StockMarketSpecialSwingingReport.html",
                                                  "general StockMarketGeneralReport.html"}));
}

TEST_F(TradingMethodCommandsTest, WithoutASelectedCurveACommandBeepsAndShowsTheLastText) {
    std::int16_t work = 0;
    door_.QueueMessageAnswer(MsgAnswer::No);
    GenerateCrossingBelowZeroLevelTSignalsFromSelectedCurveForSB(work);
    const std::string text = TradingResultsText;
    const RallyList rallies = Rallies();
    SelectedChartCurve = 0;
    door_.QueueMessageAnswer(MsgAnswer::No);
    EXPECT_EQ(GenerateOptGradCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB(work), 0.0f);
    EXPECT_EQ(door_.Beeps(), 1);
    EXPECT_EQ(TradingResultsText, text);
    EXPECT_EQ(Rallies(), rallies);
    EXPECT_EQ(door_.CallsOf("message").back().text.substr(0, text.size()), text);
}

TEST_F(TradingMethodCommandsTest, BasicTradingMessageNamesTheDefinedSignals) {
    SetRallies({{1, 4}});
    SelectedChartCurve = 0;
    defCommission = 0.0f;
    door_.QueueMessageAnswer(MsgAnswer::OK);
    ShowBasicTradingMessage();
    const auto boxes = door_.CallsOf("message");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].buttons, MsgButtons::OK);
    EXPECT_EQ(
        boxes[0].text,
        TradingResultsText + "Trading method = DEFINED TRADING SIGNALS\nCrossing Level = UNKNOWN");
    EXPECT_EQ(TradingResultsText.find("DEFINED"), std::string::npos);
    EXPECT_NE(TradingResultsText.find("Average net compound profit [%] = 30.00"),
              std::string::npos);
    // An empty log.
    RallyCount = 0;
    door_.QueueMessageAnswer(MsgAnswer::OK);
    ShowBasicTradingMessage();
    EXPECT_NE(
        door_.CallsOf("message").back().text.find("No trading rallies found!\nTrading method"),
        std::string::npos);
}

}  // namespace
}  // namespace vel
