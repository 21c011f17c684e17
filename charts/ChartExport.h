// Chart export: the chart as a picture ("Chart.bmp" by the chart window, the chart images of
// the reports) and as a table of the shown days with the trading recommendation of the trading
// log and the value of every chart curve ("Chart.csv").
#pragma once

#include <functional>
#include <string>

#include "ChartTarget.h"

namespace vel {

// The picture a chart export saves is painted as the enlarged chart pane paints it, but
// offscreen at this fixed size, whatever the screen: 1200 x 800 pixels, that is
// 18000 x 12000 twips at 15 twips per pixel, in 24-bit colour. So a report's picture is the
// same on every machine and in unattended runs without a display.
constexpr double kExportPictureWidthTwips = 18000.0;
constexpr double kExportPictureHeightTwips = 12000.0;

// Writes the target's picture as a BMP file at the path, whole or not at all (a temporary file,
// then a rename); returns "" when written, else the reason.
using ChartBitmapWriter = std::function<std::string(const ChartTarget&, const std::string&)>;
// Installs the writer (the Qt image backend installs its own); nullptr: none.
void InstallChartBitmapWriter(ChartBitmapWriter writer);

// Paints the chart on a target of the export size in place of the drawing target (no pending
// click), saves that picture at FilePath, and gives the drawing target back, repainted. The
// picture is written even with no curve (then blank). A file that cannot be written (or no
// installed writer) is reported in the activity log and, unless SilentMode, in a message box;
// returns true when the file was written.
bool SaveChartAsBMP(const std::string& FilePath);

// Writes the table of the shown days ChartFrom1..ChartTo1: the header line "Item, DayNum,
// Date, TradeRecomendation, TradeSignal" and the quoted caption of every curve, then one row per
// day. The trade signal is first stored in vector ChartStart of MainVectors over all days: 100
// inside the rallies and -100 outside them, all 0 without rallies. With no curve it only beeps
// and writes nothing (false). The table is written whole (a temporary file, then a rename): a
// file that cannot be written is reported as for the picture, and whatever stood under the
// name stays as it was; returns true when the file was written.
bool SaveChartAsCSV(const std::string& FilePath);

// Logs "Chart file not written: <path> (<reason>)" and, unless SilentMode, shows "The chart
// file could not be written:" and the path in a box titled "Vellicor".
void ReportChartFileFailure(const std::string& path, const std::string& reason);

}  // namespace vel
