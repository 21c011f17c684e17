// The chart as a list of drawing primitives: lines, circles and texts in twips, each with its
// palette colour and pen width, in drawing order. The painter fills it without any widget; a
// backend of the _ui library draws it on an image.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vel {

// The palette entries the chart uses (the classic 16-colour palette's first entries).
enum class ChartColour : std::uint8_t { Black = 0, Blue = 1, Green = 2, Red = 4 };

// The palette entry as red, green, blue: black (0, 0, 0), blue (0, 0, 128), green (0, 128, 0),
// red (128, 0, 0).
struct Rgb {
    int r, g, b;
};
Rgb PaletteRgb(ChartColour colour);

enum class PrimitiveKind : std::uint8_t { Line, Circle, Text };

// One drawing step. A line runs from (x1, y1) to (x2, y2); a circle has its centre at (x1, y1)
// and the radius x2; a text starts with its top left corner at (x1, y1). Width is in pixels
// (a cosmetic pen: the same on every scale).
struct ChartPrimitive {
    PrimitiveKind kind = PrimitiveKind::Line;
    ChartColour colour = ChartColour::Black;
    std::uint8_t width = 1;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    std::string text;
};

class DisplayList {
public:
    void Clear() { items_.clear(); }
    void Line(ChartColour colour, int width, double x1, double y1, double x2, double y2) {
        items_.push_back(
            {PrimitiveKind::Line, colour, static_cast<std::uint8_t>(width), x1, y1, x2, y2, {}});
    }
    void Circle(ChartColour colour, int width, double x, double y, double radius) {
        items_.push_back(
            {PrimitiveKind::Circle, colour, static_cast<std::uint8_t>(width), x, y, radius, 0, {}});
    }
    void Text(ChartColour colour, double x, double y, std::string text) {
        items_.push_back({PrimitiveKind::Text, colour, 1, x, y, 0, 0, std::move(text)});
    }
    void Reserve(size_t n) { items_.reserve(n); }

    const std::vector<ChartPrimitive>& Items() const { return items_; }
    size_t Size() const { return items_.size(); }

private:
    std::vector<ChartPrimitive> items_;
};

}  // namespace vel
