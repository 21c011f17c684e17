// The process-wide tables: bounds, the trade-date accessor and the trading log.
#include <gtest/gtest.h>

#include "AppState.h"
#include "CoreFixture.h"
#include "ProcessState.h"

namespace vel {
namespace {

using AppStateTest = testing::CoreFixture;

TEST_F(AppStateTest, SymbolTableHasIndexes1To10000) {
    LoadedSymbols(1) = "AAA";
    LoadedSymbols(10000) = "ZZZ";
    EXPECT_EQ(LoadedSymbols(1), "AAA");
    EXPECT_THROW(LoadedSymbols(0), SubscriptRangeError);
    EXPECT_THROW(LoadedSymbols(10001), SubscriptRangeError);
}

TEST_F(AppStateTest, TradeDateOfDayReadsThroughDayOffset) {
    LoadedTradeDates.redim(1, 5, "empty date");
    LoadedTradeDates(3) = "1/4/2000";
    LoadedTradeDates(5) = "1/6/2000";
    DayOffset = 2;
    EXPECT_EQ(TradeDateOfDay(1), "1/4/2000");
    EXPECT_EQ(TradeDateOfDay(2), "empty date");
    EXPECT_EQ(TradeDateOfDay(3), "1/6/2000");
    EXPECT_THROW(TradeDateOfDay(4), SubscriptRangeError);
    EXPECT_THROW(TradeDateOfDay(-2), SubscriptRangeError);
}

TEST_F(AppStateTest, NoHistoryMeansNoTradeDate) {
    EXPECT_THROW(TradeDateOfDay(1), SubscriptRangeError);
}

TEST_F(AppStateTest, TradingLogOpensAndClosesRallies) {
    TradingLogAddBuyPosition(5);
    TradingLogSetSellPosition(9);
    TradingLogAddBuyPosition(12);
    EXPECT_EQ(RallyCount, 2);
    EXPECT_EQ(TradingLog(1, 1), 5);
    EXPECT_EQ(TradingLog(1, 2), 9);
    EXPECT_EQ(TradingLog(2, 1), 12);
}

TEST_F(AppStateTest, A2001stRallyRaisesWithoutChangingTheLog) {
    for (int r = 1; r <= kMaxRallies; ++r) {
        TradingLogAddBuyPosition(r);
        TradingLogSetSellPosition(r + 1);
    }
    EXPECT_EQ(RallyCount, kMaxRallies);
    EXPECT_THROW(TradingLogAddBuyPosition(3000), SubscriptRangeError);
    EXPECT_EQ(RallyCount, kMaxRallies);
    EXPECT_EQ(TradingLog(kMaxRallies, 1), kMaxRallies);
    EXPECT_THROW(TradingLog(kMaxRallies + 1, 1), SubscriptRangeError);
    EXPECT_THROW(TradingLog(1, 3), SubscriptRangeError);
}

TEST_F(AppStateTest, TradingLogDaysAre16Bit) {
    EXPECT_THROW(TradingLogAddBuyPosition(40000), OverflowError);
    EXPECT_EQ(RallyCount, 0);
}

TEST_F(AppStateTest, ResetPutsEveryGroupBackWhole) {
    EXPECT_EQ(StateGroupsNotAtStart(), "");
    defPastDays = 40;
    defStockSymbolString = "IBM";
    BasketFlag(11000) = 1;
    IntervalLimit(200, 3) = 2.0f;
    LoadedTradeDates.redim(1, 3, "empty date");
    ChartFrom1 = Num(3);
    ErrorPosition = 5;
    EXPECT_EQ(StateGroupsNotAtStart(),
              "LoadedHistory, DayWindow, Basket, Intervals, Parameters, CurrentRun");
    ResetProcessState();
    EXPECT_EQ(StateGroupsNotAtStart(), "");
    EXPECT_EQ(Parameters, ParameterState{});
    EXPECT_EQ(defPastDays, 12);
    EXPECT_EQ(defStockSymbolString, "QQQ");
    // The tables keep their bounds.
    EXPECT_THROW(IntervalLimit(201, 1), SubscriptRangeError);
    EXPECT_THROW(StockResults(1, 46), SubscriptRangeError);
    EXPECT_THROW(LoadedTradeDates(1), SubscriptRangeError);
}

TEST_F(AppStateTest, NamesAreTheMembersOfTheirGroups) {
    DataFolderPath = "/data/";
    RallyCount = 3;
    EXPECT_EQ(Paths.DataFolderPath, "/data/");
    EXPECT_EQ(Rallies.TradingLog.count, 3);
    const PathState saved = Paths;
    Paths = PathState{};
    EXPECT_EQ(DataFolderPath, "");
    Paths = saved;
    EXPECT_EQ(DataFolderPath, "/data/");
}

TEST_F(AppStateTest, ParameterDefaultsAreTheGroupsStartValues) {
    defCommission = 2.0f;
    RallyToDisplay = 4;
    SetParameterDefaults();
    EXPECT_EQ(Parameters, ParameterState{});
    EXPECT_EQ(defCommission, 0.5f);
    EXPECT_EQ(defCorrelation, 0.5f);
    EXPECT_EQ(defSymbolsInChartPane, 11);
    EXPECT_EQ(RallyToDisplay, 1);
}

// Admission of a search's best trial into a basket's averages: each bound just inside, at and
// just outside, the other two fields well inside. The searches write the profit as a single
// (a double -10000 when no trial improved), the gradient points as a whole number.
TEST_F(AppStateTest, ABestTrialIsUsableOnlyStrictlyInsideEachBound) {
    const struct {
        Num profit;
        float rallies;
        Num gradient;
        bool usable;
    } rows[] = {
        {Num(-999.99f), 10.0f, Num(8), true},  {Num(-1000.0f), 10.0f, Num(8), false},
        {Num(-1000.0), 10.0f, Num(8), false},  {Num(-1000.01f), 10.0f, Num(8), false},
        {Num(-10000.0), 10.0f, Num(8), false}, {Num(5.0f), 999.0f, Num(8), true},
        {Num(5.0f), 999.99f, Num(8), true},    {Num(5.0f), 1000.0f, Num(8), false},
        {Num(5.0f), 1001.0f, Num(8), false},   {Num(5.0f), 0.0f, Num(2), true},
        {Num(5.0f), 0.0f, Num(1), false},      {Num(5.0f), 0.0f, Num(0), false},
        {Num(5.0f), 0.0f, Num(), false},  // an empty cell counts as 0
        {Num(5.0f), 999.0f, Num(2), true},
    };
    for (const auto& r : rows) {
        BestTrialRecord record;
        record.CompoundProfit = r.profit;
        record.Rallies = r.rallies;
        record.GradientPoints = r.gradient;
        EXPECT_EQ(record.IsUsable(), r.usable)
            << "profit " << r.profit.toDouble() << ", rallies " << r.rallies << ", gradient points "
            << r.gradient.toDouble();
    }
    // A record no search has written is not usable.
    EXPECT_FALSE(BestTrialRecord{}.IsUsable());
}

TEST_F(AppStateTest, BusyGuardAdmitsOneCommandAtATime) {
    static int changes = 0;
    changes = 0;
    SetBusyHook([](bool) { ++changes; });
    {
        BusyGuard first;
        EXPECT_TRUE(first.acquired());
        BusyGuard second;
        EXPECT_FALSE(second.acquired());
        EXPECT_TRUE(BusyGuard::isBusy());
    }
    EXPECT_FALSE(BusyGuard::isBusy());
    EXPECT_EQ(changes, 2);
}

}  // namespace
}  // namespace vel
