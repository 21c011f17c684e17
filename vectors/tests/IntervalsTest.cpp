// Interval groups: splitting at the interval means, the table left in IntervalLimit, overlaps
// from empty intervals, values outside the whole range, and the interval mean itself.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "AppState.h"
#include "CoreFixture.h"
#include "clsVectors.h"

namespace vel {
namespace {

const float kTop = static_cast<float>(std::exp(40.0));

class IntervalsTest : public testing::CoreFixture {
protected:
    // A table of `values` in column 1 of the Buffer rows, BufferCount = their number.
    void stocks(std::initializer_list<float> values) {
        v.VectorBaseEmpty(5, 2, 0, 0, 0, 0, 100);
        long row = 0;
        for (float f : values) v.CoordSetSingleValue(v.BufferStart() + row++, 1, f);
        v.SetBufferCount(row);
    }
    std::vector<double> groups() const {
        std::vector<double> g;
        for (long r = 0; r < v.BufferCount(); ++r)
            g.push_back(v.CoordGetSingleValue(v.BufferStart() + r, 2).toDouble());
        return g;
    }
    static std::vector<float> interval(long k) {
        return {IntervalLimit(k, 1), IntervalLimit(k, 2), IntervalLimit(k, 3)};
    }
    clsVectors v;
};

using D = std::vector<double>;
using F = std::vector<float>;

TEST_F(IntervalsTest, NoLevelIsOneIntervalOverTheWholeRange) {
    stocks({4, -3, 0});
    v.CalcIntervalGroups(Num(1), Num(2), 0);
    EXPECT_EQ(IntervalCount, 1);
    EXPECT_EQ(interval(1), (F{kTop, -kTop, 0.0f}));
    EXPECT_EQ(groups(), (D{1, 1, 1}));
    EXPECT_TRUE(v.CoordGetSingleValue(v.BufferStart(), 2).isSingle());
}

TEST_F(IntervalsTest, EachLevelSplitsEveryIntervalAtItsMean) {
    stocks({4, 3, 2, 1});
    v.CalcIntervalGroups(Num(1), Num(2), 1);
    EXPECT_EQ(IntervalCount, 2);
    EXPECT_EQ(groups(), (D{1, 1, 2, 2}));
    v.CalcIntervalGroups(Num(1.4), Num(2.5), 2);  // columns round half to even: 1 and 2
    EXPECT_EQ(IntervalCount, 4);
    EXPECT_EQ(interval(1), (F{kTop, 3.5f, 0.0f}));
    EXPECT_EQ(interval(2), (F{3.5f, 2.5f, 0.0f}));
    EXPECT_EQ(interval(3), (F{2.5f, 1.5f, 0.0f}));
    EXPECT_EQ(interval(4), (F{1.5f, -kTop, 0.0f}));
    EXPECT_EQ(interval(104), interval(4));  // the scratch copy of the last level stays
    EXPECT_EQ(groups(), (D{1, 2, 3, 4}));
}

TEST_F(IntervalsTest, LevelsStopAtSix) {
    stocks({5, 1, 9, 2, 8, 3, 7, 4, 6});
    v.CalcIntervalGroups(Num(1), Num(2), 9);
    EXPECT_EQ(IntervalCount, 64);
    for (long k = 1; k <= 64; ++k) {
        EXPECT_EQ(IntervalLimit(k, 3), 0.0f) << k;
        EXPECT_EQ(interval(100 + k), interval(k)) << k;
    }
    const D g = groups();
    EXPECT_EQ(g[2], 1.0);  // the highest value
    for (double x : g) EXPECT_TRUE(x >= 1.0 && x <= 64.0) << x;
}

TEST_F(IntervalsTest, AnEmptyIntervalSplitsAtZeroAndTheHigherNumberWins) {
    stocks({-5, -5, -5, -5});
    v.CalcIntervalGroups(Num(1), Num(2), 2);
    EXPECT_EQ(interval(1), (F{kTop, -5.0f, 0.0f}));
    EXPECT_EQ(interval(3), (F{-5.0f, 0.0f, 0.0f}));  // empty: lower above upper
    EXPECT_EQ(interval(4), (F{0.0f, -kTop, 0.0f}));
    EXPECT_EQ(groups(), (D{4, 4, 4, 4}));
}

TEST_F(IntervalsTest, ValuesOutsideTheWholeRangeGetNoGroup) {
    stocks({1e30f, 1, -1e30f, 2});
    v.CalcIntervalGroups(Num(1), Num(2), 1);
    EXPECT_EQ(groups(), (D{0, 2, 0, 1}));  // the mean is 1.5 over the two values inside
}

TEST_F(IntervalsTest, WithoutStocksTheTableIsStillBuilt) {
    stocks({});
    v.CoordSetSingleValue(v.BufferStart(), 2, 7.0f);
    v.CalcIntervalGroups(Num(1), Num(2), 2);
    EXPECT_EQ(IntervalCount, 4);
    EXPECT_EQ(interval(2), (F{0.0f, 0.0f, 0.0f}));
    EXPECT_EQ(v.CoordGetSingleValue(v.BufferStart(), 2).toDouble(), 7.0);
}

TEST_F(IntervalsTest, IntervalMeanCountsTheLowerLimitOnly) {
    stocks({1, 2, 3, 4});
    EXPECT_EQ(v.ScalarColumnLimitAverage(1, Num(4.0f), 2.0f), 2.5f);
    EXPECT_EQ(v.ScalarColumnLimitAverage(1, Num(10), 5.0f), 0.0f);
    v.SetBufferCount(2);  // only the used rows count
    EXPECT_EQ(v.ScalarColumnLimitAverage(1, Num(10), 0.0f), 1.5f);
}

TEST_F(IntervalsTest, IntervalMeanIsSingleStepByStepAsAFloatReference) {
    v.VectorBaseEmpty(3, 0, 0, 0, 0, 0, 400);
    v.SetBufferCount(400);
    std::mt19937 gen(3u);
    std::uniform_real_distribution<float> dist(-100.0f, 100.0f);
    std::vector<float> x(400);
    for (long r = 0; r < 400; ++r) v.CoordSetSingleValue(v.BufferStart() + r, 3, x[r] = dist(gen));
    float sum = 0.0f;
    int count = 0;
    for (float f : x)
        if (f < 50.0f && f >= -20.0f) sum += f, ++count;
    EXPECT_EQ(v.ScalarColumnLimitAverage(3, Num(50.0f), -20.0f), sum / static_cast<float>(count));
}

}  // namespace
}  // namespace vel
