// The process state groups of the charts and the analysis, in a program that links every folder
// up to the analysis: after a load and work on it each group is changed, and ResetProcessState
// puts every group of the program back to its start values, compared whole.
#include <gtest/gtest.h>

#include <string>

#include "AnalysisFixture.h"
#include "AppState.h"
#include "ChartCurves.h"
#include "ClipboardSymbols.h"
#include "LoadedHistory.h"
#include "MainWindowView.h"
#include "ProcessState.h"
#include "ScreeningValues.h"
#include "StockScreening.h"
#include "TimingGroups.h"

namespace vel {
namespace {

using AnalysisStateTest = testing::AnalysisFixture;

bool Contains(const std::string& list, const std::string& name) {
    return (", " + list + ", ").find(", " + name + ", ") != std::string::npos;
}

TEST_F(AnalysisStateTest, EveryGroupIsWholeAtItsStartAfterALoadAndTheAnalysisWork) {
    testing::LoadGeneratedHistory(TempFolder(), 12, 150);
    SetMainLabel(MainLabel::LoadedStockData, HistoryDatabasePath);
    AppendChartCurve("Price of " + LoadedSymbols(1));
    ClipboardPreviewText = "Clipboard content (1 strings,  1 valid ):";
    QualityValue(scr::PriceAdvanceLevel) = 2.0f;
    ScreeningRoad.plain = true;
    ScreenProfit = "01100";
    TimingCandidateCount = 7;
    TimingGroupCount = 1;

    const std::string changed = StateGroupsNotAtStart();
    for (const char* group : {"LoadedHistory", "MainWindow", "Charts", "ClipboardSymbols",
                              "ScreeningValues", "ScreeningMasks", "TimingGroups"})
        EXPECT_TRUE(Contains(changed, group)) << group << " is not changed: " << changed;

    ResetProcessState();
    EXPECT_EQ(StateGroupsNotAtStart(), "");
    EXPECT_TRUE(LoadedHistory == LoadedHistoryState{});
    EXPECT_TRUE(TimingGroups == TimingGroupState{});
    EXPECT_TRUE(ScreeningMasks == ScreeningMaskState{});
    EXPECT_TRUE(ScreeningRoad == ScreeningRoadChoice{});
    EXPECT_EQ(ChartCaption(1), "");
    EXPECT_EQ(MainLabelText(MainLabel::LoadedStockData), "");
    EXPECT_EQ(QualityValue(scr::PriceAdvanceLevel), 0.0f);
}

}  // namespace
}  // namespace vel
