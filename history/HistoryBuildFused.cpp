// The fused road of the database build: History1 is read once and what the intermediate tables
// History2, History3 and History4 would hold is kept in memory, one small record per raw row, so
// that only the tables that stay are written. The small tables come from the same make-table
// selects as on the step-by-step road, run over temporary tables of the counts, and History is
// written by one bulk insert in the order of its key: the finished database is the one that the
// step-by-step road leaves, table for table and row for row.
#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "AppState.h"
#include "AsciiText.h"
#include "HistoryBuild.h"
#include "HistoryBuildSteps.h"
#include "Hooks.h"
#include "Progress.h"

namespace vel {

using namespace build;

namespace {

// The tables that the build makes. One that is there already takes the step-by-step road,
// whose engine error names it.
const char* const kMadeTables[] = {"History2",    "History3",    "History4",
                                   "SplitEvents", "TradeDates1", "TradeDates",
                                   "DayCount",    "History",     "DayMoney"};

// The column of that name (any case); the columns were checked to hold it.
const DbColumn& ColumnNamed(const std::vector<DbColumn>& columns, std::string_view name) {
    for (const auto& c : columns)
        if (EqualsNoCase(c.name, name)) return c;
    throw SqlError(1, "Item not found in this collection: " + std::string(name));
}

std::string ColumnList(const std::vector<DbColumn>& columns) {
    std::string list = "(";
    for (const auto& c : columns) {
        if (list.size() > 1) list += ", ";
        list += QuoteIdentifier(c.name) + ' ' + c.declared;
    }
    return list + ')';
}

struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const noexcept {
        return std::hash<std::string_view>{}(s);
    }
};

// Texts numbered from 0 in the order of their first appearance.
class TextNumbers {
public:
    std::uint32_t add(std::string_view text) {
        const auto it = numbers_.find(text);
        if (it != numbers_.end()) return it->second;
        const auto n = static_cast<std::uint32_t>(texts_.size());
        texts_.emplace_back(text);
        numbers_.emplace(texts_.back(), n);
        return n;
    }
    std::optional<std::uint32_t> find(std::string_view text) const {
        const auto it = numbers_.find(text);
        if (it == numbers_.end()) return std::nullopt;
        return it->second;
    }
    const std::string& text(std::uint32_t n) const { return texts_[n]; }
    std::uint32_t size() const { return static_cast<std::uint32_t>(texts_.size()); }

private:
    std::unordered_map<std::string, std::uint32_t, TextHash, std::equal_to<>> numbers_;
    std::vector<std::string> texts_;
};

// Date texts numbered like TextNumbers; the ISO dates of the years 1900 to 2099, which the
// import stores, are found through a table by year, month and day instead of a hash.
class DateNumbers {
public:
    std::uint32_t add(std::string_view text) {
        const int slot = Slot(text);
        if (slot < 0) return texts_.add(text);
        std::uint32_t& n = bySlot_[static_cast<size_t>(slot)];
        if (n == 0) n = texts_.add(text) + 1;
        return n - 1;
    }
    std::optional<std::uint32_t> find(std::string_view text) const { return texts_.find(text); }
    const std::string& text(std::uint32_t n) const { return texts_.text(n); }
    std::uint32_t size() const { return texts_.size(); }

private:
    // The slot of "YYYY-MM-DD" with a plausible year, month and day; -1 for any other text.
    static int Slot(std::string_view t) {
        if (t.size() != 10 || t[4] != '-' || t[7] != '-') return -1;
        int v[10] = {};
        for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
            if (t[i] < '0' || t[i] > '9') return -1;
            v[i] = t[i] - '0';
        }
        const int y = v[0] * 1000 + v[1] * 100 + v[2] * 10 + v[3];
        const int m = v[5] * 10 + v[6], d = v[8] * 10 + v[9];
        if (y < 1900 || y > 2099 || m < 1 || m > 12 || d < 1 || d > 31) return -1;
        return ((y - 1900) * 12 + (m - 1)) * 31 + (d - 1);
    }
    std::vector<std::uint32_t> bySlot_ = std::vector<std::uint32_t>(200 * 12 * 31, 0);
    TextNumbers texts_;
};

// One row of History2 as the rest of the build needs it.
struct RawRow {
    std::uint32_t symbol;  // its number in RawTable::symbols
    std::uint32_t date;    // its number in RawTable::dates
    float price, volume;   // as single, as the completion reads them
};

// History2 in memory.
struct RawTable {
    std::int64_t rawCount = 0;  // rows of History1
    TextNumbers symbols;
    DateNumbers dates;
    std::vector<RawRow> rows;           // grouped by symbol, in History1's order within one
    std::vector<std::size_t> starts;    // rows of symbol s: starts[s] .. starts[s + 1] - 1
    std::vector<std::int32_t> perDate;  // rows of each date
};

// Reads History1 into `raw`: the rows with a price and a volume above 0, as History2 keeps
// them. False as soon as a row needs the step-by-step road: a price or volume that is not a
// number (text compares above every number there) or beyond the single range, a symbol or date
// that is not text (null, a number, a blob), or one symbol twice on one date (which of the two
// the completion takes would depend on a sort).
bool ReadRawTable(Database& db, RawTable& raw) {
    // Rows are appended to History1 only, so its largest rowid is about its row count.
    const std::int64_t rowids = db.scalar("SELECT max(rowid) FROM History1").toInteger();
    raw.rows.reserve(static_cast<size_t>(std::clamp<std::int64_t>(rowids, 0, 1 << 28)));
    Statement rs = db.prepare("SELECT Symbol, TradeDate, Price, Volume FROM History1");
    std::string lastText;
    std::uint32_t last = 0;
    bool grouped = true;
    std::vector<bool> seen;  // symbols whose rows ended already
    while (rs.step()) {
        ++raw.rawCount;
        if (raw.rawCount % 65536 == 0) YieldToEvents();
        if (rs.isNull(2) || rs.isNull(3)) continue;
        if (!rs.isNumeric(2) || !rs.isNumeric(3)) return false;
        const double price = rs.getDouble(2), volume = rs.getDouble(3);
        if (!(price > 0) || !(volume > 0)) continue;
        if (!rs.isText(0) || !rs.isText(1)) return false;
        const float p = static_cast<float>(price), v = static_cast<float>(volume);
        if (std::isinf(p) || std::isinf(v)) return false;
        const std::string_view symbol = rs.getTextView(0);
        if (raw.rows.empty() || symbol != lastText) {
            if (!raw.rows.empty()) seen[last] = true;
            last = raw.symbols.add(symbol);
            if (last == seen.size()) seen.push_back(false);
            grouped = grouped && !seen[last];
            lastText.assign(symbol);
        }
        raw.rows.push_back({last, raw.dates.add(rs.getTextView(1)), p, v});
    }
    const std::uint32_t symbols = raw.symbols.size();
    raw.starts.assign(symbols + 1, 0);
    for (const RawRow& r : raw.rows) ++raw.starts[r.symbol + 1];
    for (std::uint32_t s = 0; s < symbols; ++s) raw.starts[s + 1] += raw.starts[s];
    if (!grouped) {
        std::vector<RawRow> sorted(raw.rows.size());
        std::vector<std::size_t> next(raw.starts.begin(), raw.starts.end() - 1);
        for (const RawRow& r : raw.rows) sorted[next[r.symbol]++] = r;
        raw.rows = std::move(sorted);
    }
    raw.perDate.assign(raw.dates.size(), 0);
    std::vector<std::uint32_t> stamp(raw.dates.size(), 0);
    for (std::uint32_t s = 0; s < symbols; ++s) {
        for (std::size_t k = raw.starts[s]; k < raw.starts[s + 1]; ++k) {
            const std::uint32_t d = raw.rows[k].date;
            if (stamp[d] == s + 1) return false;
            stamp[d] = s + 1;
            ++raw.perDate[d];
        }
    }
    return true;
}

// Whether the fused road takes the raw table with these columns: none of the tables it makes is
// there, every column has a declared type (a make-table select needs one), and none is called
// SplitCoef or DateNum, which History2 and History3 add.
bool FusedRoadTakes(Database& db, const std::vector<DbColumn>& columns) {
    for (const char* table : kMadeTables)
        if (db.tableExists(table)) return false;
    if (columns.size() + 2 > 64) return false;
    for (const auto& c : columns)
        if (c.declared.empty() || EqualsNoCase(c.name, "SplitCoef") ||
            EqualsNoCase(c.name, "DateNum"))
            return false;
    return true;
}

// Makes `table` (TradeDates1 or DayCount) with the columns `column` and `countName` INTEGER: the
// texts and their counts, through a make-table select over a temporary table of them in the
// order of the texts, which gives the rows and the order that grouping the intermediate table
// by that column gives.
void MakeCountTable(Database& db, const std::string& table, const DbColumn& column,
                    const std::string& countName,
                    const std::vector<std::pair<std::string_view, std::int32_t>>& counts) {
    const std::string name = QuoteIdentifier(column.name);
    db.prepare("CREATE TEMP TABLE vel_Counts (" + name + ' ' + column.declared + ", " +
               QuoteIdentifier(countName) + " INTEGER)")
        .run();
    {
        Statement insert = db.prepare("INSERT INTO temp.vel_Counts VALUES (?1, ?2)");
        for (const auto& [text, count] : counts) {
            insert.reset();
            insert.bindTextStatic(1, text);
            insert.bindInteger(2, count);
            insert.run();
        }
    }
    db.selectInto(table,
                  "SELECT " + name + ", " + QuoteIdentifier(countName) +
                      " FROM temp.vel_Counts ORDER BY " + name,
                  {}, {{countName, DbType::Integer}});
    db.prepare("DROP TABLE temp.vel_Counts").run();
}

// What a column of History holds.
enum class Role { Symbol, TradeDate, Price, Volume, SplitCoef, DateNum, Empty };

// The dense rows of History, as the completion step writes them: for each kept symbol in the
// order given, one row per DateNum of the window from `fromDateNum` on, the day arrays filled
// from the symbol's rows and their price gaps filled. A symbol without a row in the window
// has no rows. The day arrays are cleared after each symbol.
class CompletionRows : public RowSource {
public:
    CompletionRows(const RawTable& raw, const std::vector<std::uint32_t>& symbols,
                   const std::vector<std::int32_t>& dateNums, const CompletionWindow& window,
                   const std::vector<DbValue>& tradeDates, const std::vector<Role>& roles,
                   int fromDateNum, bool progress)
        : raw_(raw),
          symbols_(symbols),
          dateNums_(dateNums),
          window_(window),
          tradeDates_(tradeDates),
          roles_(roles),
          fromIndex_(std::max(1, fromDateNum - window.first + 1)),
          progress_(progress) {}

    bool next() override {
        if (loaded_ && ++day_ <= window_.dayCount) return true;
        while (nextSymbol()) {
            day_ = fromIndex_;
            if (day_ <= window_.dayCount) return true;
        }
        return false;
    }

    void value(int column, RowValue& out) override {
        switch (roles_[static_cast<size_t>(column)]) {
            case Role::Symbol:
                out.setText(raw_.symbols.text(symbols_[k_ - 1]));
                break;
            case Role::TradeDate:
                out.set(tradeDates_[static_cast<size_t>(day_)]);
                break;
            case Role::Price:
                out.setDouble(SymbolDayPrices(day_));
                break;
            case Role::Volume:
                out.setDouble(SymbolDayVolumes(day_));
                break;
            case Role::SplitCoef:
                out.setDouble(1.0);
                break;
            case Role::DateNum:
                out.setInteger(window_.first + day_ - 1);
                break;
            case Role::Empty:
                out.setNull();
                break;
        }
    }

private:
    // Loads the day arrays of the next symbol with a row in the window; false after the last.
    bool nextSymbol() {
        if (loaded_) ClearDayArrays();
        loaded_ = false;
        while (k_ < symbols_.size()) {
            const std::uint32_t s = symbols_[k_++];
            if (progress_) ProgressStep();
            for (std::size_t r = raw_.starts[s]; r < raw_.starts[s + 1]; ++r) {
                const RawRow& row = raw_.rows[r];
                const std::int32_t dateNum = dateNums_[row.date];
                if (dateNum == 0 || dateNum < window_.first || dateNum > window_.last) continue;
                SymbolDayPrices(dateNum - window_.first + 1) = row.price;
                SymbolDayVolumes(dateNum - window_.first + 1) = row.volume;
                loaded_ = true;
            }
            if (loaded_) {
                FillPriceGaps(window_.dayCount);
                return true;
            }
        }
        return false;
    }

    const RawTable& raw_;
    const std::vector<std::uint32_t>& symbols_;
    const std::vector<std::int32_t>& dateNums_;
    const CompletionWindow window_;
    const std::vector<DbValue>& tradeDates_;
    const std::vector<Role>& roles_;
    const int fromIndex_;
    const bool progress_;
    std::size_t k_ = 0;  // symbols taken so far
    bool loaded_ = false;
    int day_ = 0;
};

}  // namespace

bool BuildTablesFused(Database& db) {
    const std::vector<DbColumn> columns = db.tableColumns("History1");
    if (!FusedRoadTakes(db, columns)) return false;
    // Every page is read or written once, in order: a small page cache serves as well as a
    // large one and costs no time to fill.
    db.execute("PRAGMA cache_size=-16384");
    ProgressStep();
    ShowAction("Adding splits column ...");
    RawTable raw;
    if (!ReadRawTable(db, raw)) {
        db.useBuildSettings();  // the step-by-step road sorts in its page cache
        return false;
    }
    BuildWasFused = true;
    History1RecordCount = toInt32(static_cast<double>(raw.rawCount));
    for (int k = 0; k < 3; ++k) ProgressStep();
    const DbColumn& symbolColumn = ColumnNamed(columns, "Symbol");
    const DbColumn& dateColumn = ColumnNamed(columns, "TradeDate");
    std::vector<DbColumn> history = columns;  // History2's columns, then History3's
    history.push_back({"SplitCoef", DbTypeName(DbType::Single), DbType::Single});

    ProgressStep();
    ShowAction("Creating split events table ...");
    db.prepare("CREATE TEMP TABLE vel_History2 " + ColumnList(history)).run();
    MakeSplitEvents(db, "temp.vel_History2 AS History2");
    db.prepare("DROP TABLE temp.vel_History2").run();

    ShowAction("Creating TradeDates table ...");
    {
        std::vector<std::pair<std::string_view, std::int32_t>> counts;
        for (std::uint32_t d = 0; d < raw.dates.size(); ++d)
            counts.emplace_back(raw.dates.text(d), raw.perDate[d]);
        MakeCountTable(db, "TradeDates1", dateColumn, "SymbolCount", counts);
    }
    const std::int32_t tradeDateCount = MakeTradeDates(db);
    YieldToEvents();
    ProgressStep();

    ShowAction("Creating History table ...");
    std::vector<std::int32_t> dateNums(raw.dates.size(), 0);  // 0: not a kept trading day
    {
        Statement s = db.prepare("SELECT TradeDate, DateNum FROM TradeDates");
        while (s.step())
            if (const auto d = raw.dates.find(s.getTextView(0)))
                dateNums[*d] = static_cast<std::int32_t>(s.getInteger(1));
    }
    {
        std::vector<std::pair<std::string_view, std::int32_t>> counts;
        for (std::uint32_t s = 0; s < raw.symbols.size(); ++s) {
            std::int32_t days = 0;
            for (std::size_t r = raw.starts[s]; r < raw.starts[s + 1]; ++r)
                days += dateNums[raw.rows[r].date] != 0;
            if (days > 0) counts.emplace_back(raw.symbols.text(s), days);
        }
        MakeCountTable(db, "DayCount", symbolColumn, "DayCount", counts);
    }
    // The symbols of History4 in the order of their text, as DayCount lists them.
    std::vector<std::uint32_t> kept;
    {
        Statement s = db.prepare("SELECT Symbol FROM DayCount WHERE DayCount>=?1 ORDER BY rowid");
        s.bindDouble(1, SymbolThreshold(db));
        while (s.step()) kept.push_back(*raw.symbols.find(s.getTextView(0)));
    }

    ShowAction("Making History table complete ...");
    ClearDayArrays();
    ErrorPosition = 8;
    int smallest = INT_MAX, largest = INT_MIN;
    for (const std::uint32_t s : kept) {
        for (std::size_t r = raw.starts[s]; r < raw.starts[s + 1]; ++r) {
            const std::int32_t dateNum = dateNums[raw.rows[r].date];
            if (dateNum == 0) continue;
            smallest = std::min(smallest, dateNum);
            largest = std::max(largest, dateNum);
        }
    }
    const bool none = smallest > largest;
    const CompletionWindow window =
        WindowOf(none ? DbValue() : DbValue(smallest), none ? DbValue() : DbValue(largest));
    // History3 takes DateNum with the type that TradeDates declares for it.
    history.push_back(ColumnNamed(db.tableColumns("TradeDates"), "DateNum"));
    std::vector<Role> roles;
    for (const auto& c : history) {
        Role role = Role::Empty;
        const std::pair<const char*, Role> named[] = {
            {"Symbol", Role::Symbol}, {"TradeDate", Role::TradeDate}, {"Price", Role::Price},
            {"Volume", Role::Volume}, {"SplitCoef", Role::SplitCoef}, {"DateNum", Role::DateNum}};
        for (const auto& [name, r] : named)
            if (EqualsNoCase(c.name, name)) role = r;
        roles.push_back(role);
    }
    const int columnCount = static_cast<int>(history.size());
    // Made without the rounding triggers, which the bulk insert would fire on every row; its
    // values are single already.
    db.prepare(HistoryCreateStatement("CREATE TABLE History", history)).run();
    const std::vector<DbValue> tradeDates = CompletionTradeDates(db, window);
    ProgressStart(static_cast<long>(kept.size()));
    {
        CompletionRows rows(raw, kept, dateNums, window, tradeDates, roles, window.first, true);
        db.insertRows("History", columnCount, rows);
    }
    db.ensureSingleRounding();
    YieldToEvents();
    ProgressEnd();

    ShowAction("Creating DayMoney table ...");
    ProgressStart(4);
    ProgressInit();
    ProgressStep();
    // The DayMoney statement reads the five newest DateNums only: it runs unchanged over a
    // temporary table of History's columns and key that holds those rows, instead of reading
    // all of History.
    db.prepare(HistoryCreateStatement("CREATE TEMP TABLE vel_NewestHistory", history)).run();
    {
        CompletionRows rows(raw, kept, dateNums, window, tradeDates, roles, tradeDateCount - 4,
                            false);
        db.insertRows("vel_NewestHistory", columnCount, rows);
    }
    MakeDayMoney(db, tradeDateCount, "temp.vel_NewestHistory AS History");
    db.prepare("DROP TABLE temp.vel_NewestHistory").run();
    ProgressStep();
    return true;
}

}  // namespace vel
