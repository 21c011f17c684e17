// The scans of trading results by past days.
#include "TradingScans.h"

#include <cstdint>
#include <span>
#include <string>

#include "AnalysisText.h"
#include "AppState.h"
#include "BasketCurves.h"
#include "ChartCurves.h"
#include "ChartView.h"
#include "CsvRows.h"
#include "Door.h"
#include "FilePaths.h"
#include "Hooks.h"
#include "HtmlReport.h"
#include "ResultFile.h"
#include "TradingMethodCommands.h"

namespace vel {

namespace {

using Command = float (*)(std::int16_t&);

// A method as the chart window runs it: its command on the selected curve, and whether the
// window cancels the selection afterwards (A and B do).
struct ScanMethod {
    Command command;
    bool cancelsSelection;
};

const ScanMethod kA{GenerateCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB, true};
const ScanMethod kB{GenerateCrossingAboveOptimalLevelTSignalsFromSelectedCurveForSB, true};
const ScanMethod kC{GenerateCrossingBelowZeroLevelTSignalsFromSelectedCurveForSB, false};
const ScanMethod kD{GenerateCrossingBelowOptimalLevelTSignalsFromSelectedCurveForSB, false};
const ScanMethod kE{GenerateOptGradCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB, false};

constexpr std::int16_t kMaxPastDays = 50;
constexpr std::int16_t kCommissionSteps = 5;

// Puts the parameters, SilentMode, the captions, the status text and the pointer back when the
// scan ends, also by an error (without yielding, which could raise again while it unwinds).
class ScanState {
public:
    ScanState() : pastDays_(defPastDays), commission_(defCommission), silent_(SilentMode) {
        SilentMode = -1;
    }
    ~ScanState() {
        defPastDays = pastDays_;
        defCommission = commission_;
        RefreshMenuCaptions();
        SilentMode = silent_;
        door().SetHourglass(false);
        SetChartStatusText("");
    }
    ScanState(const ScanState&) = delete;
    ScanState& operator=(const ScanState&) = delete;

private:
    std::int16_t pastDays_;
    float commission_;
    std::int16_t silent_;
};

// The rows of every past-day count, commission and method into the file.
void ScanRows(ResultFile& file, std::span<const ScanMethod> methods) {
    float row = 0.0f;
    for (std::int16_t d = 1; d <= kMaxPastDays; ++d) {
        defPastDays = d;
        RefreshMenuCaptions();
        ChartDescriptionClear();
        AppendPastShortTermProfitCurve();
        for (std::int16_t c = 1; c <= kCommissionSteps; ++c) {
            defCommission = static_cast<float>(c / 10.0);
            RefreshMenuCaptions();
            door().SetHourglass(true);
            SetChartStatusText("Scan trading results by past days:" + SignBlankWhole(defPastDays) +
                               " / 50");
            YieldToEvents();
            for (const ScanMethod& method : methods) {
                SelectedChartCurve = 1;
                std::int16_t signal = 0;
                method.command(signal);
                if (method.cancelsSelection) CancelChartCurveSelection();
                row += 1.0f;
                AddCSVItem("PastDays", SignBlankWhole(defPastDays));
                AddCSVItem("Date", CurrentDateText());
                AddCSVItem("Time", CurrentTimeText());
                file.PrintRow(static_cast<std::int32_t>(row));
                if (!file.ok()) return;  // a failed write: logged, no file left
            }
        }
    }
}

void ScanTradingResultsByPastDays(const char* fileName, std::span<const ScanMethod> methods) {
    // The methods would trade whatever curve 1 held, 250 times over: refused once instead.
    if (BasketCount < 1) {
        door().MessageBox("Put some stock symbols into Stock Basket, please.", "Vellicor",
                          MsgButtons::OK);
        return;
    }
    // Created before the scan falls silent, so that a file that cannot be written is reported
    // in a box; the scan has nothing else to give and then does not run.
    const std::string path = JoinPath(ResultsFolderPath, fileName);
    ResultFile file(path);
    if (!file.ok()) return;
    bool written = false;
    {
        ScanState state;
        ScanRows(file, methods);
        written = file.Close();
    }
    // A write that failed while the scan was silent is told now.
    if (!written)
        door().MessageBox("The result file could not be written:\r\n" + path, "Vellicor",
                          MsgButtons::OK);
    YieldToEvents();
}

}  // namespace

void ScanTradingResultsByPastDaysComplete() {
    const ScanMethod methods[] = {kA, kB, kC, kD, kE};
    ScanTradingResultsByPastDays("ScanTradingResultsComplete.csv", methods);
}

void ScanTradingResultsByPastDaysShort() {
    const ScanMethod methods[] = {kA, kC, kE};
    ScanTradingResultsByPastDays("ScanTradingResultsShort.csv", methods);
}

}  // namespace vel
