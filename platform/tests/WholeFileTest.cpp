// Files written whole or not at all: the temporary name in the target's folder, writing
// through links, refused targets that are no regular files, and what a failed write leaves
// behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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

TEST_F(WholeFileTest, AReplacedFileKeepsItsPermissionsAndGroup) {
    namespace fs = std::filesystem;
    const std::string path = TempPath("Private.csv");
    WriteTextLines(path, {"old"});
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    // A group other than the one a new file gets, where the process may give it one.
    const gid_t other = ::getegid() + 1;
    const bool grouped = ::chown(path.c_str(), static_cast<uid_t>(-1), other) == 0;
    WriteTextLines(path, {"new"});
    EXPECT_EQ(Raw("Private.csv"), "new\r\n");
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    if (grouped) {
        EXPECT_EQ(st.st_gid, other);
    }
}

// A set-user, set-group or sticky bit of the replaced file does not pass to the new bytes.
TEST_F(WholeFileTest, AReplacedFileKeepsNoSpecialBits) {
    const std::string path = TempPath("Tool.csv");
    WriteTextLines(path, {"old"});
    for (const mode_t mode : {04755, 02750, 01777, 07700}) {
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        WriteTextLines(path, {"new"});
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode & 0777) << std::oct << mode;
    }
}

// As for a user who is not root: the new file keeps a group of the user's though its owner
// is another (the owner is never asked for), and one the user may not give it does not stop
// the write, which keeps the permissions.
TEST_F(WholeFileTest, AUserWhoIsNotRootKeepsTheGroupHeMayGive) {
    const std::string path = TempPath("Shared.csv");
    WriteTextLines(path, {"old"});
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const uid_t owner = ::geteuid() + 1;
    const gid_t group = ::getegid() + 1;
    if (::chown(path.c_str(), owner, group) != 0) GTEST_SKIP() << "no file can be given away";
    InjectUnprivilegedOwnership(true, group);
    struct stat st {};
    try {
        WriteTextLines(path, {"new"});
        EXPECT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_gid, group);
        EXPECT_EQ(st.st_mode & 07777, 0640u);
        EXPECT_EQ(::chown(path.c_str(), owner, group + 1), 0);
        WriteTextLines(path, {"newer"});
    } catch (const FileError& e) {
        ADD_FAILURE() << e.what();
    }
    InjectUnprivilegedOwnership(false);
    EXPECT_EQ(Raw("Shared.csv"), "newer\r\n");
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_gid, ::getegid());
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

// A link is written through to the file at the end of its chain (relative links read from
// their own folder), and stays a link; a link to nothing creates the file it names; a chain
// that does not end is refused and stays as it was.
TEST_F(WholeFileTest, ALinkIsWrittenThroughToTheFileItNames) {
    namespace fs = std::filesystem;
    fs::create_directory(TempPath("data"));
    const std::string real = TempPath("data/Real.csv");
    WriteTextLines(real, {"old"});
    fs::create_symlink("Real.csv", TempPath("data/Inner.csv"));
    fs::create_symlink(TempPath("data/Inner.csv"), TempPath("Chart.csv"));
    WriteTextLines(TempPath("Chart.csv"), {"new"});
    EXPECT_EQ(Raw("data/Real.csv"), "new\r\n");
    EXPECT_TRUE(fs::is_symlink(TempPath("Chart.csv")));
    EXPECT_TRUE(fs::is_symlink(TempPath("data/Inner.csv")));
    EXPECT_EQ(ListDirectory(TempPath("data/"), "*", EntryKind::Files),
              (std::vector<std::string>{"Inner.csv", "Real.csv"}));

    fs::create_symlink("data/Later.csv", TempPath("Dangling.csv"));
    WriteTextLines(TempPath("Dangling.csv"), {"made"});
    EXPECT_EQ(Raw("data/Later.csv"), "made\r\n");
    EXPECT_TRUE(fs::is_symlink(TempPath("Dangling.csv")));

    fs::create_symlink("Loop2.csv", TempPath("Loop1.csv"));
    fs::create_symlink("Loop1.csv", TempPath("Loop2.csv"));
    EXPECT_THROW(WriteTextLines(TempPath("Loop1.csv"), {"x"}), FileError);
    EXPECT_EQ(fs::read_symlink(TempPath("Loop1.csv")), "Loop2.csv");
}

// A target that the caller found missing is not looked at again: a link that appears under it
// before the file is written is replaced itself, and what it names is not created.
TEST_F(WholeFileTest, ALinkAppearingUnderATargetLookedMissingIsNotWrittenThrough) {
    namespace fs = std::filesystem;
    fs::create_directory(TempPath("data"));
    WholeFile file(TempPath("data/New.csv"), true);
    fs::create_symlink(TempPath("Outside.csv"), TempPath("data/New.csv"));
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.Write("new\r\n", 5));
    ASSERT_TRUE(file.Commit());
    EXPECT_FALSE(fs::exists(fs::symlink_status(TempPath("Outside.csv"))));
    EXPECT_FALSE(fs::is_symlink(TempPath("data/New.csv")));
    EXPECT_EQ(Raw("data/New.csv"), "new\r\n");
}

// A FIFO or a device under the name, also behind a link, is refused before anything is
// written: it stays what it was and no file takes its place.
TEST_F(WholeFileTest, ATargetThatIsNoRegularFileIsRefused) {
    namespace fs = std::filesystem;
    const std::string fifo = TempPath("Result.dwnresult");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink(fifo, TempPath("ToFifo"));
    for (const char* name : {"Result.dwnresult", "ToFifo"}) {
        try {
            WriteTextLines(TempPath(name), {"OK"});
            ADD_FAILURE() << name << " was written";
        } catch (const FileError& e) {
            EXPECT_NE(std::string(e.what()).find(TempPath(name)), std::string::npos) << e.what();
        }
    }
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(fifo)));
    EXPECT_TRUE(fs::is_symlink(TempPath("ToFifo")));
    if (fs::is_character_file("/dev/null")) {
        fs::create_symlink("/dev/null", TempPath("ToDevice"));
        EXPECT_THROW(WriteTextLines(TempPath("ToDevice"), {"OK"}), FileError);
        EXPECT_TRUE(fs::is_symlink(TempPath("ToDevice")));
        EXPECT_TRUE(fs::is_character_file("/dev/null"));
    }
    EXPECT_EQ(ListDirectory(TempFolder(), "*", EntryKind::Files), std::vector<std::string>{});
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

// The temporary files of a killed process go from every folder that the remover may read, also
// where a folder beside them may not be opened (a root-only lost+found, for a remover that is not
// root); a link into a folder is not followed, and nothing but regular files of that process's
// names goes.
TEST_F(WholeFileTest, AKilledProcessesTemporariesGoFromEveryFolderThatCanBeRead) {
    namespace fs = std::filesystem;
    const auto touch = [this](const std::string& name) { std::ofstream(TempPath(name)) << "x"; };
    fs::create_directories(TempPath("Save/Sub"));
    fs::create_directory(TempPath("Elsewhere"));
    for (const char* name : {"Save/.vel-42-1.tmp", "Save/Sub/.vel-42-2.tmp",
                             "Elsewhere/.vel-42-3.tmp", "Save/.vel-43-1.tmp", "Save/.vel-42-4.csv"})
        touch(name);
    fs::create_directory_symlink(TempPath("Elsewhere"), TempPath("Save/Into"));
    fs::create_symlink(TempPath("Elsewhere/.vel-42-3.tmp"), TempPath("Save/.vel-42-5.tmp"));
    fs::create_directory(TempPath("Save/lost+found"));
    // Temporaries that the folder lists after the unreadable one, which a removal that stopped
    // there would miss.
    const auto oneFollows = [this] {
        bool locked = false;
        for (const auto& e : fs::directory_iterator(TempPath("Save"))) {
            const std::string name = e.path().filename().string();
            locked = locked || name == "lost+found";
            if (locked && name.starts_with(".vel-42-") && e.is_regular_file()) return true;
        }
        return false;
    };
    int extra = 0;
    while (!oneFollows() && extra < 50)
        touch("Save/.vel-42-" + std::to_string(10 + extra++) + ".tmp");
    ASSERT_TRUE(oneFollows());
    for (const char* folder : {"", "Save", "Save/Sub", "Elsewhere"})
        fs::permissions(TempPath(folder), fs::perms::all);
    fs::permissions(TempPath("Save/lost+found"), fs::perms::none);
    // As root, the remover runs as nobody, to whom the folder of root's is closed.
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(99);
            ::_exit(RemoveTemporaryFilesOf(42, TempPath("Save/")));
        },
        ::testing::ExitedWithCode(2 + extra), "");
    fs::permissions(TempPath("Save/lost+found"), fs::perms::owner_all);
    EXPECT_FALSE(fs::exists(TempPath("Save/.vel-42-1.tmp")));
    EXPECT_FALSE(fs::exists(TempPath("Save/Sub/.vel-42-2.tmp")));
    for (const char* kept : {"Elsewhere/.vel-42-3.tmp", "Save/.vel-43-1.tmp", "Save/.vel-42-4.csv"})
        EXPECT_EQ(Raw(kept), "x") << kept;
    EXPECT_TRUE(fs::is_symlink(TempPath("Save/.vel-42-5.tmp")));
}

}  // namespace
}  // namespace vel
