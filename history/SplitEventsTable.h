// The rows of the table SplitEvents as the split events editor shows and changes them: one
// row per event (Symbol, TradeDate, SplitCoef), each change validated, normalised and written
// to the database at once, as a data-bound grid does. A symbol is stored trimmed and in upper
// case and a date in the form of the History table's TradeDate column, so that an edited event
// matches the history's rows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Database.h"

namespace vel {

class SplitEventsTable {
public:
    enum Column { SymbolColumn = 0, DateColumn = 1, CoefColumn = 2 };
    static constexpr int kColumnCount = 3;

    struct Row {
        std::int64_t id = 0;  // the row's key in the database
        std::string symbol;   // the texts shown
        std::string date;
        std::string coef;
    };

    // Opens the database (never creating it) and reads the events in their stored order.
    // DatabaseError (or SqlError) when it cannot be opened or has no SplitEvents table.
    explicit SplitEventsTable(const std::string& databasePath);

    int rowCount() const { return static_cast<int>(rows_.size()); }
    const Row& row(int i) const { return rows_.at(static_cast<size_t>(i)); }
    // The header of a column: "Symbol", "TradeDate", "SplitCoef".
    static const char* ColumnName(int column);

    // Each change below holds the lock of the database's folder (FolderHold) while it writes;
    // FileError with the refusal text (RefusalText), changing nothing, after the refusal's log
    // line (LogRefusal), while a run, an import or a command holds it.
    // Writes one cell of an existing row. Returns "" when it was written, otherwise the
    // message that says why the text was refused (the row is then unchanged). SqlError when
    // the database refuses the write.
    std::string setCell(int row, int column, const std::string& text);
    // Adds an event from the three texts: "" when added (as the last row), else the refusal.
    std::string addRow(const std::string& symbol, const std::string& date, const std::string& coef);
    // Deletes a row from the database and the table.
    void removeRow(int row);

    // The normalised values of the texts, or nothing with `message` set to the refusal.
    std::optional<std::string> NormaliseSymbol(const std::string& text, std::string& message) const;
    std::optional<DbValue> NormaliseDate(const std::string& text, std::string& message) const;
    std::optional<double> NormaliseCoef(const std::string& text, std::string& message) const;

private:
    static std::string DateText(const DbValue& v);
    static std::string CoefText(const DbValue& v);

    Database db_;
    std::string folder_;  // the database's folder, whose lock a change holds
    DbType dateType_ = DbType::Other;
    std::vector<Row> rows_;
};

}  // namespace vel
