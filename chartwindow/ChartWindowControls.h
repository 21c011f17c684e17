// The controls of the chart window as its command procedures use them: the two day-window
// scroll bars, the Money Volume Tree, the menu items, the buttons and lists, the cursor line,
// the window's geometry and its picture. The Qt window implements it; the procedures hold
// every rule and the controls only show and report.
#pragma once

#include <string>
#include <vector>

#include "ChartTarget.h"
#include "ChartView.h"

namespace vel {

// A rectangle in twips: Left, Top, Width, Height.
struct TwipsRect {
    int left = 0, top = 0, width = 0, height = 0;
    friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

class ChartWindowControls {
public:
    virtual ~ChartWindowControls() = default;

    // ---- Scroll bars HScroll1 and HScroll2 ----------------------------------------------------
    virtual void SetScrollBarRange(DayScrollBar bar, int min, int max, int smallChange,
                                   int largeChange) = 0;
    virtual int ScrollBarValue(DayScrollBar bar) const = 0;
    virtual int ScrollBarMin(DayScrollBar bar) const = 0;
    virtual int ScrollBarMax(DayScrollBar bar) const = 0;
    // A changed value runs the bar's change handler (ChartWindow::HScroll_Change).
    virtual void SetScrollBarValue(DayScrollBar bar, int value) = 0;
    virtual void SetScrollBarEnabled(DayScrollBar bar, bool enabled) = 0;

    // ---- The Money Volume Tree ----------------------------------------------------------------
    // Replaces every node: the root "Money Volume Tree" (key "base") and one child per symbol
    // (key "S1", "S2", ...), expanded, names not editable.
    virtual void BuildTree(const std::vector<std::string>& symbols) = 0;
    // The key of the selected node ("" when none).
    virtual std::string SelectedNodeKey() const = 0;
    // Selects node `node` (1 = the root), scrolls it into view and focuses the tree when it is
    // visible.
    virtual void SelectNode(int node) = 0;

    // ---- Menus, buttons, lists, labels ----------------------------------------------------------
    virtual void SetMenuCaption(const std::string& name, const std::string& caption) = 0;
    virtual void SetMenuEnabled(const std::string& name, bool enabled) = 0;
    // Enables a control, a top-level menu or a scroll bar by its name.
    virtual void SetControlEnabled(const std::string& name, bool enabled) = 0;
    // Pops the Tools_A menu up at the point of the picture (twips).
    virtual void PopupToolsMenu(double x, double y) = 0;
    virtual void SetDelayList(const std::vector<std::string>& items, int selected) = 0;
    // The text of the delay list (an item chosen or typed).
    virtual std::string DelayListText() const = 0;
    virtual void ShowStatusText(const std::string& text) = 0;
    virtual void ShowLabel(ChartLabel label, const std::string& text) = 0;
    // The vertical line that follows the mouse over the picture, at x (twips).
    virtual void MoveCursorLine(double x) = 0;

    // ---- The window ---------------------------------------------------------------------------
    virtual bool IsMinimized() const = 0;
    // The outer and inner sizes of the window in twips.
    virtual TwipsRect OuterRect() const = 0;
    virtual TwipsRect InnerRect() const = 0;
    virtual TwipsRect TreeRect() const = 0;
    virtual TwipsRect PictureRect() const = 0;
    virtual void SetTreeRect(const TwipsRect& r) = 0;
    virtual void SetPictureRect(const TwipsRect& r) = 0;
    // The picture's drawing target (its scale size follows the picture's size).
    virtual ChartTarget& Picture() = 0;
    virtual void ShowWindow() = 0;
};

}  // namespace vel
