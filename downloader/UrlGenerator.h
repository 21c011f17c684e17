// The URL list generator: builds a URL list file from a pattern file (URL list lines with
// placeholders such as "<STOCKSYMBOL>" and "<LINEINDEX>") and a list file of text lines,
// typically stock symbols. Every usable list line yields one output line per pattern line.
#pragma once

#include <string>
#include <vector>

namespace vel {

// At most this many pattern lines are used; reading stops at the last.
constexpr int kMaxPatterns = 50;

// Every occurrence of OldSubstring replaced, found without regard to case. The search goes on
// behind each inserted text, so a replacement that holds the placeholder itself ends; where
// no replacement creates a new occurrence this is the same as searching from the start again.
// An empty OldSubstring leaves the text unchanged.
std::string ReplaceAll(const std::string& InThisString, const std::string& OldSubstring,
                       const std::string& NewSubstring);

// The first word of a line: the trimmed line's text between a leading double quote and the
// next one (or the end); otherwise the text before the first comma or blank, trimmed.
std::string FindFirstWord(const std::string& FromString);

// The pattern line with the placeholders replaced for one list line (trimmed), its first word
// and its number among the used lines, in the order "<LINEINDEX>", "<LINE>", "<LINEUCASE>",
// "<LINELCASE>", "<FIRSTWORD>", "<FIRSTWORDUCASE>", "<FIRSTWORDLCASE>", "<FIRSTCHARUCASE>",
// "<FIRSTCHARLCASE>", "<STOCKSYMBOL>", "<STOCKSYMBOLUCASE>", "<STOCKSYMBOLLCASE>".
std::string ReplacePlaceholders(const std::string& pattern, const std::string& line,
                                const std::string& word, long lineIndex);

// The output path for a pattern and a list file: the list path without its last 4 characters
// & ".eodurls" when the pattern path ends in ".eodpatt" (any case), otherwise ".htmurls".
std::string GeneratedListPath(const std::string& patternPath, const std::string& listPath);

// The usable patterns of a pattern file: trimmed lines that are not empty and do not begin
// with ";" or "*", at most kMaxPatterns.
std::vector<std::string> ReadPatterns(const std::string& patternPath);

// Writes the output file (created anew, CR LF lines). A missing pattern or list file, or a
// pattern file without a usable line, is reported in a message box titled "Vellicor" and
// nothing is written. Shows the hourglass meanwhile.
void GenerateHTMURLs(const std::string& PatternFilePath, const std::string& ListFilePath,
                     const std::string& SaveFilePath);

// The names of the program folder's pattern files (".eodpatt" ones first, then ".htmpatt"),
// and of its list files (".csv" ones first, then ".txt"), each kind sorted by name.
std::vector<std::string> PatternFileNames();
std::vector<std::string> ListFileNames();

// The generation of the window's commands: from the two chosen names (in the program folder)
// to the output file. Beeps and returns "" when a name is empty or its file is missing;
// otherwise generates and returns the output path when the output file exists afterwards.
std::string GenerateFromChoices(const std::string& patternName, const std::string& listName);

}  // namespace vel
