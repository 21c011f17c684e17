// The parameters file, the result file, the save folder's preparation and the small file
// routines of Tarquel's start.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "AppState.h"
#include "AutomationFiles.h"
#include "DownloadText.h"
#include "DownloaderFixture.h"
#include "DownloaderState.h"
#include "FolderLock.h"
#include "NumberText.h"

namespace vel {
namespace {

namespace fs = std::filesystem;

class AutomationFilesTest : public testing::DownloaderFixture {
protected:
    // Writes the parameters file with the lines (each ended by CR LF) and points the command
    // line at it.
    void WriteParameters(const std::vector<std::string>& lines) {
        std::string text;
        for (const auto& l : lines) text += l + "\r\n";
        WriteFile(TempPath("Daily.dwnparams"), text);
        CommandLineText = TempPath("Daily.dwnparams");
    }
};

TEST_F(AutomationFilesTest, ReadsTheFourTrimmedLinesOfAUsableFile) {
    WriteFile(TempPath("Daily.eodurls"), "");
    WriteParameters({"  " + TempPath("Daily.eodurls") + "  ", " " + TempPath("Daily-EOD"),
                     TempPath("Daily.dwnresult") + " ", " 150 "});
    ReadAutomationParameters();
    EXPECT_EQ(AutomationMode, 1);
    EXPECT_EQ(AutomationListPath, TempPath("Daily.eodurls"));
    EXPECT_EQ(AutomationSaveFolder, TempPath("Daily-EOD/"));
    EXPECT_EQ(AutomationResultPath, TempPath("Daily.dwnresult"));
    EXPECT_EQ(AutomationMaxURLCount, "150");
    EXPECT_EQ(AutomationResultText, "ERROR");
}

TEST_F(AutomationFilesTest, TwoLinesGiveNoResultFileAndTheDefaultMaximum) {
    WriteFile(TempPath("Daily.eodurls"), "");
    WriteParameters({TempPath("Daily.eodurls"), TempPath("Out/")});
    ReadAutomationParameters();
    EXPECT_EQ(AutomationMode, 1);
    EXPECT_EQ(AutomationSaveFolder, TempPath("Out/"));
    EXPECT_EQ(AutomationResultPath, "");
    EXPECT_EQ(AutomationMaxURLCount, "9999");
    // With no result path nothing is written at the end either.
    AutomationResultText = "OK";
    WriteAutomationResult();
    EXPECT_FALSE(Exists(TempPath("Daily.dwnresult")));
}

TEST_F(AutomationFilesTest, TheWholeFirstLineIsThePathWithCommasQuotesAndBlanks) {
    const std::string list = TempPath("my \"daily\", list 1.eodurls");
    WriteFile(list, "");
    WriteParameters({list, "", "", ""});
    ReadAutomationParameters();
    EXPECT_EQ(AutomationMode, 1);
    EXPECT_EQ(AutomationListPath, list);
    EXPECT_EQ(AutomationSaveFolder, "");  // the folder then follows from the list's name
}

TEST_F(AutomationFilesTest, AnUnusableMaximumFallsBackTo9999) {
    WriteFile(TempPath("L.eodurls"), "");
    for (const std::string count : {"abc", "0", "-3", "12x", "0.0"}) {
        WriteParameters({TempPath("L.eodurls"), "", "", count});
        ReadAutomationParameters();
        EXPECT_EQ(AutomationMaxURLCount, "9999") << count;
    }
    WriteParameters({TempPath("L.eodurls"), "", "", "2.5"});
    ReadAutomationParameters();
    EXPECT_EQ(AutomationMaxURLCount, "2.5");
}

TEST_F(AutomationFilesTest, UnusableParametersTakeNothingFromTheFile) {
    // Each case leaves mode 2 and no result path, so no result file can be written.
    fs::create_directory(TempPath("Folder"));
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"", "x", TempPath("R.dwnresult")},
        {TempPath("Missing.eodurls"), "x", TempPath("R.dwnresult")},
        {TempPath("Folder"), "x", TempPath("R.dwnresult")},
    };
    for (const auto& lines : cases) {
        WriteParameters(lines);
        ReadAutomationParameters();
        EXPECT_EQ(AutomationMode, 2);
        EXPECT_EQ(AutomationResultPath, "");
        EXPECT_EQ(AutomationListPath, "");
    }
    CommandLineText = TempPath("Missing.dwnparams");
    ReadAutomationParameters();
    EXPECT_EQ(AutomationMode, 2);
}

// A save folder whose emptying could delete the program, the list or the parameters file
// (a second line cut short named the program folder) makes the parameters unusable, and the
// folder's preparation refuses it, deleting nothing.
TEST_F(AutomationFilesTest, ASaveFolderAboveTheProgramOrItsFilesIsRefused) {
    for (const char* folder : {"Prog/Daily-EOD", "Lists", "Params"})
        fs::create_directories(TempPath(folder));
    ProgramFolderPath = TempPath("Prog/");
    const std::string list = TempPath("Lists/Daily.eodurls");
    for (const std::string& file : {TempPath("Prog/Tarquel"), list, TempPath("Params/keep.txt")})
        WriteFile(file, "kept");
    fs::create_directory_symlink(TempPath("Prog"), TempPath("ToProg"));
    const std::string params = TempPath("Params/Daily.dwnparams");
    // Spelled through a missing folder and "..", a name means the folder that making it gives.
    const std::vector<std::string> refused = {"Daily-EOD",
                                              TempPath("Prog"),
                                              TempPath("Prog/Daily-EOD/.."),
                                              TempPath("Prog/new/.."),
                                              TempPath("Prog/new/deeper/../../"),
                                              TempPath("x/.."),
                                              TempPath("ToProg/"),
                                              TempPath("Lists/"),
                                              TempPath("Params"),
                                              TempFolder()};
    // The relative name would be taken in the program folder.
    const fs::path before = fs::current_path();
    fs::current_path(TempPath("Prog"));
    for (const auto& folder : refused) {
        WriteFile(params, list + "\r\n" + folder + "\r\n" + TempPath("R.dwnresult") + "\r\n");
        CommandLineText = params;
        ReadAutomationParameters();
        EXPECT_EQ(AutomationMode, 2) << folder;
        EXPECT_EQ(AutomationResultPath, "") << folder;

        AutomationMode = 1;
        URLListPath = list;
        SaveFolder = AddTrailingBackslash(folder);
        EXPECT_FALSE(PrepareSaveFolder()) << folder;
        EXPECT_EQ(ReadFile(TempPath("Prog/Tarquel")), "kept");
        EXPECT_EQ(ReadFile(list), "kept");
        EXPECT_EQ(ReadFile(TempPath("Params/keep.txt")), "kept");
    }
    fs::current_path(before);
    EXPECT_EQ(LogCount("Refused save folder "), 2 * static_cast<int>(refused.size()));
    EXPECT_FALSE(Exists(TempPath("Prog/new")));
    EXPECT_FALSE(Exists(TempPath("x")));
    // A name that only its making and a link lead back to the program folder: the folder made, it
    // is checked again where it really is, and nothing in it is deleted or written.
    fs::create_directories(TempPath("Safe"));
    fs::create_directory_symlink(TempPath("Prog/Daily-EOD"), TempPath("Safe/ToDaily"));
    SaveFolder = TempPath("Safe/new/../ToDaily/../");
    ASSERT_TRUE(IsSafeSaveFolder(SaveFolder, list, params));
    EXPECT_FALSE(PrepareSaveFolder());
    EXPECT_EQ(ReadFile(TempPath("Prog/Tarquel")), "kept");
    EXPECT_EQ(LogCount("Refused save folder "), 2 * static_cast<int>(refused.size()) + 1);
    // A folder inside the program folder is the usual one.
    WriteFile(params, list + "\r\n" + TempPath("Prog/Daily-EOD") + "\r\n");
    ReadAutomationParameters();
    EXPECT_EQ(AutomationMode, 1);
    EXPECT_EQ(AutomationSaveFolder, TempPath("Prog/Daily-EOD/"));
}

TEST_F(AutomationFilesTest, TheResultFileIsWrittenWholeAndReplacedAtEveryWrite) {
    AutomationMode = 1;
    AutomationResultPath = TempPath("R.dwnresult");
    WriteFile(AutomationResultPath, "OLD CONTENT\r\nMORE\r\n");
    AutomationResultText = "ERROR";
    WriteAutomationResult();
    EXPECT_EQ(ReadFile(AutomationResultPath), "ERROR\r\n");
    AutomationResultText = "OK";
    WriteAutomationResult();
    EXPECT_EQ(ReadFile(AutomationResultPath), "OK\r\n");
    // No temporary file stays behind.
    EXPECT_EQ(ListDirectoryNames(), (std::vector<std::string>{"R.dwnresult", "Tarquel.log"}));

    AutomationMode = 0;  // manual mode writes nothing
    fs::remove(AutomationResultPath);
    WriteAutomationResult();
    EXPECT_FALSE(Exists(AutomationResultPath));
}

// A missing folder, or a result path that names a FIFO (as a device would be named), is
// logged; the FIFO stays a FIFO instead of becoming a file that holds the result.
TEST_F(AutomationFilesTest, AResultFileThatCannotBeWrittenIsLogged) {
    AutomationMode = 1;
    AutomationResultPath = TempPath("NoSuchFolder/R.dwnresult");
    WriteAutomationResult();
    EXPECT_EQ(LogCount("The result file cannot be written: "), 1);

    AutomationResultPath = TempPath("Fifo.dwnresult");
    ASSERT_EQ(::mkfifo(AutomationResultPath.c_str(), 0600), 0);
    AutomationResultText = "OK";
    WriteAutomationResult();
    EXPECT_EQ(LogCount("The result file cannot be written: "), 2);
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(AutomationResultPath)));
}

TEST_F(AutomationFilesTest, AMissingSaveFolderIsCreated) {
    SaveFolder = TempPath("A/B-EOD/");
    EXPECT_TRUE(PrepareSaveFolder());
    EXPECT_TRUE(fs::is_directory(SaveFolder));
    EXPECT_TRUE(door_.CallsOf("message").empty());
}

TEST_F(AutomationFilesTest, ManualModeDeletesTheFilesOnlyAfterYes) {
    SaveFolder = TempPath("S-EOD/");
    fs::create_directories(TempPath("S-EOD/Sub"));
    WriteFile(TempPath("S-EOD/A.csv"), "a");
    WriteFile(TempPath("S-EOD/B.txt"), "b");
    WriteFile(TempPath("S-EOD/Sub/C.csv"), "c");

    door_.QueueMessageAnswer(MsgAnswer::No);
    EXPECT_TRUE(PrepareSaveFolder());
    EXPECT_TRUE(Exists(TempPath("S-EOD/A.csv")));
    ASSERT_EQ(door_.CallsOf("message").size(), 1u);
    const auto box = door_.CallsOf("message")[0];
    EXPECT_EQ(box.text, "Selected folder:  " + SaveFolder +
                            "\r\nDo you wish to delete old stock files? \r\nAnswer YES if "
                            "downloading new data.\r\nAnswer NO after download break.");
    EXPECT_EQ(box.title, "");
    EXPECT_EQ(box.buttons, MsgButtons::YesNo);

    door_.QueueMessageAnswer(MsgAnswer::Yes);
    EXPECT_TRUE(PrepareSaveFolder());
    EXPECT_FALSE(Exists(TempPath("S-EOD/A.csv")));
    EXPECT_FALSE(Exists(TempPath("S-EOD/B.txt")));
    EXPECT_TRUE(Exists(TempPath("S-EOD/Sub/C.csv")));  // subfolders are never touched
}

TEST_F(AutomationFilesTest, AutomaticModeDeletesTheFilesWithoutAsking) {
    AutomationMode = 1;
    SaveFolder = TempPath("S-EOD/");
    fs::create_directories(TempPath("S-EOD/Sub"));
    WriteFile(TempPath("S-EOD/History.mdb"), "db");
    WriteFile(TempPath("S-EOD/Vellicor.lock"), "");  // a lock file of an earlier version
    const FolderLock run(SaveFolder);  // the lock of the run that started the download
    ASSERT_TRUE(run.held());
    EXPECT_TRUE(PrepareSaveFolder());
    EXPECT_FALSE(Exists(TempPath("S-EOD/History.mdb")));
    EXPECT_FALSE(Exists(TempPath("S-EOD/Vellicor.lock")));
    EXPECT_TRUE(fs::is_directory(TempPath("S-EOD/Sub")));
    // The lock is the folder's own, so a second run is still refused.
    EXPECT_TRUE(FolderLock(SaveFolder).inUse());
    EXPECT_TRUE(door_.CallsOf("message").empty());
}

TEST_F(AutomationFilesTest, AnEmptySaveFolderNeverClearsTheCurrentFolder) {
    const fs::path before = fs::current_path();
    fs::current_path(TempFolder());
    WriteFile(TempPath("Keep.csv"), "k");
    AutomationMode = 1;
    URLListPath = "Plain.list";
    SaveFolder = "";
    const bool ready = PrepareSaveFolder();
    fs::current_path(before);
    EXPECT_FALSE(ready);
    EXPECT_TRUE(Exists(TempPath("Keep.csv")));
    EXPECT_EQ(LogCount("No save folder for the list of URLs: Plain.list"), 1);
}

TEST_F(AutomationFilesTest, ASaveFolderThatIsAFileCannotBePrepared) {
    WriteFile(TempPath("Taken-EOD"), "file");
    SaveFolder = TempPath("Taken-EOD/");
    EXPECT_FALSE(PrepareSaveFolder());
    EXPECT_EQ(ReadFile(TempPath("Taken-EOD")), "file");
    EXPECT_EQ(LogCount("Save folder cannot be created: "), 1);
}

TEST_F(AutomationFilesTest, SmallRoutines) {
    EXPECT_EQ(AddTrailingBackslash("  /a/b  "), "/a/b/");
    EXPECT_EQ(AddTrailingBackslash("/a/b/"), "/a/b/");
    EXPECT_EQ(AddTrailingBackslash("   "), "");

    WriteFile(TempPath("F.txt"), "");
    fs::create_directory(TempPath("D"));
    EXPECT_TRUE(IsFilePresent(TempPath("F.txt")));
    EXPECT_TRUE(IsFilePresent("  " + TempPath("F.txt") + " "));
    EXPECT_FALSE(IsFilePresent(TempPath("D")));  // a folder is no file
    EXPECT_FALSE(IsFilePresent(TempPath("D/")));
    EXPECT_FALSE(IsFilePresent(""));
    EXPECT_FALSE(IsFilePresent("   "));
    EXPECT_FALSE(IsFilePresent(TempPath("G.txt")));

    EXPECT_EQ(formatZeroPadded(0, 4), "0000");
    EXPECT_EQ(formatZeroPadded(7, 4), "0007");
    EXPECT_EQ(formatZeroPadded(10000, 4), "10000");
    EXPECT_EQ(formatZeroPadded(12345, 4), "12345");
}

}  // namespace
}  // namespace vel
