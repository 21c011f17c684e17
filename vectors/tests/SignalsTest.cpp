// BUY-SELL signal generators, the trading-log walk and the signal correlation: strict
// comparisons, day-order rules, the open rally, the log's limit, and the fast roads over
// single cells against the general road.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "CoreFixture.h"
#include "clsVectors.h"

namespace vel {
namespace {

using SignalsTest = testing::CoreFixture;
using Days = std::vector<float>;

void dimension(clsVectors& v, long dim) {
    v.VectorBaseEmpty(dim, 10, 0, 0, 0, 0, 0);
}

void setWindow(long from, long to) {
    ChartFrom1 = Num(static_cast<int>(from));
    ChartTo1 = static_cast<std::int16_t>(to);
}

void fill(clsVectors& v, long vec, long firstDay, const Days& values) {
    for (size_t k = 0; k < values.size(); ++k)
        v.CoordSetSingleValue(vec, firstDay + static_cast<long>(k), values[k]);
}

Days days(const clsVectors& v, long vec, long from, long to) {
    Days r;
    for (long i = from; i <= to; ++i) r.push_back(v.CoordGetSingle(vec, i));
    return r;
}

// The trading log and its globals after a walk, or the error the walk raised.
std::vector<long> walk(const clsVectors& v, long vec) {
    std::vector<long> r;
    try {
        v.SignalVectorTransformToTradingPositionsSign(vec);
    } catch (const SubscriptRangeError&) {
        r.push_back(-999);
    }
    r.insert(r.end(), {RallyCount, LastTradeAction, LastTradeActionDay});
    for (int k = 1; k <= RallyCount; ++k) r.insert(r.end(), {TradingLog(k, 1), TradingLog(k, 2)});
    return r;
}

TEST_F(SignalsTest, LevelCrossingsSellAtTheLevelAndWriteWholeNumbers) {
    clsVectors v;
    dimension(v, 6);
    for (long vec : {1L, 2L, 3L}) {
        fill(v, vec, 1, {-1.0f, 0.0f, 0.5f});
        v.CoordSetValue(vec, 4, Num(2));
        v.CoordSetValue(vec, 6, Num(1e-50));  // day 5 stays empty
        v.CoordSetSingleValue(vec, 7, 5.0f);  // a spare coordinate
    }
    v.CoordCrossingAboveZeroLevelSignal(1, -100, 100);
    v.CoordCrossingAboveSpecifiedLevelSignal(0.5f, 2, -100, 100);
    v.CoordCrossingBelowZeroLevelSignal(3, -7, 7);
    const int expected[3][6] = {{-100, -100, 100, 100, -100, 100},
                                {-100, -100, -100, 100, -100, -100},
                                {7, -7, -7, -7, -7, -7}};
    for (long vec = 1; vec <= 3; ++vec) {
        for (int i = 1; i <= 6; ++i)
            EXPECT_TRUE(identical(v.CoordGetSingleValue(vec, i), Num(expected[vec - 1][i - 1])))
                << vec << " " << i;
        EXPECT_EQ(v.CoordGetSingle(vec, 7), 5.0f);
    }
}

TEST_F(SignalsTest, ThreeParamsBuysAboveHighAndSellsOnTheTrailingStop) {
    clsVectors v;
    dimension(v, 20);
    v.CoordAllSetConst(2, 1.0f);  // trend above both levels on every day
    v.CoordAllSetConst(1, 100.0f);
    fill(v, 1, 10, {90.0f, 89.0f, 95.0f});  // a decline of exactly 10 holds, 11 sells
    setWindow(5, 15);
    v.CoordCrossing3ParamsSignal(1, 2, 3, 0.2f, 0.5f, 10.0f, -100, 100);
    const float S = -100, B = 100;
    EXPECT_EQ(days(v, 3, 1, 20),
              (Days{S, S, S, S, B, B, B, B, B, B, S, B, B, B, B, S, S, S, S, S}));
    // A trend exactly at the high level never buys, exactly at the low level never sells.
    v.CoordAllSetConst(2, 0.5f);
    v.CoordCrossing3ParamsSignal(1, 2, 3, 0.2f, 0.5f, 10.0f, -100, 100);
    EXPECT_EQ(days(v, 3, 1, 20), Days(20, S));
    fill(v, 2, 5, {0.6f, 0.2f, 0.1f});
    v.CoordCrossing3ParamsSignal(1, 2, 3, 0.2f, 0.5f, 50.0f, -1, 1);
    EXPECT_EQ(days(v, 3, 4, 8), (Days{-1, 1, 1, -1, -1}));
    // Above the high and below the low level at once: the buy day is never tested for a
    // sell, the sell day never buys.
    v.CoordAllSetConst(2, 0.5f);
    setWindow(2, 9);
    v.CoordCrossing3ParamsSignal(1, 2, 3, 0.8f, 0.2f, 50.0f, -100, 100);
    EXPECT_EQ(days(v, 3, 1, 10), (Days{S, B, S, B, S, B, S, B, S, S}));
}

TEST_F(SignalsTest, TwoLevelsWritesPlusMinus100WithStrictLevels) {
    clsVectors v;
    dimension(v, 10);
    fill(v, 1, 2, {0, 10, 11, 5, -10, -11, 20});
    setWindow(2, 8);
    v.CoordAllSetConst(2, 3.0f);
    v.CoordCrossingTwoLevelsSignal(1, 2, -10, 10);
    EXPECT_EQ(days(v, 2, 1, 10), (Days{-100, -100, -100, 100, 100, 100, -100, 100, -100, -100}));
}

TEST_F(SignalsTest, WalkStoresRalliesAndTheOpenRally) {
    clsVectors v;
    dimension(v, 6);
    fill(v, 1, 1, {100, 100, -100, 100, -100});
    setWindow(1, 4);
    EXPECT_EQ(walk(v, 1), (std::vector<long>{2, 1, 4, 1, 3, 4, 5}));
    EXPECT_EQ(walk(v, 2), (std::vector<long>{0, -1, -1}));  // empty cells never act
    ChartFrom1 = Num(1.5);  // the first day rounds half to even: the walk starts on day 2
    EXPECT_EQ(walk(v, 1), (std::vector<long>{2, 1, 4, 2, 3, 4, 5}));
    ChartFrom1 = Num(32767.5);
    EXPECT_THROW(v.SignalVectorTransformToTradingPositionsSign(1), OverflowError);
    EXPECT_THROW(v.CoordCrossing3ParamsSignal(1, 1, 2, 0, 0, 10, -100, 100), OverflowError);
    EXPECT_EQ(v.CoordGetSingle(2, 1), -100.0f);  // the preset came first
    // Past the matrix: the error comes after the rallies before it, the open one unstored.
    v.CoordAllSetConstPlus(3, 0.0f);
    fill(v, 3, 2, {1, -1, 1});
    setWindow(1, 40);
    EXPECT_EQ(walk(v, 3), (std::vector<long>{-999, 1, 1, 4, 2, 3}));
    v.CoordSetValue(3, 20, Num(0));  // a whole cell: the general road, the same result
    EXPECT_EQ(walk(v, 3), (std::vector<long>{-999, 1, 1, 4, 2, 3}));
}

TEST_F(SignalsTest, WalkStopsAtThe2001stRallyWithoutWritingPastTheLog) {
    clsVectors v;
    dimension(v, 4100);
    for (int i = 1; i <= 4100; ++i) v.CoordSetSingleValue(1, i, i % 2 ? 1.0f : -1.0f);
    v.VectorCopy(1, 2);
    v.CoordCrossingAboveZeroLevelSignal(2, -100, 100);  // whole cells: the general road
    setWindow(1, 4100);
    for (long vec : {1L, 2L}) {
        EXPECT_THROW(v.SignalVectorTransformToTradingPositionsSign(vec), SubscriptRangeError);
        EXPECT_EQ(RallyCount, 2000);
        EXPECT_EQ(TradingLog(2000, 1), 3999);
        EXPECT_EQ(TradingLog(2000, 2), 4000);
    }
}

TEST_F(SignalsTest, FastRoadsMatchTheGeneralRoadOnRandomData) {
    std::mt19937 gen(11);
    auto pick = [&](long n) { return static_cast<long>(gen() % static_cast<unsigned>(n)); };
    const float levels[] = {-0.5f, -0.25f, 0.0f, 0.25f, 0.5f};
    const float prices[] = {0.0f, -10.0f, 80.0f, 90.0f, 100.0f, 110.0f, 1e-30f, 3e38f};
    const float stops[] = {0.0f, 10.0f, 20.0f, 50.0f};
    for (int trial = 0; trial < 400; ++trial) {
        const long dim = 20 + pick(60);
        clsVectors fast, general;
        clsVectors* both[] = {&fast, &general};
        for (clsVectors* v : both) dimension(*v, dim);
        for (long i = 1; i <= dim + 30; ++i) {
            const float price = prices[pick(8)] + static_cast<float>(pick(3)),
                        trend = levels[pick(5)];
            for (clsVectors* v : both) fill(*v, 1, i, {price}), fill(*v, 2, i, {trend});
        }
        const long from = 1 + pick(dim);
        const long to = pick(8) == 0 ? dim + 20 + pick(20) : from - 2 + pick(dim - from + 3);
        setWindow(from, to);
        // The same trend value as a double sends the general road over the same numbers.
        general.CoordSetValue(2, from, Num(static_cast<double>(general.CoordGetSingle(2, from))));
        const float low = levels[pick(5)], high = levels[pick(5)], stop = stops[pick(4)];
        const long signal = pick(5) == 0 ? 1 : 3;  // sometimes the signal overwrites the prices
        bool raised[2] = {false, false};
        for (int g = 0; g < 2; ++g) try {
                both[g]->CoordCrossing3ParamsSignal(1, 2, signal, low, high, stop, -100, 100);
            } catch (const SubscriptRangeError&) {
                raised[g] = true;
            }
        ASSERT_EQ(raised[0], raised[1]) << "trial " << trial;
        for (long i = 1; i <= dim + 30; ++i)
            ASSERT_TRUE(identical(fast.CoordGetSingleValue(signal, i),
                                  general.CoordGetSingleValue(signal, i)))
                << "trial " << trial << " day " << i;
        // A whole number of the same sign sends the walk over the general road.
        const float first = general.CoordGetSingle(signal, from);
        general.CoordSetValue(signal, from, Num(first > 0 ? 1 : first < 0 ? -1 : 0));
        const std::vector<long> fastLog = walk(fast, signal);
        ASSERT_EQ(walk(general, signal), fastLog) << "trial " << trial;
    }
}

TEST_F(SignalsTest, TrailingStopDecidesLikeTheGeneralRoadAtTheBoundary) {
    std::mt19937 gen(5);
    std::uniform_real_distribution<float> refs(0.5f, 5000.0f), pcts(0.5f, 60.0f);
    clsVectors fast, general;
    dimension(fast, 3);
    dimension(general, 3);
    setWindow(1, 3);
    int sells = 0;
    for (int t = 0; t < 3000; ++t) {
        const float ref = refs(gen), pct = pcts(gen);
        float price = ref * (1.0f - pct / 100.0f);
        for (int k = static_cast<int>(gen() % 7) - 3; k != 0; k += k > 0 ? -1 : 1)
            price = std::nextafter(price, k > 0 ? 1e9f : 0.0f);
        for (clsVectors* v : {&fast, &general}) {
            fill(*v, 1, 1, {ref, price, price});
            fill(*v, 2, 1, {1.0f, 1.0f, 1.0f});
            v->CoordSetValue(2, 3, v == &general ? Num(1.0) : Num(1.0f));  // a double: general
            v->CoordCrossing3ParamsSignal(1, 2, 3, 0.0f, 0.5f, pct, -100, 100);
        }
        ASSERT_EQ(days(fast, 3, 1, 3), days(general, 3, 1, 3)) << ref << " " << price << " " << pct;
        sells += fast.CoordGetSingle(3, 2) < 0.0f;
    }
    EXPECT_GT(sells, 300);
    EXPECT_LT(sells, 2700);
}

TEST_F(SignalsTest, CorrelationIsTheSignedRootOfAgreementsLessDisagreements) {
    clsVectors v;
    dimension(v, 8);
    fill(v, 1, 1, {1, 1, -1, 1, 0, 5});
    fill(v, 2, 1, {1, 1, -1, -1, 0, 0});
    fill(v, 3, 1, {-1, -1, 1, 1});
    EXPECT_NEAR(v.CoordFromToSignalCorrelation(1, 2, 1, 4), 0.70710678f, 1e-7);  // 3 of 4 agree
    EXPECT_NEAR(v.CoordFromToSignalCorrelation(1, 3, 1, 4), -0.70710678f, 1e-7);
    EXPECT_EQ(v.CoordFromToSignalCorrelation(2, 3, 2, 3), -1.0f);
    EXPECT_EQ(v.CoordFromToSignalCorrelation(1, 1, 1, 4), 1.0f);
    EXPECT_EQ(v.CoordFromToSignalCorrelation(1, 2, 2, 5), 0.0f);  // a 0 is a day, never agrees
    EXPECT_EQ(v.CoordFromToSignalCorrelation(1, 2, 5, 4), 0.0f);
    EXPECT_THROW(v.CoordFromToSignalCorrelation(1, 2, 0, 4), SubscriptRangeError);
}

}  // namespace
}  // namespace vel
