// The Stock Basket filled by signal correlation: the members whose BUY-SELL signal of the
// optimised market swinging agrees with a reference signal over the shown days stay, the
// others leave. The satellite fill takes the selected stock's signal as the reference (the
// stocks that trade like it), the mainstream fill the basket's average signal (the stocks that
// follow the crowd).
#pragma once

namespace vel {

// Satellite fill: with no selected stock only the message "Select some stock symbol first,
// please!"; when the selected stock's swinging finds no usable result, a message and the
// basket unchanged. Otherwise the reference signal is shown as the only chart curve and the
// basket keeps the members whose signal correlation with it is at least MinCorrelation and at
// least 0.
void StocksPutIntoStockBasketSateliteNDayPast(float MinCorrelation);

// Mainstream fill: the basket's trend curves, then the swinging of every member; the average
// relative gradient and the average signal of the usable members are appended as two chart
// curves, and the basket keeps the usable members whose signal correlation with the average is
// at least MinCorrelation and at least 0. Leaves the members' signals in the Model region and
// column 1 of the stock results set to 1 for every loaded stock.
void StocksPutIntoStockBasketMainStreamNDayPast(float MinCorrelation);

}  // namespace vel
