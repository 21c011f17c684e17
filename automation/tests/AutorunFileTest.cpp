// The autorun command file: the paths of the set from its name, the statuses in the order the
// checks run, the line syntax and the thirteen keywords with their ranges, what a parse keeps
// from earlier parses, the load parser's two differences, and random files that never break
// the parser's invariants.
#include <gtest/gtest.h>

#include <random>

#include "AutomationFixture.h"
#include "AutomationState.h"
#include "AutorunFile.h"

namespace vel {
namespace {

class AutorunFileTest : public testing::AutomationFixture {
protected:
    // Parses a set "T" whose command file holds the lines; the status.
    int Parse(const std::vector<std::string>& lines) {
        WriteAutorunSet("T", lines);
        AutoRunFileName = "T.autorun";
        ReadAutorunFile();
        return AutoRunError;
    }
};

TEST_F(AutorunFileTest, TheSetsPathsComeFromTheBaseFoundWithoutRegardToCase) {
    WriteAutorunSet("Daily", {"MarketTiming = YES"});
    std::filesystem::rename(TempPath("Daily.autorun"), TempPath("Daily.AUTORUN"));
    AutoRunFileName = "  Daily.AUTORUN ";
    ReadAutorunFile();
    EXPECT_EQ(AutoRunError, 0);
    EXPECT_EQ(AutoRunErrorText, "");
    EXPECT_EQ(AutoRunFileName, "Daily.AUTORUN");
    EXPECT_EQ(AutoRunBaseName, "Daily");
    EXPECT_EQ(AutoRunFilePath, TempPath("Daily.AUTORUN"));
    EXPECT_EQ(EodUrlsFilePath, TempPath("Daily.eodurls"));
    EXPECT_EQ(EodStruFilePath, TempPath("Daily.eodstru"));
    EXPECT_EQ(EodDataFolderPath, TempPath("Daily-EOD/"));
    EXPECT_EQ(DwnParamsFilePath, TempPath("Daily.dwnparams"));
    EXPECT_EQ(DwnResultFilePath, TempPath("Daily.dwnresult"));
    // The history paths point at the set's data folder.
    EXPECT_EQ(ImportFileExtension, "csv");
    EXPECT_EQ(DataFolderPath, TempPath("Daily-EOD/"));
    EXPECT_EQ(HistoryDatabasePath, TempPath("Daily-EOD/History.mdb"));
    EXPECT_EQ(ResultsFolderPath, TempPath("Daily-EOD/RESULTS/"));
    EXPECT_EQ(ResultsDatabasePath, TempPath("Daily-EOD/RESULTS/Results.mdb"));
    EXPECT_EQ(ResultsReportPath, TempPath("Daily-EOD/RESULTS/Vellicor.html"));
    EXPECT_EQ(MarketTiming, "YES");

    // A blank inside the base is kept.
    WriteAutorunSet("My Set", {"; comments only"});
    AutoRunFileName = "My Set.autorun";
    ReadAutorunFile();
    EXPECT_EQ(AutoRunError, 0);
    EXPECT_EQ(EodDataFolderPath, TempPath("My Set-EOD/"));
    EXPECT_EQ(MarketTiming, "");  // reset by the parse
}

TEST_F(AutorunFileTest, EachMissingPieceHasItsStatusAndAFailureChangesNoParameterOrPath) {
    DwnParamsFilePath = "earlier.dwnparams";
    defCommission = 0.25f;
    HistoryDatabasePath = "/kept/History.mdb";
    const struct {
        std::string name;
        bool autorunFile, urls, structure;
        int status;
        std::string text;
    } cases[] = {
        {".autorun", true, true, true, 1, "Wrong Autorun file name!"},
        {"T.txt", true, true, true, 1, "Wrong Autorun file name!"},
        {"T.autorun", false, true, true, 2, "AUTORUN file doesn't exists!"},
        {"T.autorun", true, false, true, 3, "EODURLS file doesn't exists!"},
        {"T.autorun", true, true, false, 4, "EODSTRU file doesn't exists!"},
        {"../T.autorun", true, true, true, 2, "AUTORUN file doesn't exists!"},
        {"T*.autorun", true, true, true, 2, "AUTORUN file doesn't exists!"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(TempPath("T.autorun"));
        std::filesystem::remove_all(TempPath("T.eodurls"));
        std::filesystem::remove_all(TempPath("T.eodstru"));
        WriteAutorunSet("T", {"defCommission = 0.4"}, c.urls, c.structure);
        if (!c.autorunFile) std::filesystem::remove(TempPath("T.autorun"));
        AutoRunFileName = c.name;
        AutoRunMode = 1;
        SilentMode = -1;
        ReadAutorunFile();
        EXPECT_EQ(AutoRunError, c.status) << c.name;
        EXPECT_EQ(AutoRunErrorText, c.text) << c.name;
        EXPECT_EQ(AutoRunMode, 0);
        EXPECT_EQ(SilentMode, 0);
        EXPECT_EQ(defCommission, 0.25f);
        EXPECT_EQ(HistoryDatabasePath, "/kept/History.mdb");
        EXPECT_EQ(StockSymbolsMax, "9999");
    }
    // After status 1 the four paths are empty and the downloader's two keep their values.
    const std::string params = DwnParamsFilePath, result = DwnResultFilePath;
    AutoRunFileName = "x.txt";
    ReadAutorunFile();
    EXPECT_EQ(AutoRunFilePath, "");
    EXPECT_EQ(EodDataFolderPath, "");
    EXPECT_EQ(DwnParamsFilePath, params);
    EXPECT_EQ(DwnResultFilePath, result);

    // An empty command file has no command; one of comments only has.
    WriteFile(TempPath("T.autorun"), "");
    AutoRunFileName = "T.autorun";
    ReadAutorunFile();
    EXPECT_EQ(AutoRunError, 5);
    EXPECT_EQ(AutoRunErrorText, "No valid automation commands!");
    EXPECT_EQ(Parse({"; nothing to do"}), 0);
    EXPECT_EQ(HistoryDatabasePath, TempPath("T-EOD/History.mdb"));
}

TEST_F(AutorunFileTest, CommandLinesAreSplitAtTheFirstEqualsAndCommentsStartAtTheSemicolon) {
    const struct {
        const char* line;
        bool command;
        const char* key;
        const char* value;
    } lines[] = {
        {"DownloadEOD=YES;", true, "DownloadEOD", "YES"},
        {"DownloadEOD=;later", false, "", ""},
        {"DownloadEOD = ", true, "DownloadEOD", ""},
        {"; DownloadEOD = YES", false, "", ""},
        {"x;DownloadEOD = YES", false, "", ""},
        {"=YES", false, "", ""},
        {"  Key = a=b ; c=d ", true, "Key", "a=b"},
        {"\tKey = 1", true, "\tKey", "1"},
        {"Key = 1\t", true, "Key", "1\t"},
        {"", false, "", ""},
    };
    for (const auto& l : lines) {
        const AutorunLine split = SplitAutorunLine(l.line);
        EXPECT_EQ(split.command, l.command) << l.line;
        EXPECT_EQ(split.key, l.key) << l.line;
        EXPECT_EQ(split.value, l.value) << l.line;
    }
}

TEST_F(AutorunFileTest, KeywordsTakeTheirValuesWithinTheirRanges) {
    // One line at a time, on the values a parse starts from.
    const struct {
        const char* line;
        std::string (*read)();
        const char* expected;
    } rows[] = {
        {"DownloadEOD=YES;", [] { return DownloadEOD; }, "YES"},
        {"DownloadEOD=;later", [] { return DownloadEOD; }, ""},
        {"DownloadEOD = ", [] { return DownloadEOD; }, "NO"},
        {"; DownloadEOD = YES", [] { return DownloadEOD; }, ""},
        {"downloadeod = Yes", [] { return DownloadEOD; }, "YES"},
        {"CreateHistory = yes", [] { return CreateHistory; }, "YES"},
        {"MarketTiming = maybe", [] { return MarketTiming; }, "NO"},
        {"\tMarketTiming = YES", [] { return MarketTiming; }, ""},
        {"StockSymbolsMax = 0", [] { return StockSymbolsMax; }, "9999"},
        {"StockSymbolsMax = many", [] { return StockSymbolsMax; }, "9999"},
        {"StockSymbolsMax = 0500", [] { return StockSymbolsMax; }, "0500"},
        {"LastDaysMax = 1", [] { return LastDaysMax; }, "9999"},
        {"LastDaysMax = 2", [] { return LastDaysMax; }, "2"},
        {"LastDaysMax = 1.6", [] { return LastDaysMax; }, "9999"},
        {"defStockSymbolString = msft ", [] { return defStockSymbolString; }, "MSFT"},
        {"defStockSymbolString =", [] { return defStockSymbolString; }, ""},
        {"defPastDays = 2.5", [] { return std::to_string(defPastDays); }, "2"},
        {"defPastDays = 3.5", [] { return std::to_string(defPastDays); }, "4"},
        {"defPastDays = 100.4", [] { return std::to_string(defPastDays); }, "12"},
        {"defPastDays = 0.6", [] { return std::to_string(defPastDays); }, "12"},
        {"defSymbolsInChartPane = 21", [] { return std::to_string(defSymbolsInChartPane); }, "21"},
        {"defSymbolsInChartPane = 22", [] { return std::to_string(defSymbolsInChartPane); }, "11"},
        {"defCommission = 5", [] { return std::to_string(defCommission); }, "5.000000"},
        {"defCommission = -0.1", [] { return std::to_string(defCommission); }, "0.500000"},
        {"defCommission = -0", [] { return std::to_string(defCommission); }, "0.000000"},
        {"defCorrelation = 0.75", [] { return std::to_string(defCorrelation); }, "0.750000"},
        {"defCorrelation = 1.01", [] { return std::to_string(defCorrelation); }, "0.500000"},
        {"defDiligence = 1", [] { return std::to_string(defDiligence); }, "1.000000"},
        {"defDiligence = x", [] { return std::to_string(defDiligence); }, "0.000000"},
    };
    for (const auto& r : rows) {
        SetParameterDefaults();
        ASSERT_EQ(Parse({r.line}), 0) << r.line;
        EXPECT_EQ(r.read(), r.expected) << r.line;
    }
}

TEST_F(AutorunFileTest, TheLastAcceptedLineWinsAndLinesAfterThe500thAreNotRead) {
    std::vector<std::string> lines = {"MarketTiming = YES", "defCommission = 0.3",
                                      "MarketTiming = NO", "defCommission = 9"};
    while (lines.size() < 500) lines.push_back("; filler");
    lines.push_back("DownloadEOD = YES");
    lines.push_back("defPastDays = 50");
    ASSERT_EQ(Parse(lines), 0);
    EXPECT_EQ(MarketTiming, "NO");
    EXPECT_EQ(defCommission, 0.3f);
    EXPECT_EQ(DownloadEOD, "");
    EXPECT_EQ(defPastDays, 12);
}

TEST_F(AutorunFileTest, SwingingSwitchesAndParametersOutliveTheNextParse) {
    ASSERT_EQ(Parse({"MarketSwinging = YES", "MarketSwingingSpecial = yes", "DownloadEOD = YES",
                     "LastDaysMax = 250", "StockSymbolsMax = 40", "defPastDays = 20"}),
              0);
    ASSERT_EQ(Parse({"MarketTiming = YES"}), 0);
    EXPECT_EQ(MarketSwinging, "YES");
    EXPECT_EQ(MarketSwingingSpecial, "YES");
    EXPECT_EQ(DownloadEOD, "");
    EXPECT_EQ(LastDaysMax, "9999");
    EXPECT_EQ(StockSymbolsMax, "9999");
    EXPECT_EQ(defPastDays, 20);
}

TEST_F(AutorunFileTest, TheLoadParserNeedsOnlyTheCommandFileAndKnowsNoSwinging) {
    WriteAutorunSet("L",
                    {"MarketSwinging = YES", "MarketSwingingSpecial = YES", "MarketTiming = YES",
                     "LastDaysMax = 100"},
                    false, false);
    AutoRunFileName = "L.autorun";
    ReadAutorunFileForLoad();
    EXPECT_EQ(AutoRunError, 0);
    EXPECT_EQ(MarketSwinging, "");
    EXPECT_EQ(MarketSwingingSpecial, "");
    EXPECT_EQ(MarketTiming, "YES");
    EXPECT_EQ(LastDaysMax, "100");
    EXPECT_EQ(HistoryDatabasePath, TempPath("L-EOD/History.mdb"));
    ReadAutorunFile();
    EXPECT_EQ(AutoRunError, 3);
}

TEST_F(AutorunFileTest, TheDayCountRoundsHalvesToEvenAndFitsSixteenBits) {
    const std::pair<const char*, long> counts[] = {
        {"9999", 9999}, {"2.5", 2}, {"2.6", 3},    {"3.5", 4},         {"40000", 32767},
        {"1e9", 32767}, {"2", 2},   {"0500", 500}, {"32767.4", 32767},
    };
    for (const auto& [text, days] : counts) {
        LastDaysMax = text;
        EXPECT_EQ(AutorunDayCount(), days) << text;
    }
}

TEST_F(AutorunFileTest, RandomFilesKeepTheSwitchesAndParametersInTheirRanges) {
    const std::string pieces[] = {"DownloadEOD",
                                  "MarketTiming",
                                  "defPastDays",
                                  "defCommission",
                                  "defSymbolsInChartPane",
                                  "LastDaysMax",
                                  "StockSymbolsMax",
                                  "defCorrelation",
                                  "=",
                                  "=",
                                  ";",
                                  " ",
                                  "\t",
                                  "\r",
                                  "\n",
                                  "\r\n",
                                  "YES",
                                  "no",
                                  "12",
                                  "-3",
                                  "0.25",
                                  "1e3",
                                  "99999",
                                  "x",
                                  std::string(1, '\0'),
                                  "\xff"};
    std::mt19937 random(2024);
    for (int round = 0; round < 200; ++round) {
        std::string text;
        const int n = static_cast<int>(random() % 40);
        for (int k = 0; k < n; ++k) text += pieces[random() % std::size(pieces)];
        if (random() % 4 == 0) text += std::string(1, static_cast<char>(random() % 256));
        WriteAutorunSet("R", {});
        WriteFile(TempPath("R.autorun"), text);
        SetParameterDefaults();
        AutoRunFileName = "R.autorun";
        ReadAutorunFile();
        ASSERT_TRUE(AutoRunError == 0 || (AutoRunError == 5 && text.empty())) << round;
        for (const std::string* s : {&DownloadEOD, &MarketTiming})
            EXPECT_TRUE(*s == "" || *s == "YES" || *s == "NO") << round;
        EXPECT_GE(defPastDays, 1);
        EXPECT_LE(defPastDays, 100);
        EXPECT_GE(defCommission, 0.0f);
        EXPECT_LE(defCommission, 5.0f);
        EXPECT_GE(defSymbolsInChartPane, 1);
        EXPECT_LE(defSymbolsInChartPane, 21);
        EXPECT_GE(AutorunDayCount(), 2);
        EXPECT_LE(AutorunDayCount(), 32767);
    }
}

}  // namespace
}  // namespace vel
