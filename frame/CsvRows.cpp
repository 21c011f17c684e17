// The row buffer of the result CSV files.
#include "CsvRows.h"

#include "ProcessState.h"

namespace vel {

CsvRowState CsvRow;

namespace {

const StateGroup<CsvRow> kCsvRowGroup("CsvRow");

std::string JoinItems(const Table1D<std::string>& items) {
    std::string line;
    for (int i = 1; i <= CsvItemCount; ++i) {
        line += items(i);
        if (i < CsvItemCount) line += ", ";
    }
    return line;
}

}  // namespace

std::string CsvTextField(const std::string& text) {
    // A list line that starts with "*" or ";" is read as a comment.
    const bool commentMark = !text.empty() && (text.front() == '*' || text.front() == ';');
    if (!commentMark && text.find_first_of(",\" \r\n") == std::string::npos) return text;
    return CsvQuotedField(text);
}

std::string CsvQuotedField(const std::string& text) {
    std::string field = "\"";
    for (const char c : text) {
        if (c == '"') field += '"';
        field += c;
    }
    field += '"';
    return field;
}

std::optional<std::string> ReadQuotedCsvField(const std::string& text) {
    if (text.empty() || text.front() != '"') return std::nullopt;
    std::string field;
    for (size_t i = 1; i < text.size(); ++i) {
        if (text[i] != '"') {
            field += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '"') {
            field += '"';
            ++i;
        } else {
            return field;
        }
    }
    return std::nullopt;
}

void AddCSVItem(const std::string& header, const std::string& value) {
    const int next = CsvItemCount + 1;
    // Both tables are checked before anything changes, so a full row stays as it was.
    std::string& h = CsvHeader(next);
    std::string& v = CsvValue(next);
    h = header;
    v = value;
    CsvItemCount = static_cast<std::int16_t>(next);
}

std::string GetCSVHeaderLine() {
    return JoinItems(CsvHeader);
}

std::string GetCSVValueLine() {
    return JoinItems(CsvValue);
}

void PrintCSVRow(TextFileWriter& file, std::int32_t rowNumber) {
    if (rowNumber == 1) file.WriteLine(GetCSVHeaderLine());
    file.WriteLine(GetCSVValueLine());
}

}  // namespace vel
