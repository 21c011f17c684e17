// Moving-window transforms and past profit: worked values, what the same vector as source and
// target gives, bad lengths, the spare coordinates, and single-precision accumulation order.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "CoreFixture.h"
#include "clsVectors.h"

namespace vel {
namespace {

class WindowsTest : public testing::CoreFixture {
protected:
    void dim(long coords) { v.VectorBaseEmpty(coords, 6, 0, 0, 0, 0, 0); }
    void set(long vec, std::initializer_list<float> values) {
        long c = 1;
        for (float f : values) v.CoordSetSingleValue(vec, c++, f);
    }
    std::vector<double> values(long vec) const {
        std::vector<double> r;
        for (long c = 1; c <= v.CoordDim(); ++c)
            r.push_back(v.CoordGetSingleValue(vec, c).toDouble());
        return r;
    }
    Num get(long vec, long c) const { return v.CoordGetSingleValue(vec, c); }
    clsVectors v;
};

using D = std::vector<double>;

TEST_F(WindowsTest, MovingAverageShortensItsFirstWindowsAndReadsItsOwnResults) {
    dim(4);
    set(1, {2, 4, 6, 8});
    v.CoordMA(3, 1, 2);
    EXPECT_EQ(values(2), (D{2, 3, 4, 6}));
    EXPECT_TRUE(get(2, 1).isSingle());
    dim(3);
    set(1, {2, 4, 6});
    v.CoordMA(2, 1, 1);
    EXPECT_EQ(values(1), (D{2, 3, 4.5}));  // not the plain 2, 3, 5
}

TEST_F(WindowsTest, MovingAverageOfLengthBelowOneRaisesBeforeWriting) {
    dim(3);
    set(1, {2, 4, 6});
    v.CoordAllSetConst(2, 9.0f);
    EXPECT_THROW(v.CoordMA(0, 1, 2), DivisionByZeroError);
    EXPECT_THROW(v.CoordMARelDif(-3, 1, 2), DivisionByZeroError);
    EXPECT_EQ(values(2), (D{9, 9, 9}));
    // The extremes have no division: length 0 leaves the extreme at 0, so every day gets 0.
    v.CoordMaxRelDif(0, 1, 2);
    EXPECT_EQ(values(2), (D{0, 0, 0}));
    EXPECT_TRUE(get(2, 1).isWhole());
}

TEST_F(WindowsTest, RelativeDistanceFromTheMeanIsDoubleAndGuarded) {
    dim(3);
    set(1, {10, 20, -50});
    v.CoordMARelDif(2, 1, 2);
    EXPECT_TRUE(identical(get(2, 1), Num(0.0)));
    EXPECT_TRUE(identical(get(2, 2), Num(100.0 * 5.0 / 15.0)));
    EXPECT_TRUE(identical(get(2, 3), Num(0)));  // mean -15: the whole number 0
    // Same vector: the window of day 2 reads the result 0 of day 1 and y = 20.
    v.CoordMARelDif(2, 1, 1);
    EXPECT_DOUBLE_EQ(get(1, 2).toDouble(), 100.0);
}

TEST_F(WindowsTest, RelativeDistanceFromTheExtremes) {
    dim(4);
    set(1, {10, 20, 15, 12});
    v.CoordMaxRelDif(3, 1, 2);
    v.CoordMinRelDif(3, 1, 3);
    EXPECT_EQ(values(2), (D{0, 0, 25, 40}));
    EXPECT_EQ(values(3), (D{0, 100, 50, 0}));
    EXPECT_TRUE(get(2, 3).isDouble());
    // In place every window holds the earlier results 0 and the day's own value, which is
    // then the maximum: 0 everywhere instead of 0, 0, 25, 40.
    v.CoordMaxRelDif(3, 1, 1);
    EXPECT_EQ(values(1), (D{0, 0, 0, 0}));
    set(4, {10, 20, 15, 12});
    v.CoordMinRelDif(3, 4, 4);  // minimum 0 from day 2 on: the guard gives 0
    EXPECT_EQ(values(4), (D{0, 0, 0, 0}));
}

TEST_F(WindowsTest, RadiusSmoothCutsItsWindowAndClearsTheTargetFirst) {
    dim(4);
    set(1, {3, 6, 9, 12});
    v.CoordAllRadiusSmooth(1, 1, 2);
    EXPECT_EQ(values(2), (D{4.5, 6, 9, 10.5}));
    v.CoordSetValue(3, 1, Num(0.1));
    v.CoordAllRadiusSmooth(0, 3, 4);
    EXPECT_TRUE(identical(get(4, 1), Num(0.1f)));
    v.CoordAllRadiusSmooth(1, 1, 1);
    EXPECT_EQ(values(1), (D{0, 0, 0, 0}));
    set(1, {3, 6, 9, 12});
    EXPECT_THROW(v.CoordAllRadiusSmooth(-1, 1, 2), DivisionByZeroError);
    EXPECT_EQ(values(2), (D{0, 0, 0, 0}));  // cleared before the failure
}

TEST_F(WindowsTest, PastProfitComparesWithDayCountDaysBefore) {
    dim(5);
    set(1, {10, 0, 12, 11, 13});
    v.CoordPastProfit(1, 2, 2);
    EXPECT_EQ(values(2)[0], 0.0);
    EXPECT_EQ(values(2)[1], 0.0);
    EXPECT_EQ(get(2, 3).toDouble(), 20.0);
    EXPECT_EQ(get(2, 4).toDouble(), 0.0);  // the past price is 0
    EXPECT_TRUE(identical(get(2, 5), Num(static_cast<float>(100.0 * 1.0 / 12.0))));
    v.CoordPastProfit(1, 2, 5);
    EXPECT_EQ(values(2), (D{0, 0, 0, 0, 0}));
    v.CoordPastProfit(1, 1, 1);
    EXPECT_EQ(values(1), (D{0, 0, 0, 0, 0}));
    set(1, {10, 0, 12, 11, 13});
    EXPECT_THROW(v.CoordPastProfit(1, 2, -1), SubscriptRangeError);
}

TEST_F(WindowsTest, PastMedianTakesTheUpperMiddleOfFullWindows) {
    dim(5);
    set(1, {1, 5, 2, 8, 3});
    v.CoordPastMedian(1, 2, 3);
    EXPECT_EQ(values(2), (D{1, 5, 2, 5, 3}));
    dim(5);
    set(1, {5, 1, 4, 2, 7});
    v.CoordPastMedian(1, 2, 4);
    EXPECT_EQ(values(2), (D{5, 1, 4, 4, 4}));
    for (long len : {2L, 101L, 5L, 6L}) {
        v.CoordAllSetConst(3, 0.0f);
        v.CoordPastMedian(1, 3, len);
        EXPECT_EQ(values(3), (D{5, 1, 4, 2, 7})) << len;
    }
    // In place, later windows hold the earlier medians: day 5 sees 2, 5, 9 instead of 2, 8, 9.
    dim(5);
    set(1, {1, 5, 2, 8, 9});
    v.CoordPastMedian(1, 1, 3);
    EXPECT_EQ(values(1), (D{1, 5, 2, 5, 5}));
}

TEST_F(WindowsTest, SpareCoordinatesAreNeverTouched) {
    dim(6);
    for (long vec = 1; vec <= 2; ++vec) v.CoordAllSetConstPlus(vec, 7.0f);
    set(1, {4, 1, 3, 9, 2, 5});
    v.CoordMA(3, 1, 2);
    v.CoordMARelDif(3, 1, 2);
    v.CoordMaxRelDif(3, 1, 2);
    v.CoordMinRelDif(3, 1, 2);
    v.CoordAllRadiusSmooth(2, 1, 2);
    v.CoordPastProfit(1, 2, 2);
    v.CoordPastMedian(1, 2, 3);
    for (long c = 7; c <= 36; ++c) EXPECT_EQ(get(2, c).toDouble(), 7.0) << c;
}

TEST_F(WindowsTest, AccumulationIsSingleStepByStepAsAFloatReference) {
    const long n = 300;
    dim(n);
    std::mt19937 gen(20240611u);
    std::uniform_real_distribution<float> dist(-50.0f, 150.0f);
    std::vector<float> x(n + 1);
    for (long i = 1; i <= n; ++i) v.CoordSetSingleValue(1, i, x[i] = dist(gen));
    for (long len : {1L, 7L, 50L}) {
        v.CoordMA(len, 1, 2);
        v.CoordAllRadiusSmooth(len, 1, 3);
        for (long i = 1; i <= n; ++i) {
            float sum = 0.0f, count = 0.0f;
            for (long j = std::max(1L, i - len + 1); j <= i; ++j) sum += x[j], count += 1.0f;
            ASSERT_TRUE(identical(get(2, i), Num(sum / count))) << "MA " << len << " day " << i;
            sum = 0.0f, count = 0.0f;
            for (long j = std::max(1L, i - len); j <= std::min(n, i + len); ++j)
                sum += x[j], count += 1.0f;
            ASSERT_TRUE(identical(get(3, i), Num(sum / count))) << "smooth " << len << " day " << i;
        }
    }
}

}  // namespace
}  // namespace vel
