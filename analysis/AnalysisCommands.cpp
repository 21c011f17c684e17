// Registration of the market analysis's entry points.
#include "AnalysisCommands.h"

#include "AnalysisEntryPoints.h"
#include "AppState.h"
#include "BasketCorrelationFill.h"
#include "BasketCurves.h"
#include "GeneralTradingReport.h"
#include "MarketCalculations.h"
#include "MarketReports.h"
#include "RallyFile.h"
#include "ScreeningValues.h"
#include "SignalWalk.h"
#include "StockResultsMatrix.h"
#include "StockScreening.h"
#include "SwingingSearch.h"
#include "TimingSearch.h"
#include "TradingLogCommands.h"
#include "TradingMethodCommands.h"
#include "TradingScans.h"

namespace vel {

void RegisterAnalysisCommands() {
    AnalysisEntryPoints& a = AnalysisCommands;
    a.TradingLogDataClear = TradingLogDataClear;
    a.SignalVectorToTradingLog = [](std::int16_t signalVector, bool clearFirst) {
        SignalVectorToTradingLog(signalVector, clearFirst);
    };
    a.CursorSaveAsBuyPosition = CursorSaveAsBuyPosition;
    a.CursorSaveAsSellPosition = CursorSaveAsSellPosition;
    a.TradingCursorDeleteLastPosition = TradingCursorDeleteLastPosition;
    a.DisplaySelectedRally = DisplaySelectedRally;
    a.SelectRallyToDisplay = SelectRallyToDisplay;
    a.ImportTradingLog = ImportTradingLog;
    a.ExportTradingLog = ExportTradingLog;
    a.InvertTradingLog = [](std::int16_t workVector) { InvertTradingLog(workVector); };
    a.TradingLogToSignalVector = TradingLogToSignalVector;
    a.ClearStockResultsMatrix = ClearStockResultsMatrix;
    // The individual searches leave the best trial's profit and rally count for the chart.
    auto individual = [](void (*search)(long, long)) {
        return [search](std::int16_t priceVector, std::int16_t workVector) {
            search(priceVector, workVector);
            return IndividualResult{BestSoFar.CompoundProfit.toDouble(), BestSoFar.Rallies};
        };
    };
    a.CalcIndividualStockTiming = individual(CalcIndividualStockTiming);
    a.CalcIndividualStockSwinging = individual(CalcIndividualStockSwinging);
    a.CalcIndividualStockSpecialSwinging = individual(CalcIndividualStockSpecialSwinging);
    a.CalcMarketTiming = CalcMarketTiming;
    a.CalcMarketSwinging = CalcMarketSwinging;
    a.CalcMarketSpecialSwinging = CalcMarketSpecialSwinging;
    a.CalcScreeningBasicValues = [](std::int16_t saveTables) {
        CalcScreeningBasicValues(saveTables);
    };
    a.ShowScreeningDialog = ShowScreeningDialog;
    a.SaveMarketTimingHTMLReport = SaveMarketTimingHTMLReport;
    a.SaveMarketTimingHTMLReportPlus = SaveMarketTimingHTMLReportPlus;
    a.SaveMarketSwingingHTMLReport = SaveMarketSwingingHTMLReport;
    a.SaveMarketSwingingHTMLReportPlus = SaveMarketSwingingHTMLReportPlus;
    a.SaveMarketSpecialSwingingHTMLReport = SaveMarketSpecialSwingingHTMLReport;
    a.SaveGeneralTradingHTMLReport = SaveGeneralTradingHTMLReport;
    a.StocksPutIntoStockBasketMainStreamNDayPast = StocksPutIntoStockBasketMainStreamNDayPast;
    a.StocksPutIntoStockBasketSateliteNDayPast = StocksPutIntoStockBasketSateliteNDayPast;
    a.ShowBasicTradingMessage = ShowBasicTradingMessage;
    a.AppendPriceVolumeTrendCurves = AppendPriceVolumeTrendCurves;
    a.AppendPastShortTermProfitCurve = AppendPastShortTermProfitCurve;
    a.AppendMarketBehaviourAndSwingingCurves = AppendMarketBehaviourAndSwingingCurves;
    a.DeleteSelectedChartCurve = DeleteSelectedChartCurve;
    a.DisplayNStockPriceCurvesInMVT = DisplayNStockPriceCurvesInMVT;
    a.DisplayNStockPriceCurvesInSB = DisplayNStockPriceCurvesInSB;
    // The chart window ignores the commands' results.
    auto command = [](float (*generate)(std::int16_t&)) {
        return [generate](std::int16_t& work) { generate(work); };
    };
    a.GenerateCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB =
        command(GenerateCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB);
    a.GenerateCrossingAboveOptimalLevelTSignalsFromSelectedCurveForSB =
        command(GenerateCrossingAboveOptimalLevelTSignalsFromSelectedCurveForSB);
    a.GenerateCrossingBelowZeroLevelTSignalsFromSelectedCurveForSB =
        command(GenerateCrossingBelowZeroLevelTSignalsFromSelectedCurveForSB);
    a.GenerateCrossingBelowOptimalLevelTSignalsFromSelectedCurveForSB =
        command(GenerateCrossingBelowOptimalLevelTSignalsFromSelectedCurveForSB);
    a.GenerateOptGradCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB =
        command(GenerateOptGradCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB);
    a.ScanTradingResultsByPastDaysComplete = ScanTradingResultsByPastDaysComplete;
    a.ScanTradingResultsByPastDaysShort = ScanTradingResultsByPastDaysShort;
}

}  // namespace vel
