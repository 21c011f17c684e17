// The parameter input boxes: each row's prompt, title and proposal, its accepted and refused
// answers (out of range, not a number, cancelled), the rounding of whole answers, and the
// selected stock symbol.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "AppState.h"
#include "ChartsFixture.h"
#include "ParameterDialogs.h"

namespace vel {
namespace {

class ParameterDialogsTest : public testing::ChartsFixture {
protected:
    void SetUp() override {
        ChartsFixture::SetUp();
        testing::LoadSyntheticHistory(5, 60);
    }
    // Runs the dialog with the answer queued; returns the input box as it was asked.
    testing::DoorCall Ask(const std::function<void()>& dialog, std::optional<std::string> answer) {
        door_.QueueInput(answer);
        dialog();
        const auto inputs = door_.CallsOf("input");
        EXPECT_FALSE(inputs.empty());
        return inputs.empty() ? testing::DoorCall{} : inputs.back();
    }
};

TEST_F(ParameterDialogsTest, CommissionTakesZeroToFivePercent) {
    const auto box = Ask(AskCommission, "5");
    EXPECT_EQ(box.title, "Default values of program parameters.");
    EXPECT_EQ(box.text, " Enter one way commission percentage,\r\n from 0.00 to 5.00 percent: ");
    EXPECT_EQ(box.args, std::vector<std::string>{".5"});  // the value stored before, 0.5
    EXPECT_EQ(defCommission, 5.0f);
    Ask(AskCommission, "5.01");
    EXPECT_EQ(door_.Beeps(), 1);
    EXPECT_EQ(defCommission, 5.0f);
    Ask(AskCommission, " 0 ");
    EXPECT_EQ(defCommission, 0.0f);
    for (const char* bad : {"-0.1", "1e300", "five", "", "2,5"}) Ask(AskCommission, bad);
    Ask(AskCommission, std::nullopt);  // cancelled
    EXPECT_EQ(door_.Beeps(), 7);
    EXPECT_EQ(defCommission, 0.0f);
    // A stored value outside the range is proposed as the nearer bound.
    defCommission = 7.5f;
    EXPECT_EQ(Ask(AskCommission, std::nullopt).args, std::vector<std::string>{"5"});
}

TEST_F(ParameterDialogsTest, PastDaysReachTheLastDayButOne) {
    const auto box = Ask(AskPastDays, "59");
    EXPECT_EQ(box.text,
              " Enter number of days for past profit calculation\r\n from 1 to 59 days:\r\n");
    EXPECT_EQ(box.args, std::vector<std::string>{"12"});
    EXPECT_EQ(defPastDays, 59);
    Ask(AskPastDays, "60");
    Ask(AskPastDays, "0");
    Ask(AskPastDays, "1e9");
    EXPECT_EQ(door_.Beeps(), 3);
    EXPECT_EQ(defPastDays, 59);
    Ask(AskPastDays, "1");
    EXPECT_EQ(defPastDays, 1);
}

TEST_F(ParameterDialogsTest, WholeAnswersRoundHalvesToTheEvenNumber) {
    const auto box = Ask(AskSymbolsInChartPane, "2.5");
    EXPECT_EQ(box.text,
              " Enter number of stock symbols for simultaneous  \r\n viewing of stock price in a "
              "chart pane, \r\n from 2 to 21 symbols:\r\n");
    EXPECT_EQ(box.args, std::vector<std::string>{"11"});
    EXPECT_EQ(defSymbolsInChartPane, 2);
    Ask(AskSymbolsInChartPane, "3.5");
    EXPECT_EQ(defSymbolsInChartPane, 4);
    Ask(AskSymbolsInChartPane, "1");
    Ask(AskSymbolsInChartPane, "22");
    Ask(AskSymbolsInChartPane, "1.4");  // rounds to 1
    EXPECT_EQ(door_.Beeps(), 3);
    EXPECT_EQ(defSymbolsInChartPane, 4);
}

TEST_F(ParameterDialogsTest, CorrelationAndDiligenceTakeZeroToOne) {
    auto box = Ask(AskCorrelation, ".71");
    EXPECT_EQ(
        box.text,
        " Enter correlation coeficient,\r\n from 0.00 to 1.00\r\n recommended value = 0.71  \r\n");
    EXPECT_EQ(box.args, std::vector<std::string>{".5"});
    EXPECT_EQ(defCorrelation, 0.71f);
    Ask(AskCorrelation, "abc");
    EXPECT_EQ(door_.Beeps(), 1);
    EXPECT_EQ(defCorrelation, 0.71f);

    box = Ask(AskDiligence, "1");
    EXPECT_EQ(box.text,
              " Enter diligence coeficient,\r\n for Market Swinging calculation \r\n from 0.00 to "
              "1.00\r\n recommended value = 0.5  \r\n");
    EXPECT_EQ(box.args, std::vector<std::string>{"0"});
    EXPECT_EQ(defDiligence, 1.0f);
    Ask(AskDiligence, "1.5");
    EXPECT_EQ(defDiligence, 1.0f);
    EXPECT_EQ(door_.Beeps(), 2);
}

TEST_F(ParameterDialogsTest, TheSelectedSymbolIsLookedUpWithoutRegardToCase) {
    const auto box = Ask(AskSelectedStockSymbol, "  s3 ");
    EXPECT_EQ(box.title, "Stock symbol input.");
    EXPECT_EQ(box.text, "Enter one stock symbol, please (not case sensitive) ...");
    EXPECT_EQ(box.args, std::vector<std::string>{"S1"});
    EXPECT_EQ(defStockSymbolString, "S3");
    EXPECT_EQ(defStockSymbolIndex, 3);
    Ask(AskSelectedStockSymbol, "ZZZ");  // not loaded: cleared
    EXPECT_EQ(defStockSymbolString, "");
    EXPECT_EQ(defStockSymbolIndex, 0);
    Ask(AskSelectedStockSymbol, "S5");
    Ask(AskSelectedStockSymbol, std::nullopt);  // cancelled: stored empty, without a check
    EXPECT_EQ(defStockSymbolString, "");
    EXPECT_EQ(defStockSymbolIndex, 0);
    EXPECT_EQ(door_.Beeps(), 0);
}

}  // namespace
}  // namespace vel
