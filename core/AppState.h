// The process-wide tables and run state that the subsystems share, in groups by concern
// (ProcessState.h): the loaded history, the day window, the rallies of the trading log, the
// stock results, the Stock Basket, the interval table, the import source, paths, program
// parameters and run flags. Each group is a plain struct whose default member initialisers are
// its start values; ResetProcessState puts them all back.
//
// The names that the rest of the program uses (LoadedSymbols, DataFolderPath, RallyCount, ...)
// are references to the members of their group, so code reads and writes them by name and a
// group can still be reset, copied or compared as a whole.
#pragma once

#include <cstdint>
#include <string>

#include "Num.h"
#include "ProcessState.h"
#include "RallyLog.h"
#include "StockResults.h"
#include "Tables.h"

namespace vel {

constexpr int kMaxSymbols = 10000;
constexpr int kMaxDays = 3000;
constexpr int kMaxStockItems = 11000;  // BasketFlag and StockResults rows

// ---- Loaded history (written by the history load, read by everyone) ----------------------
struct LoadedHistoryState {
    // Symbol of stock item number i (1..10000; 1 = the largest average money volume); entries
    // 1..LoadedSymbolCount are valid.
    Table1D<std::string> LoadedSymbols{"LoadedSymbols", 1, kMaxSymbols};
    // Trade dates indexed by DateNum (1..the last loaded DateNum): "empty date" or a date text.
    Table1D<std::string> LoadedTradeDates{"LoadedTradeDates", 1, 0, "empty date"};
    // The first loaded DateNum - 1: day index d stands for DateNum d + DayOffset.
    std::int32_t DayOffset = 0;
    // The number of symbols loaded (0..10000): the one count of stock items. The Buffers of
    // MainVectors and VolumeVectors hold this many vectors after a load.
    std::int32_t LoadedSymbolCount = 0;
    // The window and counts of the load.
    std::int32_t SymbolCountInDB = 0;  // distinct symbols of the History table
    std::int32_t DateNumMin = 0, DateNumMax = 0;
    std::int32_t FirstLoadedDateNum = 0;  // the largest of 1, DateNumMin and DateNumMax - 2999
    std::int32_t LastLoadedDateNum = 0;   // DateNumMax
    std::int32_t LoadedDayCount = 0;      // day indexes: LastLoadedDateNum - DayOffset
    std::int32_t SymbolsToLoad = 0;       // SymbolCountInDB, at most 10000: the Buffer sizes
    bool operator==(const LoadedHistoryState&) const = default;
};
extern LoadedHistoryState LoadedHistory;
inline Table1D<std::string>& LoadedSymbols = LoadedHistory.LoadedSymbols;
inline Table1D<std::string>& LoadedTradeDates = LoadedHistory.LoadedTradeDates;
inline std::int32_t& DayOffset = LoadedHistory.DayOffset;
inline std::int32_t& LoadedSymbolCount = LoadedHistory.LoadedSymbolCount;
inline std::int32_t& SymbolCountInDB = LoadedHistory.SymbolCountInDB;
inline std::int32_t& DateNumMin = LoadedHistory.DateNumMin;
inline std::int32_t& DateNumMax = LoadedHistory.DateNumMax;
inline std::int32_t& FirstLoadedDateNum = LoadedHistory.FirstLoadedDateNum;
inline std::int32_t& LastLoadedDateNum = LoadedHistory.LastLoadedDateNum;
inline std::int32_t& LoadedDayCount = LoadedHistory.LoadedDayCount;
inline std::int32_t& SymbolsToLoad = LoadedHistory.SymbolsToLoad;

// The trade date text of day index d: entry d + DayOffset of LoadedTradeDates.
const std::string& TradeDateOfDay(long d);

// ---- Day window, cursor and selection (owned by the chart window) ----------------------
struct DayWindowState {
    Num ChartFrom1;  // first shown day; read as a 16-bit day (halves to even)
    std::int16_t ChartTo1 = 0;
    std::int16_t ChartFrom2 = 0, ChartTo2 = 0;
    std::int16_t CalcFrom1 = 0, CalcTo1 = 0;
    Num GroupFrom;  // first day of the group period; read as a 16-bit day
    std::int16_t GroupTo = 0;
    std::int16_t CursorDay = 0;
    std::int16_t SelectedChartCurve = 0;
    std::int16_t DisplayedStockIndex = 0;
    bool operator==(const DayWindowState&) const = default;
};
extern DayWindowState DayWindow;
inline Num& ChartFrom1 = DayWindow.ChartFrom1;
inline std::int16_t& ChartTo1 = DayWindow.ChartTo1;
inline std::int16_t& ChartFrom2 = DayWindow.ChartFrom2;
inline std::int16_t& ChartTo2 = DayWindow.ChartTo2;
inline std::int16_t& CalcFrom1 = DayWindow.CalcFrom1;
inline std::int16_t& CalcTo1 = DayWindow.CalcTo1;
inline Num& GroupFrom = DayWindow.GroupFrom;
inline std::int16_t& GroupTo = DayWindow.GroupTo;
inline std::int16_t& CursorDay = DayWindow.CursorDay;
inline std::int16_t& SelectedChartCurve = DayWindow.SelectedChartCurve;
inline std::int16_t& DisplayedStockIndex = DayWindow.DisplayedStockIndex;

// ---- Trading log (owned by the market analysis) ------------------------------------------
struct TradingLogState {
    // The program's trading log (RallyLog.h); its count is RallyCount.
    RallyLog TradingLog;
    std::int16_t LastTradeAction = 0;     // +1 after a buy, -1 after a sell and at a walk's start
    std::int16_t LastTradeActionDay = 0;  // day of LastTradeAction, -1 at a walk's start
    bool operator==(const TradingLogState&) const = default;
};
extern TradingLogState Rallies;
inline RallyLog& TradingLog = Rallies.TradingLog;
inline std::int16_t& RallyCount = Rallies.TradingLog.count;
inline std::int16_t& LastTradeAction = Rallies.LastTradeAction;
inline std::int16_t& LastTradeActionDay = Rallies.LastTradeActionDay;

// The signal walk's primitives on the program's log: RallyLog::AddBuyPosition (a 2001st rally
// raises SubscriptRangeError and changes nothing) and RallyLog::SetSellPosition (with no rally
// it writes row 0, which nothing reads).
void TradingLogAddBuyPosition(long BuyPos);
void TradingLogSetSellPosition(long SellPos);

// ---- Stock results (owned by the market analysis) ----------------------------------------
struct StockResultsState {
    // Rows 1..11000 (row i: stock item number i, or a list position for the index, selection
    // and group columns), columns 1..45 (named in StockResults.h).
    Table2D<float> StockResults{"StockResults", 1, kStockResultsRows, 1, kStockResultsColumns};
    // The best trial of the last per-stock optimisation.
    BestTrialRecord BestSoFar;
    bool operator==(const StockResultsState&) const = default;
};
extern StockResultsState Results;
inline Table2D<float>& StockResults = Results.StockResults;
inline BestTrialRecord& BestSoFar = Results.BestSoFar;

// ---- Stock Basket (owned by the charts) --------------------------------------------------
struct BasketState {
    Table1D<std::int16_t> BasketFlag{"BasketFlag", 1, kMaxStockItems, 0};  // 0 out, 1 in
    std::int16_t BasketCount = 0;
    bool operator==(const BasketState&) const = default;
};
extern BasketState Basket;
inline Table1D<std::int16_t>& BasketFlag = Basket.BasketFlag;
inline std::int16_t& BasketCount = Basket.BasketCount;

// ---- Interval table ---------------------------------------------------------------------
struct IntervalTableState {
    // Rows 1..200, columns 1..3: upper limit (excluded), lower limit (included), working value.
    Table2D<float> IntervalLimit{"IntervalLimit", 1, 200, 1, 3};
    std::int16_t IntervalCount = 0;
    bool operator==(const IntervalTableState&) const = default;
};
extern IntervalTableState Intervals;
inline Table2D<float>& IntervalLimit = Intervals.IntervalLimit;
inline std::int16_t& IntervalCount = Intervals.IntervalCount;

// ---- Import source and columns (chosen by the import dialogs) ------------------------------
struct ImportSourceState {
    // The import source (a text file, a folder chosen through one of its files, or a database)
    // and its type: 1 one text file, 2 a folder of text files, 3 an existing history database.
    std::string ImportSourcePath;
    std::int16_t ImportSourceType = 0;
    std::string ImportFileExtension;      // extension of the import text files, without "."
    std::int16_t ImportSourceStatus = 0;  // 0 source found and paths set, 1 missing
    // The import file last split into symbol and extension (".CSV", upper case).
    std::string ImportFilePath;
    std::string ImportFileSymbol;
    std::string ImportFileExtUpper;
    // Columns 1..20 of an EOD text import: column 1 is the symbol taken from the file's name,
    // columns 2..20 the fields of a line. Type code: 0 not defined, 1 number, 2 text, 3 date.
    Table1D<std::int16_t> ImportColumnType{"ImportColumnType", 1, 20, 0};
    // Role name per column: "Symbol", "TradeDate", "Price", "Volume", or "" for no role.
    Table1D<std::string> ImportColumnName{"ImportColumnName", 1, 20};
    // Outcome of the column-number dialog of the import: done, and 1 when accepted.
    std::int16_t ColNumSelDone = 0;
    std::int16_t ColNumSelAccepted = 0;
    bool operator==(const ImportSourceState&) const = default;
};
extern ImportSourceState ImportSource;
inline std::string& ImportSourcePath = ImportSource.ImportSourcePath;
inline std::int16_t& ImportSourceType = ImportSource.ImportSourceType;
inline std::string& ImportFileExtension = ImportSource.ImportFileExtension;
inline std::int16_t& ImportSourceStatus = ImportSource.ImportSourceStatus;
inline std::string& ImportFilePath = ImportSource.ImportFilePath;
inline std::string& ImportFileSymbol = ImportSource.ImportFileSymbol;
inline std::string& ImportFileExtUpper = ImportSource.ImportFileExtUpper;
inline Table1D<std::int16_t>& ImportColumnType = ImportSource.ImportColumnType;
inline Table1D<std::string>& ImportColumnName = ImportSource.ImportColumnName;
inline std::int16_t& ColNumSelDone = ImportSource.ColNumSelDone;
inline std::int16_t& ColNumSelAccepted = ImportSource.ColNumSelAccepted;

// ---- Paths (folder paths end with "/") ---------------------------------------------------
struct PathState {
    std::string ProgramFolderPath;
    std::string DataFolderPath;
    std::string HistoryDatabasePath;
    std::string ResultsFolderPath;
    std::string HistoryName;          // "History"
    std::string HistoryFileName;      // "History.mdb"
    std::string ResultsName;          // "Results"
    std::string ResultsFileName;      // "Results.mdb"
    std::string ResultsDatabasePath;  // the interval tables' database in the RESULTS folder
    std::string ResultsReportPath;    // "Vellicor.html" in the RESULTS folder
    std::string BrowserPath;          // the web browser program, "" until found
    bool operator==(const PathState&) const = default;
};
extern PathState Paths;
inline std::string& ProgramFolderPath = Paths.ProgramFolderPath;
inline std::string& DataFolderPath = Paths.DataFolderPath;
inline std::string& HistoryDatabasePath = Paths.HistoryDatabasePath;
inline std::string& ResultsFolderPath = Paths.ResultsFolderPath;
inline std::string& HistoryName = Paths.HistoryName;
inline std::string& HistoryFileName = Paths.HistoryFileName;
inline std::string& ResultsName = Paths.ResultsName;
inline std::string& ResultsFileName = Paths.ResultsFileName;
inline std::string& ResultsDatabasePath = Paths.ResultsDatabasePath;
inline std::string& ResultsReportPath = Paths.ResultsReportPath;
inline std::string& BrowserPath = Paths.BrowserPath;

// ---- Program parameters (their start values are the program's defaults) -----------------
struct ParameterState {
    std::int16_t defPastDays = 12;
    float defCommission = 0.5f;
    float defCorrelation = 0.5f;
    float defDiligence = 0.0f;
    std::string defStockSymbolString = "QQQ";
    std::int16_t defStockSymbolIndex = 0;
    std::int16_t defSymbolsInChartPane = 11;
    std::int16_t RallyToDisplay = 1;
    bool operator==(const ParameterState&) const = default;
};
extern ParameterState Parameters;
inline std::int16_t& defPastDays = Parameters.defPastDays;
inline float& defCommission = Parameters.defCommission;
inline float& defCorrelation = Parameters.defCorrelation;
inline float& defDiligence = Parameters.defDiligence;
inline std::string& defStockSymbolString = Parameters.defStockSymbolString;
inline std::int16_t& defStockSymbolIndex = Parameters.defStockSymbolIndex;
inline std::int16_t& defSymbolsInChartPane = Parameters.defSymbolsInChartPane;
inline std::int16_t& RallyToDisplay = Parameters.RallyToDisplay;

// Sets the parameter defaults the program starts with (the start values of Parameters).
void SetParameterDefaults();

// ---- Run state --------------------------------------------------------------------------
struct RunState {
    std::int16_t AutoRunMode = 0;  // 1 while an unattended run is active
    std::int16_t SilentMode = 0;   // non-zero: no questions
    std::string ReportKind;        // "Timing", "Swinging", "Special" or "General"
    // The command line, trimmed and without one pair of enclosing quotes.
    std::string CommandLineText;
    // The .autorun file to run: a bare file name in the program folder.
    std::string AutoRunFileName;
    // The downloader's result file of a running unattended download, and whether it appeared.
    std::string DwnResultFilePath;
    bool DownloadFinished = false;
    // The files of its URL list that the last autorun run's download left missing (not
    // downloaded, or without a row of EOD data); a run without a display that reaches its end
    // with some ends the program with status 2.
    std::int32_t MissingListFiles = 0;
    // The number of the database step that is running (shown in the error handler's box).
    std::int16_t ErrorPosition = 0;
    bool operator==(const RunState&) const = default;
};
extern RunState CurrentRun;
inline std::int16_t& AutoRunMode = CurrentRun.AutoRunMode;
inline std::int16_t& SilentMode = CurrentRun.SilentMode;
inline std::string& ReportKind = CurrentRun.ReportKind;
inline std::string& CommandLineText = CurrentRun.CommandLineText;
inline std::string& AutoRunFileName = CurrentRun.AutoRunFileName;
inline std::string& DwnResultFilePath = CurrentRun.DwnResultFilePath;
inline bool& DownloadFinished = CurrentRun.DownloadFinished;
inline std::int32_t& MissingListFiles = CurrentRun.MissingListFiles;
inline std::int16_t& ErrorPosition = CurrentRun.ErrorPosition;

}  // namespace vel
