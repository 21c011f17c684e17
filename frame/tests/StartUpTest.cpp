// The start of Vellicor and its command line: manual mode, the unattended run, and the error
// that ends the program.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "AppState.h"
#include "EntryPoints.h"
#include "FrameFixture.h"
#include "MainCommands.h"
#include "StartUp.h"

namespace vel {
namespace {

using testing::ProcessEnded;

class StartUpTest : public testing::FrameFixture {
protected:
    void SetUp() override {
        FrameFixture::SetUp();
        AutomationCommands.RunAutorunMode = [this] {
            ++autorunRuns;
            autorunFileSeen = AutoRunFileName;
            return true;
        };
    }
    void Touch(const std::string& name) { std::ofstream(TempPath(name)) << "x"; }
    // Runs Main in the temporary program folder; true when it ended the process.
    bool RunMain(const std::string& commandLine) {
        try {
            Main(commandLine, TempFolder(), [this] { ++windowsShown; });
        } catch (const ProcessEnded& e) {
            endStatus = e.status;
            return true;
        }
        return false;
    }
    int windowsShown = 0;
    int autorunRuns = 0;
    std::string autorunFileSeen;
    int endStatus = 0;
};

TEST_F(StartUpTest, EmptyCommandLineStartsManualMode) {
    defPastDays = 99;
    SilentMode = 1;
    BrowserPath = "/usr/bin/old";
    EXPECT_FALSE(RunMain("   "));
    EXPECT_EQ(LogTexts(),
              (std::vector<std::string>{"Starting Vellicor.", "Starting manual mode."}));
    EXPECT_EQ(AutoRunMode, 0);
    EXPECT_EQ(windowsShown, 1);
    EXPECT_EQ(defPastDays, 12);
    EXPECT_EQ(SilentMode, 0);
    EXPECT_EQ(BrowserPath, "");
    EXPECT_EQ(ProgramFolderPath, TempFolder());
    EXPECT_TRUE(Messages().empty());
}

TEST_F(StartUpTest, WithoutDisplayAStartWithoutAutorunFileLogsWhyAndEndsWithOne) {
    door_.display = false;
    for (const char* commandLine : {"", " ", "\"\""}) {
        ASSERT_TRUE(RunMain(commandLine)) << commandLine;
        EXPECT_EQ(endStatus, 1);
        const auto texts = LogTexts();
        ASSERT_GE(texts.size(), 2u);
        EXPECT_EQ(texts[texts.size() - 2],
                  "Manual mode needs a display, and the command line names no .autorun file! End "
                  "of program!");
        EXPECT_EQ(texts.back(), "Exiting Vellicor.");
    }
}

TEST_F(StartUpTest, WithoutDisplayASignalAfterTheRunCannotChangeItsStatus) {
    door_.display = false;
    Touch("demo.autorun");
    // The end command of a signal that comes as the run ends, in the next yield.
    AutomationCommands.RunAutorunMode = [this] {
        door_.OnYield(1, [] { EndProgramOnSignal(); });
        return true;
    };
    ASSERT_TRUE(RunMain("demo.autorun"));
    EXPECT_EQ(endStatus, 0);
}

TEST_F(StartUpTest, ALogThatIsNoRegularFileIsRefusedOnStderrAndEndsTheStartWithOne) {
    const std::string log = TempPath("Vellicor.log");
    ASSERT_EQ(::mkfifo(log.c_str(), 0666), 0);
    // Held open for reading here, so that a start that took the FIFO fails this test instead of
    // waiting in it for a reader.
    const int reader = ::open(log.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(RunMain("demo.autorun"));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "The activity log is not a regular file: " + log + "\n");
    EXPECT_EQ(endStatus, 1);
    EXPECT_EQ(windowsShown, 0);
    ::close(reader);
}

// A log that cannot be opened (a link into a missing folder, a link loop) ends the start with 1
// and its one line on standard error.
TEST_F(StartUpTest, ALogThatCannotBeOpenedIsReportedOnStderrAndEndsTheStartWithOne) {
    const std::string log = TempPath("Vellicor.log");
    for (const std::string& target : {TempPath("missing/Vellicor.log"), log}) {
        std::filesystem::remove(log);
        std::filesystem::create_symlink(target, log);
        ::testing::internal::CaptureStderr();
        ASSERT_TRUE(RunMain("demo.autorun")) << target;
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  "The activity log cannot be written: " + log + "\n");
        EXPECT_EQ(endStatus, 1);
        EXPECT_EQ(windowsShown, 0);
    }
}

TEST_F(StartUpTest, QuotedAutorunFileStartsTheUnattendedRun) {
    Touch("demo.autorun");
    EXPECT_FALSE(RunMain("  \"demo.autorun\" "));
    EXPECT_EQ(AutoRunMode, 1);
    EXPECT_EQ(autorunRuns, 1);
    EXPECT_EQ(autorunFileSeen, "demo.autorun");
    EXPECT_EQ(LogTexts(), (std::vector<std::string>{
                              "Starting Vellicor.",
                              "Starting automatic mode with command line: demo.autorun"}));
}

TEST_F(StartUpTest, WithoutTheUnattendedRunNoRunStaysActive) {
    AutomationCommands.RunAutorunMode = nullptr;
    Touch("demo.autorun");
    EXPECT_FALSE(RunMain("demo.autorun"));
    EXPECT_EQ(AutoRunMode, 0);
    EXPECT_EQ(door_.Beeps(), 1);
}

TEST_F(StartUpTest, EndingIsComparedWithoutRegardToCaseAndNineCharactersSuffice) {
    Touch("x.AutoRun");
    CommandLineText = "x.AutoRun";
    ParseCommandLine();
    EXPECT_EQ(AutoRunMode, 1);
    EXPECT_EQ(AutoRunFileName, "x.AutoRun");

    Touch(".autorun");
    CommandLineText = ".autorun";
    ParseCommandLine();
    EXPECT_EQ(AutoRunMode, 2);

    CommandLineText = "";
    ParseCommandLine();
    EXPECT_EQ(AutoRunMode, 0);
}

TEST_F(StartUpTest, MissingFilesPathsAndOtherEndingsAreErrors) {
    for (const char* name : {"missing.autorun", "notes.txt", "sub/in.autorun"}) {
        std::filesystem::create_directories(TempPath("sub"));
        Touch("notes.txt");
        Touch("sub/in.autorun");
        CommandLineText = name;
        ParseCommandLine();
        EXPECT_EQ(AutoRunMode, 2) << name;
    }
}

TEST_F(StartUpTest, CommandLineErrorLogsShowsTheBoxAndEndsTheProcess) {
    Touch("notes.txt");
    door_.QueueMessageAnswer(MsgAnswer::OK);
    ASSERT_TRUE(RunMain("notes.txt"));
    EXPECT_NE(endStatus, 0);
    EXPECT_EQ(AutoRunMode, 2);
    EXPECT_EQ(autorunRuns, 0);
    EXPECT_EQ(LogTexts(),
              (std::vector<std::string>{"Starting Vellicor.",
                                        "Command line options error! Command line options = "
                                        "notes.txt"}));
    const auto boxes = door_.CallsOf("message");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              "Vellicor command line options error!\r\n"
              "Command line options = notes.txt\r\n"
              "Valid command line syntax = <Program folder>\\Vellicor.exe   <Autorun file "
              "name>.autorun \r\n"
              "End of program!\r\n");
    EXPECT_EQ(boxes[0].title, "Vellicor");
    EXPECT_EQ(boxes[0].buttons, MsgButtons::OK);
    // The box is answered before the process ends, and nothing is logged after it.
    ASSERT_GE(door_.Calls().size(), 2u);
    EXPECT_EQ(door_.Calls().back().kind, "end");
}

TEST_F(StartUpTest, WithoutDisplayTheErrorBoxIsLoggedAndStillEndsTheProcess) {
    door_.display = false;
    ASSERT_TRUE(RunMain("nothing.txt"));
    const auto texts = LogTexts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[1], "Command line options error! Command line options = nothing.txt");
    EXPECT_EQ(texts[2].rfind("Message: Vellicor command line options error! Command line "
                             "options = nothing.txt Valid command line syntax",
                             0),
              0u);
    EXPECT_NE(endStatus, 0);
}

}  // namespace
}  // namespace vel
