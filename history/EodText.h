// End-of-day text files as the import reads them: lines ended by any run of CR and LF, fields
// split at commas outside double quotes, each field trimmed and stripped of one pair of
// enclosing quotes, and the kind of each field (number, date or text) in the fixed en-US forms.
// Column 1 of a line is the stock symbol taken from the file's name; the line's fields follow
// as columns 2 to 20.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "NumberText.h"

namespace vel {

constexpr int kImportColumns = 20;
// A line longer than this counts as not matching: it is dropped whole, and the reader never
// holds more than this much of one line.
constexpr std::size_t kMaxEodLineLength = 65536;

// Field kinds, the type codes of the import columns (0 = not defined).
constexpr std::int16_t kKindNumber = 1;
constexpr std::int16_t kKindText = 2;
constexpr std::int16_t kKindDate = 3;

// Carriage return or line feed.
inline bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}
// True for the blank, the comma, CR, LF, any character below the blank, and the empty text
// (the separators between symbols in pasted text).
bool IsTokenSeparator(std::string_view c);

// The field read completely as a number in the en-US form (sign, digits, decimal point,
// exponent): the same numbers that parseNumber accepts.
std::optional<double> ReadNumberField(std::string_view field);
// True when ReadNumberField reads the field (without making the value where it can tell).
bool IsNumberField(std::string_view field);
// The field read as a date in one of the forms "YYYY-M-D" and "YYYY/M/D" (ISO, padded or
// not), "M/D/YYYY", "M/D/YY", "M-D-YYYY", "D-Mon-YY", "D-Mon-YYYY", "Mon D, YYYY",
// "Mon D, YY" or "Mon D YYYY" (English month abbreviations in any case; a two-digit year
// 00-29 is 2000-2029, 30-99 is 1930-1999). Nothing for any other text or an impossible date.
std::optional<Date> ReadDateField(std::string_view field);
// The kind of a field: number, else date, else text (an empty field is text).
std::int16_t FieldKindOf(std::string_view field);

// The line with the text between each pair of double quotes replaced by blanks (the quotes
// and everything outside them kept), so commas inside quotes do not split. `unclosed` is set
// when a quote has no closing partner; the result then ends at that opening quote.
std::string MaskQuotedText(std::string_view line, bool& unclosed);

// The columns of one line. Fields are views into the line given to SplitLineIntoFields and
// into `symbol`; they stay valid while both do.
struct ParsedLine {
    std::array<std::string_view, kImportColumns + 1> field{};  // entries 1..count
    int count = 0;                                             // columns, column 1 included
    bool unclosedQuote = false;                                // the line has no fields
};

// Splits the line into columns 2, 3, ... of `out` (column 1 is the symbol): fields end at
// commas outside quotes; an empty field between commas counts, an empty last field does not.
// Fields beyond column 20 are ignored. A line with an unclosed quote gives count 1 and
// unclosedQuote.
void SplitLineIntoFields(std::string_view line, std::string_view symbol, ParsedLine& out);

// The stock symbol of an import file: its name (without folder) up to its last dot, in upper
// case; the whole name when it has no dot.
std::string SymbolFromFileName(const std::string& pathOrName);

// Cuts text read in chunks into lines. Lines end at any run of CR and LF; empty lines are
// skipped; the text after the last line break is a line too once finish() is called. A line
// longer than kMaxEodLineLength is dropped.
class EodLineReader {
public:
    using LineHandler = std::function<void(std::string_view line)>;
    explicit EodLineReader(LineHandler handler) : handler_(std::move(handler)) {}
    // Hands every line completed within the text to the handler.
    void feed(std::string_view chunk);
    // Hands the unfinished last line, if any, to the handler.
    void finish();

private:
    void deliver(std::string_view line);
    LineHandler handler_;
    std::string pending_;  // the start of a line that continues in the next chunk
    bool overlong_ = false;
};

// Reads a file in chunks of `chunkSize` bytes through an EodLineReader, after a UTF-8 byte-order
// mark at its start; `onChunk` runs once per chunk read (progress). Throws FileError when the
// file cannot be opened or read, or is not a regular file (a FIFO or a device is refused at
// once, never waited on).
void ReadEodFileLines(const std::string& path, const EodLineReader::LineHandler& handler,
                      const std::function<void()>& onChunk = {}, std::size_t chunkSize = 1 << 16);

}  // namespace vel
