// The history load: window, trade dates and the split-adjusted price and volume vectors.
#include "HistoryLoad.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "AppPaths.h"
#include "AppState.h"
#include "Database.h"
#include "Door.h"
#include "EntryPoints.h"
#include "EodText.h"
#include "FolderHold.h"
#include "HistoryBuild.h"
#include "Hooks.h"
#include "MainWindowView.h"
#include "NumberText.h"
#include "Progress.h"
#include "VectorStores.h"

namespace vel {

namespace {

// The path table as a load leaves it; restored when a later load fails.
struct PathTable {
    std::string dataFolder, historyName, historyFileName, historyDatabase, resultsFolder,
        resultsName, resultsFileName, resultsDatabase, resultsReport;

    static PathTable Current() {
        return {DataFolderPath,      HistoryName,         HistoryFileName,
                HistoryDatabasePath, ResultsFolderPath,   ResultsName,
                ResultsFileName,     ResultsDatabasePath, ResultsReportPath};
    }
    void Restore() const {
        DataFolderPath = dataFolder;
        HistoryName = historyName;
        HistoryFileName = historyFileName;
        HistoryDatabasePath = historyDatabase;
        ResultsFolderPath = resultsFolder;
        ResultsName = resultsName;
        ResultsFileName = resultsFileName;
        ResultsDatabasePath = resultsDatabase;
        ResultsReportPath = resultsReport;
    }
    bool operator==(const PathTable&) const = default;
};
PathTable g_loadedPaths;
const StateGroup<g_loadedPaths> kLoadedPathsGroup("LoadedPaths");

void ShowAction(const std::string& text) {
    SetMainLabel(MainLabel::PerformedAction, text);
    YieldToEvents();
}

// Everything a load produces, kept aside until the load has succeeded.
struct LoadResult {
    std::int32_t symbolCountInDB = 0, dateNumMin = 0, dateNumMax = 0, first = 0, last = 0,
                 dayOffset = 0, dayCount = 0, symbolsToLoad = 0;
    std::vector<std::string> tradeDates;  // entries 1..last ("empty date" where none)
    std::vector<std::string> symbols;     // stock items 1.. in load order
    std::unique_ptr<clsVectors> main, volume, screening;
};

// True when the History table is kept, or indexed, in the order of Symbol, DateNum, so that
// one symbol's rows and its first and last DateNum are found without a scan.
bool HasSymbolIndex(Database& db) {
    Statement s = db.prepare(
        "SELECT 1 FROM pragma_index_list('History') AS l, pragma_index_info(l.name) AS a, "
        "pragma_index_info(l.name) AS b WHERE a.seqno = 0 AND a.name = 'Symbol' COLLATE NOCASE "
        "AND b.seqno = 1 AND b.name = 'DateNum' COLLATE NOCASE");
    return s.step();
}

// ScanHistory: the DateNum range and the number of distinct symbols of the History table.
// With the Symbol, DateNum order it seeks from symbol to symbol instead of reading every row.
void ScanHistory(Database& db, LoadResult& r, bool indexed) {
    ShowAction("Scanning " + HistoryDatabasePath);
    ProgressInit();
    ErrorPosition = 1;
    bool any = false;
    double lo = 0, hi = 0;
    std::int64_t symbols = 0;
    auto take = [&](const DbValue& mn, const DbValue& mx) {
        if (mn.isNull()) return;
        lo = any ? std::min(lo, mn.toDouble()) : mn.toDouble();
        hi = any ? std::max(hi, mx.toDouble()) : mx.toDouble();
        any = true;
    };
    if (indexed) {
        Statement next =
            db.prepare("SELECT Symbol FROM History WHERE Symbol > ?1 ORDER BY Symbol LIMIT 1");
        Statement first = db.prepare(
            "SELECT DateNum FROM History WHERE Symbol = ?1 AND DateNum IS NOT NULL "
            "ORDER BY DateNum LIMIT 1");
        Statement last = db.prepare(
            "SELECT DateNum FROM History WHERE Symbol = ?1 ORDER BY DateNum DESC LIMIT 1");
        {
            Statement nulls = db.prepare(
                "SELECT count(*), MIN(DateNum), MAX(DateNum) FROM History WHERE Symbol IS NULL");
            nulls.step();
            if (nulls.getInteger(0) > 0) ++symbols;
            take(nulls.get(1), nulls.get(2));
        }
        // From the smallest symbol ("" and above: every text) to the next larger one.
        std::string symbol;
        bool more = false;
        {
            Statement smallest =
                db.prepare("SELECT Symbol FROM History WHERE Symbol >= '' ORDER BY Symbol LIMIT 1");
            more = smallest.step();
            if (more) symbol = smallest.getText(0);
        }
        while (more) {
            ++symbols;
            first.reset();
            last.reset();
            first.bindText(1, symbol);
            last.bindText(1, symbol);
            if (first.step() && last.step()) take(first.get(0), last.get(0));
            next.reset();
            next.bindText(1, symbol);
            more = next.step();
            if (more) symbol = next.getText(0);
        }
    } else {
        Statement s = db.prepare("SELECT MIN(DateNum) AS Expr1, MAX(DateNum) AS Expr2 FROM " +
                                 QuoteIdentifier(HistoryName.empty() ? "History" : HistoryName));
        s.step();
        take(s.get(0), s.get(1));
        symbols =
            db.scalar("SELECT count(*) FROM (SELECT DISTINCT Symbol FROM History)").toInteger();
    }
    if (!any) throw DatabaseError("The History table holds no rows: " + HistoryDatabasePath);
    r.dateNumMin = toInt32(lo);
    r.dateNumMax = toInt32(hi);
    r.symbolCountInDB = toInt32(static_cast<double>(symbols));
    ShowAction("");
    ProgressEnd();
}

// The largest DateNum a load accepts: the rows' DateNums are 16-bit whole numbers.
constexpr std::int64_t kMaxDateNum = 32767;

// Every DateNum of the History table must name a row of TradeDates (1 to its row count, at most
// kMaxDateNum), as the build numbers them. A table with others is refused before anything is
// sized by them: a DateNum far out of range would size the trade-date table to gigabytes.
// Throws DatabaseError naming the accepted range.
void CheckDateNums(Database& db, const LoadResult& r) {
    const std::int64_t tradeDates = db.scalar("SELECT count(*) FROM TradeDates").toInteger();
    const std::int64_t limit = std::min(tradeDates, kMaxDateNum);
    if (r.dateNumMin < 1 || r.dateNumMax > limit)
        throw DatabaseError("The History table holds a DateNum outside 1 to " +
                            std::to_string(limit) + ": " + HistoryDatabasePath);
}

// LoadTradeDates: the date text of every DateNum of the window.
void LoadTradeDates(Database& db, LoadResult& r) {
    r.tradeDates.assign(static_cast<size_t>(r.last) + 1, "empty date");
    ErrorPosition = 5;
    Statement s = db.prepare("SELECT DateNum, TradeDate FROM TradeDates ORDER BY DateNum");
    while (s.step()) {
        const double n = s.getDouble(0);
        if (s.isNull(0) || n < r.first || n > r.last) continue;
        r.tradeDates[static_cast<size_t>(toInt32(n))] =
            TradeDateText(s.isNull(1) ? "" : s.getText(1), s.isNumeric(1), s.getDouble(1));
    }
    YieldToEvents();
}

// Collects the rows of the load in their order (DayMoneyAvg descending, Symbol, DateNum):
// Work vectors 1 and 2 of the price store take one symbol's prices and volumes, which go into
// the Buffers when the next symbol begins. A day without a row of the symbol shows 0, never the
// value the previous symbol left there.
class SymbolCollector {
public:
    explicit SymbolCollector(LoadResult& r)
        : r_(r), written_(static_cast<size_t>(r.dayCount) + 1, 0) {}
    void Row(std::string_view symbol, double dateNum, double price, double volume, double split) {
        if (dateNum < r_.first || dateNum > r_.last) return;
        const long d = static_cast<long>(dateNum) - r_.dayOffset;
        if (!started_ || symbol != previous_) {
            Push();
            started_ = true;
            previous_.assign(symbol);
            collecting_ = static_cast<std::int32_t>(r_.symbols.size()) < r_.symbolsToLoad;
            if (!collecting_) return;
            r_.symbols.push_back(previous_);
            ++stamp_;
            daysWritten_ = 0;
        }
        if (!collecting_) return;
        if (split == 0.0) throw DivisionByZeroError("Division by zero: SplitCoef of " + previous_);
        r_.main->CoordSetSingleValue(1, d, checkedSingle(price / split));
        r_.main->CoordSetSingleValue(2, d, checkedSingle(volume * split));
        std::int32_t& w = written_[static_cast<size_t>(d)];
        if (w != stamp_) {
            w = stamp_;
            ++daysWritten_;
        }
    }
    void Finish() { Push(); }

private:
    void Push() {
        if (!collecting_) return;
        if (daysWritten_ < r_.dayCount) {
            for (long d = 1; d <= r_.dayCount; ++d) {
                if (written_[static_cast<size_t>(d)] == stamp_) continue;
                r_.main->CoordSetSingleValue(1, d, 0.0f);
                r_.main->CoordSetSingleValue(2, d, 0.0f);
            }
        }
        r_.main->VectorPushToBuffer(1, *r_.main);
        r_.main->VectorPushToBuffer(2, *r_.volume);
        collecting_ = false;
    }
    LoadResult& r_;
    std::vector<std::int32_t> written_;  // the symbol (stamp) that last wrote each day
    std::int32_t stamp_ = 0;
    std::int32_t daysWritten_ = 0;
    std::string previous_;
    bool started_ = false;
    bool collecting_ = false;
};

// The rows of one symbol from the window on, through the index.
const char* const kSymbolRows =
    "SELECT Price, Volume, DateNum, SplitCoef FROM History WHERE Symbol=?1 AND DateNum>=?2 "
    "ORDER BY DateNum";

// Reads the symbols at positions 1..n of `order` (stock item numbers 1..n) on `readers`
// connections at once, each reader taking the next block of symbols and writing their prices
// and volumes straight into their Buffer vectors, as the single reader's pushes leave them;
// then the Buffer counts, and Work vectors 1 and 2 of the price store as the last symbol left
// them. Every reader holds a snapshot taken while the caller's read transaction holds its own,
// so all see the same database. The error of the first failing symbol is thrown. False, with
// the stores to be emptied again, when a symbol of those positions has no row in the window
// (the stock numbers then differ from the positions, which the single reader sorts out) or no
// reader could open a connection or start.
bool ReadRowsInParallel(LoadResult& r, const std::vector<std::string>& order, long n, int readers) {
    constexpr long kBlock = 16;
    std::atomic<long> next{0}, done{0}, failedAt{n};
    std::vector<std::uint8_t> empty(static_cast<size_t>(n), 0);
    std::mutex mutex;
    std::condition_variable finished;
    int running = readers;
    std::exception_ptr error;
    const std::string path = HistoryDatabasePath;
    auto fail = [&](long position) {
        std::lock_guard<std::mutex> lock(mutex);
        if (position < failedAt) {
            failedAt = position;
            error = std::current_exception();
        }
    };
    auto read = [&] {
        long p = 0;
        Database db;
        Statement rows;
        try {
            db = Database::OpenReadOnly(path);
            db.execute("PRAGMA cache_size=-2048");
            rows = db.prepare(kSymbolRows);
        } catch (...) {
            // A reader without a connection takes no symbols; the others take them all.
            std::lock_guard<std::mutex> lock(mutex);
            --running;
            finished.notify_one();
            return;
        }
        try {
            std::vector<std::int32_t> written(static_cast<size_t>(r.dayCount) + 1, -1);
            for (long begin; (begin = next.fetch_add(kBlock)) < failedAt;) {
                for (p = begin; p < std::min(begin + kBlock, n) && p < failedAt; ++p) {
                    const std::string& symbol = order[static_cast<size_t>(p)];
                    const long prices = r.main->BufferStart() + p;
                    const long volumes = r.volume->BufferStart() + p;
                    rows.reset();
                    rows.bindTextStatic(1, symbol);
                    rows.bindInteger(2, r.first);
                    bool any = false;
                    while (rows.step()) {
                        const double dateNum = rows.getDouble(2);
                        if (dateNum < r.first || dateNum > r.last) continue;
                        const double split = rows.isNull(3) ? 0.0 : rows.getDouble(3);
                        if (split == 0.0)
                            throw DivisionByZeroError("Division by zero: SplitCoef of " + symbol);
                        const long d = static_cast<long>(dateNum) - r.dayOffset;
                        r.main->CoordSetSingleValue(prices, d,
                                                    checkedSingle(rows.getDouble(0) / split));
                        r.volume->CoordSetSingleValue(volumes, d,
                                                      checkedSingle(rows.getDouble(1) * split));
                        written[static_cast<size_t>(d)] = static_cast<std::int32_t>(p);
                        any = true;
                    }
                    for (long d = 1; d <= r.dayCount; ++d) {
                        if (written[static_cast<size_t>(d)] == p) continue;
                        r.main->CoordSetSingleValue(prices, d, 0.0f);
                        r.volume->CoordSetSingleValue(volumes, d, 0.0f);
                    }
                    empty[static_cast<size_t>(p)] = !any;
                    ++done;
                }
            }
        } catch (...) {
            fail(p);
        }
        std::lock_guard<std::mutex> lock(mutex);
        --running;
        finished.notify_one();
    };
    std::vector<std::thread> threads;
    try {
        while (static_cast<int>(threads.size()) < readers) threads.emplace_back(read);
    } catch (const std::system_error&) {
        // Fewer threads than asked: those that run take all the symbols.
        std::lock_guard<std::mutex> lock(mutex);
        running -= readers - static_cast<int>(threads.size());
    }
    // The window stays served while the readers work.
    long shown = 0;
    for (bool all = false; !all;) {
        {
            std::unique_lock<std::mutex> lock(mutex);
            all = finished.wait_for(lock, std::chrono::milliseconds(20),
                                    [&] { return running == 0; });
        }
        for (const long now = done; shown < now; ++shown) ProgressStep();
    }
    for (auto& t : threads) t.join();
    if (error) std::rethrow_exception(error);
    if (done < n || std::find(empty.begin(), empty.end(), 1) != empty.end()) return false;
    r.symbols.assign(order.begin(), order.begin() + n);
    r.main->SetBufferCount(n);
    r.volume->SetBufferCount(n);
    for (long d = 1; d <= r.dayCount; ++d) {
        r.main->CoordSetSingleValue(1, d, r.main->CoordGetSingle(r.main->BufferStart() + n - 1, d));
        r.main->CoordSetSingleValue(2, d,
                                    r.volume->CoordGetSingle(r.volume->BufferStart() + n - 1, d));
    }
    return true;
}

void LoadRows(Database& db, LoadResult& r, bool indexed, int readers) {
    ProgressInit();
    SymbolCollector collector(r);
    if (indexed) {
        // One symbol after the other in DayMoney order, each through the index.
        std::vector<std::string> order;
        {
            Statement s = db.prepare(
                "SELECT Symbol FROM DayMoney WHERE DayMoneyAvg>0 "
                "ORDER BY DayMoneyAvg DESC, Symbol");
            while (s.step()) order.push_back(s.getText(0));
        }
        ProgressStart(static_cast<long>(order.size()));
        ShowAction("Loading " + HistoryDatabasePath);
        ProgressInit();
        const long n = std::min<long>(static_cast<long>(order.size()), r.symbolsToLoad);
        if (readers > 1 && n > 1) {
            if (ReadRowsInParallel(r, order, n, readers)) return;
            r.volume->VectorBaseEmpty(r.dayCount, 60, 20, 10, 20, 20, r.symbolsToLoad);
            r.main->VectorBaseEmpty(r.dayCount, 100, 100, 100, r.symbolsToLoad, 100,
                                    r.symbolsToLoad);
            ProgressInit();
        }
        Statement rows = db.prepare(kSymbolRows);
        for (const auto& symbol : order) {
            ProgressStep();
            rows.reset();
            rows.bindTextStatic(1, symbol);
            rows.bindInteger(2, r.first);
            while (rows.step())
                collector.Row(symbol, rows.getDouble(2), rows.getDouble(0), rows.getDouble(1),
                              rows.isNull(3) ? 0.0 : rows.getDouble(3));
            if (static_cast<std::int32_t>(r.symbols.size()) >= r.symbolsToLoad) break;
        }
    } else {
        // The same rows in the same order through one sorted query.
        const std::string sql =
            "SELECT History.Symbol, History.Price, History.Volume, History.DateNum, "
            "History.SplitCoef FROM History, DayMoney WHERE History.DateNum>=?1 "
            "AND History.Symbol=DayMoney.Symbol AND DayMoney.DayMoneyAvg>0 "
            "ORDER BY DayMoney.DayMoneyAvg DESC, History.Symbol, History.DateNum";
        ProgressStart(static_cast<long>(
            db.scalar("SELECT count(*) FROM (" + sql + ")", {r.first}).toInteger()));
        ShowAction("Loading " + HistoryDatabasePath);
        ProgressInit();
        Statement rows = db.prepare(sql);
        rows.bindInteger(1, r.first);
        while (rows.step()) {
            ProgressStep();
            collector.Row(rows.getTextView(0), rows.getDouble(3), rows.getDouble(1),
                          rows.getDouble(2), rows.isNull(4) ? 0.0 : rows.getDouble(4));
        }
    }
    collector.Finish();
}

LoadResult ReadHistory(int readers) {
    LoadResult r;
    // The scan's step number covers the opening of the database as well.
    ErrorPosition = 1;
    Database db = Database::Open(HistoryDatabasePath);
    // The reads seek from symbol to symbol or run through the table once: a small page cache
    // serves them, and leaves the memory to the stores.
    db.execute("PRAGMA cache_size=-4096");
    // One snapshot for all the reads, whatever another program writes meanwhile.
    Database::Transaction snapshot(db);
    const bool indexed = HasSymbolIndex(db);
    ScanHistory(db, r, indexed);
    CheckDateNums(db, r);
    ShowAction("Organizing " + HistoryDatabasePath);
    ProgressInit();
    r.first = r.dateNumMin;  // at least 1 (CheckDateNums)
    r.last = r.dateNumMax;
    if (r.dateNumMax > r.first + (kMaxDays - 1)) r.first = r.dateNumMax - (kMaxDays - 1);
    r.dayOffset = r.first - 1;
    r.dayCount = r.dateNumMax - r.dayOffset;
    r.symbolsToLoad = r.symbolCountInDB < kMaxSymbols ? r.symbolCountInDB : kMaxSymbols;
    r.screening = std::make_unique<clsVectors>();
    r.volume = std::make_unique<clsVectors>();
    r.main = std::make_unique<clsVectors>();
    r.screening->VectorBaseEmpty(40, 60, 20, 10, 20, 20, r.symbolsToLoad);
    r.volume->VectorBaseEmpty(r.dayCount, 60, 20, 10, 20, 20, r.symbolsToLoad);
    r.main->VectorBaseEmpty(r.dayCount, 100, 100, 100, r.symbolsToLoad, 100, r.symbolsToLoad);
    LoadTradeDates(db, r);
    LoadRows(db, r, indexed, readers);
    snapshot.commit();
    db.close();
    YieldToEvents();
    return r;
}

}  // namespace

std::string TradeDateText(const std::string& stored, bool storedAsNumber, double number) {
    std::optional<double> n;
    if (storedAsNumber)
        n = number;
    else
        n = ReadNumberField(stored);
    if (n) return formatFixed(*n, 0);
    if (const auto d = ReadDateField(stored)) return formatShortDate(*d);
    return stored;
}

bool LoadHistory(int readers) {
    if (readers < 1)
        readers = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
    SetMainLabel(MainLabel::PerformedTask, "Load " + HistoryDatabasePath);
    YieldToEvents();
    SetPathsFromHistoryDatabase();
    SetPathsFromDataFolder();
    LoadResult r;
    // A missing database leaves the data folder empty (after a beep); the database path then
    // names no chosen file and is not opened.
    bool ok = !DataFolderPath.empty();
    // The load empties the RESULTS folder of its data folder, where a run may be writing its
    // reports: it holds the folder's lock, and a refused load changes nothing.
    std::optional<FolderHold> hold;
    if (ok) {
        hold.emplace(DataFolderPath);
        ok = HeldForWriting(*hold);
    }
    if (ok) {
        try {
            r = ReadHistory(readers);
        } catch (const std::exception& e) {
            ShowErrorHandler(e);
            ok = false;
        }
    }
    // The RESULTS folder is prepared only for a history that could be read.
    if (ok) ok = PrepareResultsFolder();
    if (!ok) {
        g_loadedPaths.Restore();
        ResetProgressDisplay();
        return false;
    }

    LoadedHistory = LoadedHistoryState{};
    SymbolCountInDB = r.symbolCountInDB;
    DateNumMin = r.dateNumMin;
    DateNumMax = r.dateNumMax;
    FirstLoadedDateNum = r.first;
    LastLoadedDateNum = r.last;
    DayOffset = r.dayOffset;
    LoadedDayCount = r.dayCount;
    SymbolsToLoad = r.symbolsToLoad;
    LoadedSymbolCount = static_cast<std::int32_t>(r.symbols.size());
    ScreeningVectors = std::move(r.screening);
    VolumeVectors = std::move(r.volume);
    MainVectors = std::move(r.main);
    LoadedTradeDates.redim(1, r.last, "empty date");
    for (std::int32_t n = r.first; n <= r.last; ++n)
        LoadedTradeDates(n) = r.tradeDates[static_cast<size_t>(n)];
    for (std::int32_t i = 1; i <= LoadedSymbolCount; ++i)
        LoadedSymbols(i) = r.symbols[static_cast<size_t>(i - 1)];
    Basket = BasketState{};
    // No result or best signal of the previous history may enter a report or group of this
    // one (the new stores' Model vectors start empty too).
    Results = StockResultsState{};
    g_loadedPaths = PathTable::Current();
    SetMainLabel(MainLabel::PerformedTask, "");
    SetMainLabel(MainLabel::PerformedAction, "");
    ProgressEnd();
    if (ChartsCommands.HistoryLoaded) ChartsCommands.HistoryLoaded();
    return true;
}

}  // namespace vel
