// The process-wide tables and run state that the subsystems share: the loaded symbols and
// trade dates, the day window, the trading log, the stock results, the Stock Basket, the
// interval table, paths, program parameters and run flags. They are plain data owned here,
// replaced by the history load and reset to their start values by ResetAppState.
#pragma once

#include <cstdint>
#include <string>

#include "Num.h"
#include "Tables.h"

namespace vel {

// ---- Loaded history ------------------------------------------------------------------
constexpr int kMaxSymbols = 10000;
constexpr int kMaxDays = 3000;
constexpr int kMaxStockItems = 11000;  // BasketFlag and StockResults rows
constexpr int kMaxRallies = 2000;

// Symbol of stock item number i (1..10000; 1 = the largest average money volume).
extern Table1D<std::string> LoadedSymbols;
// Trade dates indexed by DateNum (1..the last loaded DateNum): "empty date" or a date text.
extern Table1D<std::string> LoadedTradeDates;
// The first loaded DateNum - 1: day index d stands for DateNum d + DayOffset.
extern std::int32_t DayOffset;
// The trade date text of day index d: entry d + DayOffset of LoadedTradeDates.
const std::string& TradeDateOfDay(long d);

// ---- Day window, cursor and selection (owned by the chart window) ----------------------
extern Num ChartFrom1;  // first shown day; read as a 16-bit day (halves to even)
extern std::int16_t ChartTo1;
extern std::int16_t ChartFrom2, ChartTo2;
extern std::int16_t CalcFrom1, CalcTo1;
extern Num GroupFrom;  // first day of the group period; read as a 16-bit day
extern std::int16_t GroupTo;
extern std::int16_t CursorDay;
extern std::int16_t SelectedChartCurve;
extern std::int16_t DisplayedStockIndex;

// ---- Trading log ------------------------------------------------------------------------
// Rows 0..2000, columns 0..2: column 1 BuyPos, column 2 SellPos (ChartTo1 + 1 while open).
extern Table2D<std::int16_t> TradingLog;
extern std::int16_t RallyCount;
extern std::int16_t LastTradeAction;     // +1 after a buy, -1 after a sell and at a walk's start
extern std::int16_t LastTradeActionDay;  // day of LastTradeAction, -1 at a walk's start

// Opens rally RallyCount + 1 with the buy day. A 2001st rally raises SubscriptRangeError and
// changes nothing (the count stays at 2000).
void TradingLogAddBuyPosition(long BuyPos);
// Closes the newest rally with the sell day. With no rally (RallyCount 0) it writes row 0,
// which nothing reads.
void TradingLogSetSellPosition(long SellPos);

// ---- Stock results and Stock Basket -----------------------------------------------------
extern Table2D<float> StockResults;       // rows 1..11000, columns 1..45
extern Table1D<std::int16_t> BasketFlag;  // 1..11000: 0 out, 1 in
extern std::int16_t BasketCount;

// ---- Interval table ---------------------------------------------------------------------
// Rows 1..200, columns 1..3: upper limit (excluded), lower limit (included), working value.
extern Table2D<float> IntervalLimit;
extern std::int16_t IntervalCount;

// ---- Import column tables ---------------------------------------------------------------
// Columns 1..20 of an EOD text import: column 1 is the symbol taken from the file's name,
// columns 2..20 the fields of a line. Type code: 0 not defined, 1 number, 2 text, 3 date.
extern Table1D<std::int16_t> ImportColumnType;
// Role name per column: "Symbol", "TradeDate", "Price", "Volume", or "" for no role.
extern Table1D<std::string> ImportColumnName;

// ---- Paths (folder paths end with "/") ---------------------------------------------------
extern std::string ProgramFolderPath;
extern std::string DataFolderPath;
extern std::string HistoryDatabasePath;
extern std::string ResultsFolderPath;
// The import source (a text file, a folder chosen through one of its files, or a database)
// and its type: 1 one text file, 2 a folder of text files, 3 an existing history database.
extern std::string ImportSourcePath;
extern std::int16_t ImportSourceType;
extern std::string ImportFileExtension;  // extension of the import text files, without "."
extern std::int16_t ImportSourceStatus;  // 0 source found and paths set, 1 missing
extern std::string HistoryName;          // "History"
extern std::string HistoryFileName;      // "History.mdb"
extern std::string ResultsName;          // "Results"
extern std::string ResultsFileName;      // "Results.mdb"
extern std::string ResultsDatabasePath;  // the interval tables' database in the RESULTS folder
extern std::string ResultsReportPath;    // "Vellicor.html" in the RESULTS folder
// The import file last split into symbol and extension (".CSV", upper case).
extern std::string ImportFilePath;
extern std::string ImportFileSymbol;
extern std::string ImportFileExtUpper;
extern std::string BrowserPath;  // the web browser program, "" until found

// ---- Program parameters -----------------------------------------------------------------
extern std::int16_t defPastDays;
extern float defCommission;
extern float defCorrelation;
extern float defDiligence;
extern std::string defStockSymbolString;
extern std::int16_t defStockSymbolIndex;
extern std::int16_t defSymbolsInChartPane;
extern std::int16_t RallyToDisplay;

// ---- Run state --------------------------------------------------------------------------
extern std::int16_t AutoRunMode;  // 1 while an unattended run is active
extern std::int16_t SilentMode;   // non-zero: no questions
extern std::string ReportKind;    // "Timing", "Swinging", "Special" or "General"

// The command line, trimmed and without one pair of enclosing quotes.
extern std::string CommandLineText;
// The .autorun file to run: a bare file name in the program folder.
extern std::string AutoRunFileName;
// The downloader's result file of a running unattended download, and whether it has appeared.
extern std::string DwnResultFilePath;
extern bool DownloadFinished;
// The number of the database step that is running (shown in the database error message).
extern std::int16_t ErrorPosition;
// Outcome of the column-number dialog of the import: done, and 1 when accepted.
extern std::int16_t ColNumSelDone;
extern std::int16_t ColNumSelAccepted;

// Sets the parameter defaults the program starts with.
void SetParameterDefaults();
// Puts every table and value of this header back to its start state (parameters at their
// defaults, tables empty, no history loaded).
void ResetAppState();

}  // namespace vel
