// Number texts of the market analysis's result files, messages and captions: the sign-blank
// form of the plain conversion. Numbers with a fixed count of decimals ("0", "0.00") are
// written by formatFixed of NumberText.h.
#pragma once

#include <string>

namespace vel {

// The shortest decimal text of the number (7 significant digits for a single, 15 for a
// double, as formatSingle and formatDouble write it) with a leading blank when it is not
// negative and "-" when it is: 1 gives " 1", 0.5 gives " 0.5", -2 gives "-2".
std::string SignBlank(float v);
std::string SignBlankDouble(double v);
std::string SignBlankWhole(long v);

}  // namespace vel
