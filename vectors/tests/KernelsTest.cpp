// The least-squares weight tables, the point kernels, the short relative derivatives and the
// vector-wide drivers: moment identities, fit rules, day ranges and yields.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "CoreFixture.h"
#include "KernelWeights.h"
#include "clsVectors.h"

namespace vel {
namespace {

using KernelsTest = testing::CoreFixture;

int g_yields = 0;
void countYield() {
    ++g_yields;
}

void dimension(clsVectors& v, long dim) {
    v.VectorBaseEmpty(dim, 20, 0, 0, 0, 0, 0);
}

TEST_F(KernelsTest, WeightRowsAreTheDegree4LeastSquaresRows) {
    for (int N = kMinKernelPoints; N <= kMaxKernelPoints; ++N)
        for (int r = 0; r < 2; ++r) {
            const double* w = r == 0 ? LeastSquaresValueWeights(N) : LeastSquaresSlopeWeights(N);
            // Moments: sum w x^k is 1 for k = r, 0 for the other k <= 4 (sums, reproduction).
            for (int k = 0; k <= 4; ++k) {
                long double sum = 0, scale = 0;
                for (int j = 0; j < N; ++j) {
                    const long double t = w[j] * std::pow(static_cast<long double>(j - (N - 1)), k);
                    sum += t;
                    scale += std::fabs(t);
                }
                EXPECT_NEAR(static_cast<double>(sum), k == r ? 1.0 : 0.0,
                            1e-15 * static_cast<double>(scale))
                    << "row " << r << " N " << N << " k " << k;
            }
            // The weights are a polynomial of degree 4 in the day: fifth differences vanish.
            for (int j = 0; j + 5 < N; ++j)
                EXPECT_NEAR(
                    -w[j] + 5 * w[j + 1] - 10 * w[j + 2] + 10 * w[j + 3] - 5 * w[j + 4] + w[j + 5],
                    0.0, 1e-14)
                    << "row " << r << " N " << N;
        }
    EXPECT_EQ(LeastSquaresValueWeights(4), nullptr);
    EXPECT_EQ(LeastSquaresSlopeWeights(51), nullptr);
}

TEST_F(KernelsTest, TellingRowsHoldTheExactFractionsRoundedOnce) {
    const std::vector<double> d5 = {0.25, -4.0 / 3, 3.0, -4.0, 25.0 / 12};
    const std::vector<double> d6 = {50.0 / 189, -811.0 / 756, 248.0 / 189,
                                    67.0 / 189, -506.0 / 189, 1375.0 / 756};
    const std::vector<double> v6 = {1.0 / 252,  -5.0 / 252, 5.0 / 126,
                                    -5.0 / 126, 5.0 / 252,  251.0 / 252};
    EXPECT_EQ(std::vector<double>(LeastSquaresSlopeWeights(5), LeastSquaresSlopeWeights(5) + 5),
              d5);
    EXPECT_EQ(std::vector<double>(LeastSquaresSlopeWeights(6), LeastSquaresSlopeWeights(6) + 6),
              d6);
    EXPECT_EQ(std::vector<double>(LeastSquaresValueWeights(6), LeastSquaresValueWeights(6) + 6),
              v6);
    EXPECT_EQ(std::vector<double>(LeastSquaresValueWeights(5), LeastSquaresValueWeights(5) + 5),
              std::vector<double>({0, 0, 0, 0, 1}));
    EXPECT_NEAR(LeastSquaresSlopeWeights(50)[49], 0.09599970, 5e-9);
    EXPECT_NEAR(LeastSquaresValueWeights(50)[49], 0.39703463, 5e-9);
    EXPECT_NEAR(LeastSquaresSlopeWeights(50)[0], 0.03447546, 5e-9);
    EXPECT_NEAR(LeastSquaresValueWeights(50)[0], 0.06152708, 5e-9);
    // Halves go to the even neighbour.
    EXPECT_EQ(RoundedRatio((1LL << 53) + 1, 1), 9007199254740992.0);
    EXPECT_EQ(RoundedRatio(-((1LL << 53) + 3), 1), -9007199254740996.0);
    EXPECT_EQ(RoundedRatio(3, -6), -0.5);
}

TEST_F(KernelsTest, KernelsSumOldestDayFirstInDoublePrecisionBitForBit) {
    clsVectors v;
    dimension(v, 200);
    std::mt19937 gen(9);
    std::uniform_real_distribution<float> d(-1e4f, 1e4f);
    for (int i = 1; i <= 200; ++i)
        v.CoordSetSingleValue(2, i, d(gen) * (i % 7 == 0 ? 1e-6f : 1.0f));
    for (long N = 5; N <= 50; ++N) {
        const long p = 60 + 2 * N;
        double value = 0, dy = 0;
        for (long j = 0; j < N; ++j) {
            const double y = v.CoordGetSingle(2, p - N + 1 + j);
            value = value + LeastSquaresValueWeights(static_cast<int>(N))[j] * y;
            dy = dy + LeastSquaresSlopeWeights(static_cast<int>(N))[j] * y;
        }
        ASSERT_EQ(v.PointInterpolation(Num(2), p, N), static_cast<float>(value)) << N;
        ASSERT_EQ(v.PointFirstDerivation(Num(2), p, N, false), static_cast<float>(dy)) << N;
        ASSERT_EQ(v.PointFirstDerivation(Num(2), p, N, true),
                  static_cast<float>(dy / v.CoordGetSingle(2, p)))
            << N;
    }
}

TEST_F(KernelsTest, FitRulesFivePointFormulaAndTheZeroGuard) {
    clsVectors v;
    dimension(v, 60);
    std::mt19937 gen(3);
    std::uniform_real_distribution<float> d(-50.0f, 50.0f);
    for (int i = 1; i <= 60; ++i) v.CoordSetSingleValue(1, i, d(gen));
    v.CoordSetValue(1, 9, Num(0.1));  // a double: the own value comes back as single
    auto y = [&](long c) { return static_cast<double>(v.CoordGetSingle(1, c)); };
    for (long N : {4L, 51L, 0L, 10L}) {  // 10 does not fit at day 9
        EXPECT_EQ(v.PointFirstDerivation(Num(1), 9, N, true), 0.0f) << N;
        EXPECT_EQ(v.PointInterpolation(Num(1), 9, N), 0.1f) << N;
    }
    for (long p = 5; p <= 30; ++p) {
        const double expect =
            (3 * y(p - 4) - 16 * y(p - 3) + 36 * y(p - 2) - 48 * y(p - 1) + 25 * y(p)) / 12;
        EXPECT_NEAR(v.PointFirstDerivation(Num(1), p, 5, false), expect, 1e-4) << p;
        EXPECT_EQ(v.PointInterpolation(Num(1), p, 5), v.CoordGetSingle(1, p)) << p;
    }
    // Empty cells count as 0; an empty or zero day has relative slope 0, not a division.
    v.CoordSetSingleValue(2, 20, 5.0f);
    const double w = LeastSquaresSlopeWeights(12)[11];
    EXPECT_FLOAT_EQ(v.PointFirstDerivation(Num(2), 20, 12, false), static_cast<float>(w * 5.0));
    EXPECT_EQ(v.PointFirstDerivation(Num(2), 21, 12, true), 0.0f);
    v.CoordSetSingleValue(2, 21, 0.0f);
    EXPECT_EQ(v.PointFirstDerivation(Num(2), 21, 12, true), 0.0f);
    // The day's own cell is read even when nothing is computed; a window past the matrix fails.
    EXPECT_THROW(v.PointFirstDerivation(Num(1), 0, 51, false), SubscriptRangeError);
    EXPECT_THROW(v.PointFirstDerivation(Num(1), 95, 50, false), SubscriptRangeError);
}

TEST_F(KernelsTest, KernelsYieldOnceAndRoundTheVectorNumberHalfToEven) {
    clsVectors v;
    dimension(v, 10);
    v.CoordSetSingleValue(2, 7, 2.0f);
    v.CoordSetSingleValue(4, 7, 4.0f);
    SetYieldHook(countYield);
    g_yields = 0;
    EXPECT_EQ(v.PointInterpolation(Num(2.5), 7, 4), 2.0f);
    EXPECT_EQ(v.PointInterpolation(Num(3.5f), 7, 4), 4.0f);
    EXPECT_THROW(v.PointFirstDerivation(Num(40000.0), 7, 5, false), OverflowError);
    EXPECT_EQ(v.PointSecDerivation(Num(999), -4, 20), 0.0f);  // reads nothing
    v.CalcRelDerivationB(2, 9);                               // no yield
    EXPECT_EQ(g_yields, 4);
}

TEST_F(KernelsTest, ShortRelativeDerivativesFollowTheQuadraticRules) {
    clsVectors v;
    dimension(v, 20);
    for (int i = 1; i <= 20; ++i) {
        v.CoordSetSingleValue(1, i, 40.0f + 3.0f * static_cast<float>(i));  // line, slope 3
        v.CoordSetSingleValue(2, i, static_cast<float>(i * i));             // slope 2i
    }
    EXPECT_EQ(v.CalcRelDerivationA(1, 3), 0.0f);
    EXPECT_EQ(v.CalcRelDerivationB(1, 7), 0.0f);
    EXPECT_NEAR(v.CalcRelDerivationA(1, 4), 300.0 / 52, 1e-5);
    EXPECT_NEAR(v.CalcRelDerivationB(1, 8), 300.0 / 64, 1e-5);
    EXPECT_NEAR(v.CalcRelDerivationA(2, 10), 20.0, 1e-4);
    EXPECT_NEAR(v.CalcRelDerivationB(2, 15), 100.0 * 30 / 225, 1e-4);
    v.CoordSetSingleValue(1, 12, 0.0f);  // a zero day: the plain sum, without the factor 100
    EXPECT_NEAR(v.CalcRelDerivationA(1, 12), 0.45 * 67 - 0.85 * 70 - 0.65 * 73, 1e-4);
    EXPECT_THROW(v.CalcRelDerivationA(1, 0), SubscriptRangeError);
}

TEST_F(KernelsTest, DriversCoverTheirDayRanges) {
    clsVectors v;
    dimension(v, 500);
    for (int i = 1; i <= 500; ++i) v.CoordSetSingleValue(1, i, 7.0f + 0.5f * static_cast<float>(i));
    ChartFrom1 = Num(150);
    ChartTo1 = 400;
    SetYieldHook(countYield);
    g_yields = 0;
    v.CoordAllSetConstPlus(2, 9.0f);
    v.VectorFirstDerivation(1, 2, 20, false);
    v.VectorSecDerivation(1, 3, 20);
    v.VectorInterpolation(1, 4, 10);
    EXPECT_EQ(g_yields, 351 + 351 + 500);
    for (int i = 1; i <= 500; ++i) {
        ASSERT_NEAR(v.CoordGetSingle(2, i), i >= 50 && i <= 400 ? 0.5f : 0.0f, 1e-5) << i;
        ASSERT_TRUE(identical(v.CoordGetSingleValue(3, i), Num(0.0f))) << i;
        ASSERT_NEAR(v.CoordGetSingle(4, i), v.CoordGetSingle(1, i), 1e-3) << i;  // a line stays
    }
    EXPECT_EQ(v.CoordGetSingle(2, 501), 9.0f);  // spare coordinates untouched
    // Near the start the first N - 1 days stay 0; the end is clamped to CoordDim; halves of
    // the tagged first day go to even (150.5 - 100 = 50.5 starts at 50).
    ChartFrom1 = Num(150.5);
    ChartTo1 = 600;
    v.VectorFirstDerivation(1, 2, 10, false);
    EXPECT_EQ(v.CoordGetSingle(2, 49), 0.0f);
    EXPECT_NE(v.CoordGetSingle(2, 50), 0.0f);
    EXPECT_NE(v.CoordGetSingle(2, 500), 0.0f);
    ChartFrom1 = Num(30);
    v.VectorFirstDerivation(1, 2, 10, false);
    EXPECT_EQ(v.CoordGetSingle(2, 9), 0.0f);
    EXPECT_NEAR(v.CoordGetSingle(2, 10), 0.5f, 1e-5);
    // A window not set yet computes nothing; non-fitting lengths give zeros and a copy.
    ChartFrom1 = Num();
    ChartTo1 = 0;
    v.VectorFirstDerivation(1, 2, 10, false);
    v.VectorInterpolation(1, 4, 51);
    for (int i = 1; i <= 500; ++i) ASSERT_EQ(v.CoordGetSingle(2, i), 0.0f);
    for (int i = 1; i <= 500; ++i) ASSERT_EQ(v.CoordGetSingle(4, i), v.CoordGetSingle(1, i));
    v.VectorInterpolation(1, 1, 10);  // source and target the same: zeros
    EXPECT_EQ(v.CoordGetSingle(1, 300), 0.0f);
    ChartFrom1 = Num(1e6);  // a first day beyond 16 bits overflows after the zeroing
    v.CoordAllSetConst(2, 1.0f);
    EXPECT_THROW(v.VectorFirstDerivation(1, 2, 10, false), OverflowError);
    EXPECT_EQ(v.CoordGetSingle(2, 1), 0.0f);
}

TEST_F(KernelsTest, ShortFormulasAreExactOnQuadratics) {
    clsVectors v;
    dimension(v, 300);
    // y = 5 - 2 i + 0.25 i^2: slope -2 + 0.5 i, curvature 0.5.
    for (int i = 1; i <= 300; ++i) v.CoordSetSingleValue(1, i, 5.0f - 2.0f * i + 0.25f * i * i);
    ChartFrom1 = Num(50);
    ChartTo1 = 200;
    v.CoordFirstDerivation6p2d(1, 2);
    v.Coord4PointDerivation(1, 3);
    for (int i = 1; i <= 300; ++i) {
        ASSERT_NEAR(v.CoordGetSingle(2, i), i >= 6 && i <= 200 ? -2.0f + 0.5f * i : 0.0f, 1e-3)
            << i;
        ASSERT_EQ(v.CoordGetSingle(3, i), i >= 4 ? 0.5f : 0.0f) << i;
    }
    ChartFrom1 = Num(150);
    v.CoordFirstDerivation6p2d(1, 2);
    EXPECT_EQ(v.CoordGetSingle(2, 49), 0.0f);
    EXPECT_EQ(v.CoordGetSingle(2, 50), 23.0f);
    ChartTo1 = 5;
    v.CoordFirstDerivation6p2d(1, 2);
    EXPECT_EQ(v.CoordGetSingle(2, 50), 0.0f);
}

}  // namespace
}  // namespace vel
