// The lock of a data folder: one holder at a time, also within one process, released with its
// holder; nothing is made for it, and a path that is no folder is refused at once.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "FolderLock.h"
#include "PlatformFixture.h"

namespace vel {
namespace {

class FolderLockTest : public testing::PlatformFixture {};

TEST_F(FolderLockTest, OneHolderAtATimeUntilItReleasesTheLock) {
    const std::string folder = TempPath("Set-EOD/");
    std::filesystem::create_directories(folder);
    std::filesystem::create_directories(TempPath("Other-EOD"));
    {
        const FolderLock first(folder);
        ASSERT_TRUE(first.held()) << first.error();
        EXPECT_EQ(first.error(), "");
        const FolderLock second(folder);
        EXPECT_FALSE(second.held());
        EXPECT_TRUE(second.inUse());
        EXPECT_NE(second.error(), "");
        EXPECT_TRUE(FolderLock(TempPath("Other-EOD/")).held());  // another folder is free
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder));  // the lock made nothing in it
    EXPECT_TRUE(FolderLock(folder).held());

    // A missing folder is not in use, says why, and is not made.
    const FolderLock none(TempPath("Gone-EOD/"));
    EXPECT_FALSE(none.held());
    EXPECT_FALSE(none.inUse());
    EXPECT_NE(none.error(), "");
    EXPECT_FALSE(std::filesystem::exists(TempPath("Gone-EOD")));
}

TEST_F(FolderLockTest, APathThatIsNoFolderIsRefusedAtOnce) {
    const std::string path = TempPath("Set-EOD");
    ASSERT_EQ(::mkfifo(path.c_str(), 0666), 0);
    // Held open for writing here, so that a lock that took the FIFO fails this test instead of
    // waiting in it for a writer.
    const int writer = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    const FolderLock fifo(path + "/");
    EXPECT_FALSE(fifo.held());
    EXPECT_FALSE(fifo.inUse());
    EXPECT_EQ(fifo.error(), "not a folder");
    ::close(writer);
}

}  // namespace
}  // namespace vel
