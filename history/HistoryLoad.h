// The history load: the newest trading days (at most 3000) of the most traded symbols (at
// most 10000, in descending order of DayMoneyAvg, equal averages by symbol) of a built
// "History.mdb" become split-adjusted price vectors in the Buffer of MainVectors and volume
// vectors in the Buffer of VolumeVectors, with LoadedSymbols, LoadedTradeDates and DayOffset.
// A load either completes or changes nothing: the stores, tables, paths, Stock Basket and the
// RESULTS folder of the previous load stay as they were.
#pragma once

#include <cstdint>
#include <string>

namespace vel {

// The window and counts of the last successful load (this module owns them).
extern std::int32_t SymbolCountInDB;  // distinct symbols of the History table
extern std::int32_t DateNumMin, DateNumMax;
extern std::int32_t FirstLoadedDateNum;  // the largest of 1, DateNumMin and DateNumMax - 2999
extern std::int32_t LastLoadedDateNum;   // DateNumMax
extern std::int32_t LoadedDayCount;      // day indexes: LastLoadedDateNum - DayOffset
extern std::int32_t SymbolsToLoad;       // SymbolCountInDB, at most 10000: the Buffer sizes
extern std::int32_t LoadedSymbolCount;   // symbols loaded

// Loads the database at HistoryDatabasePath (its folder becomes the data folder). On success
// the three stores are sized anew and filled, the Stock Basket is emptied and the RESULTS
// folder beside the database is created or emptied; returns true. On failure the paths are
// those of the previous load again, nothing else has changed, and it returns false: a missing
// file only beeps; a RESULTS folder that cannot be prepared shows its own message; a missing
// table, an empty History table or any engine error shows the error handler (position 1 while
// the database is opened and scanned, 5 from the trade dates on).
bool LoadHistory();

// The text of a stored trade date as the load keeps it: a number as its whole digits, a date
// in the form M/D/YYYY, anything else as stored.
std::string TradeDateText(const std::string& stored, bool storedAsNumber, double number);

}  // namespace vel
