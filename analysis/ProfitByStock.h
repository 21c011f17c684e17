// The backtest by stock on the common rallies: the rallies of the program's trading log applied
// to every loaded stock one by one, without commission, into two CSV files and the MT columns
// 31 to 36 of the stock results matrix.
#pragma once

#include <string>

namespace vel {

// For every loaded stock i (in or out of the Stock Basket), when there are rallies: its rally
// profits (sold at SellPos, at the latest on the last loaded day), their compound and their
// sum, the hold-through profit from the first buy day to the last sell day (at the latest the
// last shown day), one row in the by-stock file, one row per rally in the by-rally file, and
// columns 31..36 of row i. Column 31 of rows 1..10000 is cleared first. Both files are written
// anew, whole (empty without rallies); a file that cannot be written is reported and left
// out, and the matrix is filled all the same. Returns true when both files were written; each
// file's own outcome goes to byStockWritten and byRallyWritten when given.
bool CalcTradingLogProfitByStock(const std::string& ByStockFilePath,
                                 const std::string& ByRallyFilePath, bool* byStockWritten = nullptr,
                                 bool* byRallyWritten = nullptr);

}  // namespace vel
