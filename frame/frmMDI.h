// The frame window of Vellicor: a multiple-document frame captioned "Vellicor" whose child
// windows are the main window and the windows that later open inside it. Closing it ends the
// program.
#pragma once

#include <QMainWindow>

#include "MainWindowView.h"

class QMdiArea;
class QMdiSubWindow;

namespace vel {

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
