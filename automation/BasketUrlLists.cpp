// URL lists of the Stock Basket.
#include "BasketUrlLists.h"

#include "AppState.h"
#include "AsciiText.h"
#include "Door.h"
#include "Errors.h"
#include "FileDialogs.h"
#include "FilePaths.h"
#include "FolderHold.h"
#include "Hooks.h"
#include "NumberText.h"
#include "SmallRoutines.h"
#include "StockBasket.h"
#include "TextFile.h"

namespace vel {

namespace {

bool IsMember(long i) {
    return BasketFlag(i) == 1;
}

std::string FirstCharLower(const std::string& symbol) {
    const std::string trimmed = TrimBlanks(symbol);
    return trimmed.empty() ? std::string() : ToLowerAscii(trimmed.substr(0, 1));
}

void ReportNotWritten(const std::string& path, const std::exception& e) {
    door().MessageBox("File cannot be written!\r\n" + path + "\r\n" + e.what(), "Vellicor",
                      MsgButtons::OK);
}

// Hourglass on for the writing, off again however it ends.
class Hourglass {
public:
    Hourglass() {
        door().SetHourglass(true);
        YieldToEvents();
    }
    ~Hourglass() {
        door().SetHourglass(false);
        YieldToEvents();
    }
};

}  // namespace

std::string ReplaceAllText(const std::string& text, const std::string& oldText,
                           const std::string& newText) {
    if (oldText.empty()) return text;
    std::string out = text;
    size_t from = 0;
    for (;;) {
        const size_t at = FindNoCase(out, oldText, from);
        if (at == std::string::npos) return out;
        out.replace(at, oldText.size(), newText);
        from = at + newText.size();
    }
}

std::string ApplyResearchPattern(const std::string& pattern, const std::string& symbol) {
    const std::string trimmed = TrimBlanks(symbol);
    const std::string upper = ToUpperAscii(trimmed);
    const std::string lower = ToLowerAscii(trimmed);
    std::string line = ReplaceAllText(pattern, "<STOCKSYMBOL>", upper);
    line = ReplaceAllText(line, "<STOCKSYMBOLUCASE>", upper);
    line = ReplaceAllText(line, "<STOCKSYMBOLLCASE>", lower);
    line = ReplaceAllText(line, "<FIRSTCHARUCASE>", upper.substr(0, 1));
    line = ReplaceAllText(line, "<FIRSTCHARLCASE>", lower.substr(0, 1));
    return line;
}

void GenerateResearchLinksURLs() {
    const std::string patternPath = JoinPath(ProgramFolderPath, "ResearchLinks.htmpatt");
    const std::string outputPath = JoinPath(ProgramFolderPath, "ResearchLinks.htmurls");
    std::vector<std::string> patterns;
    if (FileExists(patternPath)) {
        try {
            for (const auto& line : ReadTextLines(patternPath)) {
                const std::string trimmed = TrimBlanks(line);
                if (trimmed.size() > kMinResearchPatternLength) patterns.push_back(trimmed);
                if (static_cast<int>(patterns.size()) >= kMaxResearchPatterns) break;
            }
        } catch (const FileError&) {
            patterns.clear();
        }
    }
    if (patterns.empty()) {
        door().MessageBox("Problems with ResearchLinks.htmpatt file.", "Vellicor", MsgButtons::OK);
        return;
    }
    bool written = false;
    {
        Hourglass hourglass;
        try {
            TextFileWriter out(outputPath);
            for (long i = 1; i <= LoadedStockCount(); ++i) {
                if (!IsMember(i)) continue;
                for (const auto& pattern : patterns)
                    out.WriteLine(ApplyResearchPattern(pattern, LoadedSymbols(i)));
            }
            out.Close();
            written = true;
        } catch (const FileError& e) {
            ReportNotWritten(outputPath, e);
        }
    }
    if (written) door().MessageBox("Saved to: " + outputPath, "Vellicor", MsgButtons::OK);
}

void WriteBasketURLGroups(TextFileWriter& out, int groupSize, const std::string& name,
                          const std::string& prefix, const std::string& suffix) {
    int lineNumber = 0;
    std::string joined;
    int k = 0;
    const long n = LoadedStockCount();
    for (long i = 1; i <= n; ++i) {
        if (IsMember(i)) {
            ++k;
            joined += (joined.empty() ? "" : "+") + LoadedSymbols(i);
        }
        if (k > 0 && (k == groupSize || i == n)) {
            out.WriteLine(name + formatZeroPadded(++lineNumber, 3) + prefix + joined + suffix);
            joined.clear();
            k = 0;
        }
    }
}

void GenerateBasketResearchURLList() {
    std::string proposal = BasketSaveFilePath;
    if (proposal.empty()) proposal = StockListFilePath;
    if (proposal.empty()) proposal = "BasketResearch.txt";
    BasketSaveFilePath =
        ShowSaveFileDialog("Enter or select text file name.", "Text files (*.txt)|*.txt", proposal);
    if (BasketSaveFilePath.empty()) return;
    // The file may go into a data folder or its RESULTS, which a run may be working on.
    const FolderHold hold(DataFolderOf(BasketSaveFilePath));
    if (!HeldForWriting(hold)) return;
    {
        Hourglass hourglass;
        try {
            // The whole file at once: a failure leaves the old file as it was.
            TextFileWriter out(BasketSaveFilePath);
            const std::string quotes = std::string(kQuoteServiceHost) + "/q?s=";
            WriteBasketURLGroups(out, 100, "BasketQuotes",
                                 std::string(".csv=") + kQuoteServiceHost + "/d/quotes.csv?s=",
                                 "&f=sl1d1t1c1ohgv&e=.csv");
            WriteBasketURLGroups(out, 100, "BasketBasic", "=" + quotes, "&d=v1");
            WriteBasketURLGroups(out, 100, "BasketDayWatch", "=" + quotes, "&d=v2");
            WriteBasketURLGroups(out, 100, "BasketPerformance", "=" + quotes, "&d=v3");
            WriteBasketURLGroups(out, 100, "BasketFundamentals", "=" + quotes, "&d=v4");
            WriteBasketURLGroups(out, 100, "BasketDetailed", "=" + quotes, "&d=t");
            for (long i = 1; i <= LoadedStockCount(); ++i) {
                if (!IsMember(i)) continue;
                const std::string& symbol = LoadedSymbols(i);
                const std::string f = FirstCharLower(symbol);
                out.WriteLine(symbol + "-Profile=" + kResearchHost + "/p/" + f + "/" + symbol +
                              ".html");
                out.WriteLine(symbol + "-Research=" + kResearchHost + "/z/a/" + f + "/" + symbol +
                              ".html");
            }
            out.Close();
        } catch (const FileError& e) {
            ReportNotWritten(BasketSaveFilePath, e);
            return;
        }
    }
    door().Beep();
}

}  // namespace vel
