// The trading method commands on the selected chart curve.
#include "TradingMethodCommands.h"

#include "AnalysisEntryPoints.h"
#include "AppState.h"
#include "ChartCurves.h"
#include "Door.h"
#include "EntryPoints.h"
#include "GeneralTradingReport.h"
#include "TradingMethods.h"
#include "TradingResults.h"
#include "VectorStores.h"

namespace vel {

namespace {

using Method = float (*)(std::int16_t, std::int16_t);

// Which report the Yes of the box writes.
enum class Offer { GeneralReport, LastMarketReport };

float RunMethodCommand(std::int16_t& SignalVectorNum, Method method, bool quietInUnattendedRun,
                       Offer offer) {
    float result = 0.0f;
    if (SelectedChartCurve >= 1) {
        const auto source =
            static_cast<std::int16_t>(MainVectors->ChartStart() + SelectedChartCurve);
        SignalVectorNum = static_cast<std::int16_t>(MainVectors->HelpStart() + 1);
        result = method(source, SignalVectorNum);
    } else {
        door().Beep();
    }
    RefreshChart();
    const bool quiet = SilentMode != 0 || (quietInUnattendedRun && AutoRunMode == 1);
    if (!quiet && door().MessageBox(TradingResultsQuestion(), "Vellicor", MsgButtons::YesNo) ==
                      MsgAnswer::Yes) {
        if (offer == Offer::LastMarketReport) {
            ShowLastStockMarketReport();
        } else {
            RunEntryPoint(AnalysisCommands.SaveGeneralTradingHTMLReport,
                          "SaveGeneralTradingHTMLReport", std::string("GeneralTradingReport.html"));
            CancelChartCurveSelection();
        }
    }
    return result;
}

}  // namespace

std::string TradingResultsQuestion() {
    std::string text = TradingResultsText + "    \n";
    if (RallyCount > 0) text += "Do you wish to see Trading Report ?\n";
    return text;
}

float GenerateCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB(std::int16_t& SignalVectorNum) {
    return RunMethodCommand(SignalVectorNum, GenerateCrossingAboveZeroLevelTSignalsFromVectorForSB,
                            true, Offer::GeneralReport);
}

float GenerateCrossingAboveOptimalLevelTSignalsFromSelectedCurveForSB(
    std::int16_t& SignalVectorNum) {
    return RunMethodCommand(SignalVectorNum,
                            GenerateCrossingAboveOptimalLevelTSignalsFromVectorForSB, false,
                            Offer::LastMarketReport);
}

float GenerateCrossingBelowZeroLevelTSignalsFromSelectedCurveForSB(std::int16_t& SignalVectorNum) {
    return RunMethodCommand(SignalVectorNum, GenerateCrossingBelowZeroLevelTSignalsFromVectorForSB,
                            false, Offer::GeneralReport);
}

float GenerateCrossingBelowOptimalLevelTSignalsFromSelectedCurveForSB(
    std::int16_t& SignalVectorNum) {
    return RunMethodCommand(SignalVectorNum,
                            GenerateCrossingBelowOptimalLevelTSignalsFromVectorForSB, false,
                            Offer::GeneralReport);
}

float GenerateOptGradCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB(
    std::int16_t& SignalVectorNum) {
    return RunMethodCommand(SignalVectorNum,
                            GenerateOptGradCrossingAboveZeroLevelTSignalsFromVectorForSB, false,
                            Offer::GeneralReport);
}

}  // namespace vel
