// The path table setters, the preparation of the RESULTS folder and the switching of the
// main window's history-dependent commands.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "AppPaths.h"
#include "AppState.h"
#include "DirectoryListing.h"
#include "FrameFixture.h"
#include "RecordingView.h"

namespace fs = std::filesystem;

namespace vel {
namespace {

class AppPathsTest : public testing::FrameFixture {
protected:
    static void Touch(const std::string& path) { std::ofstream(path) << "x"; }
};

TEST_F(AppPathsTest, ImportFolderChosenThroughOneFileGivesFolderDatabaseAndExtension) {
    fs::create_directories(TempPath("Data/EOD"));
    Touch(TempPath("Data/EOD/aapl.csv"));
    Touch(TempPath("Data/EOD/README"));
    ImportSourceType = 2;
    ImportSourcePath = TempPath("Data/EOD/aapl.csv");
    SetPathsFromImportSource();
    EXPECT_EQ(ImportSourceStatus, 0);
    EXPECT_EQ(DataFolderPath, TempPath("Data/EOD/"));
    EXPECT_EQ(HistoryDatabasePath, TempPath("Data/EOD/History.mdb"));
    EXPECT_EQ(ImportFileExtension, "csv");
    EXPECT_EQ(HistoryName, "History");
    EXPECT_EQ(HistoryFileName, "History.mdb");

    ImportSourcePath = TempPath("Data/EOD/README");
    SetPathsFromImportSource();
    EXPECT_EQ(ImportFileExtension, "");
    EXPECT_EQ(DataFolderPath, TempPath("Data/EOD/"));

    // A typed pattern names the folder through the first file it matches.
    ImportSourcePath = TempPath("Data/EOD/*.CSV");
    SetPathsFromImportSource();
    EXPECT_EQ(ImportSourceStatus, 0);
    EXPECT_EQ(DataFolderPath, TempPath("Data/EOD/"));
    EXPECT_EQ(ImportFileExtension, "csv");

    // A single text file keeps no extension.
    ImportSourceType = 1;
    ImportSourcePath = TempPath("Data/EOD/aapl.csv");
    SetPathsFromImportSource();
    EXPECT_EQ(ImportFileExtension, "");
}

TEST_F(AppPathsTest, MissingImportSourceLeavesThePathsEmpty) {
    DataFolderPath = "/old/";
    HistoryDatabasePath = "/old/History.mdb";
    ImportSourcePath = TempPath("gone.csv");
    SetPathsFromImportSource();
    EXPECT_EQ(ImportSourceStatus, 1);
    EXPECT_EQ(DataFolderPath, "");
    EXPECT_EQ(HistoryDatabasePath, "");

    // An empty source falls back to the chosen database (a rebuild from it).
    Touch(TempPath("History.mdb"));
    ImportSourcePath.clear();
    HistoryDatabasePath = TempPath("History.mdb");
    SetPathsFromImportSource();
    EXPECT_EQ(ImportSourceStatus, 0);
    EXPECT_EQ(DataFolderPath, TempFolder());
}

TEST_F(AppPathsTest, ChosenDatabaseIsAddressedAsHistoryMdbInItsFolder) {
    Touch(TempPath("MyHistory.mdb"));
    HistoryDatabasePath = TempPath("MyHistory.mdb");
    SetPathsFromHistoryDatabase();
    EXPECT_EQ(DataFolderPath, TempFolder());
    EXPECT_EQ(HistoryDatabasePath, TempPath("History.mdb"));
    EXPECT_EQ(ResultsFolderPath, TempPath("RESULTS/"));
    EXPECT_EQ(ResultsDatabasePath, TempPath("RESULTS/Results.mdb"));
    EXPECT_EQ(ResultsReportPath, TempPath("RESULTS/Vellicor.html"));
    EXPECT_EQ(door_.Beeps(), 0);

    HistoryDatabasePath = TempPath("*.mdb");
    SetPathsFromHistoryDatabase();
    EXPECT_EQ(DataFolderPath, TempFolder());

    HistoryDatabasePath = TempPath("missing.mdb");
    SetPathsFromHistoryDatabase();
    EXPECT_EQ(door_.Beeps(), 1);
    EXPECT_EQ(DataFolderPath, "");
    EXPECT_EQ(HistoryDatabasePath, "");
}

TEST_F(AppPathsTest, PrepareCreatesOrEmptiesResultsButKeepsSubfolders) {
    DataFolderPath = TempFolder();
    SetPathsFromDataFolder();
    ASSERT_TRUE(PrepareResultsFolder());
    EXPECT_TRUE(fs::is_directory(TempPath("RESULTS")));

    Touch(TempPath("RESULTS/Vellicor.html"));
    Touch(TempPath("RESULTS/Chart.csv"));
    fs::create_directory(TempPath("RESULTS/keep"));
    Touch(TempPath("RESULTS/keep/inner.txt"));
    Touch(TempPath("History.mdb"));
    // Every other entry goes, a link to a folder as a link.
    Touch(TempPath("RESULTS/*STAR.csv"));
    fs::create_directory_symlink(TempPath("RESULTS/keep"), TempPath("RESULTS/ToKeep"));
    ASSERT_EQ(::mkfifo(TempPath("RESULTS/Fifo").c_str(), 0600), 0);
    ASSERT_TRUE(PrepareResultsFolder());
    EXPECT_EQ(ListNonFolderEntries(TempPath("RESULTS")), std::vector<std::string>{});
    EXPECT_TRUE(fs::exists(TempPath("RESULTS/keep/inner.txt")));
    EXPECT_TRUE(fs::exists(TempPath("History.mdb")));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(AppPathsTest, PrepareRefusesAnEmptyOrRelativeDataFolderAndDeletesNothing) {
    const fs::path oldCwd = fs::current_path();
    fs::current_path(TempFolder());
    Touch(TempPath("precious.txt"));
    fs::create_directory(TempPath("RESULTS"));
    Touch(TempPath("RESULTS/precious.txt"));

    door_.QueueMessageAnswer(MsgAnswer::OK);
    door_.QueueMessageAnswer(MsgAnswer::OK);
    door_.QueueMessageAnswer(MsgAnswer::OK);
    DataFolderPath.clear();
    ResultsFolderPath = "RESULTS/";
    EXPECT_FALSE(PrepareResultsFolder());
    DataFolderPath = "./";
    SetPathsFromDataFolder();  // "./RESULTS/", relative to the working folder
    EXPECT_FALSE(PrepareResultsFolder());
    DataFolderPath = TempFolder();
    ResultsFolderPath = TempFolder();  // not the data folder's RESULTS folder
    EXPECT_FALSE(PrepareResultsFolder());
    fs::current_path(oldCwd);

    EXPECT_TRUE(fs::exists(TempPath("precious.txt")));
    EXPECT_TRUE(fs::exists(TempPath("RESULTS/precious.txt")));
    ASSERT_EQ(Messages().size(), 3u);
    EXPECT_EQ(Messages()[0].rfind("RESULTS folder cannot be prepared!\r\n", 0), 0u);
}

TEST_F(AppPathsTest, AResultsFolderThatIsALinkIsRefusedAndWhereItPointsIsKept) {
    fs::create_directories(TempPath("Data"));
    fs::create_directories(TempPath("Elsewhere"));
    Touch(TempPath("Elsewhere/precious.txt"));
    fs::create_directory_symlink(TempPath("Elsewhere"), TempPath("Data/RESULTS"));
    DataFolderPath = TempPath("Data/");
    SetPathsFromDataFolder();
    door_.QueueMessageAnswer(MsgAnswer::OK);
    EXPECT_FALSE(PrepareResultsFolder());
    EXPECT_TRUE(fs::exists(TempPath("Elsewhere/precious.txt")));
    EXPECT_EQ(Messages(), std::vector<std::string>{"RESULTS folder cannot be prepared!\r\nIt is "
                                                   "a link or not a folder: " +
                                                   TempPath("Data/RESULTS/")});
}

TEST_F(AppPathsTest, ResultsFolderThatCannotBeCreatedIsReported) {
    DataFolderPath = TempPath("no/such/");
    SetPathsFromDataFolder();
    door_.QueueMessageAnswer(MsgAnswer::OK);
    EXPECT_FALSE(PrepareResultsFolder());
    EXPECT_EQ(Messages(), std::vector<std::string>{"RESULTS folder cannot be created!\r\n" +
                                                   TempPath("no/such/RESULTS/")});
}

TEST_F(AppPathsTest, CommandSwitchesAndLabelResetsReachTheWindow) {
    testing::RecordingView view;
    InstallMainWindowView(&view);
    DisableMainCommands();
    EXPECT_FALSE(HistoryCommandsEnabled());
    EnableMainCommands();
    EXPECT_EQ(view.enabledStates, (std::vector<bool>{false, true}));

    SetMainLabel(MainLabel::LoadedStockData, "/d/History.mdb");
    SetMainLabel(MainLabel::PerformedTask, "Loading");
    SetMainLabel(MainLabel::Remark, "note");
    ResetProgressDisplay();
    EXPECT_EQ(MainLabelText(MainLabel::LoadedStockData), "/d/History.mdb");
    EXPECT_EQ(MainLabelText(MainLabel::PerformedTask), "");
    EXPECT_EQ(MainLabelText(MainLabel::Remark), "note");
    ClearMainStatusLabels();
    EXPECT_EQ(MainLabelText(MainLabel::LoadedStockData), "");
    EXPECT_EQ(MainLabelText(MainLabel::Remark), "");
    EXPECT_FALSE(door_.hourglass);
}

}  // namespace
}  // namespace vel
