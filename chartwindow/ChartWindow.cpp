// The chart window's load, layout, captions, enabling, tree, scroll bars, cursor and mouse.
#include "ChartWindow.h"

#include <algorithm>
#include <charconv>

#include "AnalysisEntryPoints.h"
#include "AppState.h"
#include "AsciiText.h"
#include "ChartCurves.h"
#include "ChartMenus.h"
#include "Door.h"
#include "EntryPoints.h"
#include "Hooks.h"
#include "IntervalTable.h"
#include "MainWindowView.h"
#include "NumberText.h"
#include "Progress.h"
#include "SmallRoutines.h"
#include "StockBasket.h"
#include "StockCurves.h"
#include "VectorStores.h"

namespace vel {

const char* const kChartWindowCaption = "Charts, timing, swinging, ranking  ...";
const char* const kSlideShowDelays[9] = {"10000 ms delay", " 4000 ms delay", " 2000 ms delay",
                                         " 1000 ms delay", "  400 ms delay", "  200 ms delay",
                                         "  100 ms delay", "   40 ms delay", "   20 ms delay"};

namespace {

ChartWindow* g_window = nullptr;

std::string Text(long n) {
    return formatWholeExport(n);
}

void YieldTimes(int n) {
    for (int i = 0; i < n; ++i) YieldToEvents();
}

// The controls EnableCharts switches, in its order: the tree, the picture and the sixteen
// buttons; the fourteen top-level menus follow, then the bars, the delay list and the cursor
// control.
const char* const kSwitchedControls[] = {"TreeView1",
                                         "Picture1",
                                         "cmdTop",
                                         "cmdPreviousStock",
                                         "cmdBasketBottom",
                                         "cmdBasketIn",
                                         "cmdBasketOut",
                                         "cmdBasketPrevious",
                                         "cmdBasketSlideShow",
                                         "cmdBasketTop",
                                         "cmdEnlargeChart",
                                         "cmdFind",
                                         "cmdIndividualStockSwingingSpecial",
                                         "cmdIndividualStockSwining",
                                         "cmdIndividualStockTiming",
                                         "cmdNextStock",
                                         "cmdBasketNext",
                                         "cmdTreeSlideShow"};

const char* const kCurveItems[] = {
    "mnuDeleteSelectedChartCurve",
    "mnuGenerateCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB",
    "mnuGenerateCrossingAboveOptimalLevelTSignalsFromSelectedCurveForSB",
    "mnuGenerateCrossingBelowZeroLevelTSignalsFromSelectedCurveForSB",
    "mnuGenerateCrossingBelowOptimalLevelTSignalsFromSelectedCurveForSB",
    "mnuGenerateOptGradCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB"};

}  // namespace

ChartWindow* CurrentChartWindow() {
    return g_window;
}

void SetCurrentChartWindow(ChartWindow* window) {
    g_window = window;
}

ChartWindow::~ChartWindow() {
    StopSlideShowTimer();
}

void ChartWindow::Form_Load() {
    c_.SetDelayList(
        std::vector<std::string>(std::begin(kSlideShowDelays), std::end(kSlideShowDelays)), 3);
    YieldToEvents();
    c_.ShowWindow();
    YieldToEvents();
    ChartPicture = &c_.Picture();
    LoadOnHistory();
}

void ChartWindow::HistoryLoaded() {
    // The painting stays where it is: with the enlarged pane while that is open.
    if (ChartPicture == &UnshownChartTarget()) ChartPicture = &c_.Picture();
    ClearChartCurves();
    SelectedChartCurve = 0;
    ClearChartPicture();
    LoadOnHistory();
}

void ChartWindow::LoadOnHistory() {
    DisplayedStockIndex = 1;
    StopSlideShowTimer();
    SlideShowRunning = false;
    CursorDay = MainVectors->CoordDim();
    YieldToEvents();
    FindStockSymbolIndex();
    DefineMoneyVolumeTree();
    SetScrollValues();
    WriteDayLabels();
    SetChartLabel(ChartLabel::Symbols, Text(DisplayedStockIndex) + " /" + Text(LoadedStockCount()));
    SetChartLabel(ChartLabel::BasketCount, " 0 / 0");
    SetChartStatusText("");
    YieldToEvents();
    ChartFrom1 = Num(1);
    ChartTo1 = MainVectors->CoordDim();
    ChartFrom2 = 1;
    ChartTo2 = ChartTo1;
    CursorDay = ChartTo1;
    SlideShowRunning = false;
    CalcChartPaneLayout();
    YieldToEvents();
    ClearSymbolMemory();
    RunEntryPoint(AnalysisCommands.TradingLogDataClear, "TradingLogDataClear");
    ClearStockBasket();
    RefreshMenuCaptions();
    YieldToEvents();
}

void ChartWindow::Form_Resize() {
    const TwipsRect outer = c_.OuterRect();
    if (c_.IsMinimized() || outer.width <= 3000 || outer.height <= 3000) return;
    const TwipsRect inner = c_.InnerRect();
    TwipsRect tree = c_.TreeRect();
    tree.left = 60;
    tree.width = 1580;
    tree.height = inner.height - tree.top - 280;
    c_.SetTreeRect(tree);
    TwipsRect picture = c_.PictureRect();
    picture.left = 1700;
    picture.height = inner.height - picture.top - 280;
    picture.width = inner.width - picture.left - 60;
    c_.SetPictureRect(picture);
    YieldToEvents();
}

void ChartWindow::RefreshMenuCaptions() {
    c_.SetMenuCaption("mnudefPastDays",
                      "Days for past profit calculation = " + FormatNumber(defPastDays, "0"));
    c_.SetMenuCaption("mnudefCommission", "Commission = " + FormatNumber(defCommission, "0.00"));
    c_.SetMenuCaption("mnudefCorrelation", "Correlation = " + FormatNumber(defCorrelation, "0.00"));
    c_.SetMenuCaption("mnudefDiligence", "Diligence = " + FormatNumber(defDiligence, "0.00"));
    if (defStockSymbolIndex < 1 || defStockSymbolIndex > LoadedStockCount()) {
        defStockSymbolString.clear();
        defStockSymbolIndex = 0;
        c_.SetMenuCaption("mnuSelectedStockSymbol", "Selected stock symbol = ?");
    } else {
        defStockSymbolString = LoadedSymbols(defStockSymbolIndex);
        c_.SetMenuCaption("mnuSelectedStockSymbol",
                          "Selected stock symbol = " + defStockSymbolString);
    }
    c_.SetMenuCaption("mnudefSymbolsInChartPane", "Stock symbols in a chart pane = " +
                                                      FormatNumber(defSymbolsInChartPane, "0"));
    c_.SetMenuCaption(
        "mnuSelectedChartCurve",
        SelectedChartCurve < 1
            ? std::string("NO CHART CURVE SELECTED (with right button of mouse)")
            : "SELECTED CHART CURVE = " + Text(SelectedChartCurve) + "  (Cancel this selection) ");
    c_.SetMenuCaption("mnuMemorizeDisplayedStock",
                      "Remember displayed stock  ( " + Text(SymbolMemoryCount) + " )");
    c_.SetMenuCaption("mnuTradingLogDataClear",
                      "Clear BUY-SELL trading rallies (" + Text(RallyCount) + " )");
    YieldToEvents();
}

void ChartWindow::ActivateChartToolsMenu() {
    const bool selected = SelectedChartCurve > 0;
    for (const char* item : kCurveItems) c_.SetMenuEnabled(item, selected);
    c_.SetMenuEnabled("mnuSaveAndShowGeneralTradingHTMLreport", !selected);
    YieldToEvents();
}

void ChartWindow::EnableCharts(bool enabled) {
    for (const char* name : kSwitchedControls) c_.SetControlEnabled(name, enabled);
    for (const ChartMenu& menu : ChartWindowMenus()) c_.SetControlEnabled(menu.name, enabled);
    for (const char* name : {"HScroll1", "HScroll2", "cboxSlideShowDelay", "UpDown1"})
        c_.SetControlEnabled(name, enabled);
    YieldToEvents();
}

void ChartWindow::RefreshfrmChartView() {
    if (DisplayedStockIndex < 1 || DisplayedStockIndex > LoadedStockCount()) return;
    c_.SelectNode(DisplayedStockIndex + 1);
    SetChartLabel(ChartLabel::BasketCount, Text(BasketPosition) + " /" + Text(BasketCount));
    SetChartLabel(ChartLabel::Symbols, Text(DisplayedStockIndex) + " /" + Text(LoadedStockCount()));
    YieldToEvents();
}

void ChartWindow::DefineMoneyVolumeTree() {
    const long n = LoadedStockCount();
    ProgressStart(n);
    SetMainLabel(MainLabel::PerformedAction, "Loading Money Volume Tree ...");
    std::vector<std::string> symbols;
    symbols.reserve(static_cast<size_t>(n));
    for (long i = 1; i <= n; ++i) {
        ProgressStep();
        symbols.push_back(LoadedSymbols(i));
    }
    c_.BuildTree(symbols);
    SetMainLabel(MainLabel::PerformedAction, "");
    ProgressEnd();
}

bool ChartWindow::SelectedStockNumber(long& n) const {
    const std::string key = c_.SelectedNodeKey();
    if (key.empty() || key.front() != 'S') return false;
    long number = 0;
    const auto r = std::from_chars(key.data() + 1, key.data() + key.size(), number);
    if (r.ec != std::errc()) return false;
    n = number;
    return true;
}

void ChartWindow::TreeView1_NodeClick() {
    ChartPicture = &c_.Picture();
    long n = 0;
    if (SelectedStockNumber(n)) {
        DisplayedStockIndex = static_cast<std::int16_t>(n);
        DisplayStockCurves();
        return;
    }
    DisplayedStockIndex = 0;
    SetChartLabel(ChartLabel::Symbols, Text(0) + " /" + Text(LoadedStockCount()));
    SetChartLabel(ChartLabel::BasketCount, Text(0) + " /" + Text(BasketCount));
    ChartDescriptionClear();
    YieldToEvents();
}

void ChartWindow::SetScrollValues() {
    ScrollReady = false;
    DayWindowMin = Num(1);
    DayWindowMax = MainVectors->CoordDim();
    NewFromDay = DayWindowMin;
    NewToDay = DayWindowMax;
    for (DayScrollBar bar : {DayScrollBar::First, DayScrollBar::Last})
        c_.SetScrollBarRange(bar, 1, DayWindowMax, 1, 5);
    c_.SetScrollBarValue(DayScrollBar::First, 1);
    c_.SetScrollBarValue(DayScrollBar::Last, DayWindowMax);
    ChartFrom1 = Num(1);
    ChartTo1 = DayWindowMax;
    ChartFrom2 = 1;
    ChartTo2 = ChartTo1;
    ScrollReady = true;
}

void ChartWindow::WriteDayLabels() {
    SetChartLabel(ChartLabel::DisplayedDayCount, DisplayedDayCountText());
    SetChartLabel(ChartLabel::ChartFromTo, ChartFromToText());
}

bool ChartWindow::DayWindowRefused() {
    if (!RefusedWhileBusy()) return false;
    ScrollReady = false;
    c_.SetScrollBarValue(DayScrollBar::First, ChartFrom1.toInt16());
    c_.SetScrollBarValue(DayScrollBar::Last, ChartTo1);
    ScrollReady = true;
    return true;
}

void ChartWindow::CalcNewValues1(bool enableValue) {
    if (!ScrollReady) return YieldTimes(5);
    if (DayWindowRefused()) return;
    ScrollReady = false;
    c_.SetScrollBarEnabled(DayScrollBar::First, enableValue);
    YieldToEvents();
    long from = c_.ScrollBarValue(DayScrollBar::First);
    YieldToEvents();
    from = std::clamp<long>(from, DayWindowMin.toInt16(), std::max<long>(1, DayWindowMax));
    if (from + 1 >= NewToDay) {
        from = std::max<long>(1, NewToDay - 1);
        NewFromDay = Num(static_cast<int>(from));
        c_.SetScrollBarValue(DayScrollBar::First, static_cast<int>(from));
        YieldToEvents();
    }
    NewFromDay = Num(static_cast<int>(from));
    ChartFrom1 = NewFromDay;
    ChartFrom2 = static_cast<std::int16_t>(from);
    RefreshChart();
    c_.SetScrollBarEnabled(DayScrollBar::First, true);
    YieldToEvents();
    WriteDayLabels();
    YieldToEvents();
    ScrollReady = true;
}

void ChartWindow::CalcNewValues2(bool enableValue) {
    if (!ScrollReady) return YieldTimes(5);
    if (DayWindowRefused()) return;
    ScrollReady = false;
    c_.SetScrollBarEnabled(DayScrollBar::Last, enableValue);
    YieldToEvents();
    long to = c_.ScrollBarValue(DayScrollBar::Last);
    YieldToEvents();
    to = std::clamp<long>(to, DayWindowMin.toInt16(), std::max<long>(1, DayWindowMax));
    const long from = NewFromDay.toInt16();
    if (to <= from + 1) {
        to = std::min<long>(from + 1, DayWindowMax);
        NewToDay = static_cast<std::int16_t>(to);
        c_.SetScrollBarValue(DayScrollBar::Last, static_cast<int>(to));
        YieldToEvents();
    }
    NewToDay = static_cast<std::int16_t>(to);
    ChartTo1 = ChartTo2 = NewToDay;
    RefreshChart();
    c_.SetScrollBarEnabled(DayScrollBar::Last, true);
    YieldToEvents();
    WriteDayLabels();
    YieldToEvents();
    ScrollReady = true;
}

void ChartWindow::CalcNewValues(bool enableValue) {
    if (!ScrollReady) return YieldTimes(5);
    if (DayWindowRefused()) return;
    c_.SetScrollBarEnabled(DayScrollBar::First, enableValue);
    c_.SetScrollBarEnabled(DayScrollBar::Last, enableValue);
    const long lo = DayWindowMin.toInt16(), hi = std::max<long>(1, DayWindowMax);
    long from = std::clamp<long>(c_.ScrollBarValue(DayScrollBar::First), lo, hi);
    long to = std::clamp<long>(c_.ScrollBarValue(DayScrollBar::Last), lo, hi);
    if (to <= from + 1) {
        to = from + 1;
        if (to > DayWindowMax) {
            to = DayWindowMax;
            from = std::max<long>(1, DayWindowMax - 1);
        }
    }
    NewFromDay = Num(static_cast<int>(from));
    NewToDay = static_cast<std::int16_t>(to);
    ChartFrom1 = NewFromDay;
    ChartFrom2 = static_cast<std::int16_t>(from);
    ChartTo1 = ChartTo2 = NewToDay;
    RefreshChart();
    c_.SetScrollBarEnabled(DayScrollBar::First, true);
    c_.SetScrollBarEnabled(DayScrollBar::Last, true);
    SetChartLabel(ChartLabel::DisplayedDayCount, DisplayedDayCountText());
    ScrollReady = true;
}

namespace {

void MoveCursor(int step) {
    long c = CursorDay + step;
    if (c < ChartFrom1.toInt16()) {
        c = ChartFrom1.toInt16();
        door().Beep();
    }
    if (c > ChartTo1) {
        c = ChartTo1;
        door().Beep();
    }
    CursorDay = static_cast<std::int16_t>(c);
    ChartClickX = 0;
    RefreshChart();
}

}  // namespace

void ChartWindow::UpDown1_DownClick() {
    MoveCursor(-1);
}

void ChartWindow::UpDown1_UpClick() {
    MoveCursor(1);
}

void ChartWindow::Picture1_MouseDown(int button, int, double x, double y) {
    if (button == 1) {
        ChartClickX = toInt32(x);
        RefreshChart();
        ChartClickX = 0;
        return;
    }
    SelectedChartCurve = GetPaneAtPoint(x, y);
    RefreshMenuCaptions();
    ActivateChartToolsMenu();
    c_.PopupToolsMenu(x, y);
}

void ChartWindow::Picture1_MouseMove(int, int, double x, double) {
    c_.MoveCursorLine(x);
    YieldToEvents();
}

void ChartWindow::Picture1_Resize() {
    RefreshChart();
}

void ChartWindow::mnuChartTools_Click() {
    if (SelectedChartCurve > MainVectors->ChartCount() || SelectedChartCurve < 1)
        SelectedChartCurve = 0;
    ActivateChartToolsMenu();
}

void ChartWindow::ShowStock(long k) {
    DisplayedStockIndex = static_cast<std::int16_t>(k);
    c_.SelectNode(static_cast<int>(k + 1));
    YieldToEvents();
    DisplayStockCurves();
}

void ChartWindow::cmdTop_Click() {
    ShowStock(1);
}

void ChartWindow::cmdNextStock_Click() {
    const long n = LoadedStockCount();
    long next = 1, k = 0;
    if (SelectedStockNumber(k)) {
        next = k + 1;
        if (next < 1) {
            next = 1;
            door().Beep();
        }
        if (next > n) {
            next = n;
            door().Beep();
        }
    }
    ShowStock(next);
}

void ChartWindow::cmdPreviousStock_Click() {
    const long n = LoadedStockCount();
    long previous = 1, k = 0;
    if (SelectedStockNumber(k)) previous = std::clamp<long>(k - 1, 1, std::max(1L, n));
    ShowStock(previous);
}

void ChartWindow::cmdFind_Click() {
    const auto answer = door().InputBox("Enter one stock symbol, please (not case sensitive) ...",
                                        "Stock symbol input.", "");
    const std::string symbol = ToUpperAscii(TrimBlanks(answer.value_or("")));
    if (!symbol.empty()) {
        long found = 0;
        const long n = LoadedStockCount();
        for (long i = 1; i <= n; ++i) {
            if (ToUpperAscii(TrimBlanks(LoadedSymbols(i))) == symbol) found = i;
        }
        if (found) {
            DisplayedStockIndex = static_cast<std::int16_t>(found);
            c_.SelectNode(static_cast<int>(found + 1));
            DisplayStockCurves();
        } else {
            door().Beep();
        }
    }
    if (DisplayedStockIndex >= 1) c_.SelectNode(DisplayedStockIndex + 1);
    YieldToEvents();
}

void ChartWindow::ShowSelectedNode() {
    const std::string key = c_.SelectedNodeKey();
    long k = 0;
    if (SelectedStockNumber(k))
        c_.SelectNode(static_cast<int>(k + 1));
    else if (!key.empty())
        c_.SelectNode(1);
}

// ---- Slide shows ------------------------------------------------------------------------

std::int32_t ChartWindow::SlideShowDelayOf(const std::string& delayText) {
    const auto value = parseNumber(TrimBlanks(delayText.substr(0, 6)));
    if (!value || *value < 0) return 4000;
    return static_cast<std::int32_t>(std::min(65535.0, roundHalfEven(*value)));
}

void ChartWindow::cmdTreeSlideShow_Click() {
    SlideShow(false);
}

void ChartWindow::cmdBasketSlideShow_Click() {
    SlideShow(true);
}

void ChartWindow::SlideShow(bool basket) {
    if (SlideShowRunning) {
        // A second click: the running show ends at its next check, after the current pause.
        SlideShowRunning = false;
        ShowSelectedNode();
        YieldToEvents();
        return;
    }
    // A show stopped by a click but still in its pause ends now, before the new one starts.
    if (slideShowTimer_ != 0) {
        StopSlideShowTimer();
        EndSlideShow();
    }
    SlideShowRunning = true;
    SlideShowDelay = SlideShowDelayOf(c_.DelayListText());
    slideShowBasket_ = basket;
    slideShowPosition_ = DisplayedStockIndex;
    SlideShowStep();
}

long ChartWindow::SlideShowPosition() const {
    // The basket show reads the live position, so that a basket button pressed during a pause
    // (Bottom, say) decides where the show stands.
    return slideShowBasket_ ? BasketPosition : slideShowPosition_;
}

void ChartWindow::SlideShowStep() {
    slideShowTimer_ = 0;
    if (SlideShowRunning && BusyGuard::isBusy()) {
        // A computing command runs: the step waits until it has ended.
        slideShowTimer_ = door().StartTimer(100, [this] { SlideShowStep(); });
        return;
    }
    const long last = slideShowBasket_ ? BasketCount : LoadedStockCount();
    if (!SlideShowRunning || SlideShowPosition() >= last) return EndSlideShow();
    if (slideShowBasket_) {
        BasketNext();
    } else {
        cmdNextStock_Click();
        slideShowPosition_ = DisplayedStockIndex;
    }
    slideShowTimer_ = door().StartTimer(SlideShowDelay, [this] { SlideShowStep(); });
}

void ChartWindow::EndSlideShow() {
    const long last = slideShowBasket_ ? BasketCount : LoadedStockCount();
    if (SlideShowPosition() == last) door().Beep();
    SlideShowRunning = false;
    ShowSelectedNode();
    YieldToEvents();
}

void ChartWindow::StopSlideShowTimer() {
    if (slideShowTimer_ != 0)
        if (Door* d = InstalledDoor()) d->CancelTimer(slideShowTimer_);
    slideShowTimer_ = 0;
}

void ChartWindow::ShowStatusText(const std::string& text) {
    c_.ShowStatusText(text);
}

void ChartWindow::ShowLabel(ChartLabel label, const std::string& text) {
    c_.ShowLabel(label, text);
}

void ChartWindow::SelectStockInTree(int stockIndex) {
    c_.SelectNode(stockIndex + 1);
}

void ChartWindow::SetScrollBarEnabled(DayScrollBar bar, bool enabled) {
    c_.SetScrollBarEnabled(bar, enabled);
}

void ChartWindow::SetScrollBarValue(DayScrollBar bar, int value) {
    c_.SetScrollBarValue(bar, value);
}

int ChartWindow::ScrollBarMin(DayScrollBar bar) const {
    return c_.ScrollBarMin(bar);
}

int ChartWindow::ScrollBarMax(DayScrollBar bar) const {
    return c_.ScrollBarMax(bar);
}

}  // namespace vel
