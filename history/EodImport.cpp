// Column analysis, preview and the rows of the raw table.
#include "EodImport.h"

#include "AsciiText.h"

namespace vel {

namespace {

constexpr std::size_t kCell = 13;

// The text padded with blanks and cut to 13 characters, then two blanks.
void appendCell(std::string& out, std::string_view text) {
    if (text.size() > kCell) text = text.substr(0, kCell);
    out.append(text);
    out.append(kCell - text.size() + 2, ' ');
}

void appendDottedLine(std::string& out) {
    for (int c = 1; c <= kImportColumns; ++c) appendCell(out, ".............");
    out += "\r\n";
}

void appendTwoDigits(char* p, int v) {
    p[0] = static_cast<char>('0' + v / 10);
    p[1] = static_cast<char>('0' + v % 10);
}

}  // namespace

void BeginColumnAnalysis() {
    ImportColumnKindCount.clear();
    for (int c = 1; c <= kImportColumns; ++c) ImportColumnName(c).clear();
    ImportPreviewLineCount = 0;
    ImportPreviewText.clear();
    for (int c = 1; c <= kImportColumns; ++c) appendCell(ImportPreviewText, formatWholeExport(c));
    ImportPreviewText += "\r\n";
    appendDottedLine(ImportPreviewText);
}

void AccumulateColumnPreview(const ParsedLine& line) {
    if (ImportPreviewText.size() >= 30000 || ImportPreviewLineCount >= 100) return;
    ++ImportPreviewLineCount;
    for (int c = 1; c <= line.count; ++c)
        ++ImportColumnKindCount(c, FieldKindOf(line.field[static_cast<size_t>(c)]));
    for (int c = 1; c <= kImportColumns; ++c)
        appendCell(ImportPreviewText, c <= line.count ? line.field[static_cast<size_t>(c)] : "");
    ImportPreviewText += "\r\n";
}

double FinishColumnAnalysis() {
    double total = 0.0;
    int counted = 0;
    for (int c = 1; c <= kImportColumns; ++c) {
        const std::int64_t sum = static_cast<std::int64_t>(ImportColumnKindCount(c, 1)) +
                                 ImportColumnKindCount(c, 2) + ImportColumnKindCount(c, 3);
        if (sum > 0) {
            total += static_cast<double>(sum);
            ++counted;
        }
    }
    const double t = counted > 0 ? total / counted / 2.0 : 0.0;
    appendDottedLine(ImportPreviewText);
    for (int c = 1; c <= kImportColumns; ++c) {
        std::int16_t type = 0;
        for (std::int16_t k = 1; k <= 3; ++k)
            if (ImportColumnKindCount(c, k) > t) type = k;
        ImportColumnType(c) = type;
        if (type == 0) {
            appendCell(ImportPreviewText, "Not defined ");
            continue;
        }
        static const char* const names[] = {"", "NUM ", "TEXT ", "DATE "};
        appendCell(ImportPreviewText,
                   names[type] + formatFixed(ImportColumnKindCount(c, type) * 50.0 / t, 4));
    }
    ImportPreviewText += "\r\n";
    return t;
}

std::size_t ImportPreviewDataWidth() {
    for (int c = kImportColumns; c >= 1; --c)
        for (std::int16_t k = 1; k <= 3; ++k)
            if (ImportColumnKindCount(c, k) > 0)
                return (kCell + 2) * static_cast<std::size_t>(c - 1) + kCell;
    return 0;
}

void AnalyzeTextColumns(const std::string& path, const std::function<void()>& onChunk) {
    BeginColumnAnalysis();
    const std::string symbol = SymbolFromFileName(path);
    ParsedLine parsed;
    ReadEodFileLines(
        path,
        [&](std::string_view line) {
            SplitLineIntoFields(line, symbol, parsed);
            if (!parsed.unclosedQuote) AccumulateColumnPreview(parsed);
        },
        onChunk);
    FinishColumnAnalysis();
}

std::string History1CreateStatement() {
    static const char* const types[] = {"", " DOUBLE", " TEXT", " DATE"};
    std::string sql = "CREATE TABLE History1( ";
    bool first = true;
    for (int c = 1; c <= kImportColumns; ++c) {
        const std::int16_t t = ImportColumnType(c);
        if (ImportColumnName(c).empty() || t < 1 || t > 3) continue;
        if (!first) sql += ", ";
        sql += QuoteIdentifier(ImportColumnName(c));
        sql += types[t];
        first = false;
    }
    sql += " );";
    return sql;
}

// ---- HistoryRowWriter --------------------------------------------------------------------

HistoryRowWriter::HistoryRowWriter(Database& db, const std::string& table) : appender_(db, table) {
    for (int c = 1; c <= kImportColumns; ++c) {
        type_[static_cast<size_t>(c)] = ImportColumnType(c);
        const std::string& name = ImportColumnName(c);
        const bool stored = !name.empty() && ImportColumnType(c) >= 1 && ImportColumnType(c) <= 3;
        field_[static_cast<size_t>(c)] = stored ? appender_.fieldIndex(name) : -1;
    }
}

bool HistoryRowWriter::store(const ParsedLine& line) {
    if (line.unclosedQuote) return false;
    // Every column must have the analysed kind; a column beyond the line's last must have none.
    for (int c = 1; c <= kImportColumns; ++c) {
        const size_t i = static_cast<size_t>(c);
        const std::int16_t t = type_[i];
        if (c > line.count) {
            if (t != 0) return false;
            continue;
        }
        const std::string_view f = line.field[i];
        if (c == 1 && t != 0 && t != kKindDate) {
            if (symbolKind_ == 0 || f != symbol_) {
                symbol_.assign(f);
                symbolKind_ = FieldKindOf(f);
            }
            if (symbolKind_ != t) return false;
            if (t == kKindNumber && field_[i] >= 0) number_[i] = *ReadNumberField(f);
            continue;
        }
        switch (t) {
            case kKindNumber:
                if (field_[i] < 0) {
                    if (!IsNumberField(f)) return false;
                } else {
                    const auto n = ReadNumberField(f);
                    if (!n) return false;
                    number_[i] = *n;
                }
                break;
            case kKindDate: {
                if (IsNumberField(f)) return false;
                const auto d = ReadDateField(f);
                if (!d) return false;
                date_[i] = *d;
                break;
            }
            case kKindText:
                if (IsNumberField(f) || ReadDateField(f)) return false;
                break;
            default:
                return false;
        }
    }
    appender_.addNew();
    for (int c = 1; c <= kImportColumns && c <= line.count; ++c) {
        const size_t i = static_cast<size_t>(c);
        const int field = field_[i];
        if (field < 0) continue;
        switch (type_[i]) {
            case kKindNumber:
                appender_.setDouble(field, number_[i]);
                break;
            case kKindText: {
                std::string& up = text_[i];
                up.assign(line.field[i]);
                for (char& ch : up) ch = ToUpperAscii(ch);
                appender_.setTextStatic(field, up);
                break;
            }
            case kKindDate: {
                char* p = iso_[i].data();
                const Date& d = date_[i];
                appendTwoDigits(p, d.year / 100);
                appendTwoDigits(p + 2, d.year % 100);
                p[4] = '-';
                appendTwoDigits(p + 5, d.month);
                p[7] = '-';
                appendTwoDigits(p + 8, d.day);
                appender_.setTextStatic(field, std::string_view(p, 10));
                break;
            }
            default:
                break;
        }
    }
    appender_.update();
    ++stored_;
    return true;
}

std::int64_t ImportTextFileRows(Database& db, const std::string& table, const std::string& path,
                                const std::function<void()>& onChunk) {
    HistoryRowWriter writer(db, table);
    const std::string symbol = SymbolFromFileName(path);
    ParsedLine parsed;
    ReadEodFileLines(
        path,
        [&](std::string_view line) {
            SplitLineIntoFields(line, symbol, parsed);
            writer.store(parsed);
        },
        onChunk);
    return writer.storedRows();
}

}  // namespace vel
