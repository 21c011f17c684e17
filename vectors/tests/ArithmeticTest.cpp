// Element-wise arithmetic and whole-vector scalars: kinds, widening, reads before writes,
// guards and the errors that stop an operation.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <random>

#include "CoreFixture.h"
#include "clsVectors.h"

namespace vel {
namespace {

class ArithmeticTest : public testing::CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        v.VectorBaseEmpty(4, 10, 0, 0, 0, 0, 0);
    }
    void set(long vec, std::initializer_list<Num> values) {
        long c = 1;
        for (const Num& n : values) v.CoordSetValue(vec, c++, n);
    }
    Num get(long vec, long c) const { return v.CoordGetSingleValue(vec, c); }
    clsVectors v;
};

TEST_F(ArithmeticTest, CombineTakesTheWiderKindPerCoordinate) {
    set(1, {Num(1.5f), Num(2), Num(0.25), Num()});
    set(2, {Num(1.0f), Num(3), Num(1.0f), Num()});
    v.CoordAllCombine(1, 2.0f, 2);
    EXPECT_TRUE(identical(get(2, 1), Num(4.0f)));
    EXPECT_TRUE(identical(get(2, 2), Num(7.0f)));  // whole times single coefficient is single
    EXPECT_TRUE(identical(get(2, 3), Num(1.5)));   // a double operand gives double
    EXPECT_TRUE(identical(get(2, 4), Num(0.0f)));  // empty cells read as 0; the result is single
}

TEST_F(ArithmeticTest, TargetMayBeAnOperand) {
    set(1, {Num(3.0f), Num(-2.0f), Num(0.5f), Num(4)});
    v.CoordAllCombine(1, 0.5f, 1);  // v * 1.5
    EXPECT_EQ(get(1, 1).toDouble(), 4.5);
    EXPECT_EQ(get(1, 2).toDouble(), -3.0);
    set(2, {Num(3.0f), Num(-2.0f), Num(0.5f), Num(4)});
    v.CoordAllMull(2, 2, 2);
    EXPECT_TRUE(identical(get(2, 1), Num(9.0f)));
    EXPECT_TRUE(identical(get(2, 4), Num(16)));  // whole squared stays whole
}

TEST_F(ArithmeticTest, WholeProductsWidenAndSingleOverflowWidensToDouble) {
    set(1, {Num(100000), Num(FLT_MAX), Num(3), Num(-7)});
    set(2, {Num(100000), Num(FLT_MAX), Num(2), Num(2)});
    v.CoordAllMull(1, 2, 3);
    EXPECT_TRUE(identical(get(3, 1), Num(1e10)));
    EXPECT_TRUE(identical(get(3, 2), Num(static_cast<double>(FLT_MAX) * FLT_MAX)));
    EXPECT_TRUE(identical(get(3, 3), Num(6)));
    set(4, {Num(FLT_MAX), Num(1.0f), Num(), Num()});
    v.CoordAllCoefMull(4, 4.0f);
    EXPECT_TRUE(identical(get(4, 1), Num(4.0 * FLT_MAX)));
    EXPECT_TRUE(identical(get(4, 3), Num(0.0f)));
}

TEST_F(ArithmeticTest, LinearAndQuadraticFillers) {
    v.CoordAllSetLinear(1);
    for (int c = 1; c <= 4; ++c) EXPECT_TRUE(identical(get(1, c), Num(c)));
    v.CoordAllSetKvadratic(2, Num(2), Num(-3), 0.5f);
    EXPECT_TRUE(identical(get(2, 3), Num(9.5f)));  // (2*3)*3 + (-3)*3 + 0.5
    v.CoordAllSetKvadratic(3, Num(0.5), Num(1), 0.0f);
    EXPECT_TRUE(identical(get(3, 2), Num(4.0)));
}

TEST_F(ArithmeticTest, DivisionGuardsZeroAndEmptyDivisors) {
    set(1, {Num(6.0f), Num(5.0f), Num(7), Num(1.0)});
    set(2, {Num(2.0f), Num(0.0f), Num(), Num(4.0f)});
    v.CoordDiv(1, 2, 3);
    EXPECT_TRUE(identical(get(3, 1), Num(3.0f)));
    EXPECT_TRUE(identical(get(3, 2), Num(0)));
    EXPECT_TRUE(identical(get(3, 3), Num(0)));
    EXPECT_TRUE(identical(get(3, 4), Num(0.25)));
}

TEST_F(ArithmeticTest, SqrtSignAbsLogExpKeepTheirKinds) {
    set(1, {Num(4.0f), Num(0.0f), Num(-1.0f), Num()});
    v.CoordSqr(1);
    EXPECT_TRUE(identical(get(1, 1), Num(2.0)));
    EXPECT_TRUE(identical(get(1, 2), Num(0)));
    EXPECT_TRUE(identical(get(1, 3), Num(0)));
    EXPECT_TRUE(identical(get(1, 4), Num(0)));

    set(2, {Num(3.0f), Num(0.0f), Num(-0.5f), Num()});
    v.CoordSign(2);
    EXPECT_TRUE(identical(get(2, 1), Num(100)));
    EXPECT_TRUE(identical(get(2, 2), Num(0.0f)));
    EXPECT_TRUE(identical(get(2, 3), Num(-100)));
    EXPECT_TRUE(get(2, 4).isEmpty());

    set(3, {Num(-2.5f), Num(3), Num(0.5), Num()});
    v.CoordAllAbs(3);
    EXPECT_TRUE(identical(get(3, 1), Num(2.5f)));
    EXPECT_TRUE(identical(get(3, 2), Num(3)));
    EXPECT_TRUE(identical(get(3, 3), Num(0.5)));
    EXPECT_TRUE(get(3, 4).isEmpty());

    set(4, {Num(1.0f), Num(-1.0f), Num(std::exp(2.0f)), Num()});
    v.CoordLog(4);
    EXPECT_TRUE(identical(get(4, 1), Num(0.0)));
    EXPECT_TRUE(identical(get(4, 2), Num(0)));
    EXPECT_NEAR(get(4, 3).doubleValue(), 2.0, 1e-6);
    EXPECT_TRUE(identical(get(4, 4), Num(0)));

    set(5, {Num(0.0f), Num(1.0f), Num(), Num(-1)});
    v.CoordExp(5);
    EXPECT_TRUE(identical(get(5, 1), Num(1.0)));
    EXPECT_TRUE(identical(get(5, 3), Num(1.0)));
    EXPECT_EQ(get(5, 2).doubleValue(), std::exp(1.0));
}

TEST_F(ArithmeticTest, ExpOverflowStopsWithTheEarlierCoordinatesWritten) {
    set(1, {Num(1.0f), Num(800.0f), Num(2.0f), Num(3.0f)});
    EXPECT_THROW(v.CoordExp(1), OverflowError);
    EXPECT_TRUE(identical(get(1, 1), Num(std::exp(1.0))));
    EXPECT_TRUE(identical(get(1, 2), Num(800.0f)));
    EXPECT_TRUE(identical(get(1, 3), Num(2.0f)));
}

TEST_F(ArithmeticTest, QuantifyRoundsHalvesToEven) {
    set(1, {Num(1.25f), Num(1.75f), Num(-1.25f), Num(0.3f)});
    v.CoordQuantify(1, 0.5f);
    EXPECT_TRUE(identical(get(1, 1), Num(1.0f)));
    EXPECT_TRUE(identical(get(1, 2), Num(2.0f)));
    EXPECT_TRUE(identical(get(1, 3), Num(-1.0f)));
    EXPECT_TRUE(identical(get(1, 4), Num(0.5f)));
    set(2, {Num(1.0f), Num(1.0f), Num(1.0f), Num(1.0f)});
    EXPECT_THROW(v.CoordQuantify(2, 0.0f), DivisionByZeroError);
    EXPECT_TRUE(identical(get(2, 1), Num(1.0f)));
    set(3, {Num(2.0f), Num(40000.0f), Num(3.0f), Num(4.0f)});
    EXPECT_THROW(v.CoordQuantify(3, 1.0f), OverflowError);
    EXPECT_TRUE(identical(get(3, 1), Num(2.0f)));
    EXPECT_TRUE(identical(get(3, 2), Num(40000.0f)));
}

TEST_F(ArithmeticTest, RandomValuesAreCentredDrawsFromTheUnitInterval) {
    v.VectorBaseEmpty(3000, 2, 0, 0, 0, 0, 0);
    v.CoordAllSetConstPlus(1, 9.0f);
    v.CoordAllSetRandom(1);
    double mean = 0.0, lo = 1.0, hi = -1.0;
    for (long c = 1; c <= 3000; ++c) {
        const Num x = get(1, c);
        ASSERT_TRUE(x.isSingle());
        mean += x.singleValue();
        lo = std::min(lo, static_cast<double>(x.singleValue()));
        hi = std::max(hi, static_cast<double>(x.singleValue()));
    }
    EXPECT_NEAR(mean / 3000.0, 0.0, 1e-4);
    EXPECT_GT(lo, -1.0);
    EXPECT_LT(hi, 1.0);
    EXPECT_GT(hi - lo, 0.9);  // the draws span the interval
    EXPECT_EQ(get(1, 3001).singleValue(), 9.0f);
}

TEST_F(ArithmeticTest, DayOfYearCountsLoadedDaysPerYearThroughTheOffset) {
    LoadedTradeDates.redim(1, 6, "empty date");
    const char* dates[] = {"1/2/1990", "12/30/1999", "12/31/1999",
                           "1/3/2000", "empty date", "1/5/2000"};
    for (int d = 1; d <= 6; ++d) LoadedTradeDates(d) = dates[d - 1];
    DayOffset = 1;
    v.VectorBaseEmpty(4, 3, 0, 0, 0, 0, 0);  // days 1..4 are DateNums 2..5
    v.CoordAllSetConst(2, 7.0f);
    v.CoordDayOfYear(1);
    const float ordinal[] = {1, 2, 1, 0}, year[] = {1999, 1999, 2000, 0};
    for (int c = 1; c <= 4; ++c) {
        EXPECT_EQ(get(1, c).toDouble(), ordinal[c - 1]) << c;
        EXPECT_EQ(get(2, c).toDouble(), year[c - 1]) << c;
    }
    // Counting restarts after a day without a date, even within the year.
    v.VectorBaseEmpty(2, 3, 0, 0, 0, 0, 0);
    DayOffset = 4;
    v.CoordDayOfYear(1);
    EXPECT_EQ(get(1, 1).toDouble(), 0.0);
    EXPECT_EQ(get(1, 2).toDouble(), 1.0);
    // A day beyond the table raises the table's error.
    DayOffset = 5;
    EXPECT_THROW(v.CoordDayOfYear(1), SubscriptRangeError);
}

TEST_F(ArithmeticTest, NormScalesByTheSingleReciprocalOfTheLength) {
    v.VectorBaseEmpty(2, 2, 0, 0, 0, 0, 0);
    set(1, {Num(3.0f), Num(4.0f)});
    v.CoordAllNorm(1);
    EXPECT_TRUE(identical(get(1, 1), Num(static_cast<float>(3.0 * static_cast<double>(0.2f)))));
    EXPECT_EQ(get(1, 2).singleValue(), 0.8f);
    v.CoordAllSetConst(2, 0.0f);
    v.CoordAllNorm(2);
    EXPECT_TRUE(identical(get(2, 1), Num(0.0f)));
    EXPECT_EQ(v.Norm(), 0.0f);
}

// Single-precision reference of the scalar accumulations, step by step.
TEST_F(ArithmeticTest, ScalarAccumulationsMatchAFloat32ReferenceBitForBit) {
    std::mt19937 gen(7);
    std::uniform_real_distribution<float> dist(-50.0f, 50.0f);
    v.VectorBaseEmpty(997, 3, 0, 0, 0, 0, 0);
    float dot = 0.0f, dist2 = 0.0f, sum = 0.0f, minimum = 0.0f;
    for (long c = 1; c <= 997; ++c) {
        const float a = dist(gen), b = dist(gen);
        v.CoordSetSingleValue(1, c, a);
        v.CoordSetSingleValue(2, c, b);
        volatile float p = a * b;
        dot = p + dot;
        volatile float d = a - b;
        volatile float q = d * d;
        dist2 = dist2 + q;
        sum = sum + a;
        if (c == 1 || a < minimum) minimum = a;
    }
    EXPECT_EQ(v.ScalarMullOfVectors(1, 2), dot);
    EXPECT_EQ(v.DistanceOfVectors(1, 2), static_cast<float>(std::sqrt(static_cast<double>(dist2))));
    EXPECT_EQ(v.ScalarAllAverage(1), static_cast<float>(static_cast<double>(sum) / 997.0));
    EXPECT_EQ(v.ScalarAllMinimum(1), minimum);
    EXPECT_EQ(v.DistanceOfVectors(1, 1), 0.0f);
    EXPECT_EQ(v.Distance(), 0.0f);
}

TEST_F(ArithmeticTest, ScalarEdgeKinds) {
    set(1, {Num(0.0f), Num(), Num(0), Num(0.0)});
    EXPECT_TRUE(identical(v.ScalarAllMaxAbs(1), Num(0)));
    set(1, {Num(-3), Num(2.0f), Num(), Num(0.5)});
    EXPECT_TRUE(identical(v.ScalarAllMaxAbs(1), Num(3.0f)));
    set(2, {Num(5.0f), Num(2.0f), Num(7.0f), Num(2.5f)});
    EXPECT_EQ(v.ScalarAllMinimum(2), 2.0f);
    v.SetCoordDim(0);
    EXPECT_EQ(v.ScalarAllMinimum(2), 5.0f);
    EXPECT_THROW(v.ScalarAllAverage(2), DivisionByZeroError);
    EXPECT_TRUE(identical(v.ScalarAllMaxAbs(2), Num(0)));
}

TEST_F(ArithmeticTest, AccumulationOverflowRaises) {
    set(1, {Num(FLT_MAX), Num(FLT_MAX), Num(0.0f), Num(0.0f)});
    EXPECT_THROW(v.ScalarMullOfVectors(1, 1), OverflowError);
    set(2, {Num(-FLT_MAX), Num(0.0f), Num(0.0f), Num(0.0f)});
    EXPECT_THROW(v.DistanceOfVectors(1, 2), OverflowError);
}

TEST_F(ArithmeticTest, CorrelationOfCoefficientVectors) {
    // Coefficients over an orthonormal base of N = 4 points: coordinate 1 / 2 is the mean.
    set(1, {Num(2.0f), Num(1.0f), Num(0.0f), Num(0.0f)});
    set(2, {Num(4.0f), Num(2.0f), Num(0.0f), Num(0.0f)});
    v.CoordSetSingleValue(1, 5, 0.5f);  // spreads in the first spare coordinate
    v.CoordSetSingleValue(2, 5, 1.0f);
    // s = 10; a = 2.5; cov = 2.5 - 1 * 2 = 0.5; r = 0.5 / 0.5 = 1
    EXPECT_EQ(v.CorelationOf2Vectors(1, 2, 4.0f), 1.0f);
    v.CoordSetSingleValue(2, 5, 0.0f);
    EXPECT_EQ(v.CorelationOf2Vectors(1, 2, 4.0f), -1.0f);
    v.CoordSetValue(2, 5, Num());
    EXPECT_EQ(v.CorelationOf2Vectors(1, 2, 4.0f), -1.0f);
    EXPECT_THROW(v.CorelationOf2Vectors(1, 2, 0.0f), DivisionByZeroError);
    EXPECT_THROW(v.CorelationOf2Vectors(1, 2, -4.0f), InvalidArgumentError);
}

TEST_F(ArithmeticTest, ABadVectorStopsBeforeAnyWrite) {
    set(1, {Num(1.0f), Num(1.0f), Num(1.0f), Num(1.0f)});
    EXPECT_THROW(v.CoordAllCombine(99, 1.0f, 1), SubscriptRangeError);
    EXPECT_THROW(v.CoordAllMull(1, 0, 1), SubscriptRangeError);
    EXPECT_THROW(v.CoordDiv(1, 11, 1), SubscriptRangeError);
    EXPECT_TRUE(identical(get(1, 1), Num(1.0f)));
    // A range beyond the matrix writes what lies inside it, then raises.
    v.SetCoordDim(40);
    EXPECT_THROW(v.CoordCoefAdd(1, 1.0f), SubscriptRangeError);
    EXPECT_TRUE(identical(get(1, 4), Num(2.0f)));
    EXPECT_TRUE(identical(get(1, 34), Num(1.0f)));
}

}  // namespace
}  // namespace vel
