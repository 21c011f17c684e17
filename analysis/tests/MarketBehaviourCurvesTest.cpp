// The market behaviour and swinging curves of the Stock Basket: captions with their blanks,
// level lines, a one-member basket equal to the member's own vectors, a basket without
// members, the result CSV file, a search that fails, and the threaded searches against the
// literal ones on whole runs.
#include <gtest/gtest.h>

#include <bit>
#include <random>
#include <utility>

#include "AnalysisFixture.h"
#include "BasketCurves.h"
#include "ChartCurves.h"
#include "CommandBarrier.h"
#include "MemberSearches.h"
#include "SyntheticHistory.h"

namespace vel {
namespace {

constexpr std::int16_t B = 10;

class MarketBehaviourCurvesTest : public testing::AnalysisFixture {
protected:
    void TearDown() override {
        SearchRoad = SearchRoadChoice{};
        AnalysisFixture::TearDown();
    }
    // Stocks of random walks; stock 1 is constant, so its search finds no rally (and is usable
    // all the same, with the profit 0 of its first trial).
    void LoadWalks(long stocks, long days, std::uint32_t seed) {
        testing::LoadSyntheticHistory(stocks, days, [seed](long i, long d) {
            if (i == 1) return 25.0f;
            std::mt19937 gen(seed + static_cast<std::uint32_t>(i));
            std::normal_distribution<double> step(0.0005, 0.03);
            double x = 20.0 + static_cast<double>(i);
            for (long k = 1; k <= d; ++k) x *= 1.0 + step(gen);
            return static_cast<float>(x);
        });
        view_.barMax = static_cast<int>(days);
    }
    static std::vector<std::uint32_t> Bits(long v) {
        std::vector<std::uint32_t> r;
        for (long d = 1; d <= MainVectors->CoordDim(); ++d)
            r.push_back(std::bit_cast<std::uint32_t>(MainVectors->CoordGetSingle(v, d)));
        return r;
    }
    void Members(std::initializer_list<long> items) {
        for (long i : items) BasketFlag(i) = 1;
        BasketCount = static_cast<std::int16_t>(items.size());
    }
};

TEST_F(MarketBehaviourCurvesTest, SevenCurvesWithTheirCaptionsAndLevels) {
    LoadWalks(4, 120, 3);
    Members({1, 2, 3});
    defCommission = 0.25f;
    AppendPriceVolumeTrendCurves();  // five curves before
    RallyCount = 3;
    AppendMarketBehaviourAndSwingingCurves(B, "");
    ASSERT_EQ(MainVectors->ChartCount(), 12);
    const std::string p = "  Commission =0.25  Diligence =0.00";
    EXPECT_EQ(ChartCaption(6), "Market Behaviour  APA$V%  for Stock Basket (3 symbols ) " + p);
    EXPECT_EQ(ChartCaption(7), "Market Behaviour  APD$V%  for Stock Basket (3 symbols )" + p);
    EXPECT_EQ(ChartCaption(8), "Market Behaviour  DPD$V%  for Stock Basket (3 symbols )" + p);
    EXPECT_EQ(ChartCaption(9), "Market Behaviour  DPA$V%  for Stock Basket(3 symbols )" + p);
    EXPECT_EQ(ChartCaption(10),
              "Market Swinging:  Average relative gradient for Stock Basket ( 3  symbols )" + p);
    EXPECT_EQ(
        ChartCaption(11),
        "Market Swinging:  Change of average relative gradient for Stock Basket ( 3  symbols )" +
            p);
    EXPECT_EQ(ChartCaption(12),
              "Market Swinging: Average BUY-SELL signal for Stock Basket ( 3  symbols )" + p);
    const float levels[] = {50, 50, 50, 50, 0, 0, 0};
    for (int k = 0; k < 7; ++k) {
        EXPECT_EQ(ChartLevel(6 + k, 1), levels[k]) << k;
        EXPECT_EQ(ChartLevel(6 + k, 2), kNoLevel) << k;
        EXPECT_EQ(Bits(ChartCurveVector(6 + k)), Bits(B + k)) << k;
    }
    EXPECT_EQ(RallyCount, 0);
    EXPECT_EQ(ChartStatusText(), "");
    EXPECT_FALSE(door_.hourglass);
    // The members' Model vectors hold their signals (stock 1's sells on every day); stock 4's,
    // out of the basket, stays empty.
    EXPECT_EQ(MainVectors->CoordGetSingle(MainVectors->ModelStart(), 60), -100.0f);
    EXPECT_EQ(std::abs(MainVectors->CoordGetSingle(MainVectors->ModelStart() + 1, 60)), 100.0f);
    EXPECT_TRUE(MainVectors->CoordGetSingleValue(MainVectors->ModelStart() + 3, 60).isEmpty());
}

TEST_F(MarketBehaviourCurvesTest, OneUsableMemberIsItsOwnAverage) {
    LoadWalks(3, 150, 5);
    Members({3});
    StockResults(2, 5) = 7.0f;
    AppendMarketBehaviourAndSwingingCurves(B, "");
    ASSERT_TRUE(BestSoFar.IsUsable());
    EXPECT_EQ(StockResults(2, 5), 0.0f);  // the stock results were emptied
    // The last member's vectors are still there: its smoothed gradient, change and signal.
    EXPECT_EQ(Bits(B + 4), Bits(B + 22));
    EXPECT_EQ(Bits(B + 6), Bits(B + 24));
    EXPECT_EQ(Bits(MainVectors->ModelStart() + 2), Bits(B + 24));
    for (long d = 1; d <= 150; ++d)
        ASSERT_EQ(MainVectors->CoordGetSingle(B + 5, d),
                  MainVectors->CoordGetSingle(B + 23, d) * 100.0f)
            << d;
    for (long s = 0; s < 4; ++s) EXPECT_EQ(Bits(B + s), Bits(B + 30 + s)) << s;
    // The behaviour states: 0 or 100, at most one of them 100 on a day, none before its
    // gradient points, and some day in each of at least two states.
    const long G = BestSoFar.GradientPoints.toInt16();
    long states = 0;
    for (long s = 0; s < 4; ++s) {
        bool seen = false;
        for (long d = 1; d <= 150; ++d) seen = seen || MainVectors->CoordGetSingle(B + s, d) > 0;
        states += seen ? 1 : 0;
    }
    EXPECT_GE(states, 2);
    for (long d = 1; d <= 150; ++d) {
        float sum = 0.0f;
        for (long s = 0; s < 4; ++s) {
            const float x = MainVectors->CoordGetSingle(B + s, d);
            ASSERT_TRUE(x == 0.0f || x == 100.0f) << d;
            sum += x;
        }
        ASSERT_LE(sum, 100.0f) << d;
        if (d < G) {
            ASSERT_EQ(sum, 0.0f) << d;
        }
    }
}

TEST_F(MarketBehaviourCurvesTest, NoMemberGivesSevenZeroCurves) {
    // Every search of loaded prices is usable (its top level trades nothing, for a profit of
    // 0), so only a basket without members leaves the averages at 0.
    LoadWalks(2, 60, 1);
    BasketCount = 4;  // the captions carry the count as it is, not the usable members
    for (long j = 0; j <= 6; ++j) MainVectors->CoordAllSetConst(B + j, 3.0f);
    AppendMarketBehaviourAndSwingingCurves(B, "");
    ASSERT_EQ(MainVectors->ChartCount(), 7);
    for (long k = 1; k <= 7; ++k)
        EXPECT_EQ(Bits(ChartCurveVector(k)), std::vector<std::uint32_t>(60, 0u)) << k;
    EXPECT_NE(ChartCaption(7).find("( 4  symbols )"), std::string::npos);
}

TEST_F(MarketBehaviourCurvesTest, ResultFileHasOneRowPerMember) {
    LoadWalks(4, 80, 9);
    Members({1, 2, 4});
    const std::string path = TempPath("behaviour.csv");
    AppendMarketBehaviourAndSwingingCurves(B, path);
    const auto lines = ReadTextLines(path);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0],
              "Item, Symbol, ProfitNetCompound, Rallies, GradientPoints, SmoothPoints, "
              "defCommission, defDiligence, FromTradingDay, ToTradingDay, Time");
    EXPECT_EQ(lines[1], " 1, S1, 0.00,  0,  8,  8, 0.50, 0.00,  1,  80, 6:05:01 PM");
    EXPECT_EQ(lines[2].substr(0, 7), " 2, S2,");
    EXPECT_EQ(lines[3].substr(0, 7), " 3, S4,");
    // The row buffer keeps the last member's row; a second run replaces the file.
    EXPECT_EQ(CsvValue(2), "S4");
    Members({3});
    BasketFlag(1) = BasketFlag(2) = BasketFlag(4) = 0;
    AppendMarketBehaviourAndSwingingCurves(B, path);
    EXPECT_EQ(ReadTextLines(path).size(), 2u);
}

TEST_F(MarketBehaviourCurvesTest, ASearchThatFailsLeavesNoWaitText) {
    LoadWalks(3, 60, 2);
    Members({2, 3});
    MainVectors->CoordSetValue(MainVectors->BufferStart() + 2, 30, Num(1e300));
    // As the program runs it: the command barrier shows the error and takes the wait text.
    door_.QueueMessageAnswer(MsgAnswer::OK);
    EXPECT_FALSE(RunCommand([] { AppendMarketBehaviourAndSwingingCurves(B, ""); }));
    EXPECT_NE(door_.CallsOf("message").back().text.find("Error: 6   Overflow"), std::string::npos);
    EXPECT_EQ(ChartStatusText(), "");
    EXPECT_FALSE(door_.hourglass);
}

TEST_F(MarketBehaviourCurvesTest, ThreadedSearchesAndBehaviourEqualTheLiteralRun) {
    LoadWalks(8, 140, 21);
    // A double cell in stock 6's history sends it the literal way.
    MainVectors->CoordSetValue(
        MainVectors->BufferStart() + 5, 100,
        Num(static_cast<double>(MainVectors->CoordGetSingle(MainVectors->BufferStart() + 5, 100))));
    // Stock 7's history ends early: empty cells; and a day of no volume.
    for (long d = 120; d <= 140; ++d)
        MainVectors->CoordSetValue(MainVectors->BufferStart() + 6, d, Num());
    VolumeVectors->CoordSetValue(VolumeVectors->BufferStart() + 6, 50, Num());
    // Stock 8 has no volume row: its pop leaves the volume vector as it was, so its behaviour
    // is computed at its turn.
    VolumeVectors->SetBufferCount(7);
    ChartFrom1 = Num(30);
    ChartTo1 = 130;
    defDiligence = 0.5f;
    // Everything the run leaves (cells in their kinds), and its file.
    auto run = [&](SearchRoadChoice road) {
        SearchRoad = road;
        SearchCounts = {};
        ClearChartCurves();
        MainVectors->CoordAllSetConst(B + 11, 2.0f);
        const std::string path = TempPath("run.csv");
        AppendMarketBehaviourAndSwingingCurves(B, path);
        std::vector<Num> cells;
        auto keep = [&](long v) {
            for (long d = 1; d <= MainVectors->TotalCoords(); ++d)
                cells.push_back(MainVectors->CoordGetSingleValue(v, d));
        };
        for (long v = B; v <= B + 37; ++v) keep(v);
        for (long i = 0; i < 8; ++i) keep(MainVectors->ModelStart() + i);
        for (long k = 1; k <= 7; ++k) keep(ChartCurveVector(k));
        return std::make_pair(cells, FileText(path));
    };
    auto expectSame = [](const auto& a, const auto& b, const std::string& what) {
        ASSERT_EQ(a.first.size(), b.first.size());
        size_t differing = 0, first = 0;
        for (size_t c = 0; c < a.first.size(); ++c)
            if (!identical(a.first[c], b.first[c]) && differing++ == 0) first = c;
        EXPECT_EQ(differing, 0u) << what << ": first differing cell " << first;
        EXPECT_EQ(a.second, b.second) << what;
    };
    // The last member's behaviour vectors come from its worker.
    Members({1, 2, 3, 5, 6, 7});
    const auto literal = run({true, 1});
    EXPECT_EQ(SearchCounts.followedUp, 0);
    for (unsigned threads : {1u, 4u}) {
        const auto fused = run({false, threads});
        EXPECT_EQ(SearchCounts.fused, 5) << threads;
        EXPECT_EQ(SearchCounts.literal, 1) << threads;
        EXPECT_EQ(SearchCounts.followedUp, 5) << threads;
        expectSame(literal, fused, std::to_string(threads) + " threads");
    }
    BasketFlag(8) = 1;
    BasketCount = 7;
    const auto literal8 = run({true, 1});
    const auto fused8 = run({false, 3});
    EXPECT_EQ(SearchCounts.followedUp, 5);
    expectSame(literal8, fused8, "stock 8 without volume");
}

}  // namespace
}  // namespace vel
