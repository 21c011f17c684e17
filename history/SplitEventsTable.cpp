// The rows of SplitEvents as the split events editor edits them.
#include "SplitEventsTable.h"

#include <cfloat>
#include <cmath>
#include <utility>

#include "AsciiText.h"
#include "EodText.h"
#include "Errors.h"
#include "FilePaths.h"
#include "FolderHold.h"
#include "HistoryLoad.h"
#include "NumberText.h"

namespace vel {

namespace {

std::string Trimmed(const std::string& text) {
    const size_t b = text.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    const size_t e = text.find_last_not_of(" \t");
    return text.substr(b, e - b + 1);
}

// The declared type of a column of a table, Other when either is missing.
DbType ColumnType(Database& db, const char* table, const char* column) {
    for (const auto& c : db.tableColumns(table))
        if (EqualsNoCase(c.name, column)) return c.type;
    return DbType::Other;
}

// Every change is written at once: it holds the lock of the database's folder while it writes,
// and is refused with the hold's text, logged as every refused writer's is, while a run, an
// import or a command holds it.
void RequireHeld(const FolderHold& hold) {
    if (hold.held()) return;
    LogRefusal(hold);
    throw FileError(RefusalText(hold));
}

}  // namespace

SplitEventsTable::SplitEventsTable(const std::string& databasePath)
    : db_(Database::Open(databasePath)), folder_(FolderOf(databasePath)) {
    if (!db_.tableExists("SplitEvents"))
        throw DatabaseError("Table SplitEvents not found in " + databasePath);
    // Dates are stored in the form of the history's own TradeDate column.
    dateType_ = ColumnType(db_, "History", "TradeDate");
    if (dateType_ == DbType::Other) dateType_ = ColumnType(db_, "SplitEvents", "TradeDate");
    Statement s =
        db_.prepare("SELECT rowid, Symbol, TradeDate, SplitCoef FROM SplitEvents ORDER BY rowid");
    while (s.step())
        rows_.push_back({s.getInteger(0), s.getText(1), DateText(s.get(2)), CoefText(s.get(3))});
}

const char* SplitEventsTable::ColumnName(int column) {
    switch (column) {
        case SymbolColumn:
            return "Symbol";
        case DateColumn:
            return "TradeDate";
        case CoefColumn:
            return "SplitCoef";
        default:
            return "";
    }
}

std::string SplitEventsTable::DateText(const DbValue& v) {
    if (v.isNull()) return {};
    if (v.isText()) return TradeDateText(v.toText(), false, 0.0);
    return TradeDateText("", true, v.toDouble());
}

std::string SplitEventsTable::CoefText(const DbValue& v) {
    if (v.isNull()) return {};
    return formatSingle(static_cast<float>(v.toDouble()));
}

std::optional<std::string> SplitEventsTable::NormaliseSymbol(const std::string& text,
                                                             std::string& message) const {
    std::string symbol = Trimmed(text);
    if (symbol.empty()) {
        message = "Stock symbol is missing!";
        return std::nullopt;
    }
    return ToUpperAscii(std::move(symbol));
}

std::optional<DbValue> SplitEventsTable::NormaliseDate(const std::string& text,
                                                       std::string& message) const {
    const std::string t = Trimmed(text);
    switch (dateType_) {
        case DbType::Date:
            if (const auto d = ReadDateField(t)) return DbValue(formatIsoDate(*d));
            message = "Split date is not a valid date: " + text;
            return std::nullopt;
        case DbType::Double:
        case DbType::Single:
        case DbType::Integer:
            if (const auto n = ReadNumberField(t); n && std::isfinite(*n)) {
                if (dateType_ != DbType::Integer) return DbValue(*n);
                if (std::trunc(*n) == *n && std::fabs(*n) < 9.0e15)
                    return DbValue(static_cast<long long>(*n));
            }
            message = "Split date is not a valid date number: " + text;
            return std::nullopt;
        default:
            if (!t.empty()) return DbValue(t);
            message = "Split date is missing!";
            return std::nullopt;
    }
}

std::optional<double> SplitEventsTable::NormaliseCoef(const std::string& text,
                                                      std::string& message) const {
    const auto n = ReadNumberField(Trimmed(text));
    if (n && std::isfinite(*n) && std::fabs(*n) <= FLT_MAX) return *n;
    message = "Split coefficient is not a number: " + text;
    return std::nullopt;
}

std::string SplitEventsTable::setCell(int row, int column, const std::string& text) {
    Row& r = rows_.at(static_cast<size_t>(row));
    std::string message;
    DbValue value;
    const char* name = ColumnName(column);
    if (column == SymbolColumn) {
        const auto v = NormaliseSymbol(text, message);
        if (!v) return message;
        value = *v;
    } else if (column == DateColumn) {
        const auto v = NormaliseDate(text, message);
        if (!v) return message;
        value = *v;
    } else if (column == CoefColumn) {
        const auto v = NormaliseCoef(text, message);
        if (!v) return message;
        value = *v;
    } else {
        throw SubscriptRangeError("SplitEvents has no column " + std::to_string(column));
    }
    const FolderHold hold(folder_);
    RequireHeld(hold);
    db_.execute(std::string("UPDATE SplitEvents SET ") + name + "=?1 WHERE rowid=?2",
                {value, static_cast<long long>(r.id)});
    // Show what was stored.
    Statement s =
        db_.prepare("SELECT Symbol, TradeDate, SplitCoef FROM SplitEvents WHERE rowid=?1");
    s.bindInteger(1, r.id);
    if (s.step()) {
        r.symbol = s.getText(0);
        r.date = DateText(s.get(1));
        r.coef = CoefText(s.get(2));
    }
    return {};
}

std::string SplitEventsTable::addRow(const std::string& symbol, const std::string& date,
                                     const std::string& coef) {
    std::string message;
    const auto s = NormaliseSymbol(symbol, message);
    if (!s) return message;
    const auto d = NormaliseDate(date, message);
    if (!d) return message;
    const auto c = NormaliseCoef(coef, message);
    if (!c) return message;
    const FolderHold hold(folder_);
    RequireHeld(hold);
    db_.execute("INSERT INTO SplitEvents(Symbol, TradeDate, SplitCoef) VALUES(?1, ?2, ?3)",
                {*s, *d, *c});
    const auto id = db_.scalar("SELECT last_insert_rowid()").toInteger();
    Statement q =
        db_.prepare("SELECT Symbol, TradeDate, SplitCoef FROM SplitEvents WHERE rowid=?1");
    q.bindInteger(1, id);
    q.step();
    rows_.push_back({id, q.getText(0), DateText(q.get(1)), CoefText(q.get(2))});
    return {};
}

void SplitEventsTable::removeRow(int row) {
    const Row& r = rows_.at(static_cast<size_t>(row));
    const FolderHold hold(folder_);
    RequireHeld(hold);
    db_.execute("DELETE FROM SplitEvents WHERE rowid=?1", {static_cast<long long>(r.id)});
    rows_.erase(rows_.begin() + row);
}

}  // namespace vel
