// The steps that the two roads of the database build share, so that both run the same
// statements on the same values: the step-by-step road through the intermediate tables
// History2, History3 and History4 (HistoryBuild.cpp), and the fused road that keeps what those
// tables would hold in memory (HistoryBuildFused.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Database.h"

namespace vel::build {

// A value that a step needs is missing (an average over no rows, an empty table's minimum):
// the program's NullValueError (Errors.h), number 94 in the error-handler box.
using vel::NullValueError;

// Shows the running step in the action label and yields.
void ShowAction(const std::string& text);
// The number of a value; NullValueError for null.
double NumberOf(const DbValue& v);
// The type of History1's column of that name (any case); SqlError when it is missing.
DbType FieldType(const std::vector<DbColumn>& columns, std::string_view name);

// SplitEvents: the columns Symbol, TradeDate and SplitCoef of `history2` (History2, or an
// empty table of its columns named History2 in the statement), without rows.
void MakeSplitEvents(Database& db, const std::string& history2);
// From TradeDates1 on: the kept trading days (SymbolCount above half the average, at most the
// 3000 newest) into TradeDates, numbered by DateNum in TradeDate order. Returns their number.
std::int32_t MakeTradeDates(Database& db);
// The smallest DayCount a symbol keeps: 0.6 times the average of DayCount, as written.
double SymbolThreshold(Database& db);

// The first and last DateNum that the completion writes and the number of days between: the
// smallest and largest DateNum of the rows (NullValueError when there are none), at most the
// 6000 newest.
struct CompletionWindow {
    std::int16_t first = 0, last = 0, dayCount = 0;
};
CompletionWindow WindowOf(const DbValue& smallest, const DbValue& largest);
// "CREATE [TEMP ]TABLE <name> (" the columns with their declared types ", PRIMARY KEY (Symbol,
// DateNum)) WITHOUT ROWID": a table kept in the order of its key, so that one symbol's days are
// read in DateNum order without a scan.
std::string HistoryCreateStatement(const std::string& createTable,
                                   const std::vector<DbColumn>& columns);
// The TradeDate of TradeDates for each DateNum first + i - 1 (entry i, 1..dayCount).
std::vector<DbValue> CompletionTradeDates(Database& db, const CompletionWindow& window);
// Entries 1..6000 of SymbolDayPrices and SymbolDayVolumes become 0.
void ClearDayArrays();

// DayMoney: the average Price x Volume of each symbol over the DateNums above tradeDateCount - 5,
// in descending order of the average, read from `history` (the table History, or a table of
// its columns and key that holds at least those rows, named History in the statement).
void MakeDayMoney(Database& db, std::int32_t tradeDateCount, const std::string& history);

}  // namespace vel::build
