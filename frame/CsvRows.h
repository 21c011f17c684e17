// The rows of the result CSV files: a writer collects the cells of one row as pairs of a column
// header and a value, then prints the row to the file it has opened; the header line is
// printed once, before row 1. Cells are written as the caller formatted them, joined by ", ",
// and every line ends with CR LF; a caller passes a symbol (which comes from a file name and
// may hold a comma) through CsvTextField, and a quoted text through CsvQuotedField.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "Tables.h"
#include "TextFile.h"

namespace vel {

// The most items one row holds.
constexpr int kMaxCsvItems = 100;

// The row buffer: items 1..CsvItemCount hold the current row (index 0 holds nothing). A writer
// sets CsvItemCount to 0 before it adds the items of each row.
struct CsvRowState {
    Table1D<std::string> CsvHeader{"CsvHeader", 0, kMaxCsvItems};  // 0..100
    Table1D<std::string> CsvValue{"CsvValue", 0, kMaxCsvItems};    // 0..100
    std::int16_t CsvItemCount = 0;                                 // 0..100
    bool operator==(const CsvRowState&) const = default;
};
extern CsvRowState CsvRow;
inline Table1D<std::string>& CsvHeader = CsvRow.CsvHeader;
inline Table1D<std::string>& CsvValue = CsvRow.CsvValue;
inline std::int16_t& CsvItemCount = CsvRow.CsvItemCount;

// A text as one field of a CSV table: unchanged unless it holds a comma, a double quote, a
// blank, CR or LF, or starts with "*" or ";"; then CsvQuotedField, so that a reader finds one
// field and the columns after it stay in place (a stock list reader ends a bare field at its
// first comma or blank), and a line it starts is not skipped as a comment.
std::string CsvTextField(const std::string& text);
// The text enclosed in double quotes with every double quote inside doubled (RFC 4180): the
// one quoting rule of every CSV field the programs write.
std::string CsvQuotedField(const std::string& text);
// The text of the quoted CSV field that starts the text (a double quote first), with its
// doubled quotes undone; what follows its closing quote is not looked at. Nothing when the
// text does not start with a double quote or its field has no closing quote.
std::optional<std::string> ReadQuotedCsvField(const std::string& text);

// Appends one item to the row. A 101st item raises SubscriptRangeError and leaves the buffer
// as it was.
void AddCSVItem(const std::string& header, const std::string& value);

// The headers (values) of items 1..CsvItemCount joined by ", "; "" for an empty row.
std::string GetCSVHeaderLine();
std::string GetCSVValueLine();

// Prints the header line first when rowNumber is 1, then the value line, each as one line of
// the file. Throws FileError on a failed write.
void PrintCSVRow(TextFileWriter& file, std::int32_t rowNumber);

}  // namespace vel
