// The input boxes of the program parameters (the chart window's "Parameters" menu): each asks for
// one value in a box titled "Default values of program parameters." whose prompt states the allowed
// range; a valid answer is stored and shown, anything else only beeps and keeps the old value.
#pragma once

#include <optional>
#include <string>

namespace vel {

// A number asked for: `prompt` is shown with the current value, put into min..max (both
// inclusive), as the proposed answer. The answer must be a decimal number; a whole one
// (`whole`) is rounded to the nearest integer, halves to the even one, a single-precision one
// rounded to single. The value when it lies within min..max; otherwise (also for a cancelled
// box or any text that is not a number) a beep and nothing.
std::optional<double> AskParameterValue(const std::string& prompt, double current, double min,
                                        double max, bool whole);

// The parameter items: days for past profit (1..CoordDim - 1), one-way commission (0..5),
// correlation (0..1), diligence (0..1) and stock symbols per chart pane (2..21); an accepted
// value rewrites the menu captions.
void AskPastDays();
void AskCommission();
void AskCorrelation();
void AskDiligence();
void AskSymbolsInChartPane();
// The selected stock symbol: the answer, upper-cased and trimmed, is looked up among the
// loaded symbols (a symbol that is not loaded is cleared) and the captions rewritten.
void AskSelectedStockSymbol();

}  // namespace vel
