// The trading log as a value: instances apart from the program's log, whole appends.
#include <gtest/gtest.h>

#include "AppState.h"
#include "CoreFixture.h"

namespace vel {
namespace {

using RallyLogTest = testing::CoreFixture;

TEST_F(RallyLogTest, AGivenLogLeavesTheProgramsLogAlone) {
    RallyLog log;
    log.Append(3, 7);
    log.Append(9, 12);
    RallyLog copy = log;
    copy.SetSellPosition(15);
    EXPECT_EQ(log(2, 2), 12);
    EXPECT_EQ(copy(2, 2), 15);
    EXPECT_EQ(RallyCount, 0);
    EXPECT_EQ(TradingLog(1, 1), 0);
}

TEST_F(RallyLogTest, AnAppendThatFailsChangesNothing) {
    RallyLog log;
    log.Append(3, 7);
    EXPECT_THROW(log.Append(8, 40000), OverflowError);
    EXPECT_THROW(log.Append(-40000, 9), OverflowError);
    EXPECT_EQ(log.count, 1);
    EXPECT_EQ(log(2, 1), 0);
    for (int r = 2; r <= kMaxRallies; ++r) log.Append(r, r);
    EXPECT_THROW(log.Append(1, 1), SubscriptRangeError);
    EXPECT_EQ(log.count, kMaxRallies);
}

TEST_F(RallyLogTest, SameRalliesComparesOnlyTheRalliesInUse) {
    RallyLog a, b;
    a.Append(1, 2);
    a.Append(5, 6);
    b.Append(1, 2);
    EXPECT_FALSE(SameRallies(a, b));
    a.count = 1;  // row 2 of a keeps its content
    EXPECT_TRUE(SameRallies(a, b));
    b.SetSellPosition(3);
    EXPECT_FALSE(SameRallies(a, b));
}

}  // namespace
}  // namespace vel
