// The scans of trading results by past days: the rows per past-day count, commission and method
// against the same method commands run by hand, the same rows with the searches' trials shared
// with the workers, the header line, the silence, the parameters and SilentMode put back (also
// after an error), and the empty basket refused once.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "AnalysisFixture.h"
#include "AnalysisText.h"
#include "BasketCurves.h"
#include "ChartCurves.h"
#include "CsvRows.h"
#include "DirectoryListing.h"
#include "HtmlReport.h"
#include "SmallRoutines.h"
#include "TradingMethodCommands.h"
#include "TradingMethods.h"
#include "TradingResults.h"
#include "TradingScans.h"
#include "WholeFile.h"

namespace vel {
namespace {

class TradingScansTest : public testing::AnalysisFixture {
protected:
    void SetUp() override {
        AnalysisFixture::SetUp();
        // Three members that swing with different periods, so that every past-day count gives
        // its own curve.
        std::vector<std::vector<float>> prices(3);
        for (size_t s = 0; s < prices.size(); ++s)
            for (long d = 1; d <= kDays; ++d)
                prices[s].push_back(static_cast<float>(
                    50.0 + 5.0 * std::sin(d / (3.0 + 2.0 * static_cast<double>(s))) + 0.1 * d));
        LoadPrices(kDays, prices);
        for (long i = 1; i <= 3; ++i) BasketFlag(i) = 1;
        BasketCount = 3;
        ShowDays(11, kDays);
    }
    void TearDown() override {
        FusedTrialThreadCount = 0;
        AnalysisFixture::TearDown();
    }
    static std::vector<std::string> ScanLines(const char* name) {
        return ReadTextLines(ResultsFolderPath + name);
    }
    // The row the scan writes for method `command` at d past days and commission c / 10, run
    // here as the chart window runs it: the value line of the row buffer that the method leaves,
    // followed by the scan's three items.
    static std::string RowByHand(std::int16_t d, int c, float (*command)(std::int16_t&)) {
        defPastDays = d;
        ChartDescriptionClear();
        AppendPastShortTermProfitCurve();
        defCommission = static_cast<float>(c / 10.0);
        SelectedChartCurve = 1;
        std::int16_t work = 0;
        command(work);
        return GetCSVValueLine() + ", " + SignBlankWhole(d) + ", " + CurrentDateText() + ", " +
               CurrentTimeText();
    }
    static constexpr long kDays = 70;
};

TEST_F(TradingScansTest, CompleteScanWritesOneRowPerPastDayCommissionAndMethod) {
    defPastDays = 12;
    defCommission = 0.5f;
    ScanTradingResultsByPastDaysComplete();
    EXPECT_TRUE(door_.CallsOf("message").empty());  // silent throughout
    const auto lines = ScanLines("ScanTradingResultsComplete.csv");
    ASSERT_EQ(lines.size(), 1251u);
    EXPECT_EQ(lines[0],
              "CompoundProfit, TradingRallies, OneWayCommission, FromTradingDay, ToTradingDay, "
              "StockSymbols, SelectedChartCurve = , ChartCaption, TradingMethod, CrossingLevel, "
              "PastDays, Date, Time");
    // Rows 1..5: one past day, commission 0.1, methods A to E; rows 6..10 commission 0.2.
    const char* methods[] = {kMethodAboveZero, kMethodAboveOptimal, kMethodBelowZero,
                             kMethodBelowOptimal, kMethodOptimalGradient};
    for (size_t r = 1; r <= 10; ++r) {
        const std::string& line = lines[r];
        EXPECT_NE(line.find(std::string(", ") + methods[(r - 1) % 5] + ", "), std::string::npos)
            << r << ": " << line;
        EXPECT_NE(line.find(r <= 5 ? ", 0.1, " : ", 0.2, "), std::string::npos) << line;
        EXPECT_NE(line.find(",  1, " + CurrentDateText()), std::string::npos) << line;
    }
    EXPECT_EQ(defPastDays, 12);
    EXPECT_EQ(defCommission, 0.5f);
    EXPECT_EQ(SilentMode, 0);
    EXPECT_FALSE(door_.hourglass);
    EXPECT_EQ(ChartStatusText(), "");
    // The chart keeps the curve of 50 past days, selected after method E.
    EXPECT_EQ(MainVectors->ChartCount(), 1);
    EXPECT_NE(ChartCaption(1).find("PastDays=50"), std::string::npos) << ChartCaption(1);
    EXPECT_EQ(SelectedChartCurve, 1);
    const std::string lastText = TradingResultsText;
    const std::string lastRow = lines.back();

    // Rows against the commands run by hand (silently, as in the scan).
    SilentMode = -1;
    struct Probe {
        std::int16_t d;
        int c;
        int method;  // 0..4: A..E
    };
    float (*commands[])(std::int16_t&) = {
        GenerateCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB,
        GenerateCrossingAboveOptimalLevelTSignalsFromSelectedCurveForSB,
        GenerateCrossingBelowZeroLevelTSignalsFromSelectedCurveForSB,
        GenerateCrossingBelowOptimalLevelTSignalsFromSelectedCurveForSB,
        GenerateOptGradCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB};
    for (const Probe& p : {Probe{1, 1, 0}, Probe{7, 3, 1}, Probe{7, 3, 3}, Probe{23, 2, 2},
                           Probe{38, 5, 4}, Probe{50, 5, 4}}) {
        const size_t row = static_cast<size_t>(((p.d - 1) * 5 + (p.c - 1)) * 5 + p.method + 1);
        EXPECT_EQ(lines[row], RowByHand(p.d, p.c, commands[p.method]))
            << "days " << p.d << " commission " << p.c << " method " << p.method;
    }
    // The last run of the scan is the one the trading log and the result text keep.
    EXPECT_EQ(RowByHand(50, 5, commands[4]), lastRow);
    EXPECT_EQ(TradingResultsText, lastText);
}

TEST_F(TradingScansTest, TheCompleteScanWritesTheSameRowsWithItsSearchesOnTheWorkers) {
    // The rows without their date and time, which the runs do not share.
    auto scan = [](unsigned threads) {
        FusedTrialThreadCount = threads;
        ScanTradingResultsByPastDaysComplete();
        FusedTrialThreadCount = 0;
        std::vector<std::string> rows;
        for (std::string line : ScanLines("ScanTradingResultsComplete.csv")) {
            for (int field = 0; field < 2; ++field) line.erase(line.rfind(", "));
            rows.push_back(line);
        }
        return rows;
    };
    const std::vector<std::string> alone = scan(1);
    ASSERT_EQ(alone.size(), 1251u);
    EXPECT_EQ(scan(3), alone);
}

TEST_F(TradingScansTest, ShortScanRunsMethodsACAndE) {
    ScanTradingResultsByPastDaysShort();
    const auto lines = ScanLines("ScanTradingResultsShort.csv");
    ASSERT_EQ(lines.size(), 751u);
    const char* methods[] = {kMethodAboveZero, kMethodBelowZero, kMethodOptimalGradient};
    for (size_t r = 1; r < lines.size(); ++r)
        ASSERT_NE(lines[r].find(std::string(", ") + methods[(r - 1) % 3] + ", "), std::string::npos)
            << r << ": " << lines[r];
    // Past days 50 in the last 15 rows, 49 before them.
    EXPECT_NE(lines[750].find(",  50, "), std::string::npos);
    EXPECT_NE(lines[736].find(",  50, "), std::string::npos);
    EXPECT_NE(lines[735].find(",  49, "), std::string::npos);
    EXPECT_TRUE(door_.CallsOf("message").empty());
}

TEST_F(TradingScansTest, EmptyBasketIsRefusedOnce) {
    BasketFlag(1) = BasketFlag(2) = BasketFlag(3) = 0;
    BasketCount = 0;
    defPastDays = 9;
    door_.QueueMessageAnswer(MsgAnswer::OK);
    ScanTradingResultsByPastDaysComplete();
    const auto boxes = door_.CallsOf("message");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Put some stock symbols into Stock Basket, please.");
    EXPECT_EQ(boxes[0].title, "Vellicor");
    EXPECT_FALSE(FileExists(ResultsFolderPath + "ScanTradingResultsComplete.csv"));
    EXPECT_EQ(defPastDays, 9);
    EXPECT_EQ(MainVectors->ChartCount(), 0);
}

TEST_F(TradingScansTest, AnErrorInTheScanPutsTheParametersBack) {
    defPastDays = 12;
    defCommission = 0.5f;
    std::int16_t silentAtError = 0, daysAtError = 0;
    door_.OnYield(12, [&] {
        silentAtError = SilentMode;
        daysAtError = defPastDays;
        throw std::runtime_error("broken");
    });
    EXPECT_THROW(ScanTradingResultsByPastDaysShort(), std::runtime_error);
    EXPECT_EQ(silentAtError, -1);  // the error came inside the scan
    EXPECT_LT(daysAtError, 12);
    EXPECT_EQ(defPastDays, 12);
    EXPECT_EQ(defCommission, 0.5f);
    EXPECT_EQ(SilentMode, 0);
    EXPECT_FALSE(door_.hourglass);
    EXPECT_EQ(ChartStatusText(), "");
}

TEST_F(TradingScansTest, AResultFileThatCannotBeWrittenIsToldInABox) {
    // Not even created: told at once, and the scan does not run.
    ResultsFolderPath = UnwritablePath("");
    door_.QueueMessageAnswer(MsgAnswer::OK);
    ScanTradingResultsByPastDaysShort();
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].find("The result file could not be written:"), 0u);
    EXPECT_EQ(MainVectors->ChartCount(), 0);

    // A write that fails on the way (a full disk): the scan stops, no half file is left, and
    // the box comes once the scan is no longer silent.
    ResultsFolderPath = TempFolder();
    const std::string path = ResultsFolderPath + "ScanTradingResultsShort.csv";
    defPastDays = 12;
    door_.QueueMessageAnswer(MsgAnswer::OK);
    InjectFileFailure(2, path);  // the first write after the file's opening
    ScanTradingResultsByPastDaysShort();
    InjectFileFailure(0);
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages()[1], "The result file could not be written:\r\n" + path);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(ListDirectory(ResultsFolderPath, "*.tmp", EntryKind::Files).empty());
    EXPECT_EQ(defPastDays, 12);
    EXPECT_EQ(SilentMode, 0);
    // Stopped early: the chart holds the curve of a few past days, not of 50.
    EXPECT_NE(ChartCaption(1).find("PastDays="), std::string::npos);
    EXPECT_EQ(ChartCaption(1).find("PastDays=50"), std::string::npos) << ChartCaption(1);
}

}  // namespace
}  // namespace vel
