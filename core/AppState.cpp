// The process-wide tables and run state.
#include "AppState.h"

#include <cstdio>

namespace vel {

void throwSubscript(const char* table, long index) {
    throw SubscriptRangeError(std::string("Subscript out of range: ") + table + "(" +
                              std::to_string(index) + ")");
}

void throwSubscript2(const char* table, long row, long col) {
    throw SubscriptRangeError(std::string("Subscript out of range: ") + table + "(" +
                              std::to_string(row) + ", " + std::to_string(col) + ")");
}

Table1D<std::string> LoadedSymbols("LoadedSymbols", 1, kMaxSymbols);
Table1D<std::string> LoadedTradeDates("LoadedTradeDates", 1, 0, "empty date");
std::int32_t DayOffset = 0;

const std::string& TradeDateOfDay(long d) {
    return LoadedTradeDates(d + DayOffset);
}

Num ChartFrom1;
std::int16_t ChartTo1 = 0;
std::int16_t ChartFrom2 = 0, ChartTo2 = 0;
std::int16_t CalcFrom1 = 0, CalcTo1 = 0;
Num GroupFrom;
std::int16_t GroupTo = 0;
std::int16_t CursorDay = 0;
std::int16_t SelectedChartCurve = 0;
std::int16_t DisplayedStockIndex = 0;

Table2D<std::int16_t> TradingLog("TradingLog", 0, kMaxRallies, 0, 2);
std::int16_t RallyCount = 0;
std::int16_t LastTradeAction = 0;
std::int16_t LastTradeActionDay = 0;

void TradingLogAddBuyPosition(long BuyPos) {
    const long next = static_cast<long>(RallyCount) + 1;
    if (next > kMaxRallies) throwSubscript2("TradingLog", next, 1);
    TradingLog(next, 1) = toInt16(static_cast<double>(BuyPos));
    RallyCount = static_cast<std::int16_t>(next);
}

void TradingLogSetSellPosition(long SellPos) {
    TradingLog(RallyCount, 2) = toInt16(static_cast<double>(SellPos));
}

Table2D<float> StockResults("StockResults", 1, kMaxStockItems, 1, 45);
Table1D<std::int16_t> BasketFlag("BasketFlag", 1, kMaxStockItems, 0);
std::int16_t BasketCount = 0;

Table2D<float> IntervalLimit("IntervalLimit", 1, 200, 1, 3);
std::int16_t IntervalCount = 0;

Table1D<std::int16_t> ImportColumnType("ImportColumnType", 1, 20, 0);
Table1D<std::string> ImportColumnName("ImportColumnName", 1, 20);

std::string ProgramFolderPath;
std::string DataFolderPath;
std::string HistoryDatabasePath;
std::string ResultsFolderPath;
std::string ImportSourcePath;
std::int16_t ImportSourceType = 0;
std::string ImportFileExtension;
std::int16_t ImportSourceStatus = 0;
std::string HistoryName;
std::string HistoryFileName;
std::string ResultsName;
std::string ResultsFileName;
std::string ResultsDatabasePath;
std::string ResultsReportPath;
std::string ImportFilePath;
std::string ImportFileSymbol;
std::string ImportFileExtUpper;
std::string BrowserPath;

std::int16_t defPastDays = 12;
float defCommission = 0.5f;
float defCorrelation = 0.5f;
float defDiligence = 0.0f;
std::string defStockSymbolString = "QQQ";
std::int16_t defStockSymbolIndex = 0;
std::int16_t defSymbolsInChartPane = 11;
std::int16_t RallyToDisplay = 1;

std::int16_t AutoRunMode = 0;
std::int16_t SilentMode = 0;
std::string ReportKind;
std::string CommandLineText;
std::string AutoRunFileName;
std::string DwnResultFilePath;
bool DownloadFinished = false;
std::int16_t ErrorPosition = 0;
std::int16_t ColNumSelDone = 0;
std::int16_t ColNumSelAccepted = 0;

void SetParameterDefaults() {
    defPastDays = 12;
    defCommission = 0.5f;
    defCorrelation = 0.5f;
    defDiligence = 0.0f;
    defStockSymbolString = "QQQ";
    defStockSymbolIndex = 0;
    defSymbolsInChartPane = 11;
    RallyToDisplay = 1;
}

void ResetAppState() {
    LoadedSymbols.clear();
    LoadedTradeDates.redim(1, 0, "empty date");
    DayOffset = 0;
    ChartFrom1 = Num();
    ChartTo1 = 0;
    ChartFrom2 = ChartTo2 = 0;
    CalcFrom1 = CalcTo1 = 0;
    GroupFrom = Num();
    GroupTo = 0;
    CursorDay = 0;
    SelectedChartCurve = 0;
    DisplayedStockIndex = 0;
    TradingLog.clear();
    RallyCount = 0;
    LastTradeAction = 0;
    LastTradeActionDay = 0;
    StockResults.clear();
    BasketFlag.clear();
    BasketCount = 0;
    IntervalLimit.clear();
    IntervalCount = 0;
    ImportColumnType.clear();
    ImportColumnName.clear();
    ProgramFolderPath.clear();
    DataFolderPath.clear();
    HistoryDatabasePath.clear();
    ResultsFolderPath.clear();
    ImportSourcePath.clear();
    ImportSourceType = 0;
    ImportFileExtension.clear();
    ImportSourceStatus = 0;
    HistoryName.clear();
    HistoryFileName.clear();
    ResultsName.clear();
    ResultsFileName.clear();
    ResultsDatabasePath.clear();
    ResultsReportPath.clear();
    ImportFilePath.clear();
    ImportFileSymbol.clear();
    ImportFileExtUpper.clear();
    BrowserPath.clear();
    SetParameterDefaults();
    AutoRunMode = 0;
    SilentMode = 0;
    ReportKind.clear();
    CommandLineText.clear();
    AutoRunFileName.clear();
    DwnResultFilePath.clear();
    DownloadFinished = false;
    ErrorPosition = 0;
    ColNumSelDone = 0;
    ColNumSelAccepted = 0;
}

}  // namespace vel
