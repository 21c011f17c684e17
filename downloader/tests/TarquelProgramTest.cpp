// The real program, copied into a temporary program folder and run headless: an unattended
// download ending with its result file, the lock of its save folder taken or handed to it,
// unusable lists and parameters, and SIGTERM and SIGHUP as quit.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QProcess>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

#include "DownloaderFixture.h"
#include "FolderLock.h"
#include "TestHttpServer.h"

namespace vel {
namespace {

namespace fs = std::filesystem;
using testing::GeneratedBody;
using testing::HttpBehaviour;
using testing::TestHttpServer;

class TarquelProgramTest : public testing::DownloaderFixture {
protected:
    void SetUp() override {
        DownloaderFixture::SetUp();
        fs::copy_file(TARQUEL_BINARY, TempPath("Tarquel"));
    }
    void TearDown() override {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
        DownloaderFixture::TearDown();
    }
    // Starts the program in its folder without a display; the arguments as given. A descriptor
    // `handed` is handed to it as a run hands its lock: inherited, and named in the environment.
    void Start(const QStringList& args, int handed = -1) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.remove("QT_QPA_PLATFORM");
        if (handed >= 0) env.insert(kHandedLockVariable, QString::number(handed));
        process.setChildProcessModifier([handed] {
            if (handed >= 0) ::fcntl(handed, F_SETFD, 0);
        });
        process.setProcessEnvironment(env);
        process.setProgram(QString::fromStdString(TempPath("Tarquel")));
        process.setArguments(args);
        process.start();
        ASSERT_TRUE(process.waitForStarted(kHangGuardMs));
    }
    // Runs the event loop (the server lives in it) until the program has ended; its status.
    // Without a display nothing reaches standard error: Qt's messages go to the log.
    int WaitForEnd() {
        EXPECT_TRUE(RunUntil([&] { return process.state() == QProcess::NotRunning; }));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.readAllStandardError().toStdString(), "");
        return process.exitCode();
    }
    // Writes the parameters file of an unattended run of the list.
    std::string WriteParameters(const std::string& list, const std::string& folder) {
        const std::string path = TempPath("Daily Run.dwnparams");
        WriteFile(path, TempPath(list) + "\r\n" + folder + "\r\n" + TempPath("Daily.dwnresult") +
                            "\r\n\r\n");
        return path;
    }

    // A run whose transfers all stall, ended by the signal as by the quit command.
    void QuitsAnUnattendedRunWithErrorOn(int signal);

    TestHttpServer server;
    QProcess process;
};

TEST_F(TarquelProgramTest, AnUnattendedRunEndsWithItsResultFileOk) {
    std::string list;
    for (int i = 1; i <= 12; ++i) {
        const std::string n = std::to_string(i);
        HttpBehaviour b;
        b.generatedSize = 1000 * i + 7;
        b.delayMs = 20;
        server.Route("/eod/" + n, b);
        list += "SaveTo(S" + n + ".csv):" + server.Url("/eod/" + n) + "\r\n";
    }
    WriteFile(TempPath("Daily.eodurls"), list);
    const std::string params = WriteParameters("Daily.eodurls", TempPath("Daily-EOD"));
    Start({QString::fromStdString(params)});
    EXPECT_EQ(WaitForEnd(), 0);
    EXPECT_EQ(ReadFile(TempPath("Daily.dwnresult")), "OK\r\n");
    for (int i = 1; i <= 12; ++i)
        EXPECT_EQ(ReadFile(TempPath("Daily-EOD/S" + std::to_string(i) + ".csv")),
                  GeneratedBody(1000 * i + 7))
            << i;
    EXPECT_LE(server.MaxInFlight(), 5);
    const auto log = LogTexts();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0], "Starting Tarquel.");
    EXPECT_EQ(log[1], "Starting automatic mode with coomand line: " + params);
    EXPECT_EQ(log.back(), "Exiting Tarquel.");
    EXPECT_EQ(LogCount("Attempt= 1 Saved URL="), 12);
}

// A run that no Vellicor run started (a second scheduled job) takes its save folder's lock as
// every writer does: while another process holds it, nothing in the folder is touched, neither the
// note nor the result file (the holder's) is written, and it ends with 1. A descriptor of the
// folder that holds no lock, named as a handed one, gains nothing.
TEST_F(TarquelProgramTest, AnUnattendedRunIsRefusedWhileAnotherProcessHoldsItsSaveFolder) {
    server.Route("/eod/1", testing::Page("1,2,3\r\n"));
    WriteFile(TempPath("Daily.eodurls"), "SaveTo(S1.csv):" + server.Url("/eod/1") + "\r\n");
    const std::string folder = TempPath("Daily-EOD/");
    fs::create_directories(folder);
    WriteFile(folder + "History.mdb", "the run's database");
    const QString params = QString::fromStdString(WriteParameters("Daily.eodurls", folder));
    const FolderLock run(folder);
    ASSERT_TRUE(run.held());
    const int forged = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(forged, 0);
    for (const int handed : {-1, forged}) {
        SCOPED_TRACE(handed < 0 ? "alone" : "with a forged hand-off");
        Start({params}, handed);
        EXPECT_EQ(WaitForEnd(), 1);
        EXPECT_EQ(ListDirectoryNames(folder), std::vector<std::string>{"History.mdb"});
        EXPECT_EQ(ReadFile(folder + "History.mdb"), "the run's database");
        EXPECT_FALSE(Exists(TempPath("Daily.dwnresult")));
        ASSERT_FALSE(LogTexts().empty());
        EXPECT_EQ(LogTexts().back(), "Exiting Tarquel.");
    }
    ::close(forged);
    EXPECT_EQ(LogCount("Save folder in use by another run or import: " + folder), 2);
    EXPECT_EQ(LogCount("Message: The save folder is in use by another run or import! No "
                       "downloading! " +
                       folder),
              2);
    EXPECT_EQ(server.Requests(), 0);
}

// The run that a Vellicor run starts works under the lock that run hands it, and leaves it to
// that run: it never unlocks it, and keeps the descriptor from the programs it could start.
TEST_F(TarquelProgramTest, AnUnattendedRunWorksUnderTheLockItsStarterHandsIt) {
    server.Route("/eod/1", testing::Page("1,2,3\r\n", 200, 1000));
    WriteFile(TempPath("Daily.eodurls"), "SaveTo(S1.csv):" + server.Url("/eod/1") + "\r\n");
    const std::string folder = TempPath("Daily-EOD/");
    fs::create_directories(folder);
    WriteFile(folder + "History.mdb", "the run's old database");
    const FolderLock run(folder);
    ASSERT_TRUE(run.held());
    Start({QString::fromStdString(WriteParameters("Daily.eodurls", folder))}, run.descriptor());
    ASSERT_TRUE(RunUntil(
        [&] { return server.InFlight() == 1 || process.state() == QProcess::NotRunning; }));
    ASSERT_EQ(server.InFlight(), 1) << "the run did not start";
    std::ifstream info("/proc/" + std::to_string(process.processId()) + "/fdinfo/" +
                       std::to_string(run.descriptor()));
    std::string field, flags;
    while (info >> field && field != "flags:") {
    }
    info >> flags;
    ASSERT_FALSE(flags.empty()) << "the descriptor did not reach the program";
    EXPECT_NE(std::stol(flags, nullptr, 8) & O_CLOEXEC, 0) << flags;
    EXPECT_EQ(WaitForEnd(), 0);
    EXPECT_EQ(ReadFile(TempPath("Daily.dwnresult")), "OK\r\n");
    EXPECT_EQ(ListDirectoryNames(folder), (std::vector<std::string>{"Daily.eodurls", "S1.csv"}));
    EXPECT_TRUE(FolderLock(folder).inUse());
}

TEST_F(TarquelProgramTest, AListWithoutValidLinesEndsWithError) {
    WriteFile(TempPath("Daily.eodurls"), "; nothing to download\r\nhttp://h/x\r\n");
    Start({QString::fromStdString(WriteParameters("Daily.eodurls", ""))});
    EXPECT_EQ(WaitForEnd(), 0);
    EXPECT_EQ(ReadFile(TempPath("Daily.dwnresult")), "ERROR\r\n");
    EXPECT_EQ(LogCount("Message: "), 0);  // no box: only the status line and the result
}

TEST_F(TarquelProgramTest, UnusableParametersEndTheProgramWithoutAResultFile) {
    Start({QString::fromStdString(WriteParameters("Missing.eodurls", ""))});
    EXPECT_EQ(WaitForEnd(), 1);
    EXPECT_FALSE(Exists(TempPath("Daily.dwnresult")));
    EXPECT_EQ(LogCount("Message: Tarquel automation parameters error! End of program!"), 1);
}

TEST_F(TarquelProgramTest, SigtermQuitsAnUnattendedRunWithError) {
    QuitsAnUnattendedRunWithErrorOn(SIGTERM);
}

// What a closed terminal or a lost remote login sends.
TEST_F(TarquelProgramTest, SighupQuitsAnUnattendedRunAsSigtermDoes) {
    QuitsAnUnattendedRunWithErrorOn(SIGHUP);
}

void TarquelProgramTest::QuitsAnUnattendedRunWithErrorOn(int signal) {
    server.RoutePrefix("/stall/", testing::Stalled());
    std::string list;
    for (int i = 1; i <= 8; ++i)
        list += "SaveTo(S" + std::to_string(i) + ".csv):" + server.Url("/stall/x") + "\r\n";
    WriteFile(TempPath("Daily.eodurls"), list);
    Start({QString::fromStdString(WriteParameters("Daily.eodurls", TempPath("Out")))});
    ASSERT_TRUE(RunUntil([&] { return server.InFlight() == 5; }));
    ::kill(static_cast<pid_t>(process.processId()), signal);
    EXPECT_EQ(WaitForEnd(), 0);
    EXPECT_EQ(ReadFile(TempPath("Daily.dwnresult")), "ERROR\r\n");
    EXPECT_EQ(LogTexts().back(), "Exiting Tarquel.");
    EXPECT_TRUE(RunUntil([&] { return server.InFlight() == 0; }));
    EXPECT_EQ(ListDirectoryNames(TempPath("Out")), std::vector<std::string>{"Daily.eodurls"});
}

TEST_F(TarquelProgramTest, SigtermEndsManualUseAsTheQuitCommand) {
    Start({});
    ASSERT_TRUE(RunUntil([&] { return LogCount("Starting Tarquel.") == 1; }));
    RunFor(200);
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    EXPECT_EQ(WaitForEnd(), 0);
    EXPECT_EQ(LogTexts().back(), "Exiting Tarquel.");
}

}  // namespace
}  // namespace vel
