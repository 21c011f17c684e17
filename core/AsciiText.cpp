// ASCII case mapping and character tests, independent of the locale.
#include "AsciiText.h"

#include <algorithm>

namespace vel {

namespace {

bool SameNoCase(char a, char b) {
    return ToUpperAscii(a) == ToUpperAscii(b);
}

}  // namespace

std::string ToUpperAscii(std::string text) {
    for (char& c : text) c = ToUpperAscii(c);
    return text;
}

std::string ToLowerAscii(std::string text) {
    for (char& c : text) c = ToLowerAscii(c);
    return text;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), SameNoCase);
}

std::size_t FindNoCase(std::string_view text, std::string_view what, std::size_t from) {
    if (from > text.size()) return std::string_view::npos;
    const auto it = std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(),
                                what.begin(), what.end(), SameNoCase);
    return it == text.end() && !what.empty() ? std::string_view::npos
                                             : static_cast<std::size_t>(it - text.begin());
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

std::string_view TrimAsciiSpace(std::string_view text) {
    while (!text.empty() && IsAsciiSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsAsciiSpace(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace vel
