// Portfolio candidates and the portfolio file: the candidate rule on its edge values, the
// basket narrowed to the candidates, and "Basket.csv" byte for byte, read back as a list.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "AnalysisEntryPoints.h"
#include "AppState.h"
#include "ChartsFixture.h"
#include "Portfolio.h"
#include "StockBasket.h"
#include "VectorStores.h"

namespace vel {
namespace {

// The newest prices: stock 3 at 12.00, stock 5 at 0 and stock 7 at 7.00; the others a wave.
float PortfolioPrice(long i, long d) {
    if (d == 20 && i == 3) return 12.0f;
    if (d == 20 && i == 5) return 0.0f;
    if (d == 20 && i == 7) return 7.0f;
    return testing::SyntheticPrice(i, d);
}

class PortfolioTest : public testing::ChartsFixture {
protected:
    void SetUp() override {
        ChartsFixture::SetUp();
        testing::LoadSyntheticHistory(10, 20, PortfolioPrice);  // the last day is 1/29/2020
    }
    void Members(std::initializer_list<long> items) {
        for (long i = 1; i <= 10; ++i) BasketFlag(i) = 0;
        for (long i : items) BasketFlag(i) = 1;
        ResetStockBasket();
    }
    static std::vector<long> Basket() {
        std::vector<long> out;
        for (long i = 1; i <= 10; ++i)
            if (BasketFlag(i) == 1) out.push_back(i);
        return out;
    }
    // Screening vector of stock i with gradients A, B and their interval numbers.
    static void Gradients(long i, float a, float b, float ga, float gb) {
        clsVectors& s = *ScreeningVectors;
        const long v = s.BufferStart() + i - 1;
        s.CoordSetSingleValue(v, 16, a);
        s.CoordSetSingleValue(v, 17, b);
        s.CoordSetSingleValue(v, 18, ga);
        s.CoordSetSingleValue(v, 19, gb);
    }
    static float Coordinate(long i, long k) {
        return ScreeningVectors->CoordGetSingle(ScreeningVectors->BufferStart() + i - 1, k);
    }
    static std::string Read(const std::string& path) {
        std::ifstream f(path, std::ios::binary);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    }
};

TEST_F(PortfolioTest, CandidatesHaveAPositiveSteeperShortGradientInTheUpperIntervals) {
    ScreeningVectors->SetBufferCount(8);
    Gradients(1, 1.1f, 0.6f, 2, 2);     // B rounds to 1: candidate
    Gradients(2, 0.9f, 0.6f, 1, 1);     // A must exceed the rounded B, 1
    Gradients(3, 0.9f, 0.5f, 1, 1);     // B rounds to 0 (half to even)
    Gradients(4, 9.0f, 2.5f, 1, 1);     // B rounds to 2: candidate
    Gradients(5, 9.0f, 3.0f, 3, 1);     // A's interval is 3
    Gradients(6, 9.0f, 3.0f, 1, 2.5f);  // B's interval rounds to 2: candidate
    Gradients(7, 9.0f, 3.0f, 1, 3.5f);  // B's interval rounds to 4
    Gradients(8, 1e30f, 1e20f, 1, 1);   // beyond 16 bits it is compared, not overflowing
    ScreeningVectors->CoordSetSingleValue(ScreeningVectors->BufferStart(), 30, 5.0f);
    PutPortfolioCandidates();
    const float expected[] = {1, -2, -2, 1, -2, 1, -2, 1};
    for (long i = 1; i <= 8; ++i) {
        EXPECT_EQ(Coordinate(i, 20), expected[i - 1]) << i;
        EXPECT_EQ(Coordinate(i, 29), expected[i - 1]) << i;
        EXPECT_EQ(Coordinate(i, 30), 0.0f) << i;
    }
    EXPECT_EQ(Coordinate(9, 29), 0.0f);  // beyond the screened rows: untouched
    EXPECT_FALSE(door_.hourglass);
}

TEST_F(PortfolioTest, TheBasketKeepsOnlyTheCandidatesOfAtLeastEightShownDays) {
    int screenings = 0;
    AnalysisCommands.CalcScreeningBasicValues = [&](std::int16_t saveTables) {
        EXPECT_EQ(saveTables, 0);
        ++screenings;
        ScreeningVectors->SetBufferCount(10);
        for (long i = 1; i <= 10; ++i) Gradients(i, 0, 0, 4, 4);
        Gradients(2, 5, 3, 1, 1);
        Gradients(6, 5, 3, 2, 2);
        Gradients(9, 5, 3, 1, 1);
    };
    Members({1, 2, 3, 6});
    ChartFrom2 = 5;
    ChartTo2 = 11;  // 7 days
    door_.QueueMessageAnswer(MsgAnswer::OK);
    NarrowStockBasketToPortfolioCandidates();
    EXPECT_EQ(door_.CallsOf("message").back().text, "Select at least 8 trading days, please.");
    EXPECT_EQ(screenings, 0);
    EXPECT_EQ(Basket(), (std::vector<long>{1, 2, 3, 6}));

    ChartTo2 = 12;  // 8 days
    NarrowStockBasketToPortfolioCandidates();
    EXPECT_EQ(screenings, 1);
    EXPECT_EQ(GroupFrom.toInt16(), 5);
    EXPECT_EQ(GroupTo, 12);
    EXPECT_EQ(Basket(), (std::vector<long>{2, 6}));  // stock 9 is a candidate but no member
    EXPECT_EQ(BasketCount, 2);

    Members({1, 3});
    door_.QueueMessageAnswer(MsgAnswer::OK);
    NarrowStockBasketToPortfolioCandidates();
    EXPECT_EQ(BasketCount, 0);
    EXPECT_EQ(door_.CallsOf("message").back().text,
              "Portfolio is empty! Probable reason is the unfavorable stock market trend.");
}

TEST_F(PortfolioTest, BasketFileHoldsOneBuyPositionPerMemberAndLoadsBackAsAList) {
    door_.QueueMessageAnswer(MsgAnswer::OK);
    SaveStockBasketAsPortfolioCSV();  // empty basket: only the notice, no dialog
    EXPECT_EQ(door_.CallsOf("message").back().text,
              "Put some stock symbols into Stock Basket, please.");
    EXPECT_TRUE(door_.CallsOf("save").empty());

    Members({3, 5, 7});
    const std::string path = TempPath("Basket.csv");
    door_.QueueSaveFile(path);
    SaveStockBasketAsPortfolioCSV();
    const auto save = door_.CallsOf("save").back();
    EXPECT_EQ(save.title, "Enter or select CSV file name.");
    EXPECT_EQ(save.text, "CSV files (*.csv)|*.csv");
    EXPECT_EQ(save.args.back(), "Basket.csv");
    EXPECT_EQ(Read(path),
              "*Ticker,Trade Date,# Shares,Purchase Price,Commission,Transaction Notes,Type\r\n"
              "S3, 1/29/2020, 250, 12.00, 15 ,rank  3  of MVTree, L\r\n"
              "S5, 1/29/2020, 0, 0.00, 15 ,rank  5  of MVTree, L\r\n"
              "S7, 1/29/2020, 429, 7.00, 15 ,rank  7  of MVTree, L\r\n");
    EXPECT_EQ(BasketSaveFilePath, path);

    ClearStockBasket();
    LoadStockListIntoStockBasket(path);
    EXPECT_EQ(Basket(), (std::vector<long>{3, 5, 7}));

    // The next save proposes the last file; a cancelled dialog writes nothing and forgets it,
    // so the one after proposes the last stock list.
    door_.QueueSaveFile("");
    SaveStockBasketAsPortfolioCSV();
    EXPECT_EQ(door_.CallsOf("save").back().args.back(), path);
    EXPECT_EQ(BasketSaveFilePath, "");
    StockListFilePath = TempPath("list.csv");
    door_.QueueSaveFile("");
    SaveStockBasketAsPortfolioCSV();
    EXPECT_EQ(door_.CallsOf("save").back().args.back(), StockListFilePath);
}

}  // namespace
}  // namespace vel
