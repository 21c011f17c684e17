// The UTF-8 byte-order mark that some editors put at the start of a text file. It is no part of
// the text: every reader of a text file that the programs read skips it before the first line,
// so that the first line reads as the user wrote it.
#pragma once

#include <cstddef>
#include <cstdio>
#include <istream>
#include <string_view>

namespace vel {

// The three bytes EF BB BF.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// 3 when the text begins with a byte-order mark, otherwise 0.
std::size_t ByteOrderMarkLength(std::string_view text);

// Moves a stream or a file that stands at the start of its text past a byte-order mark. Without
// a mark it stays where it was; a text that begins with the mark's first byte but not the whole
// mark is read back from there, which needs a file that can seek (a regular file).
void SkipByteOrderMark(std::istream& in);
void SkipByteOrderMark(std::FILE* file);

}  // namespace vel
