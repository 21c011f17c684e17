// The unattended runs with the program's commands registered and the downloader played by the
// scripted door: the autorun run's steps and their log lines in order, the hand-off to the
// downloader (parameters file, old result deleted, the wait on the timer and on the process, the
// result read only once the downloader has ended), every failure with its message and log line
// and both flags back at 0, the demonstration and the load-only run, and runs that may not start.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>

#include "AnalysisEntryPoints.h"
#include "AutomationFixture.h"
#include "AutomationState.h"
#include "ChartWindowCommands.h"
#include "Database.h"
#include "DemoSet.h"
#include "DirectoryListing.h"
#include "EntryPoints.h"
#include "FolderLock.h"
#include "MainCommands.h"
#include "StockBasket.h"
#include "UnattendedRuns.h"
#include "WholeFile.h"

namespace vel {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kRunLogPrefixes = {"Autorun mode", "Demonstration mode",
                                                  "Loading History.mdb", "Message: "};

class UnattendedRunsTest : public testing::AutomationFixture {
protected:
    void SetUp() override {
        AutomationFixture::SetUp();
        RegisterProgram();
        AutoRunFileName = "T.autorun";
        // The reports open in the browser; the scripted door only records its start.
        door_.programsOnPath["xdg-open"] = TempPath("xdg-open");
        WriteFile(TempPath("xdg-open"), "");
    }
    // The pages shown in the browser, by file name.
    std::vector<std::string> PagesShown() const {
        std::vector<std::string> pages;
        for (const auto& c : door_.CallsOf("browser"))
            pages.push_back(c.args.at(0).substr(c.args.at(0).find_last_of('/') + 1));
        return pages;
    }
    // The run's own lines of the log, from the first run line on.
    std::vector<std::string> RunLog() const { return LogLinesStarting(kRunLogPrefixes); }
    // An empty activity log, as at a program's start.
    void StartNewLog() {
        fs::remove(ActivityLogPath);
        OpenActivityLog("Vellicor.log");
    }
    void ExpectFlagsDown() const {
        EXPECT_EQ(AutoRunMode, 0);
        EXPECT_EQ(SilentMode, 0);
        EXPECT_FALSE(UnattendedRun.RunActive);
    }
    // A downloader that saves the EOD files and, after `resultMs`, the result text (none when
    // `result` is empty); it ends at the same time.
    void PlayDownloader(const std::string& result, std::int64_t resultMs = 3000) {
        door_.watchedProgramRunsMs = resultMs;
        door_.onWatchedProgram = [this, result, resultMs](const std::string&,
                                                          const std::vector<std::string>&) {
            EXPECT_FALSE(Exists(TempPath("T.dwnresult"))) << "an old result was left";
            GenerateEod("T", 4, 90);
            if (!result.empty())
                door_.StartTimer(resultMs,
                                 [this, result] { WriteFile(TempPath("T.dwnresult"), result); });
        };
    }
};

TEST_F(UnattendedRunsTest, AnAutorunRunRebuildsLoadsAndRunsTheThreeCalculationsInTheirOrder) {
    GenerateEod("T", 5, 120);
    WriteAutorunSet("T",
                    {"CreateHistory = YES", "MarketTiming = YES", "MarketSwinging = YES",
                     "MarketSwingingSpecial = YES", "LastDaysMax = 60", "defCommission = 0.2"});
    RunAutorunMode();
    ExpectFlagsDown();
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(RunLog(), (std::vector<std::string>{
                            "Autorun mode - Start.",
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
    const std::string database = TempPath("T-EOD/History.mdb");
    EXPECT_EQ(HistoryDatabasePath, database);
    EXPECT_EQ(MainLabelText(MainLabel::LoadedStockData), database);
    EXPECT_TRUE(HistoryCommandsEnabled());
    EXPECT_EQ(LoadedSymbolCount, 5);
    EXPECT_EQ(BasketCount, 5);
    EXPECT_EQ(ChartTo1, 120);
    EXPECT_EQ(ChartFrom1.toDouble(), 61.0);
    EXPECT_EQ(defCommission, 0.2f);
    EXPECT_NE(ChartWindowWidget(), nullptr);
    // Every report carries the run letter "a".
    for (const char* page :
         {"acmd5MarketSpecialSwingingReport.html", "acmd3MarketSwingingReport.html",
          "acmd1MarketTimingReport.html", "acmd1MarketTimingStockSelection.csv"})
        EXPECT_TRUE(Exists(TempPath("T-EOD/RESULTS/") + page)) << page;
    EXPECT_TRUE(ListDirectory(TempPath("T-EOD/RESULTS/"), "mcmd*", EntryKind::Files).empty());
    EXPECT_EQ(PagesShown(), (std::vector<std::string>{"acmd5MarketSpecialSwingingReport.html",
                                                      "acmd3MarketSwingingReport.html",
                                                      "acmd1MarketTimingReport.html"}));
}

TEST_F(UnattendedRunsTest, TheDownloadWaitsForTheResultFileOfTheDownloaderItStarted) {
    WriteAutorunSet("T", {"DownloadEOD = YES", "CreateHistory = YES", "StockSymbolsMax = 40"});
    WriteFile(TempPath("T.dwnresult"), "OK\r\n");  // an old result ends no wait
    PlayDownloader("  OK  \r\n", 5000);
    RunAutorunMode();
    ExpectFlagsDown();
    const auto watched = door_.CallsOf("watch");
    ASSERT_EQ(watched.size(), 1u);
    EXPECT_EQ(watched[0].text, TempPath("Tarquel"));
    EXPECT_EQ(watched[0].args, std::vector<std::string>{TempPath("T.dwnparams")});
    EXPECT_EQ(ReadFile(TempPath("T.dwnparams")), TempPath("T.eodurls") + "\r\n" +
                                                     TempPath("T-EOD/") + "\r\n" +
                                                     TempPath("T.dwnresult") + "\r\n40\r\n");
    // The wait lasted until the timer after the result saw it.
    EXPECT_GE(door_.MonotonicMs(), 5000);
    EXPECT_LE(door_.MonotonicMs(), 6500);
    EXPECT_EQ(DownloadingTimerInterval(), 0);
    EXPECT_TRUE(DownloadFinished);
    const auto log = RunLog();
    ASSERT_GE(log.size(), 5u);
    EXPECT_EQ(log[1], "Autorun mode - Downloading - Start.");
    EXPECT_EQ(log[2], "Autorun mode - Downloading - End.");
    EXPECT_EQ(log[3], "Autorun mode - Creating History.mdb - Start.");
    EXPECT_EQ(log.back(), "Autorun mode - End.");
    EXPECT_EQ(LoadedSymbolCount, 4);
}

TEST_F(UnattendedRunsTest, PastTwentyFilesMissingFromTheListOneLineCountsTheRest) {
    WriteAutorunSet("T", {"DownloadEOD = YES", "CreateHistory = YES", "StockSymbolsMax = 27"});
    std::string list;
    for (int k = 0; k < 30; ++k)
        list += "SaveTo(" + eodgen::SymbolName(k) + ".csv):http://x/" + std::to_string(k) + "\r\n";
    WriteFile(TempPath("T.eodurls"), list);
    PlayDownloader("OK\r\n");  // the first 4 of the 27 files that the downloader takes arrive
    EXPECT_TRUE(RunAutorunMode());
    EXPECT_EQ(MissingListFiles, 23);
    const auto lines = LogLinesStarting({"Not downloaded: ", "And "});
    ASSERT_EQ(lines.size(), 21u);
    EXPECT_EQ(lines.front(), "Not downloaded: AAAE.csv");
    EXPECT_EQ(lines[19], "Not downloaded: " + eodgen::SymbolName(23) + ".csv");
    EXPECT_EQ(lines.back(), "And 3 more files of the URL list not downloaded or without EOD rows.");
    EXPECT_EQ(RunLog().back(), "Autorun mode - End.");
}

TEST_F(UnattendedRunsTest, AListNameThroughTheFolderItselfIsTheFileThatTheImportNames) {
    WriteAutorunSet("T", {"DownloadEOD = YES", "CreateHistory = YES"});
    WriteFile(TempPath("T.eodurls"),
              "SaveTo(./AAAD.csv):http://x/d\r\nSaveTo(.//AAAA.csv):http://x/a\r\n"
              "SaveTo(AAAD.csv):http://x/d\r\nSaveTo(./NONE.csv):http://x/n\r\n");
    PlayDownloader("OK\r\n");  // AAAA to AAAD arrive
    EXPECT_TRUE(RunAutorunMode());
    EXPECT_EQ(MissingListFiles, 1);
    EXPECT_EQ(LogLinesStarting({"Not downloaded: ", "No EOD rows in: ", "And "}),
              std::vector<std::string>{"Not downloaded: ./NONE.csv"});
}

TEST_F(UnattendedRunsTest, ARebuildThatFindsNoDataNamesTheFilesThatDidNotArriveFirst) {
    door_.display = false;  // the messages are logged
    WriteAutorunSet("T", {"DownloadEOD = YES", "CreateHistory = YES"});
    WriteFile(TempPath("T.eodurls"),
              "SaveTo(AAAA.csv):http://x/a\r\nSaveTo(NOTE.csv):http://x/n\r\n");
    // Only a page without EOD rows arrives.
    door_.watchedProgramRunsMs = 3000;
    door_.onWatchedProgram = [this](const std::string&, const std::vector<std::string>&) {
        fs::create_directories(TempPath("T-EOD"));
        WriteFile(TempPath("T-EOD/NOTE.csv"), "<html>No quotes today.</html>\r\n");
        door_.StartTimer(3000, [this] { WriteFile(TempPath("T.dwnresult"), "OK\r\n"); });
    };
    EXPECT_FALSE(RunAutorunMode());
    ExpectFlagsDown();
    const auto log = LogLinesStarting({"Autorun mode", "Message: ", "Not downloaded: ", "No EOD"});
    const std::vector<std::string> end(log.end() - std::min<long>(5, static_cast<long>(log.size())),
                                       log.end());
    EXPECT_EQ(end, (std::vector<std::string>{
                       "Autorun mode - Creating History.mdb - End.",
                       "Not downloaded: AAAA.csv",
                       "No EOD rows in: NOTE.csv",
                       "Autorun mode - Creating History.mdb - Error - Missing EOD history data! "
                       "End of Autorun procedure!",
                       "Message: Missing EOD history data! End of Autorun procedure! Error in EOD "
                       "data structure! Check Regional Settings in Control Panel! You have to use "
                       "English(US) regional settings when downloading EOD stock history from "
                       "YAHOO!",
                   }));
    EXPECT_EQ(MissingListFiles, 2);
}

TEST_F(UnattendedRunsTest, EveryDownloadFailureEndsTheRunWithItsMessage) {
    door_.display = false;  // the messages are logged
    struct Case {
        const char* what;
        std::function<void()> play;
        const char* extraLog;  // "" for none
    };
    const Case cases[] = {
        {"ERROR", [this] { PlayDownloader("ERROR\r\n"); }, ""},
        {"ok in small letters", [this] { PlayDownloader("ok\r\n"); }, ""},
        {"an empty result", [this] { PlayDownloader("\r\n"); }, ""},
        {"no result file", [this] { PlayDownloader(""); },
         "Autorun mode - Tarquel ended without a result file: "},
        {"no downloader",
         [this] {
             door_.startSucceeds = false;
             door_.onWatchedProgram = nullptr;
         },
         "Autorun mode - Tarquel cannot be started: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StartNewLog();
        door_.startSucceeds = true;
        WriteAutorunSet("T", {"DownloadEOD = YES", "CreateHistory = YES"});
        fs::remove(TempPath("T.dwnresult"));
        const std::int64_t start = door_.MonotonicMs();
        c.play();
        RunAutorunMode();
        ExpectFlagsDown();
        // The wait never outlasts the downloader's process by more than one look.
        EXPECT_LE(door_.MonotonicMs() - start, 3000 + 2 * kDownloadWaitSliceMs);
        const auto log = RunLog();
        ASSERT_GE(log.size(), 3u);
        EXPECT_EQ(log[log.size() - 2], "Autorun mode - Error in Downloading process!");
        EXPECT_EQ(log.back(), "Message: Error in Downloading process!");
        if (*c.extraLog) {
            EXPECT_EQ(log[log.size() - 3].rfind(c.extraLog, 0), 0u) << log[log.size() - 3];
        }
        EXPECT_EQ(LoadedSymbolCount, 0);
        EXPECT_FALSE(Exists(TempPath("T-EOD/History.mdb")));
    }
}

TEST_F(UnattendedRunsTest, TheResultCountsOnlyOnceTheDownloaderHasEnded) {
    door_.display = false;  // the messages are logged
    // The first downloader writes "OK" at 1 s and again as it quits at 4.5 s, and ends at 5 s;
    // the second one writes "ERROR" 5 s after its start.
    WriteAutorunSet("T", {"DownloadEOD = YES", "CreateHistory = YES"});
    int started = 0;
    std::vector<std::int64_t> starts;
    door_.watchedProgramRunsMs = 5000;
    door_.onWatchedProgram = [&](const std::string&, const std::vector<std::string>&) {
        starts.push_back(door_.MonotonicMs());
        GenerateEod("T", 3, 40);
        const auto write = [this](const char* text) {
            return [this, text] { WriteFile(TempPath("T.dwnresult"), text); };
        };
        if (++started == 1) {
            door_.StartTimer(1000, write("OK\r\n"));
            door_.StartTimer(4500, write("OK\r\n"));
        } else {
            door_.StartTimer(5000, write("ERROR\r\n"));
        }
    };
    RunAutorunMode();
    EXPECT_EQ(RunLog().back(), "Autorun mode - End.");
    // The next run, started at once, deletes the result file: the first downloader's late write
    // must not pass for the second one's result.
    RunAutorunMode();
    ExpectFlagsDown();
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_GE(starts[1], 5000) << "the first run went on while its downloader still ran";
    const auto log = RunLog();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "Autorun mode - Error in Downloading process!");
    EXPECT_EQ(log.back(), "Message: Error in Downloading process!");

    // A downloader that goes on running after its result fails the download, after a bounded
    // wait, and is ended.
    StartNewLog();
    door_.watchedProgramRunsMs = -1;
    door_.onWatchedProgram = [this](const std::string&, const std::vector<std::string>&) {
        door_.StartTimer(1000, [this] { WriteFile(TempPath("T.dwnresult"), "OK\r\n"); });
    };
    const std::int64_t start = door_.MonotonicMs();
    RunAutorunMode();
    ExpectFlagsDown();
    EXPECT_GE(door_.MonotonicMs() - start, 2000 + kDownloaderEndWaitMs);
    EXPECT_LE(door_.MonotonicMs() - start, 2000 + kDownloaderEndWaitMs + kDownloadWaitSliceMs);
    EXPECT_EQ(RunLog(), (std::vector<std::string>{
                            "Autorun mode - Start.",
                            "Autorun mode - Downloading - Start.",
                            "Autorun mode - Downloading - End.",
                            "Autorun mode - Tarquel has not ended after writing its result file: " +
                                TempPath("T.dwnresult"),
                            "Autorun mode - Ending Tarquel, which still runs.",
                            "Autorun mode - Error in Downloading process!",
                            "Message: Error in Downloading process!",
                        }));
    ASSERT_EQ(door_.CallsOf("stop").size(), 1u);
    EXPECT_FALSE(door_.ProgramRunning(door_.LastWatchedProgram()));
}

TEST_F(UnattendedRunsTest, TheParametersFileAndTheOldResultMustBeDealtWithFirst) {
    DwnParamsFilePath = TempPath("T.dwnparams");
    DwnResultFilePath = TempPath("T.dwnresult");
    EodUrlsFilePath = TempPath("T.eodurls");
    EodDataFolderPath = TempPath("T-EOD/");
    WriteFile(DwnResultFilePath, "OK\r\n");
    EXPECT_TRUE(WriteDownloadParamsFile());
    EXPECT_FALSE(Exists(DwnResultFilePath));
    EXPECT_EQ(ReadFile(DwnParamsFilePath), TempPath("T.eodurls") + "\r\n" + TempPath("T-EOD/") +
                                               "\r\n" + TempPath("T.dwnresult") + "\r\n9999\r\n");

    // A result file that cannot be deleted (one of the kernel's) would pass for this download's.
    DwnResultFilePath = "/proc/version";
    EXPECT_FALSE(WriteDownloadParamsFile());
    DwnResultFilePath = TempPath("T.dwnresult");
    DwnParamsFilePath = TempPath("missing/T.dwnparams");
    EXPECT_FALSE(WriteDownloadParamsFile());
    EXPECT_EQ(
        LogLinesStarting({"Autorun mode"}),
        (std::vector<std::string>{"Autorun mode - Old result file cannot be deleted: /proc/version",
                                  "Autorun mode - Parameters file cannot be written: " +
                                      TempPath("missing/T.dwnparams")}));
}

TEST_F(UnattendedRunsTest, ALinkAtTheParametersFileIsReplacedAndNothingOutsideIsWritten) {
    DwnParamsFilePath = TempPath("T.dwnparams");
    DwnResultFilePath = TempPath("T.dwnresult");
    EodUrlsFilePath = TempPath("T.eodurls");
    EodDataFolderPath = TempPath("T-EOD/");
    fs::create_directories(TempPath("outside"));
    WriteFile(TempPath("outside/kept"), "mine");
    for (const char* target : {"kept", "created"}) {
        SCOPED_TRACE(target);
        fs::remove(DwnParamsFilePath);
        fs::create_symlink(TempPath("outside/") + target, DwnParamsFilePath);
        EXPECT_TRUE(WriteDownloadParamsFile());
        EXPECT_FALSE(fs::is_symlink(DwnParamsFilePath));
        EXPECT_EQ(ReadFile(DwnParamsFilePath), TempPath("T.eodurls") + "\r\n" + TempPath("T-EOD/") +
                                                   "\r\n" + TempPath("T.dwnresult") +
                                                   "\r\n9999\r\n");
    }
    EXPECT_EQ(ReadFile(TempPath("outside/kept")), "mine");
    EXPECT_FALSE(Exists(TempPath("outside/created")));
}

TEST_F(UnattendedRunsTest, EachFailureOfTheSetItselfEndsTheRunWithItsMessage) {
    door_.display = false;  // the messages are logged
    struct Case {
        const char* what;
        std::function<void()> prepare;
        std::vector<std::string> lastLines;
    };
    // As the log holds them: the line breaks of the messages become blanks.
    const std::string structure =
        "Error in EOD data structure! Check Regional Settings in Control Panel! You have to use "
        "English(US) regional settings when downloading EOD stock history from YAHOO!";
    const std::string folder = TempPath("T-EOD/");
    const std::vector<std::string> notAFolder = {
        "Autorun mode - Start.",
        "Autorun mode - Error - The data folder cannot be locked: " + folder + " (not a folder)",
        "Message: The data folder cannot be locked! " + folder};
    const Case cases[] = {
        {"a missing .eodurls",
         [this] {
             WriteAutorunSet("T", {"CreateHistory = YES"});
             fs::remove(TempPath("T.eodurls"));
         },
         {"Autorun mode - Start.", "Autorun mode - Error - EODURLS file doesn't exists!",
          "Message: Error in Autorun parameters or some Autorun files are missing!"}},
        {"a structure with two symbol columns",
         [this] {
             WriteAutorunSet("T", {"CreateHistory = YES"});
             WriteFile(TempPath("T.eodstru"), "22311100000000000000\r\nSST--P--------------\r\n");
             GenerateEod("T", 3, 40);
         },
         {"Autorun mode - Creating History.mdb - Start.",
          "Autorun mode - Creating History.mdb - Error in EOD data structure!",
          "Message: " + structure}},
        {"a structure of three roles",
         [this] {
             WriteAutorunSet("T", {"CreateHistory = YES"});
             WriteFile(TempPath("T.eodstru"), "23111110000000000000\r\nST---P--------------\r\n");
         },
         {"Autorun mode - Creating History.mdb - Start.",
          "Autorun mode - Creating History.mdb - Error in EOD data structure!",
          "Message: " + structure}},
        {"no EOD files",
         [this] {
             WriteAutorunSet("T", {"CreateHistory = YES"});
             fs::create_directories(TempPath("T-EOD"));
         },
         {"Autorun mode - Creating History.mdb - End.",
          "Autorun mode - Creating History.mdb - Error - Missing EOD history data! End of "
          "Autorun procedure!",
          "Message: Missing EOD history data! End of Autorun procedure! " + structure}},
        {"no database",
         [this] { WriteAutorunSet("T", {"MarketTiming = YES"}); },
         {"Autorun mode - Start.", "Autorun mode - Error - There is no History.mdb to load!",
          "Message: There is no History.mdb to load!"}},
        {"a data folder that is a FIFO",
         [this] {
             WriteAutorunSet("T", {"MarketTiming = YES"});
             ASSERT_EQ(::mkfifo(TempPath("T-EOD").c_str(), 0600), 0);
         },
         notAFolder},
        {"a data folder that is a file, to download into",
         [this] {
             WriteAutorunSet("T", {"DownloadEOD = YES", "CreateHistory = YES"});
             WriteFile(TempPath("T-EOD"), "x");
         },
         notAFolder},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(TempPath("T-EOD"));
        StartNewLog();
        c.prepare();
        const size_t messagesBefore = door_.CallsOf("message").size();
        RunAutorunMode();
        ExpectFlagsDown();
        const auto log = RunLog();
        ASSERT_GE(log.size(), c.lastLines.size());
        EXPECT_EQ(
            std::vector<std::string>(log.end() - static_cast<long>(c.lastLines.size()), log.end()),
            c.lastLines);
        EXPECT_EQ(door_.CallsOf("message").size(), messagesBefore + 1);
        EXPECT_EQ(door_.CallsOf("message").back().title, "");
        EXPECT_EQ(LoadedSymbolCount, 0);
    }
    EXPECT_EQ(Messages().front(), "Error in Autorun parameters or some Autorun files are missing!");
    EXPECT_FALSE(Exists(TempPath("T-EOD/History.mdb")));
}

TEST_F(UnattendedRunsTest, AFailedRunStartedFromTheMainWindowShowsItsBoxOnceItsFlagsAreDown) {
    // A box asked for while the run's flags are still up would only be logged.
    struct Case {
        const char* what;
        std::function<void()> prepare;
        void (*command)();
        std::string logLine;
        std::string box;
    };
    const Case cases[] = {
        {"a failed download",
         [this] {
             WriteAutorunSet("T", {"DownloadEOD = YES"});
             PlayDownloader("ERROR\r\n");
         },
         mnuAutorun_Click, "Autorun mode - Error in Downloading process!",
         "Error in Downloading process!"},
        {"no EOD files",
         [this] {
             WriteAutorunSet("T", {"CreateHistory = YES"});
             fs::create_directories(TempPath("T-EOD"));
         },
         mnuAutorun_Click,
         "Autorun mode - Creating History.mdb - Error - Missing EOD history data! End of "
         "Autorun procedure!",
         "Missing EOD history data! End of Autorun procedure!\r\nError in EOD data structure!"},
        {"no database to load", [this] { WriteAutorunSet("T", {"MarketTiming = YES"}); },
         mnuLoad_Click, "Autorun mode - Error - There is no History.mdb to load!",
         "There is no History.mdb to load!"},
    };
    SetAutorunList({"T.autorun"});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(TempPath("T-EOD"));
        StartNewLog();
        c.prepare();
        door_.QueueMessageAnswer(MsgAnswer::OK);
        c.command();
        ExpectFlagsDown();
        EXPECT_EQ(door_.UnusedAnswers(), 0u) << "the box was not shown";
        EXPECT_EQ(RunLog().back(), c.logLine);  // logged before the box, and the box not logged
        ASSERT_FALSE(Messages().empty());
        EXPECT_EQ(Messages().back().rfind(c.box, 0), 0u) << Messages().back();
    }
}

TEST_F(UnattendedRunsTest, AnErrorInsideAStepEndsTheRunWithAFailureLine) {
    door_.display = false;  // the error-handler boxes are logged
    GenerateEod("T", 4, 90);
    WriteAutorunSet("T", {"CreateHistory = YES"});
    ASSERT_TRUE(RunAutorunMode());
    WriteAutorunSet("T", {"MarketTiming = YES"});
    const auto runFails = [this](const std::string& failure) {
        StartNewLog();
        DestroyChartWindow();  // as in a program just started
        // As the start runs it: an error that escapes the run stops at the command barrier.
        EXPECT_FALSE(RunEntryPoint(AutomationCommands.RunAutorunMode, "RunAutorunMode"));
        ExpectFlagsDown();
        const auto log = LogLinesStarting({"Autorun mode"});
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back(), failure);
    };
    // A calculation that stops with an error at the barrier of the chart window's command,
    // which says so: no report follows.
    AnalysisCommands.CalcMarketTiming = [](const std::string&) {
        throw OverflowError("Overflow: double-precision result");
    };
    bool reported = false;
    RegisterChartCommand("mnuShowStockMarketTimingReport", [&] { reported = true; });
    runFails("Autorun mode - Error - Market Timing stopped with an error!");
    EXPECT_FALSE(reported);
    // An error that escapes a step: the basket fill of the chart step.
    RegisterChartCommand("mnuFillStockBasket",
                         [] { throw SubscriptRangeError("Subscript out of range"); });
    runFails("Autorun mode - Error - Setting charts range stopped with an error!");
    // A command of the step that stops its error at a barrier of its own and reports it there,
    // saying nothing to the step: the step fails all the same.
    RegisterChartCommand("mnuFillStockBasket", [] {
        RunCommand([] { throw SubscriptRangeError("Subscript out of range"); });
    });
    runFails("Autorun mode - Error - Setting charts range stopped with an error!");
}

TEST_F(UnattendedRunsTest, ACommandThatFailsWhileTheRunYieldsIsNotTheRunsFailure) {
    door_.display = false;  // the error-handler boxes are logged
    GenerateEod("T", 4, 90);
    WriteAutorunSet("T", {"CreateHistory = YES", "MarketTiming = YES"});
    // A user's command that stops with an error, clicked at every yield of the run.
    struct Clicks {
        int count = 0;
        bool on = true;
    };
    const auto clicks = std::make_shared<Clicks>();
    std::function<void()> click = [this, clicks, &click] {
        if (!clicks->on) return;
        ++clicks->count;
        RunCommand([] { throw SubscriptRangeError("Subscript out of range"); });
        door_.OnYield(1, click);
    };
    door_.OnYield(1, click);
    EXPECT_TRUE(RunAutorunMode());
    clicks->on = false;
    ExpectFlagsDown();
    EXPECT_GT(clicks->count, 10);
    EXPECT_EQ(RunLog().back(), "Autorun mode - End.");
    EXPECT_TRUE(Exists(TempPath("T-EOD/RESULTS/acmd1MarketTimingReport.html")));
}

TEST_F(UnattendedRunsTest, AReportFileThatIsNotWrittenFailsTheRun) {
    door_.display = false;  // the messages are logged
    GenerateEod("T", 4, 90);
    WriteAutorunSet("T", {"CreateHistory = YES", "MarketTiming = YES"});
    // A companion table of the report, and the page itself.
    for (const char* file :
         {"acmd1MarketTimingStockSelection.csv", "acmd1MarketTimingReport.html"}) {
        SCOPED_TRACE(file);
        StartNewLog();
        InjectFileFailure(1, TempPath("T-EOD/RESULTS/") + file);
        EXPECT_FALSE(RunAutorunMode());
        InjectFileFailure(0);
        ExpectFlagsDown();
        EXPECT_EQ(RunLog().back(), "Autorun mode - Error - Market Timing report was not written!");
        EXPECT_TRUE(LogLinesStarting({"Autorun mode - Market Timing - End."}).empty());
    }
}

TEST_F(UnattendedRunsTest, ACalculationWhoseReportCannotBeWrittenFailsTheRunWithWhy) {
    door_.display = false;  // the messages are logged
    // No stock's day money is positive on the last days: the two stocks of 50 days have no row
    // on the last five, and the three that have them, with five days each, are too short for
    // the history. Nothing is loaded; the basket stays empty.
    const auto generated = GenerateEod("T", 5, 55);
    for (size_t s = 0; s < generated.files.size(); ++s) {
        std::istringstream in(ReadFile(generated.files[s]));
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line + "\n");
        const size_t from = s < 2 ? 1 : lines.size() - 5;
        const size_t to = s < 2 ? lines.size() - 5 : lines.size();
        std::string text = lines[0];
        for (size_t k = from; k < to; ++k) text += lines[k];
        WriteFile(generated.files[s], text);
    }
    WriteAutorunSet("T", {"CreateHistory = YES", "MarketSwinging = YES", "MarketTiming = YES"});
    EXPECT_FALSE(RunAutorunMode());
    ExpectFlagsDown();
    const std::string why =
        "Market Swinging report was not written: the Stock Basket is empty "
        "(no stock has a positive day money on the last days)!";
    auto log = RunLog();
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(log[log.size() - 4], "Autorun mode - Market Swinging - Start.");
    EXPECT_EQ(log[log.size() - 2], "Autorun mode - Error - " + why);
    EXPECT_EQ(log.back(), "Message: " + why);
    EXPECT_TRUE(ListDirectory(TempPath("T-EOD/RESULTS/"), "*", EntryKind::Files).empty());

    // A trading log without rallies: its report would only say "No trading periods found!".
    GenerateEod("T", 3, 60);
    StartNewLog();
    AnalysisCommands.GenerateCrossingAboveOptimalLevelTSignalsFromSelectedCurveForSB =
        [](std::int16_t&) { RallyCount = 0; };
    EXPECT_FALSE(RunAutorunMode());
    ExpectFlagsDown();
    log = RunLog();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2],
              "Autorun mode - Error - Market Swinging report was not written: No trading "
              "periods found!");
    EXPECT_TRUE(ListDirectory(TempPath("T-EOD/RESULTS/"), "*.html", EntryKind::Files).empty());
}

TEST_F(UnattendedRunsTest, ARunOfASetThatAnotherRunHoldsIsRefusedAtOnce) {
    door_.display = false;  // the messages are logged
    GenerateEod("T", 3, 40);
    WriteAutorunSet("T", {"CreateHistory = YES"});
    ASSERT_TRUE(RunAutorunMode());
    const std::string database = TempPath("T-EOD/History.mdb");
    const std::string before = ReadFile(database);
    WriteFile(TempPath("T.dwnresult"), "OK\r\n");  // the other run's download result

    // The other run (another process, as far as the lock goes) downloads and rebuilds the set.
    const FolderLock other(TempPath("T-EOD/"));
    ASSERT_TRUE(other.held());
    WriteAutorunSet("T", {"DownloadEOD = YES", "CreateHistory = YES", "MarketTiming = YES"});
    PlayDownloader("OK\r\n");
    const auto expectRefused = [this] {
        ExpectFlagsDown();
        const std::string folder = TempPath("T-EOD/");
        const auto log = RunLog();
        ASSERT_EQ(log.size(), 3u);
        EXPECT_EQ(
            log[1],
            "Autorun mode - Error - The data folder is in use by another run or import: " + folder);
        EXPECT_EQ(log[2], "Message: The data folder is in use by another run or import! " + folder);
    };
    StartNewLog();
    EXPECT_FALSE(RunAutorunMode());
    expectRefused();
    EXPECT_TRUE(door_.CallsOf("watch").empty());
    // A run that only loads is refused too: its load would empty RESULTS, where the other run
    // writes its reports.
    const std::string report = TempPath("T-EOD/RESULTS/acmd5MarketSpecialSwingingReport.html");
    WriteFile(report, "the other run's report");
    StartNewLog();
    RunAutorunLoadHistory();
    expectRefused();
    EXPECT_EQ(ReadFile(report), "the other run's report");
    EXPECT_EQ(ReadFile(TempPath("T.dwnresult")), "OK\r\n");
    EXPECT_EQ(ReadFile(database), before);
}

TEST_F(UnattendedRunsTest, AnEndOfTheProgramDuringARunFailsItAndEndsItsDownloader) {
    door_.display = false;
    WriteAutorunSet("T", {"DownloadEOD = YES", "CreateHistory = YES"});
    door_.watchedProgramRunsMs = -1;  // a downloader that works on and on
    struct Case {
        void (*end)();
        const char* line;
    };
    for (const Case& c :
         {Case{EndProgramOnSignal, "The run was stopped by a signal!"},
          Case{mnuEndOfProgram_Click, "The run was stopped by the end of the program!"}}) {
        SCOPED_TRACE(c.line);
        StartNewLog();
        const size_t stops = door_.CallsOf("stop").size();
        door_.OnYield(20, c.end);  // in the download wait
        int status = -1;
        try {
            RunAutorunMode();
        } catch (const testing::ProcessEnded& e) {
            status = e.status;
        }
        EXPECT_EQ(status, 1);
        ExpectFlagsDown();
        const auto log = LogTexts();
        ASSERT_GE(log.size(), 4u);
        EXPECT_EQ(log[log.size() - 4], "Autorun mode - Downloading - Start.");
        EXPECT_EQ(log[log.size() - 3], std::string("Autorun mode - Error - ") + c.line);
        EXPECT_EQ(log[log.size() - 2], "Autorun mode - Ending Tarquel, which still runs.");
        EXPECT_EQ(log.back(), "Exiting Vellicor.");
        ASSERT_EQ(door_.CallsOf("stop").size(), stops + 1);
        EXPECT_EQ(door_.CallsOf("stop").back().text, TempPath("Tarquel"));
        EXPECT_FALSE(door_.ProgramRunning(door_.LastWatchedProgram()));
    }
    // Without a run, a signal is the end command; without a display it is no success either.
    for (const bool display : {true, false}) {
        door_.display = display;
        int status = -1;
        try {
            EndProgramOnSignal();
        } catch (const testing::ProcessEnded& e) {
            status = e.status;
        }
        EXPECT_EQ(status, display ? 0 : 1);
    }
}

TEST_F(UnattendedRunsTest, AFailedRebuildKeepsTheSetsEarlierHistory) {
    door_.display = false;  // the messages are logged
    GenerateEod("T", 3, 40);
    WriteAutorunSet("T", {"CreateHistory = YES"});
    RunAutorunMode();
    ASSERT_EQ(LoadedSymbolCount, 3);
    // The next download brought nothing: the old database stays and the run ends.
    for (const auto& f : ListDirectory(TempPath("T-EOD/"), "*.csv", EntryKind::Files))
        fs::remove(TempPath("T-EOD/" + f));
    const auto before = fs::last_write_time(TempPath("T-EOD/History.mdb"));
    RunAutorunMode();
    ExpectFlagsDown();
    EXPECT_EQ(fs::last_write_time(TempPath("T-EOD/History.mdb")), before);
    EXPECT_EQ(RunLog().back().rfind("Message: Missing EOD history data!", 0), 0u);
}

TEST_F(UnattendedRunsTest, ARebuildThatStopsWithItsOwnErrorIsNotReportedAsMissingData) {
    door_.display = false;  // the messages are logged
    GenerateEod("T", 3, 40);
    WriteAutorunSet("T", {"CreateHistory = YES"});
    InjectOpenFailure(1);  // the new database cannot be opened for the import
    EXPECT_FALSE(RunAutorunMode());
    InjectOpenFailure(0);
    ExpectFlagsDown();
    const auto log = RunLog();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[log.size() - 3].rfind("Message: Vellicor error handler: ", 0), 0u);
    EXPECT_NE(log[log.size() - 3].find("unable to open database file: "), std::string::npos);
    EXPECT_EQ(log[log.size() - 2], "Autorun mode - Creating History.mdb - End.");
    EXPECT_EQ(log.back(),
              "Autorun mode - Creating History.mdb - Error - History.mdb was not built!");
    EXPECT_TRUE(LogLinesStarting({"Message: Missing EOD"}).empty());
}

TEST_F(UnattendedRunsTest, ADatabaseThatDoesNotLoadEndsTheRunAndKeepsTheMainWindow) {
    WriteAutorunSet("T", {"MarketTiming = YES"});
    fs::create_directories(TempPath("T-EOD"));
    WriteFile(TempPath("T-EOD/History.mdb"), "not a database");
    SetMainLabel(MainLabel::LoadedStockData, "/earlier/History.mdb");
    SetHistoryCommandsEnabled(true);
    RunAutorunMode();
    ExpectFlagsDown();
    EXPECT_EQ(RunLog().back(), "Autorun mode - Error - History.mdb was not loaded!");
    EXPECT_EQ(MainLabelText(MainLabel::LoadedStockData), "/earlier/History.mdb");
    EXPECT_TRUE(HistoryCommandsEnabled());
    EXPECT_EQ(ChartWindowWidget(), nullptr);  // no chart window for a history not loaded
}

TEST_F(UnattendedRunsTest, TheDemonstrationTimesTheLast252DaysOfTheProgramFoldersHistory) {
    RunDemonstrationMode();  // no History.mdb: a beep and the start line
    EXPECT_EQ(door_.Beeps(), 1);
    EXPECT_EQ(RunLog(), std::vector<std::string>{"Demonstration mode - Start."});
    ExpectFlagsDown();

    GenerateEod("Demo", 4, 300);
    door_.QueueMessageAnswer(MsgAnswer::OK);  // "End of historical data importing!"
    ASSERT_TRUE(WriteDemonstrationSet("Demo"));
    SetParameterDefaults();
    StartNewLog();
    RunDemonstrationMode();
    ExpectFlagsDown();
    EXPECT_EQ(RunLog(), (std::vector<std::string>{
                            "Demonstration mode - Start.",
                            "Demonstration mode - Loading History.mdb",
                            "Demonstration mode - Showing charts.",
                            "Autorun mode - Setting charts range.",
                            "Demonstration mode - Market Timing - Start.",
                            "Demonstration mode - Market Timing - End.",
                            "Demonstration mode - End.",
                        }));
    EXPECT_EQ(HistoryDatabasePath, TempPath("History.mdb"));
    EXPECT_EQ(ResultsFolderPath, TempPath("RESULTS/"));
    EXPECT_EQ(ChartFrom1.toDouble(), 300.0 - 251.0);
    EXPECT_EQ(BasketCount, 4);
    EXPECT_TRUE(Exists(TempPath("RESULTS/acmd1MarketTimingReport.html")));
    EXPECT_EQ(PagesShown(), std::vector<std::string>{"acmd1MarketTimingReport.html"});

    // The program folder is the demonstration's data folder: while another process holds it,
    // the demonstration, whose load would empty its RESULTS, is refused.
    const FolderLock other(ProgramFolderPath);
    ASSERT_TRUE(other.held());
    StartNewLog();
    door_.QueueMessageAnswer(MsgAnswer::OK);
    RunDemonstrationMode();
    ExpectFlagsDown();
    EXPECT_EQ(RunLog(), (std::vector<std::string>{
                            "Demonstration mode - Start.",
                            "Demonstration mode - Error - The data folder is in use by another "
                            "run or import: " +
                                ProgramFolderPath,
                        }));
    EXPECT_EQ(Messages().back(),
              "The data folder is in use by another run or import!\r\n" + ProgramFolderPath);
    EXPECT_TRUE(Exists(TempPath("RESULTS/acmd1MarketTimingReport.html")));
}

TEST_F(UnattendedRunsTest, TheLoadOnlyRunLoadsShowsAndFillsWithoutCalculating) {
    GenerateEod("T", 3, 50);
    WriteAutorunSet("T", {"CreateHistory = YES"});
    RunAutorunMode();
    ASSERT_EQ(LoadedSymbolCount, 3);
    fs::remove(TempPath("T.eodurls"));
    fs::remove(TempPath("T.eodstru"));
    WriteAutorunSet("T", {"MarketTiming = YES", "LastDaysMax = 2.5", "defPastDays = 30"}, false,
                    false);
    ClearStockBasket();
    StartNewLog();
    SilentMode = -1;  // the load-only run leaves it as it finds it
    AutoRunFileName = "";
    SetAutorunList({"T.autorun"});
    mnuLoad_Click();
    EXPECT_EQ(RunLog(), (std::vector<std::string>{
                            "Loading History.mdb - Start.",
                            "Autorun mode - Loading History.mdb",
                            "Autorun mode - Showing charts.",
                            "Autorun mode - Setting charts range.",
                            "Loading History.mdb - End.",
                        }));
    EXPECT_EQ(AutoRunMode, 0);
    EXPECT_EQ(SilentMode, -1);
    EXPECT_EQ(BasketCount, 3);
    EXPECT_EQ(ChartFrom1.toDouble(), 49.0);  // 2.5 days are 2
    EXPECT_EQ(defPastDays, 30);
    EXPECT_FALSE(Exists(TempPath("T-EOD/RESULTS/acmd1MarketTimingReport.html")));

    // Without the set's database: the message (logged without a display), and both flags down.
    door_.display = false;
    fs::remove(TempPath("T-EOD/History.mdb"));
    RunAutorunLoadHistory();
    ExpectFlagsDown();
    EXPECT_EQ(RunLog().back(), "Message: There is no History.mdb to load!");
}

TEST_F(UnattendedRunsTest, ARunStartedWhileAnotherRunsOrACommandWorksOnlyBeeps) {
    GenerateEod("T", 3, 40);
    WriteAutorunSet("T", {"DownloadEOD = YES", "CreateHistory = YES"});
    PlayDownloader("OK\r\n");
    bool triedAgain = false;
    door_.OnYield(3, [&] {
        triedAgain = true;
        RunAutorunMode();
        RunDemonstrationMode();
        RunAutorunLoadHistory();
    });
    RunAutorunMode();
    EXPECT_TRUE(triedAgain);
    EXPECT_EQ(door_.Beeps(), 3);
    EXPECT_EQ(door_.CallsOf("watch").size(), 1u);
    EXPECT_EQ(RunLog().back(), "Autorun mode - End.");

    BusyGuard busy;
    RunAutorunMode();
    EXPECT_EQ(door_.Beeps(), 4);
}

TEST_F(UnattendedRunsTest, AnErrorThatStopsTheRunStillLeavesBothFlagsDown) {
    WriteAutorunSet("T", {"DownloadEOD = YES"});
    door_.onWatchedProgram = [](const std::string&, const std::vector<std::string>&) {
        throw std::runtime_error("no process slots");
    };
    door_.QueueMessageAnswer(MsgAnswer::OK);  // the error handler's box, after the run
    AutoRunFileName = "";
    SetAutorunList({"T.autorun"});
    mnuAutorun_Click();
    ExpectFlagsDown();
    EXPECT_EQ(RunLog().back(), "Autorun mode - Error - Downloading stopped with an error!");
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find("no process slots"), std::string::npos);
}

}  // namespace
}  // namespace vel
