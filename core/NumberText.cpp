// Fixed en-US number and date text.
#include "NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "AsciiText.h"

namespace vel {

namespace {

// The text that std::to_chars writes for v in the form (locale-free, correctly rounded, as
// printf would in the "C" locale).
template <class... Format>
std::string Chars(double v, Format... format) {
    std::string buf(400, '\0');
    for (;;) {
        const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), v, format...);
        if (r.ec == std::errc()) return std::string(buf.data(), r.ptr);
        buf.resize(buf.size() * 2);
    }
}

std::string Whole(long v) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

void TrimFractionZeros(std::string& t) {
    if (t.find('.') == std::string::npos) return;
    while (!t.empty() && t.back() == '0') t.pop_back();
    if (!t.empty() && t.back() == '.') t.pop_back();
}

constexpr int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

// Reads 1..maxDigits decimal digits at t[pos], advancing pos.
std::optional<int> readInt(std::string_view t, size_t& pos, int minDigits, int maxDigits) {
    int v = 0, n = 0;
    while (pos < t.size() && n < maxDigits && IsAsciiDigit(t[pos])) {
        v = v * 10 + (t[pos] - '0');
        ++pos;
        ++n;
    }
    if (n < minDigits) return std::nullopt;
    return v;
}

}  // namespace

std::string formatSignificantDigits(double v, int digits) {
    if (v == 0.0) return "0";
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return v > 0 ? "Inf" : "-Inf";
    if (digits < 1) digits = 1;
    // [-]d.ddddde[+-]xx: the value rounded to `digits` digits, and its decimal exponent.
    const std::string e = Chars(v, std::chars_format::scientific, digits - 1);
    const size_t epos = e.find('e');
    std::string_view exponent(e.data() + epos + 1, e.size() - epos - 1);
    if (exponent.front() == '+') exponent.remove_prefix(1);
    int exp10 = 0;
    std::from_chars(exponent.data(), exponent.data() + exponent.size(), exp10);
    if (exp10 < -5 || exp10 >= digits) {
        std::string mantissa = e.substr(0, epos);
        TrimFractionZeros(mantissa);
        return mantissa + (exp10 < 0 ? "E-" : "E+") +
               formatZeroPadded(exp10 < 0 ? -exp10 : exp10, 2);
    }
    std::string f = Chars(v, std::chars_format::fixed, std::max(0, digits - 1 - exp10));
    TrimFractionZeros(f);
    return f;
}

std::string formatSingle(float v) {
    return formatSignificantDigits(v, 7);
}
std::string formatDouble(double v) {
    return formatSignificantDigits(v, 15);
}

std::string formatFixed(double v, int decimals) {
    return Chars(v, std::chars_format::fixed, std::max(0, decimals));
}

std::string formatSingleExport(float v) {
    std::string t = formatSingle(v);
    const bool negative = !t.empty() && t.front() == '-';
    if (negative) t.erase(0, 1);
    if (t.size() > 1 && t[0] == '0' && t[1] == '.') t.erase(0, 1);
    return (negative ? "-" : " ") + t;
}

std::string formatZeroPadded(long v, int width) {
    std::string t = Whole(v);
    if (t.size() < static_cast<size_t>(width))
        t.insert(0, static_cast<size_t>(width) - t.size(), '0');
    return t;
}

std::string formatWholeExport(long v) {
    std::string t = v < 0 ? "" : " ";
    t += Whole(v);
    return t;
}

std::string formatSingleRoundTrip(float v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string formatDoubleRoundTrip(double v) {
    return Chars(v);
}

std::optional<double> readDecimal(std::string_view text) {
    size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) ++i;
    const size_t mantissaStart = i;
    // Where the first significant digit stands: its index among the integer digits, or its
    // place after the point (1 = tenths); its decimal exponent follows from that.
    long integerDigits = 0, fractionDigits = 0;
    long firstInteger = -1, firstFraction = -1;
    bool point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (!IsAsciiDigit(c)) break;
        if (!point) {
            if (c != '0' && firstInteger < 0) firstInteger = integerDigits;
            ++integerDigits;
        } else {
            ++fractionDigits;
            if (c != '0' && firstInteger < 0 && firstFraction < 0) firstFraction = fractionDigits;
        }
    }
    if (integerDigits + fractionDigits == 0) return std::nullopt;
    const bool significant = firstInteger >= 0 || firstFraction >= 0;
    const long lead = firstInteger >= 0 ? integerDigits - 1 - firstInteger : -firstFraction;
    long exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool expNegative = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) expNegative = text[i++] == '-';
        bool expDigits = false;
        for (; i < text.size() && IsAsciiDigit(text[i]); ++i) {
            expDigits = true;
            if (exponent < 1000000) exponent = exponent * 10 + (text[i] - '0');
        }
        if (!expDigits) return std::nullopt;
        if (expNegative) exponent = -exponent;
    }
    if (i != text.size()) return std::nullopt;
    const std::string_view body = text.substr(mantissaStart);
    double v = 0.0;
    const auto r = std::from_chars(body.data(), body.data() + body.size(), v);
    if (r.ptr != body.data() + body.size()) return std::nullopt;
    if (r.ec == std::errc::result_out_of_range) {
        // Beyond the double range: too large is infinity, too small is zero, as strtod reads it.
        v = significant && lead + exponent >= 0 ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (r.ec != std::errc()) {
        return std::nullopt;
    }
    return negative ? -v : v;
}

std::optional<double> parseNumber(std::string_view text) {
    text = TrimAsciiSpace(text);
    if (text.empty() || text.size() > 64) return std::nullopt;
    const auto v = readDecimal(text);
    if (!v || !std::isfinite(*v)) return std::nullopt;
    return v;
}

bool isValidDate(const Date& d) {
    if (d.year < 100 || d.year > 9999 || d.month < 1 || d.month > 12 || d.day < 1) return false;
    const int dim = kDaysInMonth[d.month - 1] + (d.month == 2 && isLeap(d.year) ? 1 : 0);
    return d.day <= dim;
}

std::optional<Date> parseDate(std::string_view text) {
    text = TrimAsciiSpace(text);
    size_t pos = 0;
    Date d;
    if (text.size() == 10 && text[4] == '-' && text[7] == '-') {
        auto y = readInt(text, pos, 4, 4);
        if (!y || text[pos++] != '-') return std::nullopt;
        auto m = readInt(text, pos, 2, 2);
        if (!m || text[pos++] != '-') return std::nullopt;
        auto dd = readInt(text, pos, 2, 2);
        if (!dd || pos != text.size()) return std::nullopt;
        d = {*y, *m, *dd};
    } else {
        auto m = readInt(text, pos, 1, 2);
        if (!m || pos >= text.size() || text[pos++] != '/') return std::nullopt;
        auto dd = readInt(text, pos, 1, 2);
        if (!dd || pos >= text.size() || text[pos++] != '/') return std::nullopt;
        auto y = readInt(text, pos, 4, 4);
        if (!y || pos != text.size()) return std::nullopt;
        d = {*y, *m, *dd};
    }
    if (!isValidDate(d)) return std::nullopt;
    return d;
}

std::string formatShortDate(const Date& d) {
    return Whole(d.month) + "/" + Whole(d.day) + "/" + formatZeroPadded(d.year, 4);
}

std::string formatIsoDate(const Date& d) {
    return formatZeroPadded(d.year, 4) + "-" + formatZeroPadded(d.month, 2) + "-" +
           formatZeroPadded(d.day, 2);
}

// Civil-from-days and days-from-civil after the well-known proleptic Gregorian algorithms.
long dateSerial(const Date& d) {
    const int y = d.year - (d.month <= 2 ? 1 : 0);
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (d.month + (d.month > 2 ? -3 : 9)) + 2) / 5 + d.day - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long daysFrom1970 = era * 146097 + doe - 719468;
    return daysFrom1970 + 25569;  // 1899-12-30 is serial 0
}

Date dateFromSerial(long serial) {
    const long z = serial - 25569 + 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
    return {year, month, day};
}

}  // namespace vel
