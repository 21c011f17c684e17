// The Stock Basket, its list files, recount and display, buttons and commands.
#include "StockBasket.h"

#include <algorithm>
#include <random>
#include <vector>

#include "AppState.h"
#include "AsciiText.h"
#include "ChartView.h"
#include "CsvRows.h"
#include "Door.h"
#include "Errors.h"
#include "Hooks.h"
#include "NumberText.h"
#include "SmallRoutines.h"
#include "StockCurves.h"
#include "TextFile.h"
#include "VectorStores.h"

namespace vel {

std::int16_t BasketPointer = 0;
std::int16_t BasketPosition = 0;
std::string StockListFilePath;
std::string BasketSaveFilePath;
Table1D<std::int16_t> SymbolMemoryFlag("SymbolMemoryFlag", 1, kMaxStockItems, 0);
std::int16_t SymbolMemoryCount = 0;

void ClearSymbolMemory() {
    for (long i = 1; i <= kMaxSymbols; ++i) SymbolMemoryFlag(i) = 0;
    SymbolMemoryCount = 0;
}

long LoadedStockCount() {
    return LoadedSymbolCount;
}

namespace {

// text(n): the number with a blank in the sign position when it is not negative.
std::string Text(long n) {
    return formatWholeExport(n);
}

// The chart window's display of the current member: the two position labels, the tree's
// selection and the stock's standard curves.
void DisplayStep() {
    SetChartLabel(ChartLabel::BasketCount, Text(BasketPosition) + " /" + Text(BasketCount));
    SetChartLabel(ChartLabel::Symbols, Text(DisplayedStockIndex) + " /" + Text(LoadedStockCount()));
    YieldToEvents();
    SelectStockInTree(DisplayedStockIndex);
    YieldToEvents();
    DisplayStockCurves();
}

// The first field of a list line, or nothing for a comment line ("*" first). A field that
// starts with a double quote and has its closing quote is one CSV field as the program writes
// it (CsvTextField): its text, commas and blanks kept and doubled quotes undone. Any other
// field is the text before the first comma or blank of the trimmed line, as it stands.
struct ListField {
    std::string text;
    bool quoted = false;
};
std::optional<ListField> LeadingField(const std::string& line) {
    const std::string l = TrimBlanks(line) + ",";
    if (l.front() == '*') return std::nullopt;
    if (auto quoted = ReadQuotedCsvField(l)) return ListField{std::move(*quoted), true};
    const size_t end = l.find_first_of(", ");
    return ListField{l.substr(0, end), false};
}

// The first loaded stock whose symbol equals the text exactly; 0 for none.
long FindLoadedSymbol(const std::string& symbol) {
    const long n = LoadedStockCount();
    for (long i = 1; i <= n; ++i)
        if (LoadedSymbols(i) == symbol) return i;
    return 0;
}

// The lines of a list file, or nothing after a message when it cannot be read.
std::optional<std::vector<std::string>> ReadListFile(const std::string& path) {
    try {
        return ReadTextLines(path);
    } catch (const FileError&) {
        door().MessageBox("The stock list file cannot be read:\r\n" + path, "Vellicor",
                          MsgButtons::OK);
        return std::nullopt;
    }
}

}  // namespace

std::optional<std::string> StockListLineSymbol(const std::string& line) {
    auto field = LeadingField(line);
    if (!field || field->text.empty()) return std::nullopt;
    std::string f = std::move(field->text);
    if (field->quoted) return f;
    if (f.front() == '"') f.erase(0, 1);
    if (!f.empty() && f.back() == '"') f.pop_back();
    if (f.empty()) return std::nullopt;
    return f;
}

std::int16_t PutSymbolIntoStockBasket(const std::string& SymbolText) {
    const std::string s = StripEnclosingQuotes(SymbolText);
    if (s.empty()) return 0;
    const long n = LoadedStockCount();
    for (long i = 1; i <= n; ++i) {
        if (TrimBlanks(LoadedSymbols(i)) != s) continue;
        if (BasketFlag(i) == 0)
            BasketFlag(i) = 10;
        else if (BasketFlag(i) == 1)
            BasketFlag(i) = 11;
        return 1;
    }
    return 0;
}

void EmptyStockBasket() {
    BasketCount = 0;
    const long n = LoadedStockCount();
    for (long i = 1; i <= n; ++i) BasketFlag(i) = 0;
    ResetStockBasket();
}

bool SaveStockBasketList(const std::string& ListPath) {
    std::vector<std::string> lines;
    const long n = LoadedStockCount();
    for (long i = 1; i <= n; ++i)
        if (BasketFlag(i) == 1) lines.push_back(CsvTextField(LoadedSymbols(i)));
    try {
        WriteTextLines(ListPath, lines);
    } catch (const FileError&) {
        door().MessageBox("The stock list file cannot be written:\r\n" + ListPath, "Vellicor",
                          MsgButtons::OK);
        return false;
    }
    return true;
}

void LoadStockListIntoStockBasket(const std::string& ListPath) {
    if (!FileExists(ListPath)) {
        door().Beep();
        return;
    }
    door().SetHourglass(true);
    YieldToEvents();
    const auto lines = ReadListFile(ListPath);
    if (lines) {
        for (const std::string& line : *lines) {
            const auto symbol = StockListLineSymbol(line);
            if (!symbol) continue;
            if (const long i = FindLoadedSymbol(*symbol)) BasketFlag(i) = 1;
        }
    }
    door().SetHourglass(false);
    YieldToEvents();
    if (!lines) return;
    BasketTop();
    YieldToEvents();
}

void ResetStockBasket() {
    const long n = LoadedStockCount();
    DisplayedStockIndex = 1;
    BasketPointer = BasketCount = BasketPosition = 0;
    for (long i = n; i >= 1; --i) {
        if (BasketFlag(i) <= 0) continue;
        BasketFlag(i) = 1;
        ++BasketCount;
        BasketPointer = DisplayedStockIndex = static_cast<std::int16_t>(i);
        BasketPosition = 1;
    }
    RefreshMenuCaptions();
    DisplayStep();
}

void DisplayBasketPosition() {
    const long n = LoadedStockCount();
    const long previous = BasketPointer;
    BasketPointer = BasketCount = BasketPosition = 0;
    long found = 0, foundPosition = 0, last = 0;
    for (long i = 1; i <= n; ++i) {
        if (BasketFlag(i) <= 0) continue;
        BasketFlag(i) = 1;
        ++BasketCount;
        last = i;
        if (!found && i >= previous) {
            found = i;
            foundPosition = BasketCount;
        }
    }
    if (!found && last) {
        found = last;
        foundPosition = BasketCount;
    }
    if (found) {
        BasketPointer = DisplayedStockIndex = static_cast<std::int16_t>(found);
        BasketPosition = static_cast<std::int16_t>(foundPosition);
    }
    DisplayStep();
}

namespace {

void SetDisplayedFlag(std::int16_t flag) {
    const long n = LoadedStockCount();
    if (DisplayedStockIndex < 1 || DisplayedStockIndex > n) {
        DisplayedStockIndex = BasketPointer = 1;
    } else {
        BasketPointer = DisplayedStockIndex;
        BasketFlag(DisplayedStockIndex) = flag;
    }
    DisplayBasketPosition();
}

// Moves the pointer to the nearest member after (direction 1) or before (-1) it.
void StepBasket(int direction) {
    const long n = LoadedStockCount();
    long p = std::clamp<long>(BasketPointer, 1, std::max(1L, n));
    for (long i = p + direction; i >= 1 && i <= n; i += direction) {
        if (BasketFlag(i) == 1) {
            BasketPointer = DisplayedStockIndex = static_cast<std::int16_t>(i);
            DisplayBasketPosition();
            return;
        }
    }
    door().Beep();
}

}  // namespace

void BasketPutIn() {
    SetDisplayedFlag(1);
}

void BasketTakeOut() {
    SetDisplayedFlag(0);
}

void BasketTop() {
    BasketPointer = 1;
    DisplayBasketPosition();
}

void BasketBottom() {
    BasketPointer = static_cast<std::int16_t>(LoadedStockCount());
    DisplayBasketPosition();
}

void BasketNext() {
    StepBasket(1);
}

void BasketPrevious() {
    StepBasket(-1);
}

void FillStockBasket() {
    const long n = LoadedStockCount();
    BasketCount = 0;
    for (long i = 1; i <= n; ++i) {
        BasketFlag(i) = 1;
        BasketCount = static_cast<std::int16_t>(i);
    }
    BasketTop();
    YieldToEvents();
}

void ClearStockBasket() {
    const long n = LoadedStockCount();
    BasketCount = 0;
    for (long i = 1; i <= n; ++i) BasketFlag(i) = 0;
    BasketPointer = 0;
    DisplayBasketPosition();
}

void InvertStockBasket() {
    const long n = LoadedStockCount();
    BasketCount = 0;
    for (long i = 1; i <= n; ++i) {
        if (BasketFlag(i) == 1) {
            BasketFlag(i) = 0;
        } else {
            BasketFlag(i) = 1;
            ++BasketCount;
        }
    }
    BasketTop();
    YieldToEvents();
}

void IntersectStockBasketWithList(const std::string& ListPath) {
    if (TrimBlanks(ListPath).empty() || !FileExists(ListPath)) return;
    const auto lines = ReadListFile(ListPath);
    if (!lines) return;
    for (const std::string& line : *lines) {
        const auto field = LeadingField(line);
        if (!field || field->text.empty()) continue;
        const std::string token =
            ToUpperAscii(field->quoted ? field->text : StripEnclosingQuotes(field->text));
        if (token.empty()) continue;
        const long i = FindLoadedSymbol(token);
        if (i && BasketFlag(i) == 1) BasketFlag(i) = 2;
    }
    const long n = LoadedStockCount();
    BasketCount = 0;
    for (long i = 1; i <= n; ++i) {
        if (BasketFlag(i) == 2) {
            BasketFlag(i) = 1;
            ++BasketCount;
        } else {
            BasketFlag(i) = 0;
        }
    }
    ResetStockBasket();
}

void NarrowStockBasket() {
    const auto answer = door().InputBox(
        "Enter number of stock symbols to remain in the Stock Basket after random selection.",
        "Random selection of stocks.", "20");
    const auto value = answer ? parseNumber(*answer) : std::nullopt;
    if (!value || !(*value > 0 && *value < 30000)) {
        door().Beep();
        return;
    }
    const long keep = static_cast<long>(*value);
    std::vector<long> members;
    const long n = LoadedStockCount();
    for (long i = 1; i <= n && members.size() < static_cast<size_t>(kMaxSymbols); ++i)
        if (BasketFlag(i) == 1) members.push_back(i);
    const long m = static_cast<long>(members.size());
    if (keep >= m) return;
    const DateTime now = door().Now();
    std::mt19937 random(static_cast<unsigned>(dateSerial(now.date) * 86400L + now.hour * 3600L +
                                              now.minute * 60L + now.second));
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    std::vector<bool> chosen(static_cast<size_t>(m), false);
    for (long count = 0; count < keep;) {
        const long j = static_cast<long>(uniform(random) * static_cast<double>(m));
        if (j >= m || chosen[static_cast<size_t>(j)]) continue;
        chosen[static_cast<size_t>(j)] = true;
        ++count;
    }
    for (long j = 0; j < m; ++j)
        if (!chosen[static_cast<size_t>(j)]) BasketFlag(members[static_cast<size_t>(j)]) = 0;
}

void ResetStockBasketState() {
    BasketPointer = BasketPosition = 0;
    StockListFilePath.clear();
    BasketSaveFilePath.clear();
    ClearSymbolMemory();
}

}  // namespace vel
