// The trend curves of the Stock Basket that the chart window appends: the price and volume
// statistics (five curves), the average past short-term profit, and the market behaviour and
// swinging curves that rest on every member's swinging search (seven curves); and the chart
// tools of the same module: deleting the selected curve, and pages of price curves of the
// Money Volume Tree or of the Stock Basket. The market calculations append the same curves
// before their own work. Members are the stocks whose BasketFlag is exactly 1, in item order.
#pragma once

#include <cstdint>
#include <string>

namespace vel {

// ---- Price and volume statistics ------------------------------------------------------------
// Copies the shown window into the calculation window and group period, fills H..H + 4 of
// MainVectors with the members' average price, average money volume, average relative price and
// relative money volume (in percent of each member's own average over the group period) and the
// profit in percent of a portfolio bought on the first shown day, over every loaded day (H + 10
// to H + 12 and H + 20 to H + 24 are its scratch), and sets BasketCount to the member count. A
// member's zero reference value counts as 1; with no member the averages are 0 and the profit
// -100.
void CalcBasketAverageCurves(std::int16_t H);
// Computes the statistics on HelpStart and appends them as five curves ("Average stock price
// for Stock Basket (n symbols )", ...), then repaints.
void AppendPriceVolumeTrendCurves();

// ---- Past short-term profit -------------------------------------------------------------------
// Vector V = the members' average past profit over PastDays days (CoordPastProfit; V + 1 and
// V + 2 are scratch); 0 on every day with no member.
void CalcBasketPastProfitCurve(std::int16_t V, std::int16_t PastDays);
// Computes it into vector 10 over defPastDays and appends it as one curve ("Past short term
// profit in [%] for Stock Basket (n symbols )  PastDays=d", level line 0), then repaints.
void AppendPastShortTermProfitCurve();

// ---- Market behaviour and swinging ------------------------------------------------------------
// Runs every member's swinging search (CalcIndividualStockSwinging on a copy of its prices in
// B + 10, base B + 20; B + 11 its volume, B + 12 its money volume) and its market behaviour
// (B + 30 to B + 37), and appends seven curves: the percentage of usable members in each of
// the four behaviour states (B to B + 3, level line 50), and their average smoothed relative
// gradient, its change times 100 and their average BUY-SELL signal (B + 4 to B + 6, level line
// 0); with no usable member the seven are 0. A usable member also leaves its signal in its
// Model vector. Empties the stock results first and the trading log at the end. With a path,
// one result row per member goes to that CSV file, created anew; the row buffer keeps the last
// member's row. The searches run on worker threads and are put in place in member order
// (RunMemberSearches), so every sum equals the sequential run. Defined with the market
// calculations, whose member loop and result rows it shares; an error of a search is raised to
// the caller (the command barrier takes the wait text and the hourglass away).
void AppendMarketBehaviourAndSwingingCurves(std::int16_t B, const std::string& CsvFilePath);

// ---- Chart tools ------------------------------------------------------------------------------
// Removes curve SelectedChartCurve, moving the curves after it down one place (vector, caption,
// level lines); the last curve is only dropped, and then the selection is cancelled. An invalid
// selection or a chart of one curve only beeps.
void DeleteSelectedChartCurve();
// A page of at most defSymbolsInChartPane price curves from the displayed stock on, in Money
// Volume Tree order (captions "Stock price for S", "  (in Basket)" for members); its last stock
// becomes the displayed stock and is selected in the tree.
void DisplayNStockPriceCurvesInMVT();
// The same over the basket members only; an empty basket only beeps.
void DisplayNStockPriceCurvesInSB();

}  // namespace vel
