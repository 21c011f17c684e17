// The weight tables of the least-squares end-point kernels: for every window length N = 5..50,
// the rows of (A^T A)^-1 A^T that give the value (row 0) and the slope (row 1) at the newest
// day of the degree-4 polynomial fitted by ordinary least squares, with A[j][k] = x_j^k and
// x_j = j - (N - 1) (the oldest day first, the newest at x = 0).
//
// The weights are computed once, on first use, in exact rational arithmetic and rounded once
// to the nearest double; nothing solves a least-squares system in floating point.
#pragma once

namespace vel {

constexpr int kMinKernelPoints = 5;
constexpr int kMaxKernelPoints = 50;

// The N value weights of window length N, oldest day first: sum w_j y_j is the fitted value
// at the newest day. nullptr for an N outside 5..50.
const double* LeastSquaresValueWeights(int N);
// The N slope weights of window length N, oldest day first: sum w_j y_j is the fitted slope
// at the newest day, in value units per day. nullptr for an N outside 5..50.
const double* LeastSquaresSlopeWeights(int N);

// The nearest double (halves to even) of the fraction num / den with 64-bit operands;
// den must not be 0. Exposed for the tests of the rounding.
double RoundedRatio(long long num, long long den);

}  // namespace vel
