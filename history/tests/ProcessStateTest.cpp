// The process state groups after real work: a load followed by the work of other commands
// leaves groups of every layer changed, ResetProcessState puts each whole group back to its
// start values, and a load starts from the loaded history's start values.
#include <gtest/gtest.h>

#include <string>

#include "ActivityLog.h"
#include "AppState.h"
#include "CsvRows.h"
#include "EntryPoints.h"
#include "FileDialogs.h"
#include "FrameFixture.h"
#include "HistoryLoad.h"
#include "HistoryState.h"
#include "LoadedHistory.h"
#include "ProcessState.h"
#include "Progress.h"
#include "VectorStores.h"

namespace vel {
namespace {

using ProcessStateTest = testing::FrameFixture;

bool Contains(const std::string& list, const std::string& name) {
    return (", " + list + ", ").find(", " + name + ", ") != std::string::npos;
}

TEST_F(ProcessStateTest, EveryGroupIsWholeAtItsStartAfterALoadAndOtherWork) {
    testing::LoadGeneratedHistory(TempFolder(), 12, 150);
    OpenActivityLog("Vellicor.log");
    AddCSVItem("Symbol", LoadedSymbols(1));
    ProgressStart(7);
    door_.QueueOpenFile(TempPath("x.csv"));
    ShowOpenFileDialog("t", "All (*.*)|*.*");
    ChartTo1 = 100;
    TradingLogAddBuyPosition(3);
    StockResults(1, 1) = 2.5f;
    BasketFlag(1) = 1;
    IntervalCount = 2;
    defPastDays = 40;
    SilentMode = 1;
    ImportSourceType = 2;
    ImportPreviewLineCount = 3;
    History1RecordCount = 9;
    SplitsDatabasePath = "x";
    ChartsCommands.ShowChartWindow = [] {};

    const std::string changed = StateGroupsNotAtStart();
    for (const char* group :
         {"LoadedHistory", "DayWindow",    "Rallies",  "Results",     "Basket",
          "Intervals",     "ImportSource", "Paths",    "Parameters",  "CurrentRun",
          "VectorStores",  "CsvRow",       "Progress", "FileDialogs", "ActivityLog",
          "EntryPoints",   "ImportRun",    "BuildRun", "SplitEditor", "LoadedPaths"})
        EXPECT_TRUE(Contains(changed, group)) << group << " is not changed: " << changed;

    ResetProcessState();
    EXPECT_EQ(StateGroupsNotAtStart(), "");
    // Whole structs, not a few members.
    EXPECT_TRUE(LoadedHistory == LoadedHistoryState{});
    EXPECT_TRUE(DayWindow == DayWindowState{});
    EXPECT_TRUE(Rallies == TradingLogState{});
    EXPECT_TRUE(Results == StockResultsState{});
    EXPECT_TRUE(Basket == BasketState{});
    EXPECT_TRUE(Paths == PathState{});
    EXPECT_TRUE(Parameters == ParameterState{});
    EXPECT_TRUE(CurrentRun == RunState{});
    EXPECT_TRUE(VectorStores == VectorStoreState{});
    EXPECT_TRUE(CsvRow == CsvRowState{});
    EXPECT_TRUE(Progress == ProgressState{});
    EXPECT_TRUE(ImportRun == ImportRunState{});
    EXPECT_TRUE(BuildRun == HistoryBuildState{});
}

TEST_F(ProcessStateTest, ALoadLeavesNothingOfThePreviousHistory) {
    testing::LoadGeneratedHistory(TempFolder(), 30, 200, 7);
    const std::string second = testing::LoadGeneratedHistory(TempFolder() + "b/", 8, 120, 3);
    const LoadedHistoryState afterTwoLoads = LoadedHistory;
    EXPECT_EQ(LoadedSymbolCount, 8);
    EXPECT_EQ(LoadedSymbols(9), "");

    ResetProcessState();
    ProgramFolderPath = TempFolder();
    HistoryDatabasePath = second;
    ASSERT_TRUE(LoadHistory());
    EXPECT_TRUE(LoadedHistory == afterTwoLoads);
}

TEST_F(ProcessStateTest, TheStoresHoldOneVectorPerLoadedSymbol) {
    testing::LoadGeneratedHistory(TempFolder(), 15, 100);
    EXPECT_EQ(LoadedSymbolCount, 15);
    EXPECT_EQ(MainVectors->BufferCount(), LoadedSymbolCount);
    EXPECT_EQ(VolumeVectors->BufferCount(), LoadedSymbolCount);
    EXPECT_EQ(LoadedDayCount, 100);
    EXPECT_EQ(TradeDateOfDay(1), "1/4/2010");
}

}  // namespace
}  // namespace vel
