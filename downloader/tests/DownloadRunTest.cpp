// The download run against the loopback server: dispatch over five controls, retries by
// list kind, break, quit and resume, lists of 0, 1 and 10000 URLs, refused lines, and the
// automatic run with its result file.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <filesystem>

#include "AppState.h"
#include "DownloadForm.h"
#include "DownloaderFixture.h"
#include "DownloaderState.h"
#include "FolderLock.h"
#include "TestHttpServer.h"
#include "TestNginx.h"
#include "WholeFile.h"

namespace vel {
namespace {

namespace fs = std::filesystem;
using testing::HttpBehaviour;
using testing::Page;
using testing::Stalled;
using testing::TestHttpServer;
using testing::TestNginx;

// An answer that breaks off after its first bytes: an attempt in error every time.
HttpBehaviour Broken() {
    HttpBehaviour b;
    b.body = "0123456789";
    b.truncateAt = 3;
    return b;
}

// The list entry "F<i>.csv=<folder><i>" of WriteList.
std::string NumberedEntry(int i, const std::string& folder) {
    const std::string n = std::to_string(i);
    std::string entry = "F";
    entry += n;
    entry += ".csv=";
    entry += folder;
    entry += n;
    return entry;
}

class DownloadRunTest : public testing::DownloaderFixture {
protected:
    void SetUp() override {
        DownloaderFixture::SetUp();
        form = std::make_unique<DownloadForm>();
        form->endProgram = [this](int status) { ended.push_back(status); };
    }
    void TearDown() override {
        form.reset();
        DownloaderFixture::TearDown();
    }
    // Writes a list in the program folder: each entry "name=path" becomes a line "SaveTo(name):"
    // with the server's URL of the path; other lines are written as they are.
    void WriteList(const std::string& listName, const std::vector<std::string>& lines) {
        std::string text;
        for (const auto& l : lines) {
            const size_t eq = l.find('=');
            if (eq != std::string::npos && l.rfind("SaveTo(", 0) != 0)
                text += "SaveTo(" + l.substr(0, eq) + "):" + server.Url(l.substr(eq + 1)) + "\r\n";
            else
                text += l + "\r\n";
        }
        WriteFile(TempPath(listName), text);
    }
    // Writes a list of `count` lines "SaveTo(<i>.html):" with the URL of prefix & i on the server.
    void WriteNumberedList(const std::string& listName, const TestHttpServer& on,
                           const std::string& prefix, int count) {
        std::string text;
        for (int i = 1; i <= count; ++i)
            text += "SaveTo(" + std::to_string(i) + ".html):" + on.Url(prefix + std::to_string(i)) +
                    "\r\n";
        WriteFile(TempPath(listName), text);
    }
    // Chooses the list in the window and starts a manual run; waits for its end while the
    // server keeps receiving requests.
    bool RunManual(const std::string& listName) {
        form->Form_Load();
        form->SetUrlListText(listName);
        form->mnuStartDownloading_Click();
        return RunUntil([&] { return !form->IsRunning(); }, kHangGuardMs,
                        [&] { return server.Requests(); });
    }
    // Sets up an automatic run of the list with a result file (and the save folder, if any).
    void PrepareAutomatic(const std::string& listName, const std::string& saveFolder = "",
                          const std::string& maxCount = "9999") {
        AutomationMode = 1;
        AutoRunMode = 1;
        AutomationListPath = TempPath(listName);
        AutomationSaveFolder = saveFolder;
        AutomationResultPath = TempPath("Run.dwnresult");
        AutomationMaxURLCount = maxCount;
        AutomationResultText = "ERROR";
    }
    bool RunAutomatic() {
        form->Form_Load();
        form->mnuStartDownloading_Click();
        return RunUntil([&] { return !ended.empty(); });
    }
    std::string Result() { return ReadFile(TempPath("Run.dwnresult")); }
    // The entries of a folder without the note file of the list.
    std::vector<std::string> Downloaded(const std::string& folder, const std::string& note) {
        std::vector<std::string> names;
        for (const auto& n : ListDirectoryNames(TempPath(folder)))
            if (n != note) names.push_back(n);
        return names;
    }

    TestHttpServer server;
    std::unique_ptr<DownloadForm> form;
    std::vector<int> ended;
};

TEST_F(DownloadRunTest, AListOfThreeLinesAndTwoCommentsDownloadsThree) {
    server.Route("/1", Page("one"));
    server.Route("/2", Page("two\r\n"));
    server.Route("/3", Page(""));
    WriteList("Daily.eodurls", {"; a comment", "A.csv=/1", "  saveto(B.csv):" + server.Url("/2"),
                                "* another", "C.csv=/3"});
    ASSERT_TRUE(RunManual("Daily.eodurls"));
    EXPECT_EQ(ReadFile(TempPath("Daily-EOD/A.csv")), "one");
    EXPECT_EQ(ReadFile(TempPath("Daily-EOD/B.csv")), "two\r\n");
    EXPECT_EQ(ReadFile(TempPath("Daily-EOD/C.csv")), "");
    EXPECT_EQ(ReadFile(TempPath("Daily-EOD/Daily.eodurls")),
              "New content of this folder was downloaded by using this list of URLs : \r\n" +
                  TempPath("Daily.eodurls") + "\r\n");
    EXPECT_EQ(LogCount("Start downloading URL="), 3);
    EXPECT_EQ(LogCount("Attempt= 1 Saved URL="), 3);
    EXPECT_EQ(form->StatusText(), " End of downloading!");
    EXPECT_EQ(door_.Beeps(), 1);
    // The three went to controls 1 to 3, numbered 1 to 3 of 3.
    EXPECT_EQ(form->Control(1).labUrlNum, "1 of\r\n     3");
    EXPECT_EQ(form->Control(3).labUrlNum, "3 of\r\n     3");
    EXPECT_EQ(form->Control(4).ProcessResult, 0);
    // Manual mode writes no result file.
    EXPECT_TRUE(ended.empty());
}

TEST_F(DownloadRunTest, AFailingUrlIsTriedAsOftenAsItsListKindAllows) {
    server.Route("/fail", Broken());
    WriteList("E.eodurls", {"X.csv=/fail"});
    ASSERT_TRUE(RunManual("E.eodurls"));
    EXPECT_EQ(server.RequestsFor("/fail"), 5);
    EXPECT_EQ(form->Control(1).PassCount, 5);
    EXPECT_EQ(form->Control(1).labAttempt, " 5/5");
    server.ResetCounts();
    WriteList("H.htmurls", {"X.html=/fail"});
    ASSERT_TRUE(RunManual("H.htmurls"));
    EXPECT_EQ(server.RequestsFor("/fail"), 3);
    // A list of neither kind, with the folder of an automatic run, tries once. Given up with
    // one log line: no file, and the run still ends with "OK".
    server.ResetCounts();
    WriteList("Plain.list", {"X.txt=/fail"});
    PrepareAutomatic("Plain.list", TempPath("Out/"));
    ASSERT_TRUE(RunAutomatic());
    EXPECT_EQ(server.RequestsFor("/fail"), 1);
    EXPECT_EQ(Downloaded("Out", "Plain.list"), std::vector<std::string>{});
    EXPECT_EQ(Result(), "OK\r\n");
    EXPECT_EQ(LogCount("Attempt="), 0);
    EXPECT_EQ(LogCount("Given up after attempt 5 URL=" + server.Url("/fail")), 1);
    EXPECT_EQ(LogCount("Given up after attempt 3 URL=" + server.Url("/fail")), 1);
    EXPECT_EQ(LogCount("Given up after attempt 1 URL=" + server.Url("/fail")), 1);
}

// A failed attempt is restarted after a pause on the door's clock, 1 s and then twice as long
// each time, during which its control holds a single timer and the other URLs go on: a server
// that is down for a little more than a second still gives its file.
TEST_F(DownloadRunTest, AFailedAttemptIsRetriedAfterAPauseThatDoubles) {
    ctlURLDownload::SetFirstRetryPauseMs(ctlURLDownload::kFirstRetryPauseMs);
    HttpBehaviour down;
    down.closeWithoutAnswer = true;
    server.Route("/eod", down);
    server.Route("/other", Page("other"));
    WriteList("E.eodurls", {"E.csv=/eod", "O.csv=/other"});
    form->Form_Load();
    form->SetUrlListText("E.eodurls");
    form->mnuStartDownloading_Click();
    // Waits until attempt n has failed and the control waits on its pause.
    const auto paused = [&](int n) {
        return RunUntil([&] {
            return LogCount("Failed attempt") == n && form->Control(1).ProcessResult == 1 &&
                   Exists(TempPath("E-EOD/O.csv")) && door_.PendingTimers() == 1;
        });
    };
    // Curl itself may send a request again once on a fresh connection where a kept one was
    // closed: attempts are counted by the control.
    ASSERT_TRUE(paused(1));
    int requests = server.RequestsFor("/eod");
    door_.AdvanceMs(999);
    RunFor(50);
    EXPECT_EQ(server.RequestsFor("/eod"), requests);
    EXPECT_EQ(form->Control(1).PassCount, 2);
    door_.AdvanceMs(1);
    ASSERT_TRUE(paused(2));
    requests = server.RequestsFor("/eod");
    door_.AdvanceMs(1999);
    RunFor(50);
    EXPECT_EQ(server.RequestsFor("/eod"), requests);
    EXPECT_EQ(form->Control(1).PassCount, 3);
    server.Route("/eod", Page("data"));
    door_.AdvanceMs(1);
    ASSERT_TRUE(RunUntil([&] { return !form->IsRunning(); }));
    EXPECT_EQ(ReadFile(TempPath("E-EOD/E.csv")), "data");
    EXPECT_EQ(LogCount("Attempt= 3 Saved URL=" + server.Url("/eod")), 1);
}

// A host whose answers are 429, 502, 503 or 504 is busy or down for the moment: such an answer
// is a failed attempt, tried again and never saved, where another status is content (a 500 page
// too, as it came).
TEST_F(DownloadRunTest, TransientStatusesAreFailedAttemptsAndNeverSaved) {
    for (const int status : {429, 502, 503, 504, 500}) {
        const std::string path = "/s" + std::to_string(status);
        server.Route(path, Page("the server's page", status));
        WriteList("T.eodurls", {"T.csv=" + path});
        fs::remove_all(TempPath("T-EOD"));
        ASSERT_TRUE(RunManual("T.eodurls")) << status;
        const bool content = status == 500;
        EXPECT_EQ(server.RequestsFor(path), content ? 1 : 5) << status;
        EXPECT_EQ(Exists(TempPath("T-EOD/T.csv")), content) << status;
        EXPECT_EQ(LogCount("Failed attempt 1 (HTTP " + std::to_string(status) + ") URL="),
                  content ? 0 : 1);
    }
}

class DownloadOutageTest : public DownloadRunTest {
protected:
    void SetUp() override {
        DownloadRunTest::SetUp();
        ctlURLDownload::SetFirstRetryPauseMs(ctlURLDownload::kFirstRetryPauseMs);
    }
    void TearDown() override {
        InjectFullDisk(false);
        DownloadForm::SetOutageTimings(DownloadForm::kFirstProbePauseMs,
                                       DownloadForm::kOutageBudgetMs);
        DownloadRunTest::TearDown();
    }
    // Starts a manual run of the list; `emptying`: its folder holds files, which go.
    void Start(const std::string& listName, bool emptying = false) {
        form->Form_Load();
        form->SetUrlListText(listName);
        if (emptying) door_.QueueMessageAnswer(MsgAnswer::Yes);
        form->mnuStartDownloading_Click();
    }
    // The controls whose attempt is under way (not waiting on a pause): a transfer, or the
    // saving of its file.
    int Busy() const {
        int n = 0;
        for (int c = 1; c <= DownloadForm::kControlCount; ++c) {
            const ctlURLDownload& control = form->Control(c);
            n += control.ProcessResult == 1 && !control.IsPausing();
        }
        return n;
    }
    // Lets the events of the clock's last step run out: every attempt under way has ended, or
    // (`stalls`: of a server that never answers) waits at the server.
    bool Settle(bool stalls = false) {
        QCoreApplication::processEvents();
        return RunUntil([&] { return Busy() == (stalls ? server.InFlight() : 0); });
    }
    // Steps the door's clock until the run ends; how far it went, -1 past the limit.
    std::int64_t StepUntilEnded(std::int64_t limitMs, std::int64_t stepMs = 500,
                                bool stalls = false) {
        std::int64_t advanced = 0;
        for (; form->IsRunning(); advanced += stepMs) {
            if (advanced > limitMs || !Settle(stalls)) return -1;
            door_.AdvanceMs(stepMs);
        }
        return advanced;
    }
    std::string Origin(quint16 port) const { return "http://127.0.0.1:" + std::to_string(port); }
    // The number of log entries from entry `from` on that begin with the text.
    int CountSince(size_t from, const std::string& prefix) const {
        const std::vector<std::string> all = LogTexts();
        return static_cast<int>(
            std::count_if(all.begin() + static_cast<std::ptrdiff_t>(from), all.end(),
                          [&](const std::string& t) { return t.rfind(prefix, 0) == 0; }));
    }
    // The log's last lines, for a failure's message.
    std::string LogTail(size_t lines = 40) const {
        const std::vector<std::string> all = LogTexts();
        std::string tail;
        for (size_t i = all.size() > lines ? all.size() - lines : 0; i < all.size(); ++i)
            tail += all[i] + "\n";
        return tail;
    }
    const std::string origin_ = Origin(server.port());
};

// An outage of the host holds its URLs: once three attempts of more than one URL failed in a row,
// no attempt goes to it but one probe at growing intervals, and the probe that saves its file
// ends the outage and sends every URL again, so that an outage within the budget costs no file,
// whether the server closes its connections or answers 503.
TEST_F(DownloadOutageTest, AnOutageWithinTheBudgetCostsNoFile) {
    HttpBehaviour closing;
    closing.closeWithoutAnswer = true;
    for (const HttpBehaviour& down : {closing, Page("busy", 503)}) {
        const size_t logged = LogTexts().size();
        server.ResetCounts();
        const auto route = [&](const HttpBehaviour& b) {
            for (int i = 1; i <= 20; ++i) server.Route("/p/" + std::to_string(i), b);
        };
        route(down);
        WriteNumberedList("O.eodurls", server, "/p/", 20);
        Start("O.eodurls", fs::exists(TempPath("O-EOD")));
        const std::string began =
            "Outage of " + origin_ + " after 3 failed attempts in a row: its URLs wait";
        ASSERT_TRUE(RunUntil([&] { return CountSince(logged, began) == 1 && Busy() == 0; }));
        // The URLs that failed, and those whose pause was running, wait with all the others.
        const int failed = CountSince(logged, "Failed attempt");
        EXPECT_LE(failed, 5);
        for (int c = 1; c <= DownloadForm::kControlCount; ++c)
            EXPECT_NE(form->Control(c).ProcessResult, 1) << c;
        RunFor(100);
        EXPECT_EQ(CountSince(logged, "Failed attempt"), failed);
        // One probe after a second, the next two seconds later; then the server is back.
        door_.AdvanceMs(DownloadForm::kFirstProbePauseMs);
        ASSERT_TRUE(RunUntil([&] { return CountSince(logged, "Failed attempt") == failed + 1; }));
        ASSERT_TRUE(Settle());
        door_.AdvanceMs(2 * DownloadForm::kFirstProbePauseMs - 1);
        RunFor(50);
        EXPECT_EQ(CountSince(logged, "Failed attempt"), failed + 1);
        route(Page("data"));
        door_.AdvanceMs(1);
        ASSERT_TRUE(RunUntil([&] { return !form->IsRunning(); })) << LogTail();
        int whole = 0;
        for (int i = 1; i <= 20; ++i)
            whole += ReadFile(TempPath("O-EOD/" + std::to_string(i) + ".html")) == "data";
        EXPECT_EQ(whole, 20);
        EXPECT_EQ(CountSince(logged, "Outage of " + origin_ + " ended: 19 waiting URLs go again."),
                  1);
        EXPECT_EQ(CountSince(logged, "Given up"), 0);
        // The first round, two probes, and the 19 URLs that waited, each with all its attempts.
        EXPECT_EQ(CountSince(logged, "Start downloading URL="), 5 + 2 + 19);
        EXPECT_EQ(CountSince(logged, "Attempt= 1 Saved URL="), 20);
    }
}

// A host that refuses every connection costs the run its budget, however many URLs it has: the
// URLs of a live host between its URLs go on meanwhile, and once the budget is spent the dead
// host's remaining URLs are given up without an attempt, each logged.
TEST_F(DownloadOutageTest, AHostThatStaysDownCostsTheRunItsBudgetAndNoMore) {
    server.RoutePrefix("/live/", Page("live"));
    const std::string dead = Origin(server.RefusingPort());
    std::string list;
    for (int i = 1; i <= 40; ++i)
        list +=
            "SaveTo(" + std::to_string(i) + ".csv):" +
            (i % 2 ? server.Url("/live/" + std::to_string(i)) : dead + "/" + std::to_string(i)) +
            "\r\n";
    WriteFile(TempPath("D.eodurls"), list);
    Start("D.eodurls");
    const std::int64_t took = StepUntilEnded(DownloadForm::kOutageBudgetMs + 5000);
    ASSERT_GE(took, 0) << LogTail();
    EXPECT_GE(took, DownloadForm::kOutageBudgetMs - 1000);
    for (int i = 1; i <= 40; i += 2)
        EXPECT_EQ(ReadFile(TempPath("D-EOD/" + std::to_string(i) + ".csv")), "live") << i;
    EXPECT_EQ(Downloaded("D-EOD", "D.eodurls").size(), 20u);
    EXPECT_EQ(LogCount("Outage of " + dead +
                       " lasted its budget of 60 s: its remaining URLs are "
                       "given up."),
              1);
    // Every dead URL is given up once, by its attempts or in the outage.
    EXPECT_EQ(LogCount("Given up in the outage of " + dead + " URL=") +
                  LogCount("Given up after attempt"),
              20);
    // A few attempts and about a probe every 8 s, where every URL would have paid 5 attempts.
    EXPECT_LE(LogCount("Failed attempt"), 5 + 2 + 15);
    EXPECT_EQ(form->StatusText(), " End of downloading!");
}

// A host that takes connections and never answers: the first attempts wait their deadline, the
// outage begins, one probe waits its deadline too, and the budget is spent by then.
TEST_F(DownloadOutageTest, AHostThatNeverAnswersEndsTheRunAfterTwoDeadlines) {
    server.RoutePrefix("/silent/", Stalled());
    WriteNumberedList("S.htmurls", server, "/silent/", 12);
    Start("S.htmurls");
    const std::int64_t deadline = DownloadForm::kProcessTimeOut * 1000;
    const std::int64_t took = StepUntilEnded(2 * deadline + 10000, 1000, true);
    ASSERT_GE(took, 0);
    EXPECT_LE(took, 2 * deadline + DownloadForm::kFirstProbePauseMs + 1000);
    EXPECT_EQ(LogCount("Failed attempt"), 5 + 1);
    EXPECT_EQ(LogCount("Given up in the outage of " + origin_ + " URL="), 12);
    EXPECT_EQ(server.Requests(), 6);
}

// A save folder that takes no file (a full disk) is an outage of the run: every URL waits, one
// is tried at growing intervals, and once the budget is spent every remaining URL is given up,
// where each would have paid its pauses.
TEST_F(DownloadOutageTest, ASaveFolderThatTakesNoFileCostsTheRunItsBudget) {
    server.RoutePrefix("/f/", Page("file"));
    WriteNumberedList("F.eodurls", server, "/f/", 30);
    fs::create_directories(TempPath("F-EOD"));
    InjectFullDisk(true);
    Start("F.eodurls");
    const std::int64_t took = StepUntilEnded(DownloadForm::kOutageBudgetMs + 5000);
    ASSERT_GE(took, 0);
    EXPECT_GE(took, DownloadForm::kOutageBudgetMs - 1000);
    EXPECT_EQ(LogCount("Outage of the save folder " + TempPath("F-EOD/") +
                       " after 3 files in a row that could not be saved"),
              1);
    EXPECT_EQ(
        LogCount("Given up in the outage of the save folder ") + LogCount("Given up after attempt"),
        30);
    EXPECT_LE(server.Requests(), 5 + 2 + 15);
    EXPECT_EQ(Downloaded("F-EOD", "F.eodurls"), std::vector<std::string>{});
}

// A host may fail again after its outage ended: the second outage sends its probes too, the
// probe that was under way when the first one ended being an attempt like the others.
TEST_F(DownloadOutageTest, ASecondOutageOfTheSameHostIsProbedAndEndsToo) {
    server.RoutePrefix("/p/", Page("data"));
    const HttpBehaviour busy = Page("busy", 503);
    server.AnswerAsRoutedOnly(0, busy);
    WriteNumberedList("O.eodurls", server, "/p/", 40);
    Start("O.eodurls");
    const std::string began = "Outage of " + origin_ + " after";
    ASSERT_TRUE(RunUntil([&] { return LogCount(began) == 1 && Busy() == 0; }));
    // The probe is answered and ends the outage; the URLs after it begin the next one.
    server.AnswerAsRoutedOnly(1, busy);
    door_.AdvanceMs(DownloadForm::kFirstProbePauseMs);
    ASSERT_TRUE(RunUntil([&] { return LogCount(began) == 2 && Busy() == 0; })) << LogTail();
    server.AnswerAsRoutedOnly(-1);
    ASSERT_GE(StepUntilEnded(DownloadForm::kOutageBudgetMs), 0) << LogTail();
    EXPECT_EQ(Downloaded("O-EOD", "O.eodurls").size(), 40u) << LogTail();
    EXPECT_EQ(LogCount("Given up"), 0) << LogTail();
}

// A server that sheds load (503 to the requests beyond what it takes) goes out and is back at
// the first probe again and again: such outages spend no budget, and no URL is given up however
// often they come, where each would have spent a second of it.
TEST_F(DownloadOutageTest, OutagesThatTheFirstProbeEndsSpendNoBudget) {
    DownloadForm::SetOutageTimings(DownloadForm::kFirstProbePauseMs, 2500);
    server.RoutePrefix("/p/", Page("data"));
    const HttpBehaviour busy = Page("busy", 503);
    server.AnswerAsRoutedOnly(0, busy);
    WriteNumberedList("O.eodurls", server, "/p/", 200);
    Start("O.eodurls");
    const std::string began = "Outage of " + origin_ + " after";
    for (int outage = 1; outage <= 5; ++outage) {
        ASSERT_TRUE(RunUntil([&] { return LogCount(began) == outage && Busy() == 0; }))
            << outage << "\n"
            << LogTail();
        // A probe due at once (a spent budget) would meet the 503.
        door_.AdvanceMs(0);
        ASSERT_TRUE(Settle());
        // The probe is answered; the URLs that go again after it meet the 503 again.
        server.AnswerAsRoutedOnly(1, busy);
        door_.AdvanceMs(DownloadForm::kFirstProbePauseMs);
        ASSERT_TRUE(RunUntil([&] { return LogCount("Outage of " + origin_ + " ended") == outage; }))
            << outage << "\n"
            << LogTail();
    }
    ASSERT_TRUE(RunUntil([&] { return LogCount(began) == 6 && Busy() == 0; }));
    server.AnswerAsRoutedOnly(-1);
    ASSERT_GE(StepUntilEnded(DownloadForm::kOutageBudgetMs), 0) << LogTail();
    EXPECT_EQ(LogCount("Given up"), 0) << LogTail();
    EXPECT_EQ(Downloaded("O-EOD", "O.eodurls").size(), 200u);
}

// The outages of two hosts that end close together, while the window's events run at every
// yield (as in the program): each URL goes again once, and every file arrives.
TEST_F(DownloadOutageTest, OutagesOfTwoHostsThatEndTogetherLoseNoUrl) {
    SetYieldHook([] {
        QThread::msleep(2);
        QCoreApplication::processEvents();
    });
    TestHttpServer other;
    HttpBehaviour closing;
    closing.closeWithoutAnswer = true;
    const auto route = [&](TestHttpServer& on, const HttpBehaviour& b) {
        for (int i = 1; i <= 40; ++i) on.Route("/p/" + std::to_string(i), b);
    };
    route(server, closing);
    route(other, closing);
    std::string list;
    for (int i = 1; i <= 40; ++i)
        list += "SaveTo(" + std::to_string(i) +
                ".html):" + (i % 2 ? other : server).Url("/p/" + std::to_string(i)) + "\r\n";
    WriteFile(TempPath("O.eodurls"), list);
    Start("O.eodurls");
    ASSERT_TRUE(RunUntil([&] { return LogCount("Outage of ") == 2 && Busy() == 0; })) << LogTail();
    route(server, Page("data"));
    route(other, Page("data", 200, 25));
    const std::int64_t took = StepUntilEnded(DownloadForm::kOutageBudgetMs);
    SetYieldHook(nullptr);
    ASSERT_GE(took, 0) << LogTail();
    for (int i = 1; i <= 40; ++i)
        EXPECT_EQ(ReadFile(TempPath("O-EOD/" + std::to_string(i) + ".html")), "data") << i;
    EXPECT_EQ(LogCount("Attempt= 1 Saved URL="), 40) << LogTail(100);
}

// A break while a probe starts, or while the URLs that waited go again (the window's events run
// at the start's yield): the run ends at once and the form serves the next run.
TEST_F(DownloadOutageTest, ABreakWhileAProbeOrTheWaitingUrlsStartEndsTheRun) {
    HttpBehaviour closing;
    closing.closeWithoutAnswer = true;
    for (const bool probing : {true, false}) {
        const auto route = [&](const HttpBehaviour& b) {
            for (int i = 1; i <= 20; ++i) server.Route("/p/" + std::to_string(i), b);
        };
        route(closing);
        WriteNumberedList("O.eodurls", server, "/p/", 20);
        form = std::make_unique<DownloadForm>();
        form->endProgram = [this](int status) { ended.push_back(status); };
        Start("O.eodurls", fs::exists(TempPath("O-EOD")));
        ASSERT_TRUE(RunUntil(
            [&] { return form->IsRunning() && Busy() == 0 && LogCount("Outage of ") > 0; }));
        const int endedBefore = LogCount("Outage of " + origin_ + " ended");
        if (!probing) route(Page("data"));
        static std::function<void()> breakNow;
        bool broke = false;
        breakNow = [&] {
            // Probing: at the probe's start; else at the start of the first URL that goes again.
            const bool due = form->IsRunning() &&
                             (probing || LogCount("Outage of " + origin_ + " ended") > endedBefore);
            if (broke || !due) return;
            broke = true;
            form->mnuBreakDownloading_Click();
        };
        SetYieldHook([] {
            QCoreApplication::processEvents();
            if (breakNow) breakNow();
        });
        door_.AdvanceMs(DownloadForm::kFirstProbePauseMs);
        const bool sawBreak = RunUntil([&] { return broke; });
        SetYieldHook(nullptr);
        breakNow = nullptr;
        ASSERT_TRUE(sawBreak) << probing << "\n" << LogTail();
        EXPECT_FALSE(form->IsRunning()) << probing;
        RunFor(50);
        EXPECT_FALSE(form->IsRunning()) << probing;
        // The next run of the same form goes to its end.
        route(Page("data"));
        Start("O.eodurls", true);
        ASSERT_TRUE(RunUntil([&] { return !form->IsRunning(); })) << probing;
        EXPECT_EQ(Downloaded("O-EOD", "O.eodurls").size(), 20u) << probing;
    }
}

// The save folder's budget may run out while a host's outage holds an entry under way: that
// entry is given up as it ends, and the run ends.
TEST_F(DownloadOutageTest, TheSaveFoldersSpentBudgetEndsTheOutagesOfHostsToo) {
    server.RoutePrefix("/a/", Page("file"));
    server.RoutePrefix("/silent/", Stalled());
    std::string list;
    for (int i = 1; i <= 3; ++i)
        list += "SaveTo(A" + std::to_string(i) + ".csv):" + server.Url("/a/" + std::to_string(i)) +
                "\r\n";
    for (int i = 1; i <= 5; ++i)
        list += "SaveTo(B" + std::to_string(i) +
                ".csv):" + server.Url("/silent/" + std::to_string(i)) + "\r\n";
    WriteFile(TempPath("F.eodurls"), list);
    InjectFullDisk(true);
    Start("F.eodurls");
    ASSERT_GE(StepUntilEnded(4 * DownloadForm::kOutageBudgetMs, 1000, true), 0) << LogTail();
    EXPECT_EQ(LogCount("Given up in the outage of ") + LogCount("Given up after attempt"), 8)
        << LogTail();
}

// Save names that cannot be files (into a missing subfolder) are the names' own trouble, not an
// outage of the save folder: the good names of the list are saved.
TEST_F(DownloadOutageTest, SaveNamesThatCannotBeFilesAreNoOutageOfTheFolder) {
    server.RoutePrefix("/f/", Page("file"));
    std::string list;
    for (int i = 1; i <= 20; ++i)
        list += "SaveTo(sub/" + std::to_string(i) +
                ".csv):" + server.Url("/f/s" + std::to_string(i)) + "\r\n";
    for (int i = 1; i <= 20; ++i)
        list += "SaveTo(" + std::to_string(i) + ".csv):" + server.Url("/f/" + std::to_string(i)) +
                "\r\n";
    WriteFile(TempPath("F.eodurls"), list);
    Start("F.eodurls");
    ASSERT_GE(StepUntilEnded(10 * DownloadForm::kOutageBudgetMs), 0) << LogTail();
    EXPECT_EQ(LogCount("Outage of "), 0) << LogTail();
    for (int i = 1; i <= 20; ++i)
        EXPECT_EQ(ReadFile(TempPath("F-EOD/" + std::to_string(i) + ".csv")), "file") << i;
    EXPECT_EQ(LogCount("Given up after attempt 5 URL="), 20);
}

// A real nginx on loopback over HTTPS and HTTP/2: the list's transfers go over HTTP/2 and every
// file arrives byte for byte.
TEST_F(DownloadRunTest, AListFromNginxOverHttp2ArrivesWhole) {
    VEL_REQUIRE_NGINX();
    fs::create_directories(TempPath("www"));
    const auto size = [](int i) { return i == 20 ? 3000000 : i * 7919; };
    for (int i = 1; i <= 20; ++i)
        WriteFile(TempPath("www/" + std::to_string(i) + ".csv"), testing::GeneratedBody(size(i)));
    TestNginx nginx;
    ASSERT_TRUE(nginx.Start(TempPath("nginx"), TempPath("www"))) << nginx.Error();
    std::string list;
    for (int i = 1; i <= 20; ++i)
        list += "SaveTo(" + std::to_string(i) +
                ".csv):" + nginx.HttpsUrl("/" + std::to_string(i) + ".csv") + "\r\n";
    WriteFile(TempPath("N.eodurls"), list);
    form->Transport().SetTrustedCertificates(TestHttpServer::TrustedCertificateFile());
    ASSERT_TRUE(RunManual("N.eodurls"));
    for (int i = 1; i <= 20; ++i)
        EXPECT_TRUE(ReadFile(TempPath("N-EOD/" + std::to_string(i) + ".csv")) ==
                    testing::GeneratedBody(size(i)))
            << i;
    EXPECT_EQ(LogCount("Attempt= 1 Saved URL="), 20);
    const std::string log = nginx.AccessLog();
    int http2 = 0;
    for (size_t at = 0; (at = log.find("HTTP/2.0 /", at)) != std::string::npos; ++at) ++http2;
    EXPECT_EQ(http2, 20) << log;
}

TEST_F(DownloadRunTest, ARetryThatSucceedsSavesTheFile) {
    // The first two answers break off; the third brings the whole body.
    HttpBehaviour flaky = Page("0123456789");
    flaky.truncateAt = 4;
    flaky.truncateTimes = 2;
    server.Route("/flaky", flaky);
    WriteList("F.htmurls", {"F.html=/flaky"});
    ASSERT_TRUE(RunManual("F.htmurls"));
    EXPECT_EQ(server.RequestsFor("/flaky"), 3);
    EXPECT_EQ(ReadFile(TempPath("F-HTM/F.html")), "0123456789");
    EXPECT_EQ(LogCount("Attempt= 3 Saved URL="), 1);
}

TEST_F(DownloadRunTest, AtMostFiveTransfersAreInFlight) {
    server.RoutePrefix("/slow/", Page("x", 200, 150));
    std::vector<std::string> lines;
    for (int i = 1; i <= 23; ++i) lines.push_back(NumberedEntry(i, "/slow/"));
    WriteList("Slow.eodurls", lines);
    ASSERT_TRUE(RunManual("Slow.eodurls"));
    EXPECT_EQ(server.MaxInFlight(), 5);
    EXPECT_EQ(server.Requests(), 23);
    EXPECT_EQ(Downloaded("Slow-EOD", "Slow.eodurls").size(), 23u);
}

// A server that sends every head alone and its body a moment later: every file of the list
// arrives whole, none waits for a deadline.
TEST_F(DownloadRunTest, EveryFileArrivesWholeWhenItsHeadAndBodyComeApart) {
    // The window's events run at every yield, as in the program.
    SetYieldHook([] { QCoreApplication::processEvents(); });
    HttpBehaviour apart = Page(testing::GeneratedBody(3000));
    apart.bodyDelayMs = 3;
    server.RoutePrefix("/apart/", apart);
    WriteNumberedList("Apart.htmurls", server, "/apart/", 200);
    ASSERT_TRUE(RunManual("Apart.htmurls"));
    EXPECT_EQ(server.Requests(), 200);
    int whole = 0;
    for (int i = 1; i <= 200; ++i)
        whole += ReadFile(TempPath("Apart-HTM/" + std::to_string(i) + ".html")) ==
                 testing::GeneratedBody(3000);
    EXPECT_EQ(whole, 200);
    EXPECT_EQ(LogCount("Failed attempt"), 0);
}

// The connections of a host are kept for the next pages of the list, over HTTP and over HTTPS:
// 20 pages, five at a time, take at most five connections.
TEST_F(DownloadRunTest, PagesOfOneHostShareAtMostFiveConnections) {
    TestHttpServer tls(TestHttpServer::Security::Tls);
    form->Transport().SetTrustedCertificates(TestHttpServer::TrustedCertificateFile());
    for (TestHttpServer* on : {&server, &tls}) {
        on->RoutePrefix("/p/", Page("page", 200, 20));
        WriteNumberedList("Pages.htmurls", *on, "/p/", 20);
        std::filesystem::remove_all(TempPath("Pages-HTM"));
        ASSERT_TRUE(RunManual("Pages.htmurls"));
        EXPECT_EQ(on->Requests(), 20) << on->Url("");
        EXPECT_EQ(Downloaded("Pages-HTM", "Pages.htmurls").size(), 20u) << on->Url("");
        EXPECT_LE(on->Connections(), 5) << on->Url("");
        EXPECT_EQ(on->MaxInFlight(), 5) << on->Url("");
    }
}

// Fault injection: the 1st, 2nd, ... file operation of the downloads fails, until none fails.
// Each time the failed attempt is tried again, every file ends up whole, and no temporary file
// is left behind.
TEST_F(DownloadRunTest, AFailedWriteAtAnyPointIsRetriedAndLeavesNoHalfFile) {
    const std::vector<std::pair<std::string, std::string>> files = {
        {"Empty.html", ""},
        {"Small.html", "small page"},
        {"Big.html", testing::GeneratedBody(300000)},
        {"Mid.html", testing::GeneratedBody(70000)}};
    std::vector<std::string> lines;
    for (const auto& [name, body] : files) {
        server.Route("/" + name, Page(body));
        lines.push_back(name + "=/" + name);
    }
    WriteList("F.htmurls", lines);
    int failures = 0;
    for (long n = 1; n < 1000; ++n) {
        fs::remove_all(TempPath("F-HTM"));
        const int retriedBefore = LogCount("Attempt= 2 Saved URL=");
        InjectFileFailure(n);
        ASSERT_TRUE(RunManual("F.htmurls"));
        if (InjectFileFailure(0) > 0) break;  // the run ended before its n-th file operation
        ++failures;
        // The first operations write the folder's note: a failure there is logged and costs no
        // download.
        const bool noteWritten = fs::exists(TempPath("F-HTM/F.htmurls"));
        EXPECT_EQ(LogCount("Attempt= 2 Saved URL=") - retriedBefore, noteWritten ? 1 : 0)
            << "failing op " << n;
        EXPECT_EQ(ListDirectoryNames(TempPath("F-HTM")).size(), files.size() + noteWritten) << n;
        for (const auto& [name, body] : files)
            ASSERT_EQ(ReadFile(TempPath("F-HTM/" + name)), body) << name << ", failing op " << n;
    }
    EXPECT_GE(failures, 12);
}

TEST_F(DownloadRunTest, TheLowestNumberedFreeControlGetsTheNextUrl) {
    form->Control(1).ProcessResult = 1;
    form->Control(2).ProcessResult = 0;
    form->Control(3).ProcessResult = 1;
    form->Control(4).ProcessResult = 2;
    form->Control(5).ProcessResult = 1;
    EXPECT_EQ(form->FindFreeDownloader(), &form->Control(2));
    // A failed control with attempts left is restarted, one with none left is free.
    form->Control(2).ProcessResult = 1;
    form->Control(4).ProcessResult = 1;
    ctlURLDownload& used = form->Control(5);
    used.ProcessResult = 3;
    used.PassCount = 3;
    used.PassCountMax = 3;
    EXPECT_EQ(form->FindFreeDownloader(), &used);
    ctlURLDownload& retry = form->Control(3);
    retry.ProcessResult = 3;
    retry.PassCount = 1;
    retry.PassCountMax = 3;
    retry.DownloadURL = "ftp://not.fetched/";
    retry.SaveFilePath = TempPath("R");
    form->FindFreeDownloader();
    EXPECT_EQ(retry.PassCount, 2);
}

TEST_F(DownloadRunTest, BreakCancelsEveryTransferAndResumeSkipsWhatWasSaved) {
    server.Route("/1", Page("one"));
    server.Route("/2", Page("two"));
    for (int i = 3; i <= 9; ++i) server.Route("/" + std::to_string(i), Stalled());
    std::vector<std::string> lines;
    for (int i = 1; i <= 9; ++i) lines.push_back(NumberedEntry(i, "/"));
    WriteList("B.eodurls", lines);
    form->Form_Load();
    form->SetUrlListText("B.eodurls");
    form->mnuStartDownloading_Click();
    ASSERT_TRUE(RunUntil([&] { return server.InFlight() == 5 && server.Requests() == 7; }));

    form->mnuBreakDownloading_Click();
    EXPECT_FALSE(form->IsRunning());
    EXPECT_EQ(form->StatusText(), "Break of downloading.");
    for (int n = 1; n <= 5; ++n) EXPECT_EQ(form->Control(n).ProcessResult, 0) << n;
    EXPECT_TRUE(RunUntil([&] { return server.InFlight() == 0; }));
    RunFor(100);
    EXPECT_EQ(server.Requests(), 7);  // nothing dispatched after the break
    EXPECT_EQ(Downloaded("B-EOD", "B.eodurls"),
              (std::vector<std::string>{"F1.csv", "F2.csv"}));  // no half files

    // Resume: answer No to the folder question; the saved files are skipped.
    for (int i = 3; i <= 9; ++i) server.Route("/" + std::to_string(i), Page(std::to_string(i)));
    door_.QueueMessageAnswer(MsgAnswer::No);
    form->mnuStartDownloading_Click();
    ASSERT_TRUE(RunUntil([&] { return !form->IsRunning(); }));
    EXPECT_EQ(LogCount("This URL was downloaded before: SaveTo(F1.csv):"), 1);
    EXPECT_EQ(LogCount("This URL was downloaded before: SaveTo(F2.csv):"), 1);
    EXPECT_EQ(server.RequestsFor("/1"), 1);
    EXPECT_EQ(Downloaded("B-EOD", "B.eodurls").size(), 9u);
    EXPECT_EQ(ReadFile(TempPath("B-EOD/F9.csv")), "9");
    EXPECT_EQ(form->StatusText(), " End of downloading!");
}

TEST_F(DownloadRunTest, QuitDuringARunEndsTheProgramWithErrorAsResult) {
    for (int i = 1; i <= 6; ++i) server.Route(std::string("/") + std::to_string(i), Stalled());
    std::vector<std::string> lines;
    for (int i = 1; i <= 6; ++i) lines.push_back(NumberedEntry(i, "/"));
    WriteList("Q.eodurls", lines);
    PrepareAutomatic("Q.eodurls");
    form->Form_Load();
    form->mnuStartDownloading_Click();
    ASSERT_TRUE(RunUntil([&] { return server.InFlight() == 5; }));
    form->mnuQuitDownloading_Click();
    EXPECT_EQ(ended, std::vector<int>{0});
    EXPECT_FALSE(form->IsRunning());
    EXPECT_EQ(form->StatusText(), "Program exit.");
    EXPECT_EQ(Result(), "ERROR\r\n");
    EXPECT_EQ(LogTexts().back(), "Exiting Tarquel.");
    EXPECT_TRUE(RunUntil([&] { return server.InFlight() == 0; }));
    // A second quit (the window's close after the quit) does nothing more.
    form->mnuQuitDownloading_Click();
    EXPECT_EQ(LogCount("Exiting Tarquel."), 1);
}

TEST_F(DownloadRunTest, AListWithoutValidLinesEndsAtOnce) {
    WriteList("None.eodurls", {"; nothing", "bad line"});
    ASSERT_TRUE(RunManual("None.eodurls"));
    EXPECT_EQ(form->StatusText(), " No valid URLs found! End of downloading!");
    EXPECT_EQ(door_.Beeps(), 1);
    EXPECT_EQ(ListDirectoryNames(TempPath("None-EOD")), std::vector<std::string>{});
    // Automatic: the result stays "ERROR" and the program ends.
    PrepareAutomatic("None.eodurls");
    ASSERT_TRUE(RunAutomatic());
    EXPECT_EQ(Result(), "ERROR\r\n");
}

TEST_F(DownloadRunTest, AListOfOneUrl) {
    server.Route("/only", Page("single"));
    WriteList("One.htmurls", {"Only.html=/only"});
    ASSERT_TRUE(RunManual("One.htmurls"));
    EXPECT_EQ(ReadFile(TempPath("One-HTM/Only.html")), "single");
    EXPECT_EQ(form->Control(1).labUrlNum, "1 of\r\n     1");
}

TEST_F(DownloadRunTest, AListOf10000Urls) {
    server.RoutePrefix("/s/", Page("d"));
    std::string text;
    for (int i = 1; i <= 10000; ++i) {
        const std::string n = std::to_string(i);
        text += "SaveTo(" + n + ".csv):" + server.Url("/s/" + n) + "\r\n";
    }
    WriteFile(TempPath("Big.eodurls"), text);
    ASSERT_TRUE(RunManual("Big.eodurls"));
    EXPECT_EQ(server.Requests(), 10000);
    EXPECT_LE(server.MaxInFlight(), 5);
    EXPECT_EQ(Downloaded("Big-EOD", "Big.eodurls").size(), 10000u);
    EXPECT_EQ(LogCount("Attempt= 1 Saved URL="), 10000);
}

TEST_F(DownloadRunTest, AnAutomaticRunWritesOkAndEndsTheProgram) {
    server.Route("/a", Page("A"));
    server.Route("/b", Page("B"));
    server.Route("/c", Page("C"));
    WriteList("Auto.eodurls", {"A.csv=/a", "B.csv=/b", "C.csv=/c"});
    fs::create_directories(TempPath("Data/Sub"));
    WriteFile(TempPath("Data/History.mdb"), "old");
    PrepareAutomatic("Auto.eodurls", TempPath("Data/"), "2");
    ASSERT_TRUE(RunAutomatic());
    EXPECT_EQ(ended, std::vector<int>{0});
    EXPECT_EQ(Result(), "OK\r\n");
    // The old files went without a question; only the first two lines were downloaded.
    EXPECT_EQ(Downloaded("Data", "Auto.eodurls"),
              (std::vector<std::string>{"A.csv", "B.csv", "Sub"}));
    EXPECT_TRUE(door_.CallsOf("message").empty());
    EXPECT_EQ(form->StatusText(), "Program exit.");
    EXPECT_EQ(LogTexts().back(), "Exiting Tarquel.");
}

// An old file that the folder's preparation cannot delete is downloaded again, never skipped
// as downloaded before; while it still stands as it was, the run's result is "ERROR".
TEST_F(DownloadRunTest, AnOldFileThatCannotBeDeletedIsDownloadedAgainAndNeverLeftAsOk) {
    server.Route("/1", Page("new 1"));
    server.Route("/2", Page("new 2"));
    WriteList("Daily.list", {"F1.csv=/1", "F2.csv=/2"});
    fs::create_directories(TempPath("Data"));
    const std::string stale = TempPath("Data/F1.csv");
    for (const bool saveFails : {false, true}) {
        WriteFile(stale, "old 1");
        WriteFile(TempPath("Data/F2.csv"), "old 2");
        InjectRemoveFailure(stale);
        if (saveFails) InjectFileFailure(1, stale);  // the one attempt of a plain list
        form = std::make_unique<DownloadForm>();
        form->endProgram = [this](int status) { ended.push_back(status); };
        const int lines = static_cast<int>(LogTexts().size());
        PrepareAutomatic("Daily.list", TempPath("Data/"));
        ASSERT_TRUE(RunAutomatic()) << saveFails;
        InjectRemoveFailure("");
        InjectFileFailure(0);
        const std::vector<std::string> all = LogTexts();
        const std::vector<std::string> log(all.begin() + lines, all.end());
        const auto count = [&](const std::string& prefix) {
            return std::count_if(log.begin(), log.end(),
                                 [&](const std::string& t) { return t.rfind(prefix, 0) == 0; });
        };
        EXPECT_EQ(count("File cannot be deleted: " + stale), 1) << saveFails;
        EXPECT_EQ(count("This URL was downloaded before: "), 0) << saveFails;
        EXPECT_EQ(ReadFile(TempPath("Data/F2.csv")), "new 2");
        EXPECT_EQ(ReadFile(stale), saveFails ? "old 1" : "new 1");
        EXPECT_EQ(Result(), saveFails ? "ERROR\r\n" : "OK\r\n");
        EXPECT_EQ(count("Old file not replaced: " + stale), saveFails ? 1 : 0);
        ended.clear();
    }
}

TEST_F(DownloadRunTest, AnAutomaticRunWhoseListVanishedQuitsWithError) {
    PrepareAutomatic("Gone.eodurls");
    ASSERT_TRUE(RunAutomatic());
    EXPECT_EQ(Result(), "ERROR\r\n");
    EXPECT_TRUE(door_.CallsOf("message").empty());
}

TEST_F(DownloadRunTest, UnsafeNamesAndAddressesAreRefusedAndLogged) {
    server.Route("/ok", Page("fine"));
    WriteList("U.htmurls", {"SaveTo(../Evil.html):" + server.Url("/ok"),
                            "SaveTo(" + TempPath("Abs.html") + "):" + server.Url("/ok"),
                            "SaveTo(  ):" + server.Url("/ok"), "SaveTo(F.html):file:///etc/passwd",
                            "Good.html=/ok"});
    ASSERT_TRUE(RunManual("U.htmurls"));
    EXPECT_EQ(LogCount("Refused file name (empty, absolute or outside the save folder): "), 3);
    EXPECT_EQ(LogCount("Refused URL (only http and https are fetched): "), 1);
    EXPECT_FALSE(Exists(TempPath("Evil.html")));
    EXPECT_FALSE(Exists(TempPath("Abs.html")));
    EXPECT_EQ(Downloaded("U-HTM", "U.htmurls"), std::vector<std::string>{"Good.html"});
    EXPECT_EQ(server.Requests(), 1);
}

// Links in the save folder are never followed: the emptying removes a link to a file or to a
// folder, not what it names, and a name that goes through a link to a folder (in a subfolder,
// which the emptying leaves) is refused.
TEST_F(DownloadRunTest, ASaveNameThroughALinkIsRefusedAndNothingOutsideIsTouched) {
    server.Route("/ok", Page("fine"));
    fs::create_directories(TempPath("Save/Sub"));
    fs::create_directories(TempPath("Outside"));
    WriteFile(TempPath("Outside/Keep.csv"), "kept");
    fs::create_directory_symlink(TempPath("Outside"), TempPath("Save/Out"));
    fs::create_directory_symlink(TempPath("Outside"), TempPath("Save/Sub/Out"));
    fs::create_symlink(TempPath("Outside/Keep.csv"), TempPath("Save/Keep.csv"));
    WriteList("L.eodurls", {"Sub/Out/X.csv=/ok", "Sub/Out/Keep.csv=/ok", "Good.csv=/ok"});
    PrepareAutomatic("L.eodurls", TempPath("Save/"));
    ASSERT_TRUE(RunAutomatic());
    EXPECT_EQ(LogCount("Refused file name (empty, absolute or outside the save folder): "), 2);
    EXPECT_EQ(ListDirectoryNames(TempPath("Outside")), std::vector<std::string>{"Keep.csv"});
    EXPECT_EQ(ReadFile(TempPath("Outside/Keep.csv")), "kept");
    EXPECT_EQ(Downloaded("Save", "L.eodurls"), (std::vector<std::string>{"Good.csv", "Sub"}));
    EXPECT_EQ(server.Requests(), 1);
}

TEST_F(DownloadRunTest, ManualRunsWithoutAListOrAFolderDoNotStart) {
    form->Form_Load();
    door_.QueueMessageAnswer(MsgAnswer::OK);
    form->mnuStartDownloading_Click();  // nothing chosen
    WriteFile(TempPath("Typed.list"), "SaveTo(A):http://127.0.0.1/\r\n");
    WriteFile(TempPath("Other.eodurls"), "");
    form->RefreshComboBoxURLs();
    form->SetUrlListText("Typed.list");
    door_.QueueMessageAnswer(MsgAnswer::OK);
    form->mnuStartDownloading_Click();  // a list name of neither kind has no save folder
    const auto boxes = door_.CallsOf("message");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Problems with list of URLs! No downloading!");
    EXPECT_EQ(boxes[0].title, "Tarquel");
    EXPECT_EQ(boxes[1].text, "Problems with save folder! No downloading!");
    EXPECT_FALSE(form->IsRunning());
    EXPECT_EQ(server.Requests(), 0);
}

TEST_F(DownloadRunTest, AManualRunHoldsItsSaveFolderAndIsRefusedWhileAnotherHoldsIt) {
    server.Route("/s", Stalled());
    WriteList("S.eodurls", {"S.csv=/s"});
    fs::create_directories(TempPath("S-EOD"));
    WriteFile(TempPath("S-EOD/Old.csv"), "old");
    form->Form_Load();
    form->SetUrlListText("S.eodurls");
    {
        const FolderLock other(TempPath("S-EOD/"));
        ASSERT_TRUE(other.held());
        door_.QueueMessageAnswer(MsgAnswer::OK);
        form->mnuStartDownloading_Click();
        const auto boxes = door_.CallsOf("message");
        ASSERT_EQ(boxes.size(), 1u);
        // Named as Vellicor's refusals name their folder; the holder's lock is no system error.
        EXPECT_EQ(boxes[0].text,
                  "The save folder is in use by another run or import! No downloading!\r\n" +
                      TempPath("S-EOD/"));
        ASSERT_FALSE(LogTexts().empty());
        EXPECT_EQ(LogTexts().back(),
                  "Save folder in use by another run or import: " + TempPath("S-EOD/"));
        EXPECT_FALSE(form->IsRunning());
        EXPECT_EQ(ReadFile(TempPath("S-EOD/Old.csv")), "old");
        EXPECT_EQ(server.Requests(), 0);
    }
    door_.QueueMessageAnswer(MsgAnswer::Yes);  // delete the old files
    form->mnuStartDownloading_Click();
    ASSERT_TRUE(form->IsRunning());
    EXPECT_TRUE(FolderLock(TempPath("S-EOD/")).inUse());
    form->mnuBreakDownloading_Click();
    EXPECT_TRUE(FolderLock(TempPath("S-EOD/")).held());
}

TEST_F(DownloadRunTest, ASecondStartDuringARunOnlyBeeps) {
    server.Route("/s", Stalled());
    WriteList("S.htmurls", {"S.html=/s"});
    form->Form_Load();
    form->SetUrlListText("S.htmurls");
    form->mnuStartDownloading_Click();
    ASSERT_TRUE(form->IsRunning());
    form->mnuStartDownloading_Click();
    EXPECT_EQ(door_.Beeps(), 1);
    form->mnuBreakDownloading_Click();
}

TEST_F(DownloadRunTest, AStalledTransferIsRetriedAfterItsDeadline) {
    server.Route("/stall", Stalled());
    WriteList("T.htmurls", {"T.html=/stall"});
    form->Form_Load();
    form->SetUrlListText("T.htmurls");
    form->mnuStartDownloading_Click();
    // Each attempt of the page list waits its 60 seconds on the door's clock, then the next.
    for (int attempt = 1; attempt <= 3; ++attempt) {
        ASSERT_TRUE(RunUntil([&] { return server.RequestsFor("/stall") == attempt; })) << attempt;
        door_.AdvanceMs(DownloadForm::kProcessTimeOut * 1000 - 1);
        EXPECT_EQ(form->Control(1).ProcessResult, 1) << attempt;
        door_.AdvanceMs(1);
    }
    ASSERT_TRUE(RunUntil([&] { return !form->IsRunning(); }));
    EXPECT_EQ(server.RequestsFor("/stall"), 3);
    EXPECT_FALSE(Exists(TempPath("T-HTM/T.html")));
    EXPECT_EQ(form->StatusText(), " End of downloading!");
}

TEST_F(DownloadRunTest, TheListBoxOffersUrlListsAndTheCommandsRunByKey) {
    for (const char* name : {"b.htmurls", "a.HTMURLS", "z.eodurls", "y.txt"})
        WriteFile(TempPath(name), "");
    form->Form_Load();
    EXPECT_EQ(form->UrlListItems(),
              (std::vector<std::string>{"z.eodurls", "a.HTMURLS", "b.htmurls"}));
    EXPECT_EQ(form->UrlListText(), "z.eodurls");
    EXPECT_EQ(form->StatusText(),
              "To start downloading, select some list of URLs and click on 'DOWNLOAD' button.");
    form->Toolbar_ButtonClick("urls");
    const auto editor = door_.CallsOf("editor");
    ASSERT_EQ(editor.size(), 1u);
    EXPECT_EQ(editor[0].text, TempPath("z.eodurls"));
    door_.QueueMessageAnswer(MsgAnswer::OK);
    form->Toolbar_ButtonClick("other");
    EXPECT_EQ(door_.CallsOf("message").back().text, "Unxpected Downloader nemu activity - error!");
    form->Toolbar_ButtonClick("quit");
    EXPECT_EQ(ended, std::vector<int>{0});
}

TEST_F(DownloadRunTest, ResizingGivesEveryControlTheWindowWidth) {
    form->Form_Resize(900, 600, false, 10);
    for (int n = 1; n <= 5; ++n) EXPECT_EQ(form->Control(n).ControlWidth, 880);
    form->Form_Resize(150, 600, false, 10);  // too small: nothing changes
    EXPECT_EQ(form->Control(1).ControlWidth, 880);
    form->Form_Resize(900, 600, true, 10);  // minimized: nothing changes
    form->Form_Resize(250, 600, false, 100);
    EXPECT_EQ(form->Control(1).ControlWidth, DownloadForm::kMinimumControlWidth);
}

}  // namespace
}  // namespace vel
