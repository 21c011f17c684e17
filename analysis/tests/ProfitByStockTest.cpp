// The backtest by stock on the common rallies: files byte for byte, the MT columns, patterns.
#include <gtest/gtest.h>

#include "AnalysisFixture.h"
#include "ProfitByStock.h"
#include "StockResults.h"

namespace vel {
namespace {

class ProfitByStockTest : public testing::AnalysisFixture {
protected:
    void SetUp() override {
        AnalysisFixture::SetUp();
        // Stock 2 is outside the basket and is traded all the same.
        LoadPrices(8, {{100, 110, 100, 100, 90, 100, 120, 150}, {0, 50, 40, 40, 20, 10, 5, 4}});
        BasketFlag(1) = 1;
        BasketCount = 1;
    }
    bool Run() {
        return CalcTradingLogProfitByStock(TempPath("ByStock.csv"), TempPath("ByRally.csv"));
    }
    static std::vector<float> Mt(long i) {
        std::vector<float> v;
        for (int c = col::MarketTimingOK; c <= col::ProfitGain; ++c)
            v.push_back(StockResults(i, c));
        return v;
    }
};

TEST_F(ProfitByStockTest, ASymbolWithACommaOrAQuoteIsOneQuotedField) {
    LoadedSymbols(1) = "A,B";
    LoadedSymbols(2) = "Q\"X";
    SetRallies({{1, 2}});
    ShowDays(1, 7);
    ASSERT_TRUE(Run());
    EXPECT_EQ(FileText(TempPath("ByStock.csv")),
              "MoneyVolumeRank, StockSymbol, CompoundNetProfitB, RallyCountB, BuyAndHoldProfit, "
              "ProfitGain, ProfitPattern\r\n"
              " 1, \"A,B\", 10.00, 1.00, 10.00, 0.00, 1A\r\n"
              " 2, \"Q\"\"X\", 0.00, 1.00, 0.00, 0.00, 1D\r\n");
}

TEST_F(ProfitByStockTest, TradesEveryLoadedStockOnTheCommonRallies) {
    // Rallies up, flat (0: "D"), and open: (1, 2) (3, 4) (6, 9) with the window ending on day 7.
    SetRallies({{1, 2}, {3, 4}, {6, 8}});
    ShowDays(1, 7);
    ASSERT_TRUE(Run());
    // Stock 1: +10, 0, then sold on day 8 (ChartTo1 + 1 is loaded): +50; hold-through 100 -> 120
    // (sold on ChartTo1): 20. C = 1.1 * 1 * 1.5 = 65 %.
    // Stock 2: buy price 0: 0; 0; 10 -> 4: -60; hold-through from a price of 0: 0.
    EXPECT_EQ(FileText(TempPath("ByStock.csv")),
              "MoneyVolumeRank, StockSymbol, CompoundNetProfitB, RallyCountB, BuyAndHoldProfit, "
              "ProfitGain, ProfitPattern\r\n"
              " 1, S1, 65.00, 3.00, 20.00, 45.00, 3A2D1A\r\n"
              " 2, S2, -60.00, 3.00, 0.00, -60.00, 3D2D1D\r\n");
    EXPECT_EQ(FileText(TempPath("ByRally.csv")),
              "MoneyVolumeRank, StockSymbol, RallyNum, RallyProfit, BuyPos, SellPos, BuyDate, "
              "SellDate\r\n"
              " 1, S1,  1, 10.00, 1, 2, 1/1/2001, 1/2/2001\r\n"
              " 1, S1,  2, 0.00, 3, 4, 1/3/2001, 1/4/2001\r\n"
              " 1, S1,  3, 50.00, 6, 8, 1/6/2001, 1/8/2001\r\n"
              " 2, S2,  1, 0.00, 1, 2, 1/1/2001, 1/2/2001\r\n"
              " 2, S2,  2, 0.00, 3, 4, 1/3/2001, 1/4/2001\r\n"
              " 2, S2,  3, -60.00, 6, 8, 1/6/2001, 1/8/2001\r\n");
    EXPECT_EQ(Mt(1)[0], 1.0f);
    EXPECT_FLOAT_EQ(Mt(1)[1], 65.0f);
    EXPECT_EQ(Mt(1)[2], 3.0f);
    EXPECT_FLOAT_EQ(Mt(1)[3], 60.0f);  // the plain sum
    EXPECT_FLOAT_EQ(Mt(1)[4], 20.0f);
    EXPECT_FLOAT_EQ(Mt(1)[5], 45.0f);
    EXPECT_EQ(Mt(2), (std::vector<float>{2, -60, 3, -60, 0, -60}));
}

TEST_F(ProfitByStockTest, OneRallyGivesItsOwnProfitAndALastDayOpenRallyEndsThere) {
    SetRallies({{5, 9}});  // open in a window that ends on the last loaded day
    ASSERT_TRUE(Run());
    EXPECT_FLOAT_EQ(StockResults(1, col::CompoundNetProfitMT), 150.0f / 0.9f - 100.0f);
    EXPECT_FLOAT_EQ(StockResults(1, col::TotalPlainProfit), 150.0f / 0.9f - 100.0f);
    // C is held in double, the hold-through profit in single: they differ in the last places.
    EXPECT_NE(StockResults(1, col::ProfitGain), 0.0f);
    EXPECT_NEAR(StockResults(1, col::ProfitGain), 0.0f, 1e-5f);
    EXPECT_NE(FileText(TempPath("ByStock.csv")).find(", 1A\r\n"), std::string::npos);
    EXPECT_NE(FileText(TempPath("ByStock.csv")).find(", 1D\r\n"), std::string::npos);
}

TEST_F(ProfitByStockTest, NoRalliesWriteEmptyFilesAndKeepTheOtherColumns) {
    StockResults(1, col::MarketTimingOK) = 1.0f;
    StockResults(9000, col::MarketTimingOK) = 9000.0f;
    StockResults(1, col::CompoundNetProfitMT) = 7.0f;
    ASSERT_TRUE(Run());
    EXPECT_EQ(FileText(TempPath("ByStock.csv")), "");
    EXPECT_EQ(FileText(TempPath("ByRally.csv")), "");
    EXPECT_EQ(StockResults(1, col::MarketTimingOK), 0.0f);
    EXPECT_EQ(StockResults(9000, col::MarketTimingOK), 0.0f);
    EXPECT_EQ(StockResults(1, col::CompoundNetProfitMT), 7.0f);
    EXPECT_FALSE(door_.hourglass);
}

TEST_F(ProfitByStockTest, AFileThatCannotBeWrittenIsReportedAndTheMatrixIsFilled) {
    OpenActivityLog("Vellicor.log");
    SetRallies({{1, 2}});
    door_.QueueMessageAnswer(MsgAnswer::OK);
    EXPECT_FALSE(CalcTradingLogProfitByStock(TempPath("ByStock.csv"), UnwritablePath("R.csv")));
    EXPECT_EQ(Messages(), std::vector<std::string>{"The result file could not be written:\r\n" +
                                                   UnwritablePath("R.csv")});
    EXPECT_NE(FileText(TempPath("ByStock.csv")).find(" 1, S1, 10.00"), std::string::npos);
    EXPECT_FLOAT_EQ(StockResults(1, col::CompoundNetProfitMT), 10.0f);
    EXPECT_EQ(StockResults(2, col::MarketTimingOK), 2.0f);
}

}  // namespace
}  // namespace vel
