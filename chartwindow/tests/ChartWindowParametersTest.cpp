// The chart window's parameter, symbol memory, screening and basket fill items as the user runs
// them from the menus: a parameter asks through its input box and, when the answer is taken,
// shows the new value in its caption; the remember item counts the remembered stocks in its
// caption; the screening and the fills need members, and a second start while one runs only
// beeps.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <vector>

#include "AnalysisEntryPoints.h"
#include "AppState.h"
#include "ChartWindowCommands.h"
#include "ChartWindowFixture.h"
#include "StockBasket.h"
#include "frmChartView.h"

namespace vel {
namespace {

class ChartWindowParametersTest : public testing::ChartWindowFixture {
protected:
    void SetUp() override {
        ChartWindowFixture::SetUp();
        OpenWithoutAnalysis(8, 40);
    }
};

TEST_F(ChartWindowParametersTest, AnAcceptedAnswerIsShownInTheCaption) {
    const std::pair<const char*, const char*> answers[] = {
        {"mnudefPastDays", "39"},           {"mnudefCommission", "0.25"},
        {"mnudefCorrelation", ".71"},       {"mnudefDiligence", "1"},
        {"mnudefSymbolsInChartPane", "21"}, {"mnuSelectedStockSymbol", "s4"},
    };
    for (const auto& [item, answer] : answers) {
        door_.QueueInput(std::string(answer));
        Run(item);
    }
    EXPECT_EQ(Caption("mnudefPastDays"), "Days for past profit calculation = 39");
    EXPECT_EQ(Caption("mnudefCommission"), "Commission = 0.25");
    EXPECT_EQ(Caption("mnudefCorrelation"), "Correlation = 0.71");
    EXPECT_EQ(Caption("mnudefDiligence"), "Diligence = 1.00");
    EXPECT_EQ(Caption("mnudefSymbolsInChartPane"), "Stock symbols in a chart pane = 21");
    EXPECT_EQ(Caption("mnuSelectedStockSymbol"), "Selected stock symbol = S4");
    EXPECT_EQ(door_.Beeps(), 0);

    door_.QueueInput(std::string("40"));  // one day too many
    Run("mnudefPastDays");
    EXPECT_EQ(door_.Beeps(), 1);
    EXPECT_EQ(Caption("mnudefPastDays"), "Days for past profit calculation = 39");
}

TEST_F(ChartWindowParametersTest, TheRememberItemCountsTheRememberedStocks) {
    Run("mnuMemorizeDisplayedStock");  // stock 1 is displayed after the load
    DisplayedStockIndex = 6;
    Run("mnuMemorizeDisplayedStock");
    EXPECT_EQ(Caption("mnuMemorizeDisplayedStock"), "Remember displayed stock  (  2 )");
    Run("mnuCopyStockSymbolMemoryInEmptyStockBasket");
    EXPECT_EQ(BasketCount, 2);
    EXPECT_EQ(BasketPointer, 1);
    Run("mnuClearStockSymbolMemory");
    EXPECT_EQ(Caption("mnuMemorizeDisplayedStock"), "Remember displayed stock  (  0 )");
}

TEST_F(ChartWindowParametersTest, ScreeningAndFillsNeedMembersAndDoNotStartTwice) {
    int dialogs = 0;
    std::vector<float> fills;
    AnalysisCommands.ShowScreeningDialog = [&] {
        ++dialogs;
        Run("mnuSelectScreeningConditions");  // started again while it runs
        Run("mnuStocksPutIntoStockBasketMainStreamNDayPast");
    };
    AnalysisCommands.StocksPutIntoStockBasketMainStreamNDayPast = [&](float r) {
        fills.push_back(r);
    };
    AnalysisCommands.StocksPutIntoStockBasketSateliteNDayPast = [&](float r) {
        fills.push_back(-r);
    };
    for (const char* item :
         {"mnuSelectScreeningConditions1", "mnuStocksPutIntoStockBasketMainStreamNDayPast",
          "mnuStocksPutIntoStockBasketSateliteNDayPast"}) {
        door_.QueueMessageAnswer(MsgAnswer::OK);
        Run(item);
        EXPECT_EQ(door_.CallsOf("message").back().text,
                  "Fill the Stock Basket with some stocks, please!");
    }
    EXPECT_EQ(dialogs, 0);
    EXPECT_TRUE(fills.empty());

    FillStockBasket();
    Run("mnuSelectScreeningConditions");
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(door_.Beeps(), 2);
    EXPECT_TRUE(fills.empty());

    defCorrelation = 0.71f;
    door_.QueueMessageAnswer(MsgAnswer::OK);
    Run("mnuStocksPutIntoStockBasketMainStreamNDayPast");
    EXPECT_EQ(door_.CallsOf("message").back().text, "Mainstream calculation is over!");
    door_.QueueMessageAnswer(MsgAnswer::OK);
    Run("mnuStocksPutIntoStockBasketSateliteNDayPast");
    EXPECT_EQ(door_.CallsOf("message").back().text, "Satelite stocks calculation is over!");
    EXPECT_EQ(fills, (std::vector<float>{0.71f, -0.71f}));
}

}  // namespace
}  // namespace vel
