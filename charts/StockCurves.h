// The displayed stock's standard set of seven curves (price, money volume, volume, relative
// price, relative money volume, profit since the first shown day, past short-term profit), and
// the three individual calculations on the displayed stock, which show that set, optimise the
// stock through the market analysis, turn the best signal into rallies and report the result
// in the chart window's status bar.
#pragma once

namespace vel {

// Builds and shows the standard set of DisplayedStockIndex; also refreshes the calculation
// window and group period from the shown window, the symbol and basket labels and
// BasketPosition. An undefined stock shows "Stock index not defined!" and beeps.
void DisplayStockCurves();

void PaintIndividualStockTiming();
void PaintIndividualStockSwinging();
void PaintIndividualStockSpecialSwinging();

}  // namespace vel
