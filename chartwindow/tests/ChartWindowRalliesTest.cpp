// The chart window's commands on the trading log, with the market analysis registered: the
// cursor's buy, sell and take-back, the clear, the inversion, the rally file and the display
// of one rally, as the user runs them from the menus; the rally count in the clear's caption.
#include <gtest/gtest.h>

#include "AnalysisEntryPoints.h"
#include "AppState.h"
#include "ChartWindowFixture.h"

namespace vel {
namespace {

class ChartWindowRalliesTest : public testing::ChartWindowFixture {
protected:
    void SetUp() override {
        ChartWindowFixture::SetUp();
        OpenOn(5, 120);
    }
    void At(int day, const char* item) {
        CursorDay = static_cast<std::int16_t>(day);
        Run(item);
    }
    QString ClearCaption() const { return w->MenuItem("mnuTradingLogDataClear")->text(); }
};

TEST_F(ChartWindowRalliesTest, CursorCommandsEditTheRalliesAndTheCaptionCountsThem) {
    ASSERT_EQ(ChartTo1, 120);
    At(10, "mnuCursorSaveAsBuyPosition");
    At(20, "mnuCursorSaveAsSellPosition");
    At(30, "mnuCursorSaveAsBuyPosition");
    EXPECT_EQ(RallyCount, 2);
    EXPECT_EQ(TradingLog(2, 2), 121);
    EXPECT_EQ(ClearCaption(), "Clear BUY-SELL trading rallies ( 2 )");
    At(25, "mnuCursorSaveAsBuyPosition");  // the last rally is open: a beep
    EXPECT_EQ(door_.Beeps(), 1);
    Run("mnuTradingCursorDeleteLastPosition");
    EXPECT_EQ(ClearCaption(), "Clear BUY-SELL trading rallies ( 1 )");

    Run("mnuInvertTradingLog");  // the gaps of the shown window: (1, 10) and (20, 121)
    EXPECT_EQ(RallyCount, 2);
    EXPECT_EQ(TradingLog(1, 1), 1);
    EXPECT_EQ(TradingLog(1, 2), 10);
    EXPECT_EQ(TradingLog(2, 1), 20);
    EXPECT_EQ(ClearCaption(), "Clear BUY-SELL trading rallies ( 2 )");

    Run("mnuTradingLogDataClear");
    EXPECT_EQ(RallyCount, 0);
    EXPECT_EQ(ClearCaption(), "Clear BUY-SELL trading rallies ( 0 )");
}

TEST_F(ChartWindowRalliesTest, RallyFileAndDisplayRunFromTheMenus) {
    At(40, "mnuCursorSaveAsBuyPosition");
    At(60, "mnuCursorSaveAsSellPosition");
    door_.QueueMessageAnswer(MsgAnswer::OK);
    Run("mnuExportTradingLog");
    Run("mnuTradingLogDataClear");
    door_.QueueMessageAnswer(MsgAnswer::OK);
    Run("mnuImportTradingLog");
    EXPECT_EQ(RallyCount, 1);
    EXPECT_EQ(ClearCaption(), "Clear BUY-SELL trading rallies ( 1 )");

    door_.QueueInput(std::string("1"));
    Run("mnuSelectRallyToDisplay");
    EXPECT_EQ(ChartFrom1.toInt16(), 40);
    EXPECT_EQ(ChartTo1, 60);
}

}  // namespace
}  // namespace vel
