// Group-period and day-range statistics: worked values, guarded divisions, the clamping of day
// ranges, empty periods, the kinds of the results and single-precision accumulation.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "AppState.h"
#include "CoreFixture.h"
#include "clsVectors.h"

namespace vel {
namespace {

class StatisticsTest : public testing::CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        v.VectorBaseEmpty(10, 6, 0, 0, 0, 0, 0);
    }
    void set(long vec, std::initializer_list<float> values) {
        long c = 1;
        for (float f : values) v.CoordSetSingleValue(vec, c++, f);
    }
    static void period(const Num& from, std::int16_t to) {
        GroupFrom = from;
        GroupTo = to;
    }
    clsVectors v;
};

float percent(double num, double den) {
    return static_cast<float>(100.0 * num / den);
}

TEST_F(StatisticsTest, ProfitDeclineAndIncreaseDivideByTheirGuardedReference) {
    set(1, {50, 55, 60});
    period(Num(1), 3);
    EXPECT_TRUE(identical(v.GroupProfit(1), Num(20.0f)));
    set(2, {80, 100, 90});
    EXPECT_TRUE(identical(v.GroupPriceDecline(2), Num(percent(-10, 90))));
    EXPECT_TRUE(identical(v.GroupPriceIncrease(2), Num(percent(10, 90))));
    // Empty or non-positive references give a single-precision 0.
    v.CoordSetValue(3, 3, Num(60));
    EXPECT_TRUE(identical(v.GroupProfit(3), Num(0.0f)));
    set(4, {5, 8, -1});
    EXPECT_TRUE(identical(v.GroupPriceDecline(4), Num(0.0f)));
    EXPECT_TRUE(identical(v.GroupPriceIncrease(4), Num(0.0f)));
}

TEST_F(StatisticsTest, GrowthComparesTheSecondHalfWithTheWholePeriod) {
    set(1, {1, 2, 3, 4, 5, 6});
    period(Num(1), 5);
    EXPECT_TRUE(identical(v.GroupCoordValueGrowth(1), Num(50.0f)));
    period(Num(1), 6);  // second half 4..6, mean 5, against 3.5
    EXPECT_TRUE(identical(v.GroupCoordValueGrowth(1), Num(percent(1.5, 3.5))));
    period(Num(4), 4);
    EXPECT_TRUE(identical(v.GroupCoordValueGrowth(1), Num(0.0f)));
}

TEST_F(StatisticsTest, LinearityMeasuresTheDistanceFromTheLineThroughFirstAndLast) {
    set(1, {1, 2, 3, 4, 5});
    period(Num(1), 5);
    EXPECT_TRUE(identical(v.GroupPriceLinearity(1), Num(0.0f)));
    set(2, {10, 14, 12});
    period(Num(1), 3);
    EXPECT_TRUE(identical(v.GroupPriceLinearity(2),
                          Num(static_cast<float>(100.0 * std::sqrt(3.0) / 12.0))));
    set(3, {-10, 14, -12});
    EXPECT_TRUE(identical(v.GroupPriceLinearity(3), Num(0.0f)));
    period(Num(2), 2);  // a one-day period has no line
    EXPECT_TRUE(identical(v.GroupPriceLinearity(2), Num(0.0f)));
}

TEST_F(StatisticsTest, GroupMeansKeepTheirKindAndAreWholeZeroWhenEmpty) {
    set(1, {2, 4, 6, 8});
    period(Num(2), 4);
    EXPECT_TRUE(identical(v.GroupCoordAverage(1), Num(6.0f)));
    v.CoordAllSetLinear(2);  // whole numbers: whole sum over a single count gives single
    EXPECT_TRUE(identical(v.GroupCoordAverage(2), Num(3.0f)));
    v.CoordSetValue(3, 2, Num(0.5));
    EXPECT_TRUE(identical(v.GroupCoordAverage(3), Num(0.5 / 3.0)));
    set(4, {1, 10, 20, 30});
    EXPECT_TRUE(identical(v.GroupMoneyVolumeAverage(1, 4), Num(static_cast<float>(400.0 / 3.0))));
    period(Num(5), 4);
    EXPECT_TRUE(identical(v.GroupCoordAverage(1), Num(0)));
    EXPECT_TRUE(identical(v.GroupMoneyVolumeAverage(1, 4), Num(0)));
    EXPECT_TRUE(identical(v.GroupPriceLinearity(1), Num(0.0f)));
    // GroupFrom is a dynamic number, rounded half to even where it addresses a day.
    period(Num(2.5), 3);
    EXPECT_TRUE(identical(v.GroupCoordAverage(1), Num(5.0f)));
}

TEST_F(StatisticsTest, GroupPeriodIsNotClamped) {
    period(Num(0), 3);
    EXPECT_THROW(v.GroupCoordAverage(1), SubscriptRangeError);
    period(Num(1), 41);
    EXPECT_THROW(v.GroupPriceDecline(1), SubscriptRangeError);
    period(Num(40), 40);  // a spare coordinate is inside the matrix
    EXPECT_NO_THROW(v.GroupProfit(1));
}

TEST_F(StatisticsTest, DayRangesAreClampedOnCopies) {
    for (long c = 1; c <= 10; ++c) v.CoordSetSingleValue(1, c, static_cast<float>(c * c));
    set(2, {1, 5, 8});
    v.CoordSetSingleValue(1, 11, 1000.0f);  // a spare coordinate, never reached
    Num from(50);
    EXPECT_EQ(v.ScalarFromToCoordAverage(Num(1), from, 10), 100.0f);
    EXPECT_TRUE(identical(from, Num(50)));
    EXPECT_EQ(v.ScalarFromToCoordAverage(Num(1), Num(0), 0), 1.0f);
    EXPECT_EQ(v.ScalarFromToCoordAverage(Num(1), Num(9), 500), 90.5f);
    EXPECT_EQ(v.ScalarFromToCoordAverage(Num(1.5), Num(2.5), 3), 6.5f);  // vector 2, days 2..3
    EXPECT_EQ(v.ScalarFromToCoordMaximum(Num(1), Num(3), 99), 100.0f);
    EXPECT_EQ(v.ScalarFromToCoordMinimum(Num(1), Num(-4), 3), 1.0f);
    EXPECT_EQ(v.ScalarFromToCoordMinimum(Num(1), Num(7), 4), 16.0f);  // collapsed onto day 4
    EXPECT_EQ(v.ScalarFromToCoordMaximum(Num(1), Num(7), 4), 16.0f);
    // A start far outside the 16-bit range is clamped, not an overflow.
    EXPECT_EQ(v.ScalarFromToCoordAverage(Num(1), Num(40000), 10), 100.0f);
    EXPECT_EQ(v.ScalarFromToCoordMinimum(Num(1), Num(-1e6), 2), 1.0f);
    v.CoordAllSetConst(3, -2.5f);
    EXPECT_EQ(v.ScalarFromToCoordMinimum(Num(3), Num(1), 10), -2.5f);
    EXPECT_EQ(v.ScalarFromToCoordMaximum(Num(3), Num(1), 10), -2.5f);
}

TEST_F(StatisticsTest, ConditionalAverageCountsTheLevelOnBothSides) {
    set(1, {1, 2, 3});
    EXPECT_EQ(v.CoordFromToConditionalAverage(Num(1), Num(1), 3, 2.0f, true), 2.5f);
    EXPECT_EQ(v.CoordFromToConditionalAverage(Num(1), Num(1), 3, 2.0f, false), 1.5f);
    EXPECT_EQ(v.CoordFromToConditionalAverage(Num(1), Num(1), 3, 10.0f, true), 0.0f);
}

TEST_F(StatisticsTest, RelativeDeviationFromTheSmoothedCurve) {
    set(1, {10, 12});
    set(2, {11, 11});
    EXPECT_EQ(v.ScalarFromToRelStdDevi(Num(1), Num(1), Num(1), 2), 0.0f);
    EXPECT_EQ(v.ScalarFromToRelStdDevi(Num(1), Num(2), Num(1), 2),
              static_cast<float>(100.0 / 11.0));
    set(3, {-10, -12});
    EXPECT_EQ(v.ScalarFromToRelStdDevi(Num(3), Num(2), Num(1), 2), 0.0f);  // mean level 0
}

TEST_F(StatisticsTest, RangeSumsAreSingleStepByStepAsAFloatReference) {
    v.VectorBaseEmpty(500, 4, 0, 0, 0, 0, 0);
    std::mt19937 gen(77u);
    std::uniform_real_distribution<float> dist(0.5f, 300.0f);
    std::vector<float> o(501), s(501);
    for (long i = 1; i <= 500; ++i) {
        v.CoordSetSingleValue(1, i, o[i] = dist(gen));
        v.CoordSetSingleValue(2, i, s[i] = o[i] + dist(gen) * 0.01f);
    }
    for (long from : {1L, 17L, 250L}) {
        float sum = 0.0f, squares = 0.0f, levels = 0.0f, count = 0.0f;
        for (long d = from; d <= 500; ++d) {
            sum += o[d];
            const float diff = o[d] - s[d];
            squares += diff * diff;
            levels += (o[d] + s[d]) / 2.0f;
            count += 1.0f;
        }
        EXPECT_EQ(v.ScalarFromToCoordAverage(Num(1), Num(static_cast<int>(from)), 500),
                  sum / count);
        const float expected = static_cast<float>(
            100.0 * std::sqrt(static_cast<double>(squares / count)) / (levels / count));
        EXPECT_EQ(v.ScalarFromToRelStdDevi(Num(1), Num(2), Num(static_cast<int>(from)), 500),
                  expected);
    }
}

}  // namespace
}  // namespace vel
