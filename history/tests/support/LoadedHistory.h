// "A loaded history" for the tests of every folder above history/, in one line:
//
//     const std::string database = LoadGeneratedHistory(TempFolder(), 40, 600);
//
// generates 40 symbols x 600 trading days of EOD text with the project's generator, builds a
// "History.mdb" from them with the program's own import and build, and loads it as the
// "Load History.mdb" command does (vector stores, LoadedSymbols, LoadedTradeDates, the load's
// counts, paths, an empty RESULTS folder), through the door the test installed.
#pragma once

#include <cstdint>
#include <string>

#include "EodGenerator.h"

namespace vel::testing {

// The generator's options for a history of the size: `symbols` x `days` from 2010-01-04,
// ISO dates, 1% missing days, no late starts, no splits, the seed.
eodgen::Options GeneratedHistoryOptions(int symbols, int days, std::uint64_t seed = 1);

// Imports every "*.csv" file of the folder (the symbol from the file's name, the date, price
// and volume from the given columns: 2 = a line's first field) into a new "History.mdb" in
// it and builds the database, with the program's procedures. The build's closing message is
// shown through the installed door. Returns the database path; "" when the build failed.
std::string BuildHistoryFromFolder(const std::string& folder, int dateColumn, int priceColumn,
                                   int volumeColumn);

// Puts a built "History.mdb" of the generated history into `folder` + "history/" (created) and
// loads it; returns the database's path. The database of each (options) is generated and
// built once per test program, quietly and without touching the process state, so every
// test sees the same state whichever test built it first. A failed load fails the test.
std::string LoadGeneratedHistory(const std::string& folder, const eodgen::Options& options);
std::string LoadGeneratedHistory(const std::string& folder, int symbols, int days,
                                 std::uint64_t seed = 1);

}  // namespace vel::testing
