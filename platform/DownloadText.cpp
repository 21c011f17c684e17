// Small text routines of the downloader's files and URL lists.
#include "DownloadText.h"

#include "ByteOrderMark.h"

namespace vel {

std::string Trim(const std::string& text) {
    const size_t b = text.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    return text.substr(b, text.find_last_not_of(" \t") - b + 1);
}

LineReader::LineReader(const std::string& path) : in_(path, std::ios::binary) {
    if (in_.is_open()) SkipByteOrderMark(in_);
}

bool LineReader::Next(std::string& line) {
    line.clear();
    if (!in_.is_open()) return false;
    // The characters straight from the stream's buffer: a list of 10000 lines is read in a
    // fraction of the time that a checked read of every character takes.
    std::streambuf& in = *in_.rdbuf();
    constexpr int kEnd = std::char_traits<char>::eof();
    bool any = false;
    for (int c = in.sbumpc(); c != kEnd; c = in.sbumpc()) {
        any = true;
        if (c == '\n') return true;
        if (c == '\r') {
            if (in.sgetc() == '\n') in.sbumpc();
            return true;
        }
        line += static_cast<char>(c);
    }
    return any;
}

}  // namespace vel
