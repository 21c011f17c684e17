// The chart painter: the whole chart as a display list on the drawing target ChartPicture:
// the outer frame; per curve pane its plot frame, level lines, value scale, caption, trading
// cursor, day ticks, the rallies of the trading log, the cursor value and the curve; then the
// date labels under the last pane and the status line with the cursor's trading state, day,
// date and weekday. A pending click (ChartClickX) becomes the new cursor day.
#pragma once

#include <string>

namespace vel {

// Paints on ChartPicture's display list (appending; RefreshChart clears it first). Assumes
// CalcChartPaneLayout filled ChartPaneRect and ChartCount is at least 1. Writes CursorDay
// (clamped into the shown window, or set from the pending click), PlotOriginX and PlotScaleX.
// Yields after the rally bars of each pane and after each pane.
void PaintChart();

// A chart value as text: "0.00" below 1000, else the value rounded to a whole number followed
// by a point ("1235.").
std::string FormatChartValue(double value, bool wholeForm);

// The weekday of a date text, Monday 1 to Sunday 7; 0 when the text is no valid date.
int WeekdayOfDateText(const std::string& date);

}  // namespace vel
