// The database build: the thresholds of the kept dates (strict) and symbols (not strict), the
// 3000-day limit, DateNum order, the dense completion, DayMoney, the type check, and the error
// handler that leaves the database as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ActivityLog.h"
#include "HistoryBuild.h"
#include "HistoryTestSupport.h"

namespace vel {
namespace {

using testing::Day;
using testing::RawRow;

class HistoryBuildTest : public testing::HistoryFixture {};

std::vector<std::string> Column(Database& db, const std::string& sql) {
    std::vector<std::string> out;
    Statement s = db.prepare(sql);
    while (s.step()) out.push_back(s.getText(0));
    return out;
}

TEST_F(HistoryBuildTest, KeepsDatesAboveHalfTheAverageCountOnly) {
    // Date counts 5, 5, 5, 4, 3, 2 (average 4): the date with 2 is at the threshold and goes.
    std::vector<RawRow> rows;
    const char* perDay[] = {"ABCDE", "ABCDE", "ABCDE", "ABCD", "ABC", "DE"};
    for (int d = 0; d < 6; ++d)
        for (const char* s = perDay[d]; *s; ++s)
            rows.push_back({std::string(1, *s), Day(d), 10, 100});
    rows.push_back({"A", Day(5), 0, 100});  // no price: a missing day
    rows.push_back({"B", Day(5), 10, -1});  // no volume: a missing day
    WriteHistory1(rows);
    ASSERT_TRUE(BuildHistoryDatabase(HistoryDatabasePath));
    EXPECT_EQ(History1RecordCount, 26);
    Database db = Database::Open(HistoryDatabasePath);
    EXPECT_EQ(Column(db, "SELECT TradeDate || '=' || DateNum FROM TradeDates ORDER BY DateNum"),
              (std::vector<std::string>{Day(0) + "=1", Day(1) + "=2", Day(2) + "=3", Day(3) + "=4",
                                        Day(4) + "=5"}));
    EXPECT_EQ(Column(db, "SELECT SymbolCount FROM TradeDates1 ORDER BY TradeDate"),
              (std::vector<std::string>{"5", "5", "5", "4", "3", "2"}));
    EXPECT_EQ(Tables(db), (std::vector<std::string>{"DayCount", "DayMoney", "History", "History1",
                                                    "SplitEvents", "TradeDates", "TradeDates1"}));
    EXPECT_EQ(db.scalar("SELECT count(*) FROM SplitEvents").toInteger(), 0);
    EXPECT_EQ(db.tableColumns("SplitEvents")[2].type, DbType::Single);
}

TEST_F(HistoryBuildTest, KeepsSymbolsAtSixTenthsOfTheAverageDayCount) {
    // Day counts 6, 6, 6, 6, 6, 3, 2 (average 5, threshold 3): F stays, G goes.
    std::vector<RawRow> rows;
    for (int d = 0; d < 6; ++d) {
        for (const char* s = "ABCDE"; *s; ++s)
            rows.push_back({std::string(1, *s), Day(d), 10, 100});
        if (d < 3) rows.push_back({"F", Day(d), 10, 100});
        if (d < 2) rows.push_back({"G", Day(d), 10, 100});
    }
    WriteHistory1(rows);
    ASSERT_TRUE(BuildHistoryDatabase(HistoryDatabasePath));
    Database db = Database::Open(HistoryDatabasePath);
    EXPECT_EQ(Column(db, "SELECT DISTINCT Symbol FROM History ORDER BY Symbol"),
              (std::vector<std::string>{"A", "B", "C", "D", "E", "F"}));
    EXPECT_EQ(db.scalar("SELECT DayCount FROM DayCount WHERE Symbol='G'").toInteger(), 2);
}

TEST_F(HistoryBuildTest, KeepsTheNewestThreeThousandDates) {
    std::vector<RawRow> rows;
    for (int d = 0; d < 3004; ++d) rows.push_back({"ONE", Day(d), 1, 1});
    WriteHistory1(rows);
    ASSERT_TRUE(BuildHistoryDatabase(HistoryDatabasePath));
    Database db = Database::Open(HistoryDatabasePath);
    EXPECT_EQ(db.scalar("SELECT count(*) FROM TradeDates").toInteger(), 3000);
    EXPECT_EQ(db.scalar("SELECT TradeDate FROM TradeDates WHERE DateNum=1").toText(), Day(4));
    EXPECT_EQ(db.scalar("SELECT TradeDate FROM TradeDates WHERE DateNum=3000").toText(), Day(3003));
    EXPECT_EQ(db.scalar("SELECT count(*) FROM History").toInteger(), 3000);
}

TEST_F(HistoryBuildTest, CompletesEverySymbolDenselyAndAveragesTheNewestFiveDays) {
    // Seven dates; B lacks days 0, 1 (leading), 3 (inside) and 6 (trailing).
    std::vector<RawRow> rows;
    for (int d = 0; d < 7; ++d) {
        rows.push_back({"A", Day(d), 10.0 + d, 100});
        rows.push_back({"C", Day(d), 1.25, 8});
        if (d == 2 || d == 4 || d == 5) rows.push_back({"B", Day(d), 20.0 + d, 50});
    }
    // Three symbols of one day lower the average day count to 20 / 6, so B (3 days) stays and
    // they go.
    for (const char* s : {"X", "Y", "Z"}) rows.push_back({s, Day(0), 1, 1});
    WriteHistory1(rows);
    ASSERT_TRUE(BuildHistoryDatabase(HistoryDatabasePath));
    Database db = Database::Open(HistoryDatabasePath);
    const auto history = HistoryRows(db);
    const std::vector<std::string> b(history.begin() + 7, history.begin() + 14);
    EXPECT_EQ(b, (std::vector<std::string>{"B:1:22.0:0.0", "B:2:22.0:0.0", "B:3:22.0:50.0",
                                           "B:4:22.0:0.0", "B:5:24.0:50.0", "B:6:25.0:50.0",
                                           "B:7:25.0:0.0"}));
    EXPECT_EQ(history.size(), 21u);  // A, B, C over 7 DateNums; X, Y, Z dropped
    EXPECT_EQ(db.scalar("SELECT count(*) FROM History WHERE SplitCoef <> 1").toInteger(), 0);
    EXPECT_EQ(db.scalar("SELECT TradeDate FROM History WHERE Symbol='B' AND DateNum=1").toText(),
              Day(0));
    // DayMoney: DateNums 3..7 (greater than 7 - 5), filled days with volume 0 included.
    EXPECT_EQ(db.scalar("SELECT DayMoneyAvg FROM DayMoney WHERE Symbol='B'").toDouble(),
              (22.0 * 50 + 24.0 * 50 + 25.0 * 50) / 5);
    EXPECT_EQ(db.scalar("SELECT DayMoneyAvg FROM DayMoney WHERE Symbol='A'").toDouble(),
              (12.0 + 13 + 14 + 15 + 16) * 100 / 5);
    EXPECT_EQ(Column(db, "SELECT Symbol FROM DayMoney ORDER BY rowid"),
              (std::vector<std::string>{"A", "B", "C"}));
}

TEST_F(HistoryBuildTest, FillPriceGapsForwardThenBackward) {
    const float in[] = {0, 0, 3, 0, 5, 0};
    for (int i = 1; i <= 6; ++i) SymbolDayPrices(i) = in[i - 1];
    FillPriceGaps(6);
    const float want[] = {3, 3, 3, 3, 5, 5};
    for (int i = 1; i <= 6; ++i) EXPECT_EQ(SymbolDayPrices(i), want[i - 1]) << i;
    SymbolDayPrices(1) = 0;
    FillPriceGaps(1);
    EXPECT_EQ(SymbolDayPrices(1), 0.0f);
}

TEST_F(HistoryBuildTest, KeepsExtraColumnsEmptyAndStopsAtAnEmptyRawTable) {
    WriteHistory1({});
    EXPECT_FALSE(BuildHistoryDatabase(HistoryDatabasePath));
    EXPECT_EQ(History1RecordCount, 0);
    EXPECT_TRUE(Messages().empty());
    {
        Database db = Database::Open(HistoryDatabasePath);
        EXPECT_EQ(Tables(db), std::vector<std::string>{"History1"});
        db.execute("ALTER TABLE History1 ADD COLUMN Note TEXT");
        db.execute("INSERT INTO History1 VALUES ('A', ?1, 2, 3, 'x')", {Day(0)});
    }
    AutoRunMode = 0;
    door_.QueueMessageAnswer(MsgAnswer::OK);
    ASSERT_TRUE(BuildHistoryDatabase(HistoryDatabasePath));
    EXPECT_EQ(Messages().back(),
              "End of historical data importing!\r\nUse stock splits adjustment commands, if "
              "necessary!\r\n");
    Database db = Database::Open(HistoryDatabasePath);
    const auto cols = db.tableColumns("History");
    ASSERT_EQ(cols.size(), 7u);
    EXPECT_EQ(cols[4].name, "Note");
    EXPECT_EQ(cols[5].type, DbType::Single);
    EXPECT_TRUE(db.scalar("SELECT Note FROM History").isNull());
}

TEST_F(HistoryBuildTest, AnErrorIsShownWithItsPositionAndChangesNothing) {
    WriteHistory1({{"A", Day(0), 1, 1}, {"A", Day(1), 2, 2}});
    {
        Database db = Database::Open(HistoryDatabasePath);
        db.execute("CREATE TABLE TradeDates (X TEXT)");
    }
    EXPECT_FALSE(BuildHistoryDatabase(HistoryDatabasePath));
    const std::string m = Messages().back();
    EXPECT_EQ(m.rfind("Vellicor error handler:\r\nPosition: 31  Error: ", 0), 0u) << m;
    EXPECT_NE(m.find("TradeDates already exists"), std::string::npos) << m;
    {
        Database db = Database::Open(HistoryDatabasePath);
        EXPECT_EQ(Tables(db), (std::vector<std::string>{"History1", "TradeDates"}));
        db.execute("DROP TABLE TradeDates");
        db.execute("CREATE TABLE History (X TEXT)");  // fails inside the completion step
    }
    EXPECT_FALSE(BuildHistoryDatabase(HistoryDatabasePath));
    EXPECT_EQ(Messages().back().rfind("Vellicor error handler:\r\nPosition: 8  Error: ", 0), 0u)
        << Messages().back();
    Database db = Database::Open(HistoryDatabasePath);
    EXPECT_EQ(Tables(db), (std::vector<std::string>{"History", "History1"}));
    EXPECT_FALSE(door_.hourglass);
}

// Fault injection: the build fails at its 1st, 2nd, ... statement step until no step fails; each
// time the result is the whole build or the database exactly as it was. Both roads.
TEST_F(HistoryBuildTest, AFailureAtAnyStepLeavesTheDatabaseAsItWas) {
    WriteHistory1({{"A", Day(0), 1, 10},
                   {"A", Day(1), 2, 10},
                   {"A", Day(2), 3, 10},
                   {"B", Day(0), 5, 10},
                   {"B", Day(2), 6, 10}});
    const std::string pristine = TempPath("pristine.mdb");
    std::filesystem::copy_file(HistoryDatabasePath, pristine);
    const std::string before = testing::DumpDatabase(HistoryDatabasePath);
    ASSERT_TRUE(BuildHistoryDatabase(HistoryDatabasePath));
    const std::string built = testing::DumpDatabase(HistoryDatabasePath);
    size_t messages = door_.CallsOf("message").size();
    for (const BuildRoad road : {BuildRoad::Fused, BuildRoad::StepByStep}) {
        int failures = 0;
        for (long n = 1; n < 10000; ++n) {
            std::filesystem::copy_file(pristine, HistoryDatabasePath,
                                       std::filesystem::copy_options::overwrite_existing);
            InjectStepFailure(n);
            const bool ok = BuildHistoryTables(HistoryDatabasePath, road);
            if (InjectStepFailure(0) > 0) break;  // the build ended before its n-th step
            failures += !ok;
            ASSERT_EQ(testing::DumpDatabase(HistoryDatabasePath), ok ? built : before)
                << "failing step " << n;
        }
        EXPECT_GT(failures, 30);
        EXPECT_EQ(door_.CallsOf("message").size() - messages, static_cast<size_t>(failures));
        messages = door_.CallsOf("message").size();
    }
}

TEST_F(HistoryBuildTest, ATradeDateColumnOfTextIsRefusedWithNothingChanged) {
    ProgramFolderPath = TempFolder();
    OpenActivityLog("Vellicor.log");
    {
        Database db = Database::Create(HistoryDatabasePath);
        db.execute(
            "CREATE TABLE History1 (Symbol TEXT, TradeDate TEXT, Price DOUBLE, Volume DOUBLE)");
        // In alphabetical order "10.1.2020" would come before "9.1.2020".
        for (const char* date : {"9.1.2020", "10.1.2020", "2020-01-11"})
            db.execute("INSERT INTO History1 VALUES ('A', ?1, 1, 1)", {date});
    }
    const std::string before = testing::DumpDatabase(HistoryDatabasePath);
    EXPECT_FALSE(BuildHistoryDatabase(HistoryDatabasePath));
    EXPECT_EQ(Messages().back(),
              "The TradeDate column holds no dates!\r\nIts values are text, not dates in a form "
              "the import reads, so the trading days cannot be put in order.\r\nNothing was "
              "changed.\r\n");
    EXPECT_EQ(testing::DumpDatabase(HistoryDatabasePath), before);
    std::stringstream log;
    log << std::ifstream(TempPath("Vellicor.log")).rdbuf();
    EXPECT_NE(log.str().find(" >> The TradeDate column holds no dates: " + HistoryDatabasePath),
              std::string::npos)
        << log.str();
    EXPECT_FALSE(door_.hourglass);

    // ISO dates in a text column order their days themselves.
    {
        Database db = Database::Open(HistoryDatabasePath);
        db.execute("UPDATE History1 SET TradeDate='2020-01-09' WHERE TradeDate='9.1.2020'");
        db.execute("UPDATE History1 SET TradeDate='2020-01-10' WHERE TradeDate='10.1.2020'");
    }
    ASSERT_TRUE(BuildHistoryDatabase(HistoryDatabasePath));
    Database db = Database::Open(HistoryDatabasePath);
    EXPECT_EQ(Column(db, "SELECT TradeDate FROM TradeDates ORDER BY DateNum"),
              (std::vector<std::string>{"2020-01-09", "2020-01-10", "2020-01-11"}));
}

TEST_F(HistoryBuildTest, APriceOfAnotherTypeEndsTheProgram) {
    ProgramFolderPath = TempFolder();
    OpenActivityLog("Vellicor.log");
    {
        Database db = Database::Create(HistoryDatabasePath);
        db.execute(
            "CREATE TABLE History1 (Symbol TEXT, TradeDate DATE, Price TEXT, Volume DOUBLE)");
        db.execute("INSERT INTO History1 VALUES ('A', '2020-01-02', '1,5', 3)");
    }
    try {
        BuildHistoryDatabase(HistoryDatabasePath);
        FAIL() << "the program did not end";
    } catch (const testing::ProcessEnded&) {
    }
    EXPECT_EQ(Messages().back(),
              "Fatal data type mismatch! Check Regional Settings in Control Panel!\r\n"
              "You have to use English(US) regional settings when downloading EOD stock history "
              "from YAHOO!\r\nEnd of program follows!\r\n");
    // Unattended, the box goes to the log too: the failure line stands before it.
    std::stringstream log;
    log << std::ifstream(TempPath("Vellicor.log")).rdbuf();
    const size_t failure = log.str().find(" >> Fatal data type mismatch!\r\n");
    const size_t box = log.str().find("Message: Fatal data type mismatch! Check");
    ASSERT_NE(failure, std::string::npos) << log.str();
    ASSERT_NE(box, std::string::npos) << log.str();
    EXPECT_LT(failure, box) << log.str();
}

}  // namespace
}  // namespace vel
