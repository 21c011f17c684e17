// The heuristic stock screening: the dialog's masks and check boxes through every transition,
// its labels, "Continue" and "Cancel" played through the door, and the run on a four-stock
// history whose levels are known (Screening values test): which members each mask keeps, the
// chart cleared and the trend curves asked for, and the empty basket's beep; the dialog's
// window driven offscreen.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <string>
#include <vector>

#include "AnalysisCommands.h"
#include "AnalysisEntryPoints.h"
#include "AppState.h"
#include "BasketRunFixture.h"
#include "ChartCurves.h"
#include "HandScreeningHistory.h"
#include "ScreeningValues.h"
#include "StockBasket.h"
#include "StockScreening.h"
#include "VectorStores.h"
#include "frmScreening.h"

namespace vel {
namespace {

using C = ScreeningCriterion;

class StockScreeningTest : public testing::BasketRunFixture {
protected:
    void SetUp() override {
        BasketRunFixture::SetUp();
        testing::LoadSyntheticHistory(kStocks, 10, testing::HandPrice, testing::HandVolume);
        RegisterAnalysisCommands();
        RecordTrendCurves();
    }
    // The screening run with the masks set as the dialog leaves them.
    void Screen(const std::vector<std::pair<C, std::string>>& masks) {
        for (const auto& info : ScreeningCriteria()) ScreeningMask(info.criterion) = "10000";
        for (const auto& [c, mask] : masks) ScreeningMask(c) = mask;
        door_.QueueMessageAnswer(MsgAnswer::OK);
        RunStockScreening();
        EXPECT_EQ(door_.CallsOf("message").back().text, "End of stock screening!");
    }
    static std::string Boxes(const ScreeningForm& f, C c) {
        std::string s;
        for (int box = 1; box <= 5; ++box) s += f.CheckBox(c, box) ? '1' : '0';
        return s;
    }
};

TEST_F(StockScreeningTest, TheDialogStartsWithEveryCriterionNotEvaluated) {
    EXPECT_EQ(ScreenProfit, "");  // empty until the dialog is first loaded
    Members({1, 2, 4});
    ChartFrom1 = Num(3);
    const ScreeningForm f;
    for (const auto& info : ScreeningCriteria()) {
        EXPECT_EQ(ScreeningMask(info.criterion), "10000");
        EXPECT_EQ(Boxes(f, info.criterion), "10000");
    }
    EXPECT_EQ(f.labScreenStockCount(), "Basket content = 3 stock symbols");
    EXPECT_EQ(f.labScreenPeriod(),
              "Screening period   from   1/6/2020      to    1/15/2020    ( 8  trading days )");
    EXPECT_STREQ(ScreeningForm::kCaption, "Heuristic stock screening.");
    EXPECT_STREQ(ScreeningCriteria()[3].frameCaption, "Price advance");  // no colon
}

TEST_F(StockScreeningTest, CheckBoxesMoveBetweenNotEvaluatedAndLevelsChosen) {
    ScreeningForm f;
    f.ClickCheckBox(C::MoneyVolume, 2);  // best values
    EXPECT_EQ(ScreenMoneyVolume, "01000");
    EXPECT_EQ(Boxes(f, C::MoneyVolume), "01000");
    f.ClickCheckBox(C::MoneyVolume, 5);  // and worst values
    EXPECT_EQ(ScreenMoneyVolume, "01001");
    EXPECT_EQ(Boxes(f, C::MoneyVolume), "01001");
    f.ClickCheckBox(C::MoneyVolume, 2);  // one level stays chosen
    EXPECT_EQ(ScreenMoneyVolume, "00001");
    f.ClickCheckBox(C::MoneyVolume, 5);  // the last one unchecked
    EXPECT_EQ(ScreenMoneyVolume, "10000");
    EXPECT_EQ(Boxes(f, C::MoneyVolume), "10000");

    for (int box = 2; box <= 5; ++box) f.ClickCheckBox(C::Profit, box);  // all four
    EXPECT_EQ(ScreenProfit, "10000");
    EXPECT_EQ(Boxes(f, C::Profit), "10000");

    f.ClickCheckBox(C::PriceDecline, 1);  // unchecking "no evaluation" alone
    EXPECT_EQ(ScreenPriceDecline, "10000");
    EXPECT_EQ(Boxes(f, C::PriceDecline), "10000");

    f.ClickCheckBox(C::PriceAdvance, 3);
    f.ClickCheckBox(C::PriceAdvance, 4);
    f.ClickCheckBox(C::PriceAdvance, 1);  // "no evaluation" checked again
    EXPECT_EQ(ScreenPriceAdvance, "10000");
    EXPECT_EQ(Boxes(f, C::PriceAdvance), "10000");

    // The criteria do not touch each other.
    f.ClickCheckBox(C::PriceLinearity, 4);
    f.ClickCheckBox(C::VolumeGrowth, 2);
    EXPECT_EQ(ScreenPriceLinearity, "00010");
    EXPECT_EQ(ScreenVolumeGrowth, "01000");
    EXPECT_EQ(ScreenMoneyVolume, "10000");
}

TEST_F(StockScreeningTest, MasksKeepTheMembersWhoseLevelsTheyAdmit) {
    // Money volume levels 4, 3, 1, 2; decline levels 1, 1, 3, 4; linearity levels 3, 3, 3, 1.
    Members({1, 2, 3, 4});
    Screen({});
    EXPECT_EQ(Basket(), (std::vector<long>{1, 2, 3, 4}));
    EXPECT_EQ(trends, (std::vector<std::string>{"statistics", "profit"}));
    EXPECT_EQ(CalcFrom1, 1);
    EXPECT_EQ(GroupTo, 10);
    EXPECT_EQ(ScreeningVectors->BufferCount(), 4);

    Screen({{C::MoneyVolume, "01000"}});
    EXPECT_EQ(Basket(), (std::vector<long>{3}));
    Members({1, 2, 3, 4});
    Screen({{C::PriceDecline, "01000"}});  // the smallest declines
    EXPECT_EQ(Basket(), (std::vector<long>{1, 2}));
    Members({1, 2, 3, 4});
    Screen({{C::PriceLinearity, "01000"}});  // the largest deviation from a straight line
    EXPECT_EQ(Basket(), (std::vector<long>{4}));
    Members({1, 2, 3, 4});
    Screen({{C::MoneyVolume, "00110"}, {C::PriceDecline, "01000"}});  // both must pass
    EXPECT_EQ(Basket(), (std::vector<long>{2}));
    EXPECT_EQ(BasketCount, 1);
    // A stock that is not a member never joins.
    Members({1});
    Screen({{C::MoneyVolume, "01000"}});
    EXPECT_EQ(BasketCount, 0);
}

// A history where profit, price advance and money volume growth each have another stock alone
// at their top level: stock 1 rises from 10 to 19 (profit 90 %), stock 2 falls from 20 to 2 and
// comes back (advance 90 %, profit 0), stock 3 keeps its price and grows its volume tenfold over
// the last five days (growth 82 %), stock 4 falls from 30 to 21.
TEST_F(StockScreeningTest, ProfitAdvanceAndGrowthMasksEachReadTheirOwnLevels) {
    static const float dip[] = {20, 15, 10, 5, 2, 5, 10, 15, 18, 20};
    testing::LoadSyntheticHistory(
        kStocks, 10,
        [](long i, long d) {
            switch (i) {
                case 1:
                    return static_cast<float>(9 + d);
                case 2:
                    return dip[d - 1];
                case 3:
                    return 20.0f;
                default:
                    return static_cast<float>(31 - d);
            }
        },
        [](long i, long d) { return i == 3 && d > 5 ? 1000.0f : 100.0f; });
    const struct {
        C criterion;
        const char* name;
        long top;
    } tops[] = {
        {C::Profit, "profit", 1}, {C::PriceAdvance, "advance", 2}, {C::VolumeGrowth, "growth", 3}};
    for (const auto& t : tops) {
        Members({1, 2, 3, 4});
        Screen({{t.criterion, "01000"}});
        EXPECT_EQ(Basket(), std::vector<long>{t.top}) << t.name;
    }
}

TEST_F(StockScreeningTest, AnEmptiedBasketBeepsInsteadOfTheTrendCurves) {
    Members({1, 2});
    MainVectors->SetChartCount(3);
    trends.clear();
    Screen({{C::MoneyVolume, "01100"}});
    EXPECT_EQ(BasketCount, 0);
    EXPECT_EQ(door_.Beeps(), 1);
    EXPECT_TRUE(trends.empty());
    EXPECT_EQ(MainVectors->ChartCount(), 0);  // the chart is cleared all the same
    EXPECT_FALSE(door_.hourglass);
}

TEST_F(StockScreeningTest, ContinueRunsTheScreeningAndCancelLeavesTheBasket) {
    Members({1, 2, 3, 4});
    door_.QueueForm<ScreeningForm>([](ScreeningForm& f) {
        f.ClickCheckBox(C::MoneyVolume, 2);
        f.cmdCancel_Click();
    });
    ShowScreeningDialog();
    EXPECT_EQ(BasketCount, 4);
    EXPECT_TRUE(trends.empty());

    door_.QueueForm<ScreeningForm>([](ScreeningForm& f) {
        f.ClickCheckBox(C::MoneyVolume, 2);
        f.ClickCheckBox(C::MoneyVolume, 5);
        f.cmdContinue_Click();
    });
    door_.QueueMessageAnswer(MsgAnswer::OK);
    ShowScreeningDialog();
    EXPECT_EQ(Basket(), (std::vector<long>{1, 3}));  // levels 1 and 4
    EXPECT_EQ(trends.size(), 2u);

    // Closed with its close box: no screening. Unattended: not shown at all.
    door_.QueueForm<ScreeningForm>([](ScreeningForm& f) { f.Form_Unload(); });
    ShowScreeningDialog();
    door_.display = false;
    ShowScreeningDialog();
    EXPECT_EQ(Basket(), (std::vector<long>{1, 3}));
}

TEST_F(StockScreeningTest, TheWindowShowsTheFormAndPassesTheClicksOn) {
    Members({1, 2});
    ScreeningForm form;
    frmScreening window(form, nullptr);
    EXPECT_EQ(window.windowTitle(), "Heuristic stock screening.");
    EXPECT_EQ(window.findChild<QLabel*>("labScreenStockCount")->text(),
              "Basket content = 2 stock symbols");
    EXPECT_EQ(window.findChild<QGroupBox*>("framePriceAdvance")->title(), "Price advance");
    auto box = [&](const char* name) { return window.findChild<QCheckBox*>(name); };
    ASSERT_NE(box("check5PriceLinearity"), nullptr);
    EXPECT_TRUE(box("check1MoneyVolume")->isChecked());
    box("check2MoneyVolume")->click();
    EXPECT_EQ(ScreenMoneyVolume, "01000");
    EXPECT_FALSE(box("check1MoneyVolume")->isChecked());
    EXPECT_TRUE(box("check2MoneyVolume")->isChecked());
    box("check1MoneyVolume")->click();  // back to not evaluated: the level box clears too
    EXPECT_EQ(ScreenMoneyVolume, "10000");
    EXPECT_FALSE(box("check2MoneyVolume")->isChecked());
    box("check1Profit")->click();  // unchecking it alone: it stays checked
    EXPECT_TRUE(box("check1Profit")->isChecked());
    window.findChild<QPushButton*>("cmdContinue")->click();
    EXPECT_TRUE(form.Continued());
    EXPECT_EQ(window.result(), QDialog::Accepted);

    ScreeningForm closed;
    frmScreening other(closed, nullptr);
    QMetaObject::invokeMethod(&other, "reject");  // the close box
    EXPECT_TRUE(closed.Unloaded());
    EXPECT_FALSE(closed.Continued());
}

}  // namespace
}  // namespace vel
