// The market calculations over the Stock Basket: market timing, market swinging and special
// swinging. Each runs its per-stock search for every member (MemberSearches.h), records the
// member's best trial in StockResults and an optional CSV row, averages the admitted members'
// curves and signals, appends the averages as chart curves and trades the average signal
// with the optimal-level method (signal B), whose Yes to the report question writes the
// report of the kind in ReportKind.
#pragma once

#include <string>

namespace vel {

// Market timing: the basket's trend curves first, then the timing search per member with
// work vectors 10 to 12; averages of vectors 11 and 12 in 20 and 21; Model vector of every
// admitted member = its best signal. An empty path writes no CSV file.
void CalcMarketTiming(const std::string& CsvFilePath);
// Market swinging: search vectors 20 to 24 per member; averages of 22, 23, 24 in 10, 11, 12.
void CalcMarketSwinging(const std::string& CsvFilePath);
// Special swinging: search vectors 20, 21, 24 per member; averages of 21 and 24 in 10 and 12.
void CalcMarketSpecialSwinging(const std::string& CsvFilePath);

}  // namespace vel
