// The behaviour classes of a stock: one class per day by the signs of the smoothed price and
// money-volume gradients, the days that stay 0, and the working vectors.
#include <gtest/gtest.h>

#include "CoreFixture.h"
#include "clsVectors.h"

namespace vel {
namespace {

using BehaviourTest = testing::CoreFixture;

// Price 1 and money volume 2 as lines with the given slopes; outputs from vector 3 (classes
// 3..6, raw and smoothed price gradient 7 and 8, raw and smoothed volume gradient 9 and 10).
void lines(clsVectors& v, long dim, float priceSlope, float volumeSlope) {
    v.VectorBaseEmpty(dim, 12, 0, 0, 0, 0, 0);
    for (long i = 1; i <= dim; ++i) {
        v.CoordSetSingleValue(1, i, 500.0f + priceSlope * static_cast<float>(i));
        v.CoordSetSingleValue(2, i, 5000.0f + volumeSlope * static_cast<float>(i));
    }
    ChartFrom1 = Num(1);
    ChartTo1 = static_cast<std::int16_t>(dim);
}

TEST_F(BehaviourTest, EachDayFallsIntoTheClassOfItsGradientSigns) {
    const float slopes[4][2] = {{0.5f, 2.0f}, {0.5f, -2.0f}, {-0.5f, -2.0f}, {-0.5f, 2.0f}};
    for (int cls = 0; cls < 4; ++cls) {
        clsVectors v;
        lines(v, 120, slopes[cls][0], slopes[cls][1]);
        v.CoordStockBehaviour(1, 2, 3, 10, 7);
        for (long i = 1; i <= 120; ++i) {
            float sum = 0.0f;
            for (long k = 0; k < 4; ++k) {
                const Num c = v.CoordGetSingleValue(3 + k, i);
                sum += c.toSingle();
                ASSERT_EQ(c.isWhole(), i >= 10) << cls << " day " << i;  // before: the clearing's 0
                const float expected = k == cls ? 100.0f : 0.0f;
                if (i >= 16) {
                    ASSERT_EQ(c.toSingle(), expected) << cls << " day " << i;
                }
            }
            ASSERT_TRUE(sum == 0.0f || (sum == 100.0f && i >= 10)) << i;
        }
        EXPECT_NEAR(v.CoordGetSingle(7, 60), slopes[cls][0], 1e-4);   // raw price gradient
        EXPECT_NEAR(v.CoordGetSingle(10, 60), slopes[cls][1], 1e-3);  // smoothed volume gradient
    }
}

TEST_F(BehaviourTest, DaysOutsideTheWidenedWindowAndZeroGradientsHaveNoClass) {
    clsVectors v;
    lines(v, 300, 0.5f, -2.0f);
    ChartFrom1 = Num(150);
    ChartTo1 = 200;
    v.CoordStockBehaviour(1, 2, 3, 10, 8);
    for (long i = 1; i <= 300; ++i) {
        const float expected = i >= 57 && i <= 200 ? 100.0f : 0.0f;  // days 50..56, 201..207 vary
        if (i < 50 || (i >= 57 && i <= 200) || i >= 208) {
            ASSERT_EQ(v.CoordGetSingle(4, i), expected) << i;
        }
    }
    v.CoordAllSetConst(1, 0.0f);  // a gradient of exactly 0: no class on any day
    v.CoordStockBehaviour(1, 2, 3, 10, 8);
    for (long k = 0; k < 4; ++k)
        for (long i = 1; i <= 300; ++i) ASSERT_EQ(v.CoordGetSingle(3 + k, i), 0.0f);
}

TEST_F(BehaviourTest, LengthsOutsideTheFitLeaveClassesAt0OrPassGradientsThrough) {
    clsVectors v;
    lines(v, 60, 0.5f, -2.0f);
    for (long k = 0; k < 8; ++k) v.CoordAllSetConst(3 + k, 9.0f);
    v.CoordStockBehaviour(1, 2, 3, 60, 8);  // gradient days >= CoordDim: only the clearing
    for (long i = 1; i <= 60; ++i)
        for (long k = 0; k < 8; ++k) ASSERT_EQ(v.CoordGetSingle(3 + k, i), k < 4 ? 0.0f : 9.0f);
    for (long days : {0L, -3L, 4L, 51L}) {
        EXPECT_NO_THROW(v.CoordStockBehaviour(1, 2, 3, days, 8)) << days;
        for (long i = 1; i <= 60; ++i) ASSERT_EQ(v.CoordGetSingle(4, i), 0.0f) << days;
    }
    // Smoothing longer than the gradient: its first days take the unsmoothed gradients.
    v.CoordStockBehaviour(1, 2, 3, 6, 12);
    for (long i = 6; i < 12; ++i) {
        EXPECT_EQ(v.CoordGetSingle(8, i), v.CoordGetSingle(7, i)) << i;
        EXPECT_EQ(v.CoordGetSingle(4, i), 100.0f) << i;
    }
    EXPECT_THROW(v.CoordStockBehaviour(1, 2, 6, 10, 8), SubscriptRangeError);  // needs 6..13
}

}  // namespace
}  // namespace vel
