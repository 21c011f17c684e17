// The market reports written by real runs: a generated history built and loaded by the
// program's own import and load, the chart window open on it, the Stock Basket filled, and
// the market timing, swinging and special swinging commands run from the menu as a user runs
// them (the report question answered Yes writes the report of the calculation, the general
// trading report follows on the rallies left) and as the unattended run calls them (silent,
// then the report item; every file under the run letter "a"). The written files are checked
// against what the run left: the result text, the rallies, the admitted members, the loaded
// stocks, the groups.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "AnalysisText.h"
#include "AppState.h"
#include "ChartCurves.h"
#include "ChartWindowFixture.h"
#include "HtmlReport.h"
#include "LoadedHistory.h"
#include "ReportFiles.h"
#include "StockBasket.h"
#include "StockResultsMatrix.h"
#include "TextFile.h"
#include "TimingGroups.h"
#include "TradingResults.h"

namespace vel {
namespace {

namespace fs = std::filesystem;

constexpr long kStocks = 16, kDays = 160;

// The companion files of a plain market report (after the key).
std::vector<std::string> CompanionFiles(const std::string& stem) {
    return {stem + "Chart.bmp",          stem + "Chart.csv",         stem + "ProfitByRally.csv",
            stem + "ProfitByStock.csv",  stem + "ProfitDetails.csv", stem + "StockRankingIT.csv",
            stem + "StockRankingMT.csv", stem + "StockSelection.csv"};
}

class MarketReportRunTest : public testing::ChartWindowFixture {
protected:
    void SetUp() override {
        ChartWindowFixture::SetUp();
        RegisterAnalysisCommands();
        testing::LoadGeneratedHistory(TempFolder(), kStocks, kDays);
        ASSERT_EQ(LoadedSymbolCount, kStocks);
        ShowWindow();
        InstallBrowser();
        ASSERT_TRUE(fs::is_directory(ResultsFolderPath));
        ASSERT_TRUE(fs::is_empty(ResultsFolderPath));
        ASSERT_EQ(ChartTo1, kDays);
        Run("mnuFillStockBasket");
        ASSERT_EQ(BasketCount, kStocks);
    }

    // A manual calculation whose report question is answered Yes.
    void CalculateAndAnswerYes(const char* item) {
        door_.QueueMessageAnswer(MsgAnswer::Yes);
        Run(item);
        const auto messages = door_.CallsOf("message");
        ASSERT_FALSE(messages.empty());
        EXPECT_NE(messages.back().text.find("Do you wish to see Trading Report ?"),
                  std::string::npos);
    }

    static std::set<std::string> ResultFiles() {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(ResultsFolderPath))
            names.insert(e.path().filename().string());
        return names;
    }
    static std::string Result(const std::string& name) {
        std::ifstream in(JoinPath(ResultsFolderPath, name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // The data lines of a CSV file (without its header line).
    static std::vector<std::string> DataLines(const std::string& name) {
        std::vector<std::string> lines = ReadTextLines(JoinPath(ResultsFolderPath, name));
        if (!lines.empty()) lines.erase(lines.begin());
        return lines;
    }
    static std::string FirstField(const std::string& line) {
        return line.substr(0, line.find(','));
    }

    // The page and the eight files of a plain report, checked against the state the run and
    // the report left: the result text of the calculation, the rallies of the average signal,
    // every loaded stock traded on them, the admitted members ranked, the chart.
    void ExpectReport(const std::string& key, const std::string& stem, const std::string& page,
                      const std::string& title) {
        SCOPED_TRACE(key + page);
        const std::string text = Result(key + page);
        ASSERT_FALSE(text.empty());
        EXPECT_NE(text.find("<P><H2>" + title + "</H2>"), std::string::npos);
        EXPECT_NE(text.find("<P><PRE>\r\n" + HtmlEscape(TradingResultsText) + "\r\n</PRE>"),
                  std::string::npos);
        for (const std::string& name : CompanionFiles(key + stem)) {
            EXPECT_TRUE(fs::is_regular_file(JoinPath(ResultsFolderPath, name))) << name;
            EXPECT_NE(text.find("\"" + name + "\""), std::string::npos) << name;
        }

        // The rally table: one line per rally of the average signal.
        const auto rallies = DataLines(key + stem + "ProfitByRally.csv");
        ASSERT_EQ(static_cast<long>(rallies.size()), RallyCount);
        for (long r = 1; r <= RallyCount; ++r)
            EXPECT_EQ(FirstField(rallies[static_cast<size_t>(r - 1)]), SignBlankWhole(r));
        // Every loaded stock traded on the rallies, and one detail line per stock and rally.
        const auto byStock = DataLines(key + stem + "ProfitByStock.csv");
        ASSERT_EQ(static_cast<long>(byStock.size()), kStocks);
        for (long i = 1; i <= kStocks; ++i)
            EXPECT_EQ(byStock[static_cast<size_t>(i - 1)].rfind(
                          SignBlankWhole(i).append(", ").append(LoadedSymbols(i)).append(", "), 0),
                      0u);
        EXPECT_EQ(static_cast<long>(DataLines(key + stem + "ProfitDetails.csv").size()),
                  kStocks * RallyCount);

        // The IT ranking lists the admitted members by descending CompoundNetProfitIT.
        std::vector<long> admitted;
        for (long i = 1; i <= kStocks; ++i)
            if (StockResults(i, col::IndividualTimingOK) > 0.0f) admitted.push_back(i);
        ASSERT_FALSE(admitted.empty());
        std::stable_sort(admitted.begin(), admitted.end(), [](long a, long b) {
            return StockResults(a, col::CompoundNetProfitIT) >
                   StockResults(b, col::CompoundNetProfitIT);
        });
        const auto ranking = DataLines(key + stem + "StockRankingIT.csv");
        ASSERT_EQ(ranking.size(), admitted.size());
        for (size_t k = 0; k < admitted.size(); ++k)
            EXPECT_EQ(FirstField(ranking[k]), LoadedSymbols(admitted[k])) << k;
        EXPECT_EQ(DataLines(key + stem + "StockRankingMT.csv").size(),
                  static_cast<size_t>(kStocks));

        // The chart table holds the shown days and the calculation's average signal; the picture
        // reads back at the export size.
        const auto chart = ReadTextLines(JoinPath(ResultsFolderPath, key + stem + "Chart.csv"));
        ASSERT_EQ(static_cast<long>(chart.size()), ChartTo1 - ChartFrom1.toInt16() + 2);
        EXPECT_NE(chart[0].find("Average BUY-SELL signal for "), std::string::npos);
        QImage picture(
            QString::fromStdString(JoinPath(ResultsFolderPath, key + stem + "Chart.bmp")), "BMP");
        EXPECT_EQ(picture.size(), QSize(1200, 800));
    }
};

TEST_F(MarketReportRunTest, EachManualCalculationsYesWritesItsReport) {
    struct Case {
        const char* item;
        const char* key;
        const char* stem;
        const char* page;
        const char* title;
    };
    const Case cases[] = {
        {"mnuMarketTimingLightD", "mcmd1", "MarketTiming", "StockMarketTimingReport.html",
         "A Stock Market Timing Report."},
        {"mnuCalcMarketSwingingForSBOptimized", "mcmd3", "MarketSwinging",
         "StockMarketSwingingReport.html", "A Stock Market Swinging Report."},
        {"mnuCalcMarketSwingingForSBSpecial", "mcmd5", "MarketSpecialSwinging",
         "StockMarketSpecialSwingingReport.html", "A Stock Market Special Swinging Report."},
    };
    std::vector<std::string> pages;
    for (const Case& c : cases) {
        CalculateAndAnswerYes(c.item);
        ASSERT_GE(RallyCount, 1) << c.item;
        ExpectReport(c.key, c.stem, c.page, c.title);
        pages.push_back(JoinPath(ResultsFolderPath, std::string(c.key) + c.page));
        EXPECT_EQ(ReportKind, "General");
        EXPECT_EQ(BasketCount, kStocks);
    }
    // The general trading report on the rallies the last run left.
    Run("mnuSaveAndShowGeneralTradingHTMLreport");
    pages.push_back(JoinPath(ResultsFolderPath, "mcmd7GeneralTradingReport.html"));
    EXPECT_EQ(BrowserTargets(), pages);
    EXPECT_EQ(static_cast<long>(DataLines("mcmd7GeneralTradingProfitByRally.csv").size()),
              RallyCount);
    EXPECT_EQ(DataLines("mcmd7GeneralTradingStockRankingMT.csv").size(),
              DataLines("mcmd5MarketSpecialSwingingStockRankingMT.csv").size());
    EXPECT_EQ(ResultFiles().size(), 34u);
}

TEST_F(MarketReportRunTest, ReportsWithGroupsListTheGroupsOfTheRun) {
    struct Case {
        const char* calculation;
        const char* report;
        const char* page;
        const char* groupStem;
    };
    const Case cases[] = {
        {"mnuMarketTimingLightD", "mnuSaveAndShowMarketTimingHTMLReportPlus",
         "mcmd2MarketTimingReportPlus.html", "mcmd2MarketTimingGroup"},
        {"mnuCalcMarketSwingingForSBOptimized", "mnuSaveAndShowMarketSwingingHTMLReportPlus",
         "mcmd4MarketSwingingReportPlus.html", "mcmd4MarketSwingingGroup"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.report);
        Run("mnuFillStockBasket");
        door_.QueueMessageAnswer(MsgAnswer::No);
        Run(c.calculation);
        ASSERT_GE(RallyCount, 1);
        Run(c.report);
        ASSERT_GE(TimingGroupCount, 1);
        const std::string page = Result(c.page);
        for (std::int16_t g = 1; g <= TimingGroupCount + 1; ++g) {
            const std::string name = c.groupStem + GroupNumberText(g);
            const bool exists = fs::exists(JoinPath(ResultsFolderPath, name + ".csv"));
            if (g > TimingGroupCount) {
                EXPECT_FALSE(exists) << g;
                break;
            }
            std::vector<std::string> symbols;
            for (long item : TimingGroupMembers(g)) symbols.push_back(LoadedSymbols(item));
            EXPECT_EQ(ReadTextLines(JoinPath(ResultsFolderPath, name + ".csv")), symbols) << g;
            EXPECT_NE(page.find("<IMG SRC=\"" + name + ".bmp\">"), std::string::npos) << g;
            EXPECT_NE(page.find("<P><B>Stock count : </B> " + std::to_string(symbols.size())),
                      std::string::npos)
                << g;
        }
        EXPECT_EQ(BasketCount, 0);
        EXPECT_EQ(RallyCount, 0);
    }
}

TEST_F(MarketReportRunTest, TheUnattendedRoadWritesTheThreeReportsUnderTheRunLetterA) {
    AutoRunMode = 1;
    SilentMode = -1;
    struct Step {
        const char* calculation;
        const char* report;
        const char* key;
        const char* stem;
        const char* page;
        const char* title;
    };
    const Step steps[] = {
        {"mnuCalcMarketSwingingForSBSpecial", "mnuSaveAndShowMarketSpecialSwingingHTMLReport",
         "acmd5", "MarketSpecialSwinging", "MarketSpecialSwingingReport.html",
         "A Stock Market Special Swinging Report."},
        {"mnuCalcMarketSwingingForSBOptimized", "mnuSaveAndShowMarketSwingingHTMLReport", "acmd3",
         "MarketSwinging", "MarketSwingingReport.html", "A Stock Market Swinging Report."},
        {"mnuMarketTimingLightD", "mnuShowStockMarketTimingReport", "acmd1", "MarketTiming",
         "MarketTimingReport.html", "A Stock Market Timing Report."},
    };
    for (const Step& s : steps) {
        Run("mnuFillStockBasket");
        Run(s.calculation);
        ASSERT_GE(RallyCount, 1) << s.calculation;
        Run(s.report);
        ExpectReport(s.key, s.stem, s.page, s.title);
    }
    EXPECT_TRUE(door_.CallsOf("message").empty());
    const auto files = ResultFiles();
    EXPECT_EQ(files.size(), 27u);
    for (const std::string& name : files) EXPECT_EQ(name.substr(0, 4), "acmd") << name;
    EXPECT_EQ(BrowserTargets().size(), 3u);
}

}  // namespace
}  // namespace vel
