// The import procedures: the new database beside the old one, the folder import with its file
// choice, log lines and labels, a failure at any step that leaves the raw table as it was, and
// a text import that replaces "History.mdb" only when complete, even when it is killed.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ActivityLog.h"
#include "Door.h"
#include "EodImport.h"
#include "HistoryBuild.h"
#include "HistoryImport.h"
#include "HistoryTestSupport.h"
#include "Hooks.h"
#include "MainWindowView.h"

namespace vel {
namespace {

class HistoryImportTest : public testing::HistoryFixture {
protected:
    void SetUp() override {
        HistoryFixture::SetUp();
        ProgramFolderPath = TempFolder();
        OpenActivityLog("Vellicor.log");
        DataFolderPath = TempPath("data/");
        HistoryDatabasePath = TempPath("data/History.mdb");
        std::filesystem::create_directories(DataFolderPath);
        for (int c = 1; c <= 4; ++c) ImportColumnType(c) = c == 1 ? 2 : c == 2 ? 3 : 1;
        ImportColumnName(1) = "Symbol";
        ImportColumnName(2) = "TradeDate";
        ImportColumnName(3) = "Price";
        ImportColumnName(4) = "Volume";
    }
    void Write(const std::string& name, const std::string& text) {
        std::ofstream(DataFolderPath + name, std::ios::binary) << text;
    }
    std::string Log() const {
        std::stringstream s;
        s << std::ifstream(TempPath("Vellicor.log")).rdbuf();
        return s.str();
    }
    static std::string Raw(const std::string& path) {
        std::stringstream s;
        s << std::ifstream(path, std::ios::binary).rdbuf();
        return s.str();
    }
    // Files of `symbols` symbols ("s1.csv", ...) over `days` days from 2020-01-02.
    void WriteSymbols(int symbols, int days, double price) {
        for (int k = 1; k <= symbols; ++k) {
            std::string text = "Date,Close,Volume\n";
            for (int d = 0; d < days; ++d)
                text += formatShortDate(dateFromSerial(dateSerial(Date{2020, 1, 2}) + d)) + "," +
                        std::to_string(price + k + d) + ",100\n";
            Write("s" + std::to_string(k) + ".csv", text);
        }
    }
    // The folder import of every "*.csv" as the import command runs it.
    bool ImportFolder() {
        ImportFileExtension = "csv";
        return ImportTextHistory(2, DataFolderPath + "s1.csv");
    }
    std::string Fresh() const { return NewHistoryDatabasePath(HistoryDatabasePath); }
};

TEST_F(HistoryImportTest, CreatesTheNewDatabaseBesideTheOldOne) {
    std::ofstream(HistoryDatabasePath) << "the previous history";
    const std::string fresh = NewHistoryDatabasePath(HistoryDatabasePath);
    std::ofstream(fresh) << "the leftover of a killed import";
    std::ofstream(fresh + "-journal") << "its journal";
    ASSERT_TRUE(CreateHistoryDatabase());
    EXPECT_EQ(Raw(HistoryDatabasePath), "the previous history");
    EXPECT_FALSE(std::filesystem::exists(fresh + "-journal"));
    Database db = Database::Open(fresh);
    EXPECT_EQ(Tables(db), std::vector<std::string>{"History1"});
    const auto cols = db.tableColumns("History1");
    ASSERT_EQ(cols.size(), 4u);
    EXPECT_EQ(cols[1].type, DbType::Date);
    db.close();

    for (int c = 1; c <= kImportColumns; ++c) ImportColumnName(c).clear();
    EXPECT_FALSE(CreateHistoryDatabase());  // no column with a role
    EXPECT_EQ(Messages().back().rfind("Vellicor error handler:\r\nPosition: 32  Error: ", 0), 0u);
}

TEST_F(HistoryImportTest, ImportsTheRegularFilesOfTheExtensionInNameOrder) {
    Write("ibm.csv", "Symbol,Date,Price,Volume\n1/2/2020,1,2\n1/3/2020,3,4");
    Write("AAPL.CSV", "1/2/2020,5,6\r\n");
    Write("notes.txt", "1/2/2020,7,8\r\n");
    Write("msft", "1/2/2020,9,10\r\n");
    // Opening the FIFO would wait for a writer forever; the broken link cannot be read; a
    // device is no history (a link to one, and the device itself where this user may make one).
    ASSERT_EQ(::mkfifo((DataFolderPath + "fifo.csv").c_str(), 0600), 0);
    std::filesystem::create_symlink(DataFolderPath + "gone.csv", DataFolderPath + "broken.csv");
    std::filesystem::create_symlink("/dev/null", DataFolderPath + "null.csv");
    const bool device =
        ::mknod((DataFolderPath + "device.csv").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    ImportFileExtension = "csv";
    ASSERT_TRUE(CreateHistoryDatabase());
    const std::string fresh = NewHistoryDatabasePath(HistoryDatabasePath);
    ASSERT_TRUE(ImportHistoryFolderFiles(fresh, "History1"));
    EXPECT_EQ(ImportFolderFileNames, (std::vector<std::string>{"AAPL.CSV", "ibm.csv"}));
    Database db = Database::Open(fresh);
    EXPECT_EQ(db.scalar("SELECT group_concat(Symbol || TradeDate, ' ') FROM History1").toText(),
              "AAPL2020-01-02 IBM2020-01-02 IBM2020-01-03");
    const std::string log = Log();
    EXPECT_NE(log.find(" >> Not a regular file, skipped: " + DataFolderPath + "broken.csv\r\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find(" >> Not a regular file, skipped: " + DataFolderPath + "fifo.csv\r\n"),
              std::string::npos);
    EXPECT_NE(log.find(" >> Not a regular file, skipped: " + DataFolderPath + "null.csv\r\n"),
              std::string::npos);
    if (device) {
        EXPECT_NE(log.find(" >> Not a regular file, skipped: " + DataFolderPath + "device.csv\r\n"),
                  std::string::npos);
    }
    EXPECT_NE(log.find(" >> Importing file nr.: 1 FilePath=" + DataFolderPath + "AAPL.CSV\r\n"),
              std::string::npos);
    EXPECT_NE(log.find(" >> Importing file nr.: 2 FilePath=" + DataFolderPath + "ibm.csv\r\n"),
              std::string::npos);
    EXPECT_EQ(MainLabelText(MainLabel::PerformedTask), "");
    EXPECT_EQ(MainLabelText(MainLabel::PerformedAction), "");
    EXPECT_FALSE(door_.hourglass);

    // A folder chosen through a file without an extension takes the files without one.
    ImportFileExtension.clear();
    ASSERT_TRUE(ImportHistoryFolderFiles(fresh, "History1"));
    EXPECT_EQ(ImportFolderFileNames, std::vector<std::string>{"msft"});
}

// Fault injection: the folder import fails at its 1st, 2nd, ... step; the raw table then holds
// nothing of it.
TEST_F(HistoryImportTest, AFailureAtAnyStepLeavesTheRawTableAsItWas) {
    Write("a.csv", "1/2/2020,1,2\n1/3/2020,3,4\n");
    Write("b.csv", "1/2/2020,5,6\n");
    ImportFileExtension = "csv";
    ASSERT_TRUE(CreateHistoryDatabase());
    const std::string fresh = NewHistoryDatabasePath(HistoryDatabasePath);
    const std::string empty = testing::DumpDatabase(fresh);
    int failures = 0;
    for (long n = 1; n < 1000; ++n) {
        InjectStepFailure(n);
        const bool ok = ImportHistoryFolderFiles(fresh, "History1");
        if (InjectStepFailure(0) > 0) break;
        ASSERT_FALSE(ok) << "step " << n;
        ++failures;
        ASSERT_EQ(testing::DumpDatabase(fresh), empty) << "failing step " << n;
    }
    EXPECT_GE(failures, 3);
    EXPECT_EQ(Messages().back().find("Vellicor error handler:"), 0u);
    Database db = Database::Open(fresh);
    EXPECT_EQ(db.scalar("SELECT count(*) FROM History1").toInteger(), 3);
}

TEST_F(HistoryImportTest, ATextImportReplacesTheHistoryOnlyWhenComplete) {
    WriteSymbols(2, 6, 10);
    ASSERT_TRUE(ImportFolder());
    EXPECT_FALSE(std::filesystem::exists(Fresh()));
    const std::string previous = testing::DumpDatabase(HistoryDatabasePath);
    EXPECT_NE(previous.find("== History\n"), std::string::npos);

    const std::string kept = TempPath("previous.mdb");
    std::filesystem::copy_file(HistoryDatabasePath, kept);
    auto restore = [&] {
        std::filesystem::copy_file(kept, HistoryDatabasePath,
                                   std::filesystem::copy_options::overwrite_existing);
    };
    WriteSymbols(3, 4, 20);
    ASSERT_TRUE(ImportFolder());
    const std::string complete = testing::DumpDatabase(HistoryDatabasePath);
    {
        Database db = Database::Open(HistoryDatabasePath);
        EXPECT_EQ(db.scalar("SELECT count(*) FROM History").toInteger(), 3 * 4);
    }

    // A failure at any step of the import or the build keeps the previous history, or (where
    // the step could be done again) the import completes. Every seventh step: each one costs
    // disk syncs, and the steps of the build alone are all failed in its own test.
    int failures = 0;
    for (long n = 1; n < 100000; n += 7) {
        restore();
        InjectStepFailure(n);
        const bool ok = ImportFolder();
        if (InjectStepFailure(0) > 0) break;
        failures += !ok;
        ASSERT_EQ(testing::DumpDatabase(HistoryDatabasePath), ok ? complete : previous)
            << "failing step " << n;
        ASSERT_FALSE(std::filesystem::exists(Fresh())) << "failing step " << n;
    }
    EXPECT_GT(failures, 50);
}

TEST_F(HistoryImportTest, ATradeDateColumnOfTextIsRefusedWithNothingChanged) {
    WriteSymbols(2, 6, 10);
    ASSERT_TRUE(ImportFolder());
    const std::string previous = testing::DumpDatabase(HistoryDatabasePath);
    ImportColumnType(2) = kKindText;  // the analysis found no dates in the date column
    EXPECT_FALSE(ImportFolder());
    EXPECT_EQ(Messages().back(),
              "The TradeDate column holds no dates!\r\nIts values are text, not dates in a form "
              "the import reads, so the trading days cannot be put in order.\r\nNothing was "
              "changed.\r\n");
    EXPECT_NE(Log().find(" >> The TradeDate column holds no dates: " + HistoryDatabasePath),
              std::string::npos);
    EXPECT_EQ(testing::DumpDatabase(HistoryDatabasePath), previous);
    EXPECT_FALSE(std::filesystem::exists(Fresh()));
}

// The child process that imports stops at the first yield after the action label begins with
// this text, tells the parent through the pipe and waits to be killed.
int g_stopPipe = -1;
const char* g_stopAt = "";
void StopAtAction() {
    if (MainLabelText(MainLabel::PerformedAction).rfind(g_stopAt, 0) != 0) return;
    const char c = 'k';
    if (::write(g_stopPipe, &c, 1) != 1) ::_exit(4);
    for (;;) ::pause();
}

// Ends the program (as a signal's end command does) once the action label begins with g_stopAt.
void EndAtAction() {
    if (MainLabelText(MainLabel::PerformedAction).rfind(g_stopAt, 0) == 0) door().EndProcess(1);
}

TEST_F(HistoryImportTest, AnImportEndedWithTheProgramLeavesNoNewDatabase) {
    WriteSymbols(2, 6, 10);
    ASSERT_TRUE(ImportFolder());
    const std::string previous = testing::DumpDatabase(HistoryDatabasePath);
    WriteSymbols(3, 7, 20);
    for (const char* at : {"Importing    2 /", "Making History table complete"}) {
        g_stopAt = at;
        SetYieldHook(&EndAtAction);
        EXPECT_THROW(ImportFolder(), testing::ProcessEnded) << at;
        SetYieldHook(nullptr);
        EXPECT_EQ(testing::DumpDatabase(HistoryDatabasePath), previous) << at;
        for (const char* suffix : {"", "-journal", "-wal", "-shm"})
            EXPECT_FALSE(std::filesystem::exists(Fresh() + suffix)) << at << suffix;
    }
}

TEST_F(HistoryImportTest, AnImportKilledMidwayKeepsThePreviousHistory) {
    WriteSymbols(2, 6, 10);
    ASSERT_TRUE(ImportFolder());
    const std::string previous = testing::DumpDatabase(HistoryDatabasePath);
    WriteSymbols(3, 7, 20);
    for (const char* at : {"Importing    2 /", "Making History table complete"}) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        std::fflush(nullptr);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(fds[0]);
            g_stopPipe = fds[1];
            g_stopAt = at;
            SetYieldHook(&StopAtAction);
            ImportFolder();
            ::_exit(3);  // the import ended without reaching its stop
        }
        ::close(fds[1]);
        pollfd p{fds[0], POLLIN, 0};
        char c = 0;
        const bool stopped = ::poll(&p, 1, 60000) == 1 && ::read(fds[0], &c, 1) == 1;
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(fds[0]);
        ASSERT_TRUE(stopped) << at;
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << at;
        EXPECT_EQ(testing::DumpDatabase(HistoryDatabasePath), previous) << at;
        EXPECT_TRUE(std::filesystem::exists(Fresh())) << at;  // the unfinished new database
    }
    // The next import clears the leftover and completes.
    ASSERT_TRUE(ImportFolder());
    EXPECT_FALSE(std::filesystem::exists(Fresh()));
    EXPECT_FALSE(std::filesystem::exists(Fresh() + "-journal"));
    Database db = Database::Open(HistoryDatabasePath);
    EXPECT_EQ(db.scalar("SELECT count(*) FROM History").toInteger(), 3 * 7);
}

}  // namespace
}  // namespace vel
