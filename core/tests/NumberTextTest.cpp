// Fixed en-US number and date text.
#include <gtest/gtest.h>

#include "NumberText.h"

namespace vel {
namespace {

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
