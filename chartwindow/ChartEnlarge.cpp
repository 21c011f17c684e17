// The enlarged chart pane.
#include "ChartEnlarge.h"

#include "ChartCurves.h"
#include "ChartWindow.h"
#include "Hooks.h"
#include "Num.h"

namespace vel {

const char* const kChartEnlargeCaption = "Enlarged chart pane.";

namespace {

// Taller than any picture.
constexpr double kCursorLineBottom = 300000.0;

}  // namespace

void ChartEnlarge::Form_Load() {
    c_.SetPictureVisible(true);
    YieldToEvents();
    c_.Maximize();
    PlacePicture();
    YieldToEvents();
    ChartPicture = &c_.Picture();
    ChartClickX = 0;
    RefreshChart();
    MoveCursorLine(50.0);
}

void ChartEnlarge::Picture1_MouseDown(int, int, double x, double) {
    ChartClickX = toInt32(x);
    RefreshChart();
    ChartClickX = 0;
    MoveCursorLine(x);
}

void ChartEnlarge::Picture1_MouseMove(int, int, double x, double) {
    MoveCursorLine(x);
}

void ChartEnlarge::Form_Resize() {
    if (c_.IsMinimized() || c_.ScaleWidth() <= 3000 || c_.ScaleHeight() <= 3000) return;
    PlacePicture();
    if (ChartPicture == &c_.Picture()) RefreshChart();
}

void ChartEnlarge::Form_Unload() {
    ChartClickX = 0;
    ChartWindow* window = CurrentChartWindow();
    ChartPicture = window ? &window->Controls().Picture() : &UnshownChartTarget();
    YieldToEvents();
    RefreshChart();
}

void ChartEnlarge::PlacePicture() {
    const int width = static_cast<int>(c_.ScaleWidth()) - 120;
    const int height = static_cast<int>(c_.ScaleHeight()) - 120;
    c_.SetPictureRect({60, 60, width, height});
    c_.Picture().SetScaleSize(width, height);
}

void ChartEnlarge::MoveCursorLine(double x) {
    c_.SetCursorLine(c_.PictureVisible(), x, 0.0, x, kCursorLineBottom);
    YieldToEvents();
}

}  // namespace vel
