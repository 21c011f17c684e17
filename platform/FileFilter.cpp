// File dialog filters.
#include "FileFilter.h"

#include "AsciiText.h"

namespace vel {

namespace {

std::vector<std::string> Split(const std::string& s, char sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        const size_t pos = s.find(sep, start);
        parts.push_back(
            s.substr(start, pos == std::string::npos ? std::string::npos : pos - start));
        if (pos == std::string::npos) break;
        start = pos + 1;
    }
    return parts;
}

std::string Trim(const std::string& s) {
    const size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

}  // namespace

std::string CaseFreePattern(const std::string& pattern) {
    std::string out;
    for (char c : pattern) {
        if (IsAsciiAlpha(c)) {
            out += '[';
            out += ToLowerAscii(c);
            out += ToUpperAscii(c);
            out += ']';
        } else {
            out += c;
        }
    }
    return out;
}

std::vector<std::string> DialogNameFilters(const std::string& filter) {
    std::vector<std::string> result;
    const auto parts = Split(filter, '|');
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::string patterns;
        for (const auto& p : Split(parts[i + 1], ';')) {
            const std::string t = Trim(p);
            if (t.empty()) continue;
            if (!patterns.empty()) patterns += ' ';
            // "*.*" means every file, also one without a dot, as in the directory listing.
            patterns += t == "*.*" ? std::string("*") : CaseFreePattern(t);
        }
        if (patterns.empty()) continue;
        result.push_back(parts[i] + " (" + patterns + ")");
    }
    return result;
}

}  // namespace vel
