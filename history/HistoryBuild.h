// The database build: the raw table History1 of "History.mdb" becomes the dense History table
// of the kept symbols over the kept trading days, the numbered TradeDates, DayCount, DayMoney
// (the average daily money volume of the five newest days) and an empty SplitEvents table.
// The build runs in one transaction: it completes, or it shows the error in the error-handler
// form and leaves the database as it was.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "Database.h"
#include "ErrorHandler.h"
#include "HistoryState.h"
#include "Tables.h"

namespace vel {

// History1RecordCount and the completion's SymbolDayPrices and SymbolDayVolumes:
// HistoryState.h. The completion uses entries 1..kMaxCompletionDays of the day arrays.
constexpr int kMaxCompletionDays = 6000;

// The two roads of the build, which finish with the same database (tables, columns, types,
// values and row order). The step-by-step road makes the intermediate tables History2,
// History3 and History4 and walks History4; the fused road reads History1 once and keeps what
// those tables would hold in memory, several times faster. A raw table that the fused road does
// not take (a value of an unexpected kind in Symbol, TradeDate, Price or Volume, one symbol
// twice on one date, a price beyond the single range, columns that would clash, a built table
// already there) goes the step-by-step road.
enum class BuildRoad { Fused, StepByStep };

// Builds the tables in the database at the path (History1 must exist, none of the built
// tables may). Sets History1RecordCount (0 until the rows are read); with no History1 row it
// returns at once, changing nothing. Price or Volume not DOUBLE, or Symbol not TEXT: the log line,
// the fatal regional-settings message, and the process ends. A TradeDate column that holds text
// other than ISO dates: the log line and the no-dates message, nothing changed (such dates cannot
// be put in order). Any other failure: the error-handler message (position 31, or 8 from the
// completion step on), the database unchanged. Returns true when the tables were built.
bool BuildHistoryTables(const std::string& databasePath, BuildRoad road = BuildRoad::Fused);
// "End of historical data importing!", unless AutoRunMode is 1.
void ShowHistoryBuildEnd();
// BuildHistoryTables, then ShowHistoryBuildEnd when the tables were built.
bool BuildHistoryDatabase(const std::string& databasePath);

// The refusal of a TradeDate column without dates: the log line naming the database, then the
// message (shown in every mode).
void ShowNoTradeDatesMessage(const std::string& databasePath);

// The completion step inside the build's transaction: the table History with one row per
// symbol of History4 and per DateNum from its first to its last (at most the 6000 newest),
// prices of missing days filled from the previous (else the next) traded day, volume 0 there,
// SplitCoef 1, TradeDate from TradeDates; then History4 is dropped. Sets ErrorPosition 8.
void MakeHistoryTableComplete(Database& db);
// Fills the zero entries 1..dayCount of SymbolDayPrices: forward with the last positive price
// seen, then backward with the next one (leading days get the first traded price).
void FillPriceGaps(std::int16_t dayCount);

// The step-by-step road inside the build's transaction, after the checks of the raw table's
// types. Sets History1RecordCount.
void BuildTablesStepByStep(Database& db);
// The fused road inside the build's transaction, after the checks of the raw table's types:
// false, with nothing written, when the raw table needs the step-by-step road; otherwise every
// table is built (BuildWasFused is set once the raw table is taken). Errors as the step-by-step
// road's (ErrorPosition 31, 8 from the completion on). Sets History1RecordCount.
bool BuildTablesFused(Database& db);

}  // namespace vel
