// ASCII case mapping and character tests under the Turkish locale, whose C library maps no
// ASCII "i" to "I" (nor "I" to "i"): every byte is treated as the "C" locale treats it, and
// the searches and comparisons of keywords, extensions and symbols still ignore case.
#include <gtest/gtest.h>

#include <cctype>
#include <cerrno>
#include <cwctype>
#include <string>

#include "AsciiText.h"
#include "SystemErrorText.h"
#include "SystemLocale.h"

namespace vel {
namespace {

using testing::SystemLocale;

// What the C library says of a byte in the "C" locale: the oracle of the helpers.
struct ByteClass {
    bool digit, alpha, alnum, upper, lower, space;
    char toUpper, toLower;
    friend bool operator==(const ByteClass&, const ByteClass&) = default;
};

ByteClass CLibrary(int b) {
    return {std::isdigit(b) != 0,
            std::isalpha(b) != 0,
            std::isalnum(b) != 0,
            std::isupper(b) != 0,
            std::islower(b) != 0,
            std::isspace(b) != 0,
            static_cast<char>(std::toupper(b)),
            static_cast<char>(std::tolower(b))};
}

ByteClass Helpers(char c) {
    return {IsAsciiDigit(c), IsAsciiAlpha(c), IsAsciiAlnum(c), IsAsciiUpper(c),
            IsAsciiLower(c), IsAsciiSpace(c), ToUpperAscii(c), ToLowerAscii(c)};
}

TEST(AsciiTextTest, EveryByteAndEveryKeywordIsTreatedAsInTheCLocaleUnderTurkish) {
    VEL_REQUIRE_LOCALE("tr_TR.UTF-8");
    ByteClass oracle[256];
    {
        const SystemLocale c("C");
        for (int b = 0; b < 256; ++b) oracle[b] = CLibrary(b);
    }
    const SystemLocale turkish("tr_TR.UTF-8");
    ASSERT_TRUE(turkish.active);
    // The trap the helpers avoid: in this locale the capital of "i" is the dotted U+0130, which
    // the C library's byte-wise toupper cannot give, so it leaves "i" as it is.
    ASSERT_EQ(std::towupper(L'i'), static_cast<std::wint_t>(0x130));
    for (int b = 0; b < 256; ++b)
        EXPECT_TRUE(Helpers(static_cast<char>(b)) == oracle[b]) << "byte " << b;

    EXPECT_EQ(ToUpperAscii(std::string("defCommission ibm.csv")), "DEFCOMMISSION IBM.CSV");
    EXPECT_EQ(ToLowerAscii(std::string("MARKETTIMING.HTMPATT")), "markettiming.htmpatt");
    EXPECT_TRUE(EqualsNoCase("CreateHistory", "CREATEHISTORY"));
    EXPECT_FALSE(EqualsNoCase("\xC4\xB0", "I"));  // the capital dotted I is no ASCII letter
    EXPECT_EQ(FindNoCase("Daily.AUTORUN.autorun", ".autorun", 7), 13u);
    EXPECT_EQ(FindNoCase("MarketSwinging", "SWING"), 6u);
    EXPECT_EQ(FindNoCase("Password(", "PASSWORDS"), std::string::npos);
    EXPECT_TRUE(StartsWithNoCase("saveto(ibm.csv):", "SaveTo("));
    EXPECT_TRUE(EndsWithNoCase("daily.EODURLS", ".eodurls"));
    EXPECT_FALSE(EndsWithNoCase("urls", ".eodurls"));
    EXPECT_EQ(TrimAsciiSpace(" \t\v\f1.5E+07\r\n"), "1.5E+07");
}

// The log of a run under German says why a file failed in the same words as under any other
// language.
TEST(SystemErrorTextTest, AnErrorNumbersTextIsTheSameUnderGerman) {
    VEL_REQUIRE_LOCALE("de_DE.UTF-8");
    const testing::SystemLocale german("de_DE.UTF-8");
    ASSERT_TRUE(german.active);
    EXPECT_EQ(SystemErrorText(EACCES), "Permission denied");
    EXPECT_EQ(SystemErrorText(ENOSPC), "No space left on device");
}

}  // namespace
}  // namespace vel
