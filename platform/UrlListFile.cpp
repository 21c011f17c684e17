// The lines of URL list files.
#include "UrlListFile.h"

#include <cmath>

#include "DownloadText.h"
#include "NumberText.h"

namespace vel {

namespace {

const std::string kSaveTo = "SaveTo(";
const std::string kClose = "):";

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

}  // namespace

bool TakeLeadingPart(const std::string& text, const std::string& keyword, std::string& value,
                     std::string& rest) {
    if (!StartsWithNoCase(text, keyword)) return false;
    const size_t close = text.find(kClose);
    if (close == std::string::npos || close < keyword.size()) return false;
    value = Trim(text.substr(keyword.size(), close - keyword.size()));
    rest = Trim(text.substr(close + kClose.size()));
    return true;
}

bool IsValidListLine(const std::string& line) {
    const std::string s = Trim(line);
    return StartsWithNoCase(s, kSaveTo) && s.find(kClose, kSaveTo.size()) != std::string::npos;
}

ListEntry SplitListEntry(const std::string& line) {
    ListEntry e;
    std::string name;
    std::string rest;
    if (TakeLeadingPart(Trim(line), kSaveTo, name, rest)) {
        e.fileName = name;
        e.urlPart = rest.substr(0, kMaxUrlPartLength);
    }
    return e;
}

bool ReadUrlList(const std::string& path, std::vector<std::string>& entries) {
    entries.clear();
    LineReader reader(path);
    if (!reader.isOpen()) return false;
    std::string line;
    while (static_cast<int>(entries.size()) < kMaxListEntries && reader.Next(line)) {
        line = Trim(line);
        if (IsValidListLine(line)) entries.push_back(line);
    }
    return true;
}

bool IsSafeSaveName(const std::string& name) {
    if (name.empty() || IsSeparator(name.front())) return false;
    if (name.size() >= 2 && name[1] == ':') return false;  // a drive letter
    if (IsSeparator(name.back())) return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = start;
        while (end < name.size() && !IsSeparator(name[end])) ++end;
        const std::string part = name.substr(start, end - start);
        if (part == "..") return false;
        if (end == name.size() && part == ".") return false;
        start = end + 1;
    }
    return true;
}

std::string SaveNameInFolder(const std::string& name) {
    std::string file;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('/', start);
        if (end == std::string::npos) end = name.size();
        const std::string part = name.substr(start, end - start);
        if (!part.empty() && part != ".") file += (file.empty() ? "" : "/") + part;
        start = end + 1;
    }
    return file;
}

int ListEntriesTaken(int entries, const std::string& maxCountText) {
    const auto limit = parseNumber(maxCountText);
    if (!limit || !(*limit < entries)) return entries < 0 ? 0 : entries;
    return *limit <= 0 ? 0 : static_cast<int>(std::nearbyint(*limit));
}

}  // namespace vel
