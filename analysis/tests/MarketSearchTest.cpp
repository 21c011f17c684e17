// The per-stock timing and swinging searches: the grids, the trial counts, the tie order, and
// the fused search against the literal one (record, vectors with their cell kinds, the whole
// trading log table) on random prices, zeros, empty cells, flat prices and rows the fused road
// must hand to the literal one.
#include <gtest/gtest.h>

#include <cmath>
#include <future>
#include <random>

#include "AnalysisFixture.h"
#include "EndsInTime.h"
#include "Hooks.h"
#include "MemberSearches.h"
#include "SwingingSearch.h"
#include "TimingSearch.h"
#include "TradingMethods.h"
#include "TradingResults.h"
#include "WorkerPool.h"

namespace vel {
namespace {

long g_yields = 0;

// Every cell of vectors first..last (the spare coordinates too).
std::vector<Num> Cells(long first, long last) {
    std::vector<Num> cells;
    for (long v = first; v <= last; ++v)
        for (long c = 1; c <= MainVectors->TotalCoords(); ++c)
            cells.push_back(MainVectors->CoordGetSingleValue(v, c));
    return cells;
}

// The first cell where two snapshots differ in kind or value, as text; "" when identical.
std::string FirstDifference(const std::vector<Num>& a, const std::vector<Num>& b) {
    if (a.size() != b.size()) return "sizes differ";
    for (size_t i = 0; i < a.size(); ++i)
        if (!identical(a[i], b[i]))
            return "cell " + std::to_string(i) + ": " + a[i].toString() + " (kind " +
                   std::to_string(static_cast<int>(a[i].kind())) + ") vs " + b[i].toString() +
                   " (kind " + std::to_string(static_cast<int>(b[i].kind())) + ")";
    return "";
}

bool SameRecord(const BestTrialRecord& a, const BestTrialRecord& b) {
    return identical(a.CompoundProfit, b.CompoundProfit) && a.Rallies == b.Rallies &&
           identical(a.GradientPoints, b.GradientPoints) && a.SmoothPoints == b.SmoothPoints &&
           identical(a.OptimalLowLevel, b.OptimalLowLevel) &&
           identical(a.OptimalHighLevel, b.OptimalHighLevel) &&
           a.OptimalPriceDeclineLevel == b.OptimalPriceDeclineLevel;
}

// A random walk of `days` prices from 50 with daily steps of about `volatility`.
std::vector<float> RandomWalk(std::uint32_t seed, long days, double volatility = 0.03) {
    std::mt19937 gen(seed);
    std::normal_distribution<double> step(0.001, volatility);
    std::vector<float> p;
    double x = 50.0;
    for (long d = 0; d < days; ++d) {
        x *= 1.0 + step(gen);
        p.push_back(static_cast<float>(x));
    }
    return p;
}

class MarketSearchTest : public testing::AnalysisFixture {
protected:
    void TearDown() override {
        SearchRoad = SearchRoadChoice{};
        FusedTrialThreadCount = 0;
        SetYieldHook(nullptr);
        AnalysisFixture::TearDown();
    }

    // What a search leaves behind.
    struct Left {
        BestTrialRecord record;
        std::vector<Num> vectors;
        RallyLog log;
    };

    // A fixed state before each road: a record and a log left by some earlier search.
    static void Prepare(long base) {
        BestSoFar.CompoundProfit = Num(12.5f);
        BestSoFar.Rallies = 3.0f;
        BestSoFar.GradientPoints = Num(20);
        BestSoFar.SmoothPoints = 20.0f;
        BestSoFar.OptimalLowLevel = Num(-0.75);
        BestSoFar.OptimalHighLevel = Num(0.5);
        BestSoFar.OptimalPriceDeclineLevel = 7.0f;
        TradingLog.Erase();
        for (long r = 1; r <= 40; ++r) TradingLog.Append(1000 + r, 2000 + r);
        RallyCount = 2;
        for (long v = base; v <= base + 4; ++v) MainVectors->CoordAllSetConstPlus(v, 9.0f);
    }
    static Left Run(SearchFamily family, long price, long base, bool literal) {
        Prepare(base);
        SearchRoad.literal = literal;
        if (literal)
            RunLiteralSearch(family, price, base);
        else if (family == SearchFamily::Timing)
            CalcIndividualStockTiming(price, base);
        else if (family == SearchFamily::Swinging)
            CalcIndividualStockSwinging(price, base);
        else
            CalcIndividualStockSpecialSwinging(price, base);
        SearchRoad.literal = false;
        return {BestSoFar, Cells(base, base + 4), TradingLog};
    }
    // The fused search leaves exactly what the literal one leaves.
    static void ExpectSameRoads(SearchFamily family, long price, long base,
                                const std::string& what) {
        SCOPED_TRACE(what);
        const Left literal = Run(family, price, base, true);
        const Left fused = Run(family, price, base, false);
        EXPECT_TRUE(SameRecord(literal.record, fused.record))
            << literal.record.CompoundProfit.toString() << " vs "
            << fused.record.CompoundProfit.toString();
        EXPECT_EQ(FirstDifference(literal.vectors, fused.vectors), "");
        EXPECT_TRUE(literal.log == fused.log) << "trading log tables differ";
    }
};

TEST_F(MarketSearchTest, TimingGridsFollowTheDiligence) {
    const TimingGrid g0 = MakeTimingGrid(0.0f);
    EXPECT_EQ(g0.R, 7.0);
    EXPECT_EQ(g0.N, 7);
    EXPECT_EQ(g0.levelSteps, 7);
    EXPECT_EQ(22 * g0.TrialsPerGradient(), 11264);
    const TimingGrid g5 = MakeTimingGrid(0.5f);
    EXPECT_EQ(g5.R, 8.75);
    EXPECT_EQ(g5.N, 9);
    EXPECT_EQ(g5.levelSteps, 8);
    EXPECT_EQ(22 * g5.TrialsPerGradient(), 22 * 10 * 9 * 9);
    const TimingGrid g1 = MakeTimingGrid(1.0f);
    EXPECT_EQ(g1.R, 10.5);
    EXPECT_EQ(g1.N, 10);  // 10.5 rounds to the even 10
    EXPECT_EQ(22 * g1.TrialsPerGradient(), 29282);
    // A diligence outside 0..1 is clamped where the grid is built.
    EXPECT_EQ(MakeTimingGrid(-3.0f).N, 7);
    EXPECT_EQ(MakeTimingGrid(7.0f).N, 10);
    EXPECT_EQ(MakeTimingGrid(std::nanf("")).N, 7);

    EXPECT_EQ(SwingingLevelSteps(0.0f), 100);
    EXPECT_EQ(SwingingLevelSteps(0.5f), 150);
    EXPECT_EQ(SwingingLevelSteps(1.0f), 200);
    EXPECT_EQ(SwingingLevelSteps(0.125f), 112);  // 112.5 rounds to the even 112
    EXPECT_EQ(SwingingLevelSteps(-1.0f), 100);
    EXPECT_EQ(SwingingLevelSteps(9.0f), 200);
}

TEST_F(MarketSearchTest, GridLevelsRunFromNearZeroToTheBounds) {
    // Diligence 0: R = 7 is whole, so the outermost levels reach the bounds.
    const TimingGrid g0 = MakeTimingGrid(0.0f);
    const TimingLevels lv = MakeTimingLevels(g0, 1.0f, 2.0f, -1.0f, -1.5f);
    EXPECT_EQ(lv.topH, 3.0f);      // 1 + 2 * (2 - 1)
    EXPECT_EQ(lv.bottomL, -2.0f);  // -1 + 2 * (-0.5) = -2
    ASSERT_EQ(lv.low.size(), 8u);
    EXPECT_LT(lv.low.front(), 0.0);
    EXPECT_GT(lv.low.front(), -0.5);
    EXPECT_NEAR(lv.low.back(), -2.0, 1e-5);
    EXPECT_GT(lv.high.front(), 0.0);
    EXPECT_NEAR(lv.high.back(), 3.0, 1e-5);
    ASSERT_EQ(lv.decline.size(), 8u);
    EXPECT_NEAR(lv.decline.front(), std::pow(30.0, 2.0 / 9.0), 1e-5);
    EXPECT_NEAR(lv.decline.back(), 30.0, 1e-4);
    for (size_t k = 1; k < lv.low.size(); ++k) {
        EXPECT_LT(lv.low[k], lv.low[k - 1]);
        EXPECT_GT(lv.high[k], lv.high[k - 1]);
        EXPECT_GT(lv.decline[k], lv.decline[k - 1]);
    }
    // Diligence 0.5: nine levels from R = 8.75 stop short of the bounds; ten decline steps.
    const TimingLevels half = MakeTimingLevels(MakeTimingGrid(0.5f), 1.0f, 2.0f, -1.0f, -1.5f);
    ASSERT_EQ(half.low.size(), 9u);
    ASSERT_EQ(half.decline.size(), 10u);
    EXPECT_GT(half.low.back(), -1.95);
    EXPECT_LT(half.high.back(), 2.9);
    EXPECT_NEAR(half.decline.back(), 30.0, 1e-4);
    // No trend value above (below) the tiny threshold: the bounds 2 and -2.
    const TimingLevels none = MakeTimingLevels(g0, 0.0f, 0.000001f, 0.0f, 0.0f);
    EXPECT_EQ(none.topH, 2.0f);
    EXPECT_EQ(none.bottomL, -2.0f);

    // The swinging grid: the first level is the minimum itself, the last reaches the maximum.
    EXPECT_EQ(SwingingLevel(-1.3f, 2.7f, 0, 100), -1.3f);
    EXPECT_NEAR(SwingingLevel(-1.3f, 2.7f, 100, 100), 2.7f, 1e-6);
    EXPECT_NEAR(SwingingLevel(-1.3f, 2.7f, 50, 100), 0.7f, 1e-6);
}

TEST_F(MarketSearchTest, LiteralSearchesYieldOncePerTrial) {
    // The count of yields less the kernels' one per computed day is the count of trials.
    LoadPrices(40, {RandomWalk(3, 40)});
    ShowDays(11, 40);
    const long dim = 40, kernelDays = 40;  // derivatives on days max(1, 11 - 100)..40
    SetYieldHook([] { ++g_yields; });
    struct Case {
        SearchFamily family;
        float diligence;
        long trials;
        long kernelYieldsPerGradient;
    } cases[] = {
        {SearchFamily::Timing, 0.0f, 11264, kernelDays + dim},
        {SearchFamily::Timing, 0.5f, 17820, kernelDays + dim},
        {SearchFamily::Swinging, 0.0f, 2222, 2 * kernelDays + dim},
        {SearchFamily::Swinging, 1.0f, 4422, 2 * kernelDays + dim},
        {SearchFamily::SpecialSwinging, 0.0f, 3939, 0},
        {SearchFamily::SpecialSwinging, 0.5f, 5889, 0},
    };
    for (const Case& c : cases) {
        defDiligence = c.diligence;
        g_yields = 0;
        RunLiteralSearch(c.family, PriceVector(1), 20);
        // The rebuild of a usable best trial runs the kernels once more.
        const long gradients = c.family == SearchFamily::SpecialSwinging ? 39 : 22;
        const long rebuild = BestSoFar.IsUsable() ? c.kernelYieldsPerGradient : 0;
        EXPECT_EQ(g_yields - gradients * c.kernelYieldsPerGradient - rebuild, c.trials)
            << static_cast<int>(c.family) << " at diligence " << c.diligence;
    }
}

TEST_F(MarketSearchTest, FlatPricesKeepTheFirstTrial) {
    // Without commission every trial of a flat price earns 0: the first trial stays the best.
    LoadPrices(60, {std::vector<float>(60, 25.0f)});
    defCommission = 0.0f;
    for (bool literal : {true, false}) {
        SearchRoad.literal = literal;
        CalcIndividualStockTiming(PriceVector(1), 10);
        const TimingLevels lv = MakeTimingLevels(MakeTimingGrid(0.0f), 0, 0, 0, 0);
        EXPECT_EQ(BestSoFar.CompoundProfit.toDouble(), 0.0);
        EXPECT_EQ(BestSoFar.Rallies, 0.0f);
        EXPECT_EQ(BestSoFar.GradientPoints.toDouble(), 8.0);
        EXPECT_EQ(BestSoFar.SmoothPoints, 8.0f);
        EXPECT_EQ(BestSoFar.OptimalLowLevel.toDouble(), lv.low.front());
        EXPECT_EQ(BestSoFar.OptimalHighLevel.toDouble(), lv.high.front());
        EXPECT_EQ(BestSoFar.OptimalPriceDeclineLevel, lv.decline.front());

        CalcIndividualStockSwinging(PriceVector(1), 20);
        EXPECT_EQ(BestSoFar.GradientPoints.toDouble(), 8.0);
        // The first level is the minimum of the window's gradient change (nearly 0).
        EXPECT_NEAR(BestSoFar.OptimalHighLevel.toDouble(), 0.0, 1e-6);
        CalcIndividualStockSpecialSwinging(PriceVector(1), 20);
        EXPECT_EQ(BestSoFar.GradientPoints.toDouble(), 2.0);
        EXPECT_EQ(BestSoFar.SmoothPoints, 0.0f);
        EXPECT_EQ(BestSoFar.OptimalHighLevel.toDouble(), 0.0);
    }
}

TEST_F(MarketSearchTest, FusedSearchesLeaveWhatTheLiteralOnesLeave) {
    const long days = 90;
    std::vector<std::vector<float>> rows;
    for (std::uint32_t seed = 1; seed <= 3; ++seed) rows.push_back(RandomWalk(seed, days));
    // Zero prices inside, and a history that ends early (empty cells).
    std::vector<float> gaps = RandomWalk(11, days, 0.05);
    for (long d : {5, 40, 41, 77}) gaps[static_cast<size_t>(d)] = 0.0f;
    rows.push_back(gaps);
    rows.push_back(RandomWalk(12, 70));
    // Flat stretches, where many trials tie and levels are hit exactly.
    std::vector<float> steps;
    for (long d = 0; d < days; ++d) steps.push_back(static_cast<float>(20 + (d / 9) % 4));
    rows.push_back(steps);
    // A row with a whole-number cell goes the literal way, with the same result.
    rows.push_back(RandomWalk(13, days));
    LoadPrices(days, rows);
    MainVectors->CoordSetValue(PriceVector(7), 30, Num(44));

    SearchCounts = {};
    const std::pair<long, long> windows[] = {{1, days}, {35, 80}, {90, 90}, {60, 61}};
    for (auto window : windows) {
        ShowDays(window.first, window.second);
        for (long i = 1; i <= static_cast<long>(rows.size()); ++i) {
            const std::string what = "stock " + std::to_string(i) + " days " +
                                     std::to_string(window.first) + ".." +
                                     std::to_string(window.second);
            defDiligence = 0.0f;
            ExpectSameRoads(SearchFamily::Timing, PriceVector(i), 10, "timing " + what);
            ExpectSameRoads(SearchFamily::Swinging, PriceVector(i), 20, "swinging " + what);
            ExpectSameRoads(SearchFamily::SpecialSwinging, PriceVector(i), 20, "special " + what);
        }
    }
    // On the program's road stock 7 went the literal way, the others the fused one.
    EXPECT_EQ(SearchCounts.fused, 4 * 3 * 6);
    EXPECT_EQ(SearchCounts.literal, 4 * 3);
    // Another diligence and commission on one stock.
    ShowDays(1, days);
    defDiligence = 0.5f;
    defCommission = 0.0f;
    ExpectSameRoads(SearchFamily::Timing, PriceVector(2), 2, "timing at diligence 0.5");
    ExpectSameRoads(SearchFamily::Swinging, PriceVector(2), 2, "swinging at diligence 0.5");
    ExpectSameRoads(SearchFamily::SpecialSwinging, PriceVector(2), 2, "special at diligence 0.5");
}

TEST_F(MarketSearchTest, FusedSearchesAgreeOnRandomHistoriesWindowsAndParameters) {
    std::mt19937 gen(2024);
    auto uniform = [&](long lo, long hi) {
        return std::uniform_int_distribution<long>(lo, hi)(gen);
    };
    for (int round = 0; round < 16; ++round) {
        const long days = uniform(20, 140);
        std::vector<float> p = RandomWalk(static_cast<std::uint32_t>(100 + round), days,
                                          0.005 * static_cast<double>(uniform(1, 12)));
        // Now and then zeros, a flat stretch or a history that ends early.
        if (uniform(0, 2) == 0) p[static_cast<size_t>(uniform(0, days - 1))] = 0.0f;
        if (uniform(0, 2) == 0)
            for (long d = uniform(0, days / 2); d < days / 2 + 5 && d < days; ++d)
                p[static_cast<size_t>(d)] = 17.0f;
        if (uniform(0, 3) == 0) p.resize(static_cast<size_t>(uniform(days / 2, days)));
        LoadPrices(days, {p});
        const long from = uniform(1, days);
        ShowDays(from, uniform(from, days));
        defDiligence = static_cast<float>(uniform(0, 4)) / 4.0f;
        defCommission = static_cast<float>(uniform(0, 8)) / 8.0f;
        const std::string what = "round " + std::to_string(round);
        ExpectSameRoads(SearchFamily::Timing, PriceVector(1), 10, "timing " + what);
        ExpectSameRoads(SearchFamily::Swinging, PriceVector(1), 20, "swinging " + what);
        ExpectSameRoads(SearchFamily::SpecialSwinging, PriceVector(1), 20, "special " + what);
    }
}

TEST_F(MarketSearchTest, ABasketLoopMaySearchItsOwnCopyOfThePrices) {
    // As a basket loop that copies each member's prices into vector 30 and searches the copy:
    // the workers read the stocks' own rows ahead. Stock 3's copy is changed on its turn, so it
    // goes the literal way on the copy.
    std::vector<std::vector<float>> rows;
    for (std::uint32_t k = 1; k <= 6; ++k) rows.push_back(RandomWalk(60 + k, 70));
    LoadPrices(70, rows);
    ShowDays(20, 70);
    std::vector<long> prices;
    for (long i = 1; i <= 6; ++i) prices.push_back(PriceVector(i));
    auto copy = [&](std::size_t k) {
        MainVectors->VectorCopy(prices[k], 30);
        if (k == 2) MainVectors->CoordSetSingleValue(30, 50, 1.0f);
    };
    for (SearchFamily family :
         {SearchFamily::Timing, SearchFamily::Swinging, SearchFamily::SpecialSwinging}) {
        std::vector<Left> left[2];
        for (int road = 0; road < 2; ++road) {
            SearchRoad = road == 0 ? SearchRoadChoice{true, 0} : SearchRoadChoice{false, 3};
            Prepare(40);
            SearchCounts = {};
            RunMemberSearches(
                family, prices, 40, copy,
                [&](std::size_t) {
                    left[road].push_back({BestSoFar, Cells(30, 44), TradingLog});
                },
                30);
            if (road == 1) {
                EXPECT_EQ(SearchCounts.literal, 1);
            }
        }
        ASSERT_EQ(left[0].size(), 6u);
        ASSERT_EQ(left[1].size(), 6u);
        for (size_t k = 0; k < 6; ++k) {
            EXPECT_TRUE(SameRecord(left[0][k].record, left[1][k].record)) << k;
            EXPECT_EQ(FirstDifference(left[0][k].vectors, left[1][k].vectors), "") << k;
            EXPECT_TRUE(left[0][k].log == left[1][k].log) << k;
        }
    }
}

// What the yield hook of the next test does on its first call: a second basket search and a
// trading method's level search, as a click during a run could start them.
std::function<void()> g_fromYield;
bool g_inYield = false;

TEST_F(MarketSearchTest, SearchesEndWhileEveryWorkerIsHeldAndWhenStartedFromAYield) {
    std::vector<std::vector<float>> rows;
    for (std::uint32_t k = 1; k <= 6; ++k) rows.push_back(RandomWalk(80 + k, 70));
    LoadPrices(70, rows);
    ShowDays(20, 70);
    for (long i = 1; i <= 6; ++i) BasketFlag(i) = 1;
    BasketCount = 6;
    std::vector<long> prices;
    for (long i = 1; i <= 6; ++i) prices.push_back(PriceVector(i));
    // The members' vectors after each turn of a basket search with work vectors from `base`.
    auto basket = [&](SearchFamily family, long base, std::vector<std::vector<Num>>& left) {
        left.clear();
        RunMemberSearches(family, prices, base, {},
                          [&](std::size_t) { left.push_back(Cells(base, base + 4)); });
    };
    const std::int16_t curve = 30, signal = 31;
    MainVectors->VectorCopy(prices[2], curve);
    auto levelSearch = [&] {
        const float level = GenerateOptimalLevelSignal(curve, signal, true, TrialRoad::Fused);
        return std::make_pair(level, TradingResultsText);
    };

    // The sequential results.
    std::vector<std::vector<Num>> timing, swinging;
    SearchRoad = SearchRoadChoice{true, 0};
    basket(SearchFamily::Timing, 40, timing);
    basket(SearchFamily::Swinging, 50, swinging);
    const auto level = std::make_pair(
        GenerateOptimalLevelSignal(curve, signal, true, TrialRoad::Literal), TradingResultsText);

    // Every worker held by work of another command until the first yield of the timing run,
    // whose members must then wait; from that yield a swinging run and a level search on three
    // threads, which end on the calling thread, then the workers are released.
    SearchRoad = SearchRoadChoice{false, 3};
    FusedTrialThreadCount = 3;
    std::promise<void> release;
    const std::shared_future<void> released = release.get_future().share();
    for (unsigned w = 0; w < Workers.size(); ++w) Workers.Post([released] { released.wait(); });
    std::vector<std::vector<Num>> timingThreaded, swingingFromYield;
    std::pair<float, std::string> levelFromYield;
    g_fromYield = [&] {
        basket(SearchFamily::Swinging, 50, swingingFromYield);
        levelFromYield = levelSearch();
        release.set_value();
    };
    SetYieldHook([] {
        if (g_inYield || !g_fromYield) return;
        g_inYield = true;
        const auto once = std::move(g_fromYield);
        g_fromYield = nullptr;
        once();
        g_inYield = false;
    });
    testing::EndsWithinAMinute([&] {
        BusyGuard guard;
        basket(SearchFamily::Timing, 40, timingThreaded);
    });
    SetYieldHook(nullptr);
    if (g_fromYield) {
        g_fromYield = nullptr;
        release.set_value();
        FAIL() << "the timing run never yielded";
    }

    ASSERT_EQ(timingThreaded.size(), 6u);
    ASSERT_EQ(swingingFromYield.size(), 6u);
    for (std::size_t k = 0; k < 6; ++k) {
        EXPECT_EQ(FirstDifference(timing[k], timingThreaded[k]), "") << "timing " << k;
        EXPECT_EQ(FirstDifference(swinging[k], swingingFromYield[k]), "") << "swinging " << k;
    }
    EXPECT_EQ(levelFromYield, level);
}

}  // namespace
}  // namespace vel
