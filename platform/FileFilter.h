// File dialog filters: the program writes them as "description|pattern|description|pattern"
// (several patterns of one pair separated by ";"); the dialogs want name filters whose
// patterns match regardless of case.
#pragma once

#include <string>
#include <vector>

namespace vel {

// The pattern with every letter made case-free: "*.mdb" gives "*.[mM][dD][bB]".
std::string CaseFreePattern(const std::string& pattern);

// One name filter per description and pattern pair: "description (p1 p2)" with the patterns
// made case-free; "*.*" becomes "*" (every file, also one without a dot). A description
// without a pattern is dropped.
std::vector<std::string> DialogNameFilters(const std::string& filter);

}  // namespace vel
