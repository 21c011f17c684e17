// Small text routines of the downloader.
#include "DownloadText.h"

#include <algorithm>

#include "ByteOrderMark.h"

namespace vel {

namespace {

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

std::string Trim(const std::string& text) {
    const size_t b = text.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    return text.substr(b, text.find_last_not_of(" \t") - b + 1);
}

std::string ToUpperAscii(std::string text) {
    for (char& c : text) c = Upper(c);
    return text;
}

std::string ToLowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

size_t FindNoCase(const std::string& text, const std::string& what, size_t from) {
    if (from > text.size()) return std::string::npos;
    const auto it =
        std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), what.begin(),
                    what.end(), [](char a, char b) { return Upper(a) == Upper(b); });
    return it == text.end() && !what.empty() ? std::string::npos
                                             : static_cast<size_t>(it - text.begin());
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && FindNoCase(text.substr(0, prefix.size()), prefix) == 0;
}

bool EndsWithNoCase(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           ToUpperAscii(text.substr(text.size() - suffix.size())) == ToUpperAscii(suffix);
}

LineReader::LineReader(const std::string& path) : in_(path, std::ios::binary) {
    if (in_.is_open()) SkipByteOrderMark(in_);
}

bool LineReader::Next(std::string& line) {
    line.clear();
    if (!in_.is_open()) return false;
    bool any = false;
    for (int c = in_.get(); c != std::char_traits<char>::eof(); c = in_.get()) {
        any = true;
        if (c == '\n') return true;
        if (c == '\r') {
            if (in_.peek() == '\n') in_.get();
            return true;
        }
        line += static_cast<char>(c);
    }
    return any;
}

}  // namespace vel
