// The tagged number's kinds, dynamic arithmetic and conversions.
#include <gtest/gtest.h>

#include <cfloat>

#include "Num.h"

using vel::Num;

namespace {

TEST(Num, EmptyActsAsWholeZero) {
    const Num e;
    EXPECT_TRUE(e.isEmpty());
    EXPECT_EQ(e.toDouble(), 0.0);
    const Num s = e + Num(0);
    EXPECT_TRUE(s.isWhole());
    EXPECT_EQ(s.wholeValue(), 0);
    EXPECT_TRUE((e * Num(2.5f)).isSingle());
    EXPECT_TRUE((e - Num(2.5)).isDouble());
}

TEST(Num, WiderKindWins) {
    EXPECT_TRUE((Num(3) + Num(4)).isWhole());
    EXPECT_TRUE((Num(3) + Num(1.5f)).isSingle());
    EXPECT_TRUE((Num(1.5f) * Num(1.5f)).isSingle());
    EXPECT_TRUE((Num(1.5f) * Num(2.0)).isDouble());
    EXPECT_TRUE((Num(3) * Num(2.0)).isDouble());
    // A quotient of two whole numbers is a double, as the program's division gives.
    const Num q = Num(7) / Num(2);
    EXPECT_TRUE(q.isDouble());
    EXPECT_EQ(q.doubleValue(), 3.5);
}

TEST(Num, WholeNumbersWidenInsteadOfOverflowing) {
    const Num a = Num(32767) + Num(1);
    ASSERT_TRUE(a.isWhole());
    EXPECT_EQ(a.wholeValue(), 32768);
    const Num big = Num(2147483647) + Num(1);
    ASSERT_TRUE(big.isDouble());
    EXPECT_EQ(big.doubleValue(), 2147483648.0);
    const Num prod = Num(65536) * Num(65536);
    ASSERT_TRUE(prod.isDouble());
    EXPECT_EQ(prod.doubleValue(), 4294967296.0);
}

TEST(Num, SingleResultsAreRoundedOnceAndWidenOnOverflow) {
    // 0.1f + 0.2f in single precision differs from the double sum rounded to single? No: both
    // operands are singles, the sum is rounded once to single.
    const Num s = Num(0.1f) + Num(0.2f);
    ASSERT_TRUE(s.isSingle());
    EXPECT_EQ(s.singleValue(), 0.1f + 0.2f);
    const Num over = Num(FLT_MAX) * Num(2.0f);
    ASSERT_TRUE(over.isDouble());
    EXPECT_EQ(over.doubleValue(), static_cast<double>(FLT_MAX) * 2.0);
}

TEST(Num, ErrorsInsteadOfNanOrInfinity) {
    EXPECT_THROW(Num(1.0f) / Num(0.0f), vel::DivisionByZeroError);
    EXPECT_THROW(Num(1) / Num(), vel::DivisionByZeroError);
    EXPECT_THROW(Num(DBL_MAX) * Num(2.0), vel::OverflowError);
    EXPECT_THROW(Num(1e300).toSingle(), vel::OverflowError);
}

TEST(Num, SixteenBitConversionRoundsHalvesToEven) {
    EXPECT_EQ(Num(2.5f).toInt16(), 2);
    EXPECT_EQ(Num(3.5f).toInt16(), 4);
    EXPECT_EQ(Num(-2.5f).toInt16(), -2);
    EXPECT_EQ(Num(-3.5).toInt16(), -4);
    EXPECT_EQ(Num(2.4999f).toInt16(), 2);
    EXPECT_EQ(Num(32767.4).toInt16(), 32767);
    EXPECT_EQ(Num(-32768.5).toInt16(), -32768);
    EXPECT_THROW(Num(32767.5).toInt16(), vel::OverflowError);
    EXPECT_THROW(Num(40000).toInt16(), vel::OverflowError);
    EXPECT_THROW(Num(-32769).toInt16(), vel::OverflowError);
    EXPECT_EQ(Num().toInt16(), 0);
}

TEST(Num, ComparisonsByValueAcrossKinds) {
    EXPECT_TRUE(Num(1) < Num(1.5f));
    EXPECT_TRUE(Num() == Num(0.0f));
    EXPECT_FALSE(identical(Num(), Num(0)));
    EXPECT_TRUE(identical(Num(2.0f), Num(2.0f)));
    EXPECT_FALSE(identical(Num(2.0f), Num(2.0)));
}

}  // namespace
