// EOD text: the chunked line reader, quotes and fields, the kind recognisers and the symbol of
// a file name.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "EodText.h"
#include "NumberText.h"

namespace vel {
namespace {

std::vector<std::string> linesOf(const std::string& text, size_t chunk) {
    std::vector<std::string> lines;
    EodLineReader r([&](std::string_view l) { lines.emplace_back(l); });
    for (size_t i = 0; i < text.size(); i += chunk) r.feed(std::string_view(text).substr(i, chunk));
    r.finish();
    return lines;
}

TEST(EodLineReader, AnyRunOfLineBreaksEndsALineAtEveryChunkBorder) {
    const std::string text = "a,1\r\nb,2\n\nc,3\r\r\nd,4\re,5\n\r\n  \nlast,6";
    const std::vector<std::string> want = {"a,1", "b,2", "c,3", "d,4", "e,5", "  ", "last,6"};
    for (size_t chunk = 1; chunk <= text.size() + 1; ++chunk)
        EXPECT_EQ(linesOf(text, chunk), want) << "chunk size " << chunk;
    EXPECT_EQ(linesOf("x\r\n", 2), std::vector<std::string>{"x"});
    EXPECT_TRUE(linesOf("\r\n\n\r", 1).empty());
}

TEST(EodLineReader, DropsOverlongLinesWithoutHoldingThem) {
    const std::string longLine(kMaxEodLineLength + 1, 'x');
    const std::string exact(kMaxEodLineLength, 'y');
    const std::string text = "a\n" + longLine + "\nb\n" + exact + "\r\n" + longLine;
    for (size_t chunk : {size_t{7}, size_t{4096}, text.size()}) {
        const auto lines = linesOf(text, chunk);
        ASSERT_EQ(lines.size(), 3u) << "chunk size " << chunk;
        EXPECT_EQ(lines[0], "a");
        EXPECT_EQ(lines[1], "b");
        EXPECT_EQ(lines[2], exact);
    }
}

ParsedLine split(const std::string& line, const std::string& symbol = "IBM") {
    ParsedLine p;
    SplitLineIntoFields(line, symbol, p);
    return p;
}

std::vector<std::string> fieldsOf(const ParsedLine& p) {
    std::vector<std::string> f;
    for (int c = 1; c <= p.count; ++c) f.emplace_back(p.field[static_cast<size_t>(c)]);
    return f;
}

TEST(SplitLineIntoFields, QuotesProtectCommasAndAreStripped) {
    // The storage behind the views must outlive the checks.
    const std::string l1 = R"( "Acme, Inc." , " 12.5 ",,"",x ,)";
    EXPECT_EQ(fieldsOf(split(l1)),
              (std::vector<std::string>{"IBM", "Acme, Inc.", "12.5", "", "", "x"}));
    const std::string l2 = "1/2/2020,10,11";
    EXPECT_EQ(fieldsOf(split(l2)), (std::vector<std::string>{"IBM", "1/2/2020", "10", "11"}));
    const std::string l3 = "a,\"b,c";
    const ParsedLine open = split(l3);
    EXPECT_TRUE(open.unclosedQuote);
    EXPECT_EQ(open.count, 1);
    bool unclosed = false;
    EXPECT_EQ(MaskQuotedText("a,\"b,c\",d", unclosed), "a,\"   \",d");
    EXPECT_FALSE(unclosed);
    EXPECT_EQ(MaskQuotedText("x\"y", unclosed), "x\"");
    EXPECT_TRUE(unclosed);
}

TEST(SplitLineIntoFields, KeepsAtMostNineteenFieldsOfALine) {
    std::string line;
    for (int i = 1; i <= 25; ++i) line += std::to_string(i) + ",";
    const ParsedLine p = split(line);
    EXPECT_EQ(p.count, kImportColumns);
    EXPECT_EQ(p.field[20], "19");
}

TEST(FieldKinds, NumbersIncludingExponents) {
    for (const char* n : {"0", "-12", "+3.5", ".5", "5.", "1e5", "-2.5E-03", "1E+308", "  7  "})
        EXPECT_EQ(FieldKindOf(n), kKindNumber) << n;
    EXPECT_EQ(*ReadNumberField("-2.5E-03"), -0.0025);
    EXPECT_EQ(*ReadNumberField("+.5"), 0.5);
    for (const char* t :
         {"", " ", ".", "e5", "1e", "1.2.3", "1,000", "$5", "1e999", "0x10", "NaN", "inf"})
        EXPECT_EQ(FieldKindOf(t), kKindText) << t;
}

TEST(FieldKinds, EveryDateFormAndOnlyRealDates) {
    const Date d{2020, 1, 2};
    const std::pair<const char*, Date> forms[] = {{"2020-01-02", d},
                                                  {"2020-1-2", d},
                                                  {"2020-1-02", d},
                                                  {"2020/1/2", d},
                                                  {"2020/01/02", d},
                                                  {"1/2/2020", d},
                                                  {"01/02/2020", d},
                                                  {"1/2/20", d},
                                                  {"12/31/29", {2029, 12, 31}},
                                                  {"1/1/30", {1930, 1, 1}},
                                                  {"1/2/99", {1999, 1, 2}},
                                                  {"1/2/00", {2000, 1, 2}},
                                                  {"1-2-2020", d},
                                                  {"01-02-2020", d},
                                                  {"2-Jan-20", d},
                                                  {"02-JAN-2020", d},
                                                  {"31-Dec-29", {2029, 12, 31}},
                                                  {"1-Jan-30", {1930, 1, 1}},
                                                  {"29-Feb-2000", {2000, 2, 29}},
                                                  {"Jan 2, 2020", d},
                                                  {"jan  2,2020", d},
                                                  {"Jan 2, 20", d},
                                                  {"Dec 31, 29", {2029, 12, 31}},
                                                  {"Jan 1, 30", {1930, 1, 1}},
                                                  {"Jan 2 2020", d},
                                                  {"JAN  2  2020", d},
                                                  {" 1/2/20 ", d}};
    for (const auto& [text, date] : forms) EXPECT_EQ(ReadDateField(text), date) << text;
    for (const char* t :
         {"2/30/2020",       "29-Feb-1900", "2/29/00x",     "13/1/2020", "1/2/020",
          "1/2/2",           "2-Jan-020",   "1-2-20",       "2020-1/2",  "2020/13/1",
          "2020-02-30",      "20201-1-2",   "123/1/2020",   "Jan 2 20",  "Jan 32, 2020",
          "January 2, 2020", "Jan 2,",      "Jan 2, 2020x", "1/2/2020/", "-1/2/2020"})
        EXPECT_FALSE(ReadDateField(t)) << t;
    EXPECT_EQ(FieldKindOf("1/2/2020"), kKindDate);
    EXPECT_EQ(FieldKindOf("1/2/20"), kKindDate);
    EXPECT_EQ(FieldKindOf("20200102"), kKindNumber);  // a number first
    EXPECT_EQ(FieldKindOf("MSFT"), kKindText);
}

// The recogniser of the import reads exactly the numbers that the program's own parser reads.
TEST(FieldKinds, NumberRecogniserAgreesWithTheProgramParser) {
    std::mt19937 rng(20240611);
    const std::string alphabet = "0123456789+-.eE x";
    for (int n = 0; n < 20000; ++n) {
        std::string s;
        const int len = static_cast<int>(rng() % 9);
        for (int i = 0; i < len; ++i) s += alphabet[rng() % alphabet.size()];
        const auto mine = ReadNumberField(s);
        const auto ref = parseNumber(s);
        ASSERT_EQ(mine.has_value(), ref.has_value()) << '"' << s << '"';
        if (mine) {
            ASSERT_EQ(*mine, *ref) << '"' << s << '"';
        }
    }
}

TEST(SymbolFromFileName, NameBeforeTheLastDotInUpperCase) {
    EXPECT_EQ(SymbolFromFileName("/data/ibm.csv"), "IBM");
    EXPECT_EQ(SymbolFromFileName("IBM.TXT"), "IBM");
    EXPECT_EQ(SymbolFromFileName("/d/brk.b.csv"), "BRK.B");
    EXPECT_EQ(SymbolFromFileName("/d/x"), "X");
    EXPECT_EQ(SymbolFromFileName("/d/a.c"), "A");
    EXPECT_EQ(SymbolFromFileName("/d/.csv"), ".CSV");
    EXPECT_EQ(SymbolFromFileName(""), "");
}

TEST(IsTokenSeparator, BlankCommaBreaksControlsAndNothing) {
    for (const char* s : {" ", ",", "\r", "\n", "\t", ""}) EXPECT_TRUE(IsTokenSeparator(s));
    for (const char* s : {"A", "!", "."}) EXPECT_FALSE(IsTokenSeparator(s));
}

}  // namespace
}  // namespace vel
