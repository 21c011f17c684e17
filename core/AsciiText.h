// Case mapping and character tests of the programs' texts: keywords, file names, extensions,
// symbols, SQL and number text. They treat the ASCII letters and digits only and are the same
// under every locale, where the C library's toupper and isalpha follow the one Qt took from
// the environment (in Turkish toupper('i') is not 'I'). Other bytes are never letters, digits
// or blanks and keep their case.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vel {

constexpr bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}
constexpr bool IsAsciiUpper(char c) {
    return c >= 'A' && c <= 'Z';
}
constexpr bool IsAsciiLower(char c) {
    return c >= 'a' && c <= 'z';
}
constexpr bool IsAsciiAlpha(char c) {
    return IsAsciiUpper(c) || IsAsciiLower(c);
}
constexpr bool IsAsciiAlnum(char c) {
    return IsAsciiAlpha(c) || IsAsciiDigit(c);
}
// Blank, tab, line feed, vertical tab, form feed and carriage return.
constexpr bool IsAsciiSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

constexpr char ToUpperAscii(char c) {
    return IsAsciiLower(c) ? static_cast<char>(c - 'a' + 'A') : c;
}
constexpr char ToLowerAscii(char c) {
    return IsAsciiUpper(c) ? static_cast<char>(c - 'A' + 'a') : c;
}
// The text with its ASCII letters in capitals, or in small letters; the length stays, so a
// position in the result is the same position in the text.
std::string ToUpperAscii(std::string text);
std::string ToLowerAscii(std::string text);

// Comparisons and searches that take an ASCII letter for its other case.
bool EqualsNoCase(std::string_view a, std::string_view b);
// The position of the first occurrence of `what` at or after `from`, or npos; an empty `what`
// is found at `from` when from <= text size.
std::size_t FindNoCase(std::string_view text, std::string_view what, std::size_t from = 0);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EndsWithNoCase(std::string_view text, std::string_view suffix);

// The text without the leading and trailing bytes that IsAsciiSpace takes for blanks.
std::string_view TrimAsciiSpace(std::string_view text);

}  // namespace vel
