// Folder paths, directory listing with patterns, CR LF text files and dialog filters.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "DirectoryListing.h"
#include "Errors.h"
#include "FileFilter.h"
#include "FilePaths.h"
#include "PlatformFixture.h"
#include "TextFile.h"

namespace vel {
namespace {

class FilesTest : public testing::PlatformFixture {
protected:
    void Touch(const std::string& name, const std::string& content = "x") {
        std::ofstream(TempPath(name), std::ios::binary) << content;
    }
    std::string Raw(const std::string& name) {
        std::ifstream in(TempPath(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

TEST(FilePaths, FoldersEndWithOneSlashAndNamesJoinThroughIt) {
    EXPECT_EQ(AsFolderPath("/data/eod"), "/data/eod/");
    EXPECT_EQ(AsFolderPath("/data/eod//"), "/data/eod/");
    EXPECT_EQ(AsFolderPath(""), "");
    EXPECT_EQ(JoinPath("/data/eod/", "History.mdb"), "/data/eod/History.mdb");
    EXPECT_EQ(JoinPath("/data/eod", "RESULTS/"), "/data/eod/RESULTS/");
    EXPECT_EQ(JoinPath("", "History.mdb"), "History.mdb");
    EXPECT_EQ(FileNameOf("/a/b/c.csv"), "c.csv");
    EXPECT_EQ(FileNameOf("/a/b/"), "");
    EXPECT_EQ(FolderOf("/a/b/c.csv"), "/a/b/");
    EXPECT_EQ(FolderOf("c.csv"), "");
}

TEST(Patterns, MatchRegardlessOfCaseWithBothWildcards) {
    EXPECT_TRUE(MatchesPattern("Demo.AutoRun", "*.autorun"));
    EXPECT_TRUE(MatchesPattern("README", "*.*"));
    EXPECT_FALSE(MatchesPattern("demo.autorun.bak", "*.autorun"));
    EXPECT_TRUE(MatchesPattern("a1.csv", "a?.csv"));
    EXPECT_FALSE(MatchesPattern("a12.csv", "a?.csv"));
    EXPECT_TRUE(MatchesPattern("x.autorun", "*.autorun"));
    EXPECT_TRUE(MatchesPattern("aXbXc", "a*b*c"));
    EXPECT_FALSE(MatchesPattern("", "?"));
    // A "*" in the name is matched by the pattern's wildcard, not only by a "*" of its own.
    EXPECT_TRUE(MatchesPattern("*STAR.csv", "*.csv"));
    EXPECT_TRUE(MatchesPattern("*STAR.csv", "*.*"));
    EXPECT_TRUE(MatchesPattern("**", "*"));
    EXPECT_TRUE(MatchesPattern("a*b.csv", "a*.csv"));
    EXPECT_FALSE(MatchesPattern("*STAR.txt", "*.csv"));
}

TEST_F(FilesTest, ListingIsSortedAndKeepsFilesAndFoldersApart) {
    Touch("b.csv");
    Touch("A.CSV");
    Touch("c.txt");
    std::filesystem::create_directory(TempPath("d.csv"));
    EXPECT_EQ(ListDirectory(TempFolder(), "*.csv", EntryKind::Files),
              (std::vector<std::string>{"A.CSV", "b.csv"}));
    EXPECT_EQ(ListDirectory(TempFolder(), "*.csv", EntryKind::Folders),
              std::vector<std::string>{"d.csv"});
    EXPECT_EQ(ListDirectory(TempFolder(), "*.csv", EntryKind::FilesAndFolders).size(), 3u);
    EXPECT_TRUE(ListDirectory(TempPath("missing/"), "*", EntryKind::Files).empty());

    // A FIFO, a broken link and a device are no files: opening them would hang or fail, or
    // read what is no history.
    ASSERT_EQ(::mkfifo(TempPath("fifo.csv").c_str(), 0600), 0);
    std::filesystem::create_symlink(TempPath("gone.csv"), TempPath("broken.csv"));
    std::filesystem::create_symlink(TempPath("b.csv"), TempPath("link.csv"));
    std::filesystem::create_symlink("/dev/zero", TempPath("zero.csv"));
    EXPECT_EQ(ListDirectory(TempFolder(), "*.csv", EntryKind::Files),
              (std::vector<std::string>{"A.CSV", "b.csv", "link.csv"}));
    EXPECT_EQ(ListDirectory(TempFolder(), "*.csv", EntryKind::Others),
              (std::vector<std::string>{"broken.csv", "fifo.csv", "zero.csv"}));
    EXPECT_EQ(FindFirst(TempPath("zero.csv"), EntryKind::Files), "");
    EXPECT_EQ(FindFirst(TempPath("fifo.csv"), EntryKind::Files), "");
}

TEST_F(FilesTest, FindFirstNeedsTheExactNameWithoutWildcards) {
    Touch("demo.autorun");
    EXPECT_EQ(FindFirst(TempPath("demo.autorun"), EntryKind::Files), "demo.autorun");
    EXPECT_EQ(FindFirst(TempPath("*.AUTORUN"), EntryKind::Files), "demo.autorun");
    EXPECT_EQ(FindFirst(TempPath("nothing.txt"), EntryKind::Files), "");
    EXPECT_EQ(FindFirst(TempFolder(), EntryKind::FilesAndFolders), "");
    std::filesystem::create_directory(TempPath("sub"));
    EXPECT_EQ(FindFirst(TempPath("sub"), EntryKind::Files), "");
    EXPECT_EQ(FindFirst(TempPath("sub"), EntryKind::FilesAndFolders), "sub");
}

TEST_F(FilesTest, WritesCrLfAndReadsEveryLineEnd) {
    WriteTextLines(TempPath("w.txt"), {"one", "", "three"});
    EXPECT_EQ(Raw("w.txt"), "one\r\n\r\nthree\r\n");
    AppendTextLine(TempPath("w.txt"), "four");
    EXPECT_EQ(ReadTextLines(TempPath("w.txt")),
              (std::vector<std::string>{"one", "", "three", "four"}));

    Touch("mixed.txt", "a\nb\rc\r\n\r\nd");
    EXPECT_EQ(ReadTextLines(TempPath("mixed.txt")),
              (std::vector<std::string>{"a", "b", "c", "", "d"}));
    Touch("empty.txt", "");
    EXPECT_TRUE(ReadTextLines(TempPath("empty.txt")).empty());
    EXPECT_THROW(ReadTextLines(TempPath("missing.txt")), FileError);
}

TEST_F(FilesTest, ALimitedReadStopsAfterItsLinesWhereverTheLineEndsFall) {
    // A CR LF across the reader's 64 KiB blocks ends one line, not two.
    const std::string first(65535, 'a');
    Touch("long.txt", first + "\r\nsecond\rthird\n\nfifth");
    EXPECT_EQ(ReadTextLines(TempPath("long.txt")),
              (std::vector<std::string>{first, "second", "third", "", "fifth"}));
    EXPECT_EQ(ReadTextLines(TempPath("long.txt"), 2), (std::vector<std::string>{first, "second"}));
    EXPECT_EQ(ReadTextLines(TempPath("long.txt"), 5).back(), "fifth");
    EXPECT_TRUE(ReadTextLines(TempPath("long.txt"), 0).empty());
    Touch("one.txt", "only");
    EXPECT_EQ(ReadTextLines(TempPath("one.txt"), 1), std::vector<std::string>{"only"});
}

TEST_F(FilesTest, WholeWriteReplacesTheFileAndLeavesNoTemporaryFile) {
    Touch("r.dwnresult", "old");
    WriteTextLines(TempPath("r.dwnresult"), {"OK"});
    EXPECT_EQ(Raw("r.dwnresult"), "OK\r\n");
    EXPECT_EQ(ListDirectory(TempFolder(), "*", EntryKind::Files),
              std::vector<std::string>{"r.dwnresult"});
    EXPECT_THROW(WriteTextLines(TempPath("no/such/folder.txt"), {"x"}), FileError);
}

TEST_F(FilesTest, WriterRefusesAFileItCannotOpen) {
    EXPECT_THROW(TextFileWriter(TempPath("missing/x.txt")), FileError);
    TextFileWriter w(TempPath("rows.csv"));
    w.WriteLine("Symbol, Profit");
    w.Write("QQQ");
    w.WriteLine(", 1.5");
    w.Close();
    w.Close();
    EXPECT_EQ(Raw("rows.csv"), "Symbol, Profit\r\nQQQ, 1.5\r\n");
}

TEST(DialogFilters, PairsBecomeCaseFreeNameFilters) {
    EXPECT_EQ(DialogNameFilters("Database (History.mdb)|history.mdb"),
              std::vector<std::string>{
                  "Database (History.mdb) ([hH][iI][sS][tT][oO][rR][yY].[mM][dD][bB])"});
    EXPECT_EQ(DialogNameFilters("Text (*.txt;*.csv)|*.txt;*.csv|Programs (*)|*"),
              (std::vector<std::string>{"Text (*.txt;*.csv) (*.[tT][xX][tT] *.[cC][sS][vV])",
                                        "Programs (*) (*)"}));
    // "All (*.*)" must list a file without a dot too.
    EXPECT_EQ(DialogNameFilters("Text files (*.txt; *.csv)|*.txt;*.csv;|All (*.*)|*.*"),
              (std::vector<std::string>{"Text files (*.txt; *.csv) (*.[tT][xX][tT] *.[cC][sS][vV])",
                                        "All (*.*) (*)"}));
    EXPECT_TRUE(DialogNameFilters("No pattern").empty());
}

}  // namespace
}  // namespace vel
