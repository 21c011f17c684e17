// The chart window built offscreen on a loaded history and driven as a user and as code
// drive it: menus and the command surface, the tree, the scroll rules, the cursor and the
// mouse, the basket buttons and list commands, captions and their enabling, the switching
// during market calculations, the busy guard and a second history load.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeWidget>
#include <fstream>

#include "ActivityLog.h"
#include "AnalysisEntryPoints.h"
#include "AppState.h"
#include "ChartCurves.h"
#include "ChartMenus.h"
#include "ChartWindowCommands.h"
#include "ChartWindowFixture.h"
#include "EntryPoints.h"
#include "Hooks.h"
#include "LoadedHistory.h"
#include "MainCommands.h"
#include "SmallRoutines.h"
#include "StockBasket.h"
#include "StockCurves.h"
#include "frmChartView.h"

namespace vel {
namespace {

class ChartWindowTest : public testing::ChartWindowFixture {
protected:
    void SetUp() override {
        ChartWindowFixture::SetUp();
        OpenWithoutAnalysis(30, 120, QSize(900, 700));
    }
    ChartWindow& Model() { return w->Model(); }
    bool Enabled(const char* item) const {
        return w->MenuItem(QString::fromLatin1(item))->isEnabled();
    }
    QString LabelText(const char* name) const {
        return w->findChild<QLabel*>(QString::fromLatin1(name))->text();
    }
    void Click(const char* button) {
        w->findChild<QPushButton*>(QString::fromLatin1(button))->click();
    }
    std::vector<long> Members() const {
        std::vector<long> out;
        for (long i = 1; i <= 30; ++i)
            if (BasketFlag(i) == 1) out.push_back(i);
        return out;
    }
};

TEST_F(ChartWindowTest, MenuBarHoldsEveryItemWithHiddenItemsCallableByName) {
    QStringList menus;
    for (QAction* a : w->menuBar()->actions()) menus << a->text();
    EXPECT_EQ(menus, (QStringList{"Basket", "Parameters", "Trends", "Market", "Stocks",
                                  "Mainstream", "Analysis", "Portfolio", "Screening", "Research",
                                  "Tools_A", "Tools_B", "Windows", "Quit"}));
    int items = 0;
    for (const ChartMenu& m : ChartWindowMenus())
        for (const ChartMenuItem& i : m.items) {
            QAction* a = w->MenuItem(QString::fromStdString(i.name));
            ASSERT_NE(a, nullptr) << i.name;
            EXPECT_EQ(a->isVisible(), !i.hidden) << i.name;
            EXPECT_EQ(a->isSeparator(), i.separator()) << i.name;
            if (!i.separator()) ++items;
        }
    EXPECT_EQ(items, 85);
    EXPECT_FALSE(w->MenuItem("mnuShowStockMarketTimingReport")->isVisible());
    EXPECT_FALSE(w->MenuItem("mnuPutPortfolioCandidates")->isVisible());
    EXPECT_EQ(Caption("mnuIntersectStockBasketWithClipboardTextStrings"),
              "Intersect Stock Basket with stocks from clipboard ");
    const std::pair<const char*, int> keys[] = {{"mnuCursorSaveAsBuyPosition", Qt::Key_F1},
                                                {"mnuCursorSaveAsSellPosition", Qt::Key_F2},
                                                {"mnuMoveCursorMinusOneDay", Qt::Key_F3},
                                                {"mnuMoveCursorPlusOneDay", Qt::Key_F4},
                                                {"mnuTradingCursorDeleteLastPosition", Qt::Key_F5},
                                                {"mnuShowBasicTradingMessage", Qt::Key_F8}};
    for (const auto& [item, key] : keys)
        EXPECT_EQ(w->MenuItem(item)->shortcut(), QKeySequence(key)) << item;

    std::vector<std::string> pages;
    AnalysisCommands.SaveMarketTimingHTMLReport = [&](const std::string& f) {
        pages.push_back(f);
        return true;
    };
    AnalysisCommands.SaveMarketSpecialSwingingHTMLReport = [&](const std::string& f) {
        pages.push_back(f);
        return true;
    };
    EXPECT_TRUE(RunChartCommand("mnuShowStockMarketTimingReport"));
    w->MenuItem("mnuSaveAndShowMarketSpecialSwingingHTMLReport")->trigger();
    EXPECT_EQ(pages, (std::vector<std::string>{"MarketTimingReport.html",
                                               "MarketSpecialSwingingReport.html"}));
}

TEST_F(ChartWindowTest, AliasesRunTheirItemAndUnbuiltItemsBeepAndLog) {
    ProgramFolderPath = TempFolder();
    OpenActivityLog("Vellicor.log");
    FillStockBasket();
    ASSERT_EQ(BasketCount, 30);
    w->MenuItem("mnuEmptyStockBasket1")->trigger();
    EXPECT_EQ(BasketCount, 0);
    EXPECT_TRUE(ChartCommandRegistered("mnuFillStockBasket1"));
    // An item whose analysis procedure is not registered beeps and names the procedure.
    FillStockBasket();
    const int beeps = door_.Beeps();
    w->MenuItem("mnuStocksPutIntoStockBasketSateliteNDayPast")->trigger();
    // A name without a procedure beeps and names itself.
    EXPECT_FALSE(RunChartCommand("mnuNoSuchItem"));
    EXPECT_EQ(door_.Beeps(), beeps + 2);
    std::ifstream log(ActivityLogPath);
    const std::string text((std::istreambuf_iterator<char>(log)), {});
    EXPECT_NE(text.find("StocksPutIntoStockBasketSateliteNDayPast: no procedure is registered."),
              std::string::npos);
    EXPECT_NE(text.find("mnuNoSuchItem_Click: no procedure is registered."), std::string::npos);
    // A market calculation whose analysis is not registered reports the analysis procedure.
    FillStockBasket();
    w->MenuItem("mnuMarketTimingLightD")->trigger();
    std::ifstream log2(ActivityLogPath);
    const std::string text2((std::istreambuf_iterator<char>(log2)), {});
    EXPECT_NE(text2.find("CalcMarketTiming: no procedure is registered."), std::string::npos);
}

TEST_F(ChartWindowTest, LoadBuildsTreeScrollBarsLabelsAndCaptions) {
    QTreeWidget* tree = w->Tree();
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* root = tree->topLevelItem(0);
    EXPECT_EQ(root->text(0), "Money Volume Tree");
    EXPECT_EQ(root->data(0, Qt::UserRole).toString(), "base");
    ASSERT_EQ(root->childCount(), 30);
    EXPECT_EQ(root->child(6)->text(0), "S7");
    EXPECT_EQ(root->child(6)->data(0, Qt::UserRole).toString(), "S7");
    for (DayScrollBar bar : {DayScrollBar::First, DayScrollBar::Last}) {
        EXPECT_EQ(w->ScrollBar(bar)->minimum(), 1);
        EXPECT_EQ(w->ScrollBar(bar)->maximum(), 120);
        EXPECT_EQ(w->ScrollBar(bar)->pageStep(), 5);
    }
    EXPECT_EQ(w->ScrollBar(DayScrollBar::First)->value(), 1);
    EXPECT_EQ(w->ScrollBar(DayScrollBar::Last)->value(), 120);
    EXPECT_EQ(ChartFrom1.toInt16(), 1);
    EXPECT_EQ(ChartTo1, 120);
    EXPECT_EQ(CursorDay, 120);
    EXPECT_EQ(LabelText("labDisplayedDayCount"), "120");
    EXPECT_TRUE(LabelText("labChartFromTo").startsWith("From day  1 date 1/2/2020   to day  120"));
    EXPECT_EQ(LabelText("labBasketCount"), " 0 / 0");
    EXPECT_EQ(LabelText("labSymbols"), " 1 / 30");
    auto* delays = w->findChild<QComboBox*>("cboxSlideShowDelay");
    ASSERT_EQ(delays->count(), 9);
    EXPECT_EQ(delays->currentText(), " 1000 ms delay");
    EXPECT_EQ(delays->itemText(8), "   20 ms delay");
    EXPECT_EQ(w->windowTitle(), "Charts, timing, swinging, ranking  ...");

    EXPECT_EQ(Caption("mnudefPastDays"), "Days for past profit calculation = 12");
    EXPECT_EQ(Caption("mnudefCommission"), "Commission = 0.50");
    EXPECT_EQ(Caption("mnudefCorrelation"), "Correlation = 0.50");
    EXPECT_EQ(Caption("mnudefDiligence"), "Diligence = 0.00");
    EXPECT_EQ(Caption("mnuSelectedStockSymbol"), "Selected stock symbol = ?");
    EXPECT_EQ(defStockSymbolString, "");
    EXPECT_EQ(Caption("mnudefSymbolsInChartPane"), "Stock symbols in a chart pane = 11");
    EXPECT_EQ(Caption("mnuSelectedChartCurve"),
              "NO CHART CURVE SELECTED (with right button of mouse)");
    EXPECT_EQ(Caption("mnuMemorizeDisplayedStock"), "Remember displayed stock  (  0 )");
    EXPECT_EQ(Caption("mnuTradingLogDataClear"), "Clear BUY-SELL trading rallies ( 0 )");

    defStockSymbolString = "s5";
    FindStockSymbolIndex();
    EXPECT_EQ(Caption("mnuSelectedStockSymbol"), "Selected stock symbol = S5");
    RallyCount = 3;
    defCommission = 1.25f;
    RefreshMenuCaptions();
    EXPECT_EQ(Caption("mnuTradingLogDataClear"), "Clear BUY-SELL trading rallies ( 3 )");
    EXPECT_EQ(Caption("mnudefCommission"), "Commission = 1.25");
}

TEST_F(ChartWindowTest, ScrollBarsKeepAtLeastTwoDays) {
    QScrollBar* first = w->ScrollBar(DayScrollBar::First);
    QScrollBar* last = w->ScrollBar(DayScrollBar::Last);
    first->setValue(50);
    EXPECT_EQ(ChartFrom1.toInt16(), 50);
    EXPECT_EQ(ChartFrom2, 50);
    EXPECT_EQ(LabelText("labDisplayedDayCount"), "71");
    last->setValue(80);
    EXPECT_EQ(ChartTo1, 80);
    first->setValue(80);  // onto the last day: one day before it, the bar moved back
    EXPECT_EQ(ChartFrom1.toInt16(), 79);
    EXPECT_EQ(first->value(), 79);
    last->setValue(60);  // below the first day: first day + 1
    EXPECT_EQ(ChartTo1, 80);
    EXPECT_EQ(ChartTo2, 80);
    EXPECT_EQ(last->value(), 80);
    EXPECT_TRUE(first->isEnabled());
    EXPECT_TRUE(Model().ScrollReady);
    EXPECT_GT(MainVectors->ChartCount(), 0);

    SetChartDayRange(20);  // the unattended runs' setter moves the bars
    EXPECT_EQ(ChartFrom1.toInt16(), 101);
    EXPECT_EQ(ChartTo1, 120);
    EXPECT_EQ(first->value(), 101);
    EXPECT_EQ(last->value(), 120);
}

TEST_F(ChartWindowTest, ASingleLoadedDayKeepsBothBarsOnIt) {
    testing::LoadSyntheticHistory(3, 1);
    ChartsCommands.HistoryLoaded();
    QScrollBar* first = w->ScrollBar(DayScrollBar::First);
    QScrollBar* last = w->ScrollBar(DayScrollBar::Last);
    first->setValue(1);
    last->setValue(1);
    EXPECT_EQ(first->value(), 1);
    EXPECT_EQ(last->value(), 1);
    EXPECT_EQ(ChartFrom1.toInt16(), 1);
    EXPECT_EQ(ChartTo1, 1);
}

TEST_F(ChartWindowTest, CursorStepsBeepAtTheWindowsEdges) {
    w->ScrollBar(DayScrollBar::First)->setValue(100);
    CursorDay = 101;
    const int beeps = door_.Beeps();
    Model().UpDown1_DownClick();
    EXPECT_EQ(CursorDay, 100);
    w->MenuItem("mnuMoveCursorMinusOneDay")->trigger();
    EXPECT_EQ(CursorDay, 100);
    EXPECT_EQ(door_.Beeps(), beeps + 1);
    // The control's up arrow steps the cursor a day on, and beeps on the last shown day.
    CursorDay = 119;
    auto* up = w->findChild<QToolButton*>("UpDown1Up");
    up->click();
    EXPECT_EQ(CursorDay, 120);
    EXPECT_EQ(door_.Beeps(), beeps + 1);
    up->click();
    EXPECT_EQ(CursorDay, 120);
    EXPECT_EQ(door_.Beeps(), beeps + 2);
}

TEST_F(ChartWindowTest, MouseMovesTheCursorAndSelectsAPane) {
    DisplayedStockIndex = 2;
    DisplayStockCurves();
    const long count = MainVectors->ChartCount();
    ASSERT_EQ(count, 7);
    const double right = ChartPaneRect(1, 3) - 1250.0;
    Model().Picture1_MouseDown(1, 0, right + 500, 600);
    EXPECT_EQ(CursorDay, 120) << "right of the plot area: the last shown day";
    EXPECT_EQ(ChartClickX, 0);
    Model().Picture1_MouseDown(1, 0, 10, 600);
    EXPECT_EQ(CursorDay, 1);

    Model().Picture1_MouseDown(2, 0, 500, (ChartPaneRect(2, 2) + ChartPaneRect(2, 4)) / 2.0);
    EXPECT_EQ(SelectedChartCurve, 2);
    EXPECT_EQ(Caption("mnuSelectedChartCurve"),
              "SELECTED CHART CURVE =  2  (Cancel this selection) ");
    EXPECT_TRUE(Enabled("mnuDeleteSelectedChartCurve"));
    EXPECT_TRUE(Enabled("mnuGenerateOptGradCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB"));
    EXPECT_FALSE(Enabled("mnuSaveAndShowGeneralTradingHTMLreport"));
    ASSERT_NE(w->PoppedUpMenu(), nullptr);
    EXPECT_EQ(w->PoppedUpMenu()->objectName(), "mnuChartTools");
    w->PoppedUpMenu()->hide();

    Model().Picture1_MouseDown(2, 0, 5, 5);  // outside every pane
    EXPECT_EQ(SelectedChartCurve, 0);
    EXPECT_FALSE(Enabled("mnuDeleteSelectedChartCurve"));
    EXPECT_FALSE(Enabled("mnuGenerateCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB"));
    EXPECT_TRUE(Enabled("mnuSaveAndShowGeneralTradingHTMLreport"));
    w->PoppedUpMenu()->hide();

    SelectedChartCurve = 5;  // a stale selection: the curves were cleared
    ChartDescriptionClear();
    Model().mnuChartTools_Click();
    EXPECT_EQ(SelectedChartCurve, 0);
    EXPECT_FALSE(Enabled("mnuDeleteSelectedChartCurve"));

    Model().Picture1_MouseMove(0, 0, 750, 10);
    EXPECT_EQ(w->PictureBox()->CursorLineX(), 750);
}

TEST_F(ChartWindowTest, ClicksBeyond16BitsStillFindTheDay) {
    DisplayStockCurves();
    w->SetPictureRect({1700, 1800, 40000, 3000});
    w->PictureBox()->Target().SetScaleSize(40000, 3000);
    Model().Picture1_MouseDown(1, 0, 39000, 500);
    EXPECT_EQ(CursorDay, 120);
    const double left = ChartPaneRect(1, 1) + 200.0, right = ChartPaneRect(1, 3) - 1250.0;
    Model().Picture1_MouseDown(1, 0, left + (right - left) * 59.0 / 119.0, 500);
    EXPECT_EQ(CursorDay, 60);
}

TEST_F(ChartWindowTest, TreeClicksShowAStockOrClearTheChart) {
    QTreeWidget* tree = w->Tree();
    tree->setCurrentItem(tree->topLevelItem(0)->child(2));
    Model().TreeView1_NodeClick();
    EXPECT_EQ(DisplayedStockIndex, 3);
    EXPECT_EQ(ChartCaption(1), "Stock price for S3");
    EXPECT_EQ(LabelText("labSymbols"), " 3 / 30");
    tree->setCurrentItem(tree->topLevelItem(0));
    Model().TreeView1_NodeClick();
    EXPECT_EQ(DisplayedStockIndex, 0);
    EXPECT_EQ(LabelText("labSymbols"), " 0 / 30");
    EXPECT_EQ(MainVectors->ChartCount(), 0);
    EXPECT_EQ(w->PictureBox()->Target().List().Size(), 0u);

    Click("cmdNextStock");  // the root is selected: stock 1
    EXPECT_EQ(DisplayedStockIndex, 1);
    Click("cmdPreviousStock");
    EXPECT_EQ(DisplayedStockIndex, 1);
    EXPECT_EQ(door_.Beeps(), 0);
    tree->setCurrentItem(tree->topLevelItem(0)->child(29));
    Click("cmdNextStock");
    EXPECT_EQ(DisplayedStockIndex, 30);
    EXPECT_EQ(door_.Beeps(), 1);
    door_.QueueInput(std::string("  s12 "));
    Click("cmdFind");
    EXPECT_EQ(DisplayedStockIndex, 12);
    EXPECT_EQ(w->SelectedNodeKey(), "S12");
    door_.QueueInput(std::string("none"));
    Click("cmdFind");
    EXPECT_EQ(DisplayedStockIndex, 12);
    EXPECT_EQ(door_.Beeps(), 2);
    w->MenuItem("mnuGoToTopOfMoneyVolumeTree")->trigger();
    EXPECT_EQ(DisplayedStockIndex, 1);
}

QTreeWidget* g_keyTree = nullptr;
int g_keyYields = 0;

void PressKey(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

TEST_F(ChartWindowTest, TheKeyboardSelectsInTheTreeAsANodeClickDoes) {
    QTreeWidget* tree = w->Tree();
    // The program's own selections and a new tree select without a click.
    w->SelectNode(4);
    EXPECT_EQ(DisplayedStockIndex, 1);
    testing::LoadSyntheticHistory(30, 120);
    ChartsCommands.HistoryLoaded();
    w->SelectNode(3);
    ASSERT_EQ(w->SelectedNodeKey(), "S2");
    EXPECT_EQ(DisplayedStockIndex, 1);
    EXPECT_EQ(ChartCaption(1), "Stock price for S1");

    PressKey(tree, Qt::Key_Down);
    EXPECT_EQ(w->SelectedNodeKey(), "S3");
    EXPECT_EQ(DisplayedStockIndex, 3);
    EXPECT_EQ(ChartCaption(1), "Stock price for S3");
    EXPECT_EQ(LabelText("labSymbols").toStdString(), " 3 / 30");
    Click("cmdBasketIn");
    EXPECT_EQ(Members(), std::vector<long>{3});
    PressKey(tree, Qt::Key_Up);
    EXPECT_EQ(DisplayedStockIndex, 2);
    EXPECT_EQ(LabelText("labBasketCount").toStdString(), " 0 / 1");

    // A key pressed while the last one's stock is still being drawn (a key held down): the
    // chart and both labels end on the node the keys reached.
    g_keyTree = tree;
    g_keyYields = 0;
    SetYieldHook([] {
        if (++g_keyYields == 1) PressKey(g_keyTree, Qt::Key_Down);
    });
    PressKey(tree, Qt::Key_Down);
    SetYieldHook(nullptr);
    EXPECT_EQ(w->SelectedNodeKey(), "S4");
    EXPECT_EQ(DisplayedStockIndex, 4);
    EXPECT_EQ(ChartCaption(1), "Stock price for S4");
    EXPECT_EQ(LabelText("labSymbols").toStdString(), " 4 / 30");
    EXPECT_EQ(BasketPosition, 0);
    EXPECT_EQ(LabelText("labBasketCount").toStdString(), " 0 / 1");
}

TEST_F(ChartWindowTest, TheHighlightFollowsTheShownStockAfterABurstOfKeys) {
    // Five Down keys queued at once, as a fast burst from the keyboard: the first key's draw
    // runs the others in its yields, as the program's yields run pending window events.
    QTreeWidget* tree = w->Tree();
    w->SelectNode(2);
    SetYieldHook([] { QApplication::processEvents(); });
    for (int i = 0; i < 5; ++i)
        QCoreApplication::postEvent(tree,
                                    new QKeyEvent(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier));
    QApplication::processEvents();
    SetYieldHook(nullptr);
    EXPECT_EQ(DisplayedStockIndex, 6);
    EXPECT_EQ(LabelText("labSymbols").toStdString(), " 6 / 30");
    EXPECT_EQ(w->SelectedNodeKey(), "S6");
    const QList<QTreeWidgetItem*> highlighted = tree->selectedItems();
    ASSERT_EQ(highlighted.size(), 1);
    EXPECT_EQ(highlighted.front()->data(0, Qt::UserRole).toString(), QStringLiteral("S6"));
}

TEST_F(ChartWindowTest, BasketButtonsAndListCommands) {
    DisplayedStockIndex = 9;
    Click("cmdBasketIn");
    DisplayedStockIndex = 4;
    Click("cmdBasketIn");
    EXPECT_EQ(Members(), (std::vector<long>{4, 9}));
    EXPECT_EQ(LabelText("labBasketCount"), " 1 / 2");
    Click("cmdBasketNext");
    EXPECT_EQ(DisplayedStockIndex, 9);
    EXPECT_EQ(LabelText("labBasketCount"), " 2 / 2");
    EXPECT_EQ(w->SelectedNodeKey(), "S9");
    Click("cmdBasketTop");
    EXPECT_EQ(DisplayedStockIndex, 4);

    { std::ofstream(TempPath("list.csv"), std::ios::binary) << "S2\rS9\nS20\r\n"; }
    door_.QueueMessageAnswer(MsgAnswer::No);  // keep the members
    door_.QueueOpenFile(TempPath("list.csv"));
    w->MenuItem("mnuLoadStockList")->trigger();
    EXPECT_EQ(Members(), (std::vector<long>{2, 4, 9, 20}));
    EXPECT_EQ(StockListFilePath, TempPath("list.csv"));
    EXPECT_EQ(door_.CallsOf("open").back().title, "Select some stock list file.");
    EXPECT_EQ(door_.CallsOf("open").back().text, "CSV files (*.csv)|*.csv");

    door_.QueueOpenFile(TempPath("list.csv"));
    w->MenuItem("mnuIntersectStockBasket")->trigger();
    EXPECT_EQ(Members(), (std::vector<long>{2, 9, 20}));

    ResultsFolderPath = TempFolder();
    door_.QueueMessageAnswer(MsgAnswer::Yes);  // empty it first
    door_.QueueOpenFile("");                   // cancelled: the loader's beep
    const int beeps = door_.Beeps();
    w->MenuItem("mnuLoadStockListFromResultFolder1")->trigger();
    EXPECT_TRUE(Members().empty());
    EXPECT_EQ(door_.Beeps(), beeps + 1);
    EXPECT_EQ(door_.CallsOf("open").back().args.front(), TempFolder());

    w->MenuItem("mnuInvertStockBasket")->trigger();
    EXPECT_EQ(BasketCount, 30);
    const size_t messages = door_.CallsOf("message").size();
    w->MenuItem("mnuCalcAllTrendCurves")->trigger();
    EXPECT_EQ(door_.CallsOf("message").size(), messages) << "a full basket shows no notice";
    door_.QueueMessageAnswer(MsgAnswer::OK);
    w->MenuItem("mnuEmptyStockBasket")->trigger();
    w->MenuItem("mnuCalcAllTrendCurves")->trigger();
    EXPECT_EQ(door_.CallsOf("message").back().text,
              "Put some stock symbols into Stock Basket, please.");
}

TEST_F(ChartWindowTest, MarketCalculationsSwitchTheControlsAndRefuseASecondCommand) {
    std::vector<bool> enabledDuring;
    int inner = 0;
    AnalysisCommands.CalcMarketTiming = [&](const std::string& file) {
        EXPECT_EQ(file, "");
        enabledDuring.push_back(w->Tree()->isEnabled());
        enabledDuring.push_back(w->Menu("mnuQuitCharts")->menuAction()->isEnabled());
        enabledDuring.push_back(w->ScrollBar(DayScrollBar::Last)->isEnabled());
        enabledDuring.push_back(w->findChild<QWidget*>("cboxSlideShowDelay")->isEnabled());
        // A second computing command while this one yields only beeps.
        RunChartCommand("mnuCalcMarketSwingingForSBOptimized");
        RunChartCommand("mnuPaintTimingOfIndividualStock");
    };
    AnalysisCommands.CalcMarketSwinging = [&](const std::string&) { ++inner; };
    FillStockBasket();
    const int beeps = door_.Beeps();
    w->MenuItem("mnuMarketTimingLightD")->trigger();
    EXPECT_EQ(enabledDuring, (std::vector<bool>{false, false, false, false}));
    EXPECT_EQ(inner, 0);
    EXPECT_EQ(door_.Beeps(), beeps + 2);
    EXPECT_TRUE(w->Tree()->isEnabled());
    EXPECT_TRUE(w->Menu("mnuStockBasket")->menuAction()->isEnabled());
    EXPECT_TRUE(w->findChild<QWidget*>("cmdBasketNext")->isEnabled());
    w->MenuItem("mnuCalcMarketSwingingForSBOptimized")->trigger();
    EXPECT_EQ(inner, 1);

    // A calculation that ends in an error gives the controls back after the error's box.
    AnalysisCommands.CalcMarketSpecialSwinging = [](const std::string&) {
        throw OverflowError("Overflow: single-precision result");
    };
    door_.QueueMessageAnswer(MsgAnswer::OK);
    w->MenuItem("mnuCalcMarketSwingingForSBSpecial")->trigger();
    EXPECT_EQ(door_.CallsOf("message").back().text.rfind("Vellicor error handler:", 0), 0u);
    EXPECT_TRUE(w->Tree()->isEnabled());
    EXPECT_TRUE(w->ScrollBar(DayScrollBar::Last)->isEnabled());
}

TEST_F(ChartWindowTest, ACommandRefusedByTheBusyGuardKeepsTheCurveSelection) {
    DisplayedStockIndex = 2;
    DisplayStockCurves();
    SelectedChartCurve = 2;
    const BusyGuard running;
    const int beeps = door_.Beeps();
    for (const char* item : {"mnuGenerateCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB",
                             "mnuGenerateCrossingAboveOptimalLevelTSignalsFromSelectedCurveForSB",
                             "mnuSaveAndShowGeneralTradingHTMLreport"})
        RunChartCommand(item);
    EXPECT_EQ(door_.Beeps(), beeps + 3);
    EXPECT_EQ(SelectedChartCurve, 2);
}

TEST_F(ChartWindowTest, ResizeFitsTreeAndPictureUnlessTooSmall) {
    w->resize(1000, 700);
    QApplication::processEvents();
    const TwipsRect picture = w->PictureRect();
    EXPECT_EQ(picture.left, 1695);  // 1700 twips, whole pixels
    EXPECT_NEAR(picture.left + picture.width, w->InnerRect().width - 60, 15);
    EXPECT_NEAR(w->TreeRect().height, w->InnerRect().height - w->TreeRect().top - 280, 15);
    w->resize(150, 150);  // 2250 twips: the layout stays
    QApplication::processEvents();
    EXPECT_EQ(w->PictureRect(), picture);
    EXPECT_DOUBLE_EQ(w->PictureBox()->Target().ScaleWidth(), w->PictureBox()->width() * 15.0);
}

int g_yields = 0;

TEST_F(ChartWindowTest, NoEventRunsWhileQtShowsOrResizesTheWindow) {
    // Qt runs the resize handlers while it walks the widget tree (a show, a layout); an event
    // run there may delete a child of the tree being walked (the window layout's finished
    // geometry animations are deleted so). The handlers' yields wait until Qt is done.
    SetYieldHook([] { ++g_yields; });
    w->hide();
    w->resize(1000, 750);  // sent when the window is shown again
    g_yields = 0;
    w->ShowWindow();
    EXPECT_EQ(w->PictureRect().left, 1695);
    EXPECT_EQ(g_yields, 0);
    w->resize(1100, 800);  // sent at once to the shown window
    EXPECT_NEAR(w->PictureRect().left + w->PictureRect().width, w->InnerRect().width - 60, 15);
    EXPECT_EQ(g_yields, 0);
    // Commands still yield.
    Click("cmdNextStock");
    EXPECT_GT(g_yields, 0);
}

TEST_F(ChartWindowTest, ASecondLoadBuildsTheWindowOnTheNewHistory) {
    FillStockBasket();
    DisplayedStockIndex = 30;
    SelectedChartCurve = 4;
    SymbolMemoryFlag(3) = 1;
    SymbolMemoryCount = 1;
    w->ScrollBar(DayScrollBar::First)->setValue(90);
    testing::LoadSyntheticHistory(8, 50);
    ChartsCommands.HistoryLoaded();
    EXPECT_EQ(w->Tree()->topLevelItem(0)->childCount(), 8);
    EXPECT_EQ(w->ScrollBar(DayScrollBar::Last)->maximum(), 50);
    EXPECT_EQ(w->ScrollBar(DayScrollBar::First)->value(), 1);
    EXPECT_EQ(ChartFrom1.toInt16(), 1);
    EXPECT_EQ(ChartTo1, 50);
    EXPECT_EQ(CursorDay, 50);
    EXPECT_EQ(BasketCount, 0);
    EXPECT_EQ(SymbolMemoryCount, 0);
    EXPECT_EQ(SelectedChartCurve, 0);
    EXPECT_LE(DisplayedStockIndex, 8);
    EXPECT_EQ(LabelText("labSymbols"), " 1 / 8");
    // The chart and its labels work on the new history.
    w->ScrollBar(DayScrollBar::First)->setValue(40);
    EXPECT_EQ(ChartFrom1.toInt16(), 40);
    EXPECT_TRUE(LabelText("labChartFromTo").contains("to day  50"));
    Click("cmdBasketIn");
    EXPECT_EQ(BasketCount, 1);
}

TEST_F(ChartWindowTest, TheMainWindowsChartsCommandOpensTheWindow) {
    DestroyChartWindow();
    EXPECT_EQ(ChartWindowWidget(), nullptr);
    mnuStockChartsAndScreening_Click();
    ASSERT_NE(ChartWindowWidget(), nullptr);
    w = ChartWindowWidget();
    EXPECT_EQ(w->Tree()->topLevelItem(0)->childCount(), 30);
    EXPECT_EQ(ChartPicture, &w->PictureBox()->Target());
}

}  // namespace
}  // namespace vel

namespace vel {
namespace {

// The window on histories generated, built and loaded by the program's own import and load.
class ChartWindowOnGeneratedHistoryTest : public testing::ChartsFixture {
protected:
    void TearDown() override {
        DestroyChartWindow();
        ChartsFixture::TearDown();
    }
};

TEST_F(ChartWindowOnGeneratedHistoryTest, EveryLoadRebuildsTheOpenWindow) {
    AnalysisCommands.TradingLogDataClear = [] { RallyCount = 0; };
    RegisterChartWindow();
    testing::LoadGeneratedHistory(TempPath("first/"), 12, 80);
    ShowChartWindow();
    frmChartView* w = ChartWindowWidget();
    ASSERT_EQ(w->Tree()->topLevelItem(0)->childCount(), 12);
    FillStockBasket();
    w->ScrollBar(DayScrollBar::Last)->setValue(70);
    DisplayedStockIndex = 12;
    DisplayStockCurves();
    ASSERT_EQ(MainVectors->ChartCount(), 7);

    // The second load goes through the load itself, which tells the open window.
    testing::LoadGeneratedHistory(TempPath("second/"), 5, 40);
    EXPECT_EQ(LoadedSymbolCount, 5);
    QTreeWidgetItem* root = w->Tree()->topLevelItem(0);
    ASSERT_EQ(root->childCount(), 5);
    EXPECT_EQ(root->child(4)->text(0).toStdString(), LoadedSymbols(5));
    EXPECT_EQ(w->ScrollBar(DayScrollBar::Last)->maximum(), 40);
    EXPECT_EQ(w->ScrollBar(DayScrollBar::Last)->value(), 40);
    EXPECT_EQ(ChartTo1, 40);
    EXPECT_EQ(CursorDay, 40);
    EXPECT_EQ(BasketCount, 0);
    EXPECT_EQ(DisplayedStockIndex, 1);
    EXPECT_EQ(ChartCaption(1), "Stock price for " + LoadedSymbols(1));
    EXPECT_EQ(w->findChild<QLabel*>("labSymbols")->text(), " 1 / 5");
    EXPECT_TRUE(w->findChild<QLabel*>("labChartFromTo")
                    ->text()
                    .endsWith(QString::fromStdString(TradeDateOfDay(40))));
    w->MenuItem("mnuFillStockBasket")->trigger();
    EXPECT_EQ(BasketCount, 5);
    w->findChild<QPushButton*>("cmdBasketNext")->click();
    EXPECT_EQ(DisplayedStockIndex, 2);
}

}  // namespace
}  // namespace vel
