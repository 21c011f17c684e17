// Files written whole or not at all: the temporary name in the target's folder, and what a
// failed write leaves behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "DirectoryListing.h"
#include "Errors.h"
#include "PlatformFixture.h"
#include "QtDoor.h"
#include "TextFile.h"
#include "WholeFile.h"

namespace vel {
namespace {

class WholeFileTest : public testing::PlatformFixture {
protected:
    std::string Raw(const std::string& name) {
        std::ifstream in(TempPath(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

TEST_F(WholeFileTest, ATargetNamedUpToTheFileNameLimitIsWritten) {
    const std::string name(250, 'n');
    WholeFile file(TempPath(name));
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.Write("data", 4));
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(Raw(name), "data");
    EXPECT_EQ(ListDirectory(TempFolder(), "*", EntryKind::Files), std::vector<std::string>{name});
}

TEST_F(WholeFileTest, AReplacedFileKeepsItsPermissions) {
    namespace fs = std::filesystem;
    const std::string path = TempPath("Private.csv");
    WriteTextLines(path, {"old"});
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    WriteTextLines(path, {"new"});
    EXPECT_EQ(Raw("Private.csv"), "new\r\n");
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(WholeFileTest, AProcessEndedInTheMiddleOfAWriteLeavesNoTemporaryFile) {
    const std::string path = TempPath("Chart.csv");
    std::ofstream(path, std::ios::binary) << "old";
    // As a signal's end command ends the program while a long command yields with a file open.
    EXPECT_EXIT(
        {
            QtDoor door;
            WholeFile file(path);
            if (file.Open() && file.Write("new", 3)) door.EndProcess(3);
        },
        ::testing::ExitedWithCode(3), "");
    EXPECT_EQ(ListDirectory(TempFolder(), "*", EntryKind::Files),
              std::vector<std::string>{"Chart.csv"});
    EXPECT_EQ(Raw("Chart.csv"), "old");
}

// Fault injection: the 1st, 2nd, ... operation of a whole write fails until none fails. Each
// failure leaves the old file as it was and no temporary file; so does a writer dropped without
// its Close, and a folder standing under the name.
TEST_F(WholeFileTest, AFailedWriteLeavesWhatWasThereAndNoTemporaryFile) {
    const std::string path = TempPath("Chart.csv");
    std::ofstream(path, std::ios::binary) << "old";
    std::vector<std::string> rows;
    for (int i = 0; i < 1000; ++i) rows.push_back("row " + std::to_string(i));
    std::string text;
    for (const auto& r : rows) text += r + "\r\n";
    const std::vector<std::string> only{"Chart.csv"};
    long n = 1;
    for (;; ++n) {
        InjectFileFailure(n);
        try {
            WriteTextLines(path, rows);
        } catch (const FileError& e) {
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
            EXPECT_EQ(Raw("Chart.csv"), "old") << "failing op " << n;
            EXPECT_EQ(ListDirectory(TempFolder(), "*", EntryKind::Files), only) << n;
            continue;
        }
        break;
    }
    EXPECT_EQ(InjectFileFailure(0), 1);  // the run ended before its n-th operation
    EXPECT_GE(n, 4);                     // open, two blocks at least, the rename
    EXPECT_EQ(Raw("Chart.csv"), text);

    {
        TextFileWriter dropped(path);
        dropped.WriteLine("half");
    }
    EXPECT_EQ(Raw("Chart.csv"), text);
    EXPECT_EQ(ListDirectory(TempFolder(), "*", EntryKind::Files), only);

    std::filesystem::create_directory(TempPath("Folder.csv"));
    std::ofstream(TempPath("Folder.csv/keep")) << "x";
    EXPECT_THROW(WriteTextLines(TempPath("Folder.csv"), {"x"}), FileError);
    EXPECT_EQ(Raw("Folder.csv/keep"), "x");
    EXPECT_EQ(ListDirectory(TempFolder(), "*", EntryKind::Files), only);
}

}  // namespace
}  // namespace vel
