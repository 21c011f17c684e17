// The chart window as a Qt window: a child window of the frame with its own menu bar (every
// item of the chart menus, hidden items invisible, F-key shortcuts), the control strip of
// buttons, labels, the delay list, the two day-window scroll bars and the cursor control, the
// Money Volume Tree, the chart picture with its cursor line, and the status bar. It shows
// what the chart window's procedures decide and passes every event to them; it computes
// nothing itself.
#pragma once

#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <QTreeWidget>
#include <functional>
#include <map>
#include <memory>

#include "ChartTarget.h"
#include "ChartWindow.h"
#include "ChartWindowControls.h"

class QAbstractButton;
class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QScrollBar;

namespace vel {

class frmChartView;

// The Money Volume Tree TreeView1: a change of its current node that the user makes (the keys, a
// press or a drag of the mouse) is a node click, and so is a click on the current node; the
// program's own changes (a selection, a new tree) are none.
class MoneyVolumeTree : public QTreeWidget {
public:
    MoneyVolumeTree(QWidget* parent, std::function<void()> nodeClick);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void NodeClick();
    // Runs a handler of Qt's with the current node's changes counted as the user's.
    template <typename Handler>
    void ByUser(Handler handler);

    std::function<void()> nodeClick_;
    int byUser_ = 0;
    // The user changed the current node; its click runs when Qt's handler has returned.
    bool clickPending_ = false;
    // The present mouse press has made its node click (its node became the current one).
    bool pressClicked_ = false;
};

// The picture box Picture1 of a chart window: shows its drawing target as an image, with the
// cursor line, and hands mouse presses (button 1 left, 2 right, 4 other), moves and resizes to
// its window's procedures; positions are in twips.
class ChartPictureBox : public QWidget {
    Q_OBJECT
public:
    struct Handlers {
        std::function<void(int button, double x, double y)> mouseDown;
        std::function<void(double x, double y)> mouseMove;
        std::function<void()> resized;
    };
    ChartPictureBox(QWidget* parent, Handlers handlers);
    ChartTarget& Target() { return target_; }
    const QImage& Image() const { return image_; }
    // Draws the target anew (its presenter).
    void Redraw();
    // The cursor line at x (twips); a negative x hides it.
    void SetCursorLine(double xTwips);
    double CursorLineX() const { return cursorLineX_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    Handlers handlers_;
    ChartTarget target_;
    QImage image_;
    double cursorLineX_ = -1;
};

class frmChartView : public QMainWindow, public ChartWindowControls {
    Q_OBJECT
public:
    frmChartView();
    ~frmChartView() override;

    // Form_Load: installs the window as the chart view and builds it on the loaded history.
    void Load();
    ChartWindow& Model() { return model_; }

    // The menu item, top-level menu or control with the control name (nullptr when none).
    QAction* MenuItem(const QString& name) const;
    QMenu* Menu(const QString& name) const;
    QWidget* Control(const QString& name) const;
    QTreeWidget* Tree() const { return tree_; }
    QScrollBar* ScrollBar(DayScrollBar bar) const;
    ChartPictureBox* PictureBox() const { return picture_; }
    QMenu* PoppedUpMenu() const { return popped_; }
    // The designed size: the control strip, and the tree and the picture laid out at their
    // designed size (8985 x 3975 twips), under the menu bar. A new child window opens at it and
    // the frame's cascade gives it back (Qt's cascade sizes each window to its hint).
    QSize sizeHint() const override;

    // Runs a command procedure as the window's events do: errors reach the error box, never
    // the event loop.
    static void RunCommand(const std::function<void()>& command);

    // ---- ChartWindowControls -------------------------------------------------------------
    void SetScrollBarRange(DayScrollBar bar, int min, int max, int smallChange,
                           int largeChange) override;
    int ScrollBarValue(DayScrollBar bar) const override;
    int ScrollBarMin(DayScrollBar bar) const override;
    int ScrollBarMax(DayScrollBar bar) const override;
    void SetScrollBarValue(DayScrollBar bar, int value) override;
    void SetScrollBarEnabled(DayScrollBar bar, bool enabled) override;
    void BuildTree(const std::vector<std::string>& symbols) override;
    std::string SelectedNodeKey() const override;
    void SelectNode(int node) override;
    void SetMenuCaption(const std::string& name, const std::string& caption) override;
    void SetMenuEnabled(const std::string& name, bool enabled) override;
    void SetControlEnabled(const std::string& name, bool enabled) override;
    void PopupToolsMenu(double x, double y) override;
    void SetDelayList(const std::vector<std::string>& items, int selected) override;
    std::string DelayListText() const override;
    void ShowStatusText(const std::string& text) override;
    void ShowLabel(ChartLabel label, const std::string& text) override;
    void MoveCursorLine(double x) override;
    bool IsMinimized() const override;
    TwipsRect OuterRect() const override;
    TwipsRect InnerRect() const override;
    TwipsRect TreeRect() const override;
    TwipsRect PictureRect() const override;
    void SetTreeRect(const TwipsRect& r) override;
    void SetPictureRect(const TwipsRect& r) override;
    ChartTarget& Picture() override;
    void ShowWindow() override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildMenus();
    void BuildControls();
    // TreeView1_NodeClick for a click or a key in the tree. One that comes while the last one
    // still draws (yields) waits for it, and the last node the user reached is drawn after it.
    void TreeNodeClick();
    // A button that runs the command of its name.
    QAbstractButton* Button(const char* name, const char* caption, int left, int top, int width,
                            int height);
    QLabel* Label(const char* name, const char* text, int left, int top, int width, int height);

    ChartWindow model_;
    QWidget* central_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    ChartPictureBox* picture_ = nullptr;
    QScrollBar* hscroll1_ = nullptr;
    QScrollBar* hscroll2_ = nullptr;
    QComboBox* delays_ = nullptr;
    QMenu* popped_ = nullptr;
    bool nodeClickRunning_ = false;
    bool nodeClickAgain_ = false;
    // The control that had the keyboard focus when it was switched off (see SetControlEnabled).
    QPointer<QWidget> parkedFocus_;
    std::map<std::string, QAction*> items_;
    std::map<std::string, QMenu*> menus_;
    std::map<ChartLabel, QLabel*> labels_;
};

// Shows the chart window inside the frame, creating and loading it on first use. The window
// lives until the program ends: closed by its title bar, it is only hidden, and shown again
// whole, at the size and place it had.
void ShowChartWindow();
// The chart window of the process (nullptr before its first use).
frmChartView* ChartWindowWidget();
// Closes and destroys the chart window (the end of a test).
void DestroyChartWindow();
// Fills the frame's charts entry points (ShowChartWindow, RefreshMenuCaptions, HistoryLoaded)
// and registers the chart window's commands.
void RegisterChartWindow();

}  // namespace vel
