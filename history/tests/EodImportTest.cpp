// The column analysis with its thresholds and preview, and the rows stored into History1.
#include <gtest/gtest.h>

#include <fstream>

#include "EodImport.h"
#include "PlatformFixture.h"

namespace vel {
namespace {

class EodImportTest : public testing::PlatformFixture {
protected:
    std::string write(const std::string& name, const std::string& text) {
        const std::string path = TempPath(name);
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    std::vector<std::string> previewLines() const {
        std::vector<std::string> lines;
        size_t pos = 0;
        while (pos < ImportPreviewText.size()) {
            const size_t end = ImportPreviewText.find("\r\n", pos);
            lines.push_back(ImportPreviewText.substr(pos, end - pos));
            pos = end + 2;
        }
        return lines;
    }
};

const char* kIbm =
    "Date,Open,High,Low,Close,Volume\r\n"
    "1/2/2020,10,11,9,10.5,1000\r\n"
    "1/3/2020,10.5,12,10,11.5,2e3\r\n"
    "1/6/2020,11,11,11,11,0\r\n"
    "1/7/2020,11,11,11,11,0,extra\r\n";

TEST_F(EodImportTest, AnalysisTypesColumnsByMoreThanHalfTheMeanCount) {
    ImportColumnName(3) = "stale";
    AnalyzeTextColumns(write("ibm.csv", kIbm));
    // Columns 1..7 occur on all 5 lines, column 8 on one: T = (7 * 5 + 1) / 8 / 2 = 2.25.
    const std::int16_t want[] = {2, 3, 1, 1, 1, 1, 1, 0, 0};
    for (int c = 1; c <= 9; ++c) EXPECT_EQ(ImportColumnType(c), want[c - 1]) << "column " << c;
    EXPECT_EQ(ImportColumnName(3), "");
    EXPECT_EQ(ImportColumnKindCount(2, 3), 4);
    EXPECT_EQ(ImportColumnKindCount(2, 2), 1);
    EXPECT_EQ(ImportPreviewLineCount, 5);

    const auto lines = previewLines();
    ASSERT_EQ(lines.size(), 2u + 5u + 2u);
    for (const auto& l : lines) EXPECT_EQ(l.size(), 300u);
    // Cells of 13 characters and two blanks.
    auto cell = [](const std::string& t) { return t + std::string(15 - t.size(), ' '); };
    EXPECT_EQ(lines[0].substr(0, 30), cell(" 1") + cell(" 2"));
    EXPECT_EQ(lines[0].substr(19 * 15), cell(" 20"));
    EXPECT_EQ(lines[1].substr(0, 15), cell("............."));
    EXPECT_EQ(lines[2].substr(0, 30), cell("IBM") + cell("Date"));
    EXPECT_EQ(lines[6].substr(7 * 15, 15), cell("extra"));
    // Shares: 5 texts * 50 / 2.25, 4 dates * 50 / 2.25, 4 numbers * 50 / 2.25.
    EXPECT_EQ(lines[8].substr(0, 45),
              cell("TEXT 111.1111") + cell("DATE 88.8889") + cell("NUM 88.8889"));
    EXPECT_EQ(lines[8].substr(7 * 15, 15), cell("Not defined "));
}

TEST_F(EodImportTest, ACountEqualToTheThresholdIsNotEnough) {
    // Two lines: column 3 is a number on one, text on the other: 1 is not above T = 1.
    AnalyzeTextColumns(write("x.csv", "1/2/2020,5\n1/3/2020,abc\n"));
    EXPECT_EQ(ImportColumnType(2), kKindDate);
    EXPECT_EQ(ImportColumnType(3), 0);
    AnalyzeTextColumns(write("empty.csv", "\r\n\r\n"));
    for (int c = 1; c <= kImportColumns; ++c) EXPECT_EQ(ImportColumnType(c), 0);
}

TEST_F(EodImportTest, PreviewTakesTheFirstNinetyEightLines) {
    std::string text;
    for (int i = 0; i < 300; ++i) text += i < 150 ? "abc,1\n" : "1/2/2020,x\n";
    AnalyzeTextColumns(write("cap.csv", text));
    EXPECT_EQ(ImportPreviewLineCount, 98);
    EXPECT_EQ(ImportColumnKindCount(2, 2), 98);
    EXPECT_EQ(ImportColumnKindCount(2, 3), 0);
    EXPECT_EQ(ImportPreviewText.size(), (2u + 98u + 2u) * 302u);
}

TEST_F(EodImportTest, StoresMatchingLinesOnlyWithTheirKinds) {
    const std::string path = write("ibm.csv", std::string(kIbm) +
                                                  "1/8/2020,11,11,11,11\r\n"  // one field less
                                                  "abc,11,11,11,11,5\r\n"     // text for a date
                                                  "\"Jan 9, 2020\",1,1,1,2.5,7");  // no final break
    AnalyzeTextColumns(path);
    ImportColumnName(1) = "Symbol";
    ImportColumnName(2) = "TradeDate";
    ImportColumnName(6) = "Price";
    ImportColumnName(7) = "Volume";
    EXPECT_EQ(History1CreateStatement(),
              "CREATE TABLE History1( \"Symbol\" TEXT, \"TradeDate\" DATE, \"Price\" DOUBLE, "
              "\"Volume\" DOUBLE );");
    Database db = Database::Create(TempPath("History.mdb"));
    db.execute(History1CreateStatement());
    EXPECT_EQ(ImportTextFileRows(db, "History1", path), 4);
    Statement s =
        db.prepare("SELECT Symbol, TradeDate, Price, Volume FROM History1 ORDER BY rowid");
    std::vector<std::string> rows;
    while (s.step())
        rows.push_back(s.getText(0) + " " + s.getText(1) + " " + s.field("Price").toText() + " " +
                       s.field("Volume").toText());
    EXPECT_EQ(rows,
              (std::vector<std::string>{"IBM 2020-01-02 10.5 1000.0", "IBM 2020-01-03 11.5 2000.0",
                                        "IBM 2020-01-06 11.0 0.0", "IBM 2020-01-09 2.5 7.0"}));
}

TEST_F(EodImportTest, EveryDateFormIsTypedAsADateAndStoredAsItsIsoDate) {
    const std::string path = write("dates.csv",
                                   "Date,Close,Volume\n"
                                   "1/2/20,1,1\n"
                                   "2020/1/3,2,1\n"
                                   "1-6-2020,3,1\n"
                                   "2020-1-7,4,1\n"
                                   "Jan 8 2020,5,1\n"
                                   "\"Jan 9, 20\",6,1\n"
                                   "12/31/99,7,1\n");
    AnalyzeTextColumns(path);
    ASSERT_EQ(ImportColumnType(2), kKindDate);
    ImportColumnName(1) = "Symbol";
    ImportColumnName(2) = "TradeDate";
    ImportColumnName(3) = "Price";
    ImportColumnName(4) = "Volume";
    Database db = Database::Create(TempPath("History.mdb"));
    db.execute(History1CreateStatement());
    EXPECT_EQ(ImportTextFileRows(db, "History1", path), 7);
    EXPECT_EQ(db.scalar("SELECT group_concat(TradeDate, ' ') FROM History1").toText(),
              "2020-01-02 2020-01-03 2020-01-06 2020-01-07 2020-01-08 2020-01-09 1999-12-31");
}

TEST_F(EodImportTest, TextIsUpperCasedAndADigitNamedFileMatchesNothing) {
    const std::string text = "Symbol,Date,Close,Volume\nmsft,1/2/2020,5,6\nibm,1/3/2020,7,8\n";
    AnalyzeTextColumns(write("all.txt", text));
    ImportColumnName(2) = "Symbol";
    ImportColumnName(3) = "TradeDate";
    ImportColumnName(4) = "Price";
    ImportColumnName(5) = "Volume";
    Database db = Database::Create(TempPath("History.mdb"));
    db.execute(History1CreateStatement());
    EXPECT_EQ(ImportTextFileRows(db, "History1", write("all.txt", text)), 2);
    EXPECT_EQ(db.scalar("SELECT group_concat(Symbol, ' ') FROM History1").toText(), "MSFT IBM");
    // The same lines in a file whose name is a number: column 1 has another kind.
    EXPECT_EQ(ImportTextFileRows(db, "History1", write("123.txt", text)), 0);
}

}  // namespace
}  // namespace vel
