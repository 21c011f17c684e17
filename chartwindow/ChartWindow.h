// The chart window "Charts, timing, swinging, ranking  ...": its load on the loaded history,
// its layout, the menu captions and their enabling, the switching of its controls during the
// market calculations, the Money Volume Tree, the day-window scroll bars, the cursor control,
// the mouse on the chart and the tree navigation buttons. It is the chart view that the code
// below it calls; the Qt window gives it its controls and passes every event on.
#pragma once

#include <cstdint>
#include <string>

#include "ChartView.h"
#include "ChartWindowControls.h"
#include "Num.h"

namespace vel {

class ChartWindow : public ChartView {
public:
    explicit ChartWindow(ChartWindowControls& controls) : c_(controls) {}
    // Stops the timer of a running slide show.
    ~ChartWindow() override;
    ChartWindow(const ChartWindow&) = delete;
    ChartWindow& operator=(const ChartWindow&) = delete;

    // ---- Window-level state (all zero at creation) ----------------------------------------
    // True while a slide show runs (both shows share it); the pause between its steps.
    bool SlideShowRunning = false;
    std::int32_t SlideShowDelay = 0;
    bool ScrollReady = false;
    Num DayWindowMin;
    std::int16_t DayWindowMax = 0;
    Num NewFromDay;
    std::int16_t NewToDay = 0;

    ChartWindowControls& Controls() { return c_; }

    // Builds the window on the loaded history: the delay list, the drawing target, the tree,
    // the scroll bars and the day window on all days, the labels, the layout, and an empty
    // symbol memory, trading log and Stock Basket.
    void Form_Load();
    // After another history was loaded: everything the load builds from the history is built
    // anew (tree, scroll bars, day window, cursor, curves, selection, basket, symbol memory,
    // trading log), so that nothing points past the new history. The painting stays with the
    // enlarged pane while that is open.
    void HistoryLoaded();
    // Fits the tree and the picture to the window (nothing while minimized or at an outer
    // width or height of 3000 twips or less).
    void Form_Resize();

    // The captions of the parameter and state items.
    void RefreshMenuCaptions() override;
    // The curve items of Tools_A enabled while a curve is selected, the general report item
    // while none is.
    void ActivateChartToolsMenu();
    void EnableCharts(bool enabled) override;
    // Reselects the displayed stock in the tree and rewrites the two position labels.
    void RefreshfrmChartView();

    // ---- The Money Volume Tree -----------------------------------------------------------
    void DefineMoneyVolumeTree();
    void TreeView1_NodeClick();

    // ---- The day window ---------------------------------------------------------------------
    void SetScrollValues();
    // The Change (enabled false) and Scroll (true) handlers of HScroll1 and HScroll2. While a
    // computing command runs they beep and put the bars back on the day window, which stays.
    void CalcNewValues1(bool enableValue);
    void CalcNewValues2(bool enableValue);
    void CalcNewValues(bool enableValue);

    // ---- Cursor and mouse -----------------------------------------------------------------------
    void UpDown1_DownClick();
    void UpDown1_UpClick();
    // Button 1 is the left button; x and y are in the picture's twips.
    void Picture1_MouseDown(int button, int shift, double x, double y);
    void Picture1_MouseMove(int button, int shift, double x, double y);
    void Picture1_Resize();
    // The Tools_A menu opens: a selection that is no shown curve is cancelled.
    void mnuChartTools_Click();

    // ---- Tree navigation ------------------------------------------------------------------------
    void cmdTop_Click();
    void cmdNextStock_Click();
    void cmdPreviousStock_Click();
    void cmdFind_Click();

    // ---- Slide shows ----------------------------------------------------------------------------
    // The first click shows the next stock of the tree (of the basket) at once and then one more
    // after every pause of the delay list's delay, until the last stock (member), where it
    // beeps. A click on either slide-show button while a show runs stops it after the current
    // pause. The pauses are single-shot timers of the door, so the window stays usable and
    // nothing waits in a loop; a step that falls due while a computing command runs waits for
    // it to end, as the show waits for a command started inside it.
    void cmdTreeSlideShow_Click();
    void cmdBasketSlideShow_Click();
    // The pause of the delay list's text: its first 6 characters, trimmed, as milliseconds
    // (halves to even); 4000 for text that is not a number or is negative, at most 65535.
    static std::int32_t SlideShowDelayOf(const std::string& delayText);

    // ---- ChartView ----------------------------------------------------------------------------
    void ShowStatusText(const std::string& text) override;
    void ShowLabel(ChartLabel label, const std::string& text) override;
    void SelectStockInTree(int stockIndex) override;
    void SetScrollBarEnabled(DayScrollBar bar, bool enabled) override;
    void SetScrollBarValue(DayScrollBar bar, int value) override;
    int ScrollBarMin(DayScrollBar bar) const override;
    int ScrollBarMax(DayScrollBar bar) const override;

private:
    void LoadOnHistory();
    void WriteDayLabels();
    // While a computing command runs: a beep, the bars back on ChartFrom1 and ChartTo1, true.
    bool DayWindowRefused();
    // Shows stock k: displayed, selected in the tree, its curves drawn.
    void ShowStock(long k);
    // The number in the selected node's key, or nothing for the root.
    bool SelectedStockNumber(long& n) const;
    // Scrolls the selected node into view and gives the tree the focus when it is visible.
    void ShowSelectedNode();

    void SlideShow(bool basket);
    // The check and step of a show after its pause.
    void SlideShowStep();
    // The end of a show: the beep at the last stock, the flag down, the node into view.
    void EndSlideShow();
    void StopSlideShowTimer();
    // Where the show stands: the stock its last step showed (tree), or BasketPosition (basket).
    long SlideShowPosition() const;
    std::uint64_t slideShowTimer_ = 0;  // the pending pause, 0 = none
    bool slideShowBasket_ = false;
    long slideShowPosition_ = 0;  // the tree show's i: the stock its last step showed
    ChartWindowControls& c_;
};

// The chart window of the process, nullptr before it is created.
ChartWindow* CurrentChartWindow();
void SetCurrentChartWindow(ChartWindow* window);

// The window's caption.
extern const char* const kChartWindowCaption;
// The slide show delays offered by the load, the fourth chosen.
extern const char* const kSlideShowDelays[9];

}  // namespace vel
