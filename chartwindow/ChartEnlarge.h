// The enlarged chart pane "Enlarged chart pane.": a second window that shows the chart as large
// as the screen allows. While it is open every repaint goes to its picture (it puts its picture
// in place as the drawing target when it loads and gives the chart window's back when it
// closes); a click moves the trading cursor, and a vertical line follows the mouse. The Qt
// window frmChartEnlarge gives it its controls and passes every event on.
#pragma once

#include "ChartTarget.h"
#include "ChartWindowControls.h"

namespace vel {

class ChartEnlargeControls {
public:
    virtual ~ChartEnlargeControls() = default;
    virtual void SetPictureVisible(bool visible) = 0;
    virtual bool PictureVisible() const = 0;
    virtual void Maximize() = 0;
    virtual bool IsMinimized() const = 0;
    // The window's inner size (ScaleWidth, ScaleHeight) in twips.
    virtual double ScaleWidth() const = 0;
    virtual double ScaleHeight() const = 0;
    // Places the picture; its drawing target's scale size becomes the rectangle's size.
    virtual void SetPictureRect(const TwipsRect& r) = 0;
    virtual ChartTarget& Picture() = 0;
    // The cursor line from (x1, y1) to (x2, y2) in the picture's twips, shown or hidden.
    virtual void SetCursorLine(bool visible, double x1, double y1, double x2, double y2) = 0;
};

class ChartEnlarge {
public:
    explicit ChartEnlarge(ChartEnlargeControls& controls) : c_(controls) {}

    // Shows the picture, maximizes the window, places the picture 60 twips inside the window,
    // makes it the drawing target and paints the chart into it; the cursor line stands at 50.
    void Form_Load();
    // Any button: the day under x becomes the cursor day (a click handed to the painter), and
    // the cursor line moves to x.
    void Picture1_MouseDown(int button, int shift, double x, double y);
    // Moves the cursor line only.
    void Picture1_MouseMove(int button, int shift, double x, double y);
    // The window was resized (restored, cascaded, tiled, dragged): the picture is placed 60
    // twips inside it again at the window's scale and, while it holds the painting, repainted.
    // A minimized window, or one whose inner width or height is 3000 twips or less, keeps its
    // layout.
    void Form_Resize();
    // Gives the drawing target back to the chart window (to the unshown target when there is
    // none) and repaints there. Form_Terminate does the same.
    void Form_Unload();

private:
    // Places the picture 60 twips inside the window, its scale size the picture's size.
    void PlacePicture();
    void MoveCursorLine(double x);
    ChartEnlargeControls& c_;
};

// The window's caption.
extern const char* const kChartEnlargeCaption;

}  // namespace vel
