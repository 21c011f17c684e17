// The chart window and the main window inside the frame, built offscreen as the program builds
// them: their sizes after the commands that show and arrange them, the active window after a
// question asked while the chart's controls are switched off, and captions that fit.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTreeWidget>
#include <memory>

#include "AnalysisEntryPoints.h"
#include "AppState.h"
#include "ChartCurves.h"
#include "ChartWindowFixture.h"
#include "Door.h"
#include "MainCommands.h"
#include "StockBasket.h"
#include "frmChartEnlarge.h"
#include "frmChartView.h"
#include "frmMDI.h"
#include "frmMain.h"

namespace vel {
namespace {

class FrameWindowsTest : public testing::ChartWindowFixture {
protected:
    void SetUp() override {
        ChartWindowFixture::SetUp();
        ProgramFolderPath = TempFolder();
        frame = std::make_unique<frmMDI>();
        frame->resize(1200, 900);
        frame->show();
        main = new frmMain(frame.get());
        frame->AddChild(main)->show();
        main->Load();
        AnalysisCommands.TradingLogDataClear = [] { RallyCount = 0; };
        testing::LoadSyntheticHistory(30, 120);
        RegisterChartWindow();
    }
    void TearDown() override {
        DestroyChartEnlarge();
        ChartWindowFixture::TearDown();
        frame.reset();
    }
    // The main window's status panel and the chart window's picture are inside their windows,
    // the picture at least at its designed size.
    void ExpectDesignedSizes(const char* after) {
        SCOPED_TRACE(after);
        QApplication::processEvents();
        w = ChartWindowWidget();
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(main->centralWidget()->rect().contains(main->StatusPanel()->geometry()));
        EXPECT_TRUE(w->centralWidget()->rect().contains(w->PictureBox()->geometry()));
        EXPECT_GE(w->PictureRect().width, 8985);
        EXPECT_GE(w->PictureRect().height, 3975);
    }
    QMdiSubWindow* Outer(QWidget* child) const {
        return qobject_cast<QMdiSubWindow*>(child->parentWidget());
    }

    std::unique_ptr<frmMDI> frame;
    frmMain* main = nullptr;
};

TEST_F(FrameWindowsTest, ChildWindowsOpenAndCascadeAtLeastAtTheirDesignedSizes) {
    mnuStockChartsAndScreening_Click();
    ExpectDesignedSizes("the CHARTS command");
    main->MenuItem("mnuCascade")->trigger();
    ExpectDesignedSizes("Window > Cascade");
    mnuStockChartsAndScreening_Click();
    ExpectDesignedSizes("a second CHARTS command");
    cmdEnlargeChart_Click();
    CloseChartEnlarge();
    ExpectDesignedSizes("the enlarged pane closed");
}

TEST_F(FrameWindowsTest, TheChartWindowClosedByItsTitleBarComesBackWholeAtItsSizeAndPlace) {
    mnuStockChartsAndScreening_Click();
    w = ChartWindowWidget();
    QMdiSubWindow* chart = Outer(w);
    chart->setGeometry(40, 30, 900, 560);
    QApplication::processEvents();
    const QRect place = chart->geometry();
    ASSERT_TRUE(chart->close());  // the title bar's close button
    QApplication::processEvents();
    ASSERT_FALSE(chart->isVisible());
    // Hidden, not destroyed: a later CHARTS shows the same window with all it holds.
    mnuStockChartsAndScreening_Click();
    QApplication::processEvents();
    EXPECT_EQ(ChartWindowWidget(), w);
    EXPECT_TRUE(chart->isVisible());
    for (QWidget* part : std::initializer_list<QWidget*>{w, w->menuBar(), w->Control("cmdBasketIn"),
                                                         w->Tree(), w->PictureBox()})
        EXPECT_TRUE(part->isVisible()) << part->objectName().toStdString();
    EXPECT_EQ(chart->geometry(), place);
    EXPECT_EQ(frame->mdiArea()->activeSubWindow(), chart);
    ExpectDesignedSizes("CHARTS after the close");
}

// A lone Alt as the keyboard gives it: its shortcut override, press and release, sent to the
// widget with the keyboard focus.
void PressAlt() {
    QWidget* target = QApplication::focusWidget();
    if (!target) target = QApplication::activeWindow();
    QKeyEvent override(QEvent::ShortcutOverride, Qt::Key_Alt, Qt::AltModifier);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
    for (QKeyEvent* e : {&override, &press, &release}) QApplication::sendEvent(target, e);
}

QString ActiveMenu(QMainWindow* window) {
    const QAction* a = window->menuBar()->activeAction();
    return a ? a->text() : QString();
}

TEST_F(FrameWindowsTest, AltOpensTheMenusOfTheActiveChildWindow) {
    mnuStockChartsAndScreening_Click();
    w = ChartWindowWidget();
    QApplication::setActiveWindow(frame.get());
    // The main window's title clicked while the chart window exists.
    frame->mdiArea()->setActiveSubWindow(Outer(main));
    QApplication::processEvents();
    PressAlt();
    EXPECT_EQ(frame->mdiArea()->activeSubWindow(), Outer(main));
    EXPECT_EQ(ActiveMenu(main), QStringLiteral("Stock data"));
    EXPECT_EQ(ActiveMenu(w), QString());
    PressAlt();  // leaves the menus
    EXPECT_EQ(ActiveMenu(main), QString());
    frame->mdiArea()->setActiveSubWindow(Outer(w));
    QApplication::processEvents();
    PressAlt();
    EXPECT_EQ(frame->mdiArea()->activeSubWindow(), Outer(w));
    EXPECT_EQ(ActiveMenu(w), QStringLiteral("Basket"));
    EXPECT_EQ(ActiveMenu(main), QString());
}

TEST_F(FrameWindowsTest, AQuestionDuringAMarketCalculationLeavesTheChartWindowActive) {
    mnuStockChartsAndScreening_Click();
    w = ChartWindowWidget();
    QMdiSubWindow* chart = Outer(w);
    chart->showMaximized();
    QApplication::setActiveWindow(frame.get());
    w->Tree()->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(frame->mdiArea()->activeSubWindow(), chart);
    ASSERT_TRUE(w->Tree()->hasFocus());
    // The question's box takes the activation from the frame and gives it back when answered.
    AnalysisCommands.CalcMarketTiming = [this](const std::string&) {
        QApplication::setActiveWindow(nullptr);
        door().MessageBox("Do you wish to see Trading Report ?", "Vellicor", MsgButtons::YesNo);
        QApplication::setActiveWindow(frame.get());
    };
    FillStockBasket();
    door_.QueueMessageAnswer(MsgAnswer::No);
    w->MenuItem("mnuMarketTimingLightD")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(frame->mdiArea()->activeSubWindow(), chart);
    EXPECT_TRUE(chart->isMaximized());
    EXPECT_FALSE(Outer(main)->isMaximized());
    EXPECT_TRUE(w->Tree()->hasFocus());
}

TEST_F(FrameWindowsTest, TheEnlargedPaneGivesTheChartWindowBackAndNeverShrinksToAStub) {
    mnuStockChartsAndScreening_Click();
    w = ChartWindowWidget();
    QMdiSubWindow* chart = Outer(w);
    chart->showMaximized();
    cmdEnlargeChart_Click();
    QApplication::processEvents();
    CloseChartEnlarge();
    QApplication::processEvents();
    EXPECT_TRUE(chart->isMaximized());
    EXPECT_EQ(frame->mdiArea()->activeSubWindow(), chart);
    // The frame's cascade, run from the main window, takes the open pane out of its maximized
    // state: it keeps the painting, in a picture 60 twips inside it and at least at the designed
    // size, and no other window hides it whole.
    cmdEnlargeChart_Click();
    frame->mdiArea()->setActiveSubWindow(Outer(main));
    main->MenuItem("mnuCascade")->trigger();
    QApplication::processEvents();
    frmChartEnlarge* pane = ChartEnlargeWidget();
    ASSERT_FALSE(Outer(pane)->isMaximized());
    for (QMdiSubWindow* other : {Outer(main), chart})
        EXPECT_FALSE(other->geometry().contains(Outer(pane)->geometry()));
    ASSERT_EQ(ChartPicture, &pane->Picture());
    EXPECT_NEAR(pane->Picture().ScaleWidth(), pane->ScaleWidth() - 120, 1.0);
    EXPECT_NEAR(pane->Picture().ScaleHeight(), pane->ScaleHeight() - 120, 1.0);
    EXPECT_GE(pane->Picture().ScaleWidth(), 8985);
    EXPECT_GE(pane->Picture().ScaleHeight(), 3975);
    // The chart command brings the chart window to the front with the painting in it, where its
    // cascade left the pane hidden behind it.
    mnuStockChartsAndScreening_Click();
    QApplication::processEvents();
    EXPECT_FALSE(Outer(pane)->isVisible());
    EXPECT_EQ(ChartPicture, &w->Picture());
    EXPECT_EQ(frame->mdiArea()->activeSubWindow(), chart);
}

TEST_F(FrameWindowsTest, CaptionsFitTheirControlsInTheirFonts) {
    mnuStockChartsAndScreening_Click();
    QApplication::processEvents();
    w = ChartWindowWidget();
    const auto width = [](const QWidget* control, const QString& text) {
        return QFontMetrics(control->font()).horizontalAdvance(text);
    };
    for (const QPushButton* b : w->findChildren<QPushButton*>()) {
        QStyleOptionButton option;
        option.initFrom(b);
        option.text = b->text();
        const QRect room = b->style()->subElementRect(QStyle::SE_PushButtonContents, &option, b);
        EXPECT_GE(room.width(), width(b, b->text())) << b->objectName().toStdString();
    }
    // The delay list's box keeps 2 pixels on each side of its text.
    const auto* delays = w->findChild<QComboBox*>(QStringLiteral("cboxSlideShowDelay"));
    ASSERT_EQ(delays->count(), 9);
    for (int i = 0; i < delays->count(); ++i)
        EXPECT_GE(delays->lineEdit()->width(), width(delays, delays->itemText(i)) + 4)
            << delays->itemText(i).toStdString();
    // The tree's root beside the scroll bar that a long list of stocks needs.
    QTreeWidget* tree = w->Tree();
    ASSERT_TRUE(tree->verticalScrollBar()->isVisible());
    const int itemMargins = 2 * (tree->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
    EXPECT_GE(tree->viewport()->width(), width(tree, tree->topLevelItem(0)->text(0)) + itemMargins);
    const QLabel* remark = main->StatusLabel(QStringLiteral("labRemark"));
    ASSERT_FALSE(remark->text().isEmpty());
    EXPECT_GE(remark->width(), width(remark, remark->text()));
}

}  // namespace
}  // namespace vel
