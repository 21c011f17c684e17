// Number texts of the market analysis.
#include "AnalysisText.h"

#include "NumberText.h"

namespace vel {

namespace {

// A blank before the text of a number that is not negative.
std::string WithSignBlank(bool negative, const std::string& text) {
    std::string t(negative ? 0 : 1, ' ');
    t += text;
    return t;
}

}  // namespace

std::string SignBlank(float v) {
    return WithSignBlank(v < 0.0f, formatSingle(v));
}

std::string SignBlankDouble(double v) {
    return WithSignBlank(v < 0.0, formatDouble(v));
}

std::string SignBlankWhole(long v) {
    return WithSignBlank(v < 0, std::to_string(v));
}

}  // namespace vel
