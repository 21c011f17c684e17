// The interactive import: the source dialog's states, the column validation, the run from the
// main window's command with the dialogs answered by a script and the scripted door, and the
// load of the database it built.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <filesystem>
#include <fstream>
#include <functional>

#include "EntryPoints.h"
#include "EodGenerator.h"
#include "EodImport.h"
#include "FolderLock.h"
#include "HistoryCommands.h"
#include "HistoryImport.h"
#include "HistoryLoad.h"
#include "HistoryTestSupport.h"
#include "ImportDialogs.h"
#include "MainCommands.h"
#include "MainWindowView.h"
#include "frmHistoryImport.h"

namespace vel {
namespace {

class ImportDialogsTest : public testing::HistoryFixture {
protected:
    void SetUp() override {
        HistoryFixture::SetUp();
        AutoRunMode = 0;
        ClearEntryPoints();
        RegisterHistoryCommands();
        // The automation's structure file, told after every import of text files.
        AutomationCommands.SaveEODStructure = [this] {
            structureColumns.push_back(ImportColumnName(2) + "/" + ImportColumnName(6));
            return true;
        };
    }
    // The user's part in the next source dialog and column dialog, queued in the order the
    // dialogs come (with the other answers); each counts how often it was shown.
    void SourceDialog(std::function<void(HistoryImportForm&)> source) {
        door_.QueueForm<HistoryImportForm>([this, source](HistoryImportForm& f) {
            ++sourceShown;
            source(f);
        });
    }
    void ColumnDialog(std::function<void(ColumnNumberForm&)> columns) {
        door_.QueueForm<ColumnNumberForm>([this, columns](ColumnNumberForm& f) {
            ++columnsShown;
            preview = f.Text1;
            columns(f);
        });
    }
    static std::function<void(ColumnNumberForm&)> Numbers(const char* s, const char* d,
                                                          const char* p, const char* v) {
        return [=](ColumnNumberForm& f) {
            f.Text2 = s;
            f.Text3 = d;
            f.Text4 = p;
            f.Text5 = v;
            f.cmdContinue_Click();
        };
    }
    int Count(const std::string& fragment) const {
        int n = 0;
        for (const auto& m : Messages()) n += m.find(fragment) != std::string::npos;
        return n;
    }
    int sourceShown = 0, columnsShown = 0;
    std::string preview;
    std::vector<std::string> structureColumns;  // roles of columns 2 and 6 at each save
};

TEST_F(ImportDialogsTest, SourceDialogStartsAtAFolderAndEmptiesThePathOnAnotherKind) {
    ImportSourceType = 1;
    BrowserPath = "/usr/bin/browser";
    HistoryImportForm f;
    f.Form_Load();
    EXPECT_EQ(ImportSourceType, 2);
    EXPECT_TRUE(f.Option(2));
    EXPECT_FALSE(f.Option(1));
    EXPECT_EQ(BrowserPath, "");
    door_.QueueOpenFile("/data/ibm.csv");
    f.cmdBrowse_Click();
    EXPECT_EQ(door_.CallsOf("open").back().title, "Select historical text data for importing.");
    EXPECT_EQ(f.Text1, "/data/ibm.csv");
    f.Option2_Click();  // the kind already chosen keeps the path
    EXPECT_EQ(f.Text1, "/data/ibm.csv");
    f.Option3_Click();
    EXPECT_EQ(f.Text1, "");
    EXPECT_TRUE(f.Option(3));
    door_.QueueOpenFile("");
    f.cmdBrowse_Click();
    EXPECT_EQ(door_.CallsOf("open").back().text, "History.mdb database (History.mdb)|History.mdb");
    f.Text1 = "/typed/History.mdb";
    f.cmdContinueEODselect_Click();
    EXPECT_TRUE(f.Unloaded());
    EXPECT_EQ(ImportSourcePath, "/typed/History.mdb");
}

TEST_F(ImportDialogsTest, ColumnNumbersMustBeDistinctTypedColumnsOneToNineteen) {
    for (int c = 1; c <= 20; ++c) ImportColumnType(c) = c <= 8 ? 1 : 0;
    EXPECT_TRUE(ValidateImportColumnNumbers("1", " 2", "06", "7"));
    EXPECT_EQ(ImportColumnName(1), "Symbol");
    EXPECT_EQ(ImportColumnName(2), "TradeDate");
    EXPECT_EQ(ImportColumnName(6), "Price");
    EXPECT_EQ(ImportColumnName(7), "Volume");
    ImportColumnType(20) = 1;
    const char* refused[][4] = {{"20", "2", "6", "7"}, {"0", "2", "6", "7"},
                                {"-1", "2", "6", "7"}, {"abc", "2", "6", "7"},
                                {"", "2", "6", "7"},   {"2", "02", "6", "7"},
                                {"1", "2", "6", "9"},  {"1.5", "2", "6", "7"}};
    for (const auto& r : refused) {
        EXPECT_FALSE(ValidateImportColumnNumbers(r[0], r[1], r[2], r[3])) << r[0] << " " << r[1];
        for (int c = 1; c <= 20; ++c) EXPECT_EQ(ImportColumnName(c), "");
    }
}

TEST_F(ImportDialogsTest, AnImportThroughTheMainWindowBuildsAHistoryThatLoads) {
    eodgen::Options o;
    o.symbols = 12;
    o.days = 80;
    o.splitRate = 0.5;
    o.dateForm = eodgen::DateForm::DayMonYY;
    const auto generated = eodgen::WriteSymbolFiles(TempPath("eod"), o);
    SourceDialog([&](HistoryImportForm& f) {
        f.Option1_Click();
        f.Option2_Click();
        f.cmdBrowse_Click();
        f.cmdContinueEODselect_Click();
    });
    door_.QueueOpenFile(generated.files[3]);  // the folder, chosen through one of its files
    ColumnDialog(Numbers("1", "2", "6", "7"));
    door_.QueueMessageAnswer(MsgAnswer::OK);  // "End of historical data importing!"
    mnuImportFromText_Click();
    EXPECT_EQ(sourceShown, 1);
    EXPECT_EQ(columnsShown, 1);
    // The header line is text, so the date and number columns are just below 100 percent.
    EXPECT_NE(preview.find("TEXT 100.0000  DATE 98."), std::string::npos)
        << preview.substr(preview.size() - 310);
    EXPECT_EQ(Count("End of historical data importing!"), 1);
    EXPECT_EQ(structureColumns, std::vector<std::string>{"TradeDate/Price"});
    const std::string database = TempPath("eod/History.mdb");
    EXPECT_EQ(HistoryDatabasePath, database);
    EXPECT_EQ(ImportFolderFileNames.size(), 12u);
    {
        Database db = Database::Open(database);
        EXPECT_EQ(db.scalar("SELECT count(*) FROM History1").toInteger(), generated.rows);
        EXPECT_EQ(db.scalar("SELECT count(*) FROM History").toInteger(), 12 * 80);
    }

    door_.QueueOpenFile(database);
    mnuLoadHistory_Click();
    EXPECT_EQ(LoadedSymbolCount, 12);
    EXPECT_EQ(LoadedDayCount, 80);
    EXPECT_EQ(MainLabelText(MainLabel::LoadedStockData), database);
    EXPECT_TRUE(HistoryCommandsEnabled());
    EXPECT_EQ(TradeDateOfDay(1), formatShortDate(generated.tradeDates.front()));
    // A split shows in the raw prices: the loaded prices carry it until the split commands
    // set its coefficient.
    EXPECT_FALSE(generated.splits.empty());
}

TEST_F(ImportDialogsTest, CancelInvalidPathsAndRefusedNumbersChangeNothing) {
    SourceDialog([](HistoryImportForm& f) { f.cmdCancel_Click(); });
    mnuImportFromText_Click();
    EXPECT_TRUE(Messages().empty());

    SourceDialog([](HistoryImportForm& f) {
        f.Text1 = "  /no/such/file.csv ";
        f.cmdContinueEODselect_Click();
    });
    door_.QueueMessageAnswer(MsgAnswer::OK);
    mnuImportFromText_Click();
    EXPECT_EQ(Messages().back(), "/no/such/file.csv  is not valid file path!");

    eodgen::Options o;
    o.symbols = 2;
    o.days = 10;
    const auto generated = eodgen::WriteSymbolFiles(TempPath("eod"), o);
    SourceDialog([&](HistoryImportForm& f) {
        f.Text1 = generated.files[0];
        f.cmdContinueEODselect_Click();
    });
    ColumnDialog(Numbers("1", "2", "6", "6"));
    mnuImportFromText_Click();
    EXPECT_EQ(door_.Beeps(), 1);
    EXPECT_FALSE(std::filesystem::exists(TempPath("eod/History.mdb")));
    EXPECT_TRUE(structureColumns.empty());
}

TEST_F(ImportDialogsTest, ADatabaseImportAfterATextImportBuildsOnce) {
    eodgen::Options o;
    o.symbols = 3;
    o.days = 12;
    const auto generated = eodgen::WriteSymbolFiles(TempPath("eod"), o);
    SourceDialog([&](HistoryImportForm& f) {
        f.Option1_Click();
        f.Text1 = generated.files[0];
        f.cmdContinueEODselect_Click();
    });
    ColumnDialog(Numbers("1", "2", "6", "7"));
    door_.QueueMessageAnswer(MsgAnswer::OK);
    mnuImportFromText_Click();
    EXPECT_EQ(Count("End of historical data importing!"), 1);

    // Directly after it, an existing database with only History1: built once, no column dialog.
    std::filesystem::create_directories(TempPath("db3"));
    HistoryDatabasePath = TempPath("db3/History.mdb");
    WriteHistory1({{"A", testing::Day(0), 1, 1}, {"A", testing::Day(1), 2, 2}});
    SourceDialog([&](HistoryImportForm& f) {
        f.Option3_Click();
        f.Text1 = TempPath("db3/History.mdb");
        f.cmdContinueEODselect_Click();
    });
    door_.QueueMessageAnswer(MsgAnswer::OK);
    mnuImportFromText_Click();
    EXPECT_EQ(columnsShown, 1);  // the text import's only
    EXPECT_EQ(Count("Vellicor error handler:"), 0);
    EXPECT_EQ(Count("End of historical data importing!"), 2);
    EXPECT_EQ(structureColumns.size(), 1u);  // the database build keeps no structure
    Database db = Database::Open(TempPath("db3/History.mdb"));
    EXPECT_EQ(db.scalar("SELECT count(*) FROM History").toInteger(), 2);
}

TEST_F(ImportDialogsTest, AFolderWhoseDatesAreTextIsRefusedAndTheHistoryStays) {
    // Two symbols over five days, the dates in the form `dates` writes.
    const auto write = [this](const std::function<std::string(int)>& dates) {
        std::filesystem::create_directories(TempPath("eod"));
        for (const char* symbol : {"a", "b"}) {
            std::string text;
            for (int d = 2; d <= 6; ++d)
                text += dates(d) + "," + std::to_string(10 + d) + ".5,1000\r\n";
            std::ofstream(TempPath("eod/") + symbol + ".csv", std::ios::binary) << text;
        }
    };
    const auto import = [&] {
        SourceDialog([&](HistoryImportForm& f) {
            f.Option2_Click();
            f.cmdBrowse_Click();
            f.cmdContinueEODselect_Click();
        });
        door_.QueueOpenFile(TempPath("eod/a.csv"));
        ColumnDialog(Numbers("1", "2", "3", "4"));
        door_.QueueMessageAnswer(MsgAnswer::OK);
        mnuImportFromText_Click();
    };
    write([](int d) { return "1/" + std::to_string(d) + "/2020"; });
    import();
    ASSERT_EQ(Count("End of historical data importing!"), 1);
    const std::string database = TempPath("eod/History.mdb");
    const std::string previous = testing::DumpDatabase(database);

    // Dates in a form the import does not read: the column analysis finds text.
    write([](int d) { return "2020.01.0" + std::to_string(d); });
    import();
    EXPECT_NE(preview.find("TEXT 100.0000  TEXT 100.0000  NUM 100.0000"), std::string::npos)
        << preview.substr(preview.size() - 310);
    EXPECT_EQ(Messages().back(),
              "The TradeDate column holds no dates!\r\nIts values are text, not dates in a form "
              "the import reads, so the trading days cannot be put in order.\r\nNothing was "
              "changed.\r\n");
    EXPECT_EQ(Count("End of historical data importing!"), 1);
    EXPECT_EQ(testing::DumpDatabase(database), previous);
    EXPECT_FALSE(std::filesystem::exists(NewHistoryDatabasePath(database)));
}

TEST_F(ImportDialogsTest, AnImportIntoAFolderThatARunHoldsIsRefusedAndTheHistoryStays) {
    eodgen::Options o;
    o.symbols = 3;
    o.days = 20;
    const auto generated = eodgen::WriteSymbolFiles(TempPath("eod"), o);
    const auto import = [&] {
        SourceDialog([&](HistoryImportForm& f) {
            f.Option2_Click();
            f.cmdBrowse_Click();
            f.cmdContinueEODselect_Click();
        });
        door_.QueueOpenFile(generated.files[0]);
        ColumnDialog(Numbers("1", "2", "6", "7"));
        door_.QueueMessageAnswer(MsgAnswer::OK);
        mnuImportFromText_Click();
    };
    import();
    ASSERT_EQ(Count("End of historical data importing!"), 1);
    const std::string database = TempPath("eod/History.mdb");
    const std::string previous = testing::DumpDatabase(database);

    // An unattended run of the set (another process, as far as the lock goes) works on it.
    const FolderLock run(TempPath("eod/"));
    ASSERT_TRUE(run.held());
    std::filesystem::remove(generated.files[1]);
    import();
    EXPECT_EQ(Messages().back(),
              "The data folder is in use by another run or import!\r\n" + TempPath("eod/"));
    EXPECT_EQ(Count("End of historical data importing!"), 1);
    EXPECT_EQ(testing::DumpDatabase(database), previous);
    EXPECT_EQ(structureColumns.size(), 1u);
}

TEST_F(ImportDialogsTest, ASecondClickDuringALongImportOnlyBeeps) {
    eodgen::Options o;
    o.symbols = 4;
    o.days = 60;
    const auto generated = eodgen::WriteSymbolFiles(TempPath("eod"), o);
    SourceDialog([&](HistoryImportForm& f) {
        f.Text1 = generated.files[0];
        f.cmdContinueEODselect_Click();
    });
    ColumnDialog(Numbers("1", "2", "6", "7"));
    door_.QueueMessageAnswer(MsgAnswer::OK);
    // While the import yields, the user clicks the import, the load and a report again.
    bool clicked = false;
    door_.OnYield(12, [&] {
        clicked = true;
        mnuImportFromText_Click();
        Toolbar1_ButtonClick("find");
        mnuFindPseudoSplits_Click();
    });
    mnuImportFromText_Click();
    ASSERT_TRUE(clicked);
    EXPECT_EQ(door_.Beeps(), 3);
    EXPECT_EQ(sourceShown, 1);
    EXPECT_TRUE(door_.CallsOf("open").empty());  // the load asked for no database
    EXPECT_EQ(Count("End of historical data importing!"), 1);
    Database db = Database::Open(TempPath("eod/History.mdb"));
    EXPECT_GT(db.scalar("SELECT count(*) FROM History").toInteger(), 0);
}

TEST_F(ImportDialogsTest, ASecondDatabaseCommandWhileOneRunsOnlyBeeps) {
    BusyGuard running;
    RunEntryPoint(HistoryCommands.ImportHistoryFromText, "ImportHistoryFromText");
    EXPECT_EQ(sourceShown, 0);
    EXPECT_EQ(door_.Beeps(), 1);
    HistoryDatabasePath = TempPath("History.mdb");
    RunEntryPoint(HistoryCommands.LoadHistory, "LoadHistory");
    EXPECT_EQ(door_.Beeps(), 2);
    EXPECT_EQ(MainLabelText(MainLabel::PerformedTask), "");
}

TEST_F(ImportDialogsTest, TheColumnDialogShowsTheLastColumnWithDataWhole) {
    std::ofstream(TempPath("AAAA.csv")) << "Date,Open,High,Low,Close,Adjusted\n"
                                        << "2010-01-04,20.29,20.40,19.92,19.98,19.98\n";
    AnalyzeTextColumns(TempPath("AAAA.csv"));
    FinishColumnAnalysis();
    ColumnNumberForm form;
    form.Form_Load();
    frmColNumSel window(form, nullptr);
    window.show();
    QApplication::processEvents();
    const auto* preview = window.findChild<QPlainTextEdit*>();
    // The file's header line in the preview, through its last column "Adjusted".
    const QString text = QString::fromStdString(form.Text1);
    const qsizetype last = text.indexOf(QStringLiteral("Adjusted")) + 8;
    ASSERT_GT(last, 8);
    const qsizetype start = text.lastIndexOf(u'\n', last) + 1;
    const QString line = text.mid(start, last - start);
    const int margins = 2 * static_cast<int>(preview->document()->documentMargin());
    EXPECT_GE(preview->viewport()->width(),
              QFontMetrics(preview->font()).horizontalAdvance(line) + margins);
    window.close();
}

}  // namespace
}  // namespace vel
