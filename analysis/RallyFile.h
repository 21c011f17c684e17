// The trading log as a whole: the rally file "Rallies.txt" in the RESULTS folder (export and
// import), and the display of one rally as the chart's day window.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "RallyLog.h"

namespace vel {

// The rally file's lines: the count, then " BuyPos ,  SellPos " per rally, every number with a
// blank before it (when not negative) and one after it.
std::vector<std::string> RallyFileLines(const RallyLog& log);

// Reads a rally file's lines: numbers in free form (blanks around them ignored, separated by
// commas or line ends, a comma at either end of a line counting as the line end; blank lines
// skipped), the count and then a buy and a sell day per rally.
// Nothing when the text is no such file: a piece that is not a number, a number beyond 16 bits,
// a count below 0 or above 2000, or fewer days than the count asks for.
std::optional<RallyLog> ParseRallyFile(const std::vector<std::string>& lines);

// True when the rallies are in order (each SellPos at most the next BuyPos, each BuyPos at most
// its SellPos), every BuyPos lies in 1..lastDay and every SellPos in 1..lastDay + 1 (an open
// rally may end the day after the last loaded day, but no rally may start there).
bool RalliesFitHistory(const RallyLog& log, long lastDay);

// "No rallies to export!" without rallies; otherwise writes the log to ResultsFolderPath
// "Rallies.txt" (created anew, written whole) and shows "Rallies exported to:   " and the path.
// A file that cannot be written is reported instead; while a run, an import or another command
// holds the lock of its data folder (HeldForWriting), nothing is written.
void ExportTradingLog();

// Replaces the trading log by the rallies of ResultsFolderPath "Rallies.txt" when the file is
// readable, well formed and its rallies fit the loaded history: "OK, importing rallies! " with
// the file and the count. A missing file ("There is no file  " and the path) and a refused file
// ("Problems, importing rallies! ", count 0) leave the log as it was. After a read file the
// menu captions are refreshed and the chart repainted.
void ImportTradingLog();

// Sets the day window to rally RallyToDisplay (its buy day to its sell day, clamped into the
// loaded days), widening the scroll bars first, then sets them, the day labels and the menu
// captions. Beeps when RallyToDisplay is no rally of the log.
void DisplaySelectedRally();

// Asks for a rally number from 1 to RallyCount ("Default values of program parameters.") and
// shows that rally; beeps without rallies, for an answer that is not a number, and for a
// number outside the range (RallyToDisplay is then unchanged).
void SelectRallyToDisplay();

}  // namespace vel
