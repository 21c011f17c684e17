// The input boxes of the program parameters.
#include "ParameterDialogs.h"

#include <algorithm>
#include <cmath>

#include "AppState.h"
#include "AsciiText.h"
#include "ChartView.h"
#include "Door.h"
#include "IntervalTable.h"
#include "NumberText.h"
#include "SmallRoutines.h"
#include "StockBasket.h"
#include "TextFile.h"
#include "VectorStores.h"

namespace vel {

namespace {

const char* const kTitle = "Default values of program parameters.";

std::string Whole(double v) {
    return FormatNumber(static_cast<float>(v), "0");
}
std::string Decimal2(double v) {
    return FormatNumber(static_cast<float>(v), "0.00");
}

// Asks for a whole parameter and stores an accepted value.
bool AskWhole(std::int16_t& parameter, const std::string& prompt, double min, double max) {
    const auto value = AskParameterValue(prompt, parameter, min, max, true);
    if (value) parameter = static_cast<std::int16_t>(*value);
    return value.has_value();
}

// Asks for a single-precision parameter and stores an accepted value.
bool AskSingle(float& parameter, const std::string& prompt, double min, double max) {
    const auto value = AskParameterValue(prompt, parameter, min, max, false);
    if (value) parameter = static_cast<float>(*value);
    return value.has_value();
}

}  // namespace

std::optional<double> AskParameterValue(const std::string& prompt, double current, double min,
                                        double max, bool whole) {
    const double proposed = std::clamp(current, min, max);
    const std::string proposal =
        TrimBlanks(whole ? formatWholeExport(std::lround(proposed))
                         : formatSingleExport(static_cast<float>(proposed)));
    const auto answer = door().InputBox(prompt, kTitle, proposal);
    std::optional<double> value = answer ? parseNumber(TrimBlanks(*answer)) : std::nullopt;
    if (value) {
        if (whole) {
            value = roundHalfEven(*value);
        } else {
            // Stored as a single: beyond the single range it is simply out of range.
            const float single = static_cast<float>(*value);
            value = std::isfinite(single) ? std::optional<double>(single) : std::nullopt;
        }
    }
    if (!value || !(*value >= min && *value <= max)) {
        door().Beep();
        return std::nullopt;
    }
    return value;
}

void AskPastDays() {
    const double max = std::max(1, MainVectors->CoordDim() - 1);
    const std::string prompt = std::string(" Enter number of days for past profit calculation") +
                               kCrLf + " from " + Whole(1) + " to " + Whole(max) + " days:" + kCrLf;
    if (AskWhole(defPastDays, prompt, 1, max)) RefreshMenuCaptions();
}

void AskCommission() {
    const std::string prompt = std::string(" Enter one way commission percentage,") + kCrLf +
                               " from " + Decimal2(0) + " to " + Decimal2(5) + " percent: ";
    if (AskSingle(defCommission, prompt, 0, 5)) RefreshMenuCaptions();
}

void AskCorrelation() {
    const std::string prompt = std::string(" Enter correlation coeficient,") + kCrLf + " from " +
                               Decimal2(0) + " to " + Decimal2(1) + kCrLf +
                               " recommended value = 0.71  " + kCrLf;
    if (AskSingle(defCorrelation, prompt, 0, 1)) RefreshMenuCaptions();
}

void AskDiligence() {
    const std::string prompt = std::string(" Enter diligence coeficient,") + kCrLf +
                               " for Market Swinging calculation " + kCrLf + " from " +
                               Decimal2(0) + " to " + Decimal2(1) + kCrLf +
                               " recommended value = 0.5  " + kCrLf;
    if (AskSingle(defDiligence, prompt, 0, 1)) RefreshMenuCaptions();
}

void AskSymbolsInChartPane() {
    const std::string prompt = std::string(" Enter number of stock symbols for simultaneous  ") +
                               kCrLf + " viewing of stock price in a chart pane, " + kCrLf +
                               " from " + Whole(2) + " to " + Whole(21) + " symbols:" + kCrLf;
    if (AskWhole(defSymbolsInChartPane, prompt, 2, 21)) RefreshMenuCaptions();
}

void AskSelectedStockSymbol() {
    const std::string top = LoadedStockCount() >= 1 ? LoadedSymbols(1) : std::string();
    const auto answer = door().InputBox("Enter one stock symbol, please (not case sensitive) ...",
                                        "Stock symbol input.", top);
    defStockSymbolString = ToUpperAscii(TrimBlanks(answer.value_or("")));
    FindStockSymbolIndex();
}

}  // namespace vel
