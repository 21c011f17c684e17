// The split coefficients of a built "History.mdb": estimating split events from price falls
// between adjacent trading days (table SplitEvents), turning the events into the SplitCoef
// column of History (a running product per symbol, newest day first), resetting every
// coefficient to 1, and the page that lists the splits in force. Prices and volumes are never
// changed; the load divides prices by SplitCoef and multiplies volumes by it.
//
// Each procedure works in one transaction on the database it is given: it completes, or it
// shows the error in the error-handler form and leaves the database as it was. A database
// without the History or SplitEvents table is reported the same way. The three that write the
// database hold the lock of its folder while they work (FolderHold): while a run, an import or
// another command holds it, they show its message, change nothing and return false.
#pragma once

#include <string>

#include "HistoryState.h"

namespace vel {

// SplitsDatabasePath, the database shown in the split events editor: HistoryState.h.

// Replaces the rows of SplitEvents by one event per fall of a symbol's price to at most
// 1/1.4 of the day before: dated the older day, coefficient the price ratio rounded to a
// multiple of 0.5 (halves to even). Ends with the message "Stock split events estimated!".
// Returns true when the events were written.
bool EstimateSplitEvents(const std::string& databasePath);

// Recomputes SplitCoef of every History row: 1, times the coefficient (above 0) of every split
// event of its symbol dated on or after its day, also an event on the symbol's newest day.
// Events that match no History row change nothing. Ends with the message "Stock split
// coeficients updated in History table!". Returns true when the coefficients were written.
bool UpdateSplitCoefficients(const std::string& databasePath);

// Sets SplitCoef of every History row to 1; SplitEvents is kept, so the update can apply the
// events again. Ends with the message "Stock split coeficients removed from History table!".
bool RemoveSplitCoefficients(const std::string& databasePath);

// Writes the page "Stock splits adjusted by the user." to pagePath (written whole): one table
// row per change of SplitCoef along each symbol's days, newest first, with the factor (four
// decimals) and the date of the last day before the split. On failure the error is shown, what
// stood at pagePath stays as it was, and false is returned. It holds the lock of the page's data
// folder (DataFolderOf) while it works, and is refused like the three above. Does not open the
// page.
bool WriteUserAdjustedSplitsReport(const std::string& databasePath, const std::string& pagePath);

// The split coefficient of the price ratio (older day / newer day) between two adjacent days:
// ratios below 1.4 give 1, others ratio x 2 rounded half to even, halved (1.4 gives 1.5, 2.25
// gives 2, 2.75 gives 3).
double SplitCoefficientOfRatio(double ratio);

}  // namespace vel
