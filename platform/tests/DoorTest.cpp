// The door's shared rules (the long time form, the unattended rule for dialogs and forms, the
// form presenters), the scripted door's clocks, timers and yields, and the Qt door on the
// offscreen platform.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QFontMetrics>
#include <QInputDialog>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "AppState.h"
#include "Door.h"
#include "FolderLock.h"
#include "PlatformFixture.h"
#include "QtDoor.h"
#include "SilentDoor.h"

namespace vel {
namespace {

std::vector<std::string> g_logged;
void Collect(const std::string& line) {
    g_logged.push_back(line);
}

class DoorTest : public testing::PlatformFixture {
protected:
    void SetUp() override {
        PlatformFixture::SetUp();
        g_logged.clear();
        SetMessageLogSink(&Collect);
    }
};

TEST(LongTime, WritesTwelveHourClockWithoutLeadingZero) {
    EXPECT_EQ(formatLongTime({Date{2002, 12, 31}, 18, 5, 1}), "6:05:01 PM");
    EXPECT_EQ(formatLongTime({Date{2002, 12, 31}, 0, 0, 9}), "12:00:09 AM");
    EXPECT_EQ(formatLongTime({Date{2002, 12, 31}, 12, 30, 0}), "12:30:00 PM");
    EXPECT_EQ(formatLongTime({Date{2002, 12, 31}, 11, 59, 59}), "11:59:59 AM");
}

TEST_F(DoorTest, UnattendedRunLogsMessagesAndAnswersNoToQuestions) {
    AutoRunMode = 1;
    EXPECT_EQ(door().MessageBox("Proceed?", "Vellicor", MsgButtons::YesNo), MsgAnswer::No);
    EXPECT_EQ(door().MessageBox("Done.", "Vellicor", MsgButtons::OK), MsgAnswer::OK);
    EXPECT_EQ(door().MessageBox("Stop?", "Vellicor", MsgButtons::OKCancel), MsgAnswer::OK);
    EXPECT_EQ(g_logged,
              (std::vector<std::string>{"Message: Proceed?", "Message: Done.", "Message: Stop?"}));
    EXPECT_EQ(door().OpenFileDialog("t", "All (*)|*", "/"), "");
    EXPECT_EQ(door().InputBox("p", "t", "x"), std::nullopt);
}

TEST_F(DoorTest, WithoutDisplayNoDialogWaitsEvenInManualMode) {
    door_.display = false;
    EXPECT_EQ(door().MessageBox("Question?", "", MsgButtons::YesNoCancel), MsgAnswer::No);
    EXPECT_EQ(g_logged, std::vector<std::string>{"Message: Question?"});
}

TEST_F(DoorTest, InteractiveMessageTakesTheQueuedAnswerAndLogsNothing) {
    door_.QueueMessageAnswer(MsgAnswer::Yes);
    EXPECT_EQ(door().MessageBox("Proceed?", "Vellicor", MsgButtons::YesNo), MsgAnswer::Yes);
    EXPECT_TRUE(g_logged.empty());
}

// A form of the kind the program's windows show.
struct SampleForm {
    std::string box;
    bool unloaded = false;
    static constexpr const char* kCaption = "Sample form.";
};

TEST_F(DoorTest, UnattendedFormsAreNotShownAndAttendedOnesTakeTheirScript) {
    SampleForm form;
    AutoRunMode = 1;
    EXPECT_FALSE(door().ShowForm(form));  // nothing queued, and no failure: it is not shown
    AutoRunMode = 0;
    door_.QueueForm<SampleForm>([](SampleForm& f) {
        f.box = "typed";
        f.unloaded = true;
    });
    EXPECT_TRUE(door().ShowForm(form));
    EXPECT_EQ(form.box, "typed");
    EXPECT_EQ(door_.CallsOf("form").size(), 2u);
    EXPECT_EQ(door_.CallsOf("form")[0].text, "Sample form.");
    EXPECT_NONFATAL_FAILURE(door().ShowForm(form), "Unexpected form Sample form.");
}

TEST_F(DoorTest, QueuedFailureIsRaisedByTheNextDialog) {
    door_.QueueFailure(FileError("The dialog failed"));
    EXPECT_THROW(door().OpenFileDialog("t", "All (*)|*", "/"), FileError);
    EXPECT_EQ(door_.UnusedAnswers(), 0u);
}

// The registry of a door that shows forms by their presenters.
class AttendedDoor : public SilentDoor {
public:
    bool HasDisplay() override { return true; }
};

TEST(SilentDoorWait, SleepsUntilTheNextTimerAndFiresIt) {
    SilentDoor silent;
    int fired = 0;
    // The start is read before the timer is set: read after it, a millisecond that turned in
    // between would make the measured wait 39 ms.
    const std::int64_t start = silent.MonotonicMs();
    silent.StartTimer(40, [&] { ++fired; });
    silent.WaitForEvents(5000);
    EXPECT_EQ(fired, 1);
    EXPECT_GE(silent.MonotonicMs() - start, 40);
    EXPECT_LT(silent.MonotonicMs() - start, 2000);
    EXPECT_EQ(silent.StartWatchedProgram("/bin/sh", {}, {}, -1), 0u);  // it starts nothing
}

TEST(FormPresenters, ADoorShowsEachFormTypeByItsPresenter) {
    AttendedDoor attended;
    InstallDoor(&attended);
    std::vector<std::string> logged;
    static std::vector<std::string>* sink = nullptr;
    sink = &logged;
    SetMessageLogSink([](const std::string& line) { sink->push_back(line); });
    SampleForm form;
    EXPECT_FALSE(attended.ShowForm(form));
    EXPECT_EQ(logged,
              std::vector<std::string>{"Message: No window shows the form \"Sample form.\"."});
    attended.SetFormPresenter<SampleForm>([](SampleForm& f) { f.unloaded = true; });
    EXPECT_TRUE(attended.ShowForm(form));
    EXPECT_TRUE(form.unloaded);
    SetMessageLogSink(nullptr);
    InstallDoor(nullptr);
}

TEST_F(DoorTest, TimersFireInDeadlineOrderWhenTheClockIsAdvanced) {
    std::vector<std::string> fired;
    door_.StartTimer(300,
                     [&] { fired.push_back("300 at " + std::to_string(door().MonotonicMs())); });
    const TimerId cancelled = door_.StartTimer(100, [&] { fired.push_back("cancelled"); });
    door_.StartTimer(100, [&] {
        fired.push_back("100");
        // A timer started by a timer fires in the same advance when it falls due.
        door().StartTimer(
            50, [&] { fired.push_back("150 at " + std::to_string(door().MonotonicMs())); });
    });
    door_.StartTimer(-5, [&] { fired.push_back("now"); });
    door_.CancelTimer(cancelled);
    door_.CancelTimer(cancelled);  // twice changes nothing
    EXPECT_EQ(door_.MonotonicMs(), 0);
    door_.AdvanceMs(299);
    EXPECT_EQ(fired, (std::vector<std::string>{"now", "100", "150 at 150"}));
    EXPECT_EQ(door_.MonotonicMs(), 299);
    EXPECT_EQ(door_.PendingTimers(), 1u);
    door_.AdvanceMs(1);
    EXPECT_EQ(fired.back(), "300 at 300");
    EXPECT_EQ(door_.PendingTimers(), 0u);
}

TEST_F(DoorTest, CodeRunsOnTheNthYieldAndTheHourglassCanBeRead) {
    int yieldsSeen = -1;
    door_.OnYield(3, [&] { yieldsSeen = door_.yields; });
    door().Yield();
    door().Yield();
    EXPECT_EQ(yieldsSeen, -1);
    door().Yield();
    EXPECT_EQ(yieldsSeen, 3);
    door().Yield();
    EXPECT_EQ(yieldsSeen, 3);
    EXPECT_FALSE(door().Hourglass());
    door().SetHourglass(true);
    EXPECT_TRUE(door().Hourglass());
}

// The Qt door, on the offscreen platform of the test program.
class QtDoorTest : public testing::CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        InstallDoor(&qt_);
        g_logged.clear();
        SetMessageLogSink(&Collect);
    }
    void TearDown() override {
        SetMessageLogSink(nullptr);
        InstallDoor(nullptr);
        CoreFixture::TearDown();
    }
    QtDoor qt_;
};

TEST_F(QtDoorTest, OffscreenItNeverBlocksOnAWindow) {
    ASSERT_NE(QApplication::instance(), nullptr);
    EXPECT_FALSE(qt_.HasDisplay());
    EXPECT_EQ(qt_.MessageBox("Proceed?", "Vellicor", MsgButtons::YesNoCancel), MsgAnswer::No);
    EXPECT_EQ(qt_.InputBox("p", "t", "x"), std::nullopt);
    EXPECT_EQ(qt_.OpenFileDialog("t", "All (*.*)|*.*", "/"), "");
    EXPECT_EQ(qt_.SaveFileDialog("t", "All (*.*)|*.*", "/", "a.txt"), "");
    SampleForm form;
    qt_.SetFormPresenter<SampleForm>([](SampleForm& f) { f.unloaded = true; });
    EXPECT_FALSE(qt_.ShowForm(form));
    EXPECT_FALSE(form.unloaded);
    EXPECT_EQ(g_logged, std::vector<std::string>{"Message: Proceed?"});
}

TEST_F(QtDoorTest, TimersFireFromTheEventLoopUnlessCancelled) {
    const std::int64_t start = qt_.MonotonicMs();
    int fired = 0, cancelledFired = 0;
    qt_.StartTimer(30, [&] { ++fired; });
    qt_.CancelTimer(qt_.StartTimer(10, [&] { ++cancelledFired; }));
    while (fired == 0 && qt_.MonotonicMs() - start < 5000) qt_.Yield();
    EXPECT_EQ(fired, 1);
    EXPECT_GE(qt_.MonotonicMs() - start, 30);
    QCoreApplication::processEvents();
    EXPECT_EQ(cancelledFired, 0);
    EXPECT_EQ(fired, 1);
}

TEST_F(QtDoorTest, HourglassClipboardAndProgramsWork) {
    qt_.SetHourglass(true);
    EXPECT_TRUE(qt_.Hourglass());
    qt_.SetHourglass(false);
    EXPECT_FALSE(qt_.Hourglass());
    qt_.SetClipboardText("AAPL\nIBM");
    EXPECT_EQ(qt_.ClipboardText(), "AAPL\nIBM");
    const std::string shell = qt_.FindProgram("sh");
    EXPECT_FALSE(shell.empty());
    EXPECT_TRUE(qt_.StartProgram(shell, {"-c", "exit 0"}, WindowShow::Normal));
    EXPECT_FALSE(qt_.StartProgram("", {}, WindowShow::Normal));
    EXPECT_EQ(qt_.FindProgram("no-such-program-of-vellicor"), "");
    const DateTime now = qt_.Now();
    EXPECT_TRUE(isValidDate(now.date));
}

TEST_F(QtDoorTest, AnInputBoxLeavesRoomForItsWholeCaption) {
    const std::string title = "Default values of program parameters.";
    const auto box = NewInputBox("Enter one way commission percentage:", title, ".5");
    box->adjustSize();
    // The caption in the title bar's font, beside the title bar's icon and three buttons.
    const QFontMetrics font(QApplication::font("QMdiSubWindowTitleBar"));
    EXPECT_GE(box->width(), font.horizontalAdvance(QString::fromStdString(title)) + 100);
    EXPECT_EQ(box->windowTitle().toStdString(), title);
}

TEST_F(QtDoorTest, AWaitEndsWithTheFirstEventNotAfterItsWholeTime) {
    const std::int64_t start = qt_.MonotonicMs();
    int fired = 0;
    qt_.StartTimer(30, [&] { ++fired; });
    while (fired == 0 && qt_.MonotonicMs() - start < 5000) qt_.WaitForEvents(5000);
    EXPECT_EQ(fired, 1);
    EXPECT_LT(qt_.MonotonicMs() - start, 4000);
}

TEST_F(QtDoorTest, AWatchedProgramIsSeenToEndThroughTheEvents) {
    const std::string shell = qt_.FindProgram("sh");
    ASSERT_FALSE(shell.empty());
    const std::int64_t start = qt_.MonotonicMs();
    const ProgramId id = qt_.StartWatchedProgram(shell, {"-c", "sleep 0.2"}, {}, -1);
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(qt_.ProgramRunning(id));
    while (qt_.ProgramRunning(id) && qt_.MonotonicMs() - start < 10000) qt_.WaitForEvents(1000);
    EXPECT_FALSE(qt_.ProgramRunning(id));
    EXPECT_GE(qt_.MonotonicMs() - start, 150);
    EXPECT_LT(qt_.MonotonicMs() - start, 5000);  // the end woke the wait
    // A program that fails is seen to end as well; the test waits for it, since the door leaves
    // the handle of a program still running at its end (the program must go on).
    const ProgramId second = qt_.StartWatchedProgram(shell, {"-c", "exit 3"}, {}, -1);
    EXPECT_NE(second, id);
    while (qt_.ProgramRunning(second) && qt_.MonotonicMs() - start < 10000) qt_.WaitForEvents(1000);
    EXPECT_FALSE(qt_.ProgramRunning(second));
    EXPECT_EQ(qt_.StartWatchedProgram("/no/such/folder/Tarquel", {}, {}, -1), 0u);
    EXPECT_EQ(qt_.StartWatchedProgram("", {}, {}, -1), 0u);
    EXPECT_FALSE(qt_.ProgramRunning(0));
    EXPECT_FALSE(qt_.ProgramRunning(id + 100));
}

// What a watched program says on standard error (why it refuses to start) is kept for the caller,
// read as it comes so that the program never waits on a full pipe, and only up to its limit.
TEST_F(QtDoorTest, AWatchedProgramsErrorOutputIsKeptUpToItsLimit) {
    const std::string shell = qt_.FindProgram("sh");
    ASSERT_FALSE(shell.empty());
    const ProgramId id = qt_.StartWatchedProgram(
        shell, {"-c", "echo out; echo 'first line' >&2; head -c 300000 /dev/zero | tr '\\0' x >&2"},
        {}, -1);
    ASSERT_NE(id, 0u);
    const std::int64_t start = qt_.MonotonicMs();
    while (qt_.ProgramRunning(id) && qt_.MonotonicMs() - start < 10000) qt_.WaitForEvents(100);
    EXPECT_FALSE(qt_.ProgramRunning(id));
    const std::string text = qt_.TakeProgramErrorOutput(id);
    EXPECT_EQ(text.size(), kProgramErrorOutputKept);
    EXPECT_EQ(text.rfind("first line\nxxx", 0), 0u) << text.substr(0, 20);
    EXPECT_EQ(qt_.TakeProgramErrorOutput(id), "");
    EXPECT_EQ(qt_.TakeProgramErrorOutput(id + 100), "");
}

// A name that is not UTF-8 (a Latin-1 byte in a program folder) reaches the program's start as its
// bytes, for the program and for its arguments.
TEST_F(QtDoorTest, AWatchedProgramAndItsArgumentsKeepTheBytesOfTheirNames) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "vellicor-bytes-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const std::string folder = pattern + "/Caf\xe9/";
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "Run") << "#!/bin/sh\nprintf %s \"$1\" > \"${0%/Run}/Got\"\n";
    std::filesystem::permissions(folder + "Run", std::filesystem::perms::owner_all);
    const ProgramId id = qt_.StartWatchedProgram(folder + "Run", {folder + "In.dwnparams"}, {}, -1);
    ASSERT_NE(id, 0u);
    const std::int64_t start = qt_.MonotonicMs();
    while (qt_.ProgramRunning(id) && qt_.MonotonicMs() - start < 10000) qt_.WaitForEvents(100);
    std::ifstream got(folder + "Got");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(got), {}), folder + "In.dwnparams");
    std::filesystem::remove_all(pattern);
}

// A lock handed to a watched program reaches it alone: open there under the number that its
// environment names, while every other lock stays closed on exec; a variable of that name in this
// program's own environment never reaches a program that is handed nothing.
TEST_F(QtDoorTest, AHandedLockReachesTheProgramItIsHandedToAndNoOther) {
    const std::string shell = qt_.FindProgram("sh");
    ASSERT_FALSE(shell.empty());
    std::string pattern =
        (std::filesystem::temp_directory_path() / "vellicor-hand-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const std::string folder = pattern + "/";
    std::filesystem::create_directories(folder + "A");
    std::filesystem::create_directories(folder + "B");
    const FolderLock handed(folder + "A/");
    const FolderLock kept(folder + "B/");
    ASSERT_TRUE(handed.held() && kept.held());
    ::setenv(kHandedLockVariable, std::to_string(kept.descriptor()).c_str(), 1);
    // The program writes the variable's value and which of the two descriptors it has open.
    const auto seen = [&](int handedLock) {
        const ProgramId id = qt_.StartWatchedProgram(
            shell,
            {"-c",
             "out=${" + std::string(kHandedLockVariable) +
                 "-none}; for fd in $1 $2; do [ -e /proc/$$/fd/$fd ] && out=\"$out $fd\"; done; "
                 "printf %s \"$out\" > \"$0\"",
             folder + "seen", std::to_string(handed.descriptor()),
             std::to_string(kept.descriptor())},
            {}, handedLock);
        EXPECT_NE(id, 0u);
        const std::int64_t start = qt_.MonotonicMs();
        while (qt_.ProgramRunning(id) && qt_.MonotonicMs() - start < 10000) qt_.WaitForEvents(100);
        std::ifstream in(folder + "seen");
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string number = std::to_string(handed.descriptor());
    EXPECT_EQ(seen(handed.descriptor()), number + " " + number);
    EXPECT_EQ(seen(-1), "none");
    ::unsetenv(kHandedLockVariable);
    EXPECT_TRUE(FolderLock(folder + "A/").inUse());
    std::filesystem::remove_all(pattern);
}

// A program that does not answer the request to end is killed; the temporary files of its
// whole-file writes, which it cannot remove any more, go with it, and nothing else.
TEST_F(QtDoorTest, AKilledProgramLeavesNoTemporaryFileOfItsOwn) {
    const std::string shell = qt_.FindProgram("sh");
    ASSERT_FALSE(shell.empty());
    std::string pattern =
        (std::filesystem::temp_directory_path() / "vellicor-kill-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const std::string folder = pattern + "/";
    for (const char* other : {".vel-1-1.tmp", "A.csv", ".vel-1-x.csv"})
        std::ofstream(folder + other) << "x";
    const ProgramId id = qt_.StartWatchedProgram(
        shell, {"-c", "trap '' TERM; : > \"$0/.vel-$$-7.tmp\"; exec sleep 60", folder}, {folder},
        -1);
    ASSERT_NE(id, 0u);
    const std::int64_t start = qt_.MonotonicMs();
    const auto written = [&] {
        for (const auto& e : std::filesystem::directory_iterator(folder))
            if (e.path().filename().string().find("-7.tmp") != std::string::npos) return true;
        return false;
    };
    while (!written() && qt_.MonotonicMs() - start < 10000) qt_.WaitForEvents(20);
    ASSERT_TRUE(written());
    qt_.StopWatchedProgram(id, 100);
    EXPECT_FALSE(qt_.ProgramRunning(id));
    EXPECT_FALSE(written());
    EXPECT_TRUE(std::filesystem::exists(folder + ".vel-1-1.tmp"));
    EXPECT_TRUE(std::filesystem::exists(folder + "A.csv"));
    EXPECT_TRUE(std::filesystem::exists(folder + ".vel-1-x.csv"));
    std::filesystem::remove_all(pattern);
}

}  // namespace
}  // namespace vel
