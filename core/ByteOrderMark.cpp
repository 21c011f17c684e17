// The UTF-8 byte-order mark at the start of a text.
#include "ByteOrderMark.h"

namespace vel {

namespace {

constexpr int kFirstByte = 0xEF;

}  // namespace

std::size_t ByteOrderMarkLength(std::string_view text) {
    return text.starts_with(kUtf8ByteOrderMark) ? kUtf8ByteOrderMark.size() : 0;
}

void SkipByteOrderMark(std::istream& in) {
    // Only a text that begins like the mark is read ahead; any other is left untouched.
    if (in.peek() != kFirstByte) return;
    const std::istream::pos_type start = in.tellg();
    char head[3];
    in.read(head, sizeof head);
    if (ByteOrderMarkLength(std::string_view(head, static_cast<std::size_t>(in.gcount()))) > 0)
        return;
    in.clear();
    in.seekg(start);
}

void SkipByteOrderMark(std::FILE* file) {
    const int first = std::getc(file);
    if (first != EOF) std::ungetc(first, file);
    if (first != kFirstByte) return;
    const long start = std::ftell(file);
    char head[3];
    const std::size_t n = std::fread(head, 1, sizeof head, file);
    if (ByteOrderMarkLength(std::string_view(head, n)) > 0) return;
    std::fseek(file, start, SEEK_SET);
}

}  // namespace vel
