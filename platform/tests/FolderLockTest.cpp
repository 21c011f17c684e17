// The lock of a data folder: one holder at a time, also within one process, released with its
// holder; the lock file stays and the folder is made when missing.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vel
