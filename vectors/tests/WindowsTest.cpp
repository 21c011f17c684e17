// Moving-window transforms and past profit: worked values, what the same vector as source and
// target gives, bad lengths, the spare coordinates, and single-precision accumulation order.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <typeinfo>
#include <vector>

#include "AppState.h"
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

// Same kind and the same bits (so 0 and -0 differ; any two NaN agree).
bool sameBits(const Num& a, const Num& b) {
    if (a.kind() != b.kind()) return false;
    if (a.isSingle())
        return std::bit_cast<std::uint32_t>(a.singleValue()) ==
                   std::bit_cast<std::uint32_t>(b.singleValue()) ||
               (std::isnan(a.singleValue()) && std::isnan(b.singleValue()));
    if (a.isDouble())
        return std::bit_cast<std::uint64_t>(a.doubleValue()) ==
               std::bit_cast<std::uint64_t>(b.doubleValue());
    return identical(a, b);
}

// The bits of a result, for comparing the two roads.
std::string bitsOf(const Num& x) {
    return std::to_string(static_cast<int>(x.kind())) + ":" +
           (x.isSingle()   ? std::to_string(std::bit_cast<std::uint32_t>(x.singleValue()))
            : x.isDouble() ? std::to_string(std::bit_cast<std::uint64_t>(x.doubleValue()))
                           : x.toString());
}

// Two stores with the same cells, one run on the fast roads and one on the plain roads; after
// each operation both returned the same bits, hold identical cells (kind and bits) and raised
// the same error, if any.
class FastRoadTest : public testing::CoreFixture {
protected:
    void TearDown() override {
        clsVectors::SetFastRoads(true);
        testing::CoreFixture::TearDown();
    }
    void dim(long coords, long rows) {
        for (clsVectors* s : {&fast, &plain}) s->VectorBaseEmpty(coords, rows, 0, 0, 0, 0, 0);
    }
    void set(long vec, long c, const Num& x) {
        fast.CoordSetValue(vec, c, x);
        plain.CoordSetValue(vec, c, x);
    }
    // Runs op (which returns the text of its result) on both stores and compares.
    template <class Op>
    void expectSame(Op op, const std::string& what) {
        std::string results[2];
        clsVectors* stores[2] = {&fast, &plain};
        for (int road = 0; road < 2; ++road) {
            clsVectors::SetFastRoads(road == 0);
            try {
                results[road] = op(*stores[road]);
            } catch (const std::exception& e) {
                results[road] = typeid(e).name();
            }
        }
        clsVectors::SetFastRoads(true);
        ASSERT_EQ(results[0], results[1]) << what;
        for (long vec = 1; vec <= fast.TotalVectors(); ++vec)
            for (long c = 1; c <= fast.TotalCoords(); ++c)
                ASSERT_TRUE(
                    sameBits(fast.CoordGetSingleValue(vec, c), plain.CoordGetSingleValue(vec, c)))
                    << what << " vector " << vec << " day " << c << ": "
                    << fast.CoordGetSingleValue(vec, c).toString() << " against "
                    << plain.CoordGetSingleValue(vec, c).toString();
    }
    clsVectors fast, plain;
};

// Random rows of singles with ties, signed zeros, NaN, huge values whose sums overflow, and
// cells of the other kinds; random lengths, radii, periods and targets (the source itself
// included).
TEST_F(FastRoadTest, EveryFastRoadEqualsThePlainForm) {
    std::mt19937 gen(20261210u);
    auto pick = [&](long lo, long hi) { return std::uniform_int_distribution<long>(lo, hi)(gen); };
    const float specials[] = {0.0f, -0.0f, 1.0f, 1.0f, 2.0f, 3e38f, -3e38f, std::nanf("")};
    for (int round = 0; round < 600; ++round) {
        const std::string r = " round " + std::to_string(round);
        const long days = pick(1, 140);
        dim(days, 3);
        // 0: singles with every bit of their mantissa in use; 1: quarters (many ties) and the
        // special values; 2: also whole and empty cells; 3: also doubles; 4: signed zeros and
        // ones, where only the order of equal values decides which zero is the median; 5: huge
        // values whose sums leave the single range; 6: on every second day the same huge value
        // in every vector, so that sums of two vectors leave the single range while their
        // differences stay small
        const int mix = static_cast<int>(pick(0, 6));
        for (long vec = 1; vec <= 3; ++vec) {
            for (long c = 1; c <= days + 30; ++c) {
                const long k = pick(0, 19);
                Num x(static_cast<float>(pick(-20, 20)) / 4.0f);
                if (mix == 0) x = Num(std::uniform_real_distribution<float>(-100.0f, 100.0f)(gen));
                if (mix == 4) x = Num(specials[pick(0, 3)] * (pick(0, 1) ? 1.0f : -1.0f));
                if (mix == 5 && k < 10) x = Num(static_cast<float>(pick(-3, 3)) * 1e38f);
                if (mix == 6 && c % 2 == 0) x = Num(2e38f);
                if (mix >= 1 && mix <= 3 && k == 0) x = Num(specials[pick(0, 7)]);
                if (mix >= 2 && mix <= 3 && k == 1) x = Num(static_cast<int>(pick(-5, 5)));
                if (mix >= 2 && mix <= 3 && k == 2) x = Num();
                if (mix == 3 && k == 3) x = Num(pick(0, 1) ? 0.125 : 1e300);
                set(vec, c, x);
            }
        }
        const long from = pick(1, 3), to = pick(0, 3) == 0 ? from : pick(1, 3);
        // A period mostly inside the days, sometimes reversed or beyond them; its start whole
        // or single.
        const long first = pick(-2, days + 3), last = pick(0, 4) == 0
                                                          ? pick(-2, days + 40)
                                                          : pick(first, std::max(first, days));
        GroupFrom = pick(0, 3) == 0 ? Num(static_cast<float>(first)) : Num(static_cast<int>(first));
        GroupTo = static_cast<std::int16_t>(last);
        const std::string period =
            " period " + std::to_string(first) + ".." + std::to_string(last) + r;
        expectSame([&](clsVectors& s) { return bitsOf(s.GroupCoordAverage(from)); },
                   "group average" + period);
        expectSame([&](clsVectors& s) { return bitsOf(s.GroupCoordValueGrowth(from)); },
                   "group growth" + period);
        expectSame([&](clsVectors& s) { return bitsOf(s.GroupPriceLinearity(from)); },
                   "group linearity" + period);
        expectSame([&](clsVectors& s) { return bitsOf(s.GroupMoneyVolumeAverage(from, to)); },
                   "money volume" + period);
        const Num start =
            pick(0, 3) == 0 ? Num(static_cast<float>(first) + 0.5f) : Num(static_cast<int>(first));
        expectSame(
            [&](clsVectors& s) {
                return bitsOf(
                    Num(s.ScalarFromToCoordAverage(Num(static_cast<int>(from)), start, last)));
            },
            "average" + period);
        expectSame(
            [&](clsVectors& s) {
                return bitsOf(Num(s.ScalarFromToRelStdDevi(
                    Num(static_cast<int>(from)), Num(static_cast<int>(to)), start, last)));
            },
            "relative deviation" + period);
        const long len = pick(0, 5) == 0 ? pick(-1, 120)
                                         : pick(std::min(3L, days + 1), std::min(100L, days + 1));
        expectSame(
            [&](clsVectors& s) {
                s.CoordPastMedian(from, to, len);
                return std::string();
            },
            "median " + std::to_string(len) + r);
        const long radius = pick(0, 9) == 0 ? pick(-1, 200) : pick(0, 8);
        expectSame(
            [&](clsVectors& s) {
                s.CoordAllRadiusSmooth(radius, from, to);
                return std::string();
            },
            "smooth " + std::to_string(radius) + r);
    }
}

}  // namespace
}  // namespace vel
