// What the market analysis asks of the chart window: a repaint of the chart and new menu
// captions (the rally count is in one of them). Both do nothing while no chart window is there.
#pragma once

namespace vel {

// RefreshChart: repaints the chart panes from the current curves, window, cursor and log.
void RepaintChart();
// RefreshMenuCaptions: rebuilds the chart window's menu captions.
void RefreshChartMenuCaptions();

}  // namespace vel
