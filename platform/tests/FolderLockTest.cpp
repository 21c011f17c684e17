// The lock of a data folder: one holder at a time, also within one process, released with its
// holder; the lock file stays and the folder is made when missing.
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
    {
        const FolderLock first(folder);  // the folder is made
        ASSERT_TRUE(first.held()) << first.error();
        EXPECT_EQ(first.error(), "");
        const FolderLock second(folder);
        EXPECT_FALSE(second.held());
        EXPECT_TRUE(second.inUse());
        EXPECT_NE(second.error(), "");
        EXPECT_TRUE(FolderLock(TempPath("Other-EOD/")).held());  // another folder is free
    }
    EXPECT_TRUE(std::filesystem::exists(folder + "Vellicor.lock"));
    EXPECT_TRUE(FolderLock(folder).held());

    // A folder that cannot be made is not in use, and says why.
    std::ofstream(TempPath("File")) << "x";
    const FolderLock none(TempPath("File/Set-EOD/"));
    EXPECT_FALSE(none.held());
    EXPECT_FALSE(none.inUse());
    EXPECT_NE(none.error(), "");
}

TEST_F(FolderLockTest, ALockFileThatIsNoRegularFileIsRefusedAtOnce) {
    const std::string folder = TempPath("Set-EOD/");
    std::filesystem::create_directories(folder);
    const std::string path = folder + "Vellicor.lock";
    ASSERT_EQ(::mkfifo(path.c_str(), 0666), 0);
    // Held open for writing here, so that a lock that took the FIFO fails this test instead of
    // waiting in it for a writer.
    const int writer = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    const FolderLock fifo(folder);
    EXPECT_FALSE(fifo.held());
    EXPECT_FALSE(fifo.inUse());
    EXPECT_EQ(fifo.error(), "Vellicor.lock is not a regular file");
    ::close(writer);
}

}  // namespace
}  // namespace vel
