// The heuristic stock screening: masks, dialog procedures and run.
#include "StockScreening.h"

#include <string>

#include "AnalysisEntryPoints.h"
#include "AppState.h"
#include "ChartCurves.h"
#include "Door.h"
#include "EntryPoints.h"
#include "Hooks.h"
#include "ProcessState.h"
#include "ScreeningValues.h"
#include "StockBasket.h"
#include "VectorStores.h"

namespace vel {

ScreeningMaskState ScreeningMasks;

namespace {

const StateGroup<ScreeningMasks> kScreeningMasksGroup("ScreeningMasks");

const char* const kNotEvaluated = "10000";

}  // namespace

const char* const kScreeningBoxCaptions[5] = {"no evaluation", "best values",
                                              "above average, not best", "under average, not worst",
                                              "worst values"};

const std::array<ScreeningCriterionInfo, kScreeningCriteria>& ScreeningCriteria() {
    static const std::array<ScreeningCriterionInfo, kScreeningCriteria> criteria{{
        {ScreeningCriterion::Profit, "Profit", "Profit:", scr::ProfitLevel},
        {ScreeningCriterion::MoneyVolume, "MoneyVolume", "Money volume:", scr::MoneyVolumeLevel},
        {ScreeningCriterion::VolumeGrowth, "VolumeGrowth",
         "Money volume growth:", scr::MoneyVolumeGrowthLevel},
        {ScreeningCriterion::PriceAdvance, "PriceAdvance", "Price advance", scr::PriceAdvanceLevel},
        {ScreeningCriterion::PriceDecline, "PriceDecline",
         "Price decline:", scr::PriceDeclineLevel},
        {ScreeningCriterion::PriceLinearity, "PriceLinearity",
         "Price linearity:", scr::PriceLinearityLevel},
    }};
    return criteria;
}

std::string& ScreeningMask(ScreeningCriterion criterion) {
    switch (criterion) {
        case ScreeningCriterion::Profit:
            return ScreenProfit;
        case ScreeningCriterion::MoneyVolume:
            return ScreenMoneyVolume;
        case ScreeningCriterion::VolumeGrowth:
            return ScreenVolumeGrowth;
        case ScreeningCriterion::PriceAdvance:
            return ScreenPriceAdvance;
        case ScreeningCriterion::PriceDecline:
            return ScreenPriceDecline;
        default:
            return ScreenPriceLinearity;
    }
}

void ResetScreeningMasks() {
    ScreeningMasks = ScreeningMaskState{};
}

// ---- The dialog -----------------------------------------------------------------------------

ScreeningForm::ScreeningForm() {
    ScreenStart();
    stockCount_ = "Basket content = " + std::to_string(BasketCount) + " stock symbols";
    const long from = ChartFrom1.toInt16(), to = ChartTo1;
    period_ = "Screening period   from   " + TradeDateOfDay(from) + "      to    " +
              TradeDateOfDay(to) + "    ( " + std::to_string(to - from + 1) + "  trading days )";
    YieldToEvents();
}

void ScreeningForm::ScreenStart() {
    for (const auto& info : ScreeningCriteria()) CriterionStart(info.criterion);
    YieldToEvents();
}

void ScreeningForm::ScreenNormalize() {
    for (const auto& info : ScreeningCriteria()) CriterionNormalize(info.criterion);
}

void ScreeningForm::CriterionStart(ScreeningCriterion c) {
    ScreeningMask(c) = kNotEvaluated;
    SetCheckBox(c, 1, true);
    for (int box = 2; box <= 5; ++box) SetCheckBox(c, box, false);
    YieldToEvents();
}

void ScreeningForm::CriterionNormalize(ScreeningCriterion c) {
    // Each test reads the mask as the one before left it. While the dialog loads, the masks of
    // the criteria not started yet are still empty: no test applies to them.
    const std::string& mask = ScreeningMask(c);
    auto levels = [&mask] { return mask.empty() ? std::string() : mask.substr(1); };
    if (levels() == "1111") CriterionStart(c);
    if (mask == "00000") CriterionStart(c);
    if (levels() > "0000") {
        ScreeningMask(c)[0] = '0';  // "0" followed by its last four places
        SetCheckBox(c, 1, false);
    }
    YieldToEvents();
}

void ScreeningForm::SetCheckBox(ScreeningCriterion c, int box, bool checked) {
    bool& state = check_[Index(c)][static_cast<size_t>(box - 1)];
    if (state == checked) return;
    state = checked;
    CheckBox_Click(c, box);
}

void ScreeningForm::ClickCheckBox(ScreeningCriterion c, int box) {
    bool& state = check_[Index(c)][static_cast<size_t>(box - 1)];
    state = !state;
    CheckBox_Click(c, box);
}

void ScreeningForm::CheckBox_Click(ScreeningCriterion c, int box) {
    std::string& mask = ScreeningMask(c);
    if (mask.size() != 5) mask = kNotEvaluated;  // a click always finds the dialog loaded
    const bool checked = CheckBox(c, box);
    if (box == 1) {
        if (checked)
            CriterionStart(c);
        else
            mask[0] = '0';
    } else {
        mask[static_cast<size_t>(box - 1)] = checked ? '1' : '0';
    }
    ScreenNormalize();
}

void ScreeningForm::cmdContinue_Click() {
    unloaded_ = true;
    continued_ = true;
}

void ScreeningForm::cmdCancel_Click() {
    unloaded_ = true;
}

void ScreeningForm::Form_Unload() {
    unloaded_ = true;
}

void ShowScreeningDialog() {
    ScreeningForm form;
    door().ShowForm(form);
    if (form.Continued()) RunStockScreening();
}

// ---- The run --------------------------------------------------------------------------------

void RunStockScreening() {
    door().SetHourglass(true);
    ClearChartPicture();
    YieldToEvents();
    CalcFrom1 = ChartFrom1.toInt16();
    CalcTo1 = ChartTo1;
    GroupFrom = Num(static_cast<int>(ChartFrom2));
    GroupTo = ChartTo2;
    CalcScreeningBasicValues(0);
    clsVectors& s = *ScreeningVectors;
    const long rows = s.BufferCount();
    for (long i = 1; i <= rows; ++i) {
        const long row = s.BufferStart() + i - 1;
        for (const auto& info : ScreeningCriteria()) {
            const std::string& mask = ScreeningMask(info.criterion);
            if (mask.size() != 5 || mask[0] != '0') continue;
            const long level = s.CoordGetSingleValue(row, info.levelCoordinate).toInt16();
            for (long k = 1; k <= 4; ++k)
                if (mask[static_cast<size_t>(k)] == '0' && level == k) BasketFlag(i) = 0;
        }
    }
    door().SetHourglass(false);
    YieldToEvents();
    ResetStockBasket();
    ChartDescriptionClear();
    if (BasketCount > 0) {
        RunEntryPoint(AnalysisCommands.AppendPriceVolumeTrendCurves,
                      "AppendPriceVolumeTrendCurves");
        RunEntryPoint(AnalysisCommands.AppendPastShortTermProfitCurve,
                      "AppendPastShortTermProfitCurve");
    } else {
        door().Beep();
    }
    door().MessageBox("End of stock screening!", "Vellicor", MsgButtons::OK);
}

}  // namespace vel
