// Transfers between stores and the Base and Buffer stacks.
#include <gtest/gtest.h>

#include "CoreFixture.h"
#include "clsVectors.h"

namespace vel {
namespace {

class TransferTest : public testing::CoreFixture {
protected:
    // A store of `days` coordinates whose vector 1 holds 1, 2, 3, ... as singles.
    static void fillRamp(clsVectors& v, long vec) {
        for (long c = 1; c <= v.CoordDim(); ++c)
            v.CoordSetSingleValue(vec, c, static_cast<float>(c));
    }
};

TEST_F(TransferTest, PushCopiesTheSmallerCoordDimAndZeroesTheRest) {
    clsVectors wide, narrow;
    wide.VectorBaseEmpty(250, 2, 0, 0, 0, 0, 0);
    narrow.VectorBaseEmpty(40, 2, 0, 0, 0, 0, 0);
    fillRamp(wide, 1);
    wide.VectorPush(1, narrow, 2);
    for (long c = 1; c <= 40; ++c) EXPECT_EQ(narrow.CoordGetSingleValue(2, c).singleValue(), c);
    EXPECT_TRUE(narrow.CoordGetSingleValue(2, 41).isEmpty());  // spare coordinates untouched

    fillRamp(narrow, 1);
    wide.CoordAllSetConstPlus(2, 9.0f);
    narrow.VectorPush(1, wide, 2);
    for (long c = 1; c <= 40; ++c) EXPECT_EQ(wide.CoordGetSingleValue(2, c).singleValue(), c);
    for (long c = 41; c <= 250; ++c) EXPECT_EQ(wide.CoordGetSingleValue(2, c).singleValue(), 0.0f);
    for (long c = 251; c <= 280; ++c) EXPECT_EQ(wide.CoordGetSingleValue(2, c).singleValue(), 9.0f);
}

TEST_F(TransferTest, EveryTransferredValueArrivesAsSingle) {
    clsVectors a, b;
    a.VectorBaseEmpty(3, 1, 0, 0, 0, 0, 0);
    b.VectorBaseEmpty(3, 1, 0, 0, 0, 0, 0);
    a.CoordSetValue(1, 2, Num(7));
    a.CoordSetValue(1, 3, Num(0.1));
    b.VectorPop(a, 1, 1);
    EXPECT_TRUE(identical(b.CoordGetSingleValue(1, 1), Num(0.0f)));
    EXPECT_TRUE(identical(b.CoordGetSingleValue(1, 2), Num(7.0f)));
    EXPECT_TRUE(identical(b.CoordGetSingleValue(1, 3), Num(0.1f)));
    // A double beyond the single range cannot arrive: the transfer raises.
    a.CoordSetValue(1, 2, Num(1e300));
    EXPECT_THROW(a.VectorPush(1, b, 1), OverflowError);
}

TEST_F(TransferTest, PushOntoItselfZeroesTheVector) {
    clsVectors a;
    a.VectorBaseEmpty(5, 1, 0, 0, 0, 0, 0);
    fillRamp(a, 1);
    a.VectorPush(1, a, 1);
    for (long c = 1; c <= 5; ++c) EXPECT_EQ(a.CoordGetSingleValue(1, c).singleValue(), 0.0f);
}

TEST_F(TransferTest, BufferFillsLikeAStackUpToItsSize) {
    clsVectors main, volume;
    main.VectorBaseEmpty(4, 2, 0, 0, 0, 0, 3);
    volume.VectorBaseEmpty(4, 1, 0, 0, 0, 0, 3);
    for (int s = 1; s <= 4; ++s) {
        main.CoordAllSetConst(1, static_cast<float>(s));
        main.CoordAllSetConst(2, static_cast<float>(100 * s));
        main.VectorPushToBuffer(1, main);
        main.VectorPushToBuffer(2, volume);
    }
    EXPECT_EQ(main.BufferCount(), 3);
    EXPECT_EQ(volume.BufferCount(), 3);
    EXPECT_EQ(main.CoordGetSingleValue(main.BufferStart() + 2, 4).singleValue(), 3.0f);
    EXPECT_EQ(volume.CoordGetSingleValue(volume.BufferStart() + 2, 1).singleValue(), 300.0f);

    // Pops fetch by number within the region, never lower the count, refuse numbers outside.
    main.CoordAllSetConst(2, -1.0f);
    main.VectorPopFromBuffer(volume, 3, 2);
    EXPECT_EQ(main.CoordGetSingleValue(2, 1).singleValue(), 300.0f);
    main.VectorPopFromBuffer(volume, 3, 2);
    EXPECT_EQ(main.CoordGetSingleValue(2, 1).singleValue(), 300.0f);
    EXPECT_EQ(volume.BufferCount(), 3);
    main.CoordAllSetConst(2, -1.0f);
    for (long k : {4L, 0L, -5L}) {
        main.VectorPopFromBuffer(volume, k, 2);
        EXPECT_EQ(main.CoordGetSingleValue(2, 1).singleValue(), -1.0f) << k;
    }

    // A caller that sets the count back makes the next push write the first vector again.
    volume.SetBufferCount(0);
    main.CoordAllSetConst(1, 42.0f);
    main.VectorPushToBuffer(1, volume);
    EXPECT_EQ(volume.BufferCount(), 1);
    EXPECT_EQ(volume.CoordGetSingleValue(volume.BufferStart(), 2).singleValue(), 42.0f);
}

TEST_F(TransferTest, BaseStackAndEmptyRegions) {
    clsVectors a;
    a.VectorBaseEmpty(3, 1, 0, 0, 0, 2, 0);
    a.CoordAllSetConst(1, 5.0f);
    a.VectorPopFromBase(a, 1, 1);  // count 0: nothing happens
    EXPECT_EQ(a.CoordGetSingleValue(1, 1).singleValue(), 5.0f);
    a.VectorPushToBase(1, a);
    a.VectorPushToBase(1, a);
    a.VectorPushToBase(1, a);
    EXPECT_EQ(a.BaseCount(), 2);
    a.VectorPushToBuffer(1, a);  // Buffer of size 0: nothing happens
    EXPECT_EQ(a.BufferCount(), 0);
    a.CoordAllSetConst(1, 0.0f);
    a.VectorPopFromBase(a, 2, 1);
    EXPECT_EQ(a.CoordGetSingleValue(1, 3).singleValue(), 5.0f);
}

TEST_F(TransferTest, PushIntoAStoreWithoutMatrixRaisesAfterCountingUp) {
    clsVectors a, fresh;
    a.VectorBaseEmpty(3, 1, 0, 0, 0, 0, 0);
    fresh.SetBufferCount(0);
    // The count is raised before the copy; the copy then fails at its first cell.
    EXPECT_THROW(a.VectorPushToBuffer(1, fresh), SubscriptRangeError);
    EXPECT_EQ(fresh.BufferCount(), 1);
}

}  // namespace
}  // namespace vel
