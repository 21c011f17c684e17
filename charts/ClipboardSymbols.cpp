// The clipboard import and the symbol memory of the Stock Basket.
#include "ClipboardSymbols.h"

#include "AppState.h"
#include "Door.h"
#include "EodText.h"
#include "Hooks.h"
#include "NumberText.h"
#include "ProcessState.h"
#include "StockBasket.h"
#include "TextFile.h"

namespace vel {

std::string ClipboardPreviewText;

namespace {

const bool kRegistered = [] {
    RegisterProcessStateGroup(
        {"ClipboardSymbols", &ResetClipboardSymbols, [] { return ClipboardPreviewText.empty(); }});
    return true;
}();

// Parses the clipboard's text and asks the question under the preview; true for Yes.
bool AskAboutClipboard(const std::string& question) {
    ParseClipboardText(door().ClipboardText());
    ClipboardPreviewText += std::string(kCrLf) + kCrLf + question;
    return door().MessageBox(ClipboardPreviewText, "Vellicor", MsgButtons::YesNo) == MsgAnswer::Yes;
}

// Resolves the marks of a parse: the flags in `keep` become members, every other flag 0.
void KeepFlags(std::initializer_list<std::int16_t> keep) {
    const long n = LoadedStockCount();
    for (long i = 1; i <= n; ++i) {
        bool member = false;
        for (std::int16_t flag : keep) member = member || BasketFlag(i) == flag;
        BasketFlag(i) = member ? 1 : 0;
    }
}

}  // namespace

void ParseClipboardText(const std::string& ClipboardText) {
    door().SetHourglass(true);
    YieldToEvents();
    std::string preview;
    long strings = 0, valid = 0, lines = 0, width = 0;
    enum { Waiting, Starting, Inside } state = Waiting;
    std::string token;
    const std::string text = ClipboardText + " ";  // the last string is always ended
    for (char c : text) {
        const bool separator = IsTokenSeparator(std::string_view(&c, 1));
        if (state == Waiting && !separator) {
            token.assign(1, c);
            state = Starting;
        } else if (state == Inside) {
            if (separator) {
                ++strings;
                valid += PutSymbolIntoStockBasket(token);
                if (lines < 15) {
                    preview += token + ", ";
                    width += static_cast<long>(token.size()) + 2;
                    if (width > 50) {
                        preview += kCrLf;
                        width = 0;
                        ++lines;
                        if (lines == 15)
                            preview += std::string(" .......... continued .......... ") + kCrLf;
                    }
                }
                state = Waiting;
            } else {
                token += c;
            }
        }
        if (state == Starting) state = Inside;
    }
    ClipboardPreviewText = "Clipboard content (" + formatWholeExport(strings) + " strings,  " +
                           formatWholeExport(valid) + " valid ):" + kCrLf + "   " + kCrLf + preview;
    door().SetHourglass(false);
    YieldToEvents();
}

void LoadClipboardStringsIntoStockBasket() {
    if (BasketCount > 0 &&
        door().MessageBox("Stock Basket is not empty. Do you wish to empty Stock Basket?",
                          "Vellicor", MsgButtons::YesNo) == MsgAnswer::Yes)
        ClearStockBasket();
    if (AskAboutClipboard("Do you wish to LOAD strings into Stock Basket?"))
        KeepFlags({1, 10, 11});
    else
        KeepFlags({1, 11});
    ResetStockBasket();
}

void IntersectStockBasketWithClipboardStrings() {
    if (BasketCount == 0) {
        door().MessageBox("Stock Basket is empty. No intersection is possible!", "Vellicor",
                          MsgButtons::OK);
        return;
    }
    if (AskAboutClipboard("Do you wish to INTERSECT Stock Basket with the strings?"))
        KeepFlags({11});
    else
        KeepFlags({1, 11});
    ResetStockBasket();
}

void MemorizeDisplayedStock() {
    if (SymbolMemoryCount > kMaxSymbols || DisplayedStockIndex < 1 ||
        DisplayedStockIndex > LoadedStockCount()) {
        door().Beep();
        return;
    }
    if (SymbolMemoryFlag(DisplayedStockIndex) == 1)
        door().Beep();
    else
        SymbolMemoryFlag(DisplayedStockIndex) = 1;
    SymbolMemoryCount = 0;
    for (long i = 1; i <= kMaxSymbols; ++i)
        if (SymbolMemoryFlag(i) == 1) ++SymbolMemoryCount;
}

void CopySymbolMemoryToStockBasket() {
    if (SymbolMemoryCount < 1) {
        door().Beep();
        return;
    }
    if (BasketCount != 0) {
        door().MessageBox("Please, make Stock Basket empty, first!", "Vellicor", MsgButtons::OK);
        return;
    }
    for (long i = 1; i <= kMaxSymbols; ++i) BasketFlag(i) = SymbolMemoryFlag(i);
    BasketCount = SymbolMemoryCount;
    BasketTop();
}

void ResetClipboardSymbols() {
    ClipboardPreviewText.clear();
}

}  // namespace vel
