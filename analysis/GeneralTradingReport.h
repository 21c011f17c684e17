// The results of whatever rallies the trading log holds, however they came there (a trading
// method, the trading cursor, a rally file): the basic trading message, and the report of the
// last market calculation that the optimal-level command offers.
#pragma once

namespace vel {

// Backtests the current rallies over the Stock Basket and shows TradingResultsText with the
// lines "Trading method = DEFINED TRADING SIGNALS" and "Crossing Level = UNKNOWN" in a box
// (OK); TradingResultsText itself gets no such lines.
void ShowBasicTradingMessage();

// Writes and shows the report of ReportKind: "Timing" the market timing report
// "StockMarketTimingReport.html", "Swinging" the market swinging report
// "StockMarketSwingingReport.html", "Special" the special swinging report
// "StockMarketSpecialSwingingReport.html", "General" the general trading report
// "StockMarketGeneralReport.html"; any other kind none. Each test reads ReportKind as it is
// then. ReportKind is "General" afterwards.
void ShowLastStockMarketReport();

}  // namespace vel
