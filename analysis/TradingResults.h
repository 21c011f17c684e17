// The backtest whose results the user sees: the rallies of the program's trading log applied to
// every member of the Stock Basket at once. Per rally the members' net rally profits are
// averaged, the averages compounded over the rallies; the results text, an optional CSV row per
// rally and a one-row summary in the CSV row buffer are left for the caller.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "RallyLog.h"

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

// The net compound profit that CalcBasicTradingResults returns, for searches that price many
// trial logs over one basket: no text, no CSV rows, no process-wide log. It takes a snapshot of
// the members' prices on the days firstDay..min(lastDay, CoordDim) (the days a rally of the
// trials may buy or sell on), of the commission and of the basket when it is made; the average
// of each (buy day, sell day) pair is kept, so a pair met again costs one look-up. A price cell
// that CalcBasicTradingResults could not read raises its error here, when the snapshot is made.
// Copies share the snapshot and keep pairs of their own, so each worker thread prices on a copy.
class BasketRallyPricer {
public:
    BasketRallyPricer(long firstDay, long lastDay);
    // The compound profit of the log's rallies, each sold at its SellPos, at the latest on the
    // last loaded day; every day must lie inside the snapshot (SubscriptRangeError otherwise).
    float CompoundProfit(const RallyLog& log);

private:
    double PairProfit(long b, long s);
    long first_ = 0, last_ = 0, lastLoaded_ = 0;
    std::size_t members_ = 0;
    float commission_ = 0.0f;
    // Day-major: (d - first_) * members_ + member.
    std::shared_ptr<const std::vector<float>> prices_;
    std::unordered_map<std::uint32_t, double> pairs_;
};

}  // namespace vel
