// The frame window of Vellicor: a multiple-document frame captioned "Vellicor" whose child
// windows are the main window and the windows that later open inside it. Closing it ends the
// program. Also the menu bar that each child window carries.
#pragma once

#include <QMainWindow>
#include <QMenuBar>

#include "MainWindowView.h"

class QMdiArea;
class QMdiSubWindow;

namespace vel {

// The menu bar of a child window of the frame. Every menu bar watches the key events of the
// whole frame for a lone Alt; with one bar in each child, all of them would take it and the
// last one built would win, whichever child is active. This bar takes Alt only while its child
// window is the frame's active one (a bar outside the frame always does), as Qt already keeps
// the shortcuts of a child window, Alt+letter among them, to the active child.
class ChildMenuBar : public QMenuBar {
public:
    using QMenuBar::QMenuBar;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool InActiveChild() const;
};

class frmMDI : public QMainWindow {
    Q_OBJECT
public:
    frmMDI();
    ~frmMDI() override;

    // The frame of the running program (nullptr before it exists).
    static frmMDI* current();

    QMdiArea* mdiArea() const { return area_; }
    // Puts the widget into the frame as a child window and returns that window.
    QMdiSubWindow* AddChild(QWidget* child);
    // Cascade, tile horizontally (one under the other, full width) or tile vertically (side
    // by side, full height) over the visible child windows that are not minimised. The cascade
    // gives each window its designed size (its size hint) as far as the frame's area holds it.
    void Arrange(ArrangeMode mode);

protected:
    // MDIForm_Unload: the end command of the program.
    void closeEvent(QCloseEvent* event) override;

private:
    QMdiArea* area_;
};

}  // namespace vel
