// The small shared routines and the interval table.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "AppState.h"
#include "Database.h"
#include "EntryPoints.h"
#include "FrameFixture.h"
#include "IntervalTable.h"
#include "SmallRoutines.h"

namespace vel {
namespace {

class SmallRoutinesTest : public testing::FrameFixture {
protected:
    static void Touch(const std::string& path) { std::ofstream(path) << "x"; }
};

TEST(StripEnclosingQuotes, RemovesOnePairAfterTrimming) {
    EXPECT_EQ(StripEnclosingQuotes("  \"demo.autorun\"  "), "demo.autorun");
    EXPECT_EQ(StripEnclosingQuotes("\" inner \""), " inner ");
    EXPECT_EQ(StripEnclosingQuotes("\"\"x\"\""), "\"x\"");
    EXPECT_EQ(StripEnclosingQuotes("\"\""), "");
    EXPECT_EQ(StripEnclosingQuotes(" \" "), "\"");
    EXPECT_EQ(StripEnclosingQuotes(" \"open only "), "\"open only");
    EXPECT_EQ(StripEnclosingQuotes("   "), "");
}

TEST(PadLeftZeros, PadsToFourCharactersIncludingTheSign) {
    EXPECT_EQ(PadLeftZeros(0), "0000");
    EXPECT_EQ(PadLeftZeros(7), "0007");
    EXPECT_EQ(PadLeftZeros(123), "0123");
    EXPECT_EQ(PadLeftZeros(12345), "12345");
    EXPECT_EQ(PadLeftZeros(-5), "00-5");
    EXPECT_EQ(PadLeftZeros(-32768), "-32768");
}

TEST_F(SmallRoutinesTest, FileExistsOnlyForFiles) {
    Touch(TempPath("a.csv"));
    EXPECT_TRUE(FileExists(TempPath("a.csv")));
    EXPECT_TRUE(FileExists(TempPath("*.CSV")));
    EXPECT_FALSE(FileExists(TempPath("b.csv")));
    EXPECT_FALSE(FileExists(TempFolder()));
    EXPECT_FALSE(FileExists(TempPath("sub")));
    std::filesystem::create_directory(TempPath("sub"));
    EXPECT_FALSE(FileExists(TempPath("sub")));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists("   "));
}

TEST_F(SmallRoutinesTest, SplitFilePathPartsGivesSymbolAndExtensionInUpperCase) {
    Touch(TempPath("aapl.csv"));
    SplitFilePathParts(TempPath("aapl.csv"));
    EXPECT_EQ(ImportFilePath, TempPath("aapl.csv"));
    EXPECT_EQ(ImportFileSymbol, "AAPL");
    EXPECT_EQ(ImportFileExtUpper, ".CSV");

    SplitFilePathParts(TempPath("missing.csv"));
    EXPECT_EQ(ImportFileSymbol, "");
    EXPECT_EQ(ImportFileExtUpper, "");
}

TEST_F(SmallRoutinesTest, FindStockSymbolIndexMatchesWithoutRegardToCase) {
    int refreshed = 0;
    ChartsCommands.RefreshMenuCaptions = [&refreshed] { ++refreshed; };
    // Nothing loaded: the symbol is only tidied.
    defStockSymbolString = " qqq ";
    FindStockSymbolIndex();
    EXPECT_EQ(defStockSymbolString, "QQQ");
    EXPECT_EQ(defStockSymbolIndex, 0);

    LoadedSymbolCount = 3;
    LoadedSymbols(1) = "SPY";
    LoadedSymbols(2) = " QQQ";
    LoadedSymbols(3) = "IBM";
    defStockSymbolString = "qqq";
    FindStockSymbolIndex();
    EXPECT_EQ(defStockSymbolString, "QQQ");
    EXPECT_EQ(defStockSymbolIndex, 2);

    defStockSymbolString = "XYZ";
    FindStockSymbolIndex();
    EXPECT_EQ(defStockSymbolString, "");
    EXPECT_EQ(defStockSymbolIndex, 0);
    EXPECT_EQ(refreshed, 3);
}

class IntervalTableTest : public testing::FrameFixture {
protected:
    void SetUp() override {
        FrameFixture::SetUp();
        ResultsDatabasePath = TempPath("Results.mdb");
        Database::Create(ResultsDatabasePath).close();
        IntervalCount = 3;
        IntervalLimit(1, 1) = 9.5f;
        IntervalLimit(1, 2) = 5;
        IntervalLimit(2, 1) = 5;
        IntervalLimit(2, 2) = 2;
        IntervalLimit(3, 1) = 2;
        IntervalLimit(3, 2) = 0;
    }
};

TEST_F(IntervalTableTest, WritesOneRowPerIntervalWithItsReadableForm) {
    SaveIntervalTable("DVintervals", "DV", "0.00");
    EXPECT_EQ(ErrorPosition, 22);
    Database db = Database::Open(ResultsDatabasePath);
    Statement rows = db.prepare(
        "SELECT IntervalNum, LimitHigh, LimitLow, IntervalString FROM DVintervals "
        "ORDER BY IntervalNum");
    std::vector<std::string> strings;
    while (rows.step()) {
        strings.push_back(rows.getText(3));
        const long k = static_cast<long>(rows.getInteger(0));
        EXPECT_EQ(rows.getDouble(1), IntervalLimit(k, 1));
        EXPECT_EQ(rows.getDouble(2), IntervalLimit(k, 2));
    }
    EXPECT_EQ(strings, (std::vector<std::string>{"DV>=5.00", "5.00>DV>=2.00", "2.00>DV"}));
}

TEST_F(IntervalTableTest, OnlyIntervalHasNoLowerBound) {
    IntervalCount = 1;
    EXPECT_EQ(IntervalString(1, "DV", "0.0"), "9.5>DV");
    EXPECT_EQ(FormatNumber(2.0f, "0"), "2");
    EXPECT_EQ(FormatNumber(0.25f, "0.000"), "0.250");
}

TEST_F(IntervalTableTest, ExistingTableOrBadNameIsReportedAndNothingIsWritten) {
    SaveIntervalTable("DVintervals", "DV", "0.00");
    door_.QueueMessageAnswer(MsgAnswer::OK);
    SaveIntervalTable("DVintervals", "DV", "0.00");
    door_.QueueMessageAnswer(MsgAnswer::OK);
    SaveIntervalTable("x; DROP TABLE DVintervals", "DV", "0.00");
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].rfind("Vellicor error handler:\r\nPosition: 22  Error: ", 0), 0u);
    Database db = Database::Open(ResultsDatabasePath);
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM DVintervals").toInteger(), 3);
}

TEST_F(IntervalTableTest, MissingDatabaseIsNotCreated) {
    ResultsDatabasePath = TempPath("none/Results.mdb");
    door_.QueueMessageAnswer(MsgAnswer::OK);
    SaveIntervalTable("DVintervals", "DV", "0.00");
    EXPECT_FALSE(std::filesystem::exists(ResultsDatabasePath));
    EXPECT_EQ(Messages().size(), 1u);
}

}  // namespace
}  // namespace vel
