// The chart's palette.
#include "DisplayList.h"

namespace vel {

Rgb PaletteRgb(ChartColour colour) {
    switch (colour) {
        case ChartColour::Blue:
            return {0, 0, 128};
        case ChartColour::Green:
            return {0, 128, 0};
        case ChartColour::Red:
            return {128, 0, 0};
        case ChartColour::Black:
        default:
            return {0, 0, 0};
    }
}

}  // namespace vel
