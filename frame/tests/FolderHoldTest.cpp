// The program's holds of data folders: the work that holds a folder shares its hold with what it
// runs itself, a command given while it yields is refused like another process, and the refusal
// of a writing command is logged and shown.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "FolderHold.h"
#include "FolderLock.h"
#include "FrameFixture.h"
#include "Hooks.h"

namespace vel {
namespace {

class FolderHoldTest : public testing::FrameFixture {};

TEST_F(FolderHoldTest, TheHoldingWorkSharesItsHoldAndACommandWhileItYieldsIsRefused) {
    const std::string folder = TempPath("Set-EOD/");
    std::filesystem::create_directories(folder + "RESULTS");
    OpenActivityLog("Vellicor.log");
    {
        const FolderHold run(folder);
        ASSERT_TRUE(run.held()) << run.error();
        // The run's own report, named through its RESULTS folder.
        const FolderHold report(DataFolderOf(folder + "RESULTS/acmd1MarketTimingReport.html"));
        EXPECT_TRUE(report.held());
        EXPECT_TRUE(FolderLock(folder).inUse());  // for any other holder
        {
            // A command the user gives while the run yields.
            const EventsRun events;
            const FolderHold click(folder);
            EXPECT_FALSE(click.held());
            EXPECT_TRUE(click.inUse());
            door_.QueueMessageAnswer(MsgAnswer::OK);
            EXPECT_FALSE(HeldForWriting(click));
        }
        EXPECT_EQ(Messages(),
                  std::vector<std::string>{
                      "The data folder is in use by another run or import!\r\n" + folder});
        ASSERT_FALSE(LogTexts().empty());
        EXPECT_EQ(LogTexts().back(),
                  "The data folder is in use by another run or import! " + folder);
    }
    // The sharing hold took no lock of its own; the run's is gone with the run.
    EXPECT_TRUE(FolderLock(folder).held());
    const EventsRun events;
    EXPECT_TRUE(FolderHold(folder).held());
}

TEST_F(FolderHoldTest, WorkThatMakesItsFolderLocksTheFolderItMadeOrIsRefused) {
    const std::string folder = TempPath("New-EOD/");
    {
        const FolderHold import(folder, true);
        ASSERT_TRUE(import.held()) << import.error();
        EXPECT_TRUE(std::filesystem::is_directory(folder));
        EXPECT_TRUE(FolderLock(folder).inUse());
    }
    // Under a file no folder can be made: refused with the system's reason, never unlocked.
    const std::string file = TempPath("Plain.txt");
    std::filesystem::create_directories(TempPath(""));
    { std::ofstream(file) << "x"; }
    const FolderHold refused(file + "/Set-EOD/", true);
    EXPECT_FALSE(refused.held());
    EXPECT_FALSE(refused.inUse());
    EXPECT_FALSE(refused.error().empty());
    EXPECT_EQ(RefusalText(refused), "The data folder cannot be locked!\r\n" + file + "/Set-EOD/");
}

// A path that names a file, a FIFO or a socket is no folder, made or not: never held without a
// lock, never made into one, never waited on.
TEST_F(FolderHoldTest, APathThatIsNoFolderIsRefusedAsNotAFolder) {
    OpenActivityLog("Vellicor.log");
    const std::string fifo = TempPath("Fifo-EOD");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string file = TempPath("File-EOD");
    { std::ofstream(file) << "x"; }
    const std::string socket = TempPath("Socket-EOD");
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socket.copy(address.sun_path, sizeof(address.sun_path) - 1);
    ASSERT_EQ(::bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    for (const std::string& path : {fifo, file, socket}) {
        for (const bool makeMissing : {false, true}) {
            SCOPED_TRACE(path + (makeMissing ? " made when missing" : ""));
            const FolderHold hold(path + "/", makeMissing);
            EXPECT_FALSE(hold.held());
            EXPECT_FALSE(hold.inUse());
            EXPECT_EQ(hold.error(), "not a folder");
            door_.QueueMessageAnswer(MsgAnswer::OK);
            EXPECT_FALSE(HeldForWriting(hold));
            ASSERT_FALSE(LogTexts().empty());
            EXPECT_EQ(LogTexts().back(),
                      "The data folder cannot be locked! " + path + "/ (not a folder)");
        }
    }
    ::close(s);
    EXPECT_EQ(std::filesystem::status(file).type(), std::filesystem::file_type::regular);
}

}  // namespace
}  // namespace vel
