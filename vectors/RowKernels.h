// The least-squares end-point kernels as functions of a reader of a curve's days, shared by the
// store's point kernels and by the searches that smooth and differentiate trial curves held in
// raw rows of their own. One order of operations for both (the weights of KernelWeights.h, sums
// formed oldest day first in double precision, results rounded once to single), so a search on
// raw rows gives the store's values bit for bit. Nothing here yields or touches a store.
#pragma once

#include "KernelWeights.h"
#include "Num.h"

namespace vel {

// The first day the window drivers (VectorFirstDerivation, VectorSecDerivation,
// CoordFirstDerivation6p2d) write: ChartFrom1 - 100 on the tagged value, at least `low`, rounded
// to 16 bits (OverflowError outside). Their last day is min(ChartTo1, CoordDim).
long KernelDriverFirstDay(long low);

// The weight row of window length n from the table, nullptr outside 5..50.
inline const double* KernelWeightRow(const double* (*table)(int), long n) {
    return n >= kMinKernelPoints && n <= kMaxKernelPoints ? table(static_cast<int>(n)) : nullptr;
}

// A kernel result as single: OverflowError for a sum that left the double range or is
// undefined, or a value beyond the single range.
inline float KernelResult(double s) {
    return checkedSingle(checkedDouble(s));
}

// sum_j w[j] * y(j), j = 0..n-1 in that order, each step in double precision.
template <class Read>
double KernelWindowSum(const double* w, long n, Read y) {
    double s = 0.0;
    for (long j = 0; j < n; ++j) s = s + w[j] * y(j);
    return s;
}

// The window sums of days lo..hi (1-based, lo >= n) of a raw row (day d is in[d - 1]) at
// once: sums[i - lo] = KernelWindowSum over the n days ending at i, each day's sum formed in
// the same order. The loop over the days is the inner one, so the compiler can form several
// days at once without changing any day's order of operations.
inline void KernelWindowSums(const double* w, long n, const float* in, long lo, long hi,
                             double* sums) {
    const long days = hi - lo + 1;
    for (long k = 0; k < days; ++k) sums[k] = 0.0;
    for (long j = 0; j < n; ++j) {
        const double wj = w[j];
        const float* x = in + (lo - n + j);
        for (long k = 0; k < days; ++k) sums[k] = sums[k] + wj * static_cast<double>(x[k]);
    }
}

// The value at day p of the degree-4 polynomial fitted over the n days ending at p; the day's
// own value where that window does not fit (n outside 5..50 or p < n). y(d) reads day d
// (1-based) as a double; day p is read first.
template <class Read>
float KernelInterpolation(Read y, long p, long n) {
    double s = y(p);
    if (const double* w = KernelWeightRow(LeastSquaresValueWeights, n); w && p >= n)
        s = KernelWindowSum(w, n, [&](long j) { return y(p - n + 1 + j); });
    return KernelResult(s);
}

// The slope per day at day p of the same polynomial, 0 where the window does not fit; with
// relative, divided by the day's value (0 where that value is 0). The window is read oldest day
// first, then day p.
template <class Read>
float KernelFirstDerivation(Read y, long p, long n, bool relative) {
    double s = 0.0;
    if (const double* w = KernelWeightRow(LeastSquaresSlopeWeights, n); w && p >= n)
        s = KernelWindowSum(w, n, [&](long j) { return y(p - n + 1 + j); });
    const double yp = y(p);
    if (!relative) return KernelResult(s);
    checkedDouble(s);  // an undefined sum raises on both roads, not only on the absolute one
    if (yp == 0.0) return 0.0f;
    return KernelResult(s / yp);
}

}  // namespace vel
