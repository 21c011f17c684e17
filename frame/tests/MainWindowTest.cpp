// The frame and main windows (built offscreen): menus, toolbar, command states, the autorun
// list, window arrangement; and the commands they run, with the entry points of the subsystems
// that own them.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScopeGuard>
#include <QScreen>
#include <QThread>
#include <QWindow>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "AppPaths.h"
#include "AppState.h"
#include "EntryPoints.h"
#include "FolderLock.h"
#include "FrameFixture.h"
#include "MainCommands.h"
#include "QtDoor.h"
#include "QtProgramStart.h"
#include "QtScreenFit.h"
#include "VectorStores.h"
#include "frmMDI.h"
#include "frmMain.h"

namespace vel {
namespace {

using testing::ProcessEnded;

const char* const kHistoryCommands[] = {"mnuStockChartsAndScreening", "mnuFindPseudoSplits",
                                        "mnuUserAdjustedSplits"};

class MainWindowTest : public testing::FrameFixture {
protected:
    void Touch(const std::string& name) { std::ofstream(TempPath(name)) << "x"; }
    // Builds and loads the main window inside a frame, as the start does.
    void LoadWindows() {
        frame = std::make_unique<frmMDI>();
        main = new frmMain(frame.get());
        frame->AddChild(main);
        main->Load();
    }
    void TearDown() override {
        frame.reset();
        FrameFixture::TearDown();
    }
    std::unique_ptr<frmMDI> frame;
    frmMain* main = nullptr;
};

TEST_F(MainWindowTest, MenusCarryTheirCaptionsInOrder) {
    LoadWindows();
    QStringList menus;
    for (QAction* a : main->menuBar()->actions()) menus << a->text();
    EXPECT_EQ(menus, (QStringList{"Stock data", "Processing", "Help", "Window", "Exit"}));
    auto* stockData = main->findChild<QMenu*>("mnuStockData");
    ASSERT_NE(stockData, nullptr);
    QStringList items;
    for (QAction* a : stockData->actions()) items << (a->isSeparator() ? "-" : a->objectName());
    EXPECT_EQ(items, (QStringList{"mnuLoadHistory", "-", "mnuImportFromText",
                                  "mnuEstimateSplitEvents", "mnuEditEstimatedStockSplits",
                                  "mnuUpdateSplitCoeficients", "mnuRemoveSplitCoeficients",
                                  "mnuViewSplitCoeficients", "-", "mnuDownloadFromWeb"}));
    EXPECT_EQ(main->MenuItem("mnuUpdateSplitCoeficients")->text(),
              "         Update stock split coeficients in History table");
    EXPECT_EQ(main->MenuItem("mnuTileHorizontal")->text(), "Tile horizontally");
    EXPECT_EQ(main->windowTitle(), "Main menu.");
    // The toolbar's tool tip is the text with its period, the description the text without.
    EXPECT_EQ(main->ToolbarButton("edit")->toolTip(), "Edit selected Autorun file.");
    EXPECT_EQ(main->ToolbarButton("edit")->statusTip(), "Edit selected Autorun file");
    EXPECT_EQ(frame->windowTitle(), "Vellicor");
}

TEST_F(MainWindowTest, HistoryCommandsAreOffAfterLoadAndOnAfterEnable) {
    LoadWindows();
    for (const char* name : kHistoryCommands)
        EXPECT_FALSE(main->MenuItem(name)->isEnabled()) << name;
    EXPECT_FALSE(main->ToolbarButton("charts")->isEnabled());
    EXPECT_TRUE(main->MenuItem("mnuLoadHistory")->isEnabled());
    EXPECT_TRUE(main->ToolbarButton("find")->isEnabled());

    EnableMainCommands();
    for (const char* name : kHistoryCommands)
        EXPECT_TRUE(main->MenuItem(name)->isEnabled()) << name;
    EXPECT_TRUE(main->ToolbarButton("charts")->isEnabled());

    DisableMainCommands();
    EXPECT_FALSE(main->MenuItem("mnuFindPseudoSplits")->isEnabled());
    EXPECT_FALSE(main->ToolbarButton("charts")->isEnabled());
    EXPECT_TRUE(main->MenuItem("mnuDemonstration")->isEnabled());
}

TEST_F(MainWindowTest, LoadCreatesStoresAndShowsTheRemark) {
    LoadWindows();
    EXPECT_NE(MainVectors, nullptr);
    EXPECT_NE(VolumeVectors, nullptr);
    EXPECT_NE(ScreeningVectors, nullptr);
    EXPECT_EQ(main->StatusLabel("labRemark")->text(),
              "You have to use English(US) regional settings when downloading EOD stock history "
              "from YAHOO!");
    EXPECT_EQ(main->StatusLabel("Label3")->text(), "      Performed task:");
    EXPECT_EQ(CommonDialogFolder, TempFolder());
    SetMainLabel(MainLabel::PerformedAction, "Step 3");
    EXPECT_EQ(main->StatusLabel("labPerformedAction")->text(), "Step 3");
    SetProgressBarValue(42.7);
    EXPECT_EQ(main->ProgressBar()->value(), 43);
}

TEST_F(MainWindowTest, BarShows99AfterEveryAnnouncedStep) {
    LoadWindows();
    // 1000 single-precision steps of 0.099 add up to just under 99.
    ProgressStart(1000);
    for (int i = 0; i < 1000; ++i) ProgressStep();
    EXPECT_EQ(main->ProgressBar()->value(), 99);
    ProgressEnd();
    EXPECT_EQ(main->ProgressBar()->value(), 0);
}

TEST_F(MainWindowTest, EmptyProgramFolderGivesAnEmptyAutorunList) {
    LoadWindows();
    EXPECT_EQ(main->AutorunList()->count(), 0);
    EXPECT_EQ(main->AutorunList()->currentIndex(), -1);
    EXPECT_EQ(AutorunListText(), "");
}

TEST_F(MainWindowTest, OneAutorunFileIsListedAndSelected) {
    Touch("daily.AUTORUN");
    Touch("notes.txt");
    LoadWindows();
    EXPECT_EQ(main->AutorunList()->count(), 1);
    EXPECT_EQ(main->AutorunList()->currentIndex(), 0);
    EXPECT_EQ(AutorunListText(), "daily.AUTORUN");
}

TEST_F(MainWindowTest, AutorunListHoldsTheFirstThousandFiles) {
    for (int i = 0; i < 1200; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "run%04d.autorun", i);
        Touch(name);
    }
    LoadWindows();
    ASSERT_EQ(main->AutorunList()->count(), 1000);
    EXPECT_EQ(main->AutorunList()->itemText(0), "run0000.autorun");
    EXPECT_EQ(main->AutorunList()->itemText(999), "run0999.autorun");
    main->AutorunList()->setCurrentIndex(5);
    EXPECT_EQ(AutorunListText(), "run0005.autorun");
}

TEST_F(MainWindowTest, TileHorizontallyStacksFullWidthChildren) {
    LoadWindows();
    frame->resize(800, 600);
    frame->show();
    auto* other = new QWidget;
    frame->AddChild(other)->show();
    main->MenuItem("mnuTileHorizontal")->trigger();
    const auto windows = frame->mdiArea()->subWindowList();
    ASSERT_EQ(windows.size(), 2);
    const int width = frame->mdiArea()->viewport()->width();
    EXPECT_EQ(windows[0]->geometry().width(), width);
    EXPECT_EQ(windows[1]->geometry().width(), width);
    EXPECT_EQ(windows[0]->geometry().top(), 0);
    EXPECT_EQ(windows[1]->geometry().top(), windows[0]->geometry().bottom() + 1);

    main->MenuItem("mnuTileVertically")->trigger();
    EXPECT_EQ(windows[0]->geometry().left(), 0);
    EXPECT_EQ(windows[1]->geometry().left(), windows[0]->geometry().right() + 1);
    EXPECT_EQ(windows[1]->geometry().top(), 0);
}

TEST_F(MainWindowTest, WindowsOpenWithinTheScreensAvailableArea) {
    // Title bar and borders as a window manager draws them (left, top, right, bottom). The
    // designed size holds where the whole window fits; where not, the window takes what the
    // area allows; either way it stands centred in the area.
    const QMargins border(1, 20, 1, 5);
    EXPECT_EQ(FitWithinArea({0, 0, 1600, 1000}, {1000, 720}, border), QRect(300, 147, 1000, 720));
    EXPECT_EQ(FitWithinArea({0, 0, 1280, 720}, {1000, 720}, border), QRect(140, 20, 1000, 695));
    EXPECT_EQ(FitWithinArea({0, 0, 1024, 768}, {760, 564}, border), QRect(132, 109, 760, 564));
    EXPECT_EQ(FitWithinArea({0, 32, 1280, 688}, {1000, 720}, border), QRect(140, 52, 1000, 663));
    EXPECT_EQ(FitWithinArea({0, 0, 640, 480}, {1000, 720}, border), QRect(1, 20, 638, 455));

    // The frame as the start opens it, on the test's screen, which is narrower than the frame's
    // designed size: once shown, the frame is fitted with the title bar and borders of the
    // screen's platform, which it knows only then.
    ShowFrameAndMainWindows();
    frame.reset(frmMDI::current());
    ASSERT_NE(frame, nullptr);
    main = frame->findChild<frmMain*>();
    QApplication::processEvents();
    const QRect area = frame->screen()->availableGeometry();
    ASSERT_LT(area.width(), 1000);
    EXPECT_TRUE(area.contains(frame->frameGeometry()));
    EXPECT_EQ(frame->geometry(),
              FitWithinArea(area, {1000, 720}, frame->windowHandle()->frameMargins()));
    // A child window designed larger than the frame's area: the cascade ends it at the area's
    // edges; the main window keeps its designed size.
    struct Large : QWidget {
        QSize sizeHint() const override { return {1200, 900}; }
    };
    QMdiSubWindow* large = frame->AddChild(new Large);
    large->show();
    main->MenuItem("mnuCascade")->trigger();
    const QRect inside = frame->mdiArea()->viewport()->rect();
    EXPECT_TRUE(inside.contains(large->geometry()));
    EXPECT_EQ(large->geometry().right(), inside.right());
    EXPECT_EQ(large->geometry().bottom(), inside.bottom());
    EXPECT_EQ(main->parentWidget()->size(), main->parentWidget()->sizeHint());
}

TEST_F(MainWindowTest, SmallWindowIsNotLaidOut) {
    LoadWindows();
    frame->resize(900, 700);
    frame->show();
    main->parentWidget()->resize(640, 480);
    const QRect panel = main->StatusPanel()->geometry();
    main->parentWidget()->resize(640, 2500 / 15);  // 2500 twips high
    EXPECT_EQ(main->StatusPanel()->geometry(), panel);
    main->parentWidget()->resize(700, 520);
    EXPECT_NE(main->StatusPanel()->geometry(), panel);
}

TEST_F(MainWindowTest, FindKeyLoadsAHistoryAndEnablesTheCommandsAfterwards) {
    LoadWindows();
    Touch("History.mdb");
    bool enabledDuringLoad = true;
    std::string loadedPath;
    HistoryCommands.LoadHistory = [&] {
        enabledDuringLoad = HistoryCommandsEnabled();
        loadedPath = HistoryDatabasePath;
        return true;
    };
    door_.QueueOpenFile(TempPath("History.mdb"));
    Toolbar1_ButtonClick("find");
    const auto dialogs = door_.CallsOf("open");
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].title, "Select History.mdb database");
    EXPECT_EQ(dialogs[0].text, "Database (History.mdb)|history.mdb");
    EXPECT_FALSE(enabledDuringLoad);
    EXPECT_EQ(loadedPath, TempPath("History.mdb"));
    EXPECT_EQ(ResultsFolderPath, TempPath("RESULTS/"));
    EXPECT_EQ(main->StatusLabel("labLoadedStockData")->text().toStdString(),
              TempPath("History.mdb"));
    EXPECT_TRUE(main->ToolbarButton("charts")->isEnabled());
}

TEST_F(MainWindowTest, AFailedLoadKeepsWhatWasLoadedBefore) {
    LoadWindows();
    Touch("History.mdb");
    Touch("Other.mdb");
    bool succeed = true;
    HistoryCommands.LoadHistory = [&] { return succeed; };
    // Nothing loaded yet: a failed load leaves the history commands disabled.
    succeed = false;
    door_.QueueOpenFile(TempPath("History.mdb"));
    mnuLoadHistory_Click();
    EXPECT_FALSE(HistoryCommandsEnabled());
    EXPECT_EQ(main->StatusLabel("labLoadedStockData")->text().toStdString(), "");
    succeed = true;
    door_.QueueOpenFile(TempPath("History.mdb"));
    mnuLoadHistory_Click();
    succeed = false;
    door_.QueueOpenFile(TempPath("Other.mdb"));
    mnuLoadHistory_Click();
    EXPECT_TRUE(HistoryCommandsEnabled());
    EXPECT_EQ(main->StatusLabel("labLoadedStockData")->text().toStdString(),
              TempPath("History.mdb"));
}

TEST_F(MainWindowTest, LoadingWhileACommandRunsOnlyBeeps) {
    int runs = 0;
    HistoryCommands.LoadHistory = [&] { return ++runs > 0; };
    BusyGuard running;
    mnuLoadHistory_Click();
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(door_.Beeps(), 1);
    EXPECT_TRUE(door_.CallsOf("open").empty());
}

TEST_F(MainWindowTest, CancelledOrVanishedDatabaseDoesNothingButBeep) {
    int runs = 0;
    HistoryCommands.LoadHistory = [&] { return ++runs > 0; };
    HistoryCommands.EstimateSplitEvents = [&](const std::string&) { ++runs; };
    door_.QueueOpenFile("");
    mnuLoadHistory_Click();
    door_.QueueOpenFile(TempPath("gone.mdb"));
    mnuEstimateSplitEvents_Click();
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(door_.Beeps(), 1);
    EXPECT_TRUE(HistoryCommandsEnabled());
}

TEST_F(MainWindowTest, CommandsWithoutTheirSubsystemBeepAndLog) {
    OpenActivityLog("Vellicor.log");
    mnuImportFromText_Click();
    mnuDemonstration_Click();
    mnuStockChartsAndScreening_Click();
    EXPECT_EQ(door_.Beeps(), 3);
    EXPECT_EQ(LogTexts(),
              (std::vector<std::string>{"ImportHistoryFromText: no procedure is registered.",
                                        "RunDemonstrationMode: no procedure is registered.",
                                        "ShowChartWindow: no procedure is registered."}));
    // A report command without its writer shows no page.
    Touch("History.mdb");
    HistoryDatabasePath = TempPath("History.mdb");
    mnuUserAdjustedSplits_Click();
    EXPECT_TRUE(door_.CallsOf("browser").empty());
    EXPECT_TRUE(Messages().empty());
}

TEST_F(MainWindowTest, AReportCommandRefusedByTheDataFoldersLockMakesNothing) {
    Touch("History.mdb");
    HistoryDatabasePath = TempPath("History.mdb");
    ResultsFolderPath = TempPath("RESULTS/");
    bool written = false;
    HistoryCommands.WriteUserAdjustedSplitsReport = [&](const std::string&, const std::string&) {
        written = true;
        return true;
    };
    const FolderLock run(TempFolder());
    ASSERT_TRUE(run.held());
    door_.QueueMessageAnswer(MsgAnswer::OK);
    mnuUserAdjustedSplits_Click();
    EXPECT_FALSE(written);
    EXPECT_FALSE(std::filesystem::exists(TempPath("RESULTS")));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].rfind("The data folder is in use by another run or import!", 0), 0u);
    EXPECT_TRUE(door_.CallsOf("browser").empty());
}

TEST_F(MainWindowTest, AutorunCommandsTakeTheTrimmedListText) {
    std::vector<std::string> seen;
    AutomationCommands.RunAutorunMode = [&] {
        seen.push_back("auto " + AutoRunFileName);
        return true;
    };
    AutomationCommands.RunAutorunLoadHistory = [&] { seen.push_back("load " + AutoRunFileName); };
    SetAutorunList({"daily.autorun"});
    SetAutorunListText("  daily.autorun ");
    Toolbar1_ButtonClick("autorun");
    Toolbar1_ButtonClick("load");
    Toolbar1_ButtonClick("Load");  // keys are compared exactly
    EXPECT_EQ(seen, (std::vector<std::string>{"auto daily.autorun", "load daily.autorun"}));

    Toolbar1_ButtonClick("edit");
    const auto edits = door_.CallsOf("editor");
    ASSERT_EQ(edits.size(), 1u);
    EXPECT_EQ(edits[0].text, TempPath("daily.autorun"));
}

TEST_F(MainWindowTest, HelpCommandsShowThePagesThatTheBuildPutsBesideTheProgram) {
    // The program folder as the build makes it: the Help menu's pages beside the program.
    for (const char* page : {"VellicorHelp.html", "faq.html", "opinion.html"}) {
        const std::string built = std::string(BUILD_PROGRAM_FOLDER) + page;
        ASSERT_TRUE(std::filesystem::is_regular_file(built)) << built;
        std::filesystem::copy_file(built, TempPath(page));
    }
    door_.programsOnPath["xdg-open"] = TempPath("xdg-open");
    Touch("xdg-open");
    LoadWindows();
    main->MenuItem("mnuViewHelpFile")->trigger();
    main->MenuItem("mnuViewFAQ")->trigger();
    main->MenuItem("mnuMailOpinion")->trigger();
    main->ToolbarButton("help")->trigger();
    std::vector<std::vector<std::string>> shown;
    for (const auto& call : door_.CallsOf("browser")) shown.push_back(call.args);
    EXPECT_EQ(shown, (std::vector<std::vector<std::string>>{{TempPath("VellicorHelp.html")},
                                                            {TempPath("faq.html")},
                                                            {TempPath("opinion.html")},
                                                            {TempPath("VellicorHelp.html")}}));
    EXPECT_TRUE(Messages().empty());  // no "File not found!"
    // The help page names every command of the main window as its menus show it.
    std::ifstream in(TempPath("VellicorHelp.html"), std::ios::binary);
    const std::string help((std::istreambuf_iterator<char>(in)), {});
    for (QAction* menu : main->menuBar()->actions()) {
        for (QAction* item : menu->menu()->actions()) {
            if (item->isSeparator()) continue;
            EXPECT_NE(help.find(item->text().trimmed().toStdString()), std::string::npos)
                << item->text().toStdString();
        }
    }
}

TEST_F(MainWindowTest, DownloaderIsStartedWithoutArgumentsAndAFailureIsReported) {
    door_.startSucceeds = false;
    door_.QueueMessageAnswer(MsgAnswer::OK);
    mnuDownloadFromWeb_Click();
    const auto starts = door_.CallsOf("start");
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].text, TempPath("Tarquel"));
    EXPECT_TRUE(starts[0].args.empty());
    EXPECT_EQ(Messages(),
              std::vector<std::string>{"Program cannot be started!\r\n" + TempPath("Tarquel")});
}

TEST_F(MainWindowTest, DownloadFromWebAsksForTarquelMaximised) {
    mnuDownloadFromWeb_Click();
    const auto starts = door_.CallsOf("start");
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].title, "maximized");
}

// The process of the program at this path (its own copy in the temporary folder, so only the
// one this test started), or 0.
pid_t ProcessOfProgram(const std::string& path) {
    const std::string wanted = std::filesystem::canonical(path).string();
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::error_code ec;
        const auto exe = std::filesystem::read_symlink(entry.path() / "exe", ec);
        if (!ec && exe.string() == wanted) return static_cast<pid_t>(std::stol(name));
    }
    return 0;
}

TEST_F(MainWindowTest, DownloadFromWebStartsTheRealTarquelOnTheQtDoor) {
    std::filesystem::copy_file(TARQUEL_BINARY, TempPath("Tarquel"));
    // It inherits the offscreen platform, so its window shows nowhere.
    ASSERT_EQ(QGuiApplication::platformName(), "offscreen");
    QtDoor qt;
    InstallDoor(&qt);
    mnuDownloadFromWeb_Click();
    InstallDoor(&door_);
    const std::string log = TempPath("Tarquel.log");
    auto logged = [&](const std::string& text) {
        std::ifstream in(log, std::ios::binary);
        const std::string lines((std::istreambuf_iterator<char>(in)), {});
        return lines.find(" >> " + text + "\r\n") != std::string::npos;
    };
    auto waitFor = [&](const std::function<bool()>& done) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < 20000) QThread::msleep(20);
        return done();
    };
    pid_t tarquel = 0;
    ASSERT_TRUE(waitFor([&] { return (tarquel = ProcessOfProgram(TempPath("Tarquel"))) != 0; }));
    // Whatever fails below, the started program does not outlive the test.
    const auto cleanup = qScopeGuard([&] { ::kill(tarquel, SIGKILL); });
    EXPECT_TRUE(waitFor([&] { return logged("Starting Tarquel."); }));
    // Asked to show its window maximised, through its environment.
    std::ifstream environ("/proc/" + std::to_string(tarquel) + "/environ", std::ios::binary);
    const std::string variables =
        std::string(1, '\0') + std::string((std::istreambuf_iterator<char>(environ)), {});
    const std::string asked = std::string(1, '\0') + kStartMaximizedVariable + "=1" + '\0';
    EXPECT_NE(variables.find(asked), std::string::npos);
    // Manual use ends with the quit command, which SIGTERM gives.
    ::kill(tarquel, SIGTERM);
    EXPECT_TRUE(waitFor([&] { return logged("Exiting Tarquel."); }));
    // Started without arguments: manual use, not an automatic run.
    EXPECT_FALSE(logged("Starting automatic mode with coomand line: "));
}

TEST_F(MainWindowTest, DownloadingTimerTicksUntilTheResultFileAppears) {
    DwnResultFilePath = TempPath("daily.dwnresult");
    SetDownloadingTimerInterval(2000);
    door_.AdvanceMs(1999);
    EXPECT_EQ(door_.PendingTimers(), 1u);
    door_.AdvanceMs(1 + 2000 * 3);  // four ticks without the file
    EXPECT_FALSE(DownloadFinished);
    EXPECT_EQ(door_.PendingTimers(), 1u);
    Touch("daily.dwnresult");
    door_.AdvanceMs(2000);
    EXPECT_TRUE(DownloadFinished);
    EXPECT_EQ(DownloadingTimerInterval(), 0);
    EXPECT_EQ(door_.PendingTimers(), 0u);
    // Stopped by hand, no tick comes.
    DownloadFinished = false;
    SetDownloadingTimerInterval(2000);
    SetDownloadingTimerInterval(0);
    door_.AdvanceMs(10000);
    EXPECT_FALSE(DownloadFinished);
}

TEST_F(MainWindowTest, ExitKeyLogsAndEndsTheProcess) {
    OpenActivityLog("Vellicor.log");
    EXPECT_THROW(Toolbar1_ButtonClick("exit"), ProcessEnded);
    EXPECT_EQ(LogTexts(), std::vector<std::string>{"Exiting Vellicor."});
    Toolbar1_ButtonClick("nothing");
    EXPECT_EQ(door_.CallsOf("end").size(), 1u);
}

}  // namespace
}  // namespace vel
