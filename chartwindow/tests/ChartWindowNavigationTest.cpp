// Stock navigation and the two slide shows of the chart window, run offscreen with the scripted
// clock: Top, Next, Previous and Find; a show stepped pause by pause, stopped by a second click
// after its pause, ending with a beep at the last stock; the delay list read, typed text
// falling back to the default; a basket show that follows the basket buttons; a show waiting
// while a computing command runs.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTreeWidget>

#include "AnalysisEntryPoints.h"
#include "AppState.h"
#include "ChartWindowCommands.h"
#include "ChartWindowFixture.h"
#include "Hooks.h"
#include "StockBasket.h"
#include "frmChartView.h"

namespace vel {
namespace {

class ChartWindowNavigationTest : public testing::ChartWindowFixture {
protected:
    void SetUp() override {
        ChartWindowFixture::SetUp();
        OpenWithoutAnalysis(6, 40);
    }
    void Click(const char* button) {
        w->findChild<QPushButton*>(QString::fromLatin1(button))->click();
    }
    void Delay(const char* text) {
        w->findChild<QComboBox*>(QStringLiteral("cboxSlideShowDelay"))
            ->setCurrentText(QString::fromLatin1(text));
    }
    // The stock of the tree's selected node (0 for the root).
    int SelectedStock() const {
        const QTreeWidgetItem* item = w->Tree()->currentItem();
        const QString key = item ? item->data(0, Qt::UserRole).toString() : QString();
        return key.startsWith('S') ? key.mid(1).toInt() : 0;
    }
    ChartWindow& Model() { return w->Model(); }
};

TEST_F(ChartWindowNavigationTest, TopNextPreviousAndFindFollowTheTree) {
    Click("cmdNextStock");
    Click("cmdNextStock");
    EXPECT_EQ(DisplayedStockIndex, 3);
    EXPECT_EQ(SelectedStock(), 3);
    Click("cmdPreviousStock");
    EXPECT_EQ(DisplayedStockIndex, 2);
    Click("cmdTop");
    Click("cmdPreviousStock");  // at stock 1: stays, without a beep
    EXPECT_EQ(DisplayedStockIndex, 1);
    EXPECT_EQ(door_.Beeps(), 0);
    w->Tree()->setCurrentItem(w->Tree()->topLevelItem(0));  // the root: Next shows stock 1
    Click("cmdNextStock");
    EXPECT_EQ(DisplayedStockIndex, 1);

    door_.QueueInput(std::string("  s5 "));
    Click("cmdFind");
    EXPECT_EQ(DisplayedStockIndex, 5);
    EXPECT_EQ(SelectedStock(), 5);
    door_.QueueInput(std::string("S9"));  // not loaded: a beep, the stock stays
    Click("cmdFind");
    EXPECT_EQ(DisplayedStockIndex, 5);
    EXPECT_EQ(door_.Beeps(), 1);
    door_.QueueInput(std::nullopt);  // nothing asked for: nothing shown, no beep
    Click("cmdFind");
    EXPECT_EQ(DisplayedStockIndex, 5);
    Click("cmdNextStock");
    Click("cmdNextStock");  // past the last stock: a beep
    EXPECT_EQ(DisplayedStockIndex, 6);
    EXPECT_EQ(door_.Beeps(), 2);
}

TEST_F(ChartWindowNavigationTest, TreeShowStepsAfterEveryPauseAndBeepsAtTheLastStock) {
    Delay("   20 ms delay");
    Click("cmdTreeSlideShow");
    EXPECT_TRUE(Model().SlideShowRunning);
    EXPECT_EQ(Model().SlideShowDelay, 20);
    EXPECT_EQ(DisplayedStockIndex, 2);  // the first step at once
    door_.AdvanceMs(19);
    EXPECT_EQ(DisplayedStockIndex, 2);
    door_.AdvanceMs(1);
    EXPECT_EQ(DisplayedStockIndex, 3);
    door_.AdvanceMs(60);  // three pauses: stocks 4, 5, 6
    EXPECT_EQ(DisplayedStockIndex, 6);
    EXPECT_TRUE(Model().SlideShowRunning);
    EXPECT_EQ(door_.Beeps(), 0);
    door_.AdvanceMs(20);  // the pause after the last stock ends the show
    EXPECT_FALSE(Model().SlideShowRunning);
    EXPECT_EQ(door_.Beeps(), 1);
    EXPECT_EQ(door_.PendingTimers(), 0u);

    Click("cmdTreeSlideShow");  // started at the last stock: no step, a beep at once
    EXPECT_FALSE(Model().SlideShowRunning);
    EXPECT_EQ(DisplayedStockIndex, 6);
    EXPECT_EQ(door_.Beeps(), 2);
}

TEST_F(ChartWindowNavigationTest, ASecondClickStopsTheShowAfterItsPauseWithoutABeep) {
    Click("cmdTreeSlideShow");  // the list's default: 1000 ms
    EXPECT_EQ(Model().SlideShowDelay, 1000);
    door_.AdvanceMs(1000);
    EXPECT_EQ(DisplayedStockIndex, 3);
    Click("cmdBasketSlideShow");  // either button stops either show
    EXPECT_FALSE(Model().SlideShowRunning);
    door_.AdvanceMs(5000);
    EXPECT_EQ(DisplayedStockIndex, 3);
    EXPECT_EQ(door_.Beeps(), 0);
    EXPECT_EQ(door_.PendingTimers(), 0u);
}

TEST_F(ChartWindowNavigationTest, BasketShowStepsThroughTheMembers) {
    Click("cmdBasketSlideShow");  // an empty basket: a beep at once
    EXPECT_EQ(door_.Beeps(), 1);
    EXPECT_FALSE(Model().SlideShowRunning);
    for (long i : {2, 4, 5}) BasketFlag(i) = 1;
    ResetStockBasket();
    Delay("  100 ms delay");
    w->MenuItem(QStringLiteral("mnuBasketSlideShow"))->trigger();
    EXPECT_EQ(BasketPosition, 2);
    EXPECT_EQ(DisplayedStockIndex, 4);
    door_.AdvanceMs(100);
    EXPECT_EQ(DisplayedStockIndex, 5);
    door_.AdvanceMs(100);
    EXPECT_FALSE(Model().SlideShowRunning);
    EXPECT_EQ(door_.Beeps(), 2);
}

TEST_F(ChartWindowNavigationTest, BottomClickedDuringAPauseEndsTheBasketShowAfterIt) {
    for (long i : {1, 2, 4, 5}) BasketFlag(i) = 1;
    ResetStockBasket();
    Delay("  100 ms delay");
    Click("cmdBasketSlideShow");
    EXPECT_EQ(BasketPosition, 2);
    Click("cmdBasketBottom");
    EXPECT_EQ(DisplayedStockIndex, 5);
    door_.AdvanceMs(100);  // the show stands on the last member: it ends with its beep
    EXPECT_FALSE(Model().SlideShowRunning);
    EXPECT_EQ(door_.Beeps(), 1);
    EXPECT_EQ(door_.PendingTimers(), 0u);
}

TEST_F(ChartWindowNavigationTest, TheDelayIsReadFromTheFirstSixCharacters) {
    EXPECT_EQ(ChartWindow::SlideShowDelayOf("10000 ms delay"), 10000);
    EXPECT_EQ(ChartWindow::SlideShowDelayOf("   40 ms delay"), 40);
    EXPECT_EQ(ChartWindow::SlideShowDelayOf("0"), 0);
    EXPECT_EQ(ChartWindow::SlideShowDelayOf("2.5"), 2);
    for (const char* text : {"fast", "", "   ", "12 ms", "-500", "1,000 ms", "ms 200"})
        EXPECT_EQ(ChartWindow::SlideShowDelayOf(text), 4000) << text;
    EXPECT_EQ(ChartWindow::SlideShowDelayOf("999999 ms"), 65535);

    Delay("a while");
    Click("cmdTreeSlideShow");
    EXPECT_EQ(Model().SlideShowDelay, 4000);
    Click("cmdTreeSlideShow");
}

TEST_F(ChartWindowNavigationTest, AStepWaitsWhileAComputingCommandRuns) {
    Delay("   20 ms delay");
    Click("cmdTreeSlideShow");
    {
        BusyGuard computing;
        door_.AdvanceMs(500);
        EXPECT_EQ(DisplayedStockIndex, 2);
    }
    door_.AdvanceMs(20);  // the step looks again every 100 ms and goes on once it has ended
    EXPECT_EQ(DisplayedStockIndex, 3);
    Click("cmdTreeSlideShow");
}

TEST_F(ChartWindowNavigationTest, ANewHistoryStopsARunningShow) {
    Click("cmdTreeSlideShow");
    EXPECT_EQ(door_.PendingTimers(), 1u);
    ChartsCommands.HistoryLoaded();
    EXPECT_FALSE(Model().SlideShowRunning);
    EXPECT_EQ(door_.PendingTimers(), 0u);
    Click("cmdTreeSlideShow");
    DestroyChartWindow();  // a window that goes takes its pause with it
    EXPECT_EQ(door_.PendingTimers(), 0u);
}

}  // namespace
}  // namespace vel
