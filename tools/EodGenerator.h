// A deterministic generator of end-of-day history as text files, for tests, benchmarks and the
// demonstration: N symbols x D trading days (weekdays) of price and volume, with missing days,
// symbols listed late, stock splits that the raw prices show, a header line and a choice of
// date forms and line ends. The same options give the same bytes on every machine: the numbers
// come from a seeded integer generator and plain arithmetic only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "NumberText.h"

namespace vel::eodgen {

enum class DateForm { Iso, MonthDayYear, DayMonYY, DayMonYYYY, MonDayCommaYear };

struct Options {
    int symbols = 10;
    int days = 100;              // trading days, weekdays from firstDate on
    Date firstDate{2010, 1, 4};  // moved forward to a weekday
    DateForm dateForm = DateForm::Iso;
    bool header = true;  // "Date,Open,High,Low,Close,Volume"
    std::string lineEnd = "\r\n";
    std::string extension = "csv";
    double gapRate = 0.01;       // share of symbol-days without a line
    double lateStartRate = 0.0;  // share of symbols whose history starts late
    double splitRate = 0.0;      // share of symbols with one 2:1 or 3:1 split
    std::uint64_t seed = 1;
};

// One split that the generated raw history shows: from `day` on (0-based trading day) the
// prices are divided by `ratio` and the volumes multiplied by it.
struct Split {
    std::string symbol;
    int day = 0;
    int ratio = 1;
};

struct Result {
    std::vector<std::string> symbols;  // in generation order
    std::vector<std::string> files;    // full paths written
    std::vector<Date> tradeDates;      // all trading days, oldest first
    std::vector<Split> splits;
    std::int64_t rows = 0;  // data lines written (headers not counted)
};

// The symbol of generated stock k (0-based): "AAAA", "AAAB", ... (letters only).
std::string SymbolName(int k);
// The text of a date in the form.
std::string FormatDate(const Date& d, DateForm form);
DateForm DateFormFromName(const std::string& name);  // "iso", "mdy", "dmonyy", "dmonyyyy", "mondy"

// Writes one file per symbol into the folder (created when missing), named symbol + "." +
// extension, with the lines: date, open, high, low, close, volume. Throws FileError.
Result WriteSymbolFiles(const std::string& folder, const Options& options);
// Writes all symbols into one file (its folder created when missing), lines: symbol, date,
// open, high, low, close, volume (the header "Symbol,Date,Open,High,Low,Close,Volume"). Throws
// FileError.
Result WriteSingleFile(const std::string& path, const Options& options);

}  // namespace vel::eodgen
