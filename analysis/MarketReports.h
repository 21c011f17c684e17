// The market reports (and the general trading report, built the same way): after a market timing,
// swinging or special swinging calculation of the Stock Basket, one HTML page in the RESULTS folder
// with the trading results of the basket's average signal, the chart picture and its table, notes,
// the timing parameters, the signal at the cursor, and links to the six CSV tables written with it
// (the backtests by rally, by stock and by stock and rally, the IT and MT rankings and the stock
// selection); the page is then opened in the browser. The reports "with groups" add the timing
// groups: each group becomes the Stock Basket in turn, its chart is redrawn and saved, its members
// listed and saved as a stock list; they leave the basket empty and RallyCount 0.
//
// Every file is named by the report key (ReportFiles.h). A report without rallies shows "No
// trading periods found!" and writes no file. A report holds the lock of the RESULTS folder's
// data folder while it writes (HoldResultsFolder): while a run, an import or another command
// holds it, the report shows the refusal and writes no file. A missing RESULTS folder is made
// first (one box and no file when it cannot be). A picture or table that cannot be written is
// reported by its writer and the page does not link to it. Every report gives
// TradingResultsText back as it found it, and returns true when the page and every file of it
// were written (also when there were no trading periods, and so no report to write), false when
// one of them, or the RESULTS folder, could not be, or the report was refused.
#pragma once

#include <string>

namespace vel {

// Report 1.
bool SaveMarketTimingHTMLReport(const std::string& pageName);
// Report 2: report 1 with the market timing groups.
bool SaveMarketTimingHTMLReportPlus(const std::string& pageName);
// Report 3.
bool SaveMarketSwingingHTMLReport(const std::string& pageName);
// Report 4: report 3 with the market swinging groups.
bool SaveMarketSwingingHTMLReportPlus(const std::string& pageName);
// Report 5.
bool SaveMarketSpecialSwingingHTMLReport(const std::string& pageName);
// Report 7, on whatever rallies the trading log holds: built like report 1 without the IT
// ranking, the selection and the remarks. It first writes the StockResults rows of every loaded
// stock (columns 1 to 4, 11 to 17 and 21) and, when no curve is selected, prices the rallies
// anew and adds "Trading method = DEFINED TRADING SIGNALS" and "Crossing Level = UNKNOWN" to
// TradingResultsText for good. ReportKind is "General" afterwards.
bool SaveGeneralTradingHTMLReport(const std::string& pageName);

}  // namespace vel
