// The database build: the SQL pipeline from History1 to History, TradeDates, DayCount,
// DayMoney and SplitEvents, with the completion step that makes History dense.
#include "HistoryBuild.h"

#include <string_view>
#include <vector>

#include "ActivityLog.h"
#include "AppPaths.h"
#include "AppState.h"
#include "AsciiText.h"
#include "Door.h"
#include "HistoryBuildSteps.h"
#include "Hooks.h"
#include "MainWindowView.h"
#include "NumberText.h"
#include "Progress.h"

namespace vel {

namespace build {

void ShowAction(const std::string& text) {
    SetMainLabel(MainLabel::PerformedAction, text);
    YieldToEvents();
}

double NumberOf(const DbValue& v) {
    if (v.isNull()) throw NullValueError();
    return v.toDouble();
}

DbType FieldType(const std::vector<DbColumn>& columns, std::string_view name) {
    for (const auto& c : columns) {
        if (EqualsNoCase(c.name, name)) return c.type;
    }
    throw SqlError(1, "Item not found in this collection: " + std::string(name));
}

namespace {

// A threshold is kept in single precision and written into its statement as decimal text; the
// bound value is what that text stands for.
double ThresholdAsWritten(double product) {
    const float t = checkedSingle(product);
    return *parseNumber(formatSingle(t));
}

}  // namespace

void MakeSplitEvents(Database& db, const std::string& history2) {
    db.selectInto("SplitEvents",
                  "SELECT History2.Symbol, History2.TradeDate, History2.SplitCoef FROM " +
                      history2 + " WHERE History2.SplitCoef<0");
}

std::int32_t MakeTradeDates(Database& db) {
    const double dateThreshold = ThresholdAsWritten(
        0.5 * NumberOf(db.scalar("SELECT avg(SymbolCount) AS SymbolCountAvg FROM TradeDates1")));
    db.selectInto("TradeDates",
                  "SELECT TradeDates1.* FROM TradeDates1 WHERE SymbolCount>?1 "
                  "ORDER BY TradeDate DESC LIMIT 3000",
                  {dateThreshold});
    db.execute("ALTER TABLE TradeDates ADD COLUMN DateNum Integer");
    std::int32_t tradeDateCount = 0;
    Statement number = db.prepare("UPDATE TradeDates SET DateNum=?1 WHERE rowid=?2");
    Statement order = db.prepare("SELECT rowid FROM TradeDates ORDER BY TradeDate");
    while (order.step()) {
        ++tradeDateCount;
        number.reset();
        number.bindAll({tradeDateCount, static_cast<long long>(order.getInteger(0))});
        number.run();
    }
    return tradeDateCount;
}

double SymbolThreshold(Database& db) {
    return ThresholdAsWritten(
        0.6 * NumberOf(db.scalar("SELECT avg(DayCount) AS AvgDayCount FROM DayCount")));
}

CompletionWindow WindowOf(const DbValue& smallest, const DbValue& largest) {
    CompletionWindow w;
    w.first = toInt16(NumberOf(smallest));
    w.last = toInt16(NumberOf(largest));
    w.dayCount = toInt16(static_cast<double>(w.last) - w.first + 1);
    if (w.dayCount > kMaxCompletionDays) {
        w.dayCount = kMaxCompletionDays;
        w.first = static_cast<std::int16_t>(w.last - (kMaxCompletionDays - 1));
    }
    return w;
}

std::string HistoryCreateStatement(const std::string& createTable,
                                   const std::vector<DbColumn>& columns) {
    std::string create = createTable + " (";
    for (const auto& c : columns) {
        create += QuoteIdentifier(c.name);
        create += ' ';
        create += c.declared;
        create += ", ";
    }
    create += "PRIMARY KEY (Symbol, DateNum)) WITHOUT ROWID";
    return create;
}

std::vector<DbValue> CompletionTradeDates(Database& db, const CompletionWindow& window) {
    std::vector<DbValue> tradeDates(static_cast<size_t>(window.dayCount) + 1);
    Statement s =
        db.prepare("SELECT DateNum, TradeDate FROM TradeDates WHERE DateNum BETWEEN ?1 AND ?2");
    s.bindAll({static_cast<int>(window.first), static_cast<int>(window.last)});
    while (s.step()) tradeDates[static_cast<size_t>(s.getInteger(0) - window.first + 1)] = s.get(1);
    return tradeDates;
}

void ClearDayArrays() {
    for (int i = 1; i <= kMaxCompletionDays; ++i) {
        SymbolDayPrices(i) = 0.0f;
        SymbolDayVolumes(i) = 0.0f;
    }
}

void MakeDayMoney(Database& db, std::int32_t tradeDateCount, const std::string& history) {
    db.selectInto("DayMoney",
                  "SELECT History.Symbol, avg(History.Price*History.Volume) AS DayMoneyAvg FROM " +
                      history +
                      " WHERE History.DateNum>?1 GROUP BY History.Symbol "
                      "ORDER BY avg(History.Price*History.Volume) DESC",
                  {tradeDateCount - 5}, {{"DayMoneyAvg", DbType::Double}});
}

}  // namespace build

using namespace build;

namespace {

// Logs the failure, shows the fatal message and ends the process (the door does not come
// back). The log line comes first, so the log tells why even while the box waits.
void FatalTypeMismatch(Database& db, const std::string& logLine) {
    WriteActivityLog(logLine);
    door().MessageBox(
        "Fatal data type mismatch! Check Regional Settings in Control Panel!\r\n"
        "You have to use English(US) regional settings when downloading EOD stock history from "
        "YAHOO!\r\n"
        "End of program follows!\r\n",
        "Vellicor", MsgButtons::OK);
    db.close();
    door().EndProcess(1);
}

// False when History1's TradeDate column is declared as text and holds a value that is neither
// an ISO date nor a number: its trading days would be numbered in alphabetical order. A
// column of the date or a number type orders its days itself.
bool TradeDatesCanBeOrdered(Database& db, const std::vector<DbColumn>& columns) {
    const DbType type = FieldType(columns, "TradeDate");
    if (type != DbType::Text && type != DbType::Other) return true;
    return !db.prepare(
                  "SELECT 1 FROM History1 WHERE typeof(TradeDate)='text' AND NOT (TradeDate GLOB "
                  "'[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]') LIMIT 1")
                .step();
}

// The History table's fields that the completion writes.
struct HistoryFields {
    int symbol, tradeDate, dateNum, price, volume, splitCoef;
};

// Appends n rows of the symbol (DateNum f .. f + n - 1) from the day arrays, then clears them.
void WriteSymbolHistoryRows(TableAppender& history, const HistoryFields& fields,
                            const std::vector<DbValue>& tradeDates, const std::string& symbol,
                            std::int16_t n, std::int16_t f) {
    for (int i = 1; i <= n; ++i) {
        const int dateNum = f + i - 1;
        history.addNew();
        history.setTextStatic(fields.symbol, symbol);
        const DbValue& date = tradeDates[static_cast<size_t>(i)];
        if (date.isText())
            history.setTextStatic(fields.tradeDate, std::get<std::string>(date.raw()));
        else
            history.set(fields.tradeDate, date);
        history.setInteger(fields.dateNum, dateNum);
        history.setDouble(fields.price, SymbolDayPrices(i));
        history.setDouble(fields.volume, SymbolDayVolumes(i));
        history.setDouble(fields.splitCoef, 1.0);
        history.update();
    }
    ClearDayArrays();
}

}  // namespace

void FillPriceGaps(std::int16_t dayCount) {
    float last = 0.0f;
    for (int i = 1; i <= dayCount; ++i) {
        float& p = SymbolDayPrices(i);
        if (p > 0.0f)
            last = p;
        else if (p == 0.0f)
            p = last;
    }
    last = 0.0f;
    for (int i = dayCount; i >= 1; --i) {
        float& p = SymbolDayPrices(i);
        if (p > 0.0f)
            last = p;
        else if (p == 0.0f)
            p = last;
    }
}

void MakeHistoryTableComplete(Database& db) {
    ClearDayArrays();
    ErrorPosition = 8;
    CompletionWindow window;
    {
        Statement s = db.prepare(
            "SELECT min(History4.DateNum) AS DateNumMin, max(History4.DateNum) AS DateNumMax "
            "FROM History4");
        s.step();
        window = WindowOf(s.get(0), s.get(1));
    }
    const std::int16_t first = window.first, last = window.last, dayCount = window.dayCount;
    db.execute(HistoryCreateStatement("CREATE TABLE History", db.tableColumns("History4")));
    // The trade date of every DateNum that the rows carry (the TradeDate of TradeDates).
    const std::vector<DbValue> tradeDates = CompletionTradeDates(db, window);

    const std::int64_t rows = db.scalar("SELECT count(*) FROM History4").toInteger();
    ProgressStart(static_cast<long>(rows));
    {
        TableAppender history(db, "History");
        const HistoryFields fields{history.fieldIndex("Symbol"),  history.fieldIndex("TradeDate"),
                                   history.fieldIndex("DateNum"), history.fieldIndex("Price"),
                                   history.fieldIndex("Volume"),  history.fieldIndex("SplitCoef")};
        std::int32_t symbolCount = 0;
        std::string previous;
        {
            Statement rs = db.prepare(
                "SELECT Symbol, DateNum, Price, Volume FROM History4 ORDER BY Symbol, DateNum");
            while (rs.step()) {
                ProgressStep();
                const std::int16_t dateNum = toInt16(rs.getDouble(1));
                if (dateNum < first || dateNum > last) continue;
                const int i = dateNum - first + 1;
                const float price = checkedSingle(rs.getDouble(2));
                const float volume = checkedSingle(rs.getDouble(3));
                const std::string_view symbol = rs.getTextView(0);
                if (symbolCount == 0 || symbol != previous) {
                    if (symbolCount > 0) {
                        FillPriceGaps(dayCount);
                        WriteSymbolHistoryRows(history, fields, tradeDates, previous, dayCount,
                                               first);
                    }
                    ++symbolCount;
                    previous.assign(symbol);
                }
                SymbolDayPrices(i) = price;
                SymbolDayVolumes(i) = volume;
            }
        }
        if (symbolCount > 0) {
            FillPriceGaps(dayCount);
            WriteSymbolHistoryRows(history, fields, tradeDates, previous, dayCount, first);
        }
    }
    db.execute("DROP TABLE History4");
    db.ensureSingleRounding();  // History's own rounding, set aside while it was appended
    YieldToEvents();
    ProgressEnd();
}

void ShowNoTradeDatesMessage(const std::string& databasePath) {
    WriteActivityLog("The TradeDate column holds no dates: " + databasePath);
    door().MessageBox(
        "The TradeDate column holds no dates!\r\n"
        "Its values are text, not dates in a form the import reads, so the trading days cannot "
        "be put in order.\r\n"
        "Nothing was changed.\r\n",
        "Vellicor", MsgButtons::OK);
}

bool BuildHistoryTables(const std::string& databasePath, BuildRoad road) {
    ErrorPosition = 31;
    // The roads count the rows as they read them; a build that fails before leaves 0, never the
    // count of an earlier build.
    History1RecordCount = 0;
    try {
        Database db = Database::Open(databasePath);
        db.useBuildSettings();
        if (!db.prepare("SELECT 1 FROM History1 LIMIT 1").step()) {
            YieldToEvents();
            return false;
        }
        const auto columns = db.tableColumns("History1");
        const DbType priceType = FieldType(columns, "Price");
        const DbType volumeType = FieldType(columns, "Volume");
        const DbType symbolType = FieldType(columns, "Symbol");
        ProgressStart(20);
        ProgressInit();
        ProgressStep();
        YieldToEvents();
        if (priceType != DbType::Double || volumeType != DbType::Double) {
            FatalTypeMismatch(db, "Fatal data type mismatch!");
            return false;
        }
        if (symbolType != DbType::Text) {
            FatalTypeMismatch(db, "Fatal Symbol data type mismatch!");
            return false;
        }
        if (!TradeDatesCanBeOrdered(db, columns)) {
            History1RecordCount = toInt32(db.scalar("SELECT count(*) FROM History1").toDouble());
            db.close();
            ResetProgressDisplay();
            ShowNoTradeDatesMessage(databasePath);
            return false;
        }

        Database::Transaction transaction(db);
        BuildWasFused = false;
        if (road != BuildRoad::Fused || !BuildTablesFused(db)) BuildTablesStepByStep(db);
        transaction.commit();
    } catch (const std::exception& e) {
        ShowErrorHandler(e);
        ResetProgressDisplay();
        return false;
    }
    YieldToEvents();
    YieldToEvents();
    SetMainLabel(MainLabel::PerformedAction, "");
    SetMainLabel(MainLabel::PerformedTask, "");
    YieldToEvents();
    ProgressEnd();
    return true;
}

void BuildTablesStepByStep(Database& db) {
    History1RecordCount = toInt32(db.scalar("SELECT count(*) FROM History1").toDouble());
    ProgressStep();
    ShowAction("Adding splits column ...");
    // History1's rows with a price and a volume, and the split coefficient 1 on each.
    db.selectInto("History2",
                  "SELECT History1.*, 1 AS SplitCoef FROM History1 WHERE Price>0 AND Volume>0", {},
                  {{"SplitCoef", DbType::Single}});
    for (int k = 0; k < 3; ++k) ProgressStep();

    ProgressStep();
    ShowAction("Creating split events table ...");
    MakeSplitEvents(db, "History2");

    ShowAction("Creating TradeDates table ...");
    db.selectInto("TradeDates1",
                  "SELECT TradeDate, Count(*) AS SymbolCount FROM History2 GROUP BY TradeDate "
                  "ORDER BY TradeDate",
                  {}, {{"SymbolCount", DbType::Integer}});
    const std::int32_t tradeDateCount = MakeTradeDates(db);
    YieldToEvents();
    ProgressStep();

    ShowAction("Creating History table ...");
    // The row order of History3 and History4 is never seen: DayCount groups and the
    // completion step reads History4 sorted.
    db.selectInto("History3",
                  "SELECT History2.*, TradeDates.DateNum FROM History2, TradeDates "
                  "WHERE History2.TradeDate=TradeDates.TradeDate");
    db.execute("DROP TABLE History2");
    db.selectInto("DayCount",
                  "SELECT History3.Symbol, Count(History3.DateNum) AS DayCount FROM History3 "
                  "GROUP BY History3.Symbol",
                  {}, {{"DayCount", DbType::Integer}});
    const double symbolThreshold = SymbolThreshold(db);
    // DayCount holds each symbol once, so the join is a filter by symbol.
    db.selectInto("History4",
                  "SELECT History3.* FROM History3 WHERE History3.Symbol IN "
                  "(SELECT DayCount.Symbol FROM DayCount WHERE DayCount.DayCount>=?1)",
                  {symbolThreshold});
    db.execute("DROP TABLE History3");

    ShowAction("Making History table complete ...");
    MakeHistoryTableComplete(db);

    ShowAction("Creating DayMoney table ...");
    ProgressStart(4);
    ProgressInit();
    ProgressStep();
    MakeDayMoney(db, tradeDateCount, "History");
    ProgressStep();
}

void ShowHistoryBuildEnd() {
    if (AutoRunMode != 0) return;
    door().MessageBox(
        "End of historical data importing!\r\nUse stock splits adjustment commands, if "
        "necessary!\r\n",
        "Vellicor", MsgButtons::OK);
    YieldToEvents();
}

bool BuildHistoryDatabase(const std::string& databasePath) {
    if (!BuildHistoryTables(databasePath)) return false;
    ShowHistoryBuildEnd();
    return true;
}

}  // namespace vel
