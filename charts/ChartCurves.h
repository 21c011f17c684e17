// The chart state the whole program shares: the curve table (curve k is vector ChartStart + k
// of MainVectors, with its caption and up to five level lines), the pane rectangles, the
// pending click, the plot scale of the last paint and the drawing target; and the routines
// that clear the curves and the picture, lay the panes out, find the pane under a point,
// repaint, and set the day window. The day window and cursor themselves (ChartFrom1,
// ChartTo1, CursorDay, ...) are in core's AppState, where the vector store reads them.
#pragma once

#include <cstdint>
#include <string>

#include "AppState.h"
#include "ChartTarget.h"
#include "Tables.h"

namespace vel {

constexpr int kMaxChartCurves = 50;
constexpr float kNoLevel = -10000.0f;  // a level slot without a line

// Caption of curve k (1..50); "" = none.
extern Table1D<std::string> ChartCaption;
// Level lines (k 1..50, j 1..5); kNoLevel = no line.
extern Table2D<float> ChartLevel;
// Pane i (1..N): Left, Top, Right, Bottom in target units; entry N + 1 the outer frame.
extern Table2D<std::int32_t> ChartPaneRect;
// The X of a pending left click on the chart, 0 = none; the painter turns it into CursorDay.
extern std::int32_t ChartClickX;
// The plot area's x origin and x scale (units per day) of the last painted pane.
extern float PlotOriginX, PlotScaleX;

// The vector of MainVectors that holds curve k.
long ChartCurveVector(long k);

// Clears the drawing target and yields.
void ClearChartPicture();
// Every caption empty and every level kNoLevel for k = 1..50, then ChartCount 0. Neither
// clears nor repaints the picture.
void ClearChartCurves();
// The chart description clear of the chart window (its "Clear chart desription" command):
// ClearChartCurves, then ClearChartPicture.
void ChartDescriptionClear();
// Cancels the curve selection (SelectedChartCurve 0) and refreshes the menu captions.
void CancelChartCurveSelection();

// Appends an empty curve: ChartCount grows by one, the new curve's caption is set and its
// levels are all kNoLevel; returns its number n, whose vector ChartCurveVector(n) the caller
// fills before it sets levels and calls RefreshChart. When 50 curves are there already it
// appends nothing, beeps, says so in the status bar and returns 0.
std::int16_t AppendChartCurve(const std::string& caption);
// Appends a curve holding a copy of vector `from` of MainVectors, with level line 1 at `level1`
// (none for kNoLevel); returns its number, or 0 when the chart was full (AppendChartCurve). Does
// not repaint.
std::int16_t AppendVectorAsChartCurve(long from, const std::string& caption,
                                      float level1 = kNoLevel);
// The status text of a refused 51st curve.
extern const char* const kChartFullText;

// Repaints with the hourglass on (then back as it was): with ChartCount above 0 the picture is
// cleared, the panes laid out and the chart painted (PaintChart); with an empty curve table the
// picture keeps its content. Yields between the steps.
void RefreshChart();

// Lays out ChartPaneRect for ChartCount panes (clamped to 1..50 and stored back) on the
// drawing target's size.
void CalcChartPaneLayout();
// The highest-numbered pane whose rectangle (bounds included) holds the point; 0 for none and
// always 0 with an empty curve table. Lays the panes out first.
std::int16_t GetPaneAtPoint(double x, double y);

// Shows the last daysBack days of the loaded history: sets the day window and its copies,
// moves the chart window's scroll bars (their handlers repaint), writes the day labels and
// refreshes the menu captions.
void SetChartDayRange(long daysBack);

// The chart window's day window labels: the day count without blanks, and
// "From day  N1 date D1   to day  N2 date D2".
std::string DisplayedDayCountText();
std::string ChartFromToText();

// Puts every value of this header back to its start (no curves, no click, the unshown target).
void ResetChartState();

}  // namespace vel
