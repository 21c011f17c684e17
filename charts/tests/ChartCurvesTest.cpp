// The curve table, the pane layout, the pane hit test, the refused 51st curve and the day
// range setter.
#include <gtest/gtest.h>

#include "AppState.h"
#include "ChartCurves.h"
#include "ChartView.h"
#include "ChartsFixture.h"
#include "ProcessState.h"
#include "StockBasket.h"
#include "VectorStores.h"

namespace vel {
namespace {

class ChartCurvesTest : public testing::ChartsFixture {
protected:
    void SetUp() override {
        ChartsFixture::SetUp();
        testing::LoadSyntheticHistory(3, 100);
        ChartPicture = &target;
    }
    ChartTarget target{6000, 4000};
};

TEST_F(ChartCurvesTest, LaysPanesOutUnderEachOtherAboveTheDateStrip) {
    MainVectors->SetChartCount(3);
    CalcChartPaneLayout();
    // h = round((4000 - 982) / 3) = 1006.
    for (long i = 1; i <= 3; ++i) {
        EXPECT_EQ(ChartPaneRect(i, 1), 16);
        EXPECT_EQ(ChartPaneRect(i, 2), 16 + (i - 1) * 1006);
        EXPECT_EQ(ChartPaneRect(i, 3), 5984);
        EXPECT_EQ(ChartPaneRect(i, 4), 16 + i * 1006);
    }
    EXPECT_EQ(ChartPaneRect(4, 1), 5);
    EXPECT_EQ(ChartPaneRect(4, 2), 5);
    EXPECT_EQ(ChartPaneRect(4, 3), 5984);
    EXPECT_EQ(ChartPaneRect(4, 4), 3984);

    MainVectors->SetChartCount(73);
    CalcChartPaneLayout();
    EXPECT_EQ(MainVectors->ChartCount(), 50);
    MainVectors->SetChartCount(0);
    CalcChartPaneLayout();
    EXPECT_EQ(MainVectors->ChartCount(), 1);
    EXPECT_EQ(ChartPaneRect(1, 4), 16 + 3018);
}

TEST_F(ChartCurvesTest, HitTestGivesTheLowerPaneOnASharedBorder) {
    EXPECT_EQ(GetPaneAtPoint(100, 100), 0) << "an empty chart has no pane";
    MainVectors->SetChartCount(3);
    EXPECT_EQ(GetPaneAtPoint(100, 100), 1);
    EXPECT_EQ(GetPaneAtPoint(100, 16 + 2 * 1006), 3);
    EXPECT_EQ(GetPaneAtPoint(5984, 16 + 1006), 2);
    EXPECT_EQ(GetPaneAtPoint(15, 500), 0);
    EXPECT_EQ(GetPaneAtPoint(100, 16 + 3 * 1006 + 1), 0) << "the date strip is no pane";
}

TEST_F(ChartCurvesTest, ClearingResetsCaptionsAndEveryLevel) {
    ChartCaption(7) = "x";
    ChartLevel(50, 5) = 3;
    MainVectors->SetChartCount(9);
    ClearChartCurves();
    EXPECT_EQ(MainVectors->ChartCount(), 0);
    EXPECT_EQ(ChartCaption(7), "");
    for (long k = 1; k <= 50; ++k)
        for (long j = 1; j <= 5; ++j) ASSERT_EQ(ChartLevel(k, j), kNoLevel);
}

TEST_F(ChartCurvesTest, RefusesA51stCurve) {
    ClearChartCurves();
    for (int k = 1; k <= 50; ++k) ASSERT_EQ(AppendChartCurve("c" + std::to_string(k)), k);
    EXPECT_EQ(door_.Beeps(), 0);
    EXPECT_EQ(AppendChartCurve("one too many"), 0);
    EXPECT_EQ(MainVectors->ChartCount(), 50);
    EXPECT_EQ(ChartCaption(50), "c50");
    EXPECT_EQ(door_.Beeps(), 1);
    EXPECT_EQ(ChartStatusText(), kChartFullText);
    EXPECT_EQ(AppendVectorAsChartCurve(1, "copy", 5.0f), 0);
    EXPECT_EQ(ChartCaption(50), "c50");
}

TEST_F(ChartCurvesTest, AppendsACopyOfAVectorWithItsFirstLevelLine) {
    ClearChartCurves();
    MainVectors->CoordSetSingleValue(2, 3, 7.5f);
    ChartLevel(2, 1) = 9.0f;  // an old line at the new curve's place goes
    EXPECT_EQ(AppendVectorAsChartCurve(2, "first"), 1);
    EXPECT_EQ(AppendVectorAsChartCurve(2, "second", 0.0f), 2);
    EXPECT_EQ(MainVectors->CoordGetSingle(ChartCurveVector(2), 3), 7.5f);
    EXPECT_EQ(ChartLevel(1, 1), kNoLevel);
    EXPECT_EQ(ChartLevel(2, 1), 0.0f);
    EXPECT_EQ(ChartLevel(2, 2), kNoLevel);
    EXPECT_EQ(ChartCaption(2), "second");
}

TEST_F(ChartCurvesTest, RefreshWithoutCurvesKeepsThePicture) {
    target.List().Text(ChartColour::Black, 1, 1, "old");
    MainVectors->SetChartCount(0);
    RefreshChart();
    ASSERT_EQ(target.List().Size(), 1u);
    EXPECT_FALSE(door_.hourglass);
    MainVectors->SetChartCount(1);
    RefreshChart();
    EXPECT_GT(target.List().Size(), 1u);
    EXPECT_EQ(target.List().Items().front().width, 4) << "the old content was cleared";
    ClearChartPicture();
    EXPECT_EQ(target.List().Size(), 0u);
}

TEST_F(ChartCurvesTest, DayRangeShowsTheLastDaysWithinTheHistory) {
    SetChartDayRange(252);
    EXPECT_EQ(ChartFrom1.toInt16(), 1);
    EXPECT_EQ(ChartTo1, 100);
    EXPECT_EQ(ChartFrom2, 1);
    EXPECT_EQ(ChartTo2, 100);
    EXPECT_EQ(ChartLabelText(ChartLabel::DisplayedDayCount), "100");
    EXPECT_EQ(ChartLabelText(ChartLabel::ChartFromTo),
              "From day  1 date 1/2/2020   to day  100 date " + TradeDateOfDay(100));

    SetChartDayRange(10);
    EXPECT_EQ(ChartFrom1.toInt16(), 91);
    EXPECT_EQ(ChartLabelText(ChartLabel::DisplayedDayCount), "10");
    for (long daysBack : {0L, 1L}) {
        SetChartDayRange(daysBack);
        EXPECT_EQ(ChartFrom1.toInt16(), 100);
        EXPECT_EQ(ChartTo1, 100);
    }
}

TEST_F(ChartCurvesTest, TheProcessStateResetReachesTheCharts) {
    AppendChartCurve("c");
    ChartLevel(3, 2) = 1;
    ChartClickX = 9;
    SymbolMemoryCount = 2;
    BasketPointer = 4;
    StockListFilePath = "x.csv";
    SetChartStatusText("busy");
    EXPECT_NE(StateGroupsNotAtStart().find("Charts"), std::string::npos);
    ResetProcessState();
    EXPECT_EQ(StateGroupsNotAtStart(), "");
    EXPECT_EQ(ChartPicture, &UnshownChartTarget());
}

TEST_F(ChartCurvesTest, RepaintKeepsTheHourglassOfTheCommandAroundIt) {
    const long k = AppendChartCurve("c");
    MainVectors->CoordAllSetConst(ChartCurveVector(k), 1.0f);
    door_.SetHourglass(true);
    RefreshChart();
    EXPECT_TRUE(door_.Hourglass());
    door_.SetHourglass(false);
    RefreshChart();
    EXPECT_FALSE(door_.Hourglass());
}

}  // namespace
}  // namespace vel
