// The two roads of the database build: the fused road leaves the database that the
// step-by-step road leaves (tables, columns, types, values, row order) on generated folders and
// on raw tables of every shape it takes, and hands the others to the step-by-step road.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "DirectoryListing.h"
#include "EodGenerator.h"
#include "EodImport.h"
#include "FilePaths.h"
#include "HistoryBuild.h"
#include "HistoryTestSupport.h"

namespace vel {
namespace {

using testing::Day;

class HistoryBuildRoadsTest : public testing::HistoryFixture {
protected:
    // Builds a copy of the raw database each way and expects the same outcome and the same
    // database; `fused` tells whether the fused road takes this raw table.
    void ExpectSameBuild(const std::string& raw, bool fused) {
        const std::string a = TempPath("fused.mdb"), b = TempPath("stepwise.mdb");
        for (const auto& path : {a, b})
            std::filesystem::copy_file(raw, path,
                                       std::filesystem::copy_options::overwrite_existing);
        const bool okFused = BuildHistoryTables(a, BuildRoad::Fused);
        EXPECT_EQ(BuildWasFused, fused);
        const std::int32_t countFused = History1RecordCount;
        const bool okStepwise = BuildHistoryTables(b, BuildRoad::StepByStep);
        EXPECT_FALSE(BuildWasFused);
        EXPECT_EQ(okFused, okStepwise);
        EXPECT_EQ(countFused, History1RecordCount);
        ExpectSameText(testing::DumpDatabase(a), testing::DumpDatabase(b));
    }

    // Equal texts, or a failure that shows the first line where they differ.
    static void ExpectSameText(const std::string& fused, const std::string& stepwise) {
        if (fused == stepwise) return;
        std::istringstream f(fused), s(stepwise);
        std::string lf, ls;
        for (int line = 1;; ++line) {
            const bool moreF = static_cast<bool>(std::getline(f, lf));
            const bool moreS = static_cast<bool>(std::getline(s, ls));
            if (lf != ls || moreF != moreS) {
                ADD_FAILURE() << "line " << line << "\n fused:     " << (moreF ? lf : "(end)")
                              << "\n stepwise: " << (moreS ? ls : "(end)");
                return;
            }
        }
    }

    // A raw database at `path` with History1 of the columns and the rows (values bound as
    // given: a null DbValue stays null).
    static void WriteRaw(const std::string& path, const std::string& columns,
                         const std::vector<std::vector<DbValue>>& rows) {
        Database db = Database::Create(path);
        Database::Transaction transaction(db);
        db.execute("CREATE TABLE History1 " + columns);
        for (const auto& row : rows) {
            std::string sql = "INSERT INTO History1 VALUES (";
            for (size_t i = 0; i < row.size(); ++i) sql += i ? ", ?" : "?";
            Statement insert = db.prepare(sql + ")");
            for (size_t i = 0; i < row.size(); ++i) insert.bind(static_cast<int>(i) + 1, row[i]);
            insert.run();
        }
        transaction.commit();
    }
};

std::string ReadFile(const std::string& path) {
    std::stringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
}

TEST_F(HistoryBuildRoadsTest, AGeneratedFolderGivesTheSameDatabaseBothWays) {
    const std::string folder = TempPath("eod/");
    eodgen::Options o;
    o.symbols = 30;
    o.days = 3010;  // the 10 oldest trading days drop out
    o.gapRate = 0.05;
    o.lateStartRate = 0.3;
    o.splitRate = 0.3;
    const auto generated = eodgen::WriteSymbolFiles(folder, o);
    // Twins: equal money volumes, whose DayMoney order only the sort decides.
    const std::string twin = ReadFile(generated.files[3]);
    for (const char* name : {"TWINA.csv", "TWINB.csv"}) std::ofstream(folder + name) << twin;
    // Two symbols without the last 20 days (money volume 0), and one with weekend days that no
    // other symbol trades (those dates drop out).
    const std::string early = twin.substr(0, twin.size() - 20 * 40);
    for (const char* name : {"EARLYA.csv", "EARLYB.csv"})
        std::ofstream(folder + name) << early.substr(0, early.rfind('\n') + 1);
    std::ofstream(folder + "WEEKEND.csv")
        << ReadFile(generated.files[5]) << "2011-01-01,5,5,5,5,100\r\n2011-01-08,6,6,6,6,100\r\n";

    AnalyzeTextColumns(generated.files.front());
    ImportColumnName(1) = "Symbol";
    ImportColumnName(2) = "TradeDate";
    ImportColumnName(6) = "Price";
    ImportColumnName(7) = "Volume";
    const std::string raw = TempPath("raw.mdb");
    {
        Database db = Database::Create(raw);
        db.execute(History1CreateStatement());
        Database::Transaction transaction(db);
        for (const auto& name : ListDirectory(folder, "*.csv", EntryKind::Files))
            ImportTextFileRows(db, "History1", JoinPath(folder, name));
        transaction.commit();
    }
    ExpectSameBuild(raw, true);
    Database db = Database::Open(TempPath("fused.mdb"));
    EXPECT_EQ(db.scalar("SELECT count(*) FROM TradeDates").toInteger(), 3000);
    EXPECT_EQ(db.scalar("SELECT count(*) FROM DayMoney WHERE DayMoneyAvg=0").toInteger(), 2);
    // Late starters with too few days drop out.
    EXPECT_LT(db.scalar("SELECT count(DISTINCT Symbol) FROM History").toInteger(),
              db.scalar("SELECT count(*) FROM DayCount").toInteger());
}

TEST_F(HistoryBuildRoadsTest, RawTablesOfOtherShapesGiveTheSameDatabaseBothWays) {
    // Rows by date rather than by symbol, lower-case names, an extra column, and rows that
    // History2 leaves out (no price, a null volume, a volume of 0).
    std::vector<std::vector<DbValue>> rows;
    for (int d = 0; d < 12; ++d) {
        for (const char* s : {"B", "A", "C"}) {
            if (std::string(s) == "C" && d % 4 == 1) continue;
            rows.push_back({s, Day(d), 10.0 + d * 0.37 + s[0], 100.0 * (d % 3), "note"});
        }
        rows.push_back({"D", Day(d), d == 3 ? DbValue() : DbValue(-1.0), DbValue(), DbValue()});
    }
    const std::string columns =
        "(symbol TEXT, tradedate DATE, price DOUBLE, volume DOUBLE, Note TEXT)";
    WriteRaw(TempPath("byDate.mdb"), columns, rows);
    ExpectSameBuild(TempPath("byDate.mdb"), true);

    // One symbol twice on one date: which row the completion takes is up to a sort.
    rows.push_back({"A", Day(4), 99.0, 5.0, DbValue()});
    WriteRaw(TempPath("twice.mdb"), columns, rows);
    ExpectSameBuild(TempPath("twice.mdb"), false);
    rows.pop_back();

    // Text where a price should be compares above every number.
    rows.push_back({"E", Day(2), "n/a", 5.0, DbValue()});
    WriteRaw(TempPath("text.mdb"), columns, rows);
    ExpectSameBuild(TempPath("text.mdb"), false);
    rows.pop_back();

    // Trade dates as numbers (yyyymmdd) and a symbol without a name.
    std::vector<std::vector<DbValue>> numbered;
    for (int d = 1; d <= 9; ++d) {
        numbered.push_back({"A", 20200100 + d, 1.0 * d, 10.0});
        numbered.push_back({d == 5 ? DbValue() : DbValue("B"), 20200100 + d, 2.0, 10.0});
    }
    WriteRaw(TempPath("numbers.mdb"),
             "(Symbol TEXT, TradeDate DOUBLE, Price DOUBLE, Volume DOUBLE)", numbered);
    ExpectSameBuild(TempPath("numbers.mdb"), false);

    // No row with a price: both roads stop at the empty average, the database unchanged.
    WriteRaw(TempPath("empty.mdb"), columns, {{"A", Day(0), 0.0, 1.0, DbValue()}});
    ExpectSameBuild(TempPath("empty.mdb"), true);
    EXPECT_EQ(Messages().back().rfind("Vellicor error handler:\r\nPosition: 31  Error: 94", 0), 0u)
        << Messages().back();
}

}  // namespace
}  // namespace vel
