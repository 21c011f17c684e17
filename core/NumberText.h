// Numbers and dates as text in the fixed en-US forms the program writes and reads, whatever
// the locale: decimal point ".", dates M/D/YYYY, the database's ISO dates YYYY-MM-DD. Every
// number text of the program is written and read here (std::to_chars and std::from_chars
// underneath), never by the C library's locale-bound printf or strtod.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vel {

// Plain number-to-text of a single-precision value: at most 7 significant digits, no
// trailing zeros, a leading "0" before the point ("0.5"), exponent form "1.5E+20" / "1.5E-06"
// when the decimal exponent is below -5 or reaches the digit count; "0" for zero.
std::string formatSingle(float v);
// The same with at most 15 significant digits, for double-precision values.
std::string formatDouble(double v);
// The same form with at most `digits` significant digits (at least 1).
std::string formatSignificantDigits(double v, int digits);

// The value with exactly `decimals` digits after the point ("0" decimals: no point), rounded
// to nearest, ties to even on the exact binary value: 2.5 gives "2", 0.125 with 2 gives
// "0.12", -0.001 with 2 gives "-0.00". The form of number formats such as "0.00".
std::string formatFixed(double v, int decimals);

// The number form of the comma-separated text exports: a blank before a number that is 0 or
// positive and a minus sign before a negative one, no "0" before the point (" .5", "-.25"),
// otherwise the digits and exponent form of formatSingle (" 1.1", " 1.234568E+07", " 0").
std::string formatSingleExport(float v);
// The same form for a whole number (counters): " 3", "-7".
std::string formatWholeExport(long v);
// The whole number with "0" put in front up to `width` characters ("007" for 7 and 3, "0010"
// for 10 and 4); a longer number is written whole. The zeros go before a minus sign too.
std::string formatZeroPadded(long v, int width);

// The shortest decimal text that parseNumber reads back as exactly the same value ("0.1",
// "1e-07", "-2.5"); for files that the program reads again.
std::string formatSingleRoundTrip(float v);
std::string formatDoubleRoundTrip(double v);

// Reads a decimal number: an optional sign, digits with at most one ".", at least one digit,
// an optional exponent ("e" or "E", optional sign, digits); the whole text must be the number
// (no blanks). Returns the nearest double, as strtod in the "C" locale would: beyond the
// double range plus or minus infinity, below it plus or minus zero. Nothing for other text.
std::optional<double> readDecimal(std::string_view text);

// Parses a decimal number in the en-US form (optional sign, digits, ".", exponent); the whole
// trimmed text (at most 64 characters) must be the number, and its value a finite double (a
// value too small for a double reads as zero). Returns nothing otherwise.
std::optional<double> parseNumber(std::string_view text);

struct Date {
    int year = 0;
    int month = 0;
    int day = 0;
    friend bool operator==(const Date&, const Date&) = default;
};

// True when the date exists in the Gregorian calendar (years 100..9999).
bool isValidDate(const Date& d);
// Parses "M/D/YYYY" or "YYYY-MM-DD" (the program's own forms); nothing for other text.
std::optional<Date> parseDate(std::string_view text);
// "M/D/YYYY", the program's short date form.
std::string formatShortDate(const Date& d);
// "YYYY-MM-DD", the database's form.
std::string formatIsoDate(const Date& d);
// Days since 1899-12-30 (the serial date), for day arithmetic and weekdays.
long dateSerial(const Date& d);
Date dateFromSerial(long serial);

}  // namespace vel
