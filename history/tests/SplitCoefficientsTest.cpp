// Split coefficients end to end: a 2-for-1 split found by the estimate, the events edited
// through the editor's grid, applied, seen as adjusted prices and volumes after a load, listed
// on the page of user-adjusted splits and removed; an event on the newest day, a failing
// update that rolls back, databases without the tables, and the main window's commands.
#include <gtest/gtest.h>

#include <QApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QTableView>
#include <fstream>
#include <memory>

#include "FilePaths.h"
#include "FolderLock.h"
#include "HistoryCommands.h"
#include "HistoryDatabaseFixture.h"
#include "Hooks.h"
#include "MainCommands.h"
#include "SplitCoefficients.h"
#include "frmSplitsEdit.h"

namespace vel {
namespace {

// The window tests need an application object; it is deleted after the last test, so that the
// windowing system's resources are released before the program ends.
std::unique_ptr<QApplication> g_application;
class ApplicationEnvironment : public ::testing::Environment {
public:
    void TearDown() override { g_application.reset(); }
};
const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

void EnsureApplication() {
    if (QApplication::instance()) return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "history_tests";
    static char* argv[] = {name, nullptr};
    g_application = std::make_unique<QApplication>(argc, argv);
}

constexpr int kDays = 30;

class SplitCoefficientsTest : public testing::HistoryDatabaseFixture {
protected:
    void SetUp() override {
        HistoryDatabaseFixture::SetUp();
        // 30 weekdays from Wednesday 1/2/2002 on; dates_[d] is the date of DateNum d.
        dates_.push_back(Date{});
        for (long serial = dateSerial(Date{2002, 1, 2}); dates_.size() <= kDays; ++serial)
            if (serial % 7 >= 2) dates_.push_back(dateFromSerial(serial));
        // AAA halves after day 20 and its volume doubles (a 2-for-1 split); BBB falls with
        // ratio 1.3 after day 5 and rises after day 10 (no events); CCC falls with ratio 1.4
        // after day 15 (coefficient 1.5).
        Write(
            "AAA", [](int d) { return d <= 20 ? 100 : 50; },
            [](int d) { return d <= 20 ? 1000 : 2000; });
        Write(
            "BBB", [](int d) { return d <= 5    ? 13
                                      : d <= 10 ? 10
                                                : 20; }, [](int) { return 500; });
        Write(
            "CCC", [](int d) { return d <= 15 ? 14 : 10; }, [](int) { return 300; });
        db_ = BuildDatabase(2, 3, 4);
    }
    template <class P, class V>
    void Write(const std::string& symbol, P price, V volume) {
        std::ofstream out(JoinPath(DataFolder, symbol + ".csv"), std::ios::binary);
        out << "Date,Close,Volume\r\n";
        for (int d = 1; d <= kDays; ++d)
            out << Short(d) << ',' << price(d) << ',' << volume(d) << "\r\n";
    }
    std::string Iso(int d) const { return formatIsoDate(dates_.at(static_cast<size_t>(d))); }
    std::string Short(int d) const { return formatShortDate(dates_.at(static_cast<size_t>(d))); }

    // "SYMBOL date coefficient" of every split event, by symbol and date.
    std::vector<std::string> Events() const {
        Database db = Database::Open(db_);
        Statement s =
            db.prepare("SELECT Symbol, TradeDate, SplitCoef FROM SplitEvents ORDER BY 1, 2");
        std::vector<std::string> rows;
        while (s.step())
            rows.push_back(s.getText(0) + " " + s.getText(1) + " " +
                           formatSingle(static_cast<float>(s.getDouble(2))));
        return rows;
    }
    // The coefficients of a symbol's rows, DateNum 1 to 30.
    std::vector<double> Coefs(const std::string& symbol) const {
        Database db = Database::Open(db_);
        Statement s = db.prepare("SELECT SplitCoef FROM History WHERE Symbol=?1 ORDER BY DateNum");
        s.bindText(1, symbol);
        std::vector<double> coefs;
        while (s.step()) coefs.push_back(s.getDouble(0));
        return coefs;
    }
    // older on days 1..lastOlderDay, newer after.
    static std::vector<double> Steps(double older, int lastOlderDay, double newer) {
        std::vector<double> v;
        for (int d = 1; d <= kDays; ++d) v.push_back(d <= lastOlderDay ? older : newer);
        return v;
    }
    void Execute(const std::string& sql) { Database::Open(db_).execute(sql); }
    // The table rows of the page of user-adjusted splits, "symbol factor date" each.
    static std::vector<std::string> ReportRows(const std::string& page) {
        const auto lines = ReadTextLines(page);
        std::vector<std::string> rows;
        for (size_t i = 0; i + 3 < lines.size(); ++i)
            if (lines[i] == "<TR>" && lines[i + 1].rfind("<TD>", 0) == 0)
                rows.push_back(lines[i + 1] + " " + lines[i + 2] + " " + lines[i + 3]);
        return rows;
    }
    void Answer() { door_.QueueMessageAnswer(MsgAnswer::OK); }

    std::vector<Date> dates_;
    std::string db_;
};

TEST_F(SplitCoefficientsTest, TwoForOneSplitIsEstimatedEditedAppliedLoadedAndRemoved) {
    Answer();
    ASSERT_TRUE(EstimateSplitEvents(db_));
    EXPECT_EQ(LastMessage(),
              "Stock split events estimated!\r\nNo changes in History table made!\r\n"
              "Now, you can edit estimated stock split events!\r\n");
    // Dated the older of the two days; rises and a ratio of 1.3 are no events.
    const std::vector<std::string> events = {"AAA " + Iso(20) + " 2", "CCC " + Iso(15) + " 1.5"};
    EXPECT_EQ(Events(), events);
    EXPECT_EQ(Coefs("AAA"), Steps(1, 0, 1)) << "the estimate changes no coefficient";

    // In the editor the AAA event is deleted (row selected, delete key) and typed in again
    // through the row marked "*", loosely: it is stored so that it matches the history.
    EnsureApplication();
    SplitsDatabasePath = db_;
    {
        frmSplitsEdit window;
        ASSERT_TRUE(window.Form_Load());
        SplitEventsModel& grid = *window.Data1();
        ASSERT_EQ(grid.rowCount(), 3);
        EXPECT_EQ(grid.headerData(2, Qt::Vertical, Qt::DisplayRole).toString(),
                  QStringLiteral("*"));
        EXPECT_EQ(grid.data(grid.index(0, 1), Qt::DisplayRole).toString().toStdString(), Short(20));
        window.DBGrid1()->selectionModel()->select(
            grid.index(0, 0), QItemSelectionModel::Rows | QItemSelectionModel::Select);
        QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
        QApplication::sendEvent(window.DBGrid1(), &del);
        ASSERT_EQ(grid.rowCount(), 2);

        EXPECT_TRUE(grid.setData(grid.index(1, 0), QStringLiteral(" aaa ")));
        EXPECT_TRUE(grid.setData(grid.index(1, 2), QStringLiteral("2")));
        Answer();  // a day that does not exist is refused; the row waits for a correction
        grid.setData(grid.index(1, 1), QStringLiteral("2/30/2002"));
        EXPECT_EQ(LastMessage(), "Split date is not a valid date: 2/30/2002");
        EXPECT_EQ(grid.rowCount(), 2);
        EXPECT_TRUE(grid.setData(grid.index(1, 1), QString::fromStdString(Short(20))));
        ASSERT_EQ(grid.rowCount(), 3);
        Answer();  // a cell keeps its value when the text is no number
        EXPECT_FALSE(grid.setData(grid.index(0, 2), QStringLiteral("1.5x")));
        EXPECT_EQ(grid.data(grid.index(0, 2), Qt::DisplayRole).toString(), QStringLiteral("1.5"));
        Answer();
        window.cmdQuit_Click();
        EXPECT_EQ(LastMessage().rfind("Editing of stock split events is over!\r\n", 0), 0u);
    }
    EXPECT_EQ(Events(), events);

    Answer();
    ASSERT_TRUE(UpdateSplitCoefficients(db_)) << LastMessage();
    EXPECT_EQ(LastMessage().rfind("Stock split coeficients updated in History table!\r\n", 0), 0u);
    EXPECT_EQ(Coefs("AAA"), Steps(2, 20, 1));
    EXPECT_EQ(Coefs("BBB"), Steps(1, 0, 1));
    EXPECT_EQ(Coefs("CCC"), Steps(1.5, 15, 1));

    // After a load the split no longer shows: 50 and 2000 on every day.
    Load(db_);
    const long aaa = StockOf("AAA");
    ASSERT_EQ(aaa, 1);
    for (long d = 1; d <= kDays; ++d) {
        EXPECT_EQ(Price(aaa, d), 50.0f) << "day " << d;
        EXPECT_EQ(Volume(aaa, d), 2000.0f) << "day " << d;
    }
    EXPECT_EQ(Price(StockOf("CCC"), 1), 14.0f / 1.5f);

    const std::string page = TempPath("UserAdjustedStockSplits.html");
    ASSERT_TRUE(WriteUserAdjustedSplitsReport(db_, page));
    EXPECT_EQ(ReportRows(page), (std::vector<std::string>{
                                    "<TD>AAA</TD> <TD>2.0000</TD> <TD>" + Short(20) + "</TD>",
                                    "<TD>CCC</TD> <TD>1.5000</TD> <TD>" + Short(15) + "</TD>"}));

    Answer();
    ASSERT_TRUE(RemoveSplitCoefficients(db_));
    EXPECT_EQ(LastMessage().rfind("Stock split coeficients removed from History table!\r\n", 0),
              0u);
    EXPECT_EQ(Coefs("AAA"), Steps(1, 0, 1));
    EXPECT_EQ(Events(), events) << "the events are kept";
    Load(db_);
    EXPECT_EQ(Price(StockOf("AAA"), 1), 100.0f);
    EXPECT_EQ(Volume(StockOf("AAA"), 1), 1000.0f);
    EXPECT_EQ(MainLabelText(MainLabel::PerformedTask), "");
}

// Qt's warnings that a grid was handed an editor it had already let go of.
std::vector<std::string> g_editorWarnings;
void RecordEditorWarning(QtMsgType, const QMessageLogContext&, const QString& message) {
    if (message.contains(QStringLiteral("editor that does not belong to this view")))
        g_editorWarnings.push_back(message.toStdString());
}

TEST_F(SplitCoefficientsTest, TheGridEndsItsEditorsCleanlyAfterARefusedEntry) {
    Answer();
    ASSERT_TRUE(EstimateSplitEvents(db_));
    EnsureApplication();
    SplitsDatabasePath = db_;
    g_editorWarnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(&RecordEditorWarning);
    {
        frmSplitsEdit window;
        ASSERT_TRUE(window.Form_Load());
        window.show();
        QApplication::setActiveWindow(&window);
        QTableView* grid = window.DBGrid1();
        // Each cell as the user edits it: F2 opens its editor, the text is typed, Enter commits.
        const auto type = [grid](int row, int column, const char* text) {
            grid->setFocus();
            grid->setCurrentIndex(grid->model()->index(row, column));
            QKeyEvent f2(QEvent::KeyPress, Qt::Key_F2, Qt::NoModifier);
            QApplication::sendEvent(grid, &f2);
            QWidget* editor = QApplication::focusWidget();
            ASSERT_NE(editor, grid) << "no editor opened on " << row << "," << column;
            QKeyEvent all(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier);
            QApplication::sendEvent(editor, &all);
            for (const char c : std::string(text)) {
                QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(QLatin1Char(c)));
                QApplication::sendEvent(editor, &key);
            }
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QApplication::sendEvent(editor, &enter);
            QApplication::processEvents();
        };
        Answer();
        type(0, 2, "abc");
        EXPECT_EQ(LastMessage(), "Split coefficient is not a number: abc");
        type(2, 0, "ddd");
        type(2, 2, "3");
        Answer();  // the row marked "*" is full, and its date refused
        type(2, 1, "notadate");
        EXPECT_EQ(LastMessage(), "Split date is not a valid date: notadate");
        ASSERT_EQ(grid->model()->rowCount(), 3);
        type(2, 1, Short(7).c_str());
        ASSERT_EQ(grid->model()->rowCount(), 4);
        EXPECT_EQ(grid->model()->index(2, 0).data().toString(), QStringLiteral("DDD"));
        window.hide();
        QApplication::processEvents();
    }
    qInstallMessageHandler(previous);
    EXPECT_EQ(g_editorWarnings, std::vector<std::string>{});
}

// While a run holds the database's folder, a complete new event cannot be saved: each refusal is
// logged, and "Save and Quit" says why without calling the row incomplete and keeps the window.
TEST_F(SplitCoefficientsTest,
       AnEventRefusedUnderTheLockIsLoggedAndItsCompleteRowNotCalledIncomplete) {
    EnsureApplication();
    SplitsDatabasePath = db_;
    OpenActivityLog("Vellicor.log");
    const std::string folder = FolderOf(db_);
    const std::string refusal =
        "Split event cannot be saved!\r\nThe data folder is in use by another run or import!\r\n" +
        folder;
    frmSplitsEdit window;
    ASSERT_TRUE(window.Form_Load());
    SplitEventsModel& grid = *window.Data1();
    const size_t shown = Messages().size();
    {
        const FolderLock run(folder);  // another process, as far as the lock goes
        ASSERT_TRUE(run.held());
        EXPECT_TRUE(grid.setData(grid.index(0, 0), QStringLiteral("AAA")));
        EXPECT_TRUE(grid.setData(grid.index(0, 2), QStringLiteral("2")));
        Answer();
        EXPECT_TRUE(grid.setData(grid.index(0, 1), QString::fromStdString(Short(20))));
        Answer();
        window.cmdQuit_Click();
        const auto messages = Messages();
        EXPECT_EQ(
            std::vector<std::string>(messages.begin() + static_cast<long>(shown), messages.end()),
            (std::vector<std::string>{refusal, refusal}));
        const std::string line = "The data folder is in use by another run or import! " + folder;
        EXPECT_EQ(LogTexts(), (std::vector<std::string>{line, line}));
        EXPECT_TRUE(Events().empty());
        EXPECT_TRUE(grid.HasPendingNewRow());
    }
    Answer();
    window.cmdQuit_Click();
    EXPECT_EQ(LastMessage().rfind("Editing of stock split events is over!\r\n", 0), 0u);
    EXPECT_EQ(Events(), std::vector<std::string>{"AAA " + Iso(20) + " 2"});
}

TEST(SplitCoefficientRule, CoefficientIsTheRatioInHalvesFromOnePointFourOn) {
    const std::pair<double, double> table[] = {{0.5, 1},  {1.3, 1},  {1.399, 1}, {1.4, 1.5},
                                               {1.75, 2}, {2.25, 2}, {2.75, 3},  {10.0, 10}};
    for (const auto& [ratio, coef] : table)
        EXPECT_EQ(SplitCoefficientOfRatio(ratio), coef) << "ratio " << ratio;
}

TEST_F(SplitCoefficientsTest, EventsOnTheNewestDayAdjustTheOlderDaysAndIgnoredEventsDoNothing) {
    for (const std::string& values :
         {"'AAA', '" + Iso(kDays) + "', 2", "'AAA', '" + Iso(20) + "', 1.5",
          "'BBB', '" + Iso(10) + "', 0", "'BBB', '" + Iso(11) + "', -2",
          std::string("'CCC', '2001-12-25', 3"), "'ZZZ', '" + Iso(5) + "', 3"})
        Execute("INSERT INTO SplitEvents VALUES (" + values + ")");
    Answer();
    ASSERT_TRUE(UpdateSplitCoefficients(db_)) << LastMessage();
    EXPECT_EQ(Coefs("AAA"), Steps(3, 20, 2));
    EXPECT_EQ(Coefs("BBB"), Steps(1, 0, 1));
    EXPECT_EQ(Coefs("CCC"), Steps(1, 0, 1));
    const std::string page = TempPath("adjusted.html");
    ASSERT_TRUE(WriteUserAdjustedSplitsReport(db_, page));
    EXPECT_EQ(ReportRows(page), (std::vector<std::string>{
                                    "<TD>AAA</TD> <TD>2.0000</TD> <TD>" + Short(kDays) + "</TD>",
                                    "<TD>AAA</TD> <TD>1.5000</TD> <TD>" + Short(20) + "</TD>"}));
}

TEST_F(SplitCoefficientsTest, FailingUpdateRollsBackEveryCoefficient) {
    Answer();
    ASSERT_TRUE(EstimateSplitEvents(db_));
    Answer();
    ASSERT_TRUE(UpdateSplitCoefficients(db_));
    // AAA's rows are rewritten with 4, then CCC's oldest days reach 3, which the injected
    // trigger refuses.
    Execute("UPDATE SplitEvents SET SplitCoef=4 WHERE Symbol='AAA'");
    Execute("INSERT INTO SplitEvents VALUES ('CCC', '" + Iso(5) + "', 2)");
    Execute(
        "CREATE TRIGGER fail_three BEFORE UPDATE OF SplitCoef ON History "
        "WHEN NEW.SplitCoef = 3 BEGIN SELECT RAISE(ABORT, 'injected failure'); END");
    Answer();
    EXPECT_FALSE(UpdateSplitCoefficients(db_));
    EXPECT_EQ(LastMessage().rfind("Vellicor error handler:\r\nPosition: 29  Error: ", 0), 0u);
    EXPECT_NE(LastMessage().find("injected failure"), std::string::npos);
    EXPECT_EQ(Coefs("AAA"), Steps(2, 20, 1));
    EXPECT_EQ(Coefs("CCC"), Steps(1.5, 15, 1));
}

TEST_F(SplitCoefficientsTest, DatabasesWithoutTheTablesAreReportedAndLeftAlone) {
    const std::string bare = TempPath("bare.mdb");
    Database::Create(bare).execute("CREATE TABLE History1(Symbol TEXT)");
    Answer();
    EXPECT_FALSE(EstimateSplitEvents(bare));
    EXPECT_EQ(LastMessage().rfind("Vellicor error handler:\r\nPosition: 27  Error: ", 0), 0u);
    EXPECT_NE(LastMessage().find("Table History not found in " + bare), std::string::npos);
    // A missing database is not created, and a failed page leaves the old page as it was (the
    // caller opens no page).
    const std::string missing = TempPath("missing.mdb"), page = TempPath("old.html");
    std::ofstream(page) << "stale";
    Answer();
    EXPECT_FALSE(WriteUserAdjustedSplitsReport(missing, page));
    EXPECT_NE(LastMessage().find("Position: 28"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(missing));
    std::string old;
    std::getline(std::ifstream(page), old);
    EXPECT_EQ(old, "stale");
}

TEST_F(SplitCoefficientsTest, MainWindowCommandsReachTheSplitStepsThroughTheirEntryPoints) {
    RegisterHistoryCommands();
    door_.QueueOpenFile(db_);
    Answer();
    mnuEstimateSplitEvents_Click();
    EXPECT_EQ(Events().size(), 2u);

    // The page of user-adjusted splits is written and opened in the browser.
    door_.programsOnPath["xdg-open"] = TempPath("xdg-open");
    std::ofstream(TempPath("xdg-open")) << "x";
    door_.QueueOpenFile(db_);
    mnuViewSplitCoeficients_Click();
    ASSERT_EQ(door_.CallsOf("browser").size(), 1u);
    EXPECT_EQ(door_.CallsOf("browser")[0].args,
              std::vector<std::string>{TempPath("UserAdjustedStockSplits.html")});

    // The editor is the split editor form, shown through the door on the chosen database.
    std::string editorDatabase;
    door_.QueueOpenFile(db_);
    door_.QueueForm<SplitEventsEditorForm>(
        [&](SplitEventsEditorForm& f) { editorDatabase = f.databasePath; });
    mnuEditEstimatedStockSplits_Click();
    EXPECT_EQ(editorDatabase, db_);
    EXPECT_EQ(SplitsDatabasePath, db_);

    // While another computing command runs, a split command only beeps.
    BusyGuard running;
    door_.QueueOpenFile(db_);
    mnuUpdateSplitCoeficients_Click();
    EXPECT_EQ(door_.Beeps(), 1);
    EXPECT_EQ(Coefs("AAA"), Steps(1, 0, 1));
}

}  // namespace
}  // namespace vel
