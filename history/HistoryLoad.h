// The history load: the newest trading days (at most 3000) of the most traded symbols (at
// most 10000, in descending order of DayMoneyAvg, equal averages by symbol) of a built
// "History.mdb" become split-adjusted price vectors in the Buffer of MainVectors and volume
// vectors in the Buffer of VolumeVectors, with LoadedSymbols, LoadedTradeDates and DayOffset.
// A load either completes or changes nothing: the stores, tables, paths, Stock Basket and the
// RESULTS folder of the previous load stay as they were.
#pragma once

#include <cstdint>
#include <string>

#include "AppState.h"

namespace vel {

// The window and counts of the last successful load (SymbolCountInDB, LoadedDayCount,
// LoadedSymbolCount, ...) are members of the loaded history group, LoadedHistory (AppState.h).

// Loads the database at HistoryDatabasePath (its folder becomes the data folder). On success
// the three stores are sized anew and filled, the Stock Basket is emptied and the RESULTS
// folder beside the database is created or emptied; returns true. On failure the paths are
// those of the previous load again, nothing else has changed, and it returns false: a missing
// file only beeps; a data folder whose lock another run, import or command holds, or that cannot
// be locked, shows its message (HeldForWriting); a RESULTS folder that cannot be prepared shows
// its own message; a missing table, an empty History table or any engine error shows the error
// handler (position 1 while the database is opened and scanned, 5 from the trade dates on). The
// load holds the lock of its data folder (FolderHold) from the read to its end.
// The rows are read by `readers` connections at once, each a share of the symbols, where the
// History table is kept in the order of its key (0: one per core, at most 8); 1 reads them one
// symbol after the other on one connection. Both leave the same stores and tables.
bool LoadHistory(int readers = 0);

// The text of a stored trade date as the load keeps it: a number as its whole digits, a date
// in the form M/D/YYYY, anything else as stored.
std::string TradeDateText(const std::string& stored, bool storedAsNumber, double number);

}  // namespace vel
