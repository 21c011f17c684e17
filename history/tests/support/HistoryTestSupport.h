// Helpers of the history tests: a fixture with the scripted door and a temporary data folder,
// raw History1 tables and built History tables written directly, and readers of the results.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "AppState.h"
#include "Database.h"
#include "PlatformFixture.h"
#include "VectorStores.h"

namespace vel::testing {

struct RawRow {
    std::string symbol;
    std::string date;  // ISO
    double price;
    double volume;
};

// One row of a built History table.
struct BuiltRow {
    std::string symbol;
    int dateNum;
    double price;
    double volume;
    float splitCoef = 1.0f;
};

class HistoryFixture : public PlatformFixture {
protected:
    void SetUp() override {
        PlatformFixture::SetUp();
        AutoRunMode = 1;  // no final message unless a test asks for it
        CreateVectorStores();
        DataFolderPath = TempFolder();
        HistoryDatabasePath = TempPath("History.mdb");
    }
    void TearDown() override {
        DropVectorStores();
        PlatformFixture::TearDown();
    }

    // A new database at HistoryDatabasePath with History1 (Symbol TEXT, TradeDate DATE,
    // Price DOUBLE, Volume DOUBLE) holding the rows.
    void WriteHistory1(const std::vector<RawRow>& rows) {
        Database db = Database::Create(HistoryDatabasePath);
        Database::Transaction transaction(db);
        db.execute(
            "CREATE TABLE History1 (Symbol TEXT, TradeDate DATE, Price DOUBLE, Volume DOUBLE)");
        Statement ins = db.prepare("INSERT INTO History1 VALUES (?1, ?2, ?3, ?4)");
        for (const auto& r : rows) {
            ins.reset();
            ins.bindAll({r.symbol, r.date, r.price, r.volume});
            ins.run();
        }
        transaction.commit();
    }

    // A built database at `path`: History (kept in Symbol, DateNum order unless `plain`),
    // TradeDates with the ISO date of each DateNum (2020-01-01 + DateNum days), and DayMoney
    // with the given averages.
    static void WriteBuilt(const std::string& path, const std::vector<BuiltRow>& rows,
                           const std::vector<std::pair<std::string, double>>& dayMoney,
                           int dateNums, bool plain = false) {
        Database db = Database::Create(path);
        Database::Transaction transaction(db);
        db.execute(std::string("CREATE TABLE History (Symbol TEXT, TradeDate DATE, Price DOUBLE, "
                               "Volume DOUBLE, SplitCoef SINGLE, DateNum INTEGER") +
                   (plain ? ")" : ", PRIMARY KEY (Symbol, DateNum)) WITHOUT ROWID"));
        db.execute(
            "CREATE TABLE TradeDates (TradeDate DATE, SymbolCount INTEGER, DateNum INTEGER)");
        db.execute("CREATE TABLE DayMoney (Symbol TEXT, DayMoneyAvg DOUBLE)");
        for (int n = 1; n <= dateNums; ++n)
            db.execute("INSERT INTO TradeDates VALUES (date('2020-01-01', ?1 || ' days'), 1, ?2)",
                       {n, n});
        for (const auto& r : rows)
            db.execute("INSERT INTO History VALUES (?1, NULL, ?2, ?3, ?4, ?5)",
                       {r.symbol, r.price, r.volume, r.splitCoef, r.dateNum});
        for (const auto& [symbol, money] : dayMoney)
            db.execute("INSERT INTO DayMoney VALUES (?1, ?2)", {symbol, money});
        transaction.commit();
    }

    // "symbol:dateNum:price:volume" for the History rows, in Symbol, DateNum order.
    static std::vector<std::string> HistoryRows(Database& db) {
        std::vector<std::string> out;
        Statement s = db.prepare(
            "SELECT Symbol, DateNum, Price, Volume FROM History ORDER BY Symbol, DateNum");
        while (s.step())
            out.push_back(s.getText(0) + ":" + std::to_string(s.getInteger(1)) + ":" +
                          DbValue(s.getDouble(2)).toText() + ":" +
                          DbValue(s.getDouble(3)).toText());
        return out;
    }

    static std::vector<std::string> Tables(Database& db) {
        std::vector<std::string> out;
        Statement s = db.prepare("SELECT name FROM sqlite_schema WHERE type='table' ORDER BY name");
        while (s.step()) out.push_back(s.getText(0));
        return out;
    }

    // The messages shown so far.
    std::vector<std::string> Messages() const {
        std::vector<std::string> out;
        for (const auto& c : door_.CallsOf("message")) out.push_back(c.text);
        return out;
    }
};

// The whole database as text: every schema entry (tables, triggers) and every row, read
// through the engine directly (opening it through the program's layer would mend triggers).
inline std::string DumpDatabase(const std::string& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return "cannot open " + path;
    }
    std::string out;
    auto query = [&](const std::string& sql, std::vector<std::string>* firstColumn) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
            out += "error: " + sql + "\n";
            return;
        }
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                const unsigned char* t = sqlite3_column_text(st, i);
                out += t ? reinterpret_cast<const char*>(t) : "NULL";
                out += '|';
            }
            out += '\n';
            if (firstColumn) {
                const unsigned char* t = sqlite3_column_text(st, 1);
                if (t && std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))) ==
                             "table")
                    firstColumn->push_back(reinterpret_cast<const char*>(t));
            }
        }
        sqlite3_finalize(st);
    };
    std::vector<std::string> tables;
    query("SELECT type, name, sql FROM sqlite_schema ORDER BY name", &tables);
    for (const auto& t : tables) {
        out += "== " + t + "\n";
        query("SELECT * FROM \"" + t + "\"", nullptr);
    }
    sqlite3_close(db);
    return out;
}

// An ISO date `days` days after 2020-01-01.
inline std::string Day(int days) {
    return formatIsoDate(dateFromSerial(dateSerial(Date{2020, 1, 1}) + days));
}

}  // namespace vel::testing
