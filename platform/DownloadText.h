// Small text routines of the downloader's files and URL lists (Vellicor reads the lists too):
// trimming, and a reader that hands out the lines of a text file one at a time, whatever its
// line ends (CR LF, LF or CR). The list and pattern formats ignore the case of ASCII letters
// through core's AsciiText.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>

#include "AsciiText.h"

namespace vel {

// The text without leading and trailing blanks and tabs.
std::string Trim(const std::string& text);

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
