// The procedures on the stock results matrix that the reports use: the clear, the ranking of
// one column into the index column, the ranking CSV file in that order, and the selection of
// the stocks at or above average in two columns.
#pragma once

#include <string>

#include "StockResults.h"

namespace vel {

// The rows the ranking and selection procedures read and write (at most 10000 stocks).
constexpr int kRankedRows = 10000;

// Every cell of the 11000 rows and 45 columns becomes 0.
void ClearStockResultsMatrix();

// Rows 1..n of IndexColumn receive the item numbers r (1..10000) whose FilterColumn is above 0,
// in descending order of ValueColumn, equal values in ascending item order; rows n + 1..10000
// receive 0 and rows above 10000 are not touched. Columns outside 1..45 raise
// SubscriptRangeError.
void BuildSortedIndexColumn(long ValueColumn, long IndexColumn, long FilterColumn);
// The same by bubble passes over the index, pair by pair, until a pass swaps nothing: the
// plain form, kept as the test oracle of the sort.
void BuildSortedIndexColumnByPasses(long ValueColumn, long IndexColumn, long FilterColumn);

// Writes the ranking CSV file: one row per entry above 0 of IndexColumn (rows 1..10000), its
// rank and the item's symbol and results, the header line before the first row; no entry gives
// an empty file. A file that cannot be written is reported and false returned.
bool WriteStockRankingCSV(long IndexColumn, const std::string& FilePath);

// FlagColumn of every loaded stock's row becomes 1 when its ColumnA is at or above the mean of
// the loaded stocks' values above 0 in ColumnA (0 when there is none) and likewise ColumnB, else
// 0; the rows of the other item numbers up to 10000 become 0, so no stock beyond the loaded ones
// is ever selected.
void MarkStockSelection(long ColumnA, long ColumnB, long FlagColumn);

}  // namespace vel
