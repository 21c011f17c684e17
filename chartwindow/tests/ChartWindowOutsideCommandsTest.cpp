// The chart window's commands that reach beyond the chart: the research pages and links, the
// downloader, the RESULTS folder, the profit distribution report, the arrangement of the
// frame's windows and the end of the program, each run by its menu item.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ActivityLog.h"
#include "AppState.h"
#include "ChartWindowCommands.h"
#include "ChartWindowFixture.h"
#include "EntryPoints.h"
#include "MainWindowView.h"
#include "RecordingView.h"
#include "StockBasket.h"

namespace vel {
namespace {

namespace fs = std::filesystem;

class ChartWindowOutsideCommandsTest : public testing::ChartWindowFixture {
protected:
    void SetUp() override {
        ChartWindowFixture::SetUp();
        AnalysisCommands.TradingLogDataClear = [] { RallyCount = 0; };
        testing::LoadSyntheticHistory(25, 300);
        InstallBrowser();
        ResultsFolderPath = TempPath("RESULTS/");
        fs::create_directory(ResultsFolderPath);
        ShowWindow();
    }
    void TearDown() override {
        InstallMainWindowView(nullptr);
        ChartWindowFixture::TearDown();
    }
    std::string LastMessage() const {
        const auto messages = door_.CallsOf("message");
        return messages.empty() ? std::string()
                                : messages.back().title + ": " + messages.back().text;
    }
};

TEST_F(ChartWindowOutsideCommandsTest, ResearchPagesNeedAFileInTheResearchFolder) {
    const std::string folder = TempPath("ResearchLinks-HTM/");
    door_.QueueMessageAnswer(MsgAnswer::OK);
    Run("mnuViewResearchData");
    EXPECT_EQ(LastMessage(), "Vellicor: No research data available.");
    // A folder with only a sub-folder holds no page either.
    fs::create_directories(folder + "sub");
    door_.QueueMessageAnswer(MsgAnswer::OK);
    Run("mnuViewResearchData");
    EXPECT_EQ(door_.CallsOf("message").size(), 2u);
    EXPECT_TRUE(BrowserTargets().empty());

    std::ofstream(folder + "QQQ.htm") << "<HTML></HTML>";
    Run("mnuViewResearchData");
    EXPECT_EQ(BrowserTargets(), (std::vector<std::string>{folder}));
}

TEST_F(ChartWindowOutsideCommandsTest,
       ResearchLinksNeedMembersAndTheDownloaderStartsWithoutWaiting) {
    int links = 0;
    AutomationCommands.GenerateResearchLinksURLs = [&] { ++links; };
    door_.QueueMessageAnswer(MsgAnswer::OK);
    Run("mnuGenerateStockResearchURLList");
    EXPECT_EQ(LastMessage(), "Vellicor: Put some stock symbols into Stock Basket, please.");
    EXPECT_EQ(links, 0);
    FillStockBasket();
    Run("mnuGenerateStockResearchURLList");
    EXPECT_EQ(links, 1);

    // The downloader from the program folder, no argument; one that cannot start is reported
    // and the program goes on.
    Run("mnuRunTarquel");
    ASSERT_EQ(door_.CallsOf("start").size(), 1u);
    EXPECT_EQ(door_.CallsOf("start")[0].text, TempPath("Tarquel"));
    EXPECT_TRUE(door_.CallsOf("start")[0].args.empty());
    door_.startSucceeds = false;
    door_.QueueMessageAnswer(MsgAnswer::OK);
    Run("mnuRunTarquel");
    EXPECT_NE(LastMessage().find("Program cannot be started!"), std::string::npos);
    EXPECT_NE(LastMessage().find(TempPath("Tarquel")), std::string::npos);
}

TEST_F(ChartWindowOutsideCommandsTest, FolderAndDistributionReportOpenInTheBrowser) {
    Run("mnuShowResultsFolder");
    Run("mnuShowProfitDistribution");
    EXPECT_TRUE(fs::is_regular_file(ResultsFolderPath + "ProfitDistribution.html"));
    EXPECT_EQ(BrowserTargets(),
              (std::vector<std::string>{ResultsFolderPath,
                                        ResultsFolderPath + "ProfitDistribution.html"}));
}

TEST_F(ChartWindowOutsideCommandsTest, WindowItemsArrangeTheFrameAndQuitEndsTheProgram) {
    testing::RecordingView view;
    InstallMainWindowView(&view);
    Run("mnuCascade");
    Run("mnuTileHorizontally");
    Run("mnuTileVertically");
    EXPECT_EQ(view.arranged,
              (std::vector<ArrangeMode>{ArrangeMode::Cascade, ArrangeMode::TileHorizontal,
                                        ArrangeMode::TileVertical}));

    OpenActivityLog("Vellicor.log");
    EXPECT_THROW(RunChartCommand("mnuQuitCharting"), testing::ProcessEnded);
    EXPECT_EQ(door_.CallsOf("end").size(), 1u);
    std::ifstream log(ActivityLogPath);
    const std::string text((std::istreambuf_iterator<char>(log)), {});
    EXPECT_NE(text.find(">> Exiting Vellicor."), std::string::npos);
}

}  // namespace
}  // namespace vel
