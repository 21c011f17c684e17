// Timing groups: the packed analysis against the plain passes on random signals (zeros, ties,
// every threshold), the group rules (seeds and ties, the cap of ten groups, the group below
// five that ends the analysis, the coefficient 1), the basket's timing curve, and the names of
// the report files.
#include <gtest/gtest.h>

#include <random>

#include "AnalysisFixture.h"
#include "ChartCurves.h"
#include "ReportFiles.h"
#include "StockResultsMatrix.h"
#include "TimingGroups.h"

namespace vel {
namespace {

class TimingGroupsTest : public testing::AnalysisFixture {
protected:
    void SetUp() override {
        AnalysisFixture::SetUp();
        ClearStockResultsMatrix();
    }
    void TearDown() override {
        SetTimingGroupThreads(0);
        AnalysisFixture::TearDown();
    }
    // `stocks` stocks of `days` days, every price 10.
    void Load(long stocks, long days) {
        LoadPrices(days, std::vector<std::vector<float>>(static_cast<size_t>(stocks),
                                                         std::vector<float>(days, 10.0f)));
    }
    // Stock i becomes a candidate (a positive CompoundNetProfitIT) with the signal.
    static void Candidate(long i, const std::vector<float>& signal) {
        StockResults(i, col::CompoundNetProfitIT) = 1.0f + static_cast<float>(i);
        SetVector(MainVectors->ModelStart() + i - 1, signal);
    }
    static std::vector<float> RandomSignal(std::mt19937& gen, long days) {
        std::vector<float> s(static_cast<size_t>(days));
        for (auto& v : s) v = gen() % 2 ? 100.0f : -100.0f;
        return s;
    }
    // The group numbers of the candidates' items (0: in no group), by item number 1..stocks.
    static std::vector<int> GroupOfItem(long stocks) {
        std::vector<int> group(static_cast<size_t>(stocks) + 1, 0);
        for (std::int16_t g = 1; g <= TimingGroupCount; ++g)
            for (long item : TimingGroupMembers(g)) group[static_cast<size_t>(item)] = g;
        return group;
    }
};

TEST_F(TimingGroupsTest, PackedAnalysisEqualsThePlainPassesOnRandomSignals) {
    const float thresholds[] = {0.5f, 0.0f, 0.8f, 1.0f, -0.3f, 0.35f};
    long groups = 0;
    for (unsigned seed = 1; seed <= 24; ++seed) {
        std::mt19937 gen(seed);
        const long stocks = 20 + static_cast<long>(gen() % 130);
        const long days = 30 + static_cast<long>(gen() % 140);
        Load(stocks, days);
        ClearStockResultsMatrix();
        // A few prototypes; every candidate is one of them with some days flipped or 0.
        std::vector<std::vector<float>> prototypes;
        for (int p = 0; p < 4; ++p) prototypes.push_back(RandomSignal(gen, days));
        for (long i = 1; i <= stocks; ++i) {
            if (gen() % 5 == 0) {
                StockResults(i, col::CompoundNetProfitIT) = gen() % 2 ? 0.0f : -3.0f;
                continue;
            }
            std::vector<float> s = prototypes[gen() % 4];
            for (auto& v : s) {
                const unsigned r = gen() % 100;
                if (r < 6)
                    v = -v;
                else if (r < 8)
                    v = 0.0f;
                else if (r < 9)
                    v = v / 3.0f;
            }
            Candidate(i, s);
        }
        const float c = thresholds[seed % 6];
        const auto from = static_cast<std::int16_t>(1 + gen() % 10);
        const auto to = static_cast<std::int16_t>(days - static_cast<long>(gen() % 10));
        SetTimingGroupThreads(1 + seed % 4);

        CalcTimingGroupsPlain(c, from, to);
        const auto plainResults = StockResults;
        const TimingGroupState plainCounts = TimingGroups;
        const int plainBeeps = door_.Beeps();
        ClearStockResultsMatrix();
        for (long i = 1; i <= stocks; ++i)
            StockResults(i, col::CompoundNetProfitIT) = plainResults(i, col::CompoundNetProfitIT);
        TimingGroups = {};
        CalcTimingGroups(c, from, to);
        ASSERT_EQ(TimingGroups, plainCounts) << "seed " << seed;
        ASSERT_TRUE(StockResults == plainResults) << "seed " << seed;
        EXPECT_EQ(door_.Beeps(), plainBeeps + 1);
        EXPECT_EQ(ChartStatusText(), "");
        groups += TimingGroupCount;
    }
    EXPECT_GT(groups, 24);
}

TEST_F(TimingGroupsTest, TenGroupsAtMostAndTheFirstOfEqualSeedsWins) {
    // Twelve clusters of five identical random signals: items 5c + 1 .. 5c + 5, cluster c.
    std::mt19937 gen(7);
    Load(60, 200);
    for (long c = 0; c < 12; ++c) {
        const std::vector<float> s = RandomSignal(gen, 200);
        for (long m = 1; m <= 5; ++m) Candidate(5 * c + m, s);
    }
    CalcTimingGroups(0.9f, 1, 200);
    EXPECT_EQ(TimingCandidateCount, 60);
    ASSERT_EQ(TimingGroupCount, 10);
    for (std::int16_t g = 1; g <= 10; ++g) {
        // Every cluster counts five partners, so the first unassigned candidate seeds.
        EXPECT_EQ(StockResults(g, col::GroupSeedCandidate), 5.0f * (g - 1) + 1) << g;
        EXPECT_EQ(StockResults(g, col::GroupMemberCount), 5.0f);
        EXPECT_EQ(TimingGroupMembers(g),
                  (std::vector<long>{5 * (g - 1) + 1, 5 * (g - 1) + 2, 5 * (g - 1) + 3,
                                     5 * (g - 1) + 4, 5 * (g - 1) + 5}));
    }
    for (long k = 51; k <= 60; ++k) {
        EXPECT_EQ(StockResults(k, col::CandidateGroupSeed), -1.0f);
        EXPECT_EQ(StockResults(k, col::CandidatePartnerCount), 5.0f);
    }
}

TEST_F(TimingGroupsTest, AGroupBelowFiveIsKeptAndEndsTheAnalysis) {
    // Clusters of 4, 6, 3 and 5 members (in item order), and two stocks that are no candidates.
    std::mt19937 gen(11);
    Load(20, 120);
    const long sizes[] = {4, 6, 3, 5};
    long item = 1;
    for (long size : sizes) {
        const std::vector<float> s = RandomSignal(gen, 120);
        for (long m = 0; m < size; ++m) Candidate(item++, s);
    }
    StockResults(19, col::CompoundNetProfitIT) = 0.0f;
    StockResults(20, col::CompoundNetProfitIT) = -5.0f;
    CalcTimingGroups(0.9f, 1, 120);
    EXPECT_EQ(TimingCandidateCount, 18);
    EXPECT_EQ(StockResults(18, col::RallyCountA), 18.0f);
    ASSERT_EQ(TimingGroupCount, 3);
    EXPECT_EQ(StockResults(1, col::GroupMemberCount), 6.0f);
    EXPECT_EQ(StockResults(2, col::GroupMemberCount), 5.0f);
    EXPECT_EQ(StockResults(3, col::GroupMemberCount), 4.0f);
    EXPECT_EQ(StockResults(1, col::GroupSeedCandidate), 5.0f);
    EXPECT_EQ(StockResults(2, col::GroupSeedCandidate), 14.0f);
    EXPECT_EQ(StockResults(3, col::GroupSeedCandidate), 1.0f);
    const std::vector<int> group = GroupOfItem(20);
    EXPECT_EQ(group,
              (std::vector<int>{0, 3, 3, 3, 3, 1, 1, 1, 1, 1, 1, 0, 0, 0, 2, 2, 2, 2, 2, 0, 0}));
    EXPECT_EQ(door_.Beeps(), 1);
}

TEST_F(TimingGroupsTest, CoefficientOneNeedsTheSameSignOnEveryDay) {
    std::mt19937 gen(5);
    Load(8, 60);
    const std::vector<float> s = RandomSignal(gen, 60);
    for (long i = 1; i <= 6; ++i) Candidate(i, s);
    std::vector<float> withZero = s;
    withZero[30] = 0.0f;
    Candidate(7, withZero);  // not even correlated with itself at 1
    std::vector<float> smaller = s;
    for (auto& v : smaller) v /= 100.0f;
    Candidate(8, smaller);  // the same signs: it belongs
    CalcTimingGroups(1.0f, 1, 60);
    ASSERT_EQ(TimingGroupCount, 1);
    EXPECT_EQ(TimingGroupMembers(1), (std::vector<long>{1, 2, 3, 4, 5, 6, 8}));
    EXPECT_EQ(StockResults(7, col::CandidateGroupSeed), -1.0f);
    // Outside the zero day's window it agrees everywhere again.
    ClearStockResultsMatrix();
    for (long i = 1; i <= 8; ++i) StockResults(i, col::CompoundNetProfitIT) = 1.0f;
    CalcTimingGroups(1.0f, 1, 30);
    EXPECT_EQ(TimingGroupMembers(1).size(), 8u);
}

TEST_F(TimingGroupsTest, NoCandidateGivesNoGroup) {
    Load(5, 30);
    CalcTimingGroups(0.5f, 1, 30);
    EXPECT_EQ(TimingCandidateCount, 0);
    EXPECT_EQ(TimingGroupCount, 0);
}

TEST_F(TimingGroupsTest, BasketTimingCurveAveragesTheMembersModelSignals) {
    Load(4, 10);
    SetVector(MainVectors->ModelStart(), std::vector<float>(10, 100.0f));
    SetVector(MainVectors->ModelStart() + 2, std::vector<float>(10, -50.0f));
    SetVector(MainVectors->ModelStart() + 3, std::vector<float>(10, 7.0f));
    BasketFlag(1) = 1;
    BasketFlag(3) = 1;
    BasketFlag(4) = 11;  // a transient mark is no member
    AppendBasketTimingCurve(10);
    ASSERT_EQ(MainVectors->ChartCount(), 1);
    EXPECT_EQ(ChartCaption(1), "Timing curve for Stock Basket ( 2 symbols )");
    EXPECT_EQ(ChartLevel(1, 1), 0.0f);
    EXPECT_EQ(ChartLevel(1, 2), kNoLevel);
    EXPECT_EQ(MainVectors->CoordGetSingle(ChartCurveVector(1), 5), 25.0f);

    BasketFlag(1) = BasketFlag(3) = BasketFlag(4) = 0;
    AppendBasketTimingCurve(10);
    EXPECT_EQ(ChartCaption(2), "Timing curve for Stock Basket ( 0 symbols )");
    EXPECT_EQ(MainVectors->CoordGetSingle(ChartCurveVector(2), 5), 0.0f);
}

TEST_F(TimingGroupsTest, ReportFilesAreNamedByRunLetterAndReportNumber) {
    ResultsFolderPath = "/data/RESULTS/";
    EXPECT_EQ(ReportKey(ReportNumber::MarketTiming), "mcmd1");
    EXPECT_EQ(ReportFilePrefix(ReportNumber::MarketSwingingPlus), "/data/RESULTS/mcmd4");
    AutoRunMode = 1;
    EXPECT_EQ(ReportKey(ReportNumber::MarketSpecialSwinging), "acmd5");
    EXPECT_EQ(ReportKey(ReportNumber::GeneralTrading), "acmd7");
    AutoRunMode = 2;  // anything but 1 is manual use
    EXPECT_EQ(ReportKey(ReportNumber::MarketTimingPlus), "mcmd2");
    EXPECT_EQ(GroupNumberText(1), "0001");
    EXPECT_EQ(GroupNumberText(10), "0010");
}

}  // namespace
}  // namespace vel
