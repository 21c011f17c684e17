// The column analysis of an EOD text file with its preview, the raw table History1 that the
// import fills, and the rows it stores: a line is stored only when every one of its 20
// columns has the kind that the analysis found (so the header line and lines of another shape
// are skipped); number columns hold doubles, text columns upper-case text, date columns ISO
// dates. These are the computing parts; HistoryImport.h adds the status, progress and log.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "AppState.h"
#include "Database.h"
#include "EodText.h"
#include "HistoryState.h"

namespace vel {

// ImportColumnKindCount, ImportPreviewText and ImportPreviewLineCount: HistoryState.h.

// Starts an analysis: counts 0, preview head only, role names emptied.
void BeginColumnAnalysis();
// Takes one line into the counts and the preview while the preview is shorter than 30000
// characters and fewer than 100 lines were taken; later lines change nothing.
void AccumulateColumnPreview(const ParsedLine& line);
// Decides ImportColumnType from the counts and appends the preview's foot. Returns the
// threshold T: half the mean count of the columns that occur; a column takes a kind whose
// count exceeds T (number, then text, then date: a later kind wins).
double FinishColumnAnalysis();
// The characters of a preview line through the end of the last column that holds a field of
// some previewed line (0 when none): the width in which every column with data reads whole.
std::size_t ImportPreviewDataWidth();
// The whole analysis of one file. `onChunk` runs once per chunk read. FileError when the file
// cannot be read.
void AnalyzeTextColumns(const std::string& path, const std::function<void()>& onChunk = {});

// The statement that creates History1: one column per column with a role and a type, in
// column order, named by the role and typed DOUBLE, TEXT or DATE. "CREATE TABLE History1( );"
// when no column qualifies (the engine refuses it).
std::string History1CreateStatement();

// Stores parsed lines into the raw table of an open database (StoreParsedHistoryRecord).
// Reads the column tables once, when made.
class HistoryRowWriter {
public:
    HistoryRowWriter(Database& db, const std::string& table);
    // Stores the line when all 20 columns match ImportColumnType; returns whether it did.
    bool store(const ParsedLine& line);
    std::int64_t storedRows() const { return stored_; }

private:
    TableAppender appender_;
    std::array<std::int16_t, kImportColumns + 1> type_{};
    std::array<int, kImportColumns + 1> field_{};  // appender field of the column, or -1
    std::array<double, kImportColumns + 1> number_{};
    std::array<Date, kImportColumns + 1> date_{};
    std::array<std::string, kImportColumns + 1> text_{};
    std::array<std::array<char, 10>, kImportColumns + 1> iso_{};
    std::int64_t stored_ = 0;
    // Column 1 (the file's symbol) is the same on every line: its kind is found once.
    std::string symbol_;
    std::int16_t symbolKind_ = 0;
};

// Appends the matching lines of one text file to the table; the symbol is taken from the
// file's name. Returns the number of rows stored. FileError / SqlError on failure (the caller
// owns the transaction).
std::int64_t ImportTextFileRows(Database& db, const std::string& table, const std::string& path,
                                const std::function<void()>& onChunk = {});

}  // namespace vel
