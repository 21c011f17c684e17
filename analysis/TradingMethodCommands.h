// The chart window's commands of the five trading methods on the selected chart curve ("Generate
// signal A" to "Generate signal E"): each trades the selected curve with its method into the
// signal vector HelpStart + 1, repaints the chart with the new rallies, shows the trading
// results and offers the trading report. The market calculations run command B on the basket's
// average signal; the scans run them all. While SilentMode is set (command A: also while an
// unattended run is active) no box is shown and no report offered.
#pragma once

#include <cstdint>
#include <string>

namespace vel {

// Each sets SignalVectorNum to HelpStart + 1 and returns the method's result when a curve is
// selected; otherwise it beeps, returns 0 and leaves the trading log and TradingResultsText as
// they were (the box then shows the text of the previous run). On Yes command B writes the
// report of the last market calculation (ShowLastStockMarketReport), the others the general
// trading report "GeneralTradingReport.html", after which the curve selection is cancelled.
float GenerateCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB(std::int16_t& SignalVectorNum);
float GenerateCrossingAboveOptimalLevelTSignalsFromSelectedCurveForSB(
    std::int16_t& SignalVectorNum);
float GenerateCrossingBelowZeroLevelTSignalsFromSelectedCurveForSB(std::int16_t& SignalVectorNum);
float GenerateCrossingBelowOptimalLevelTSignalsFromSelectedCurveForSB(
    std::int16_t& SignalVectorNum);
float GenerateOptGradCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB(
    std::int16_t& SignalVectorNum);

// The text of the result box: TradingResultsText, a line of four blanks, and the question when
// the trading log holds rallies.
std::string TradingResultsQuestion();

}  // namespace vel
