// Stocks for the Stock Basket from outside the stock lists: the symbols in the text of the
// system clipboard (looked up among the loaded symbols, shown in a preview, then added to the
// basket or intersected with it), and the symbol memory, which remembers stocks while the user
// browses and copies them into an empty basket later.
#pragma once

#include <string>

namespace vel {

// The preview of the last parse: its header with the counts, then the strings found.
extern std::string ClipboardPreviewText;

// Cuts the text into strings at blanks, commas, line breaks and the other control characters,
// marks every loaded stock that a string names (BasketFlag 0 becomes 10, 1 becomes 11) and
// builds ClipboardPreviewText: "Clipboard content (" s " strings,  " v " valid ):" and the
// strings, at most 15 lines of them.
void ParseClipboardText(const std::string& ClipboardText);

// "Load stocks from clipboard into Stock Basket": after the offer to empty a non-empty basket,
// shows the preview and adds the stocks found when the user answers Yes.
void LoadClipboardStringsIntoStockBasket();
// "Intersect Stock Basket with stocks from clipboard": keeps the members that the clipboard
// names when the user answers Yes; an empty basket is only reported.
void IntersectStockBasketWithClipboardStrings();

// Remembers the displayed stock (a beep when there is none or it is remembered already).
void MemorizeDisplayedStock();
// Copies the remembered stocks into an empty basket (a beep for an empty memory, a message
// for a basket that is not empty) and shows the first member.
void CopySymbolMemoryToStockBasket();

// Back to the start: no preview.
void ResetClipboardSymbols();

}  // namespace vel
