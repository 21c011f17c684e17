// The import procedures: the new database, the folder import with its file choice, log lines
// and labels, and a failure at any step that leaves the raw table as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ActivityLog.h"
#include "EodImport.h"
#include "HistoryImport.h"
#include "HistoryTestSupport.h"
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
};

TEST_F(HistoryImportTest, CreatesANewDatabaseOverAnOldOne) {
    std::ofstream(HistoryDatabasePath) << "an old file";
    std::ofstream(HistoryDatabasePath + "-journal") << "a stale journal";
    ASSERT_TRUE(CreateHistoryDatabase());
    EXPECT_FALSE(std::filesystem::exists(HistoryDatabasePath + "-journal"));
    Database db = Database::Open(HistoryDatabasePath);
    EXPECT_EQ(Tables(db), std::vector<std::string>{"History1"});
    const auto cols = db.tableColumns("History1");
    ASSERT_EQ(cols.size(), 4u);
    EXPECT_EQ(cols[1].type, DbType::Date);
    db.close();

    for (int c = 1; c <= kImportColumns; ++c) ImportColumnName(c).clear();
    EXPECT_FALSE(CreateHistoryDatabase());  // no column with a role
    EXPECT_EQ(Messages().back().rfind("Vellicor error handler:\r\nPosition: 32  Error: ", 0), 0u);
}

TEST_F(HistoryImportTest, ImportsTheFolderFilesOfTheExtensionInNameOrder) {
    Write("ibm.csv", "Symbol,Date,Price,Volume\n1/2/2020,1,2\n1/3/2020,3,4");
    Write("AAPL.CSV", "1/2/2020,5,6\r\n");
    Write("notes.txt", "1/2/2020,7,8\r\n");
    Write("msft", "1/2/2020,9,10\r\n");
    ImportFileExtension = "csv";
    ASSERT_TRUE(CreateHistoryDatabase());
    ASSERT_TRUE(ImportHistoryFolderFiles(HistoryDatabasePath, "History1"));
    EXPECT_EQ(ImportFolderFileNames, (std::vector<std::string>{"AAPL.CSV", "ibm.csv"}));
    Database db = Database::Open(HistoryDatabasePath);
    EXPECT_EQ(db.scalar("SELECT group_concat(Symbol || TradeDate, ' ') FROM History1").toText(),
              "AAPL2020-01-02 IBM2020-01-02 IBM2020-01-03");
    const std::string log = Log();
    EXPECT_NE(log.find(" >> Importing file nr.: 1 FilePath=" + DataFolderPath + "AAPL.CSV\r\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find(" >> Importing file nr.: 2 FilePath=" + DataFolderPath + "ibm.csv\r\n"),
              std::string::npos);
    EXPECT_EQ(MainLabelText(MainLabel::PerformedTask), "");
    EXPECT_EQ(MainLabelText(MainLabel::PerformedAction), "");
    EXPECT_FALSE(door_.hourglass);

    // A folder chosen through a file without an extension takes the files without one.
    ImportFileExtension.clear();
    ASSERT_TRUE(ImportHistoryFolderFiles(HistoryDatabasePath, "History1"));
    EXPECT_EQ(ImportFolderFileNames, std::vector<std::string>{"msft"});
}

// Fault injection: the folder import fails at its 1st, 2nd, ... step; the raw table then holds
// nothing of it.
TEST_F(HistoryImportTest, AFailureAtAnyStepLeavesTheRawTableAsItWas) {
    Write("a.csv", "1/2/2020,1,2\n1/3/2020,3,4\n");
    Write("b.csv", "1/2/2020,5,6\n");
    ImportFileExtension = "csv";
    ASSERT_TRUE(CreateHistoryDatabase());
    const std::string empty = testing::DumpDatabase(HistoryDatabasePath);
    int failures = 0;
    for (long n = 1; n < 1000; ++n) {
        InjectStepFailure(n);
        const bool ok = ImportHistoryFolderFiles(HistoryDatabasePath, "History1");
        if (InjectStepFailure(0) > 0) break;
        ASSERT_FALSE(ok) << "step " << n;
        ++failures;
        ASSERT_EQ(testing::DumpDatabase(HistoryDatabasePath), empty) << "failing step " << n;
    }
    EXPECT_GE(failures, 3);
    EXPECT_EQ(Messages().back().find("Vellicor error handler:"), 0u);
    Database db = Database::Open(HistoryDatabasePath);
    EXPECT_EQ(db.scalar("SELECT count(*) FROM History1").toInteger(), 3);
}

}  // namespace
}  // namespace vel
