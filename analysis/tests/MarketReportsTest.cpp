// The market reports on the state a market calculation leaves (a small generated history, a
// fixed clock): each page and its companion files against their golden copies, the file names
// of every report and run letter, the groups section (each group the Stock Basket in turn, its
// picture and list, the basket empty afterwards), the report without rallies (its notice logged
// in an unattended run), a companion file or picture that cannot be written (reported, not
// linked), text from data escaped, and the same pages and files under a user's comma-decimal
// locale.
//
// The golden copies are in tests/golden; VELLICOR_UPDATE_GOLDEN=1 rewrites them from the run.
#include <gtest/gtest.h>

#include <QImage>
#include <QLocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "AnalysisEntryPoints.h"
#include "AnalysisFixture.h"
#include "ChartCurves.h"
#include "ChartExport.h"
#include "CommaDecimalLocale.h"
#include "HtmlReport.h"
#include "MarketReports.h"
#include "QtChartImage.h"
#include "SignalWalk.h"
#include "StockResultsMatrix.h"
#include "TimingGroups.h"
#include "TradingResults.h"

namespace vel {
namespace {

namespace fs = std::filesystem;

constexpr long kStocks = 12, kDays = 60;

// Signal A is long on days 10..25 and 40..55; signal B is its opposite.
float SignalA(long d) {
    return (d >= 10 && d <= 25) || (d >= 40 && d <= 55) ? 100.0f : -100.0f;
}

class MarketReportsTest : public testing::AnalysisFixture {
protected:
    void SetUp() override {
        AnalysisFixture::SetUp();
        AnalysisCommands.TradingLogToSignalVector = TradingLogToSignalVector;
        // The group redraw's price statistics: one curve of the basket's mean price.
        AnalysisCommands.AppendPriceVolumeTrendCurves = [] {
            const long k = AppendChartCurve("Average price of Stock Basket");
            for (long d = 1; d <= kDays; ++d) {
                float sum = 0.0f;
                for (long i = 1; i <= kStocks; ++i)
                    if (BasketFlag(i) == 1) sum += MainVectors->CoordGetSingle(PriceVector(i), d);
                MainVectors->CoordSetSingleValue(ChartCurveVector(k), d,
                                                 BasketCount ? sum / BasketCount : 0.0f);
            }
        };
        InstallQtChartBitmapWriter();
        // The browser is a file of the program folder; the RESULTS folder lies beside it.
        std::ofstream(TempPath("xdg-open")) << "";
        door_.programsOnPath["xdg-open"] = TempPath("xdg-open");
        ResultsFolderPath = TempPath("RESULTS/");
        fs::create_directory(ResultsFolderPath);
        AsAfterTimingRun();
    }
    void TearDown() override {
        InstallChartBitmapWriter(nullptr);
        AnalysisFixture::TearDown();
    }

    // The state of the program after a market calculation of stocks 1..10 of 12 (stock 10 not
    // admitted), with the basket's average curves, the rallies of the average signal and its
    // result text.
    void AsAfterTimingRun() {
        std::vector<std::vector<float>> prices;
        for (long i = 1; i <= kStocks; ++i) {
            std::vector<float> row;
            for (long d = 1; d <= kDays; ++d)
                row.push_back(static_cast<float>(
                                  std::lround(100.0 * (20.0 + i + 5.0 * std::sin(d / 6.0 + i)))) /
                              100.0f);
            prices.push_back(row);
        }
        LoadPrices(kDays, prices);
        LoadedSymbolCount = kStocks;
        DisplayedStockIndex = 1;
        ChartFrom2 = 1;
        ChartTo2 = kDays;
        LoadedSymbols(3) = "A&B";
        ClearStockResultsMatrix();
        const std::set<long> clusterA{1, 2, 4, 5, 7};
        for (long i = 1; i <= kStocks; ++i) StockResults(i, col::BasketFlag) = 1.0f;
        for (long i = 1; i <= 10; ++i) {
            BasketFlag(i) = 1;
            ++BasketCount;
            StockResults(i, col::CalculationTime) = 0.5f;
            StockResults(i, col::FromTradingDay) = 1.0f;
            StockResults(i, col::ToTradingDay) = static_cast<float>(kDays);
            StockResults(i, col::defCommission) = defCommission;
            StockResults(i, col::GradientPoints) = static_cast<float>(8 + 2 * i);
            StockResults(i, col::SmoothPoints) = static_cast<float>(8 + 2 * i);
            StockResults(i, col::CompoundNetProfitIT) = i == 10  ? -12.5f
                                                        : i == 4 ? 30.0f
                                                                 : 2.25f * i;
            StockResults(i, col::RallyCountA) = static_cast<float>(1 + i % 3);
            if (i == 10) continue;
            StockResults(i, col::IndividualTimingOK) = static_cast<float>(i);
            const bool a = clusterA.count(i) > 0;
            for (long d = 1; d <= kDays; ++d)
                MainVectors->CoordSetSingleValue(MainVectors->ModelStart() + i - 1, d,
                                                 a ? SignalA(d) : -SignalA(d));
        }
        const long gradient = AppendChartCurve(
            "Market Timing: Average relative gradient for  9  symbols  Commission = 0.5");
        const long signal = AppendChartCurve(
            "Market Timing: Average BUY-SELL signal for  9  symbols  Commission = 0.5");
        for (long d = 1; d <= kDays; ++d) {
            MainVectors->CoordSetSingleValue(ChartCurveVector(gradient), d,
                                             static_cast<float>(d % 7) / 8.0f);
            MainVectors->CoordSetSingleValue(ChartCurveVector(signal), d, SignalA(d) / 9.0f);
        }
        ChartLevel(gradient, 1) = ChartLevel(signal, 1) = 0.0f;
        SetRallies({{10, 26}, {40, 56}});
        TradingResultsText = "BASIC TRADING RESULTS (backtesting):\n Rallies = 2 <of 2>\n";
    }

    // The folder's file names.
    std::set<std::string> ResultFiles() const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(ResultsFolderPath))
            names.insert(e.path().filename().string());
        return names;
    }
    static std::string ResultPath(const std::string& name) {
        return JoinPath(ResultsFolderPath, name);
    }
    static std::string Result(const std::string& name) { return FileText(ResultPath(name)); }
    // The page with the temporary folder written as "PROGRAM/".
    std::string Page(const std::string& name) const {
        std::string text = Result(name);
        for (size_t at; (at = text.find(TempFolder())) != std::string::npos;)
            text.replace(at, TempFolder().size(), "PROGRAM/");
        return text;
    }
    static void ExpectGolden(const std::string& name, const std::string& actual) {
        const fs::path golden = fs::path(__FILE__).parent_path() / "golden" / name;
        if (std::getenv("VELLICOR_UPDATE_GOLDEN")) {
            std::ofstream(golden, std::ios::binary) << actual;
            return;
        }
        EXPECT_EQ(actual, FileText(golden.string())) << "golden copy " << name;
    }
    static void ExpectPicture(const std::string& path) {
        QImage picture(QString::fromStdString(path), "BMP");
        ASSERT_FALSE(picture.isNull()) << path;
        EXPECT_EQ(picture.width(), 1200);
        EXPECT_EQ(picture.height(), 800);
    }
    std::vector<std::string> BrowserTargets() const {
        std::vector<std::string> targets;
        for (const auto& c : door_.CallsOf("browser")) targets.push_back(c.args.at(0));
        return targets;
    }
};

TEST_F(MarketReportsTest, TimingReportPageAndFilesMatchTheirGoldenCopies) {
    const auto flags = BasketFlag;
    SaveMarketTimingHTMLReport("MarketTimingReport.html");
    const std::set<std::string> expected{
        "mcmd1MarketTimingReport.html",        "mcmd1MarketTimingChart.bmp",
        "mcmd1MarketTimingChart.csv",          "mcmd1MarketTimingProfitByRally.csv",
        "mcmd1MarketTimingProfitByStock.csv",  "mcmd1MarketTimingProfitDetails.csv",
        "mcmd1MarketTimingStockRankingIT.csv", "mcmd1MarketTimingStockRankingMT.csv",
        "mcmd1MarketTimingStockSelection.csv"};
    EXPECT_EQ(ResultFiles(), expected);
    ExpectGolden("mcmd1MarketTimingReport.html", Page("mcmd1MarketTimingReport.html"));
    for (const std::string& name : expected)
        if (name.ends_with(".csv")) ExpectGolden(name, Result(name));
    ExpectPicture(ResultPath("mcmd1MarketTimingChart.bmp"));
    EXPECT_EQ(BrowserTargets(),
              (std::vector<std::string>{ResultPath("mcmd1MarketTimingReport.html")}));
    // What the report leaves as it found it.
    EXPECT_EQ(TradingResultsText, "BASIC TRADING RESULTS (backtesting):\n Rallies = 2 <of 2>\n");
    EXPECT_EQ(RallyCount, 2);
    EXPECT_EQ(BasketCount, 10);
    EXPECT_TRUE(BasketFlag == flags);
    EXPECT_EQ(MainVectors->ChartCount(), 2);
    EXPECT_EQ(ChartStatusText(), "");
    EXPECT_FALSE(door_.hourglass);
    // Escaped text from data, links by bare name, the folder by its full path.
    const std::string page = Result("mcmd1MarketTimingReport.html");
    EXPECT_NE(page.find(" Rallies = 2 &lt;of 2&gt;"), std::string::npos);
    EXPECT_NE(page.find("<A HREF=\"mcmd1MarketTimingStockSelection.csv\">"), std::string::npos);
    EXPECT_NE(page.find("<A HREF=\"" + ResultsFolderPath + "\">"), std::string::npos);
    EXPECT_NE(page.find("based on the overall stock market timing.\r\n\r\n<A HREF=\""
                        "mcmd1MarketTimingProfitByStock.csv\">"),
              std::string::npos);
}

TEST_F(MarketReportsTest, TimingReportWithGroupsListsEachGroupAndEmptiesTheBasket) {
    SaveMarketTimingHTMLReportPlus("MarketTimingReportPlus.html");
    ASSERT_EQ(TimingGroupCount, 2);
    for (const char* name : {"mcmd2MarketTimingReportPlus.html", "mcmd2MarketTimingChart.bmp",
                             "mcmd2MarketTimingStockSelection.csv",
                             "mcmd2MarketTimingGroup0001.bmp", "mcmd2MarketTimingGroup0001.csv",
                             "mcmd2MarketTimingGroup0002.bmp", "mcmd2MarketTimingGroup0002.csv"})
        EXPECT_TRUE(fs::exists(ResultPath(name))) << name;
    EXPECT_EQ(ResultFiles().size(), 13u);
    ExpectGolden("mcmd2MarketTimingReportPlus.html", Page("mcmd2MarketTimingReportPlus.html"));
    EXPECT_EQ(Result("mcmd2MarketTimingGroup0001.csv"), "S1\r\nS2\r\nS4\r\nS5\r\nS7\r\n");
    EXPECT_EQ(Result("mcmd2MarketTimingGroup0002.csv"), "A&B\r\nS6\r\nS8\r\nS9\r\n");
    ExpectPicture(ResultPath("mcmd2MarketTimingGroup0002.bmp"));
    const std::string page = Result("mcmd2MarketTimingReportPlus.html");
    EXPECT_NE(page.find(" using correlation coefficient = 0.50 .\r\n"), std::string::npos);
    EXPECT_NE(page.find("<P><B>Stock count : </B> 4\r\n<BR><B>List of stocks : </B>\r\n"
                        " A&amp;B ,\r\n S6 ,\r\n S8 ,\r\n S9 ,\r\n"),
              std::string::npos);
    EXPECT_NE(page.find(" S7 ,\r\n<P>\r\n<CENTER><H3>A MARKET TIMING GROUP Nr. 2</H3></CENTER>"),
              std::string::npos);
    // The basket is empty and no rally is left.
    EXPECT_EQ(BasketCount, 0);
    for (long i = 1; i <= kStocks; ++i) EXPECT_EQ(BasketFlag(i), 0);
    EXPECT_EQ(RallyCount, 0);
    EXPECT_EQ(TradingResultsText, "BASIC TRADING RESULTS (backtesting):\n Rallies = 2 <of 2>\n");
}

TEST_F(MarketReportsTest, UnderACommaDecimalLocaleThePagesAndFilesAreTheSame) {
    testing::CommaDecimalLocale comma;
    if (!comma.active) GTEST_SKIP() << "localedef cannot build a comma-decimal locale here";
    // The user's locale as Qt sees it too.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    SaveMarketTimingHTMLReport("MarketTimingReport.html");
    AsAfterTimingRun();
    SaveMarketTimingHTMLReportPlus("MarketTimingReportPlus.html");
    QLocale::setDefault(before);
    ExpectGolden("mcmd1MarketTimingReport.html", Page("mcmd1MarketTimingReport.html"));
    for (const std::string& name : ResultFiles())
        if (name.starts_with("mcmd1") && name.ends_with(".csv")) ExpectGolden(name, Result(name));
    ExpectGolden("mcmd2MarketTimingReportPlus.html", Page("mcmd2MarketTimingReportPlus.html"));
    // Numbers with decimals that a locale-bound writer would give a comma.
    EXPECT_NE(Result("mcmd1MarketTimingProfitByStock.csv").find(", 2.00, "), std::string::npos);
    EXPECT_NE(Result("mcmd2MarketTimingReportPlus.html").find("coefficient = 0.50 ."),
              std::string::npos);
}

TEST_F(MarketReportsTest, SwingingAndSpecialReportsUseTheirOwnKeysNamesAndWords) {
    // The swinging reports take every step and column of the timing report: on this state
    // their tables hold what the timing report's hold, under their own names.
    SaveMarketSwingingHTMLReport("MarketSwingingReport.html");
    ExpectGolden("mcmd3MarketSwingingReport.html", Page("mcmd3MarketSwingingReport.html"));
    const auto afterSwinging = ResultFiles();
    EXPECT_EQ(afterSwinging.size(), 9u);
    for (const auto& name : afterSwinging) {
        EXPECT_TRUE(name.starts_with("mcmd3MarketSwinging"));
        if (name.ends_with(".csv")) ExpectGolden(name, Result(name));
    }
    const std::string swingingRanking = Result("mcmd3MarketSwingingStockRankingIT.csv");

    SaveMarketSpecialSwingingHTMLReport("MarketSpecialSwingingReport.html");
    ExpectGolden("mcmd5MarketSpecialSwingingReport.html",
                 Page("mcmd5MarketSpecialSwingingReport.html"));
    size_t special = 0;
    for (const auto& name : ResultFiles())
        if (name.starts_with("mcmd5MarketSpecialSwinging")) {
            ++special;
            if (name.ends_with(".csv")) ExpectGolden(name, Result(name));
        }
    EXPECT_EQ(special, 9u);
    EXPECT_EQ(Result("mcmd3MarketSwingingStockRankingIT.csv"), swingingRanking);

    SaveMarketSwingingHTMLReportPlus("MarketSwingingReportPlus.html");
    ExpectGolden("mcmd4MarketSwingingReportPlus.html", Page("mcmd4MarketSwingingReportPlus.html"));
    const std::string plus = Result("mcmd4MarketSwingingReportPlus.html");
    EXPECT_NE(plus.find("<CENTER><P><H3>MARKET SWINGING GROUPS.</H3></P></CENTER>"),
              std::string::npos);
    EXPECT_NE(plus.find("<CENTER><H3>A MARKET SWINGING GROUP Nr. 1</H3></CENTER>"),
              std::string::npos);
    EXPECT_TRUE(fs::exists(ResultPath("mcmd4MarketSwingingGroup0001.csv")));
    EXPECT_EQ(plus.find("TIMING GROUP"), std::string::npos);
    EXPECT_EQ(BasketCount, 0);

    // An unattended run writes the same files under the run letter "a".
    AsAfterTimingRun();
    AutoRunMode = 1;
    SaveMarketTimingHTMLReport("MarketTimingReport.html");
    EXPECT_TRUE(fs::exists(ResultPath("acmd1MarketTimingReport.html")));
    EXPECT_TRUE(fs::exists(ResultPath("acmd1MarketTimingChart.bmp")));
}

TEST_F(MarketReportsTest, GeneralReportOnTheRalliesOfTheLogMatchesItsGoldenCopy) {
    ReportKind = "Timing";
    StockResults(11, col::OptimalHighLevel) = 3.0f;
    SaveGeneralTradingHTMLReport("GeneralTradingReport.html");
    const std::set<std::string> expected{
        "mcmd7GeneralTradingReport.html",       "mcmd7GeneralTradingChart.bmp",
        "mcmd7GeneralTradingChart.csv",         "mcmd7GeneralTradingProfitByRally.csv",
        "mcmd7GeneralTradingProfitByStock.csv", "mcmd7GeneralTradingProfitDetails.csv",
        "mcmd7GeneralTradingStockRankingMT.csv"};
    EXPECT_EQ(ResultFiles(), expected);
    ExpectGolden("mcmd7GeneralTradingReport.html", Page("mcmd7GeneralTradingReport.html"));
    ExpectGolden("mcmd7GeneralTradingStockRankingMT.csv",
                 Result("mcmd7GeneralTradingStockRankingMT.csv"));
    EXPECT_EQ(ReportKind, "General");
    // Without a selected curve the rallies are priced anew and the two method lines stay in
    // the text; a second report computes the text again, so they appear once.
    const std::string text = TradingResultsText;
    EXPECT_TRUE(text.starts_with("BASIC TRADING RESULTS (backtesting):"));
    EXPECT_TRUE(
        text.ends_with("Trading method = DEFINED TRADING SIGNALS\nCrossing Level = UNKNOWN"));
    const std::string page = Result("mcmd7GeneralTradingReport.html");
    EXPECT_NE(page.find("<P><PRE>\r\n" + HtmlEscape(text) + "\r\n</PRE>"), std::string::npos);
    EXPECT_EQ(page.find("RANKING IT"), std::string::npos);
    EXPECT_EQ(page.find("SELECTION"), std::string::npos);
    EXPECT_EQ(page.find("SOME REMARKS"), std::string::npos);
    SaveGeneralTradingHTMLReport("GeneralTradingReport.html");
    EXPECT_EQ(TradingResultsText, text);
    // Every loaded stock's row is written afresh, with the window and the parameters.
    for (long i : {1L, 11L}) {
        EXPECT_EQ(StockResults(i, col::BasketFlag), i <= 10 ? 1.0f : 0.0f);
        EXPECT_EQ(StockResults(i, col::CalculationTime), 0.0f);
        EXPECT_EQ(StockResults(i, col::ToTradingDay), static_cast<float>(kDays));
        EXPECT_EQ(StockResults(i, col::GradientPoints), 0.0f);
        EXPECT_EQ(StockResults(i, col::OptimalHighLevel), 0.0f);
        EXPECT_EQ(StockResults(i, col::IndividualTimingOK), 0.0f);
    }
    EXPECT_EQ(StockResults(4, col::CompoundNetProfitIT), 30.0f);

    // With a selected curve the text of the last trading method is used as it is.
    SelectedChartCurve = 2;
    TradingResultsText = "BASIC TRADING RESULTS (backtesting):\nTrading method = CROSSING BELOW";
    SaveGeneralTradingHTMLReport("StockMarketGeneralReport.html");
    EXPECT_NE(Result("mcmd7StockMarketGeneralReport.html")
                  .find("<P><PRE>\r\nBASIC TRADING RESULTS (backtesting):\nTrading method = "
                        "CROSSING BELOW\r\n</PRE>"),
              std::string::npos);
}

TEST_F(MarketReportsTest, WithoutRalliesNoFileIsWritten) {
    RallyCount = 0;
    for (int k = 0; k < 6; ++k) door_.QueueMessageAnswer(MsgAnswer::OK);
    SaveMarketTimingHTMLReport("MarketTimingReport.html");
    SaveMarketSwingingHTMLReport("MarketSwingingReport.html");
    SaveMarketSpecialSwingingHTMLReport("MarketSpecialSwingingReport.html");
    EXPECT_EQ(BasketCount, 10);
    SaveMarketTimingHTMLReportPlus("MarketTimingReportPlus.html");
    EXPECT_EQ(BasketCount, 0);
    BasketFlag(1) = 1;
    BasketCount = 1;
    SaveMarketSwingingHTMLReportPlus("MarketSwingingReportPlus.html");
    EXPECT_EQ(BasketCount, 0);
    EXPECT_EQ(TradingResultsText, "BASIC TRADING RESULTS (backtesting):\n Rallies = 2 <of 2>\n");
    SaveGeneralTradingHTMLReport("GeneralTradingReport.html");
    EXPECT_TRUE(ResultFiles().empty());
    EXPECT_EQ(Messages(), std::vector<std::string>(6, "No trading periods found!"));
    EXPECT_TRUE(BrowserTargets().empty());
    // The general report prices the empty log all the same and keeps its method lines.
    EXPECT_NE(TradingResultsText.find("No trading rallies found!"), std::string::npos);
    EXPECT_TRUE(TradingResultsText.ends_with("Crossing Level = UNKNOWN"));
}

TEST_F(MarketReportsTest, UnattendedWithoutRalliesTheNoticeGoesToTheLogAndBlocksNothing) {
    // No answer is queued: a box that waited would fail the test.
    AutoRunMode = 1;
    OpenActivityLog("Vellicor.log");
    RallyCount = 0;
    SaveMarketTimingHTMLReport("MarketTimingReport.html");
    SaveMarketTimingHTMLReportPlus("MarketTimingReportPlus.html");
    SaveMarketSwingingHTMLReport("MarketSwingingReport.html");
    SaveMarketSwingingHTMLReportPlus("MarketSwingingReportPlus.html");
    SaveMarketSpecialSwingingHTMLReport("MarketSpecialSwingingReport.html");
    SaveGeneralTradingHTMLReport("GeneralTradingReport.html");
    EXPECT_EQ(LogTexts(), std::vector<std::string>(6, "Message: No trading periods found!"));
    EXPECT_TRUE(ResultFiles().empty());
    EXPECT_TRUE(BrowserTargets().empty());
    EXPECT_FALSE(door_.hourglass);
}

TEST_F(MarketReportsTest, AFileThatCannotBeWrittenIsReportedAndNotLinked) {
    // Folders in the way of the chart table and the IT ranking.
    for (const char* name : {"mcmd1MarketTimingChart.csv", "mcmd1MarketTimingStockRankingIT.csv"}) {
        fs::create_directory(ResultPath(name));
        std::ofstream(ResultPath(std::string(name) + "/keep")) << "x";
    }
    door_.QueueMessageAnswer(MsgAnswer::OK);
    door_.QueueMessageAnswer(MsgAnswer::OK);
    SaveMarketTimingHTMLReport("MarketTimingReport.html");
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[0].find("mcmd1MarketTimingChart.csv"), std::string::npos);
    EXPECT_NE(messages[1].find("mcmd1MarketTimingStockRankingIT.csv"), std::string::npos);
    const std::string page = Result("mcmd1MarketTimingReport.html");
    EXPECT_EQ(page.find("mcmd1MarketTimingChart.csv"), std::string::npos);
    EXPECT_EQ(page.find("mcmd1MarketTimingStockRankingIT.csv"), std::string::npos);
    EXPECT_EQ(page.find("HREF=\"\""), std::string::npos);  // a link to a missing file
    EXPECT_NE(page.find("<IMG SRC=\"mcmd1MarketTimingChart.bmp\">"), std::string::npos);
    EXPECT_NE(page.find("<A HREF=\"mcmd1MarketTimingStockRankingMT.csv\">"), std::string::npos);
}

TEST_F(MarketReportsTest, AMissingResultsFolderIsMadeAgainBeforeTheReport) {
    // No answer is queued: a box for any file would fail the test.
    fs::remove_all(ResultsFolderPath);
    SaveMarketTimingHTMLReport("MarketTimingReport.html");
    EXPECT_EQ(ResultFiles().size(), 9u);
    EXPECT_EQ(BrowserTargets(),
              std::vector<std::string>{ResultPath("mcmd1MarketTimingReport.html")});
}

TEST_F(MarketReportsTest, APictureThatCannotBeWrittenIsReportedAndNotShown) {
    // A folder in the way of the report's picture: the page links the chart table alone.
    const auto block = [](const std::string& name) {
        fs::remove(ResultPath(name));
        fs::create_directory(ResultPath(name));
        std::ofstream(ResultPath(name + "/keep")) << "x";
    };
    block("mcmd1MarketTimingChart.bmp");
    door_.QueueMessageAnswer(MsgAnswer::OK);
    SaveMarketTimingHTMLReport("MarketTimingReport.html");
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find("mcmd1MarketTimingChart.bmp"), std::string::npos) << Messages()[0];
    // (A link to a missing file would be written with an empty name.)
    std::string page = Result("mcmd1MarketTimingReport.html");
    EXPECT_EQ(page.find("<IMG"), std::string::npos);
    EXPECT_EQ(page.find("mcmd1MarketTimingChart.bmp"), std::string::npos);
    EXPECT_NE(page.find("<A HREF=\"mcmd1MarketTimingChart.csv\">"), std::string::npos);

    // Neither the picture nor the table: nothing of the chart is linked.
    AsAfterTimingRun();
    block("mcmd1MarketTimingChart.csv");
    door_.QueueMessageAnswer(MsgAnswer::OK);
    door_.QueueMessageAnswer(MsgAnswer::OK);
    SaveMarketTimingHTMLReport("MarketTimingReport.html");
    ASSERT_EQ(Messages().size(), 3u);
    EXPECT_NE(Messages()[1].find("mcmd1MarketTimingChart.bmp"), std::string::npos);
    EXPECT_NE(Messages()[2].find("mcmd1MarketTimingChart.csv"), std::string::npos);
    page = Result("mcmd1MarketTimingReport.html");
    EXPECT_EQ(page.find("<IMG"), std::string::npos);
    EXPECT_EQ(page.find("HREF=\"\""), std::string::npos);
    EXPECT_EQ(page.find("mcmd1MarketTimingChart."), std::string::npos);
    EXPECT_NE(page.find("<A HREF=\"mcmd1MarketTimingStockRankingMT.csv\">"), std::string::npos);

    // A group's picture: that group shows none, the other group its own.
    AsAfterTimingRun();
    block("mcmd2MarketTimingGroup0001.bmp");
    door_.QueueMessageAnswer(MsgAnswer::OK);
    SaveMarketTimingHTMLReportPlus("MarketTimingReportPlus.html");
    ASSERT_EQ(Messages().size(), 4u);
    EXPECT_NE(Messages()[3].find("mcmd2MarketTimingGroup0001.bmp"), std::string::npos);
    page = Result("mcmd2MarketTimingReportPlus.html");
    EXPECT_EQ(page.find("SRC=\"\""), std::string::npos);
    EXPECT_EQ(page.find("mcmd2MarketTimingGroup0001.bmp"), std::string::npos);
    EXPECT_NE(page.find("<IMG SRC=\"mcmd2MarketTimingGroup0002.bmp\">"), std::string::npos);
    EXPECT_NE(page.find("<IMG SRC=\"mcmd2MarketTimingChart.bmp\">"), std::string::npos);
    EXPECT_EQ(Result("mcmd2MarketTimingGroup0001.csv"), "S1\r\nS2\r\nS4\r\nS5\r\nS7\r\n");
}

}  // namespace
}  // namespace vel
