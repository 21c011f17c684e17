// clsVectors: the behaviour classes of a stock, by the directions of its smoothed price and
// money-volume gradients. Averaged over a group of stocks the four class vectors give, day by
// day, the percentage of the group in each class.
#include <algorithm>

#include "clsVectors.h"

namespace vel {

void clsVectors::CoordStockBehaviour(long FromVectorNum1, long FromVectorNum2, long ToVectorNum,
                                     long PolynomialGradientDays, long PolynomialSmoothDays) {
    for (long k = 0; k < 4; ++k) CoordAllSetConst(ToVectorNum + k, 0.0f);
    if (PolynomialGradientDays >= coordDim_) return;
    VectorFirstDerivation(FromVectorNum1, ToVectorNum + 4, PolynomialGradientDays, false);
    VectorInterpolation(ToVectorNum + 4, ToVectorNum + 5, PolynomialSmoothDays);
    VectorFirstDerivation(FromVectorNum2, ToVectorNum + 6, PolynomialGradientDays, false);
    VectorInterpolation(ToVectorNum + 6, ToVectorNum + 7, PolynomialSmoothDays);

    // A gradient length below 1 gives zero gradients everywhere; the classes then stay 0 from
    // day 1 on instead of addressing days before the first.
    const long first = std::max(1L, PolynomialGradientDays);
    const long last = coordDim_;
    for (long i = first; i <= last; ++i) {
        const float a = cellSingle(at(ToVectorNum + 5, i));
        const float b = cellSingle(at(ToVectorNum + 7, i));
        putWhole(at(ToVectorNum, i), a > 0.0f && b > 0.0f ? 100 : 0);
        putWhole(at(ToVectorNum + 1, i), a > 0.0f && b < 0.0f ? 100 : 0);
        putWhole(at(ToVectorNum + 2, i), a < 0.0f && b < 0.0f ? 100 : 0);
        putWhole(at(ToVectorNum + 3, i), a < 0.0f && b > 0.0f ? 100 : 0);
    }
}

}  // namespace vel
