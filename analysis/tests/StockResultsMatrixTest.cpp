// Rankings and selection on the stock results matrix: ties, filters, the sort against its
// plain passes, the ranking file byte for byte, and the selection kept to the loaded stocks.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "AnalysisFixture.h"
#include "StockResultsMatrix.h"

namespace vel {
namespace {

class StockResultsMatrixTest : public testing::AnalysisFixture {
protected:
    void SetUp() override {
        AnalysisFixture::SetUp();
        LoadPrices(5, std::vector<std::vector<float>>(6, {1, 2, 3, 4, 5}));
    }
    static std::vector<float> Index(long rows) {
        std::vector<float> v;
        for (long r = 1; r <= rows; ++r) v.push_back(StockResults(r, col::RankingIndex));
        return v;
    }
};

TEST_F(StockResultsMatrixTest, RanksFilteredRowsDescendingWithTiesInItemOrder) {
    const float values[] = {5, -2, 7, 5, 0, -2};
    const float filter[] = {1, 1, 0, 1, 2, 1};
    for (long r = 1; r <= 6; ++r) {
        StockResults(r, col::CompoundNetProfitIT) = values[r - 1];
        StockResults(r, col::IndividualTimingOK) = filter[r - 1];
    }
    StockResults(7, col::RankingIndex) = 99.0f;      // cleared
    StockResults(10001, col::RankingIndex) = 99.0f;  // never touched
    BuildSortedIndexColumn(col::CompoundNetProfitIT, col::RankingIndex, col::IndividualTimingOK);
    EXPECT_EQ(Index(7), (std::vector<float>{1, 4, 5, 2, 6, 0, 0}));
    EXPECT_EQ(StockResults(10001, col::RankingIndex), 99.0f);
}

TEST_F(StockResultsMatrixTest, SortAgreesWithThePlainPassesOnRandomColumns) {
    std::mt19937 gen(11);
    for (int trial = 0; trial < 30; ++trial) {
        ClearStockResultsMatrix();
        const long rows = trial < 2 ? kRankedRows : 1 + static_cast<long>(gen() % 400);
        for (long r = 1; r <= rows; ++r) {
            StockResults(r, 32) = static_cast<float>(static_cast<int>(gen() % 9) - 4);
            StockResults(r, 31) = static_cast<float>(static_cast<int>(gen() % 3) - 1);
        }
        if (trial % 5 == 4) StockResults(1 + gen() % rows, 32) = std::nanf("");
        BuildSortedIndexColumnByPasses(32, 41, 31);
        const std::vector<float> expected = Index(kRankedRows);
        for (long r = 1; r <= kRankedRows; ++r) StockResults(r, 41) = -1.0f;
        BuildSortedIndexColumn(32, 41, 31);
        ASSERT_EQ(Index(kRankedRows), expected) << "trial " << trial;
    }
}

TEST_F(StockResultsMatrixTest, NoPositiveFilterGivesZerosAndAnEmptyFile) {
    StockResults(3, col::MarketTimingOK) = -1.0f;
    BuildSortedIndexColumn(col::CompoundNetProfitMT, col::RankingIndex, col::MarketTimingOK);
    EXPECT_EQ(Index(3), (std::vector<float>{0, 0, 0}));
    EXPECT_TRUE(WriteStockRankingCSV(col::RankingIndex, TempPath("Ranking.csv")));
    EXPECT_EQ(FileText(TempPath("Ranking.csv")), "");
}

TEST_F(StockResultsMatrixTest, RankingFileWritesRankItemAndResultColumns) {
    for (int c = 1; c <= 45; ++c) {
        StockResults(4, c) = static_cast<float>(c) / 2.0f;
        StockResults(2, c) = -static_cast<float>(c);
    }
    StockResults(2, col::IndividualTimingOK) = 2.0f;
    StockResults(4, col::CompoundNetProfitIT) = 1e-7f;
    BuildSortedIndexColumn(col::CompoundNetProfitIT, col::RankingIndex, col::IndividualTimingOK);
    ASSERT_TRUE(WriteStockRankingCSV(col::RankingIndex, TempPath("Ranking.csv")));
    EXPECT_EQ(FileText(TempPath("Ranking.csv")),
              "*Symbol, Item, MoneyVolumeRank, BasketFlag, FromTradingDay, ToTradingDay, "
              "MarketTimingOK, CompoundNetProfitMT, RallyCountB, SummaryProfit, TotalPlainProfit, "
              "ProfitGain, IndividualTimingOK, CompoundNetProfitIT, RallyCountA, defCommission, "
              "defDiligence\r\n"
              "S4,  1,  4, 0.5, 1.5, 2, 15.5, 16, 16.5, 17, 17.5, 18, 10.5, 1E-07, 11.5, 5.5, 6\r\n"
              "S2,  2,  2, -1, -3, -4, -31, -32, -33, -34, -35, -36, 2, -22, -23, -11, -12\r\n");
}

TEST_F(StockResultsMatrixTest, ARankingFileThatCannotBeWrittenIsReported) {
    StockResults(1, 41) = 1.0f;
    door_.QueueMessageAnswer(MsgAnswer::OK);
    EXPECT_FALSE(WriteStockRankingCSV(41, UnwritablePath("Ranking.csv")));
    EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(StockResultsMatrixTest, SelectsLoadedStocksAtOrAboveBothAverages) {
    // Column A: positives 4, 2, 3, 3 (mean 3); column B: positives 1, 3, 2, 2, 2 (mean 2).
    const float a[] = {4, 2, 3, 0, 3, -1};
    const float b[] = {1, 3, 2, 2, 2, -9};
    for (long r = 1; r <= 6; ++r) {
        StockResults(r, 22) = a[r - 1];
        StockResults(r, 32) = b[r - 1];
    }
    StockResults(7, 22) = 100.0f;  // beyond the loaded stocks: neither averaged nor selected
    StockResults(7, 32) = 100.0f;
    StockResults(9000, 40) = 1.0f;
    MarkStockSelection(22, 32, 40);
    std::vector<float> flags;
    for (long r = 1; r <= 7; ++r) flags.push_back(StockResults(r, 40));
    EXPECT_EQ(flags, (std::vector<float>{0, 0, 1, 0, 1, 0, 0}));
    EXPECT_EQ(StockResults(9000, 40), 0.0f);
}

TEST_F(StockResultsMatrixTest, WithoutPositiveValuesEveryLoadedStockAtZeroOrMoreIsSelected) {
    StockResults(2, 22) = -1.0f;
    MarkStockSelection(22, 32, 40);
    std::vector<float> flags;
    for (long r = 1; r <= 8; ++r) flags.push_back(StockResults(r, 40));
    EXPECT_EQ(flags, (std::vector<float>{1, 0, 1, 1, 1, 1, 0, 0}));
}

}  // namespace
}  // namespace vel
