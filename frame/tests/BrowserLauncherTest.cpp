// The browser search ("Browser.ini", the standard opener, the user's pick), the showing of
// files, folders and addresses, and the file dialogs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "ActivityLog.h"
#include "AppState.h"
#include "BrowserLauncher.h"
#include "FileDialogs.h"
#include "FrameFixture.h"

namespace vel {
namespace {

class BrowserLauncherTest : public testing::FrameFixture {
protected:
    void SetUp() override {
        FrameFixture::SetUp();
        report = TempPath("RESULTS report.html");
        Touch(report);
    }
    static void Touch(const std::string& path) { std::ofstream(path) << "x"; }
    std::string Ini() const {
        std::ifstream in(TempPath("Browser.ini"), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::vector<testing::DoorCall> Started() const { return door_.CallsOf("browser"); }
    std::string report;
};

TEST_F(BrowserLauncherTest, BrowserIniWinsOverTheStandardOpenerAndIsNotRewritten) {
    const std::string chosen = TempPath("my browser");
    Touch(chosen);
    std::ofstream(TempPath("Browser.ini"), std::ios::binary) << "  " << chosen << ",x\r\n";
    door_.programsOnPath["xdg-open"] = TempPath("xdg-open");
    Touch(TempPath("xdg-open"));

    ShowFileInBrowser(report);
    ASSERT_EQ(Started().size(), 1u);
    EXPECT_EQ(Started()[0].text, chosen);
    // The target goes as one argument, blanks and all.
    EXPECT_EQ(Started()[0].args, std::vector<std::string>{report});
    EXPECT_EQ(Ini(), "  " + chosen + ",x\r\n");
    EXPECT_TRUE(Messages().empty());
}

TEST_F(BrowserLauncherTest, WithoutIniTheStandardOpenerIsUsedAndNothingIsWritten) {
    door_.programsOnPath["xdg-open"] = TempPath("xdg-open");
    Touch(TempPath("xdg-open"));
    ShowURLInBrowser("https://example.org/a b");
    ASSERT_EQ(Started().size(), 1u);
    EXPECT_EQ(Started()[0].text, TempPath("xdg-open"));
    EXPECT_EQ(Started()[0].args, std::vector<std::string>{"https://example.org/a b"});
    EXPECT_FALSE(std::filesystem::exists(TempPath("Browser.ini")));
}

TEST_F(BrowserLauncherTest, NoBrowserAtAllAsksOnceAndRemembersTheChoice) {
    const std::string picked = TempPath("firefox");
    Touch(picked);
    door_.QueueMessageAnswer(MsgAnswer::OK);
    door_.QueueOpenFile(picked);
    ShowFileInBrowser(report);

    EXPECT_EQ(Messages(),
              std::vector<std::string>{"Internet browser not found - manual search is following."});
    const auto dialogs = door_.CallsOf("open");
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].title, "Select internet browser supporting *.bmp images (iexplore.exe)!");
    EXPECT_EQ(dialogs[0].text, "Programs (*)|*");
    EXPECT_EQ(Ini(), picked + "\r\n");
    ASSERT_EQ(Started().size(), 1u);
    EXPECT_EQ(Started()[0].text, picked);

    // The next report starts the remembered browser without asking.
    ShowFileInBrowser(report);
    EXPECT_EQ(Started().size(), 2u);
    EXPECT_EQ(door_.CallsOf("open").size(), 1u);
}

TEST_F(BrowserLauncherTest, StaleIniLeadsToTheNoticeAndTheDialogAgain) {
    std::ofstream(TempPath("Browser.ini")) << TempPath("gone") << "\r\n";
    door_.QueueMessageAnswer(MsgAnswer::OK);
    door_.QueueOpenFile("");
    door_.QueueMessageAnswer(MsgAnswer::OK);
    ShowFileInBrowser(report);
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"Internet browser not found - manual search is following.",
                                        "Internet browser not found!"}));
    EXPECT_TRUE(Started().empty());
    EXPECT_EQ(BrowserPath, "");
}

TEST_F(BrowserLauncherTest, StaleIniFallsBackToTheStandardOpener) {
    std::ofstream(TempPath("Browser.ini")) << TempPath("gone") << "\r\n";
    door_.programsOnPath["xdg-open"] = TempPath("xdg-open");
    Touch(TempPath("xdg-open"));
    ShowFileInBrowser(report);
    ASSERT_EQ(Started().size(), 1u);
    EXPECT_EQ(Started()[0].text, TempPath("xdg-open"));
}

TEST_F(BrowserLauncherTest, MissingTargetsAreReportedAndStartNothing) {
    door_.QueueMessageAnswer(MsgAnswer::OK);
    door_.QueueMessageAnswer(MsgAnswer::OK);
    door_.QueueMessageAnswer(MsgAnswer::OK);
    ShowFileInBrowser(TempPath("missing.html"));
    ShowFileInBrowser(TempFolder());  // a folder is not a file
    ShowFolderInBrowser(TempPath("missing/"));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"File not found!", "File not found!",
                                                    "Folder not found!"}));
    EXPECT_TRUE(Started().empty());
}

TEST_F(BrowserLauncherTest, WithoutADisplayTheTargetIsOnlyLogged) {
    door_.programsOnPath["xdg-open"] = TempPath("xdg-open");
    Touch(TempPath("xdg-open"));
    door_.display = false;
    OpenActivityLog("Vellicor.log");
    ShowFileInBrowser(report);
    ShowFolderInBrowser(TempFolder());
    EXPECT_TRUE(Started().empty());
    EXPECT_TRUE(door_.CallsOf("open").empty());  // nobody is asked for a browser either
    const auto log = LogTexts();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "Not shown without a display: " + report);
    EXPECT_EQ(log.back(), "Not shown without a display: " + TempFolder());
}

TEST_F(BrowserLauncherTest, BrowserThatFailsToStartIsReported) {
    door_.programsOnPath["xdg-open"] = TempPath("xdg-open");
    Touch(TempPath("xdg-open"));
    door_.startSucceeds = false;
    door_.QueueMessageAnswer(MsgAnswer::OK);
    ShowFolderInBrowser(TempFolder());
    EXPECT_EQ(Messages(),
              std::vector<std::string>{"Program cannot be started!\r\n" + TempPath("xdg-open")});
}

TEST_F(BrowserLauncherTest, CancelledDialogGivesAnEmptyNameAndKeepsTheFolder) {
    CommonDialogFolder = TempFolder();
    door_.QueueOpenFile("");
    EXPECT_EQ(
        ShowOpenFileDialog("Select History.mdb database", "Database (History.mdb)|history.mdb"),
        "");
    EXPECT_EQ(CommonDialogFolder, TempFolder());

    door_.QueueSaveFile("/data/out/Basket.csv");
    EXPECT_EQ(ShowSaveFileDialog("Save", "CSV (*.csv)|*.csv", "Basket.csv"),
              "/data/out/Basket.csv");
    const auto saves = door_.CallsOf("save");
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(saves[0].args, (std::vector<std::string>{TempFolder(), "Basket.csv"}));
    // The next dialog opens where this one left off.
    EXPECT_EQ(CommonDialogFolder, "/data/out/");
}

}  // namespace
}  // namespace vel
