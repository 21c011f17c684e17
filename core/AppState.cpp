// The process-wide tables and run state, and their registration as groups.
#include "AppState.h"

namespace vel {

void throwSubscript(const char* table, long index) {
    throw SubscriptRangeError(std::string("Subscript out of range: ") + table + "(" +
                              std::to_string(index) + ")");
}

void throwSubscript2(const char* table, long row, long col) {
    throw SubscriptRangeError(std::string("Subscript out of range: ") + table + "(" +
                              std::to_string(row) + ", " + std::to_string(col) + ")");
}

LoadedHistoryState LoadedHistory;
DayWindowState DayWindow;
TradingLogState Rallies;
StockResultsState Results;
BasketState Basket;
IntervalTableState Intervals;
ImportSourceState ImportSource;
PathState Paths;
ParameterState Parameters;
RunState CurrentRun;

namespace {
const StateGroup<LoadedHistory> kLoadedHistoryGroup("LoadedHistory");
const StateGroup<DayWindow> kDayWindowGroup("DayWindow");
const StateGroup<Rallies> kRalliesGroup("Rallies");
const StateGroup<Results> kResultsGroup("Results");
const StateGroup<Basket> kBasketGroup("Basket");
const StateGroup<Intervals> kIntervalsGroup("Intervals");
const StateGroup<ImportSource> kImportSourceGroup("ImportSource");
const StateGroup<Paths> kPathsGroup("Paths");
const StateGroup<Parameters> kParametersGroup("Parameters");
const StateGroup<CurrentRun> kCurrentRunGroup("CurrentRun");
}  // namespace

const std::string& TradeDateOfDay(long d) {
    return LoadedTradeDates(d + DayOffset);
}

void TradingLogAddBuyPosition(long BuyPos) {
    TradingLog.AddBuyPosition(BuyPos);
}

void TradingLogSetSellPosition(long SellPos) {
    TradingLog.SetSellPosition(SellPos);
}

void SetParameterDefaults() {
    Parameters = ParameterState{};
}

}  // namespace vel
