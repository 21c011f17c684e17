// Split events and split coefficients of the history database.
#include "SplitCoefficients.h"

#include <cfloat>
#include <cmath>
#include <vector>

#include "AppState.h"
#include "Database.h"
#include "Door.h"
#include "Errors.h"
#include "FilePaths.h"
#include "FolderHold.h"
#include "HistoryBuild.h"
#include "HistoryLoad.h"
#include "HistoryReports.h"
#include "Hooks.h"
#include "HtmlReport.h"
#include "MainWindowView.h"
#include "NumberText.h"
#include "Progress.h"

namespace vel {

namespace {

// The rows of the symbols whose coefficients are not all 1, each symbol's newest day first.
// Rows of other symbols never take part in a running product or a listed split.
const char* const kAdjustedRowsWhere =
    " WHERE Symbol IN (SELECT Symbol FROM History WHERE SplitCoef IS NULL OR SplitCoef<>1) ";

void ShowTask(const std::string& text) {
    SetMainLabel(MainLabel::PerformedTask, text);
}
void ShowAction(const std::string& text) {
    SetMainLabel(MainLabel::PerformedAction, text);
}

// The final message of a step: untitled, so it carries the program's title; every line ends
// with CR LF.
void ShowFinalMessage(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* line : lines) text += std::string(line) + "\r\n";
    door().MessageBox(text, "Vellicor", MsgButtons::OK);
}

// Opens the database of a split step and checks that it holds the tables the step uses.
Database OpenSplitDatabase(const std::string& path, bool needsSplitEvents) {
    Database db = Database::Open(path);
    if (!db.tableExists("History")) throw DatabaseError("Table History not found in " + path);
    if (needsSplitEvents && !db.tableExists("SplitEvents"))
        throw DatabaseError("Table SplitEvents not found in " + path);
    return db;
}

// Shows the error of a failed step and clears the status display.
void ReportFailure(const std::exception& e) {
    ShowErrorHandler(e);
    SetMainLabel(MainLabel::PerformedTask, "");
    SetMainLabel(MainLabel::PerformedAction, "");
    ProgressEnd();
    YieldToEvents();
}

// The text of a stored trade date as the pages show it.
std::string DateTextOf(const DbValue& v) {
    if (v.isNull()) return {};
    if (v.isText()) return TradeDateText(v.toText(), false, 0.0);
    return TradeDateText("", true, v.toDouble());
}

}  // namespace

double SplitCoefficientOfRatio(double ratio) {
    if (!(ratio >= 1.4)) return 1.0;
    // nearbyint rounds an exact half to the even neighbour in the default rounding mode.
    return std::nearbyint(ratio * 2.0) / 2.0;
}

bool EstimateSplitEvents(const std::string& databasePath) {
    const FolderHold hold(FolderOf(databasePath));
    if (!HeldForWriting(hold)) return false;
    ShowTask("Estimate stock splits events in " + databasePath);
    ShowAction("Updating history database ...");
    YieldToEvents();
    ProgressStart(5);
    ProgressInit();
    ProgressStep();
    ErrorPosition = 27;
    try {
        Database db = OpenSplitDatabase(databasePath, true);
        Database::Transaction transaction(db);
        db.execute("DELETE FROM SplitEvents");
        ProgressStep();

        const long rows = static_cast<long>(db.scalar("SELECT count(*) FROM History").toInteger());
        Statement history = db.prepare(
            "SELECT Symbol, Price, TradeDate FROM History ORDER BY Symbol ASC, DateNum DESC");
        ProgressStart(rows);
        ShowAction("Searching for stock splits ...");
        ProgressInit();
        Statement insert =
            db.prepare("INSERT INTO SplitEvents(Symbol, TradeDate, SplitCoef) VALUES(?1, ?2, ?3)");
        std::string previousSymbol;
        double previousPrice = 0;
        bool first = true;
        while (history.step()) {
            ProgressStep();
            const std::string_view symbol = history.getTextView(0);
            const double price = history.getDouble(1);
            if (!first && symbol == previousSymbol) {
                // The previous row is the next newer day of the same symbol.
                const double ratio = previousPrice > 0 ? price / previousPrice : 1.0;
                const double coef = SplitCoefficientOfRatio(ratio);
                if (coef > 1.1 && coef <= FLT_MAX) {
                    insert.reset();
                    insert.bindText(1, symbol);
                    insert.bind(2, history.get(2));  // the older day, stored as History has it
                    insert.bindDouble(3, coef);
                    insert.run();
                }
            } else {
                previousSymbol.assign(symbol);
                first = false;
            }
            previousPrice = price;
        }
        transaction.commit();
    } catch (const std::exception& e) {
        ReportFailure(e);
        return false;
    }
    ShowTask("");
    ShowAction("");
    ProgressEnd();
    ShowFinalMessage({"Stock split events estimated!", "No changes in History table made!",
                      "Now, you can edit estimated stock split events!"});
    return true;
}

bool UpdateSplitCoefficients(const std::string& databasePath) {
    const FolderHold hold(FolderOf(databasePath));
    if (!HeldForWriting(hold)) return false;
    ShowTask("Update stock splits coefficients in " + databasePath);
    ShowAction("Updating history database ...");
    YieldToEvents();
    ProgressInit();
    ErrorPosition = 29;
    try {
        Database db = OpenSplitDatabase(databasePath, true);
        Database::Transaction transaction(db);
        db.execute("UPDATE History SET SplitCoef=1 WHERE SplitCoef IS NULL OR SplitCoef<>1");
        // Each History row takes the coefficient of the event of its symbol and day (of the
        // newest entered one when several match); events not above 0 are ignored.
        db.execute(
            "UPDATE History SET SplitCoef=e.SplitCoef FROM "
            "(SELECT Symbol, TradeDate, SplitCoef FROM SplitEvents WHERE rowid IN "
            " (SELECT max(rowid) FROM SplitEvents WHERE SplitCoef>0 GROUP BY Symbol, TradeDate)) "
            "AS e WHERE History.Symbol=e.Symbol AND History.TradeDate=e.TradeDate");

        const std::string where = kAdjustedRowsWhere;
        const long rows =
            static_cast<long>(db.scalar("SELECT count(*) FROM History" + where).toInteger());
        Statement history = db.prepare("SELECT DateNum, Symbol, SplitCoef FROM History" + where +
                                       "ORDER BY Symbol ASC, DateNum DESC");
        ProgressStart(rows);
        ShowAction("Updating splits coefficients ...");
        ProgressInit();
        // Symbol and DateNum name one row of the built History table.
        Statement write =
            db.prepare("UPDATE History SET SplitCoef=?1 WHERE Symbol=?2 AND DateNum=?3");
        std::string previousSymbol;
        double product = 1.0;
        bool first = true;
        while (history.step()) {
            ProgressStep();
            const std::string_view symbol = history.getTextView(1);
            if (first || symbol != previousSymbol) {
                previousSymbol.assign(symbol);
                product = 1.0;
                first = false;
            }
            // The running product includes the row's own event, also on the newest day, so an
            // event there adjusts all older days too.
            const double own = history.getDouble(2);
            product *= own;
            if (product != own) {
                write.reset();
                write.bindDouble(1, product);
                write.bindText(2, symbol);
                write.bind(3, history.get(0));
                write.run();
            }
        }
        transaction.commit();
    } catch (const std::exception& e) {
        ReportFailure(e);
        return false;
    }
    ShowTask("");
    ShowAction("");
    YieldToEvents();
    ProgressEnd();
    ShowFinalMessage({"Stock split coeficients updated in History table!",
                      "Now, you can verify accepted stock split events in History table!"});
    return true;
}

bool RemoveSplitCoefficients(const std::string& databasePath) {
    const FolderHold hold(FolderOf(databasePath));
    if (!HeldForWriting(hold)) return false;
    ShowTask("Remove stock splits coefficients in " + databasePath);
    ShowAction("Updating history database ...");
    ProgressInit();
    YieldToEvents();
    ErrorPosition = 30;
    try {
        Database db = OpenSplitDatabase(databasePath, false);
        Database::Transaction transaction(db);
        db.execute("UPDATE History SET SplitCoef=1 WHERE SplitCoef IS NULL OR SplitCoef<>1");
        transaction.commit();
    } catch (const std::exception& e) {
        ReportFailure(e);
        return false;
    }
    ShowTask("");
    ShowAction("");
    ProgressEnd();
    YieldToEvents();
    ShowFinalMessage({"Stock split coeficients removed from History table!",
                      "Now, you can verify accepted stock split events in History table!"});
    return true;
}

bool WriteUserAdjustedSplitsReport(const std::string& databasePath, const std::string& pagePath) {
    const FolderHold hold(DataFolderOf(pagePath));
    if (!HeldForWriting(hold)) return false;
    ShowTask("View stock splits adjusted by the user in " + databasePath);
    ShowAction("Organizing history database ...");
    ProgressInit();
    YieldToEvents();

    const char* const title = "Stock splits adjusted by the user.";
    std::vector<std::string> page = HistoryReportHead(title, "Vellicor");
    page.insert(page.end(),
                {"<P>", "Stock history database: " + HtmlEscape(databasePath), "<P>",
                 "<BR><CENTER>", "<TABLE BORDER=6 CELLPADDING=3>", "<TR>", "<TH>Stock symbol</TH>",
                 "<TH>Split coefficient</TH>", "<TH>Split date</TH>", "</TR>"});

    ErrorPosition = 28;
    try {
        Database db = OpenSplitDatabase(databasePath, false);
        const std::string where = kAdjustedRowsWhere;
        const long rows =
            static_cast<long>(db.scalar("SELECT count(*) FROM History" + where).toInteger());
        Statement history = db.prepare("SELECT Symbol, SplitCoef, TradeDate FROM History" + where +
                                       "ORDER BY Symbol ASC, DateNum DESC");
        ProgressStart(rows);
        ShowAction("Searching in the history database ...");
        ProgressInit();
        std::string previousSymbol;
        double previousCoef = 1.0;
        bool first = true;
        while (history.step()) {
            ProgressStep();
            const std::string_view symbol = history.getTextView(0);
            if (first || symbol != previousSymbol) {
                previousSymbol.assign(symbol);
                previousCoef = 1.0;
                first = false;
            }
            // Every change of the coefficient is one split in force, also one on the newest day.
            const double coef = history.getDouble(1);
            if (coef != previousCoef) {
                page.insert(page.end(),
                            {"<TR>", "<TD>" + HtmlEscape(previousSymbol) + "</TD>",
                             "<TD>" + formatFixed(coef / previousCoef, 4) + "</TD>",
                             "<TD>" + HtmlEscape(DateTextOf(history.get(2))) + "</TD>", "</TR>"});
                previousCoef = coef;
            }
        }
    } catch (const std::exception& e) {
        ReportFailure(e);
        return false;
    }
    YieldToEvents();
    ProgressEnd();
    page.insert(page.end(), {"</TABLE>", "</CENTER>", "</BODY>", "</HTML>"});
    const bool written = WriteHistoryReportPage(pagePath, page);
    ShowTask("");
    ShowAction("");
    ProgressEnd();
    YieldToEvents();
    return written;
}

}  // namespace vel
