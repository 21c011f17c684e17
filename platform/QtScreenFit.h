// Windows that open within the screen: the size and place of a top-level window inside its
// screen's available area (the screen less its panels and docks), title bar and borders
// included, its designed size kept wherever that fits.
#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace vel {

// The inner rectangle (the window without its title bar and borders) of a window whose designed
// inner size is `designed` and whose title bar and borders take `frame`, such that the whole
// window lies inside `available`: each side as designed where it fits, else as long as the area
// allows (at least 1 pixel), and the whole window centred in the area.
QRect FitWithinArea(const QRect& available, const QSize& designed, const QMargins& frame);

// Opens the top-level window (not shown yet) within its screen: its present size is its
// designed size, fitted and centred by FitWithinArea in the screen's available area. The window
// manager's title bar and borders are known only once the window is on the screen: until then
// they are estimated from the style, and when the window is first exposed it is fitted again
// with the real ones (unless it was shown maximized, minimized or full screen).
void OpenWithinScreen(QWidget* window);

}  // namespace vel
