// The Qt backend of the chart: draws a display list on an image, white underneath, with
// aliased lines and text, the palette colours and cosmetic pens (widths in pixels at every
// scale). The image's pixel size stands for the target's size in twips.
#pragma once

#include <QImage>
#include <string>

#include "ChartTarget.h"
#include "DisplayList.h"

namespace vel {

// Twips per pixel of the chart's pictures (a screen of 96 dots per inch).
constexpr double kTwipsPerPixel = 15.0;

// Fills the image white and draws the list on it, scaling twips to pixels by the image's size
// over (scaleWidth, scaleHeight).
void DrawDisplayList(const DisplayList& list, double scaleWidth, double scaleHeight, QImage& image);

// The target drawn on a new image of its size in pixels (its scale size / kTwipsPerPixel).
QImage RenderChartTarget(const ChartTarget& target);

// Writes the target's picture as a 24-bit BMP file, whole or not at all; "" when written, else
// the reason. The chart export's picture writer.
std::string WriteChartBitmap(const ChartTarget& target, const std::string& path);
// Makes WriteChartBitmap the chart export's picture writer.
void InstallQtChartBitmapWriter();

}  // namespace vel
