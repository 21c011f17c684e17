// The signal walk: the cases that define it, the raw walk and the fused walk with pricing
// against the program's walk on random signals, the way back to a signal, and the inversion.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "AnalysisFixture.h"
#include "RallyProfit.h"
#include "SignalWalk.h"

namespace vel {
namespace {

using testing::RallyList;

class SignalWalkTest : public testing::AnalysisFixture {
protected:
    static constexpr long kSignal = 5;  // a Work vector

    // Walks the values (from day 1, 0 after them) over the window from..to, clear flag off.
    RallyList Walk(const std::vector<float>& values, long from, long to) {
        MainVectors->CoordAllSetConst(kSignal, 0.0f);
        SetVector(kSignal, values);
        ShowDays(from, to);
        SignalVectorToTradingLog(kSignal, false);
        return Rallies();
    }
};

TEST_F(SignalWalkTest, RalliesFollowTheSignsOfTheShownDays) {
    LoadPrices(20, {});
    // Positive on every shown day: one open rally.
    EXPECT_EQ(Walk(std::vector<float>(20, 1.0f), 3, 12), (RallyList{{3, 13}}));
    // +1 -1 +1 -1 from the first shown day.
    EXPECT_EQ(Walk({0, 0, 1, -1, 1, -1, 0, 0}, 3, 12), (RallyList{{3, 4}, {5, 6}}));
    // Negative, then zeros: nothing.
    EXPECT_EQ(Walk({-1, 0, 0, 0, 0, 0}, 1, 6), RallyList{});
    // Positive, zeros, negative: the zeros do nothing.
    EXPECT_EQ(Walk({0, 2, 0, 0, -3, 0}, 1, 6), (RallyList{{2, 5}}));
    // A sell day cannot buy again; repeated signs change nothing.
    EXPECT_EQ(Walk({1, 1, -1, -1, 1, 0, 1, -1}, 1, 8), (RallyList{{1, 3}, {5, 8}}));
    // Days outside the window do not act.
    EXPECT_EQ(Walk({1, -1, 1, 1, 1, -1}, 3, 5), (RallyList{{3, 6}}));
    // An empty window.
    EXPECT_EQ(Walk({1, -1, 1, -1}, 4, 3), RallyList{});
}

TEST_F(SignalWalkTest, ClearFlagRunsTheClearCommandAndRefreshesTheCaptions) {
    LoadPrices(10, {});
    SetRallies({{1, 2}});
    SetVector(kSignal, {1, -1});
    SignalVectorToTradingLog(kSignal, false);
    EXPECT_EQ(Rallies(), (RallyList{{1, 2}}));
    EXPECT_EQ(view_.captionRefreshes, 0);
    EXPECT_EQ(door_.yields, 0);

    SignalVectorToTradingLog(kSignal, true);
    EXPECT_EQ(view_.captionRefreshes, 2);  // the clear's and the walk's own
    EXPECT_GT(door_.yields, 0);

    // With no rally found the walk adds no refresh of its own.
    SetVector(kSignal, std::vector<float>(10, 0.0f));
    SignalVectorToTradingLog(kSignal, true);
    EXPECT_EQ(view_.captionRefreshes, 3);
    EXPECT_EQ(RallyCount, 0);
}

// Random signals with runs, zeros, -0 and NaN; random windows.
TEST_F(SignalWalkTest, RawWalkAndFusedPricingAgreeWithTheProgramsWalk) {
    constexpr long kDays = 700;
    std::mt19937 gen(7);
    std::vector<float> price(kDays);
    std::uniform_real_distribution<float> level(0.5f, 80.0f);
    for (auto& p : price) p = level(gen);
    price[10] = 0.0f;  // a zero buy price
    price[20] = -3.0f;
    LoadPrices(kDays, {price});
    const float specials[] = {0.0f, -0.0f, std::numeric_limits<float>::quiet_NaN(), 1e-30f,
                              -1e-30f};
    for (int trial = 0; trial < 400; ++trial) {
        std::vector<float> signal(kDays);
        const int runLength = 1 + trial % 40;
        float value = 1.0f;
        for (long d = 0; d < kDays; ++d) {
            if (gen() % runLength == 0) value = static_cast<float>(static_cast<int>(gen() % 7) - 3);
            signal[static_cast<size_t>(d)] = gen() % 17 == 0 ? specials[gen() % 5] : value;
        }
        const long from = 1 + static_cast<long>(gen() % 150);
        const long to =
            trial % 5 == 0 ? kDays : from - 1 + static_cast<long>(gen() % (kDays - from + 1));
        defCommission = trial % 3 == 0 ? 0.0f : 0.25f * static_cast<float>(trial % 7);
        SetVector(kSignal, signal);
        ShowDays(from, to);
        SignalVectorToTradingLog(kSignal, false);
        const float expected = CalcPositionsCompoundProfit(PriceVector(1));

        RallyLog log;
        log.Append(99, 98);  // a log with old content is replaced
        WalkSignalRow(signal.data(), kDays, from, to, log);
        ASSERT_TRUE(SameRallies(log, TradingLog)) << "trial " << trial;
        RallyLog fused;
        const float profit =
            WalkAndPrice(signal.data(), price.data(), kDays, from, to, defCommission, fused);
        ASSERT_TRUE(SameRallies(fused, TradingLog)) << "trial " << trial;
        ASSERT_EQ(std::bit_cast<std::uint32_t>(profit), std::bit_cast<std::uint32_t>(expected))
            << "trial " << trial << ": " << profit << " != " << expected;
        ASSERT_EQ(PriceRallies(log, price.data(), kDays, to, defCommission), expected);
    }
}

TEST_F(SignalWalkTest, A2001stRallyRaisesInEveryWalk) {
    constexpr long kDays = 4004;
    std::vector<float> signal(kDays);
    for (long d = 0; d < kDays; ++d) signal[static_cast<size_t>(d)] = d % 2 == 0 ? 1.0f : -1.0f;
    LoadPrices(kDays, {std::vector<float>(kDays, 10.0f)});
    SetVector(kSignal, signal);
    EXPECT_THROW(SignalVectorToTradingLog(kSignal, false), SubscriptRangeError);
    EXPECT_EQ(RallyCount, kMaxRallies);
    RallyLog log;
    EXPECT_THROW(WalkSignalRow(signal.data(), kDays, 1, kDays, log), SubscriptRangeError);
    EXPECT_TRUE(SameRallies(log, TradingLog));
    const std::vector<float> price(kDays, 10.0f);
    EXPECT_THROW(WalkAndPrice(signal.data(), price.data(), kDays, 1, kDays, 0.5f, log),
                 SubscriptRangeError);
}

TEST_F(SignalWalkTest, RawWalkRefusesAWindowOutsideItsRowBeforeChangingTheLog) {
    const std::vector<float> signal(10, 1.0f);
    RallyLog log;
    log.Append(2, 3);
    EXPECT_THROW(WalkSignalRow(signal.data(), 10, 0, 5, log), SubscriptRangeError);
    EXPECT_THROW(WalkSignalRow(signal.data(), 10, 5, 11, log), SubscriptRangeError);
    EXPECT_EQ(RalliesOf(log), (RallyList{{2, 3}}));
    WalkSignalRow(signal.data(), 10, 11, 10, log);  // an empty window anywhere
    EXPECT_EQ(log.count, 0);
}

TEST_F(SignalWalkTest, RalliesBecomeASignalWithTheSellDayOutside) {
    LoadPrices(12, {});
    ShowDays(1, 10);
    SetRallies({{2, 4}, {7, 11}});
    TradingLogToSignalVector(kSignal, -100, 100);
    std::vector<float> got;
    for (long d = 1; d <= 12; ++d) got.push_back(MainVectors->CoordGetSingle(kSignal, d));
    EXPECT_EQ(got, (std::vector<float>{-100, 100, 100, -100, -100, -100, 100, 100, 100, 100, -100,
                                       -100}));
}

TEST_F(SignalWalkTest, InversionGivesTheGapsInsideTheWindow) {
    LoadPrices(30, {});
    ShowDays(5, 20);
    InvertTradingLog(1);
    EXPECT_EQ(Rallies(), (RallyList{{5, 21}}));

    SetRallies({{8, 12}});
    InvertTradingLog(1);
    EXPECT_EQ(Rallies(), (RallyList{{5, 8}, {12, 21}}));
    EXPECT_EQ(MainVectors->CoordGetSingle(1, 4), -100.0f);  // outside the window
    EXPECT_EQ(MainVectors->CoordGetSingle(1, 9), -100.0f);  // inside the old rally
    EXPECT_EQ(MainVectors->CoordGetSingle(1, 12), 100.0f);
    EXPECT_EQ(MainVectors->CoordGetSingle(1, 21), -100.0f);

    // A rally that covers the window's start: the first gap starts at its sell day.
    SetRallies({{2, 9}, {15, 21}});
    InvertTradingLog(1);
    EXPECT_EQ(Rallies(), (RallyList{{9, 15}}));
}

}  // namespace
}  // namespace vel
