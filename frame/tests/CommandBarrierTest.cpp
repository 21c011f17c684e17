// The command barrier: an error in a command, an entry point or a real menu action of the main
// window is shown in the error-handler box and stops there; the busy state, the hourglass and
// the wait text are as before the command; the numbers the box shows for each error type.
#include <gtest/gtest.h>

#include <QAction>
#include <fstream>
#include <memory>
#include <new>
#include <stdexcept>

#include "AppState.h"
#include "CommandBarrier.h"
#include "Database.h"
#include "EntryPoints.h"
#include "ErrorHandler.h"
#include "FrameFixture.h"
#include "Hooks.h"
#include "MainCommands.h"
#include "MainWindowView.h"
#include "Progress.h"
#include "frmMDI.h"
#include "frmMain.h"

namespace vel {
namespace {

class CommandBarrierTest : public testing::FrameFixture {
protected:
    void TearDown() override {
        frame_.reset();
        FrameFixture::TearDown();
    }
    frmMain* LoadWindows() {
        frame_ = std::make_unique<frmMDI>();
        auto* main = new frmMain(frame_.get());
        frame_->AddChild(main);
        main->Load();
        return main;
    }
    std::unique_ptr<frmMDI> frame_;
};

TEST_F(CommandBarrierTest, ANumberForEveryKindOfError) {
    EXPECT_EQ(ErrorNumberOf(SubscriptRangeError("x")), 9);
    EXPECT_EQ(ErrorNumberOf(OverflowError("x")), 6);
    EXPECT_EQ(ErrorNumberOf(DivisionByZeroError("x")), 11);
    EXPECT_EQ(ErrorNumberOf(FileError("x")), 75);
    EXPECT_EQ(ErrorNumberOf(NullValueError()), 94);
    EXPECT_EQ(ErrorNumberOf(SqlError(19, "constraint")), 19);
    EXPECT_EQ(ErrorNumberOf(DatabaseError("x")), 5);
    EXPECT_EQ(ErrorNumberOf(std::bad_alloc()), 7);
    EXPECT_EQ(ErrorNumberOf(std::runtime_error("x")), 5);
    ErrorPosition = 31;
    EXPECT_EQ(ErrorHandlerText(OverflowError("Overflow")),
              "Vellicor error handler:\r\nPosition: 31  Error: 6   Overflow");
}

TEST_F(CommandBarrierTest, AThrowingEntryPointIsShownAndReleasesBusyStateAndHourglass) {
    HistoryCommands.ImportHistoryFromText = [] {
        RunGuarded([] {
            ProgressStart(10);  // the hourglass on
            SetMainLabel(MainLabel::PerformedAction, "Screening. Wait, please ...");
            ErrorPosition = 32;
            throw OverflowError("Overflow: 16-bit whole number");
        });
    };
    OpenActivityLog("Vellicor.log");
    door_.QueueMessageAnswer(MsgAnswer::OK);
    EXPECT_NO_THROW(mnuImportFromText_Click());
    EXPECT_EQ(LogTexts(), std::vector<std::string>{"Vellicor error handler: Position: 32  Error: "
                                                   "6   Overflow: 16-bit whole number"});
    EXPECT_EQ(Messages(), std::vector<std::string>{"Vellicor error handler:\r\nPosition: 32  "
                                                   "Error: 6   Overflow: 16-bit whole number"});
    EXPECT_FALSE(BusyGuard::isBusy());
    EXPECT_FALSE(door_.Hourglass());
    EXPECT_EQ(MainLabelText(MainLabel::PerformedAction), "");
    // The next command runs as if nothing had happened.
    HistoryCommands.ImportHistoryFromText = [] { RunGuarded([] {}); };
    mnuImportFromText_Click();
    EXPECT_EQ(door_.Beeps(), 0);
}

TEST_F(CommandBarrierTest, AFailedLoadEntryKeepsWhatWasLoadedBefore) {
    std::ofstream(TempPath("History.mdb")) << "x";
    SetMainLabel(MainLabel::LoadedStockData, "/before/History.mdb");
    HistoryCommands.LoadHistory = []() -> bool { throw DatabaseError("disk gone"); };
    door_.QueueOpenFile(TempPath("History.mdb"));
    door_.QueueMessageAnswer(MsgAnswer::OK);
    mnuLoadHistory_Click();
    EXPECT_EQ(MainLabelText(MainLabel::LoadedStockData), "/before/History.mdb");
    EXPECT_NE(Messages().at(0).find("Error: 5   disk gone"), std::string::npos);
}

TEST_F(CommandBarrierTest, ARealMenuActionAndToolbarButtonStopTheirErrors) {
    frmMain* main = LoadWindows();
    // The box that reports a downloader that cannot be started fails.
    door_.startSucceeds = false;
    door_.QueueFailure(FileError("Device not ready"));
    door_.QueueMessageAnswer(MsgAnswer::OK);
    EXPECT_NO_THROW(main->MenuItem("mnuDownloadFromWeb")->trigger());
    // So does the box that reports a missing help page.
    door_.QueueFailure(std::runtime_error("Out of string space"));
    door_.QueueMessageAnswer(MsgAnswer::OK);
    EXPECT_NO_THROW(main->ToolbarButton("help")->trigger());
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{
                  "Program cannot be started!\r\n" + TempPath("Tarquel"),
                  "Vellicor error handler:\r\nPosition: 0  Error: 75   Device not ready",
                  "File not found!",
                  "Vellicor error handler:\r\nPosition: 0  Error: 5   Out of string space"}));
    EXPECT_FALSE(BusyGuard::isBusy());
    // The window goes on: the next command works.
    door_.startSucceeds = true;
    main->MenuItem("mnuDownloadFromWeb")->trigger();
    EXPECT_EQ(door_.CallsOf("start").size(), 2u);
}

TEST_F(CommandBarrierTest, AnErrorInsideARunningCommandLeavesItsStateAlone) {
    bool innerRan = false;
    RunCommand([&] {
        BusyGuard running;
        door().SetHourglass(true);
        door_.QueueMessageAnswer(MsgAnswer::OK);
        // A click while the command yields: its own error stops at its own barrier.
        innerRan = !RunCommand([] { throw std::runtime_error("second click failed"); });
        EXPECT_TRUE(BusyGuard::isBusy());
        EXPECT_TRUE(door().Hourglass());
        door().SetHourglass(false);
    });
    EXPECT_TRUE(innerRan);
    EXPECT_EQ(Messages().size(), 1u);
}

}  // namespace
}  // namespace vel
