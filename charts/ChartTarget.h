// The drawing target of the chart: a picture surface with its drawable size in twips and the
// display list painted on it. The chart window's picture is one; the enlarged pane's picture
// takes its place while that pane is open. Without any window the chart paints on a target of
// the chart window's designed picture size, which nobody shows.
#pragma once

#include <functional>
#include <string>

#include "DisplayList.h"

namespace vel {

class ChartTarget {
public:
    ChartTarget(double scaleWidth, double scaleHeight)
        : scaleWidth_(scaleWidth), scaleHeight_(scaleHeight) {}
    ChartTarget(const ChartTarget&) = delete;
    ChartTarget& operator=(const ChartTarget&) = delete;

    // The drawable size (ScaleWidth, ScaleHeight), in twips.
    double ScaleWidth() const { return scaleWidth_; }
    double ScaleHeight() const { return scaleHeight_; }
    void SetScaleSize(double width, double height) {
        scaleWidth_ = width;
        scaleHeight_ = height;
    }

    DisplayList& List() { return list_; }
    const DisplayList& List() const { return list_; }

    // Told after the picture was cleared or painted anew, so that its owner shows it.
    void SetPresenter(std::function<void()> presenter) { presenter_ = std::move(presenter); }
    void Present() {
        if (presenter_) presenter_();
    }

private:
    double scaleWidth_, scaleHeight_;
    DisplayList list_;
    std::function<void()> presenter_;
};

// The target the chart paints on (ChartPicture); never null.
extern ChartTarget* ChartPicture;
// The target used while no window has put its own in place: the designed size of the chart
// window's picture, 8985 x 3975 twips.
ChartTarget& UnshownChartTarget();

}  // namespace vel
