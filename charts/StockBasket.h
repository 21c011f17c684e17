// The Stock Basket: one flag per stock item number in BasketFlag (core), the member count
// BasketCount, the current member and its position; the stock list files it is saved to and
// loaded from; the recount and display after a change; the basket buttons of the chart
// window; and the basket commands that fill, empty, invert, intersect and narrow it. Lower
// code (the market analysis, the unattended runs) calls these routines where the chart
// window's commands would be called.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "Tables.h"

namespace vel {

// Flag values: 0 out, 1 member; 2, 10 and 11 are marks that live only inside one command
// (a listed member; a clipboard match that was out; a clipboard match that was a member).
extern std::int16_t BasketPointer;      // stock item number of the current member, 0 = none
extern std::int16_t BasketPosition;     // its 1-based rank among the members, 0 = none
extern std::string StockListFilePath;   // the stock list last chosen by a load or intersect
extern std::string BasketSaveFilePath;  // the file of the last basket save dialog

// The remembered stocks (1 = remembered) and their number.
extern Table1D<std::int16_t> SymbolMemoryFlag;
extern std::int16_t SymbolMemoryCount;
// Forgets every remembered stock.
void ClearSymbolMemory();

// The number of loaded stocks N (LoadedSymbolCount, the Buffer counts of the stores).
long LoadedStockCount();

// ---- Stock list files ---------------------------------------------------------------------
// The symbol field of a stock list line: a quoted CSV field first on the trimmed line is read
// whole (commas and blanks inside it kept, doubled quotes undone), as the program writes a
// symbol that holds a comma, a quote or a blank; otherwise the text before the first comma or
// blank, without one leading and one trailing double quote. Nothing for a line starting with
// "*" or an empty field.
std::optional<std::string> StockListLineSymbol(const std::string& line);
// Marks the loaded stock whose trimmed symbol equals the text (trimmed, without one pair of
// enclosing quotes; case-sensitive, first match): a flag 0 becomes 10, 1 becomes 11. Returns 1
// when a stock matched, else 0.
std::int16_t PutSymbolIntoStockBasket(const std::string& SymbolText);
// Every flag 0 and BasketCount 0, then ResetStockBasket.
void EmptyStockBasket();
// Writes the members' symbols (flag 1), one per line in item order, replacing the file; a
// symbol that holds a comma, a quote or a blank, or starts with "*" or ";", is written as one
// quoted field (CsvTextField), so that it reads back as itself. A file that cannot be written is
// reported in a message box; returns false then.
bool SaveStockBasketList(const std::string& ListPath);
// Adds the loaded stocks named in the list (exact, case-sensitive, first match) to the basket,
// then shows the first member. A missing file (also an empty path) only beeps; a file that
// cannot be read is reported and changes nothing.
void LoadStockListIntoStockBasket(const std::string& ListPath);

// ---- Recount and display ------------------------------------------------------------------
// Recounts from the flags (every positive flag becomes 1), puts the pointer on the first
// member (stock 1 displayed when there is none), refreshes the captions and shows the stock.
void ResetStockBasket();
// Recounts, keeps the pointer on the first member at or after it (else the last member) and
// shows that stock; an empty basket keeps the displayed stock.
void DisplayBasketPosition();

// ---- The basket buttons ("Put in", "Take out", "Top", "Bottom", "Next", "Previous") ---------
void BasketPutIn();
void BasketTakeOut();
void BasketTop();
void BasketBottom();
// Next and Previous search from the pointer for a member; none beeps and changes nothing.
void BasketNext();
void BasketPrevious();

// ---- Basket commands -------------------------------------------------------------------------
// Every loaded stock becomes a member; shows the first ("Fill Stock Basket").
void FillStockBasket();
// Every flag 0, pointer 0, then DisplayBasketPosition ("Empty Stock Basket").
void ClearStockBasket();
// Members leave, every other loaded stock joins; shows the first ("Invert Stock Basket
// content").
void InvertStockBasket();
// Keeps exactly the members that the list names (upper-cased symbols); a missing file (also an
// empty path) changes nothing; then ResetStockBasket.
void IntersectStockBasketWithList(const std::string& ListPath);
// Asks how many members to keep and keeps that many, chosen at random; the caller recounts.
// Bad input beeps.
void NarrowStockBasket();

// Back to the start: empty basket, no pointer, no paths, no remembered stocks.
void ResetStockBasketState();

}  // namespace vel
