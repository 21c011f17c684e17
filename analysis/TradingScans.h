// The scans of trading results by past days: how the trading methods perform on the Stock
// Basket's past short-term profit curve when the number of past days (1 to 50) and the one-way
// commission (0.1 to 0.5 percent) vary. Every method run becomes one row of a result CSV file
// in the RESULTS folder; the runs are silent, and the two parameters come back at the end.
#pragma once

namespace vel {

// The complete scan: methods A, B, C, D and E for every past-day count and commission, 1250
// rows into "ScanTradingResultsComplete.csv".
void ScanTradingResultsByPastDaysComplete();

// The short scan: methods A, C and E, 750 rows into "ScanTradingResultsShort.csv".
void ScanTradingResultsByPastDaysShort();

// Both scans: with an empty Stock Basket only the notice "Put some stock symbols into Stock
// Basket, please." (titled "Vellicor"), once, and nothing else happens. Otherwise, for each past-
// day count the chart is cleared and the basket's past short-term profit curve over that count
// becomes curve 1; for each commission each method trades curve 1 through its command on the
// selected curve, and the row the method left in the CSV row buffer, followed by "PastDays",
// "Date" and "Time", is written (the header line, that of the first row, once). SilentMode is
// set throughout. At the end, also when an error ends the scan: defPastDays, defCommission and
// SilentMode as they were, the menu captions rewritten, the status text empty and the default
// pointer. The chart keeps the curve of 50 past days, and the trading log, TradingResultsText
// and the CSV row buffer the last method run.

}  // namespace vel
