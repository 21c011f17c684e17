// The trading cursor's edits of the program's trading log and the clear.
#include <gtest/gtest.h>

#include "AnalysisFixture.h"
#include "TradingLogCommands.h"

namespace vel {
namespace {

using testing::RallyList;

class TradingLogCommandsTest : public testing::AnalysisFixture {
protected:
    void SetUp() override {
        AnalysisFixture::SetUp();
        LoadPrices(100, {});
        ShowDays(11, 50);
    }
    void BuyAt(int day) {
        CursorDay = static_cast<std::int16_t>(day);
        CursorSaveAsBuyPosition();
    }
    void SellAt(int day) {
        CursorDay = static_cast<std::int16_t>(day);
        CursorSaveAsSellPosition();
    }
};

TEST_F(TradingLogCommandsTest, BuyOpensARallyAfterTheLastSellOnly) {
    BuyAt(11);
    EXPECT_EQ(Rallies(), (RallyList{{11, 51}}));
    BuyAt(30);  // the last rally is open
    SellAt(20);
    BuyAt(20);  // on the day of the last sell
    BuyAt(15);  // before it
    EXPECT_EQ(door_.Beeps(), 3);
    BuyAt(21);
    EXPECT_EQ(Rallies(), (RallyList{{11, 20}, {21, 51}}));
}

TEST_F(TradingLogCommandsTest, SellClosesOrMovesTheLastRally) {
    SellAt(20);  // no rally
    EXPECT_EQ(door_.Beeps(), 1);
    BuyAt(20);
    SellAt(20);  // on its buy day
    SellAt(19);  // before it
    EXPECT_EQ(door_.Beeps(), 3);
    SellAt(30);
    SellAt(25);  // a closed last rally moves its sell day
    EXPECT_EQ(Rallies(), (RallyList{{20, 25}}));
    BuyAt(50);
    SellAt(50);  // bought and sold on the last shown day
    EXPECT_EQ(Rallies(), (RallyList{{20, 25}, {50, 50}}));
    EXPECT_EQ(door_.Beeps(), 3);
}

TEST_F(TradingLogCommandsTest, DeleteReopensAClosedRallyThenDropsIt) {
    TradingCursorDeleteLastPosition();
    EXPECT_EQ(door_.Beeps(), 1);
    EXPECT_EQ(view_.captionRefreshes, 0);
    SetRallies({{12, 14}, {20, 30}});
    TradingCursorDeleteLastPosition();
    EXPECT_EQ(Rallies(), (RallyList{{12, 14}, {20, 51}}));
    TradingCursorDeleteLastPosition();
    EXPECT_EQ(Rallies(), (RallyList{{12, 14}}));
    EXPECT_EQ(view_.captionRefreshes, 2);
    // A window whose last day moves to or past an open rally's sell day makes it closed.
    SetRallies({{12, 51}});
    ShowDays(11, 60);
    TradingCursorDeleteLastPosition();
    EXPECT_EQ(Rallies(), (RallyList{{12, 61}}));
}

TEST_F(TradingLogCommandsTest, ClearKeepsTheRowsAndRefreshesTheCaptions) {
    SetRallies({{12, 14}});
    TradingLogDataClear();
    EXPECT_EQ(RallyCount, 0);
    EXPECT_EQ(view_.captionRefreshes, 1);
    EXPECT_EQ(door_.yields, 2);
    TradingLogAddBuyPosition(30);  // the old SellPos stays in the new row
    EXPECT_EQ(Rallies(), (RallyList{{30, 14}}));
}

TEST_F(TradingLogCommandsTest, A2001stCursorBuyBeepsAndWritesNothing) {
    ShowDays(1, 100);
    for (int r = 1; r <= kMaxRallies; ++r) TradingLog.Append(r % 50, r % 50);
    TradingLog(kMaxRallies, 2) = 10;
    const RallyLog before = TradingLog;
    BuyAt(90);
    EXPECT_EQ(door_.Beeps(), 1);
    EXPECT_TRUE(SameRallies(TradingLog, before));
}

}  // namespace
}  // namespace vel
