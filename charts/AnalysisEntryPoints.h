// The procedures of the market analysis that the charts and the chart window call: the
// trading log and its rallies, the individual and basket optimisations, the reports, the
// signal generators on the selected curve, the scans, the basket trend curves and the
// screening values. The analysis library fills this table at start-up (its registration
// function, called where the program wires its subsystems); an entry left empty (the analysis
// not registered, as in a test of the charts) beeps and logs "<name>: no procedure is
// registered." when it is run (RunEntryPoint).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vel {

// What an optimisation of one stock leaves for its caller: the best net compound profit in
// percent (-10000 when no trial gave a result) and its rally count.
struct IndividualResult {
    double compoundProfit = -10000;
    float rallies = 0;
};

struct AnalysisEntryPoints {
    // ---- Trading log ----------------------------------------------------------------------
    // Empties the trading log and refreshes the rally count in the menu caption.
    std::function<void()> TradingLogDataClear;
    // Walks the shown window of MainVectors' signal vector into rallies (optionally clearing
    // the log first).
    std::function<void(std::int16_t signalVector, bool clearFirst)> SignalVectorToTradingLog;
    std::function<void()> CursorSaveAsBuyPosition;
    std::function<void()> CursorSaveAsSellPosition;
    std::function<void()> TradingCursorDeleteLastPosition;
    // Shows the rally numbered RallyToDisplay.
    std::function<void()> DisplaySelectedRally;
    // Asks for a rally number and shows that rally (the Tools_B item).
    std::function<void()> SelectRallyToDisplay;
    std::function<void()> ImportTradingLog;
    std::function<void()> ExportTradingLog;
    std::function<void(std::int16_t workVector)> InvertTradingLog;
    // Sets every day of MainVectors' vector to the outside value, then the days BuyPos to
    // SellPos - 1 of every rally to the inside value (the chart export's trade signal).
    std::function<void(long vectorNum, long outsideValue, long insideValue)>
        TradingLogToSignalVector;
    std::function<void()> ShowBasicTradingMessage;

    // ---- Optimisations of one stock over the shown window (price vector and first work vector
    // of MainVectors); the best signal stays in the work vectors, the results are returned
    // (CompoundProfit and Rallies).
    std::function<IndividualResult(std::int16_t priceVector, std::int16_t workVector)>
        CalcIndividualStockTiming;
    std::function<IndividualResult(std::int16_t priceVector, std::int16_t workVector)>
        CalcIndividualStockSwinging;
    std::function<IndividualResult(std::int16_t priceVector, std::int16_t workVector)>
        CalcIndividualStockSpecialSwinging;

    // ---- Market calculations over the Stock Basket (result CSV file, "" for none) -----------
    std::function<void(const std::string& resultFile)> CalcMarketTiming;
    std::function<void(const std::string& resultFile)> CalcMarketSwinging;
    std::function<void(const std::string& resultFile)> CalcMarketSpecialSwinging;

    // ---- Reports, each with its page name in the RESULTS folder; false when the page or one of
    // its files was not written (true without trading periods: no report is due) -------------
    std::function<bool(const std::string& fileName)> SaveMarketTimingHTMLReport;
    std::function<bool(const std::string& fileName)> SaveMarketTimingHTMLReportPlus;
    std::function<bool(const std::string& fileName)> SaveMarketSwingingHTMLReport;
    std::function<bool(const std::string& fileName)> SaveMarketSwingingHTMLReportPlus;
    std::function<bool(const std::string& fileName)> SaveMarketSpecialSwingingHTMLReport;
    std::function<bool(const std::string& fileName)> SaveGeneralTradingHTMLReport;

    // ---- Signals A to E from the selected curve (the work vector is set by the generator) ---
    std::function<void(std::int16_t& workVector)>
        GenerateCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB;
    std::function<void(std::int16_t& workVector)>
        GenerateCrossingAboveOptimalLevelTSignalsFromSelectedCurveForSB;
    std::function<void(std::int16_t& workVector)>
        GenerateCrossingBelowZeroLevelTSignalsFromSelectedCurveForSB;
    std::function<void(std::int16_t& workVector)>
        GenerateCrossingBelowOptimalLevelTSignalsFromSelectedCurveForSB;
    std::function<void(std::int16_t& workVector)>
        GenerateOptGradCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB;

    // ---- Scans ----------------------------------------------------------------------------
    std::function<void()> ScanTradingResultsByPastDaysComplete;
    std::function<void()> ScanTradingResultsByPastDaysShort;

    // ---- Basket trend curves and chart curve tools -------------------------------------------
    std::function<void()> AppendPriceVolumeTrendCurves;
    std::function<void()> AppendPastShortTermProfitCurve;
    std::function<void(std::int16_t firstWorkVector, const std::string& resultFile)>
        AppendMarketBehaviourAndSwingingCurves;
    std::function<void()> DeleteSelectedChartCurve;
    std::function<void()> DisplayNStockPriceCurvesInMVT;
    std::function<void()> DisplayNStockPriceCurvesInSB;

    // ---- Stock results and screening --------------------------------------------------------
    std::function<void()> ClearStockResultsMatrix;
    std::function<void(std::int16_t saveTables)> CalcScreeningBasicValues;
    // Shows the screening conditions dialog modally, owned by the frame; its "Continue" runs
    // the screening.
    std::function<void()> ShowScreeningDialog;

    // ---- Stock Basket fills by signal correlation (the minimum correlation) -----------------
    std::function<void(float minCorrelation)> StocksPutIntoStockBasketMainStreamNDayPast;
    std::function<void(float minCorrelation)> StocksPutIntoStockBasketSateliteNDayPast;
};

extern AnalysisEntryPoints AnalysisCommands;

// Empties every entry (the state before registration).
void ClearAnalysisEntryPoints();
// The names of the entries that are empty, in table order.
std::vector<std::string> EmptyAnalysisEntryPoints();

}  // namespace vel
