// Small text routines of the downloader: trimming, searches and case changes that ignore
// case as the list and pattern formats do (ASCII letters), and a reader that hands out the
// lines of a text file one at a time, whatever its line ends (CR LF, LF or CR).
#pragma once

#include <cstdint>
#include <fstream>
#include <string>

namespace vel {

// The text without leading and trailing blanks and tabs.
std::string Trim(const std::string& text);
std::string ToUpperAscii(std::string text);
std::string ToLowerAscii(std::string text);
// The position of the first occurrence of `what` at or after `from`, ignoring case, or npos.
// An empty `what` is found at `from` (when from <= text size).
size_t FindNoCase(const std::string& text, const std::string& what, size_t from = 0);
bool StartsWithNoCase(const std::string& text, const std::string& prefix);
bool EndsWithNoCase(const std::string& text, const std::string& suffix);

// Reads a text file line by line without holding it whole, skipping a UTF-8 byte-order mark at
// its start. A last line without an end counts; an empty file has no lines.
class LineReader {
public:
    explicit LineReader(const std::string& path);
    // False when the file could not be opened.
    bool isOpen() const { return in_.is_open(); }
    // The next line without its end, or false at the end of the file.
    bool Next(std::string& line);

private:
    std::ifstream in_;
};

}  // namespace vel
