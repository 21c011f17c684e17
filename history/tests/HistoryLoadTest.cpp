// The history load: order by money volume, split adjustment, the 3000-day and 10000-symbol
// limits, the trade dates of the window, a failed load that keeps what was loaded, and the
// readers in parallel that leave what the single reader leaves, also where some or all of them
// cannot open the database; a load (and a split command) refused while a run holds the folder.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "FolderLock.h"
#include "HistoryCommands.h"
#include "HistoryLoad.h"
#include "HistoryTestSupport.h"
#include "LoadedHistory.h"
#include "MainCommands.h"
#include "NumberText.h"

namespace vel {
namespace {

using testing::BuiltRow;

class HistoryLoadTest : public testing::HistoryFixture {
protected:
    // Loads the database at the path as the load command does.
    bool Load(const std::string& path) {
        HistoryDatabasePath = path;
        return LoadHistory();
    }
    static float Price(long item, long day) {
        return MainVectors->CoordGetSingle(MainVectors->BufferStart() + item - 1, day);
    }
    static float Volume(long item, long day) {
        return VolumeVectors->CoordGetSingle(VolumeVectors->BufferStart() + item - 1, day);
    }
};

std::vector<BuiltRow> FourSymbols() {
    std::vector<BuiltRow> rows;
    for (int n = 1; n <= 4; ++n) {
        rows.push_back({"A", n, 10.0 + n, 100});
        rows.push_back({"B", n, 20.0 + n, 200, n >= 3 ? 2.0f : 1.0f});
        rows.push_back({"C", n, 30.0 + n, 300});
        rows.push_back({"D", n, 40.0 + n, 0});
    }
    return rows;
}

TEST_F(HistoryLoadTest, LoadsByMoneyVolumeWithSplitAdjustmentAlongEitherRoute) {
    const std::vector<std::pair<std::string, double>> money = {
        {"A", 100}, {"B", 300}, {"C", 300}, {"D", 0}};
    std::vector<std::vector<float>> seen;
    for (bool plain : {false, true}) {
        const std::string path = TempPath(plain ? "plain/History.mdb" : "History.mdb");
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        WriteBuilt(path, FourSymbols(), money, 4, plain);
        BasketFlag(7) = 1;
        BasketCount = 1;
        ASSERT_TRUE(Load(path)) << (plain ? "plain" : "kept in key order");
        EXPECT_EQ(LoadedSymbolCount, 3);  // D has no money volume
        EXPECT_EQ(SymbolCountInDB, 4);
        EXPECT_EQ(MainVectors->BufferCount(), 3);
        EXPECT_EQ(VolumeVectors->BufferCount(), 3);
        EXPECT_EQ(MainVectors->BufferDim(), 4);
        EXPECT_EQ(LoadedSymbols(1), "B");  // equal averages by symbol
        EXPECT_EQ(LoadedSymbols(2), "C");
        EXPECT_EQ(LoadedSymbols(3), "A");
        EXPECT_EQ(Price(1, 2), 22.0f);
        EXPECT_EQ(Price(1, 3), 11.5f);  // 23 / 2
        EXPECT_EQ(Volume(1, 3), 400.0f);
        EXPECT_EQ(Price(3, 4), 14.0f);
        EXPECT_EQ(DayOffset, 0);
        EXPECT_EQ(LoadedDayCount, 4);
        EXPECT_EQ(TradeDateOfDay(1), "1/2/2020");
        EXPECT_EQ(BasketCount, 0);
        EXPECT_EQ(BasketFlag(7), 0);
        EXPECT_TRUE(std::filesystem::is_directory(ResultsFolderPath));
        EXPECT_EQ(ResultsFolderPath, DataFolderPath + "RESULTS/");
        std::vector<float> values;
        for (long i = 1; i <= 3; ++i)
            for (long d = 1; d <= 4; ++d) values.insert(values.end(), {Price(i, d), Volume(i, d)});
        seen.push_back(values);
    }
    EXPECT_EQ(seen[0], seen[1]);
}

TEST_F(HistoryLoadTest, LoadsTheNewestThreeThousandDays) {
    std::vector<BuiltRow> rows;
    for (int n = 3; n <= 3004; ++n) rows.push_back({"ONE", n, static_cast<double>(n), 1});
    WriteBuilt(HistoryDatabasePath, rows, {{"ONE", 1}}, 3004);
    ASSERT_TRUE(Load(HistoryDatabasePath));
    EXPECT_EQ(DateNumMin, 3);
    EXPECT_EQ(FirstLoadedDateNum, 5);
    EXPECT_EQ(DayOffset, 4);
    EXPECT_EQ(LoadedDayCount, 3000);
    EXPECT_EQ(MainVectors->CoordDim(), 3000);
    EXPECT_EQ(Price(1, 1), 5.0f);
    EXPECT_EQ(Price(1, 3000), 3004.0f);
    EXPECT_EQ(TradeDateOfDay(1), "1/6/2020");
    EXPECT_EQ(LoadedTradeDates(4), "empty date");

    // A smallest DateNum above 1 is the first day.
    rows.clear();
    for (int n = 3; n <= 10; ++n) rows.push_back({"ONE", n, static_cast<double>(n), 1});
    const std::string path = TempPath("short/History.mdb");
    std::filesystem::create_directories(TempPath("short"));
    WriteBuilt(path, rows, {{"ONE", 1}}, 10);
    ASSERT_TRUE(Load(path));
    EXPECT_EQ(DayOffset, 2);
    EXPECT_EQ(Price(1, 1), 3.0f);
    EXPECT_EQ(TradeDateOfDay(8), "1/11/2020");
}

TEST_F(HistoryLoadTest, LoadsAtMostTenThousandSymbols) {
    std::vector<BuiltRow> rows;
    std::vector<std::pair<std::string, double>> money;
    for (int s = 0; s <= kMaxSymbols; ++s) {
        char symbol[16];
        std::snprintf(symbol, sizeof symbol, "S%d", 100000 + s);
        rows.push_back({symbol, 1, 1.0 + s, 1});
        money.emplace_back(symbol, 1e6 - s);
    }
    WriteBuilt(HistoryDatabasePath, rows, money, 1);
    ASSERT_TRUE(Load(HistoryDatabasePath));
    EXPECT_EQ(SymbolCountInDB, kMaxSymbols + 1);
    EXPECT_EQ(SymbolsToLoad, kMaxSymbols);
    EXPECT_EQ(LoadedSymbolCount, kMaxSymbols);
    EXPECT_EQ(LoadedSymbols(kMaxSymbols), "S109999");
    EXPECT_EQ(Price(kMaxSymbols, 1), static_cast<float>(kMaxSymbols));
}

TEST_F(HistoryLoadTest, ADayWithoutARowShowsZeroNotTheSymbolBefore) {
    WriteBuilt(HistoryDatabasePath, {{"A", 1, 5, 5}, {"A", 2, 6, 6}, {"B", 1, 7, 7}},
               {{"A", 2}, {"B", 1}}, 2, true);
    ASSERT_TRUE(Load(HistoryDatabasePath));
    EXPECT_EQ(Price(2, 1), 7.0f);
    EXPECT_EQ(Price(2, 2), 0.0f);
    EXPECT_EQ(Volume(2, 2), 0.0f);
}

TEST_F(HistoryLoadTest, ALoadClearsTheStockResultsAndTheBestSignals) {
    WriteBuilt(HistoryDatabasePath, FourSymbols(), {{"A", 1}, {"B", 2}}, 4);
    ASSERT_TRUE(Load(HistoryDatabasePath));
    StockResults(2, 21) = 2.0f;
    StockResults(11000, 45) = 1.0f;
    BestSoFar.CompoundProfit = Num(12.5f);
    BestSoFar.GradientPoints = Num(20);
    MainVectors->CoordSetSingleValue(MainVectors->ModelStart() + 1, 3, 100.0f);
    ASSERT_TRUE(Load(HistoryDatabasePath));
    EXPECT_TRUE(Results == StockResultsState{});
    EXPECT_TRUE(MainVectors->CoordGetSingleValue(MainVectors->ModelStart() + 1, 3).isEmpty());
}

TEST_F(HistoryLoadTest, AFailedLoadKeepsThePreviousHistory) {
    WriteBuilt(HistoryDatabasePath, FourSymbols(), {{"A", 1}, {"B", 2}}, 4);
    ASSERT_TRUE(Load(HistoryDatabasePath));
    const std::string loaded = HistoryDatabasePath;
    const std::string results = ResultsFolderPath;
    std::ofstream(results + "Report.html") << "kept";
    const clsVectors* store = MainVectors.get();

    const std::string other = TempPath("other/History.mdb");
    std::filesystem::create_directories(TempPath("other"));
    {
        Database db = Database::Create(other);
        db.execute(
            "CREATE TABLE History (Symbol TEXT, Price DOUBLE, Volume DOUBLE, "
            "SplitCoef SINGLE, DateNum INTEGER)");
        db.execute("INSERT INTO History VALUES ('Z', 1, 1, 1, 1)");
    }
    EXPECT_FALSE(Load(other));  // no TradeDates, no DayMoney
    EXPECT_EQ(door_.CallsOf("message").back().text.rfind("Vellicor error handler:", 0), 0u);
    EXPECT_EQ(MainVectors.get(), store);
    EXPECT_EQ(LoadedSymbolCount, 2);
    EXPECT_EQ(LoadedSymbols(1), "B");
    EXPECT_EQ(Price(1, 2), 22.0f);
    EXPECT_EQ(HistoryDatabasePath, loaded);
    EXPECT_EQ(ResultsFolderPath, results);
    EXPECT_FALSE(std::filesystem::exists(TempPath("other/RESULTS")));
    EXPECT_TRUE(std::filesystem::exists(results + "Report.html"));

    {
        Database db = Database::Open(other);
        db.execute("DELETE FROM History");
    }
    EXPECT_FALSE(Load(other));  // an empty History table
    EXPECT_NE(door_.CallsOf("message").back().text.find("holds no rows"), std::string::npos);
    EXPECT_EQ(LoadedSymbols(2), "A");

    // A file that is no database: the error carries the scan's step number.
    std::ofstream(other) << "not a database";
    ErrorPosition = 31;
    EXPECT_FALSE(Load(other));
    EXPECT_EQ(
        door_.CallsOf("message").back().text.rfind("Vellicor error handler:\r\nPosition: 1 ", 0),
        0u)
        << door_.CallsOf("message").back().text;

    // A database that is gone: a beep, and no other file is opened in its place.
    const size_t messages = door_.CallsOf("message").size();
    const int beeps = door_.Beeps();
    EXPECT_FALSE(Load(TempPath("gone/History.mdb")));
    EXPECT_EQ(door_.Beeps(), beeps + 1);
    EXPECT_EQ(door_.CallsOf("message").size(), messages);
    EXPECT_EQ(HistoryDatabasePath, loaded);
    EXPECT_EQ(LoadedSymbols(1), "B");
}

TEST_F(HistoryLoadTest, ALoadAndASplitCommandAreRefusedWhileARunHoldsTheDataFolder) {
    RegisterHistoryCommands();
    WriteBuilt(HistoryDatabasePath, FourSymbols(), {{"A", 1}, {"B", 2}}, 4);
    ASSERT_TRUE(Load(HistoryDatabasePath));
    const std::string loaded = HistoryDatabasePath;
    const std::string set = TempPath("Set-EOD/");
    std::filesystem::create_directories(set + "RESULTS");
    WriteBuilt(set + "History.mdb", FourSymbols(), {{"A", 1}, {"B", 2}}, 4);
    const std::string report = set + "RESULTS/acmd5MarketSpecialSwingingReport.html";
    std::ofstream(report) << "the run's report";
    const std::string database = testing::DumpDatabase(set + "History.mdb");

    // A run of the set (another process, as far as the lock goes) works on it, and the user
    // gives the commands.
    const FolderLock run(set);
    ASSERT_TRUE(run.held());
    AutoRunMode = 0;
    door_.QueueOpenFile(set + "History.mdb");
    door_.QueueMessageAnswer(MsgAnswer::OK);
    Toolbar1_ButtonClick("find");
    door_.QueueOpenFile(set + "History.mdb");
    door_.QueueMessageAnswer(MsgAnswer::OK);
    mnuRemoveSplitCoeficients_Click();
    const std::string refusal = "The data folder is in use by another run or import!\r\n" + set;
    EXPECT_EQ(Messages(), (std::vector<std::string>{refusal, refusal}));
    EXPECT_TRUE(std::filesystem::exists(report));
    EXPECT_EQ(testing::DumpDatabase(set + "History.mdb"), database);
    EXPECT_EQ(HistoryDatabasePath, loaded);
    EXPECT_EQ(ResultsFolderPath, TempPath("RESULTS/"));
    EXPECT_EQ(LoadedSymbols(1), "B");
}

TEST_F(HistoryLoadTest, ADateNumOutsideTheTradeDatesIsRefusedAndKeepsTheHistory) {
    WriteBuilt(HistoryDatabasePath, FourSymbols(), {{"A", 1}, {"B", 2}}, 4);
    ASSERT_TRUE(Load(HistoryDatabasePath));
    const std::string loaded = HistoryDatabasePath;
    const std::string other = TempPath("other/History.mdb");
    std::filesystem::create_directories(TempPath("other"));
    auto expectRefused = [&](const std::string& range, const std::string& what) {
        ASSERT_FALSE(Load(other)) << what;
        EXPECT_NE(door_.CallsOf("message").back().text.find("DateNum outside 1 to " + range),
                  std::string::npos)
            << what;
        EXPECT_EQ(HistoryDatabasePath, loaded) << what;
        EXPECT_EQ(LoadedSymbols(1), "B") << what;
        EXPECT_EQ(LoadedDayCount, 4) << what;
    };
    // TradeDates numbers days 1 to 4. The last set would carry the window's arithmetic past
    // the 32-bit range, the one before it size the trade-date table to gigabytes.
    const std::vector<std::vector<int>> sets = {
        {1, 2, 3, 4, 5}, {0, 1, 2, 3, 4}, {1, 2, 3, 4, 100000000}, {2147483000, 2147483647}};
    for (const auto& dateNums : sets) {
        std::vector<BuiltRow> rows;
        for (int n : dateNums) rows.push_back({"Z", n, 1, 1});
        std::filesystem::remove(other);
        WriteBuilt(other, rows, {{"Z", 1}}, 4);
        expectRefused("4",
                      std::to_string(dateNums.front()) + ".." + std::to_string(dateNums.back()));
    }
    // Beyond the 16-bit DateNums even where TradeDates has as many rows.
    std::filesystem::remove(other);
    WriteBuilt(other, {{"Z", 1, 1, 1}, {"Z", 32768, 1, 1}}, {{"Z", 1}}, 1);
    {
        Database db = Database::Open(other);
        db.execute(
            "WITH RECURSIVE n(x) AS (SELECT 2 UNION ALL SELECT x + 1 FROM n WHERE x < 32768) "
            "INSERT INTO TradeDates SELECT NULL, 1, x FROM n");
    }
    expectRefused("32767", "32768");
}

// Everything a store holds: its public variables, then every cell of its matrix with its kind.
std::vector<std::string> StoreCells(const clsVectors& store) {
    std::vector<std::string> cells = {
        std::to_string(store.CoordDim()) + " " + std::to_string(store.WorkCount()) + " " +
        std::to_string(store.HelpCount()) + " " + std::to_string(store.ChartCount()) + " " +
        std::to_string(store.ModelCount()) + " " + std::to_string(store.BaseCount()) + " " +
        std::to_string(store.BufferStart()) + " " + std::to_string(store.BufferCount()) + " " +
        std::to_string(store.TotalVectors()) + " " + std::to_string(store.TotalCoords())};
    for (long v = 1; v <= store.TotalVectors(); ++v) {
        for (long c = 1; c <= store.TotalCoords(); ++c) {
            const Num n = store.CoordGetSingleValue(v, c);
            cells.push_back(std::to_string(v) + "," + std::to_string(c) + ": " +
                            std::to_string(static_cast<int>(n.kind())) + " " +
                            formatDoubleRoundTrip(n.toDouble()));
        }
    }
    return cells;
}

// The same cells, or a failure naming the first that differs.
void ExpectSameCells(const std::vector<std::string>& a, const std::vector<std::string>& b,
                     const char* store) {
    ASSERT_EQ(a.size(), b.size()) << store;
    const auto [x, y] = std::mismatch(a.begin(), a.end(), b.begin());
    if (x != a.end()) ADD_FAILURE() << store << ": " << *x << " against " << *y;
}

TEST_F(HistoryLoadTest, ReadersInParallelLeaveWhatTheSingleReaderLeaves) {
    eodgen::Options o = testing::GeneratedHistoryOptions(45, 260, 5);
    o.gapRate = 0.05;
    o.lateStartRate = 0.3;
    o.splitRate = 0.3;
    const std::string built = testing::LoadGeneratedHistory(TempFolder(), o);
    // Split coefficients, and a day without a row (the load shows 0 there).
    {
        Database db = Database::Open(built);
        db.execute("UPDATE History SET SplitCoef=2.5 WHERE DateNum < 100 AND Symbol < 'AAAK'");
        db.execute("DELETE FROM History WHERE Symbol='AAAC' AND DateNum=200");
    }
    auto loadWith = [&](int readers) {
        HistoryDatabasePath = built;
        EXPECT_TRUE(LoadHistory(readers)) << readers << " readers";
        return std::make_tuple(LoadedHistory, StoreCells(*MainVectors), StoreCells(*VolumeVectors),
                               StoreCells(*ScreeningVectors));
    };
    const auto single = loadWith(1);
    const std::int32_t count = std::get<0>(single).LoadedSymbolCount;
    EXPECT_GT(count, 30);
    for (int readers : {2, 4, 7}) {
        const auto parallel = loadWith(readers);
        EXPECT_TRUE(std::get<0>(parallel) == std::get<0>(single)) << readers << " readers";
        ExpectSameCells(std::get<1>(parallel), std::get<1>(single), "MainVectors");
        ExpectSameCells(std::get<2>(parallel), std::get<2>(single), "VolumeVectors");
        ExpectSameCells(std::get<3>(parallel), std::get<3>(single), "ScreeningVectors");
    }

    // A money volume without rows moves every later stock up one number: the single reader's
    // numbering stands.
    {
        Database db = Database::Open(built);
        db.execute("INSERT INTO DayMoney VALUES ('AAAZZ', 1e12)");
    }
    const auto moved = loadWith(1);
    EXPECT_EQ(std::get<0>(moved).LoadedSymbolCount, count);
    const auto movedParallel = loadWith(4);
    EXPECT_TRUE(std::get<0>(movedParallel) == std::get<0>(moved));
    ExpectSameCells(std::get<1>(movedParallel), std::get<1>(moved), "MainVectors");

    // A split coefficient of 0 fails both ways with the first failing symbol's error.
    {
        Database db = Database::Open(built);
        db.execute("UPDATE History SET SplitCoef=0 WHERE DateNum=250 AND Symbol IN (?1, ?2)",
                   {std::get<0>(single).LoadedSymbols(30), std::get<0>(single).LoadedSymbols(3)});
    }
    const size_t messages = door_.CallsOf("message").size();
    for (int readers : {1, 4}) {
        HistoryDatabasePath = built;
        EXPECT_FALSE(LoadHistory(readers));
    }
    const auto calls = door_.CallsOf("message");
    ASSERT_EQ(calls.size(), messages + 2);
    EXPECT_EQ(calls[messages].text, calls[messages + 1].text);
    EXPECT_NE(calls[messages].text.find("Division by zero: SplitCoef of "), std::string::npos);
}

TEST_F(HistoryLoadTest, AReaderThatCannotOpenLeavesItsSymbolsToTheOthers) {
    const std::string built =
        testing::LoadGeneratedHistory(TempFolder(), testing::GeneratedHistoryOptions(45, 260, 5));
    auto loaded = [] {
        return std::make_tuple(LoadedHistory, StoreCells(*MainVectors), StoreCells(*VolumeVectors),
                               StoreCells(*ScreeningVectors));
    };
    HistoryDatabasePath = built;
    ASSERT_TRUE(LoadHistory(1));
    const auto single = loaded();
    // The n-th opening and every later one fail, n = 1, 2, ... until none fails: the first is
    // the load's own connection (the load fails and keeps the history), the next four are the
    // readers' (all, three, two, one of them without a connection).
    long n = 1;
    for (;; ++n) {
        SCOPED_TRACE(n);
        const size_t messages = door_.CallsOf("message").size();
        InjectOpenFailure(n);
        HistoryDatabasePath = built;
        const bool ok = LoadHistory(4);
        const long tried = InjectOpenFailure(0);
        EXPECT_EQ(ok, n > 1);
        EXPECT_EQ(door_.CallsOf("message").size(), messages + (n == 1 ? 1 : 0));
        const auto now = loaded();
        EXPECT_TRUE(std::get<0>(now) == std::get<0>(single));
        ExpectSameCells(std::get<1>(now), std::get<1>(single), "MainVectors");
        ExpectSameCells(std::get<2>(now), std::get<2>(single), "VolumeVectors");
        ExpectSameCells(std::get<3>(now), std::get<3>(single), "ScreeningVectors");
        if (tried < n) break;
    }
    EXPECT_EQ(n, 6);
}

TEST(TradeDateText, NumbersAsDigitsDatesInTheShortForm) {
    EXPECT_EQ(TradeDateText("", true, 20200102.0), "20200102");
    EXPECT_EQ(TradeDateText("20200102", false, 0), "20200102");
    EXPECT_EQ(TradeDateText("2020-01-02", false, 0), "1/2/2020");
    EXPECT_EQ(TradeDateText("Q1", false, 0), "Q1");
}

}  // namespace
}  // namespace vel
