// The enlarged chart pane offscreen: opening it moves the painting into its picture, a click of
// any button moves the cursor, a mouse move only the line, closing gives the painting back to
// the chart window with the same curves and cursor, a history load leaves it the painting; and
// the chart window's export commands with their save dialogs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <filesystem>

#include "AnalysisEntryPoints.h"
#include "AppState.h"
#include "ChartCurves.h"
#include "ChartExport.h"
#include "ChartWindowCommands.h"
#include "ChartWindowFixture.h"
#include "frmChartEnlarge.h"
#include "frmChartView.h"

namespace vel {
namespace {

class ChartEnlargeTest : public testing::ChartWindowFixture {
protected:
    void SetUp() override {
        ChartWindowFixture::SetUp();
        ResultsFolderPath = TempFolder();
        OpenWithoutAnalysis(5, 80, QSize(900, 700));
        // Two curves on the chart.
        for (const char* caption : {"one", "two"}) {
            const long k = AppendChartCurve(caption);
            for (long d = 1; d <= 80; ++d)
                MainVectors->CoordSetSingleValue(ChartCurveVector(k), d, static_cast<float>(d * k));
        }
        RefreshChart();
    }
    void TearDown() override {
        DestroyChartEnlarge();
        InstallChartBitmapWriter(nullptr);
        ChartWindowFixture::TearDown();
    }
};

TEST_F(ChartEnlargeTest, PaneTakesThePaintingAndGivesItBack) {
    const size_t shownItems = w->Picture().List().Size();
    const long curves = MainVectors->ChartCount();
    const std::int16_t cursor = CursorDay;
    w->findChild<QPushButton*>(QStringLiteral("cmdEnlargeChart"))->click();
    frmChartEnlarge* pane = ChartEnlargeWidget();
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->windowTitle(), "Enlarged chart pane.");
    EXPECT_EQ(ChartPicture, &pane->Picture());
    EXPECT_TRUE(pane->PictureVisible());
    EXPECT_GT(pane->Picture().List().Size(), 0u);
    // The picture lies 60 twips inside the window, its scale the window's.
    EXPECT_NEAR(pane->Picture().ScaleWidth(), pane->ScaleWidth() - 120, 1.0);
    EXPECT_EQ(pane->PictureBox()->CursorLineX(), 50.0);

    // A right click moves the cursor like a left one; a move only moves the line.
    const double x = PlotOriginX + 10.4 * PlotScaleX;
    pane->Model().Picture1_MouseDown(2, 0, x, 100);
    EXPECT_EQ(CursorDay, ChartFrom1.toInt16() + 10);
    EXPECT_EQ(ChartClickX, 0);
    EXPECT_EQ(pane->PictureBox()->CursorLineX(), x);
    const size_t items = pane->Picture().List().Size();
    const std::int16_t moved = CursorDay;
    pane->Model().Picture1_MouseMove(0, 0, x + 300, 100);
    EXPECT_EQ(pane->PictureBox()->CursorLineX(), x + 300);
    EXPECT_EQ(CursorDay, moved);
    EXPECT_EQ(pane->Picture().List().Size(), items);

    CloseChartEnlarge();
    EXPECT_EQ(ChartPicture, &w->Picture());
    EXPECT_EQ(w->Picture().List().Size(), shownItems);
    EXPECT_EQ(MainVectors->ChartCount(), curves);
    EXPECT_NE(CursorDay, cursor);
    // A second click opens it again.
    RunChartCommand("cmdEnlargeChart");
    EXPECT_EQ(ChartPicture, &ChartEnlargeWidget()->Picture());
}

TEST_F(ChartEnlargeTest, PaneKeepsThePaintingAcrossAHistoryLoad) {
    RunChartCommand("cmdEnlargeChart");
    frmChartEnlarge* pane = ChartEnlargeWidget();
    const double x = PlotOriginX + 10.4 * PlotScaleX;  // day 10 of the pane's plot
    testing::LoadSyntheticHistory(5, 80);
    ChartsCommands.HistoryLoaded();
    EXPECT_EQ(ChartPicture, &pane->Picture());
    EXPECT_GT(pane->Picture().List().Size(), 0u);
    pane->Model().Picture1_MouseDown(1, 0, x, 100);
    EXPECT_EQ(CursorDay, ChartFrom1.toInt16() + 10);
    CloseChartEnlarge();
    EXPECT_EQ(ChartPicture, &w->Picture());
}

TEST_F(ChartEnlargeTest, ExportCommandsAskForTheFileAndWriteIt) {
    door_.QueueSaveFile(TempPath("mine.csv"));
    RunChartCommand("mnuSaveChartAsCSVfile");
    EXPECT_TRUE(std::filesystem::exists(TempPath("mine.csv")));
    door_.QueueSaveFile("");
    RunChartCommand("mnuSaveChartAsBMPfile");
    const auto saves = door_.CallsOf("save");
    ASSERT_EQ(saves.size(), 2u);
    EXPECT_EQ(saves[0].title, "Enter or select *.csv file name.");
    EXPECT_EQ(saves[0].text, "CSV files (*.csv)|*.csv");
    EXPECT_EQ(saves[1].title, "Enter or select *.bmp file name.");
    EXPECT_EQ(saves[1].text, "Bitmap files (*.bmp)|*.bmp");
    EXPECT_EQ(saves[1].args.at(1), TempPath("Chart.bmp"));
    // The cancelled dialog wrote nothing; a chosen picture is written while the chart window
    // keeps its painting.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(TempFolder()),
                            std::filesystem::directory_iterator()),
              1);
    door_.QueueSaveFile(TempPath("Chart.bmp"));
    RunChartCommand("mnuSaveChartAsBMPfile");
    EXPECT_TRUE(std::filesystem::exists(TempPath("Chart.bmp")));
    EXPECT_EQ(ChartPicture, &w->Picture());
}

}  // namespace
}  // namespace vel
