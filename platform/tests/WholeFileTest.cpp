// Files written whole or not at all: the temporary name in the target's folder, and what a
// failed write leaves behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "DirectoryListing.h"
#include "PlatformFixture.h"
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

}  // namespace
}  // namespace vel
