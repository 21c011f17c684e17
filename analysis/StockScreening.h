// The heuristic stock screening: the six level masks of the screening conditions, the screening
// dialog (frmScreening) as a form of computing code, and the run that takes out of the Stock
// Basket every member whose level in an evaluated criterion its mask does not admit.
#pragma once

#include <array>
#include <string>

namespace vel {

// A level mask: five characters "0" or "1". Place 1 is "1" when the criterion is not evaluated;
// places 2 to 5 are "1" for each admitted level 1 to 4 (level 1 = the highest values).
struct ScreeningMaskState {
    std::string ScreenMoneyVolume;
    std::string ScreenVolumeGrowth;
    std::string ScreenProfit;
    std::string ScreenPriceAdvance;
    std::string ScreenPriceDecline;
    std::string ScreenPriceLinearity;
    bool operator==(const ScreeningMaskState&) const = default;
};
// Empty until the dialog is first loaded; the dialog writes them, the run reads them.
extern ScreeningMaskState ScreeningMasks;
inline std::string& ScreenMoneyVolume = ScreeningMasks.ScreenMoneyVolume;
inline std::string& ScreenVolumeGrowth = ScreeningMasks.ScreenVolumeGrowth;
inline std::string& ScreenProfit = ScreeningMasks.ScreenProfit;
inline std::string& ScreenPriceAdvance = ScreeningMasks.ScreenPriceAdvance;
inline std::string& ScreenPriceDecline = ScreeningMasks.ScreenPriceDecline;
inline std::string& ScreenPriceLinearity = ScreeningMasks.ScreenPriceLinearity;

// The six criteria, in the order of the dialog's start and normalise procedures.
enum class ScreeningCriterion {
    Profit,
    MoneyVolume,
    VolumeGrowth,
    PriceAdvance,
    PriceDecline,
    PriceLinearity
};
constexpr int kScreeningCriteria = 6;

struct ScreeningCriterionInfo {
    ScreeningCriterion criterion;
    const char* name;          // "MoneyVolume": check boxes check1MoneyVolume..check5MoneyVolume
    const char* frameCaption;  // "Money volume:"
    int levelCoordinate;       // of the screening vector
};
// The criteria in the order the run tests them: profit, money volume, money volume growth,
// price advance, price decline, price linearity.
const std::array<ScreeningCriterionInfo, kScreeningCriteria>& ScreeningCriteria();
// The mask of a criterion.
std::string& ScreeningMask(ScreeningCriterion criterion);

// The captions of the five check boxes of every criterion.
extern const char* const kScreeningBoxCaptions[5];

// The screening dialog "Heuristic stock screening.": six criteria with five check boxes each
// (box 1 "no evaluation", boxes 2 to 5 the levels 1 to 4), two labels and the buttons
// "Continue" and "Cancel". Its procedures hold every rule; the window shows the boxes and
// labels and passes the clicks on. Setting a box from a procedure runs that box's click
// procedure when its state changes, as a user's click does.
class ScreeningForm {
public:
    static constexpr const char* kCaption = "Heuristic stock screening.";

    // Form_Load: every criterion not evaluated, the labels set.
    ScreeningForm();

    void ScreenStart();
    void ScreenNormalize();
    // ScreenMoneyVolumeStart, ScreenProfitNormalize, ... for the criterion.
    void CriterionStart(ScreeningCriterion c);
    void CriterionNormalize(ScreeningCriterion c);

    // A user's click on box `box` (1..5) of a criterion: the box toggles, then its click
    // procedure runs (check1MoneyVolume_Click, ...).
    void ClickCheckBox(ScreeningCriterion c, int box);
    // The click procedure of box `box` with the box as it now stands.
    void CheckBox_Click(ScreeningCriterion c, int box);
    bool CheckBox(ScreeningCriterion c, int box) const { return check_[Index(c)][box - 1]; }

    // Unload the dialog; "Continue" then runs the screening (its caller does, once the dialog
    // is gone).
    void cmdContinue_Click();
    void cmdCancel_Click();
    // Closing the window with its close box: unloads it without screening.
    void Form_Unload();

    bool Unloaded() const { return unloaded_; }
    bool Continued() const { return continued_; }
    const std::string& labScreenStockCount() const { return stockCount_; }
    const std::string& labScreenPeriod() const { return period_; }

private:
    static size_t Index(ScreeningCriterion c) { return static_cast<size_t>(c); }
    // Sets a box from a procedure: a change runs its click procedure.
    void SetCheckBox(ScreeningCriterion c, int box, bool checked);

    std::array<std::array<bool, 5>, kScreeningCriteria> check_{};
    std::string stockCount_;
    std::string period_;
    bool unloaded_ = false;
    bool continued_ = false;
};

// The chart window's "Select screening conditions" after its basket check: shows the dialog
// modally; "Continue" runs the screening.
void ShowScreeningDialog();

// The screening run: computes the screening values and levels of all loaded stocks over the
// shown windows, takes the members out of the basket that an evaluated criterion does not
// admit, redraws the basket's trend curves (a beep instead when the basket ends empty) and
// ends with "End of stock screening!".
void RunStockScreening();

// Back to the start: every mask empty.
void ResetScreeningMasks();

}  // namespace vel
