// The market analysis procedures that the charts call.
#include "AnalysisEntryPoints.h"

#include <utility>

namespace vel {

AnalysisEntryPoints AnalysisCommands;

void ClearAnalysisEntryPoints() {
    AnalysisCommands = AnalysisEntryPoints{};
}

std::vector<std::string> EmptyAnalysisEntryPoints() {
    // Every entry of the table (an entry added to the table belongs here too).
    const AnalysisEntryPoints& a = AnalysisCommands;
    const std::pair<const char*, bool> entries[] = {
        {"TradingLogDataClear", bool(a.TradingLogDataClear)},
        {"SignalVectorToTradingLog", bool(a.SignalVectorToTradingLog)},
        {"CursorSaveAsBuyPosition", bool(a.CursorSaveAsBuyPosition)},
        {"CursorSaveAsSellPosition", bool(a.CursorSaveAsSellPosition)},
        {"TradingCursorDeleteLastPosition", bool(a.TradingCursorDeleteLastPosition)},
        {"DisplaySelectedRally", bool(a.DisplaySelectedRally)},
        {"SelectRallyToDisplay", bool(a.SelectRallyToDisplay)},
        {"ImportTradingLog", bool(a.ImportTradingLog)},
        {"ExportTradingLog", bool(a.ExportTradingLog)},
        {"InvertTradingLog", bool(a.InvertTradingLog)},
        {"TradingLogToSignalVector", bool(a.TradingLogToSignalVector)},
        {"ShowBasicTradingMessage", bool(a.ShowBasicTradingMessage)},
        {"CalcIndividualStockTiming", bool(a.CalcIndividualStockTiming)},
        {"CalcIndividualStockSwinging", bool(a.CalcIndividualStockSwinging)},
        {"CalcIndividualStockSpecialSwinging", bool(a.CalcIndividualStockSpecialSwinging)},
        {"CalcMarketTiming", bool(a.CalcMarketTiming)},
        {"CalcMarketSwinging", bool(a.CalcMarketSwinging)},
        {"CalcMarketSpecialSwinging", bool(a.CalcMarketSpecialSwinging)},
        {"SaveMarketTimingHTMLReport", bool(a.SaveMarketTimingHTMLReport)},
        {"SaveMarketTimingHTMLReportPlus", bool(a.SaveMarketTimingHTMLReportPlus)},
        {"SaveMarketSwingingHTMLReport", bool(a.SaveMarketSwingingHTMLReport)},
        {"SaveMarketSwingingHTMLReportPlus", bool(a.SaveMarketSwingingHTMLReportPlus)},
        {"SaveMarketSpecialSwingingHTMLReport", bool(a.SaveMarketSpecialSwingingHTMLReport)},
        {"SaveGeneralTradingHTMLReport", bool(a.SaveGeneralTradingHTMLReport)},
        {"GenerateCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB",
         bool(a.GenerateCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB)},
        {"GenerateCrossingAboveOptimalLevelTSignalsFromSelectedCurveForSB",
         bool(a.GenerateCrossingAboveOptimalLevelTSignalsFromSelectedCurveForSB)},
        {"GenerateCrossingBelowZeroLevelTSignalsFromSelectedCurveForSB",
         bool(a.GenerateCrossingBelowZeroLevelTSignalsFromSelectedCurveForSB)},
        {"GenerateCrossingBelowOptimalLevelTSignalsFromSelectedCurveForSB",
         bool(a.GenerateCrossingBelowOptimalLevelTSignalsFromSelectedCurveForSB)},
        {"GenerateOptGradCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB",
         bool(a.GenerateOptGradCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB)},
        {"ScanTradingResultsByPastDaysComplete", bool(a.ScanTradingResultsByPastDaysComplete)},
        {"ScanTradingResultsByPastDaysShort", bool(a.ScanTradingResultsByPastDaysShort)},
        {"AppendPriceVolumeTrendCurves", bool(a.AppendPriceVolumeTrendCurves)},
        {"AppendPastShortTermProfitCurve", bool(a.AppendPastShortTermProfitCurve)},
        {"AppendMarketBehaviourAndSwingingCurves", bool(a.AppendMarketBehaviourAndSwingingCurves)},
        {"DeleteSelectedChartCurve", bool(a.DeleteSelectedChartCurve)},
        {"DisplayNStockPriceCurvesInMVT", bool(a.DisplayNStockPriceCurvesInMVT)},
        {"DisplayNStockPriceCurvesInSB", bool(a.DisplayNStockPriceCurvesInSB)},
        {"ClearStockResultsMatrix", bool(a.ClearStockResultsMatrix)},
        {"CalcScreeningBasicValues", bool(a.CalcScreeningBasicValues)},
        {"ShowScreeningDialog", bool(a.ShowScreeningDialog)},
        {"StocksPutIntoStockBasketMainStreamNDayPast",
         bool(a.StocksPutIntoStockBasketMainStreamNDayPast)},
        {"StocksPutIntoStockBasketSateliteNDayPast",
         bool(a.StocksPutIntoStockBasketSateliteNDayPast)},
    };
    std::vector<std::string> names;
    for (const auto& [name, filled] : entries)
        if (!filled) names.emplace_back(name);
    return names;
}

}  // namespace vel
