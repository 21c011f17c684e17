// The activity log: its size rule at start and the shape of its lines.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

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

// Another run of the program, in a child process: it starts on the log, writes a line of the
// given length, and after each step that the test asks for one line more, each time telling the
// test that it has written; it ends when the test closes its end of the pipe.
class OtherRun {
public:
    explicit OtherRun(size_t firstLine) {
        if (::pipe(toChild_) != 0 || ::pipe(toParent_) != 0) return;
        pid_ = ::fork();
        if (pid_ != 0) {
            ::close(toChild_[0]);
            ::close(toParent_[1]);
            return;
        }
        ::close(toChild_[1]);
        ::close(toParent_[0]);
        const bool opened = OpenActivityLog("Vellicor.log");
        WriteActivityLog(std::string(firstLine, 'c'));
        char step = 0;
        for (int n = 1; ::write(toParent_[1], "w", 1) == 1 && ::read(toChild_[0], &step, 1) == 1;)
            WriteActivityLog("Step " + std::to_string(n++));
        ::_exit(opened ? 0 : 1);
    }
    ~OtherRun() { End(); }
    // Waits until the run has written its first line or the one of the last step.
    bool Written() {
        char c = 0;
        return pid_ > 0 && ::read(toParent_[0], &c, 1) == 1;
    }
    // Lets the run write one line more.
    bool Step() { return ::write(toChild_[1], "s", 1) == 1 && Written(); }
    // Ends the run; true when it ended well.
    bool End() {
        if (pid_ <= 0) return false;
        ::close(toChild_[1]);
        ::close(toParent_[0]);
        int status = 0;
        const bool ended = ::waitpid(pid_, &status, 0) == pid_;
        pid_ = 0;
        return ended && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

private:
    int toChild_[2] = {-1, -1};
    int toParent_[2] = {-1, -1};
    pid_t pid_ = -1;
};

// A log over the limit is begun anew only by a start that no other process writes the log
// beside: a second start appends its separator while the first run holds the file, also a file
// that the first run opened anew after a rotation; once the first run has ended, the next start
// empties the file.
TEST_F(ActivityLogTest, AnOverlongLogIsKeptWhileAnotherProcessWritesIt) {
    WriteBytes(kActivityLogLimit + 1);
    OtherRun other(kActivityLogLimit);
    ASSERT_TRUE(other.Written());
    const std::string entry = "Date: 12/31/2002  Time: 6:05:01 PM >> ";
    const std::string separator = kSeparator + "\r\n";
    std::string raw = Raw();
    // It began the log anew itself.
    ASSERT_EQ(raw.size(), entry.size() + kActivityLogLimit + 2);
    EXPECT_EQ(raw.substr(0, entry.size() + 1), entry + "c");

    EXPECT_TRUE(OpenActivityLog("Vellicor.log"));
    raw = Raw();
    ASSERT_EQ(raw.size(), entry.size() + kActivityLogLimit + 2 + separator.size());
    EXPECT_EQ(raw.substr(raw.size() - separator.size() - 3), "c\r\n" + separator);

    std::filesystem::rename(LogPath(), TempPath("Vellicor.log.1"));
    WriteBytes(kActivityLogLimit + 1);
    ASSERT_TRUE(other.Step());
    EXPECT_TRUE(OpenActivityLog("Vellicor.log"));
    raw = Raw();
    const std::string tail = "x" + entry + "Step 1\r\n" + separator;
    ASSERT_EQ(raw.size(), kActivityLogLimit + tail.size());
    EXPECT_EQ(raw.substr(kActivityLogLimit), tail);

    EXPECT_TRUE(other.End());
    EXPECT_TRUE(OpenActivityLog("Vellicor.log"));
    EXPECT_EQ(Raw(), "");
}

TEST_F(ActivityLogTest, UnattendedMessagesGoIntoTheLog) {
    OpenActivityLog("Vellicor.log");
    door_.display = false;
    door().MessageBox("File not found!", "Vellicor", MsgButtons::OK);
    EXPECT_EQ(LogTexts(), std::vector<std::string>{"Message: File not found!"});
}

}  // namespace
}  // namespace vel
