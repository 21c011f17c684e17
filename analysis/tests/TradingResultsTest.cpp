// Trading results over the Stock Basket: hand-computed averages, the texts, the rally CSV file
// byte for byte and the summary row.
#include <gtest/gtest.h>

#include "AnalysisFixture.h"
#include "ChartCurves.h"
#include "CsvRows.h"
#include "HtmlReport.h"
#include "TradingResults.h"

namespace vel {
namespace {

class TradingResultsTest : public testing::AnalysisFixture {
protected:
    // Three stocks over 8 days; stocks 1 and 2 in the basket.
    void SetUp() override {
        AnalysisFixture::SetUp();
        LoadPrices(8, {{100, 110, 100, 90, 100, 120, 100, 80},
                       {100, 90, 0, 100, 110, 100, 100, 120},
                       {10, 20, 30, 40, 50, 60, 70, 80}});
        BasketFlag(1) = BasketFlag(2) = 1;
        BasketFlag(3) = 11;  // a transient mark: not a member
        BasketCount = 2;
        defCommission = 0.0f;
    }
    static std::string Summary() { return GetCSVHeaderLine() + " | " + GetCSVValueLine(); }
};

TEST_F(TradingResultsTest, AveragesTheMembersAndCompoundsTheRallies) {
    // Rally 1 (1, 2): +10 % and -10 %: 0. Rally 2 (3, 5): 0 -> 100 gives the second member 0,
    // the first +0 %: 0. Rally 3 (4, 6): +33.33.. % and 0 %.
    SetRallies({{1, 2}});
    EXPECT_EQ(CalcBasicTradingResults(""), 0.0f);
    SetRallies({{1, 2}, {3, 5}, {4, 6}});
    EXPECT_FLOAT_EQ(CalcBasicTradingResults(""), 50.0f / 3.0f);

    // One member, one rally from 100 to 110 with commission 0.5: 9.
    BasketFlag(2) = 0;
    BasketCount = 1;
    defCommission = 0.5f;
    SetRallies({{1, 2}});
    EXPECT_FLOAT_EQ(CalcBasicTradingResults(""), 9.0f);
    EXPECT_NE(TradingResultsText.find("\nAverage net compound profit [%] = 9.00\n"),
              std::string::npos);

    // A member with a zero buy price halves the average of two members: (0 + 10) / 2 = 5.
    BasketFlag(2) = 1;
    defCommission = 0.0f;
    SetRallies({{3, 4}});
    MainVectors->CoordSetSingleValue(PriceVector(1), 3, 100.0f);
    MainVectors->CoordSetSingleValue(PriceVector(1), 4, 110.0f);
    EXPECT_FLOAT_EQ(CalcBasicTradingResults(""), 5.0f);

    // An empty basket gives 0.
    BasketFlag(1) = BasketFlag(2) = 0;
    BasketCount = 0;
    EXPECT_EQ(CalcBasicTradingResults(""), 0.0f);
}

TEST_F(TradingResultsTest, SellsAnOpenRallyOnTheNextLoadedDay) {
    BasketFlag(2) = 0;
    SetRallies({{5, 8}});
    ShowDays(1, 7);  // SellPos ChartTo1 + 1 = 8, a loaded day: 100 -> 80
    EXPECT_FLOAT_EQ(CalcBasicTradingResults(""), -20.0f);
    ShowDays(1, 8);
    SetRallies({{5, 9}});  // beyond the last loaded day: sold on day 8 as well
    EXPECT_FLOAT_EQ(CalcBasicTradingResults(""), -20.0f);
}

TEST_F(TradingResultsTest, TextAndSummaryRowWithASelectedCurve) {
    defCommission = 5.0f;
    SetRallies({{1, 2}, {6, 9}});
    ShowDays(2, 8);
    CursorDay = 7;
    SelectedChartCurve = 2;
    ChartCaption(2) = "Basket: average, price";
    const float C = CalcBasicTradingResults("");
    // Rally 1: (10 - 10) / 2 - 10 = -10; rally 2 (6, 8): (-33.33.. + 20) / 2 - 10 = -16.66..
    EXPECT_FLOAT_EQ(C, -25.0f);
    EXPECT_EQ(TradingResultsText,
              "BASIC TRADING RESULTS (backtesting):\n"
              "   \n"
              "Average net compound profit [%] = -25.00\n"
              "Trading rallies = 2\n"
              "Signal = " +
                  GetCursorSignalText() +
                  "\n"
                  "One way commission [%] = 5.00\n"
                  "From trading day = 2\n"
                  "To trading day = 8\n"
                  "Stock symbols = 2\n"
                  "Selected chart curve = 2\n"
                  "Curve caption = Basket: average, price\n");
    EXPECT_EQ(Summary(),
              "CompoundProfit, TradingRallies, OneWayCommission, FromTradingDay, ToTradingDay, "
              "StockSymbols, SelectedChartCurve = , ChartCaption | -25, 2, 5, 2, 8, 2,  2, "
              "\"Basket: average, price\"");
}

TEST_F(TradingResultsTest, NoRalliesGiveTheShortTextAndSixSummaryItems) {
    defCommission = 0.5f;
    EXPECT_EQ(CalcBasicTradingResults(TempPath("ByRally.csv")), 0.0f);
    EXPECT_EQ(TradingResultsText,
              "BASIC TRADING RESULTS (backtesting):\n   \nNo trading rallies found!\n");
    EXPECT_EQ(Summary(),
              "CompoundProfit, TradingRallies, OneWayCommission, FromTradingDay, ToTradingDay, "
              "StockSymbols | 0, 0, 0.5, 1, 8, 2");
    EXPECT_EQ(FileText(TempPath("ByRally.csv")), "");
}

TEST_F(TradingResultsTest, WritesTheRallyFileByteForByte) {
    SetRallies({{1, 2}, {4, 9}});
    ShowDays(1, 8);
    bool written = false;
    const float C = CalcBasicTradingResults(TempPath("ByRally.csv"), &written);
    EXPECT_TRUE(written);
    // Rally 2 (4, 8): (80 - 90) / 90 * 100 = -11.11.., (120 - 100) = +20: mean 4.44..
    EXPECT_FLOAT_EQ(C, 4.4444447f);
    EXPECT_EQ(FileText(TempPath("ByRally.csv")),
              "RallyNum, ProfitOfThisRally, CompoundProfitFromRally, StockSymbolCount, DayCount, "
              "BuyPos, SellPos, BuyDate, SellDate, PeriodFromPos, PeriodToPos, PeriodFromDate, "
              "PeriodToDate\r\n"
              " 1,  0,  0,  2,  1,  1,  2, 1/1/2001, 1/2/2001,  1,  8, 1/1/2001, 1/8/2001\r\n"
              " 2,  4.44444444444444,  4.444445,  2,  4,  4,  8, 1/4/2001, 1/8/2001,  1,  8, "
              "1/1/2001, 1/8/2001\r\n");
}

TEST_F(TradingResultsTest, ARallyFileThatCannotBeWrittenIsReportedAndTheResultStands) {
    OpenActivityLog("Vellicor.log");
    SetRallies({{1, 2}});
    door_.QueueMessageAnswer(MsgAnswer::OK);
    bool written = true;
    EXPECT_EQ(CalcBasicTradingResults(UnwritablePath("ByRally.csv"), &written), 0.0f);
    EXPECT_FALSE(written);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0],
              "The result file could not be written:\r\n" + UnwritablePath("ByRally.csv"));
    ASSERT_FALSE(LogTexts().empty());
    EXPECT_EQ(
        LogTexts().back().rfind("Result file not written: " + UnwritablePath("ByRally.csv"), 0),
        0u);
    EXPECT_NE(TradingResultsText.find("Trading rallies = 1"), std::string::npos);

    // A silent run only logs it.
    SilentMode = 1;
    CalcBasicTradingResults(UnwritablePath("ByRally.csv"), &written);
    EXPECT_EQ(Messages().size(), 1u);
}

}  // namespace
}  // namespace vel
