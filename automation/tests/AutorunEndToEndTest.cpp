// Unattended runs end to end, on the Qt door without a display: an autorun set downloads its
// EOD files from the loopback HTTP server through the real Tarquel program, rebuilds, loads and
// runs the three calculations with their reports; the download and set failures with real
// processes; a downloader whose late result would mislead the next run; and the real Vellicor
// program running the demonstration set as `make run` does, ending by itself with its run, also
// from a program folder whose name is not UTF-8; signals, and the kill of Vellicor, during a run
// and while the displays are asked.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <map>
#include <memory>
#include <sstream>
#include <utility>

#include "AutomationFixture.h"
#include "AutomationState.h"
#include "Database.h"
#include "DemoSet.h"
#include "DirectoryListing.h"
#include "FolderLock.h"
#include "QtDoor.h"
#include "SilentListener.h"
#include "TestHttpServer.h"
#include "UnattendedRuns.h"

namespace vel {
namespace {

namespace fs = std::filesystem;
using testing::Page;
using testing::TestHttpServer;

class AutorunEndToEndTest : public testing::AutomationFixture {
protected:
    void SetUp() override {
        AutomationFixture::SetUp();
        InstallDoor(&qt_);
        RegisterProgram();
    }
    void TearDown() override {
        WaitForDownloaders();
        InstallDoor(&door_);
        AutomationFixture::TearDown();
    }
    // Waits until every program the door started has ended (a stand-in downloader may still be
    // quitting), so that the next case starts alone.
    void WaitForDownloaders() {
        QElapsedTimer clock;
        clock.start();
        for (ProgramId id = 1; id <= 32; ++id)
            while (qt_.ProgramRunning(id) && clock.elapsed() < 20000) qt_.WaitForEvents(50);
    }
    void CopyProgram(const char* binary, const std::string& name) {
        fs::copy_file(binary, TempPath(name), fs::copy_options::overwrite_existing);
    }
    // The set E2E: its URL list names one page of the server per generated EOD file.
    void WriteServedSet(const std::vector<std::string>& commands, int symbols, int days) {
        eodgen::Options o;
        o.symbols = symbols;
        o.days = days;
        o.seed = 11;
        const auto generated = eodgen::WriteSymbolFiles(TempPath("served"), o);
        std::string list = "; the EOD files of the test set\r\n";
        for (const auto& symbol : generated.symbols) {
            server.Route("/eod/" + symbol, Page(ReadFile(TempPath("served/" + symbol + ".csv"))));
            list += "SaveTo(" + symbol + ".csv):" + server.Url("/eod/" + symbol) + "\r\n";
        }
        WriteAutorunSet("E2E", commands);
        WriteFile(TempPath("E2E.eodurls"), list);
        AutoRunFileName = "E2E.autorun";
    }
    std::vector<std::string> RunLog() const {
        return LogLinesStarting({"Autorun mode", "Message: "});
    }
    // Starts the copy of Vellicor in the program folder without a display, as a scheduler does.
    void StartHeadless(QProcess& vellicor, const QString& commandLine) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        vellicor.setProcessEnvironment(env);
        vellicor.setProgram(QString::fromStdString(TempPath("Vellicor")));
        vellicor.setArguments({commandLine});
        vellicor.start();
    }
    // Waits until the log holds an entry that begins with the text; false after `ms`.
    bool WaitForLogLine(const std::string& text, int ms) const {
        QElapsedTimer clock;
        clock.start();
        while (LogLinesStarting({text}).empty()) {
            if (clock.elapsed() > ms) return false;
            QThread::msleep(20);
        }
        return true;
    }
    // A stand-in downloader for the set E2E that, after `seconds`, copies the EOD files of the
    // folder "served" into the save folder (line 2 of its parameters file) and writes "OK" into
    // the result file (line 3).
    void WriteSlowDownloader(const char* seconds) {
        WriteFile(TempPath("Tarquel"),
                  std::string("#!/bin/sh\n"
                              "folder=$(sed -n 2p \"$1\" | tr -d '\\r')\n"
                              "result=$(sed -n 3p \"$1\" | tr -d '\\r')\n"
                              "sleep ") +
                      seconds +
                      "\n"
                      "cp \"$(dirname \"$0\")\"/served/*.csv \"$folder\"\n"
                      "printf 'OK\\r\\n' > \"$result.part\" && mv \"$result.part\" \"$result\"\n");
        fs::permissions(TempPath("Tarquel"), fs::perms::owner_all);
    }

    QtDoor qt_;
    TestHttpServer server;
};

TEST_F(AutorunEndToEndTest, ADownloadThroughTarquelIsRebuiltLoadedAndReported) {
    CopyProgram(TARQUEL_BINARY, "Tarquel");
    WriteServedSet({"DownloadEOD = YES", "CreateHistory = YES", "MarketTiming = YES",
                    "MarketSwinging = YES", "MarketSwingingSpecial = YES", "LastDaysMax = 100"},
                   6, 160);
    // Links to nothing outside the set where the run writes: a report, a downloaded file and
    // the result. Each is removed as a link, and nothing appears where it pointed.
    fs::create_directories(TempPath("outside"));
    fs::create_directories(TempPath("E2E-EOD/RESULTS"));
    const std::string firstFile = ListDirectory(TempPath("served/"), "*.csv", EntryKind::Files)[0];
    fs::create_symlink(TempPath("outside/report"),
                       TempPath("E2E-EOD/RESULTS/acmd1MarketTimingReport.html"));
    fs::create_symlink(TempPath("outside/eod"), TempPath("E2E-EOD/" + firstFile));
    fs::create_symlink(TempPath("outside/result"), TempPath("E2E.dwnresult"));
    QElapsedTimer clock;
    clock.start();
    RunAutorunMode();
    EXPECT_TRUE(fs::is_empty(TempPath("outside")));
    EXPECT_FALSE(fs::is_symlink(TempPath("E2E.dwnresult")));
    EXPECT_LT(clock.elapsed(), 60000);
    EXPECT_EQ(AutoRunMode, 0);
    EXPECT_EQ(SilentMode, 0);
    EXPECT_EQ(server.Requests(), 6);
    EXPECT_EQ(ReadFile(TempPath("E2E.dwnresult")), "OK\r\n");
    const auto tarquelLog = ReadFile(TempPath("Tarquel.log"));
    EXPECT_NE(
        tarquelLog.find("Starting automatic mode with coomand line: " + TempPath("E2E.dwnparams")),
        std::string::npos);
    EXPECT_NE(tarquelLog.find("Exiting Tarquel."), std::string::npos);
    EXPECT_EQ(RunLog(), (std::vector<std::string>{
                            "Autorun mode - Start.",
                            "Autorun mode - Downloading - Start.",
                            "Autorun mode - Downloading - End.",
                            "Autorun mode - Creating History.mdb - Start.",
                            "Autorun mode - Creating History.mdb - End.",
                            "Autorun mode - Loading History.mdb",
                            "Autorun mode - Showing charts.",
                            "Autorun mode - Setting charts range.",
                            "Autorun mode - Market Swinging Special - Start.",
                            "Autorun mode - Market Swinging Special - End.",
                            "Autorun mode - Market Swinging - Start.",
                            "Autorun mode - Market Swinging - End.",
                            "Autorun mode - Market Timing - Start.",
                            "Autorun mode - Market Timing - End.",
                            "Autorun mode - End.",
                        }));
    EXPECT_EQ(LoadedSymbolCount, 6);
    EXPECT_EQ(ChartTo1 - static_cast<long>(ChartFrom1.toDouble()) + 1, 100);
    // The downloaded files, the downloader's note and the rebuilt database in the data folder.
    EXPECT_EQ(ListDirectory(TempPath("E2E-EOD/"), "*.csv", EntryKind::Files).size(), 6u);
    EXPECT_TRUE(Exists(TempPath("E2E-EOD/E2E.eodurls")));
    const std::string results = TempPath("E2E-EOD/RESULTS/");
    for (const char* report : {"acmd5MarketSpecialSwingingReport.html",
                               "acmd3MarketSwingingReport.html", "acmd1MarketTimingReport.html"}) {
        EXPECT_TRUE(Exists(results + report)) << report;
        EXPECT_EQ(LogLinesStarting({"Not shown without a display: " + results + report}).size(), 1u)
            << report;
    }
    EXPECT_TRUE(ListDirectory(results, "mcmd*", EntryKind::Files).empty());
}

TEST_F(AutorunEndToEndTest, EachFailureLogsItsMessageAndLeavesBothFlagsDown) {
    const std::string downloadError = "Message: Error in Downloading process!";
    const std::string parametersError =
        "Message: Error in Autorun parameters or some Autorun files are missing!";
    struct Case {
        const char* what;
        std::function<void()> prepare;
        std::string message;
    };
    const Case cases[] = {
        {"an ERROR result",
         [&] {
             CopyProgram(TARQUEL_BINARY, "Tarquel");
             WriteServedSet({"DownloadEOD = YES", "CreateHistory = YES"}, 2, 20);
             WriteFile(TempPath("E2E.eodurls"), "; no line to download\r\n");
         },
         downloadError},
        {"no result file",
         [&] {
             // A downloader that ends at once without writing its result.
             fs::remove(TempPath("Tarquel"));
             WriteFile(TempPath("Tarquel"), "#!/bin/sh\nexit 0\n");
             fs::permissions(TempPath("Tarquel"), fs::perms::owner_all);
             WriteServedSet({"DownloadEOD = YES"}, 2, 20);
         },
         downloadError},
        {"no Tarquel",
         [&] {
             fs::remove(TempPath("Tarquel"));
             WriteServedSet({"DownloadEOD = YES"}, 2, 20);
         },
         downloadError},
        {"a missing .eodurls",
         [&] {
             WriteServedSet({"DownloadEOD = YES"}, 2, 20);
             fs::remove(TempPath("E2E.eodurls"));
         },
         parametersError},
        {"a bad .eodstru",
         [&] {
             WriteServedSet({"CreateHistory = YES"}, 2, 20);
             WriteFile(TempPath("E2E.eodstru"), "2311111\r\nST---PV\r\n");
         },
         "Message: Error in EOD data structure! Check Regional Settings in Control Panel! You "
         "have to use English(US) regional settings when downloading EOD stock history from "
         "YAHOO!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(ActivityLogPath);
        OpenActivityLog("Vellicor.log");
        c.prepare();
        QElapsedTimer clock;
        clock.start();
        RunAutorunMode();
        EXPECT_LT(clock.elapsed(), 30000);
        EXPECT_EQ(AutoRunMode, 0);
        EXPECT_EQ(SilentMode, 0);
        const auto log = RunLog();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.front(), "Autorun mode - Start.");
        EXPECT_EQ(log.back(), c.message);
        EXPECT_EQ(LoadedSymbolCount, 0);
        WaitForDownloaders();
    }
}

TEST_F(AutorunEndToEndTest, ARunStartedAtOnceIsNotMisledByTheLastDownloadersLateResult) {
    // A stand-in downloader: the first one writes "OK" at once and again 3 s later as it quits;
    // the second one writes "ERROR" after 2.5 s. Read before the first one has ended, its late
    // "OK" would land after the second run deleted the old result, and pass for that run's.
    WriteFile(TempPath("Tarquel"),
              "#!/bin/sh\n"
              "result=$(sed -n 3p \"$1\" | tr -d '\\r')\n"
              "write() { printf '%s\\r\\n' \"$1\" > \"$result.part\" && mv \"$result.part\" "
              "\"$result\"; }\n"
              "if [ -e \"$0.second\" ]; then sleep 2.5; write ERROR; exit 0; fi\n"
              ": > \"$0.second\"\n"
              "write OK\n"
              "sleep 3\n"
              "write OK\n");
    fs::permissions(TempPath("Tarquel"), fs::perms::owner_all);
    WriteServedSet({"DownloadEOD = YES"}, 1, 10);
    RunAutorunMode();
    // No database in the set: past a good download, the run stops at the load.
    EXPECT_EQ(RunLog().back(), "Message: There is no History.mdb to load!");
    EXPECT_FALSE(qt_.ProgramRunning(1));
    fs::remove(ActivityLogPath);
    OpenActivityLog("Vellicor.log");
    RunAutorunMode();
    EXPECT_EQ(RunLog().back(), "Message: Error in Downloading process!");
    EXPECT_EQ(ReadFile(TempPath("E2E.dwnresult")), "ERROR\r\n");
}

TEST_F(AutorunEndToEndTest, ASecondRunOfOneSetIsRefusedAndTheFirstOneEndsWithItsDatabaseWhole) {
    CopyProgram(VELLICOR_BINARY, "Vellicor");
    WriteSlowDownloader("3");
    WriteServedSet({"DownloadEOD = YES", "CreateHistory = YES", "MarketTiming = YES"}, 4, 60);
    QProcess first, second;
    StartHeadless(first, "E2E.autorun");
    ASSERT_TRUE(WaitForLogLine("Autorun mode - Downloading - Start.", 20000));
    QElapsedTimer clock;
    clock.start();
    StartHeadless(second, "E2E.autorun");
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_LT(clock.elapsed(), 3000) << "the second run waited";
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_EQ(
        LogLinesStarting({"Autorun mode - Error - The data folder is in use by another run or "
                          "import: " +
                          TempPath("E2E-EOD/")})
            .size(),
        1u);
    ASSERT_TRUE(first.waitForFinished(60000));
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_EQ(LogLinesStarting({"Autorun mode - End."}).size(), 1u);
    Database db = Database::Open(TempPath("E2E-EOD/History.mdb"));
    EXPECT_EQ(db.scalar("SELECT count(*) FROM History").toInteger(), 4 * 60);
}

// A second scheduled job that starts Tarquel on the set's parameters while a run downloads the set
// is refused at once and touches nothing; the run, whose own Tarquel works under the run's lock,
// ends with its database whole.
TEST_F(AutorunEndToEndTest, ALoneTarquelDuringARunIsRefusedAndTheRunEndsWithItsDatabase) {
    CopyProgram(TARQUEL_BINARY, "Tarquel");
    WriteServedSet({"DownloadEOD = YES", "CreateHistory = YES", "MarketTiming = YES"}, 4, 60);
    // One file comes late; the lone Tarquel starts while the run's one waits for it.
    const std::string late =
        fs::path(ListDirectory(TempPath("served/"), "*.csv", EntryKind::Files)[0]).stem().string();
    server.Route("/eod/" + late, Page(ReadFile(TempPath("served/" + late + ".csv")), 200, 3000));
    QProcess lone;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (lone.state() != QProcess::NotRunning || server.RequestsFor("/eod/" + late) == 0 ||
            server.InFlight() == 0)
            return;
        poll.stop();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        lone.setProcessEnvironment(env);
        lone.start(QString::fromStdString(TempPath("Tarquel")),
                   {QString::fromStdString(TempPath("E2E.dwnparams"))});
    });
    poll.start(20);
    EXPECT_TRUE(RunAutorunMode());
    ASSERT_FALSE(poll.isActive()) << "the lone Tarquel was not started";
    ASSERT_TRUE(lone.state() == QProcess::NotRunning || lone.waitForFinished(20000));
    EXPECT_EQ(lone.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(lone.exitCode(), 1);
    EXPECT_EQ(RunLog().back(), "Autorun mode - End.");
    EXPECT_EQ(ReadFile(TempPath("E2E.dwnresult")), "OK\r\n");
    Database db = Database::Open(TempPath("E2E-EOD/History.mdb"));
    EXPECT_EQ(db.scalar("SELECT count(*) FROM History").toInteger(), 4 * 60);
    const std::string refusal =
        "Message: The save folder is in use by another run or import! No "
        "downloading! " +
        TempPath("E2E-EOD/");
    EXPECT_NE(ReadFile(TempPath("Tarquel.log")).find(refusal), std::string::npos);
}

// The files of the folder whose names begin with ".vel-": the temporary files of whole writes.
std::vector<std::string> TemporaryFiles(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(".vel-", 0) == 0) names.push_back(name);
    }
    return names;
}

TEST_F(AutorunEndToEndTest, ATarquelThatRefusesToStartHasItsReasonInTheLog) {
    CopyProgram(TARQUEL_BINARY, "Tarquel");
    WriteServedSet({"DownloadEOD = YES", "CreateHistory = YES"}, 1, 40);
    fs::create_directories(TempPath("Tarquel.log"));  // a log that is not a regular file
    RunAutorunMode();
    EXPECT_EQ(RunLog(), (std::vector<std::string>{
                            "Autorun mode - Start.",
                            "Autorun mode - Downloading - Start.",
                            "Autorun mode - Downloading - End.",
                            "Autorun mode - Tarquel: The activity log is not a regular file: " +
                                TempPath("Tarquel.log"),
                            "Autorun mode - Tarquel ended without a result file: " +
                                TempPath("E2E.dwnresult"),
                            "Autorun mode - Error in Downloading process!",
                            "Message: Error in Downloading process!",
                        }));
}

// A stand-in Tarquel killed in the middle of its writes: the temporary files of its own process
// id in the save folder go, every other entry stays, and no link is followed.
TEST_F(AutorunEndToEndTest, TheTemporaryFilesOfAKilledTarquelAreRemovedAndNothingElse) {
    WriteServedSet({"DownloadEOD = YES", "CreateHistory = YES"}, 1, 40);
    fs::create_directories(TempPath("E2E-EOD/sub"));
    // A folder beside the program folder, outside everything the run writes.
    std::string outside = TempFolder();
    outside.pop_back();
    outside += "-outside/";
    fs::create_directories(outside);
    const auto removeOutside = qScopeGuard([&] { fs::remove_all(outside); });
    WriteFile(outside + "kept.tmp", "x");
    WriteFile(TempPath("Tarquel"),
              "#!/bin/sh\n"
              "folder=$(sed -n 2p \"$1\" | tr -d '\\r')\n"
              "outside='" +
                  outside +
                  "'\n"
                  "echo $$ > \"$(dirname \"$0\")/pid\"\n"
                  ": > \"$folder.vel-$$-1.tmp\"\n"
                  ": > \"$folder.vel-$$-22.tmp\"\n"
                  ": > \"$folder.vel-1$$-1.tmp\"\n"
                  ": > \"$folder.vel-$$-1.csv\"\n"
                  ": > \"${folder}sub/.vel-$$-1.tmp\"\n"
                  "ln -s \"${outside}kept.tmp\" \"$folder.vel-$$-3.tmp\"\n"
                  ": > \"${outside}.vel-$$-4.tmp\"\n"
                  "ln -s \"$outside\" \"${folder}linked\"\n"
                  "kill -9 $$\n");
    fs::permissions(TempPath("Tarquel"), fs::perms::owner_all);
    RunAutorunMode();
    EXPECT_EQ(LogLinesStarting({"Autorun mode - Tarquel ended without a result file: "}).size(),
              1u);
    std::string pid = ReadFile(TempPath("pid"));
    pid.erase(pid.find_last_not_of('\n') + 1);
    ASSERT_FALSE(pid.empty());
    std::vector<std::string> left = TemporaryFiles(TempPath("E2E-EOD/"));
    std::sort(left.begin(), left.end());
    std::vector<std::string> kept = {".vel-" + pid + "-1.csv", ".vel-" + pid + "-3.tmp",
                                     ".vel-1" + pid + "-1.tmp"};
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(left, kept);
    EXPECT_TRUE(fs::is_symlink(TempPath("E2E-EOD/.vel-" + pid + "-3.tmp")));
    // Those in a subfolder are the run's too (a save name may lead into one); a link to a folder
    // is not entered.
    EXPECT_EQ(TemporaryFiles(TempPath("E2E-EOD/sub/")), std::vector<std::string>{});
    EXPECT_TRUE(fs::exists(outside + ".vel-" + pid + "-4.tmp"));
    EXPECT_EQ(ReadFile(outside + "kept.tmp"), "x");
}

// The processes whose parent is `parent`, from /proc.
std::vector<pid_t> ChildrenOf(qint64 parent) {
    std::vector<pid_t> children;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/proc", ec)) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line)) continue;
        // pid (name) state ppid ...: the name may hold blanks, so read behind its last ")".
        std::istringstream rest(line.substr(line.rfind(')') + 1));
        char state = 0;
        qint64 ppid = 0;
        if (rest >> state >> ppid && ppid == parent)
            children.push_back(static_cast<pid_t>(std::stol(entry.path().filename().string())));
    }
    return children;
}

// The process's state letter from /proc ('Z' for a zombie), or 0 when there is no such process.
char ProcessState(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return 0;
    std::istringstream rest(line.substr(line.rfind(')') + 1));
    char state = 0;
    rest >> state;
    return state;
}

class AutorunSignalTest : public AutorunEndToEndTest {
protected:
    // Starts a headless run of a set whose downloads all stall in the middle of their bodies and
    // sends Vellicor the signal while they are under way; Tarquel's process id, 0 when there was
    // none.
    pid_t SignalInTheMiddleOfADownload(QProcess& vellicor, int signal) {
        CopyProgram(VELLICOR_BINARY, "Vellicor");
        CopyProgram(TARQUEL_BINARY, "Tarquel");
        WriteServedSet({"DownloadEOD = YES", "CreateHistory = YES", "MarketTiming = YES"}, 3, 40);
        testing::HttpBehaviour stalling = Page(std::string(50000, 'x'));
        stalling.stallAt = 20000;
        server.RoutePrefix("/eod/", stalling);
        for (const auto& entry : fs::directory_iterator(TempPath("served")))
            server.Route("/eod/" + entry.path().stem().string(), stalling);
        StartHeadless(vellicor, "E2E.autorun");
        clock.start();
        // The server answers on this test's event loop.
        while (server.InFlight() < 3 && clock.elapsed() < 30000) qt_.WaitForEvents(20);
        EXPECT_EQ(server.InFlight(), 3);
        const auto until = clock.elapsed() + 300;
        while (clock.elapsed() < until) qt_.WaitForEvents(20);
        const std::vector<pid_t> tarquel = ChildrenOf(vellicor.processId());
        EXPECT_EQ(tarquel.size(), 1u);
        ::kill(static_cast<pid_t>(vellicor.processId()), signal);
        while (vellicor.state() != QProcess::NotRunning && clock.elapsed() < 60000)
            qt_.WaitForEvents(20);
        EXPECT_EQ(vellicor.state(), QProcess::NotRunning);
        return tarquel.empty() ? 0 : tarquel[0];
    }
    // The end command of a signal fails the run and ends Tarquel, which quits as its own end
    // command does and is reaped: no orphan, no file of an unfinished write.
    void ExpectTheRunFailedAndTarquelEnded(QProcess& vellicor, pid_t tarquel) {
        EXPECT_EQ(vellicor.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(vellicor.exitCode(), 1);
        const auto log = LogTexts();
        ASSERT_GE(log.size(), 3u);
        EXPECT_EQ(log[log.size() - 3], "Autorun mode - Error - The run was stopped by a signal!");
        EXPECT_EQ(log[log.size() - 2], "Autorun mode - Ending Tarquel, which still runs.");
        EXPECT_EQ(log.back(), "Exiting Vellicor.");
        EXPECT_NE(ReadFile(TempPath("Tarquel.log")).find("Exiting Tarquel."), std::string::npos);
        EXPECT_EQ(::kill(tarquel, 0), -1);
        EXPECT_EQ(errno, ESRCH);
        EXPECT_EQ(TemporaryFiles(TempFolder()), std::vector<std::string>{});
        EXPECT_EQ(TemporaryFiles(TempPath("E2E-EOD/")), std::vector<std::string>{});
    }

    QElapsedTimer clock;
};

TEST_F(AutorunSignalTest, SigtermInTheMiddleOfAHeadlessRunFailsItAndEndsTarquel) {
    QProcess vellicor;
    const pid_t tarquel = SignalInTheMiddleOfADownload(vellicor, SIGTERM);
    ASSERT_NE(tarquel, 0);
    ExpectTheRunFailedAndTarquelEnded(vellicor, tarquel);
}

// What a closed terminal or a lost remote login sends.
TEST_F(AutorunSignalTest, SighupActsAsSigterm) {
    QProcess vellicor;
    const pid_t tarquel = SignalInTheMiddleOfADownload(vellicor, SIGHUP);
    ASSERT_NE(tarquel, 0);
    ExpectTheRunFailedAndTarquelEnded(vellicor, tarquel);
}

// A signal while the display probe waits for an X server that never answers (a hung one) ends
// the program as at any other moment: logged, status 1, and a run that began is stopped.
TEST_F(AutorunSignalTest, SigtermWhileTheDisplaysAreAskedEndsTheProgramAsAtAnyOtherMoment) {
    CopyProgram(VELLICOR_BINARY, "Vellicor");
    GenerateEod("Demo", 5, 300);
    ASSERT_TRUE(WriteDemonstrationSet("Demo"));
    const testing::SilentListener hungX = testing::SilentListener::AtXDisplay();
    ASSERT_FALSE(hungX.Name().empty());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", QString::fromStdString(hungX.Name()));
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    QProcess vellicor;
    vellicor.setProcessEnvironment(env);
    vellicor.start(QString::fromStdString(TempPath("Vellicor")), {"Demo.autorun"});
    ASSERT_TRUE(vellicor.waitForStarted(10000));
    clock.start();
    // The probe asks the X server from a child of its own, which the program has only then.
    while (ChildrenOf(vellicor.processId()).empty() && clock.elapsed() < 10000) QThread::msleep(5);
    ASSERT_FALSE(ChildrenOf(vellicor.processId()).empty());
    ::kill(static_cast<pid_t>(vellicor.processId()), SIGTERM);
    ASSERT_TRUE(vellicor.waitForFinished(30000));
    EXPECT_EQ(vellicor.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(vellicor.exitCode(), 1);
    EXPECT_EQ(vellicor.readAllStandardError().toStdString(), "");
    // The end command comes before the run begins or stops it, as the timing falls.
    const std::string log = ReadFile(TempPath("Vellicor.log"));
    ASSERT_FALSE(LogTexts().empty()) << log;
    EXPECT_EQ(LogTexts().back(), "Exiting Vellicor.") << log;
    EXPECT_TRUE(LogLinesStarting({"Autorun mode - End."}).empty()) << log;
    const bool began = !LogLinesStarting({"Autorun mode - Start."}).empty();
    const auto stopped =
        LogLinesStarting({"Autorun mode - Error - The run was stopped by a signal!"});
    EXPECT_EQ(stopped.size(), began ? 1u : 0u) << log;
}

TEST_F(AutorunSignalTest, TarquelEndsWhenVellicorIsKilled) {
    QProcess vellicor;
    const pid_t tarquel = SignalInTheMiddleOfADownload(vellicor, SIGKILL);
    ASSERT_NE(tarquel, 0);
    // Nobody reaps the orphan here: it has ended once it is gone or a zombie.
    while (ProcessState(tarquel) != 0 && ProcessState(tarquel) != 'Z' && clock.elapsed() < 60000)
        qt_.WaitForEvents(20);
    const bool ended = ProcessState(tarquel) == 0 || ProcessState(tarquel) == 'Z';
    // A failure must not leave the orphan running beside the next tests.
    if (!ended) ::kill(tarquel, SIGKILL);
    EXPECT_TRUE(ended);
    EXPECT_EQ(LogTexts().back().rfind("Autorun mode - Downloading", 0), 0u) << LogTexts().back();
    EXPECT_NE(ReadFile(TempPath("Tarquel.log")).find("Exiting Tarquel."), std::string::npos);
    EXPECT_EQ(TemporaryFiles(TempPath("E2E-EOD/")), std::vector<std::string>{});
}

TEST_F(AutorunEndToEndTest, HeadlessVellicorEndsWithItsRunAndTheRunsOutcomeAsItsStatus) {
    CopyProgram(VELLICOR_BINARY, "Vellicor");
    CopyProgram(TARQUEL_BINARY, "Tarquel");
    GenerateEod("Demo", 5, 300);
    ASSERT_TRUE(WriteDemonstrationSet("Demo"));
    // Runs Vellicor without a display, as a scheduler does, until it ends by itself.
    const auto run = [this](const QString& commandLine) {
        fs::remove(TempPath("Vellicor.log"));
        QProcess vellicor;
        StartHeadless(vellicor, commandLine);
        EXPECT_TRUE(vellicor.waitForFinished(60000)) << "it did not end by itself";
        EXPECT_EQ(vellicor.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(vellicor.readAllStandardError().toStdString(), "");
        return vellicor.exitCode();
    };
    EXPECT_EQ(run("Demo.autorun"), 0);
    EXPECT_EQ(LogLinesStarting({"Autorun mode - End."}).size(), 1u);
    EXPECT_EQ(LogTexts().back(), "Exiting Vellicor.");
    EXPECT_TRUE(Exists(TempPath("Demo-EOD/RESULTS/acmd1MarketTimingReport.html")));
    EXPECT_TRUE(LogLinesStarting({"Message: "}).empty());

    fs::remove(TempPath("Demo.eodstru"));
    EXPECT_NE(run("Demo.autorun"), 0);
    EXPECT_EQ(LogLinesStarting({"Message: Error in Autorun parameters"}).size(), 1u);
    EXPECT_NE(run("Demo.eodurls"), 0);  // a command line that names no .autorun file
}

TEST_F(AutorunEndToEndTest, ARunThatOnlyLoadsTakesTheLockAlsoWhereItMayNotWriteTheDataFolder) {
    if (::geteuid() != 0) GTEST_SKIP() << "runs the program as another user, which needs root";
    CopyProgram(VELLICOR_BINARY, "Vellicor");
    GenerateEod("Demo", 5, 300);
    ASSERT_TRUE(WriteDemonstrationSet("Demo"));
    QProcess build;
    StartHeadless(build, "Demo.autorun");
    ASSERT_TRUE(build.waitForFinished(60000));
    ASSERT_EQ(build.exitCode(), 0);
    // The set's folder as another user sees a shared one: readable, its RESULTS writable, and a
    // lock file of an earlier version in it that only its owner may open.
    WriteFile(TempPath("Demo.autorun"), "CreateHistory = NO\r\nMarketTiming = YES\r\n");
    WriteFile(TempPath("Demo-EOD/Vellicor.lock"), "");
    fs::permissions(TempPath("Demo-EOD/Vellicor.lock"),
                    fs::perms::owner_read | fs::perms::owner_write);
    fs::permissions(TempFolder(), fs::perms::all);
    fs::permissions(TempPath("Demo-EOD/RESULTS"), fs::perms::all);
    fs::permissions(TempPath("Demo-EOD"), fs::perms::owner_all | fs::perms::group_read |
                                              fs::perms::group_exec | fs::perms::others_read |
                                              fs::perms::others_exec);
    const auto runAsNobody = [this] {
        fs::remove(TempPath("Vellicor.log"));
        QProcess vellicor;
        vellicor.setChildProcessModifier([] {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(99);
        });
        StartHeadless(vellicor, "Demo.autorun");
        EXPECT_TRUE(vellicor.waitForFinished(60000));
        return vellicor.exitCode();
    };
    const std::string report = TempPath("Demo-EOD/RESULTS/acmd1MarketTimingReport.html");
    const std::string rootsReport = ReadFile(report);
    {
        // A run of root's (another process, as far as the lock goes) holds the set.
        const FolderLock root(TempPath("Demo-EOD/"));
        ASSERT_TRUE(root.held());
        EXPECT_EQ(runAsNobody(), 1) << ReadFile(TempPath("Vellicor.log"));
        EXPECT_EQ(LogLinesStarting({"Autorun mode - Error - The data folder is in use"}).size(),
                  1u);
        EXPECT_TRUE(ReadFile(report) == rootsReport) << "the holder's report was replaced";
    }
    EXPECT_EQ(runAsNobody(), 0) << ReadFile(TempPath("Vellicor.log"));
    EXPECT_TRUE(Exists(report));
}

TEST_F(AutorunEndToEndTest, AHeadlessRunWhoseListLeftFilesMissingNamesEachAndEndsWith2) {
    CopyProgram(VELLICOR_BINARY, "Vellicor");
    CopyProgram(TARQUEL_BINARY, "Tarquel");
    WriteServedSet({"DownloadEOD = YES", "CreateHistory = YES", "MarketTiming = YES"}, 4, 120);
    // Beside the four stocks: a page that answers 404, a page without EOD rows, a URL that is
    // not fetched, and a stock of five days, which the history leaves out by its own rule.
    server.Route("/eod/GONE", Page("Not Found", 404));
    server.Route("/eod/NOTE", Page("<html><body>No quotes today.</body></html>"));
    std::istringstream served(ReadFile(TempPath("served/AAAA.csv")));
    std::string fiveDays, line;
    for (int k = 0; k < 6 && std::getline(served, line); ++k) fiveDays += line + "\n";
    server.Route("/eod/FEW", Page(fiveDays));
    WriteFile(TempPath("E2E.eodurls"),
              ReadFile(TempPath("E2E.eodurls")) + "SaveTo(GONE.csv):" + server.Url("/eod/GONE") +
                  "\r\nSaveTo(NOTE.csv):" + server.Url("/eod/NOTE") +
                  "\r\nSaveTo(FTP.csv):ftp://127.0.0.1/FTP\r\nSaveTo(FEW.csv):" +
                  server.Url("/eod/FEW") + "\r\n");
    QProcess vellicor;
    StartHeadless(vellicor, "E2E.autorun");
    // The loopback server answers from this process's events.
    QElapsedTimer clock;
    clock.start();
    while (vellicor.state() != QProcess::NotRunning && clock.elapsed() < 60000)
        qt_.WaitForEvents(20);
    ASSERT_EQ(vellicor.state(), QProcess::NotRunning) << "it did not end by itself";
    EXPECT_EQ(vellicor.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(vellicor.exitCode(), 2);
    EXPECT_EQ(vellicor.readAllStandardError().toStdString(), "");
    EXPECT_EQ(LogLinesStarting({"Not downloaded: ", "No EOD rows in: "}),
              (std::vector<std::string>{"No EOD rows in: GONE.csv", "No EOD rows in: NOTE.csv",
                                        "Not downloaded: FTP.csv"}));
    // The reports are written as usual.
    EXPECT_EQ(LogLinesStarting({"Autorun mode - End."}).size(), 1u);
    EXPECT_TRUE(Exists(TempPath("E2E-EOD/RESULTS/acmd1MarketTimingReport.html")));
}

// Every entry below the folder but `skipped` and what it holds, with its size and time of change.
std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> Listing(
    const std::string& folder, const std::string& skipped) {
    std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string path = entry.path().string();
        if (path.rfind(skipped, 0) == 0) continue;
        entries[path] = {entry.is_regular_file() ? entry.file_size() : 0, entry.last_write_time()};
    }
    return entries;
}

TEST_F(AutorunEndToEndTest, AProgramFolderWhoseNameIsNotUtf8HoldsEveryFileOfItsRun) {
    GenerateEod("Demo", 5, 300);
    ASSERT_TRUE(WriteDemonstrationSet("Demo"));
    // The demonstration set and the program also in a folder whose name holds a Latin-1 byte.
    const std::string folder = TempPath("Caf\xe9/");
    fs::create_directories(folder);
    for (const char* name : {"Demo.autorun", "Demo.eodstru", "Demo.eodurls"})
        fs::copy_file(TempPath(name), folder + name);
    fs::copy(TempPath("Demo-EOD"), folder + "Demo-EOD", fs::copy_options::recursive);
    fs::copy_file(VELLICOR_BINARY, folder + "Vellicor");
    const std::string skipped = folder.substr(0, folder.size() - 1);
    const auto before = Listing(TempFolder(), skipped);

    // Started by its full path from the temporary folder, which holds a set of the same name, and
    // without a display. Qt's text cannot carry the path's byte, so the child runs it itself.
    auto program = std::make_shared<std::string>(folder + "Vellicor");
    auto strings = std::make_shared<std::vector<std::string>>();
    for (char** e = environ; *e; ++e)
        if (std::string(*e).rfind("DISPLAY=", 0) != 0 &&
            std::string(*e).rfind("WAYLAND_DISPLAY=", 0) != 0)
            strings->push_back(*e);
    auto environment = std::make_shared<std::vector<char*>>();
    for (std::string& e : *strings) environment->push_back(e.data());
    environment->push_back(nullptr);
    QProcess vellicor;
    vellicor.setWorkingDirectory(QString::fromStdString(TempFolder()));
    vellicor.setProgram("/nonexistent/Vellicor");
    vellicor.setArguments({"Demo.autorun"});
    vellicor.setChildProcessModifier([program, strings, environment] {
        char* argv[] = {program->data(), const_cast<char*>("Demo.autorun"), nullptr};
        ::execve(program->c_str(), argv, environment->data());
    });
    vellicor.start();
    ASSERT_TRUE(vellicor.waitForFinished(60000));
    EXPECT_EQ(vellicor.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(vellicor.exitCode(), 0);
    EXPECT_EQ(vellicor.readAllStandardError().toStdString(), "");
    EXPECT_NE(ReadFile(folder + "Vellicor.log").find("Autorun mode - End."), std::string::npos);
    EXPECT_TRUE(Exists(folder + "Demo-EOD/History.mdb"));
    EXPECT_TRUE(Exists(folder + "Demo-EOD/RESULTS/acmd1MarketTimingReport.html"));
    EXPECT_TRUE(Listing(TempFolder(), skipped) == before) << "the working folder changed";
}

}  // namespace
}  // namespace vel
