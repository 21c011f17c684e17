// URL lists of the Stock Basket: the research link list "ResearchLinks.htmurls" that the
// downloader fetches into "ResearchLinks-HTM/" (from the pattern file "ResearchLinks.htmpatt"
// of the program folder), and the basket research file of named quote and research addresses,
// 100 symbols to a line, for the user's own use.
#pragma once

#include <string>

#include "TextFile.h"

namespace vel {

// The hosts of the quote service and of its research pages (the paths and query keys of the
// addresses are fixed).
inline constexpr const char* kQuoteServiceHost = "http://quote.example.com";
inline constexpr const char* kResearchHost = "http://research.example.com";

// The most patterns read, and the length a trimmed pattern line must exceed.
constexpr int kMaxResearchPatterns = 50;
constexpr std::size_t kMinResearchPatternLength = 10;

// Every occurrence of `oldText`, found without regard to case, replaced by `newText`; the
// search goes on after each inserted text. An empty `oldText` changes nothing.
std::string ReplaceAllText(const std::string& text, const std::string& oldText,
                           const std::string& newText);
// One pattern with the five placeholders of a symbol replaced, in this order: <STOCKSYMBOL>,
// <STOCKSYMBOLUCASE> (the trimmed symbol in capitals), <STOCKSYMBOLLCASE> (in small letters),
// <FIRSTCHARUCASE> and <FIRSTCHARLCASE> (its first character).
std::string ApplyResearchPattern(const std::string& pattern, const std::string& symbol);

// Writes "ResearchLinks.htmurls" anew: for each basket member in stock item order, one line per
// pattern; then "Saved to: " and its path. Without a usable pattern: "Problems with
// ResearchLinks.htmpatt file." and nothing is touched. A file that cannot be written is
// reported.
void GenerateResearchLinksURLs();
// Asks for the basket research file (proposing BasketSaveFilePath, else StockListFilePath,
// else "BasketResearch.txt"; the answer becomes BasketSaveFilePath) and writes it anew: the six
// grouped lists, then a profile and a research line per member; then beeps. A cancelled dialog
// writes nothing; a file that cannot be written is reported.
void GenerateBasketResearchURLList();
// Writes to the open file one list: for every `groupSize` members (and the rest) in stock item
// order the line name, the list's line number (three digits at least), prefix, the members'
// symbols joined by "+" and suffix. Throws FileError when the file cannot be written.
void WriteBasketURLGroups(TextFileWriter& out, int groupSize, const std::string& name,
                          const std::string& prefix, const std::string& suffix);

}  // namespace vel
