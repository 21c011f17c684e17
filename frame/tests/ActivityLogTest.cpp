// The activity log: its size rule at start and the shape of its lines.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "ActivityLog.h"
#include "Door.h"
#include "FrameFixture.h"

namespace vel {
namespace {

const std::string kSeparator(74, '*');

class ActivityLogTest : public testing::FrameFixture {
protected:
    std::string LogPath() const { return TempPath("Vellicor.log"); }
    void WriteBytes(std::uintmax_t size) {
        std::ofstream out(LogPath(), std::ios::binary);
        out << std::string(static_cast<size_t>(size), 'x');
    }
    std::string Raw() const {
        std::ifstream in(LogPath(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

TEST_F(ActivityLogTest, NewLogStartsWithTheFirstEntryAndNoSeparator) {
    OpenActivityLog("Vellicor.log");
    EXPECT_EQ(ActivityLogPath, LogPath());
    EXPECT_EQ(Raw(), "");
    WriteActivityLog("Starting Vellicor.");
    EXPECT_EQ(Raw(), "Date: 12/31/2002  Time: 6:05:01 PM >> Starting Vellicor.\r\n");
}

TEST_F(ActivityLogTest, EmptyFileStaysEmptyWithoutSeparator) {
    WriteBytes(0);
    OpenActivityLog("Vellicor.log");
    EXPECT_EQ(Raw(), "");
}

TEST_F(ActivityLogTest, FileOfExactlyTheLimitKeepsItsContentAndGetsASeparator) {
    WriteBytes(kActivityLogLimit);
    OpenActivityLog("Vellicor.log");
    const std::string raw = Raw();
    ASSERT_EQ(raw.size(), kActivityLogLimit + 76);
    EXPECT_EQ(raw.substr(0, 3), "xxx");
    EXPECT_EQ(raw.substr(kActivityLogLimit), kSeparator + "\r\n");
}

TEST_F(ActivityLogTest, FileOneByteOverTheLimitIsBegunAnew) {
    WriteBytes(kActivityLogLimit + 1);
    OpenActivityLog("Vellicor.log");
    EXPECT_EQ(Raw(), "");
}

TEST_F(ActivityLogTest, SmallFileGetsSeparatorThenEntries) {
    WriteBytes(10);
    OpenActivityLog("Vellicor.log");
    door_.now = DateTime{Date{2003, 1, 2}, 0, 7, 9};
    WriteActivityLog("");
    WriteActivityLog("Two\r\nlines\r\n");
    EXPECT_EQ(Raw(), "xxxxxxxxxx" + kSeparator +
                         "\r\n"
                         "Date: 1/2/2003  Time: 12:07:09 AM >> \r\n"
                         "Date: 1/2/2003  Time: 12:07:09 AM >> Two lines\r\n");
}

// The number of this process's open descriptors on the log file.
int OpenDescriptorsOf(const std::string& path) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        if (std::filesystem::read_symlink(entry.path(), ec) == path) ++count;
    }
    return count;
}

TEST_F(ActivityLogTest, StaysOpenBetweenLinesAndFollowsAFileRemovedOrReplaced) {
    OpenActivityLog("Vellicor.log");
    WriteActivityLog("One");
    EXPECT_EQ(OpenDescriptorsOf(LogPath()), 1);
    std::filesystem::remove(LogPath());
    WriteActivityLog("Two");
    EXPECT_EQ(LogTexts(), std::vector<std::string>{"Two"});
    std::filesystem::rename(LogPath(), TempPath("rotated"));
    WriteBytes(3);
    WriteActivityLog("Three");
    EXPECT_EQ(Raw(), "xxxDate: 12/31/2002  Time: 6:05:01 PM >> Three\r\n");
    EXPECT_EQ(OpenDescriptorsOf(LogPath()), 1);
}

// A log path that is a link to a link to a file in a folder that logrotate keeps: each line goes
// where the path names at that moment.
TEST_F(ActivityLogTest, ALinkedLogFollowsItsTargetRotatedOrRemoved) {
    const std::string target = TempPath("logs/Vellicor.log");
    std::filesystem::create_directory(TempPath("logs"));
    std::filesystem::create_symlink(target, TempPath("current.log"));
    std::filesystem::create_symlink(TempPath("current.log"), LogPath());
    OpenActivityLog("Vellicor.log");
    WriteActivityLog("One");
    std::filesystem::rename(target, target + ".1");
    std::ofstream(target).close();
    WriteActivityLog("Two");
    EXPECT_EQ(ReadTextLines(target),
              std::vector<std::string>{"Date: 12/31/2002  Time: 6:05:01 PM >> Two"});
    std::filesystem::remove(target);
    WriteActivityLog("Three");
    EXPECT_EQ(LogTexts(), std::vector<std::string>{"Three"});
    EXPECT_EQ(ReadTextLines(target + ".1"),
              std::vector<std::string>{"Date: 12/31/2002  Time: 6:05:01 PM >> One"});
    EXPECT_TRUE(std::filesystem::is_symlink(LogPath()));
    EXPECT_EQ(OpenDescriptorsOf(target), 1);
}

TEST_F(ActivityLogTest, UnattendedMessagesGoIntoTheLog) {
    OpenActivityLog("Vellicor.log");
    door_.display = false;
    door().MessageBox("File not found!", "Vellicor", MsgButtons::OK);
    EXPECT_EQ(LogTexts(), std::vector<std::string>{"Message: File not found!"});
}

}  // namespace
}  // namespace vel
