// The main window of Vellicor, the first child of the frame, captioned "Main menu.": the menus
// and the toolbar that start every top-level activity, the list of .autorun files, and the
// status panel where long operations show their task, action, progress and remarks. Its
// commands are the procedures of MainCommands.h; this window only shows the state and passes
// the user's clicks on.
#pragma once

#include <QMainWindow>

#include "MainWindowView.h"

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QProgressBar;
class QToolBar;

namespace vel {

class frmMDI;

class frmMain : public QMainWindow, public MainWindowView {
    Q_OBJECT
public:
    // Builds the window's controls; the frame (may be null) arranges the child windows.
    explicit frmMain(frmMDI* frame = nullptr);
    ~frmMain() override;

    // Form_Load: installs this window as the main window's view and runs frmMain_Form_Load.
    void Load();

    // The menu item with the control name, or the toolbar button with the key.
    QAction* MenuItem(const QString& name) const;
    QAction* ToolbarButton(const QString& key) const;
    QComboBox* AutorunList() const { return combo1_; }
    QLabel* StatusLabel(const QString& name) const;
    QProgressBar* ProgressBar() const { return progress_; }
    QFrame* StatusPanel() const { return picture1_; }
    // The designed size, 9600 x 6600 twips, widened when the status panel's remark line needs
    // it for the load's remark: a new child window opens at it and the frame's cascade gives
    // it back (Qt's cascade sizes each window to its hint).
    QSize sizeHint() const override;

    // MainWindowView
    void ShowLabel(MainLabel label, const std::string& text) override;
    void ShowProgressValue(double value) override;
    void ShowHistoryCommandsEnabled(bool enabled) override;
    void ShowAutorunList(const std::vector<std::string>& items, const std::string& text) override;
    void ArrangeChildWindows(ArrangeMode mode) override;

protected:
    // Form_Unload: the end command of the program.
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenus();
    void BuildToolbar();
    void BuildControls();
    // Lays the title label and the status panel out in the window (Form_Resize), and the
    // panel's labels in the panel (Picture1_Resize).
    void Form_Resize();
    void Picture1_Resize();

    frmMDI* frame_;
    QWidget* central_ = nullptr;
    QLabel* title_ = nullptr;
    QComboBox* combo1_ = nullptr;
    QFrame* picture1_ = nullptr;
    QLabel* labProgramStatus_ = nullptr;
    QLabel* labLoadedStockData_ = nullptr;
    QLabel* labPerformedTask_ = nullptr;
    QLabel* labPerformedAction_ = nullptr;
    QLabel* labRemark_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QToolBar* toolbar1_ = nullptr;
    bool filling_ = false;
    bool installed_ = false;
};

// Shows the frame window, at its designed size within the screen's available area as far as
// that allows, and as its first child the main window, and loads the main window. The windows
// live until the process ends.
void ShowFrameAndMainWindows();

}  // namespace vel
