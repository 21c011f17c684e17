// Column tables: copy, combine, scale and clear row by row, and the descending ranking with its
// ties, its lower bound, empty cells and a target that is the source.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <random>
#include <vector>

#include "CoreFixture.h"
#include "clsVectors.h"

namespace vel {
namespace {

class ColumnsTest : public testing::CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        v.VectorBaseEmpty(4, 0, 0, 0, 0, 0, 60);
    }
    // Column c of the table whose row 1 is vector 1.
    void column(long c, std::initializer_list<float> values) {
        long row = 1;
        for (float f : values) v.CoordSetSingleValue(row++, c, f);
    }
    std::vector<double> column(long c, long rows) const {
        std::vector<double> r;
        for (long row = 1; row <= rows; ++row)
            r.push_back(v.CoordGetSingleValue(row, c).toDouble());
        return r;
    }
    clsVectors v;
};

using D = std::vector<double>;

TEST_F(ColumnsTest, RankingGivesTiesConsecutiveRanksInRowOrder) {
    column(1, {5, 7, 5, 7});
    v.ColumnDESCRanking(1, 1, 2, 1, 4);
    EXPECT_EQ(column(2, 4), (D{3, 1, 4, 2}));
    column(1, {3, 3, 3, 3});
    v.ColumnDESCRanking(1, 1, 2, 1, 4);
    EXPECT_EQ(column(2, 4), (D{1, 2, 3, 4}));
    EXPECT_TRUE(v.CoordGetSingleValue(1, 2).isSingle());
}

TEST_F(ColumnsTest, RankingLeavesValuesAtOrBelowTheBoundUnranked) {
    column(1, {2, -2e13f, 1});
    column(2, {9, 9, 9});
    v.ColumnDESCRanking(1, 1, 2, 1, 3);
    EXPECT_EQ(column(2, 3), (D{1, 0, 2}));
    // An empty cell takes part as 0.
    v.VectorBaseEmpty(4, 0, 0, 0, 0, 0, 60);
    column(1, {-1});
    v.CoordSetSingleValue(3, 1, 3.0f);
    v.ColumnDESCRanking(1, 1, 2, 1, 3);
    EXPECT_EQ(column(2, 3), (D{3, 2, 1}));
}

TEST_F(ColumnsTest, RankingWithNoRowsOrOntoItsOwnColumn) {
    column(1, {4, 8, 6});
    column(2, {9, 9, 9});
    v.ColumnDESCRanking(1, 1, 2, 1, 0);
    EXPECT_EQ(column(2, 3), (D{9, 9, 9}));  // not even cleared
    v.ColumnDESCRanking(1, 1, 1, 1, 3);
    EXPECT_EQ(column(1, 3), (D{1, 2, 3}));
    // The target may lie in other rows of another store region; the source stays as it was.
    column(1, {4, 8, 6});
    v.ColumnDESCRanking(1, 1, 3, 30, 3);
    EXPECT_EQ(column(1, 3), (D{4, 8, 6}));
    EXPECT_EQ(v.CoordGetSingleValue(31, 3).toDouble(), 1.0);
}

// The selection passes as written out, through the element access only: the oracle of the
// ranking, whichever way it is computed.
void selectionRanking(clsVectors& s, long sc, long sv, long tc, long tv, long rows) {
    for (long i = 1; i <= rows; ++i) s.CoordSetSingleValue(tv + i - 1, tc, 0.0f);
    for (long j = 1; j <= rows; ++j) {
        float best = static_cast<float>(-std::exp(30.0));
        long bestRow = 0;
        for (long k = 1; k <= rows; ++k) {
            const Num source = s.CoordGetSingleValue(sv + k - 1, sc);
            if (source.toDouble() > best &&
                s.CoordGetSingleValue(tv + k - 1, tc).toDouble() == 0.0) {
                best = source.toSingle();
                bestRow = k;
            }
        }
        if (bestRow > 0) s.CoordSetSingleValue(tv + bestRow - 1, tc, static_cast<float>(j));
    }
}

TEST_F(ColumnsTest, RankingAgreesWithTheSelectionPassesOnRandomTables) {
    std::mt19937 gen(4242u);
    std::uniform_int_distribution<int> pick(0, 9);
    struct Layout {
        long sc, sv, tc, tv, rows;
    };
    const Layout layouts[] = {
        {1, 1, 2, 1, 50}, {1, 1, 1, 4, 40}, {3, 10, 3, 1, 30}, {2, 5, 4, 30, 25}};
    for (int round = 0; round < 40; ++round) {
        clsVectors a, b;
        a.VectorBaseEmpty(4, 0, 0, 0, 0, 0, 60);
        b.VectorBaseEmpty(4, 0, 0, 0, 0, 0, 60);
        const bool inexact = round % 4 == 3;  // a double between two singles
        for (long r = 1; r <= 60; ++r)
            for (long c = 1; c <= 4; ++c) {
                const int p = pick(gen);
                Num x = p < 2 ? Num() : p == 2 ? Num(-3e13f) : p == 3 ? Num(p - 5) : Num(0.25f * p);
                if (inexact && p == 9) x = Num(2.25 + 1e-9 * r);
                a.CoordSetValue(r, c, x);
                b.CoordSetValue(r, c, x);
            }
        const Layout& l = layouts[round % 4];
        a.ColumnDESCRanking(l.sc, l.sv, l.tc, l.tv, l.rows);
        selectionRanking(b, l.sc, l.sv, l.tc, l.tv, l.rows);
        for (long r = 1; r <= 60; ++r)
            for (long c = 1; c <= 4; ++c)
                ASSERT_TRUE(identical(a.CoordGetSingleValue(r, c), b.CoordGetSingleValue(r, c)))
                    << "round " << round << " row " << r << " column " << c;
    }
}

TEST_F(ColumnsTest, CopyCombineScaleAndClearRowByRow) {
    column(1, {1, 2, 3});
    v.ColumnCopy(1, 1, 1, 2, 3);  // within one column, one row down
    EXPECT_EQ(column(1, 4), (D{1, 1, 1, 1}));
    column(1, {1, 2, 3});
    v.CoordSetValue(1, 2, Num(10));
    v.ColumnsCombine(1, 1, 0.5f, 2, 1, 3);
    EXPECT_EQ(column(2, 3), (D{10.5, 1, 1.5}));
    EXPECT_TRUE(v.CoordGetSingleValue(1, 2).isSingle());
    v.ColumnsCombine(1, 1, 0.0f, 3, 1, 2);  // an empty target becomes 0
    EXPECT_TRUE(identical(v.CoordGetSingleValue(1, 3), Num(0.0f)));
    v.ColumnCoefMull(2, 1, -2.0f, 4);
    EXPECT_EQ(column(2, 4), (D{-21, -2, -3, 0}));
    EXPECT_TRUE(identical(v.CoordGetSingleValue(4, 2), Num(-0.0f)));
    v.ColumnClear(2, 2, 2);
    EXPECT_EQ(column(2, 4), (D{-21, 0, 0, 0}));
}

TEST_F(ColumnsTest, OverflowStopsAtTheRowAfterEarlierRowsChanged) {
    column(1, {2, FLT_MAX, 4});
    EXPECT_THROW(v.ColumnCoefMull(1, 1, 4.0f, 3), OverflowError);
    EXPECT_EQ(column(1, 3), (D{8, FLT_MAX, 4}));
    v.CoordSetSingleValue(59, 1, 5.0f);
    v.CoordSetSingleValue(60, 1, 6.0f);
    v.CoordSetSingleValue(3, 2, 7.0f);
    EXPECT_THROW(v.ColumnCopy(1, 59, 2, 1, 3), SubscriptRangeError);  // rows 59, 60, 61
    EXPECT_EQ(column(2, 3), (D{5, 6, 7}));
}

}  // namespace
}  // namespace vel
