// The URL list generator: placeholders, first words, output names, pattern and list rules.
#include <gtest/gtest.h>

#include "AppState.h"
#include "DownloaderFixture.h"
#include "TextFile.h"
#include "UrlGenerator.h"

namespace vel {
namespace {

using UrlGeneratorTest = testing::DownloaderFixture;

// The replacement as first designed: search from the start again after every replacement.
// It does not end when a value holds the placeholder, so it is bounded here.
std::string ReplaceFromStart(std::string s, const std::string& old, const std::string& value) {
    for (int guard = 0; guard < 1000; ++guard) {
        std::string upper = s;
        std::string oldUpper = old;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        for (char& c : oldUpper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const size_t at = upper.find(oldUpper);
        if (at == std::string::npos) return s;
        s = s.substr(0, at) + value + s.substr(at + old.size());
    }
    return "<no end>";
}

TEST_F(UrlGeneratorTest, ReplaceAllMatchesTheFirstDesignAndEndsWhereItDidNot) {
    struct Case {
        std::string text, old, value;
    };
    const Case same[] = {
        {"a<LINE>b<line>c", "<LINE>", "MSFT"},
        {"<LINE><LINE>", "<LINE>", ""},
        {"none here", "<LINE>", "x"},
        {"<LiNe>", "<LINE>", "lower value"},
        {"", "<LINE>", "x"},
    };
    for (const auto& c : same)
        EXPECT_EQ(ReplaceAll(c.text, c.old, c.value), ReplaceFromStart(c.text, c.old, c.value))
            << c.text;
    EXPECT_EQ(ReplaceFromStart("a<LINE>b", "<LINE>", "x<line>y"), "<no end>");
    EXPECT_EQ(ReplaceAll("a<LINE>b<LINE>", "<LINE>", "x<line>y"), "ax<line>ybx<line>y");
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
}

TEST_F(UrlGeneratorTest, FirstWords) {
    EXPECT_EQ(FindFirstWord("  msft, Microsoft"), "msft");
    EXPECT_EQ(FindFirstWord("IBM International"), "IBM");
    EXPECT_EQ(FindFirstWord("AAPL"), "AAPL");
    EXPECT_EQ(FindFirstWord("\"BRK B\", Berkshire, 1"), "BRK B");
    EXPECT_EQ(FindFirstWord("\" unterminated, rest"), " unterminated, rest");
    EXPECT_EQ(FindFirstWord(",leading comma"), "");
    EXPECT_EQ(FindFirstWord(""), "");
}

TEST_F(UrlGeneratorTest, PlaceholdersAreReplacedInAnyCase) {
    EXPECT_EQ(ReplacePlaceholders("<FIRSTCHARUCASE>/<STOCKSYMBOLLCASE>-<LINEINDEX>",
                                  "msft, Microsoft", "msft", 1),
              "M/msft-0001");
    EXPECT_EQ(ReplacePlaceholders("<line>|<lineucase>|<LINELCASE>|<firstword>|<FIRSTWORDUCASE>|"
                                  "<firstwordlcase>|<firstcharlcase>|<StockSymbol>|"
                                  "<STOCKSYMBOLUCASE>",
                                  "Ab, Cd", "Ab", 10000),
              "Ab, Cd|AB, CD|ab, cd|Ab|AB|ab|a|Ab|AB");
    EXPECT_EQ(ReplacePlaceholders("<LINEINDEX>", "x", "x", 10000), "10000");
}

TEST_F(UrlGeneratorTest, TheOutputNameFollowsThePatternKind) {
    EXPECT_EQ(GeneratedListPath("/p/Daily.EODPATT", "/p/Stocks.txt"), "/p/Stocks.eodurls");
    EXPECT_EQ(GeneratedListPath("/p/Pages.htmpatt", "/p/Stocks.txt"), "/p/Stocks.htmurls");
    EXPECT_EQ(GeneratedListPath("/p/Other.patt", "/p/Stocks.csv"), "/p/Stocks.htmurls");
}

TEST_F(UrlGeneratorTest, GeneratesOneLinePerPatternAndUsableListLine) {
    WriteFile(TempPath("Daily.eodpatt"),
              "; patterns\r\n* also a comment\r\n\r\n SaveTo(<STOCKSYMBOL>.csv):http://h/"
              "<STOCKSYMBOLUCASE> \r\nSaveTo(<LINEINDEX>.txt):http://h/<FIRSTCHARLCASE>\r\n");
    WriteFile(TempPath("Stocks.csv"),
              "*Symbol, Name\r\nmsft, Microsoft\r\n\r\n; skipped\r\n,no word\r\n\"ibm\", "
              "International\r\n");
    const std::string output = GenerateFromChoices("Daily.eodpatt", "Stocks.csv");
    EXPECT_EQ(output, TempPath("Stocks.eodurls"));
    EXPECT_EQ(ReadFile(output),
              "SaveTo(msft.csv):http://h/MSFT\r\nSaveTo(0001.txt):http://h/m\r\n"
              "SaveTo(ibm.csv):http://h/IBM\r\nSaveTo(0002.txt):http://h/i\r\n");
    EXPECT_FALSE(door_.hourglass);
}

TEST_F(UrlGeneratorTest, The51stPatternIsIgnored) {
    std::string patterns;
    for (int i = 1; i <= 51; ++i) patterns += "; c\r\nP" + std::to_string(i) + "-<LINE>\r\n";
    WriteFile(TempPath("P.htmpatt"), patterns);
    WriteFile(TempPath("L.txt"), "x\r\n");
    GenerateHTMURLs(TempPath("P.htmpatt"), TempPath("L.txt"), TempPath("L.htmurls"));
    const auto lines = ReadTextLines(TempPath("L.htmurls"));
    ASSERT_EQ(lines.size(), 50u);
    EXPECT_EQ(lines.back(), "P50-x");
}

TEST_F(UrlGeneratorTest, The10000thUsedLineGetsFiveDigits) {
    std::string list;
    for (int i = 1; i <= 10001; ++i) {
        list += 'S';
        list += std::to_string(i);
        list += '\n';
    }
    WriteFile(TempPath("Many.txt"), list);
    WriteFile(TempPath("N.htmpatt"), "<LINEINDEX>:<LINE>\n");
    GenerateHTMURLs(TempPath("N.htmpatt"), TempPath("Many.txt"), TempPath("Many.htmurls"));
    const auto lines = ReadTextLines(TempPath("Many.htmurls"));
    ASSERT_EQ(lines.size(), 10001u);
    EXPECT_EQ(lines[0], "0001:S1");
    EXPECT_EQ(lines[9999], "10000:S10000");
}

TEST_F(UrlGeneratorTest, MissingOrEmptyInputsAreReportedAndWriteNothing) {
    WriteFile(TempPath("Empty.htmpatt"), "; only comments\r\n*\r\n");
    WriteFile(TempPath("Good.htmpatt"), "x<LINE>\r\n");
    WriteFile(TempPath("L.txt"), "a\r\n");
    for (int i = 0; i < 3; ++i) door_.QueueMessageAnswer(MsgAnswer::OK);
    GenerateHTMURLs(TempPath("Missing.htmpatt"), TempPath("L.txt"), TempPath("O1.htmurls"));
    GenerateHTMURLs(TempPath("Good.htmpatt"), TempPath("Missing.txt"), TempPath("O2.htmurls"));
    GenerateHTMURLs(TempPath("Empty.htmpatt"), TempPath("L.txt"), TempPath("O3.htmurls"));
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"No valid pattern file! End of generating!",
                                        "No valid list file! End of generating!",
                                        "No valid pattern string! End of generating!"}));
    for (const auto& c : door_.CallsOf("message")) EXPECT_EQ(c.title, "Vellicor");
    EXPECT_FALSE(Exists(TempPath("O1.htmurls")));
    EXPECT_FALSE(Exists(TempPath("O2.htmurls")));
    EXPECT_FALSE(Exists(TempPath("O3.htmurls")));
}

TEST_F(UrlGeneratorTest, AListWithoutUsableLinesStillGivesAnEmptyList) {
    WriteFile(TempPath("Good.htmpatt"), "x<LINE>\r\n");
    WriteFile(TempPath("Blank.txt"), "\r\n; nothing\r\n");
    EXPECT_EQ(GenerateFromChoices("Good.htmpatt", "Blank.txt"), TempPath("Blank.htmurls"));
    EXPECT_EQ(ReadFile(TempPath("Blank.htmurls")), "");
}

TEST_F(UrlGeneratorTest, EmptyChoicesOrMissingFilesOnlyBeep) {
    WriteFile(TempPath("Good.htmpatt"), "x\r\n");
    EXPECT_EQ(GenerateFromChoices("", "L.txt"), "");
    EXPECT_EQ(GenerateFromChoices("Good.htmpatt", "  "), "");
    EXPECT_EQ(GenerateFromChoices("Good.htmpatt", "Missing.txt"), "");
    EXPECT_EQ(door_.Beeps(), 3);
    EXPECT_TRUE(door_.CallsOf("message").empty());
}

TEST_F(UrlGeneratorTest, TheBoxesListPatternAndListFilesByKind) {
    for (const char* name :
         {"b.htmpatt", "a.HTMPATT", "z.eodpatt", "x.csv", "y.TXT", "w.txt", "v.CSV", "u.doc"})
        WriteFile(TempPath(name), "");
    EXPECT_EQ(PatternFileNames(),
              (std::vector<std::string>{"z.eodpatt", "a.HTMPATT", "b.htmpatt"}));
    EXPECT_EQ(ListFileNames(), (std::vector<std::string>{"v.CSV", "x.csv", "w.txt", "y.TXT"}));
}

}  // namespace
}  // namespace vel
