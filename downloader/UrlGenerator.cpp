// The URL list generator.
#include "UrlGenerator.h"

#include "AppState.h"
#include "AutomationFiles.h"
#include "DirectoryListing.h"
#include "Door.h"
#include "DownloadText.h"
#include "Errors.h"
#include "FilePaths.h"
#include "Hooks.h"
#include "NumberText.h"
#include "TextFile.h"

namespace vel {

namespace {

bool IsCommentOrEmpty(const std::string& trimmed) {
    return trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '*';
}

// The names of the folder's files matching the pattern whose last characters, in capitals,
// are the ending.
void AddNamesEndingIn(std::vector<std::string>& names, const std::string& pattern,
                      const std::string& ending) {
    for (const auto& name : ListDirectory(ProgramFolderPath, pattern, EntryKind::Files))
        if (EndsWithNoCase(name, ending)) names.push_back(name);
}

}  // namespace

std::string ReplaceAll(const std::string& InThisString, const std::string& OldSubstring,
                       const std::string& NewSubstring) {
    std::string s = InThisString;
    if (OldSubstring.empty()) return s;
    for (size_t at = FindNoCase(s, OldSubstring); at != std::string::npos;
         at = FindNoCase(s, OldSubstring, at + NewSubstring.size()))
        s.replace(at, OldSubstring.size(), NewSubstring);
    return s;
}

std::string FindFirstWord(const std::string& FromString) {
    const std::string s = Trim(FromString);
    if (!s.empty() && s.front() == '"') {
        const size_t close = s.find('"', 1);
        return close == std::string::npos ? s.substr(1) : s.substr(1, close - 1);
    }
    return Trim(s.substr(0, s.find_first_of(", ")));
}

std::string ReplacePlaceholders(const std::string& pattern, const std::string& line,
                                const std::string& word, long lineIndex) {
    const std::string first = word.substr(0, 1);
    const std::pair<const char*, std::string> values[] = {
        {"<LINEINDEX>", formatZeroPadded(lineIndex, 4)},
        {"<LINE>", line},
        {"<LINEUCASE>", ToUpperAscii(line)},
        {"<LINELCASE>", ToLowerAscii(line)},
        {"<FIRSTWORD>", word},
        {"<FIRSTWORDUCASE>", ToUpperAscii(word)},
        {"<FIRSTWORDLCASE>", ToLowerAscii(word)},
        {"<FIRSTCHARUCASE>", ToUpperAscii(first)},
        {"<FIRSTCHARLCASE>", ToLowerAscii(first)},
        {"<STOCKSYMBOL>", word},
        {"<STOCKSYMBOLUCASE>", ToUpperAscii(word)},
        {"<STOCKSYMBOLLCASE>", ToLowerAscii(word)},
    };
    std::string s = pattern;
    for (const auto& [placeholder, value] : values) s = ReplaceAll(s, placeholder, value);
    return s;
}

std::string GeneratedListPath(const std::string& patternPath, const std::string& listPath) {
    const std::string base = listPath.size() >= 4 ? listPath.substr(0, listPath.size() - 4) : "";
    return base + (EndsWithNoCase(patternPath, ".eodpatt") ? ".eodurls" : ".htmurls");
}

std::vector<std::string> ReadPatterns(const std::string& patternPath) {
    std::vector<std::string> patterns;
    LineReader reader(patternPath);
    std::string line;
    while (static_cast<int>(patterns.size()) < kMaxPatterns && reader.Next(line)) {
        line = Trim(line);
        if (!IsCommentOrEmpty(line)) patterns.push_back(line);
    }
    return patterns;
}

void GenerateHTMURLs(const std::string& PatternFilePath, const std::string& ListFilePath,
                     const std::string& SaveFilePath) {
    if (!IsFilePresent(PatternFilePath)) {
        door().MessageBox("No valid pattern file! End of generating!", "Vellicor", MsgButtons::OK);
        return;
    }
    if (!IsFilePresent(ListFilePath)) {
        door().MessageBox("No valid list file! End of generating!", "Vellicor", MsgButtons::OK);
        return;
    }
    const std::vector<std::string> patterns = ReadPatterns(PatternFilePath);
    if (patterns.empty()) {
        door().MessageBox("No valid pattern string! End of generating!", "Vellicor",
                          MsgButtons::OK);
        return;
    }
    door().SetHourglass(true);
    YieldToEvents();
    try {
        TextFileWriter out(SaveFilePath);
        LineReader list(ListFilePath);
        long lineIndex = 0;
        std::string line;
        while (list.Next(line)) {
            line = Trim(line);
            if (IsCommentOrEmpty(line)) continue;
            const std::string word = FindFirstWord(line);
            if (word.empty()) continue;
            ++lineIndex;
            for (const auto& pattern : patterns)
                out.WriteLine(ReplacePlaceholders(pattern, line, word, lineIndex));
        }
        out.Close();
    } catch (const FileError& e) {
        door().SetHourglass(false);
        door().MessageBox(e.what(), "Vellicor", MsgButtons::OK);
        return;
    }
    door().SetHourglass(false);
    YieldToEvents();
}

std::vector<std::string> PatternFileNames() {
    std::vector<std::string> names;
    AddNamesEndingIn(names, "*.eodpatt", ".eodpatt");
    AddNamesEndingIn(names, "*.htmpatt", ".htmpatt");
    return names;
}

std::vector<std::string> ListFileNames() {
    std::vector<std::string> names;
    AddNamesEndingIn(names, "*.csv", ".csv");
    AddNamesEndingIn(names, "*.txt", ".txt");
    return names;
}

std::string GenerateFromChoices(const std::string& patternChoice, const std::string& listChoice) {
    const std::string patternName = Trim(patternChoice);
    const std::string listName = Trim(listChoice);
    if (patternName.empty() || listName.empty()) {
        door().Beep();
        return {};
    }
    const std::string patternPath = JoinPath(ProgramFolderPath, patternName);
    const std::string listPath = JoinPath(ProgramFolderPath, listName);
    if (!IsFilePresent(patternPath) || !IsFilePresent(listPath)) {
        door().Beep();
        return {};
    }
    const std::string output = GeneratedListPath(patternPath, listPath);
    GenerateHTMURLs(patternPath, listPath, output);
    return IsFilePresent(output) ? output : std::string();
}

}  // namespace vel
