// clsVectors: the least-squares end-point kernels, the short relative derivatives and the
// vector-wide derivative and smoothing drivers. Every kernel looks only at the day it is given
// and earlier days; sums are formed oldest day first in double precision.
#include <algorithm>
#include <cmath>

#include "AppState.h"
#include "Hooks.h"
#include "KernelWeights.h"
#include "RowKernels.h"
#include "clsVectors.h"

namespace vel {
namespace {

// Slope weights at the newest day of the least-squares quadratic over 4, 6 and 8 days, oldest
// first: the exact fractions, each rounded once to double.
constexpr double kQuadSlope4[4] = {9.0 / 20, -17.0 / 20, -13.0 / 20, 21.0 / 20};
constexpr double kQuadSlope6[6] = {17.0 / 56,  -7.0 / 40,  -27.0 / 70,
                                   -23.0 / 70, -1.0 / 280, 33.0 / 56};
constexpr double kQuadSlope8[8] = {5.0 / 24,   -1.0 / 56, -9.0 / 56,  -37.0 / 168,
                                   -11.0 / 56, -5.0 / 56, 17.0 / 168, 3.0 / 8};

// A dynamically typed vector number as 16 bits, halves to even; OverflowError outside.
long vectorNumber(const Num& n) {
    if (n.isWhole() && n.wholeValue() >= -32768 && n.wholeValue() <= 32767) return n.wholeValue();
    return n.toInt16();
}

}  // namespace

long KernelDriverFirstDay(long low) {
    Num start = ChartFrom1 - Num(100);
    if (start < Num(static_cast<int>(low))) start = Num(static_cast<int>(low));
    return start.toInt16();
}

// ---- Point kernels ----------------------------------------------------------------------

float clsVectors::PointFirstDerivation(const Num& VectorNum, long PointPos, long PointsCount,
                                       bool IsRelative) const {
    YieldToEvents();
    const long v = vectorNumber(VectorNum);
    return KernelFirstDerivation([&](long d) { return cell(at(v, d)).toDouble(); }, PointPos,
                                 PointsCount, IsRelative);
}

float clsVectors::PointInterpolation(const Num& VectorNum, long PointPos, long PointsCount) const {
    YieldToEvents();
    const long v = vectorNumber(VectorNum);
    return KernelInterpolation([&](long d) { return cell(at(v, d)).toDouble(); }, PointPos,
                               PointsCount);
}

float clsVectors::PointSecDerivation(const Num&, long, long) const {
    YieldToEvents();
    return 0.0f;
}

// ---- Short relative derivatives ---------------------------------------------------------

namespace {

// 100 * (the weighted sum over the n days ending at p) / y(p) for the quadratic slope weights
// w; the plain sum where y(p) is 0; the sum is 0 when p < n. `read` is the cell read by
// coordinate, `single` the day's value as single.
template <class Read, class Single>
float relativeSlope(const double* w, long n, long p, Read read, Single single) {
    double s = 0.0;
    if (p >= n)
        for (long j = 0; j < n; ++j) s = s + w[j] * read(p - n + 1 + j);
    const float yp = single(p);
    if (yp != 0.0f) s = (s * 100.0) / yp;
    return KernelResult(s);
}

}  // namespace

float clsVectors::CalcRelDerivationA(long CurVectorNum, long PointPos) const {
    return relativeSlope(
        kQuadSlope4, 4, PointPos, [&](long c) { return cell(at(CurVectorNum, c)).toDouble(); },
        [&](long c) { return cellSingle(at(CurVectorNum, c)); });
}

float clsVectors::CalcRelDerivationB(long CurVectorNum, long PointPos) const {
    return relativeSlope(
        kQuadSlope8, 8, PointPos, [&](long c) { return cell(at(CurVectorNum, c)).toDouble(); },
        [&](long c) { return cellSingle(at(CurVectorNum, c)); });
}

// ---- Vector-wide drivers ----------------------------------------------------------------
// The drivers go through the kernels and the element access for every day: a kernel's yield
// may run event handlers that touch the store, so nothing is cached across days.

void clsVectors::VectorFirstDerivation(long FromVectorNum, long ToVectorNum, long PointsCount,
                                       bool IsRelative) {
    CoordAllSetConst(ToVectorNum, 0.0f);
    const long start = KernelDriverFirstDay(1);
    const long end = std::min<long>(ChartTo1, coordDim_);
    const Num from = Num::whole(static_cast<std::int32_t>(FromVectorNum));
    for (long i = start; i <= end; ++i)
        CoordSetSingleValue(ToVectorNum, i, PointFirstDerivation(from, i, PointsCount, IsRelative));
}

void clsVectors::VectorInterpolation(long FromVectorNum, long ToVectorNum, long PointsCount) {
    CoordAllSetConst(ToVectorNum, 0.0f);
    const long end = coordDim_;
    const Num from = Num::whole(static_cast<std::int32_t>(FromVectorNum));
    for (long i = 1; i <= end; ++i)
        CoordSetSingleValue(ToVectorNum, i, PointInterpolation(from, i, PointsCount));
}

void clsVectors::VectorSecDerivation(long FromVectorNum, long ToVectorNum, long PointsCount) {
    CoordAllSetConst(ToVectorNum, 0.0f);
    const long start = KernelDriverFirstDay(1);
    const long end = std::min<long>(ChartTo1, coordDim_);
    const Num from = Num::whole(static_cast<std::int32_t>(FromVectorNum));
    for (long i = start; i <= end; ++i)
        CoordSetSingleValue(ToVectorNum, i, PointSecDerivation(from, i, PointsCount));
}

void clsVectors::CoordFirstDerivation6p2d(long FromVectorNum, long ToVectorNum) {
    CoordAllSetConst(ToVectorNum, 0.0f);
    if (ChartTo1 < 6) return;
    const long start = KernelDriverFirstDay(6);
    const long end = std::min<long>(ChartTo1, coordDim_);
    for (long i = start; i <= end; ++i) {
        double s = 0.0;
        for (long j = 0; j < 6; ++j)
            s = s + kQuadSlope6[j] * CoordGetSingleValue(FromVectorNum, i - 5 + j).toDouble();
        CoordSetSingleValue(ToVectorNum, i, KernelResult(s));
    }
}

void clsVectors::Coord4PointDerivation(long FromVectorNum, long ToVectorNum) {
    CoordAllSetConst(ToVectorNum, 0.0f);
    const long end = coordDim_;
    if (end < 4) return;
    constexpr double kHalves[4] = {0.5, -0.5, -0.5, 0.5};
    for (long i = 4; i <= end; ++i) {
        float s = 0.0f;
        for (long j = 0; j < 4; ++j)
            s = KernelResult(static_cast<double>(s) +
                             kHalves[j] * CoordGetSingleValue(FromVectorNum, i - 3 + j).toDouble());
        CoordSetSingleValue(ToVectorNum, i, s);
    }
}

}  // namespace vel
