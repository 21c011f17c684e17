// The editing operations of the program's trading log: the clear, and the trading cursor's
// buy, sell and take-back in the chart window. A refused edit beeps and changes nothing.
#pragma once

namespace vel {

// Yields, sets RallyCount to 0 (the rows stay), yields, refreshes the chart's menu captions.
void TradingLogDataClear();
// The clear as the chart window's command "Clear BUY-SELL trading rallies" runs it: the clear,
// then a repaint.
void ClearTradingLogAndRepaint();

// Opens rally RallyCount + 1 at CursorDay with SellPos ChartTo1 + 1 (open) when CursorDay lies
// after the last rally's SellPos (after 0 with an empty log); otherwise, or when the log holds
// 2000 rallies, beeps. Yields in either case.
void CursorSaveAsBuyPosition();
// Sets SellPos of the last rally to CursorDay when CursorDay is after its BuyPos, or equals a
// BuyPos that is the last shown day; otherwise (and with no rally) beeps. Yields.
void CursorSaveAsSellPosition();
// Takes back the last trading signal: a closed last rally (SellPos <= ChartTo1) is reopened
// with SellPos ChartTo1 + 1, an open one is dropped; with no rally it beeps. Then refreshes
// the menu captions (not after a beep).
void TradingCursorDeleteLastPosition();

}  // namespace vel
