// Fixed en-US number and date text.
#include "NumberText.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vel {

namespace {

// Formats |v| with `digits` significant digits in the plain conversion's form.
std::string formatSignificant(double v, int digits) {
    if (v == 0.0) return "0";
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return v > 0 ? "Inf" : "-Inf";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*E", digits - 1, v);
    // buf: [-]d.dddddE[+-]xx; read the rounded decimal exponent from it.
    std::string s(buf);
    const auto epos = s.find('E');
    int exp10 = std::atoi(s.c_str() + epos + 1);
    std::string mant = s.substr(0, epos);
    // Trim trailing zeros of the mantissa.
    if (mant.find('.') != std::string::npos) {
        while (!mant.empty() && mant.back() == '0') mant.pop_back();
        if (!mant.empty() && mant.back() == '.') mant.pop_back();
    }
    if (exp10 < -5 || exp10 >= digits) {
        char e[16];
        std::snprintf(e, sizeof e, "E%c%02d", exp10 < 0 ? '-' : '+', std::abs(exp10));
        return mant + e;
    }
    std::snprintf(buf, sizeof buf, "%.*f", std::max(0, digits - 1 - exp10), v);
    std::string f(buf);
    if (f.find('.') != std::string::npos) {
        while (f.back() == '0') f.pop_back();
        if (f.back() == '.') f.pop_back();
    }
    return f;
}

constexpr int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

std::string_view trim(std::string_view t) {
    while (!t.empty() && std::isspace(static_cast<unsigned char>(t.front()))) t.remove_prefix(1);
    while (!t.empty() && std::isspace(static_cast<unsigned char>(t.back()))) t.remove_suffix(1);
    return t;
}

// Reads 1..maxDigits decimal digits at t[pos], advancing pos.
std::optional<int> readInt(std::string_view t, size_t& pos, int minDigits, int maxDigits) {
    int v = 0, n = 0;
    while (pos < t.size() && n < maxDigits && std::isdigit(static_cast<unsigned char>(t[pos]))) {
        v = v * 10 + (t[pos] - '0');
        ++pos;
        ++n;
    }
    if (n < minDigits) return std::nullopt;
    return v;
}

}  // namespace

std::string formatSingle(float v) {
    return formatSignificant(v, 7);
}
std::string formatDouble(double v) {
    return formatSignificant(v, 15);
}

std::string formatSingleExport(float v) {
    std::string t = formatSingle(v);
    const bool negative = !t.empty() && t.front() == '-';
    if (negative) t.erase(0, 1);
    if (t.size() > 1 && t[0] == '0' && t[1] == '.') t.erase(0, 1);
    return (negative ? "-" : " ") + t;
}

std::string formatWholeExport(long v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, v < 0 ? "%ld" : " %ld", v);
    return buf;
}

std::string formatSingleRoundTrip(float v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string formatDoubleRoundTrip(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::optional<double> parseNumber(std::string_view text) {
    text = trim(text);
    if (text.empty() || text.size() > 64) return std::nullopt;
    size_t i = 0;
    if (text[i] == '+' || text[i] == '-') ++i;
    bool digits = false;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i, digits = true;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
            ++i, digits = true;
    }
    if (!digits) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        bool ed = false;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i, ed = true;
        if (!ed) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;
    // Read with the locale-free reader: the decimal point is "." whatever the user's locale.
    std::string_view digitsText = text;
    if (digitsText.front() == '+') digitsText.remove_prefix(1);
    double v = 0.0;
    const auto r = std::from_chars(digitsText.data(), digitsText.data() + digitsText.size(), v);
    if (r.ec == std::errc::result_out_of_range) {
        // Beyond the double range: too large is no number; too small is zero.
        const bool tiny =
            text.find("e-") != std::string_view::npos || text.find("E-") != std::string_view::npos;
        if (!tiny) return std::nullopt;
        return digitsText.front() == '-' ? -0.0 : 0.0;
    }
    if (r.ec != std::errc() || !std::isfinite(v)) return std::nullopt;
    return v;
}

bool isValidDate(const Date& d) {
    if (d.year < 100 || d.year > 9999 || d.month < 1 || d.month > 12 || d.day < 1) return false;
    const int dim = kDaysInMonth[d.month - 1] + (d.month == 2 && isLeap(d.year) ? 1 : 0);
    return d.day <= dim;
}

std::optional<Date> parseDate(std::string_view text) {
    text = trim(text);
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
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d/%d/%04d", d.month, d.day, d.year);
    return buf;
}

std::string formatIsoDate(const Date& d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
    return buf;
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
