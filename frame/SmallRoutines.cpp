// Small shared routines.
#include "SmallRoutines.h"

#include <filesystem>
#include <system_error>

#include "AppState.h"
#include "AsciiText.h"
#include "DirectoryListing.h"
#include "EntryPoints.h"
#include "NumberText.h"

namespace vel {

std::string TrimBlanks(const std::string& text) {
    const size_t b = text.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    return text.substr(b, text.find_last_not_of(' ') - b + 1);
}

bool FileExists(const std::string& path) {
    if (TrimBlanks(path).empty()) return false;
    try {
        return !FindFirst(path, EntryKind::Files).empty();
    } catch (...) {
        return false;
    }
}

bool FolderExists(const std::string& path) {
    if (TrimBlanks(path).empty()) return false;
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

std::string StripEnclosingQuotes(const std::string& text) {
    const std::string t = TrimBlanks(text);
    if (t.size() >= 2 && t.front() == '"' && t.back() == '"') return t.substr(1, t.size() - 2);
    return t;
}

void SplitFilePathParts(const std::string& path) {
    ImportFilePath = path;
    const std::string name = FindFirst(path, EntryKind::Files);
    if (name.size() < 4) {
        ImportFileExtUpper = ToUpperAscii(name);
        ImportFileSymbol.clear();
        return;
    }
    ImportFileExtUpper = ToUpperAscii(name.substr(name.size() - 4));
    ImportFileSymbol = ToUpperAscii(name.substr(0, name.size() - 4));
}

std::string PadLeftZeros(std::int16_t n) {
    return formatZeroPadded(n, 4);
}

void FindStockSymbolIndex() {
    defStockSymbolString = ToUpperAscii(TrimBlanks(defStockSymbolString));
    defStockSymbolIndex = 0;
    if (!defStockSymbolString.empty()) {
        const long count = LoadedSymbolCount;
        for (long i = 1; i <= count; ++i) {
            if (ToUpperAscii(TrimBlanks(LoadedSymbols(i))) == defStockSymbolString)
                defStockSymbolIndex = static_cast<std::int16_t>(i);
        }
        if (count > 0 && defStockSymbolIndex == 0) defStockSymbolString.clear();
    }
    if (ChartsCommands.RefreshMenuCaptions) ChartsCommands.RefreshMenuCaptions();
}

}  // namespace vel
