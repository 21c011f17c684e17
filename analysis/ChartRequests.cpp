// The chart window's requests, through the frame's entry points for the charts.
#include "ChartRequests.h"

#include "EntryPoints.h"

namespace vel {

void RepaintChart() {}

void RefreshChartMenuCaptions() {
    if (ChartsCommands.RefreshMenuCaptions) ChartsCommands.RefreshMenuCaptions();
}

}  // namespace vel
