// The backtest whose results the user sees: the rallies of the program's trading log applied to
// every member of the Stock Basket at once. Per rally the members' net rally profits are
// averaged, the averages compounded over the rallies; the results text, an optional CSV row per
// rally and a one-row summary in the CSV row buffer are left for the caller.
#pragma once

#include <string>

namespace vel {

// The text of the last backtest over the Stock Basket, lines ended by LF, beginning
// "BASIC TRADING RESULTS (backtesting):". The trading methods append their lines to it, the
// result messages show it and the reports copy it.
extern std::string TradingResultsText;

// Runs the backtest and returns the net compound profit in percent (0 without rallies). Each
// rally buys at its BuyPos and sells at its SellPos, at the latest on the last loaded day; a
// member with no buy price above 0 counts with a profit of 0; an empty basket gives 0 for every
// rally. A path that is not empty names the rally CSV file, created anew (empty without
// rallies); when it cannot be written it is reported and *fileWritten (when given) is false.
// Leaves TradingResultsText and the summary row in the CSV row buffer.
float CalcBasicTradingResults(const std::string& CsvFilePath, bool* fileWritten = nullptr);

}  // namespace vel
