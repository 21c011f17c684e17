// Fixed en-US number and date text: the forms, their rounding against the exact decimal value
// of each double, reading with its range limits, and all of it under a comma-decimal locale.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "CommaDecimalLocale.h"
#include "NumberText.h"

namespace vel {
namespace {

// ---- The oracle: the exact decimal value of a double, rounded by hand -----------------------

// The exact value |v| = digits x 10^(point - digits.size()): every double is m x 2^e, and
// m x 2^-k = m x 5^k / 10^k. Digits without leading zeros ("" for zero).
struct Exact {
    std::string digits;
    long point = 0;  // digits before the decimal point
};

Exact ExactDecimal(double v) {
    int e = 0;
    const double m = std::frexp(std::fabs(v), &e);  // |v| = m x 2^e, 0.5 <= m < 1
    auto mantissa = static_cast<std::uint64_t>(std::ldexp(m, 53));
    e -= 53;
    std::vector<std::uint32_t> limbs;  // base 1e9, least significant first
    for (; mantissa; mantissa /= 1000000000) limbs.push_back(mantissa % 1000000000);
    const auto times = [&](std::uint32_t f) {
        std::uint64_t carry = 0;
        for (auto& l : limbs) {
            const std::uint64_t x = std::uint64_t{l} * f + carry;
            l = static_cast<std::uint32_t>(x % 1000000000);
            carry = x / 1000000000;
        }
        for (; carry; carry /= 1000000000) limbs.push_back(carry % 1000000000);
    };
    long decimals = 0;
    for (; e > 0; --e) times(2);
    for (; e < 0; ++e, ++decimals) times(5);
    std::string digits;
    for (auto it = limbs.rbegin(); it != limbs.rend(); ++it) {
        std::string part = std::to_string(*it);
        if (!digits.empty()) part.insert(0, 9 - part.size(), '0');
        digits += part;
    }
    digits.erase(0, digits.find_first_not_of('0'));
    return {digits, static_cast<long>(digits.size()) - decimals};
}

// The first `keep` digits of the exact value rounded to nearest, ties to even; the position of
// the point moves when a carry adds a digit.
Exact RoundTo(Exact x, long keep) {
    if (keep < 0) return {"", x.point};
    if (static_cast<long>(x.digits.size()) <= keep) return x;
    const std::string rest = x.digits.substr(static_cast<size_t>(keep));
    x.digits.resize(static_cast<size_t>(keep));
    const bool half = rest[0] == '5' && rest.find_first_not_of('0', 1) == std::string::npos;
    const bool up = rest[0] > '5' || (rest[0] == '5' && !half) ||
                    (half && !x.digits.empty() && (x.digits.back() - '0') % 2 == 1);
    if (up) {
        long i = keep - 1;
        for (; i >= 0 && x.digits[static_cast<size_t>(i)] == '9'; --i)
            x.digits[static_cast<size_t>(i)] = '0';
        if (i >= 0) {
            ++x.digits[static_cast<size_t>(i)];
        } else {
            x.digits = std::string(1, '1') + x.digits;
            ++x.point;
        }
    }
    return x;
}

// "%.<decimals>f" by hand.
std::string FixedOracle(double v, int decimals) {
    Exact x = ExactDecimal(v);
    x = RoundTo(x, x.point + decimals);
    std::string digits = x.digits;
    long point = x.point;
    if (digits.find_first_not_of('0') == std::string::npos) digits.clear();
    // Pad to have the whole part and exactly `decimals` decimals.
    if (point < 1) {
        digits.insert(0, static_cast<size_t>(1 - point), '0');
        point = 1;
    }
    digits.resize(static_cast<size_t>(point + decimals), '0');
    std::string out = std::signbit(v) ? "-" : "";
    out += digits.substr(0, static_cast<size_t>(point));
    if (decimals > 0) {
        out += '.';
        out += digits.substr(static_cast<size_t>(point));
    }
    return out;
}

// The program's plain form with `sig` significant digits, by hand.
std::string SignificantOracle(double v, int sig) {
    if (v == 0.0) return "0";
    Exact x = RoundTo(ExactDecimal(v), sig);
    const long exp10 = x.point - 1;
    std::string digits = x.digits;
    digits.erase(digits.find_last_not_of('0') + 1);
    std::string out = v < 0 ? "-" : "";
    if (exp10 < -5 || exp10 >= sig) {
        out += digits[0];
        if (digits.size() > 1) {
            out += '.';
            out += digits.substr(1);
        }
        out += exp10 < 0 ? "E-" : "E+";
        const long a = exp10 < 0 ? -exp10 : exp10;
        if (a < 10) out += '0';
        out += std::to_string(a);
        return out;
    }
    if (exp10 < 0) {
        out += "0.";
        out.append(static_cast<size_t>(-exp10 - 1), '0');
        out += digits;
    } else if (static_cast<long>(digits.size()) <= exp10 + 1) {
        out += digits;
        out.append(static_cast<size_t>(exp10 + 1) - digits.size(), '0');
    } else {
        out += digits.substr(0, static_cast<size_t>(exp10 + 1));
        out += '.';
        out += digits.substr(static_cast<size_t>(exp10 + 1));
    }
    return out;
}

// Doubles of every magnitude, singles among them, and the ties that rounding must send to
// the even neighbour.
std::vector<double> Samples() {
    std::vector<double> out = {0.5,   1.5,     2.5,    0.125,  0.375,   1e15,   9.9999999,
                               99.95, 0.00005, 1e-300, 5e-324, 1.7e308, 123.456};
    std::mt19937_64 random(20240607);
    for (int i = 0; i < 3000; ++i) {
        const double v = std::bit_cast<double>(random());
        if (std::isfinite(v)) out.push_back(v);
        const double scaled = std::ldexp(static_cast<double>(random() % 2000000) - 1e6,
                                         static_cast<int>(random() % 80) - 40);
        out.push_back(scaled);
        out.push_back(static_cast<float>(scaled));
    }
    return out;
}

TEST(NumberText, FixedAndSignificantFormsRoundTheExactValue) {
    for (double v : Samples()) {
        for (int d : {0, 1, 2, 4}) {
            if (std::fabs(v) < 1e30) {
                ASSERT_EQ(formatFixed(v, d), FixedOracle(v, d)) << d;
            }
        }
        ASSERT_EQ(formatSignificantDigits(v, 7), SignificantOracle(v, 7));
        ASSERT_EQ(formatDouble(v), SignificantOracle(v, 15));
        ASSERT_EQ(formatSignificantDigits(v, 6), SignificantOracle(v, 6));
    }
    EXPECT_EQ(formatFixed(2.5, 0), "2");
    EXPECT_EQ(formatFixed(0.125, 2), "0.12");
    EXPECT_EQ(formatFixed(-0.001, 2), "-0.00");
    EXPECT_EQ(formatFixed(1e20, 1), "100000000000000000000.0");
}

TEST(NumberText, SingleFormUsesSevenSignificantDigits) {
    EXPECT_EQ(formatSingle(0.0f), "0");
    EXPECT_EQ(formatSingle(2.5f), "2.5");
    EXPECT_EQ(formatSingle(-0.5f), "-0.5");
    EXPECT_EQ(formatSingle(1.0f / 3.0f), "0.3333333");
    EXPECT_EQ(formatSingle(123456.7f), "123456.7");
    EXPECT_EQ(formatSingle(12345678.0f), "1.234568E+07");
    EXPECT_EQ(formatSingle(0.0000012f), "1.2E-06");
    EXPECT_EQ(formatDouble(0.1), "0.1");
}

TEST(NumberText, ExportFormHasSignBlankAndNoLeadingZero) {
    EXPECT_EQ(formatSingleExport(12.5f), " 12.5");
    EXPECT_EQ(formatSingleExport(-2.5f), "-2.5");
    EXPECT_EQ(formatSingleExport(0.5f), " .5");
    EXPECT_EQ(formatSingleExport(-0.25f), "-.25");
    EXPECT_EQ(formatSingleExport(1.1f), " 1.1");
    EXPECT_EQ(formatSingleExport(1.0f / 3.0f), " .3333333");
    EXPECT_EQ(formatSingleExport(0.0f), " 0");
    EXPECT_EQ(formatSingleExport(-0.0f), " 0");
    EXPECT_EQ(formatSingleExport(12345678.0f), " 1.234568E+07");
    EXPECT_EQ(formatSingleExport(-0.0000012f), "-1.2E-06");
    EXPECT_EQ(formatSingleExport(9999999.0f), " 9999999");
    EXPECT_EQ(formatSingleExport(-1e20f), "-1E+20");
    EXPECT_EQ(formatWholeExport(3), " 3");
    EXPECT_EQ(formatWholeExport(0), " 0");
    EXPECT_EQ(formatWholeExport(-7), "-7");
}

TEST(NumberText, RoundTripFormReadsBackBitExact) {
    EXPECT_EQ(formatSingleRoundTrip(0.1f), "0.1");
    EXPECT_EQ(formatSingleRoundTrip(-2.5f), "-2.5");
    const float samples[] = {1.0f / 3.0f,     0.57735026f, -1e-7f,     3.4028235e38f,
                             1.17549435e-38f, 16777217.0f, 123456.789f};
    for (float f : samples) {
        const auto back = parseNumber(formatSingleRoundTrip(f));
        ASSERT_TRUE(back) << formatSingleRoundTrip(f);
        EXPECT_EQ(static_cast<float>(*back), f) << formatSingleRoundTrip(f);
    }
    EXPECT_EQ(parseNumber(formatDoubleRoundTrip(0.1 + 0.2)), 0.1 + 0.2);
}

TEST(NumberText, ParsesPlainAndExponentNumbersOnly) {
    EXPECT_EQ(parseNumber("12.5"), 12.5);
    EXPECT_EQ(parseNumber(" -3 "), -3.0);
    EXPECT_EQ(parseNumber("1.5E+3"), 1500.0);
    EXPECT_EQ(parseNumber(".5"), 0.5);
    EXPECT_FALSE(parseNumber("1,5"));
    EXPECT_FALSE(parseNumber("12a"));
    EXPECT_FALSE(parseNumber("E5"));
    EXPECT_FALSE(parseNumber(""));
    EXPECT_FALSE(parseNumber("1e999"));
    // Beyond the double range on the small side a number reads as zero, with its sign.
    EXPECT_EQ(parseNumber("1e-999"), 0.0);
    EXPECT_TRUE(std::signbit(*parseNumber("-1e-999")));
    EXPECT_EQ(parseNumber("0.0000000001e-320"), 0.0);
    EXPECT_FALSE(parseNumber("100000e305"));  // 1e310 written with a small exponent
    EXPECT_EQ(parseNumber("4.9406564584124654e-324"), 5e-324);
}

TEST(NumberText, ReadDecimalGivesTheRangeLimitsAsStrtodDoes) {
    EXPECT_EQ(readDecimal("1e999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(readDecimal("-0.001e999999999999"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(readDecimal("0.000e999"), 0.0);
    EXPECT_EQ(readDecimal("+2."), 2.0);
    EXPECT_FALSE(readDecimal(" 2"));
    EXPECT_FALSE(readDecimal("2e"));
    EXPECT_FALSE(readDecimal("."));
    EXPECT_FALSE(readDecimal("1.2.3"));
    EXPECT_FALSE(readDecimal("0x10"));
    EXPECT_FALSE(readDecimal("inf"));
}

TEST(NumberText, NumbersIgnoreACommaDecimalLocale) {
    testing::CommaDecimalLocale comma;
    if (!comma.active) GTEST_SKIP() << "localedef cannot build a comma-decimal locale here";
    EXPECT_EQ(formatSingle(2.5f), "2.5");
    EXPECT_EQ(formatSingle(12345678.0f), "1.234568E+07");
    EXPECT_EQ(formatDouble(0.1), "0.1");
    EXPECT_EQ(formatFixed(1234.5, 2), "1234.50");
    EXPECT_EQ(formatSingleExport(-0.25f), "-.25");
    EXPECT_EQ(formatWholeExport(12345), " 12345");
    EXPECT_EQ(formatSingleRoundTrip(0.1f), "0.1");
    EXPECT_EQ(parseNumber("12.5"), 12.5);
    EXPECT_EQ(parseNumber("1.5E+3"), 1500.0);
    EXPECT_FALSE(parseNumber("12,5"));
    EXPECT_EQ(formatShortDate({2000, 1, 4}), "1/4/2000");
    for (double v : {0.5, -1234.5678, 1e-7, 6.02e23})
        EXPECT_EQ(formatSignificantDigits(v, 7), SignificantOracle(v, 7));
}

TEST(NumberText, DatesInTheProgramsForms) {
    EXPECT_EQ(parseDate("1/4/2000"), (Date{2000, 1, 4}));
    EXPECT_EQ(parseDate("2000-01-04"), (Date{2000, 1, 4}));
    EXPECT_EQ(parseDate("12/31/1999"), (Date{1999, 12, 31}));
    EXPECT_FALSE(parseDate("empty date"));
    EXPECT_FALSE(parseDate("2/30/2000"));
    EXPECT_FALSE(parseDate("2/29/1900"));
    EXPECT_TRUE(parseDate("2/29/2000"));
    EXPECT_EQ(formatShortDate({2000, 1, 4}), "1/4/2000");
    EXPECT_EQ(formatIsoDate({2000, 1, 4}), "2000-01-04");
}

TEST(NumberText, SerialDatesRoundTrip) {
    EXPECT_EQ(dateSerial({1899, 12, 30}), 0);
    EXPECT_EQ(dateSerial({2000, 1, 1}), 36526);
    for (long s = 0; s < 80000; s += 37) EXPECT_EQ(dateSerial(dateFromSerial(s)), s);
}

}  // namespace
}  // namespace vel
