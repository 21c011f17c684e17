// The enlarged chart pane as a Qt window: one picture box with the cursor line, placed by the
// pane's procedures; it shows what they decide and passes every event to them.
#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>

#include "ChartEnlarge.h"
#include "frmChartView.h"

namespace vel {

void cmdEnlargeChart_Click();
void CloseChartEnlargeInPlace();

class frmChartEnlarge : public QWidget, public ChartEnlargeControls {
    Q_OBJECT
public:
    frmChartEnlarge();
    ~frmChartEnlarge() override;

    ChartEnlarge& Model() { return model_; }
    ChartPictureBox* PictureBox() const { return picture_; }
    // The window that frames it (its sub-window inside the frame, or itself).
    QWidget* Outer();
    // The designed picture (8985 x 3975 twips) with 60 twips around it, and at least the chart
    // window's own size, so that among the cascaded windows its edges show beside the chart
    // window's instead of lying hidden behind it. A new window opens at it, and the frame's
    // cascade gives it back (Qt's cascade sizes each window to its hint).
    QSize sizeHint() const override;

    // ---- ChartEnlargeControls --------------------------------------------------------------
    void SetPictureVisible(bool visible) override;
    bool PictureVisible() const override;
    void Maximize() override;
    bool IsMinimized() const override;
    double ScaleWidth() const override;
    double ScaleHeight() const override;
    void SetPictureRect(const TwipsRect& r) override;
    ChartTarget& Picture() override;
    void SetCursorLine(bool visible, double x1, double y1, double x2, double y2) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend void cmdEnlargeChart_Click();
    friend void CloseChartEnlargeInPlace();
    // Notes how the chart window stands in the frame (maximized, or its place) before the pane
    // opens over it; ReturnToChartWindow puts it back so and makes it the active window.
    void NoteChartWindow();
    void ReturnToChartWindow();
    ChartEnlarge model_;
    ChartPictureBox* picture_ = nullptr;
    bool loaded_ = false;
    QPointer<QWidget> chartOuter_;
    bool chartWasMaximized_ = false;
    QRect chartGeometry_;
};

// The chart window's "Enlarge chart" button: shows the pane (not modal), loading it when it is
// not open; created on first use.
void cmdEnlargeChart_Click();
// The pane of the process (nullptr before its first use).
frmChartEnlarge* ChartEnlargeWidget();
// Closes the pane when it is open (its unload gives the painting back), as its close box does:
// the chart window stands again as it stood when the pane opened, and is the active window.
void CloseChartEnlarge();
// Closes the pane when it is open and leaves the chart window where it stands: the chart
// command, which has just arranged the frame's windows, brings the chart window to the front.
void CloseChartEnlargeInPlace();
// Closes and destroys the pane (the end of a test).
void DestroyChartEnlarge();

}  // namespace vel
