// Portfolio candidates and the portfolio file: the stocks whose short-term price gradient is
// positive, steeper over the last four days than over the last eight and among the upper value
// intervals of both gradients; and the Stock Basket written as a portfolio import file, one buy
// position per member at the newest loaded price ("Basket.csv" by default), which also reads
// back as a stock list.
#pragma once

#include <string>
#include <vector>

namespace vel {

// The header line of the portfolio file.
extern const char* const kPortfolioHeader;

// Marks the candidates in the screening vectors (coordinates 20 and 29: 1 for a candidate, -2
// otherwise; coordinate 30: 0). Expects the screening values of the current windows.
void PutPortfolioCandidates();

// The lines of the portfolio file for the current basket: the header, then one line per member
// in item order: symbol, newest trade date, shares for 3000 at the newest price (0 where the
// price is 0), that price, commission 15 and the note with the stock's rank in the Money Volume
// Tree.
std::vector<std::string> PortfolioLines();

// "Save Stock Basket into list of stocks": asks for the file (proposing the last one saved, the
// last stock list, or "Basket.csv") and writes the portfolio file whole while it holds the lock
// of the file's data folder (refused, writing nothing, while another holds it); an empty basket
// is only reported.
void SaveStockBasketAsPortfolioCSV();

// "Put portfolio candidates with best price gradient into empty Stock Basket": the screening
// values over the shown windows, then only the members that are candidates stay (at least 8
// shown days are needed; an empty result is reported).
void NarrowStockBasketToPortfolioCandidates();

}  // namespace vel
