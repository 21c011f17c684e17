// Regions, dimensioning, element access, copies and the error convention of the store.
#include <gtest/gtest.h>

#include "CoreFixture.h"
#include "clsVectors.h"

namespace vel {
namespace {

using StoreTest = testing::CoreFixture;

TEST_F(StoreTest, ConstructionSetsDefaultsAndNoCells) {
    clsVectors v;
    EXPECT_EQ(v.CoordDim(), 20);
    EXPECT_EQ(v.WorkDim(), 600);
    EXPECT_EQ(v.HelpDim(), 100);
    EXPECT_EQ(v.ChartDim(), 100);
    EXPECT_EQ(v.ModelDim(), 200);
    EXPECT_EQ(v.BaseDim(), 100);
    EXPECT_EQ(v.BufferDim(), 100);
    EXPECT_EQ(v.WorkStart(), 0);
    EXPECT_EQ(v.BufferStart(), 0);
    EXPECT_THROW(v.CoordGetSingleValue(1, 1), SubscriptRangeError);
    EXPECT_THROW(v.CoordSetSingleValue(1, 1, 1.0f), SubscriptRangeError);
    EXPECT_THROW(v.CoordAllSetConst(1, 1.0f), SubscriptRangeError);
}

TEST_F(StoreTest, DimensioningLaysOutRegionsWithoutGaps) {
    clsVectors v;
    v.VectorBaseEmpty(20, 600, 100, 100, 200, 100, 100);
    EXPECT_EQ(v.WorkStart(), 1);
    EXPECT_EQ(v.HelpStart(), 601);
    EXPECT_EQ(v.ChartStart(), 701);
    EXPECT_EQ(v.ModelStart(), 801);
    EXPECT_EQ(v.BaseStart(), 1001);
    EXPECT_EQ(v.BufferStart(), 1101);
    EXPECT_EQ(v.TotalVectors(), 1200);
    EXPECT_EQ(v.TotalCoords(), 50);
    for (long vec : {1L, 600L, 1200L})
        for (long c : {1L, 20L, 50L}) {
            const Num x = v.CoordGetSingleValue(vec, c);
            EXPECT_TRUE(x.isEmpty());
            EXPECT_EQ(x.toDouble(), 0.0);
        }
    EXPECT_THROW(v.CoordGetSingleValue(1201, 1), SubscriptRangeError);
    EXPECT_THROW(v.CoordGetSingleValue(1, 51), SubscriptRangeError);
    EXPECT_THROW(v.CoordGetSingleValue(0, 1), SubscriptRangeError);

    v.VectorBaseEmpty(250, 100, 100, 100, 500, 100, 500);
    EXPECT_EQ(v.HelpStart(), 101);
    EXPECT_EQ(v.ChartStart(), 201);
    EXPECT_EQ(v.ModelStart(), 301);
    EXPECT_EQ(v.BaseStart(), 801);
    EXPECT_EQ(v.BufferStart(), 901);
    EXPECT_EQ(v.TotalVectors(), 1400);
    EXPECT_EQ(v.TotalCoords(), 280);

    v.VectorBaseEmpty(10, 5, 5, 0, 5, 5, 5);
    EXPECT_EQ(v.ChartStart(), v.ModelStart());
}

TEST_F(StoreTest, RedimensioningDiscardsContentAndCounts) {
    clsVectors v;
    v.VectorBaseEmpty(30, 10, 10, 10, 10, 10, 500);
    v.CoordSetSingleValue(7, 3, 4.5f);
    v.CoordSetValue(8, 3, Num(1e300));
    v.SetBufferCount(500);
    v.SetChartCount(7);
    v.SetNorm(2.0f);
    v.VectorBaseEmpty(30, 10, 10, 10, 10, 10, 500);
    EXPECT_TRUE(v.CoordGetSingleValue(7, 3).isEmpty());
    EXPECT_TRUE(v.CoordGetSingleValue(8, 3).isEmpty());
    EXPECT_EQ(v.BufferCount(), 0);
    EXPECT_EQ(v.ChartCount(), 0);
    EXPECT_EQ(v.Norm(), 2.0f);
}

TEST_F(StoreTest, BadSizesRaiseBeforeAnythingChanges) {
    clsVectors v;
    v.VectorBaseEmpty(10, 2, 2, 2, 2, 2, 2);
    v.CoordSetSingleValue(3, 3, 1.5f);
    EXPECT_THROW(v.VectorBaseEmpty(10, -1, 2, 2, 2, 2, 2), SubscriptRangeError);
    EXPECT_THROW(v.VectorBaseEmpty(-5, 1, 2, 2, 2, 2, 2), SubscriptRangeError);
    EXPECT_THROW(v.VectorBaseEmpty(10, 20000, 20000, 2, 2, 2, 2), OverflowError);
    EXPECT_THROW(v.VectorBaseEmpty(32740, 1, 1, 1, 1, 1, 1), OverflowError);
    EXPECT_EQ(v.CoordDim(), 10);
    EXPECT_EQ(v.HelpStart(), 3);
    EXPECT_EQ(v.TotalVectors(), 12);
    EXPECT_EQ(v.CoordGetSingleValue(3, 3).singleValue(), 1.5f);
    // The largest store of the program fits.
    EXPECT_NO_THROW(v.VectorBaseEmpty(3000, 100, 100, 100, 10000, 100, 10000));
    EXPECT_EQ(v.TotalVectors(), 20400);
}

TEST_F(StoreTest, AccessorsStoreOnlyAndAre16Bit) {
    clsVectors v;
    v.VectorBaseEmpty(10, 2, 2, 2, 2, 2, 2);
    v.SetWorkStart(7);
    v.SetHelpDim(99);
    EXPECT_EQ(v.WorkStart(), 7);
    EXPECT_EQ(v.TotalVectors(), 12);
    EXPECT_THROW(v.SetCoordDim(40000), OverflowError);
    // Whole-vector operations follow a changed CoordDim, within the real matrix.
    v.SetCoordDim(12);
    v.CoordAllSetConst(1, 3.0f);
    EXPECT_EQ(v.CoordGetSingleValue(1, 12).singleValue(), 3.0f);
    EXPECT_TRUE(v.CoordGetSingleValue(1, 13).isEmpty());
}

TEST_F(StoreTest, SetConstAndPlusReachTheirCoordinates) {
    clsVectors v;
    v.VectorBaseEmpty(5, 2, 0, 0, 0, 0, 0);
    v.CoordAllSetConstPlus(2, 7.0f);
    v.CoordAllSetConst(2, 2.5f);
    for (int c = 1; c <= 5; ++c) EXPECT_EQ(v.CoordGetSingleValue(2, c).singleValue(), 2.5f);
    for (int c = 6; c <= 35; ++c) EXPECT_EQ(v.CoordGetSingleValue(2, c).singleValue(), 7.0f);
    EXPECT_TRUE(v.CoordGetSingleValue(1, 1).isEmpty());
}

TEST_F(StoreTest, ZeroCoordDimTouchesOnlyPlusOperations) {
    clsVectors v;
    v.VectorBaseEmpty(0, 3, 3, 0, 0, 0, 0);
    v.CoordAllSetConst(1, 1.0f);
    v.VectorCopy(1, 2);
    v.BufferZeroWork();
    v.BufferZeroHelp();
    for (int c = 1; c <= 30; ++c) EXPECT_TRUE(v.CoordGetSingleValue(1, c).isEmpty());
    // With nothing to loop over, even a vector outside the matrix is never touched.
    EXPECT_NO_THROW(v.CoordAllSetConst(99, 1.0f));
    v.CoordAllSetConstPlus(1, 4.0f);
    v.VectorCopyPlus(1, 2);
    for (int c = 1; c <= 30; ++c) EXPECT_EQ(v.CoordGetSingleValue(2, c).singleValue(), 4.0f);
}

TEST_F(StoreTest, CopyKeepsKindsAndEmptyCells) {
    clsVectors v;
    v.VectorBaseEmpty(4, 3, 0, 0, 0, 0, 0);
    v.CoordSetSingleValue(1, 1, 1.25f);
    v.CoordSetValue(1, 2, Num(7));
    v.CoordSetValue(1, 3, Num(0.1));
    v.CoordAllSetConst(2, 9.0f);
    v.VectorCopy(1, 2);
    EXPECT_TRUE(identical(v.CoordGetSingleValue(2, 1), Num(1.25f)));
    EXPECT_TRUE(identical(v.CoordGetSingleValue(2, 2), Num(7)));
    EXPECT_TRUE(identical(v.CoordGetSingleValue(2, 3), Num(0.1)));
    EXPECT_TRUE(v.CoordGetSingleValue(2, 4).isEmpty());
    // Overwriting the source's double does not disturb the copy's.
    v.CoordSetValue(1, 3, Num(0.7));
    EXPECT_EQ(v.CoordGetSingleValue(2, 3).doubleValue(), 0.1);
    v.VectorCopy(2, 2);
    EXPECT_TRUE(identical(v.CoordGetSingleValue(2, 3), Num(0.1)));
}

TEST_F(StoreTest, ZeroingWorkAndHelpLeavesSparesAndCounts) {
    clsVectors v;
    v.VectorBaseEmpty(3, 2, 2, 1, 0, 0, 0);
    for (int vec = 1; vec <= 5; ++vec) v.CoordAllSetConstPlus(vec, 5.0f);
    v.SetWorkCount(2);
    v.BufferZeroWork();
    EXPECT_EQ(v.CoordGetSingleValue(1, 3).singleValue(), 0.0f);
    EXPECT_EQ(v.CoordGetSingleValue(2, 1).singleValue(), 0.0f);
    EXPECT_EQ(v.CoordGetSingleValue(2, 4).singleValue(), 5.0f);
    EXPECT_EQ(v.CoordGetSingleValue(3, 1).singleValue(), 5.0f);
    EXPECT_EQ(v.WorkCount(), 2);
    v.BufferZeroHelp();
    EXPECT_EQ(v.CoordGetSingleValue(4, 2).singleValue(), 0.0f);
    EXPECT_EQ(v.CoordGetSingleValue(5, 1).singleValue(), 5.0f);
}

TEST_F(StoreTest, CoordinateRangeBeyondTheMatrixWritesThePrefixThenRaises) {
    clsVectors v;
    v.VectorBaseEmpty(2, 2, 0, 0, 0, 0, 0);  // 32 coordinates
    v.SetCoordDim(40);
    EXPECT_THROW(v.CoordAllSetConst(1, 3.0f), SubscriptRangeError);
    EXPECT_EQ(v.CoordGetSingleValue(1, 32).singleValue(), 3.0f);
    EXPECT_THROW(v.VectorCopy(1, 2), SubscriptRangeError);
    EXPECT_EQ(v.CoordGetSingleValue(2, 32).singleValue(), 3.0f);
    // A bad vector fails at the first access, before any write.
    v.SetCoordDim(2);
    EXPECT_THROW(v.VectorCopy(1, 3), SubscriptRangeError);
    EXPECT_THROW(v.VectorCopy(3, 2), SubscriptRangeError);
    EXPECT_EQ(v.CoordGetSingleValue(2, 1).singleValue(), 3.0f);
}

}  // namespace
}  // namespace vel
