// The searches' vector operations on raw rows.
#include "SearchRows.h"

#include <algorithm>

#include "AppState.h"
#include "RowKernels.h"
#include "VectorStores.h"

namespace vel {

SearchWindow CurrentSearchWindow() {
    SearchWindow w;
    w.dim = MainVectors ? MainVectors->CoordDim() : 0;
    w.from = ChartFrom1.toInt16();
    w.to = ChartTo1;
    // The derivative drivers' range: up to ChartTo1 or CoordDim.
    w.kernelFrom = KernelDriverFirstDay(1);
    w.kernelTo = std::min<long>(ChartTo1, w.dim);
    // The statistics' clamp of the shown window.
    double first = ChartFrom1.toDouble();
    long last = ChartTo1;
    if (first < 1) first = 1;
    if (last < 1) last = 1;
    if (first > w.dim) first = static_cast<double>(w.dim);
    if (last > w.dim) last = w.dim;
    w.statFrom = std::min<long>(toInt16(first), last);
    w.statTo = last;
    w.commission = defCommission;
    w.diligence = defDiligence;
    return w;
}

bool ReadPlainRow(const clsVectors& v, long VectorNum, long dim, bool nonNegative,
                  std::vector<float>& row) {
    row.assign(static_cast<size_t>(std::max<long>(dim, 0)), 0.0f);
    float smallest = 0.0f, largest = 0.0f;
    for (long d = 1; d <= dim; ++d) {
        const Num c = v.CoordGetSingleValue(VectorNum, d);
        if (c.isEmpty()) continue;
        if (!c.isSingle()) return false;
        const float x = c.singleValue();
        if (nonNegative && x < 0.0f) return false;
        const float a = std::fabs(x);
        if (a == 0.0f) {
            row[static_cast<size_t>(d - 1)] = x;
            continue;
        }
        if (!(a >= 1e-12f && a <= 1e24f)) return false;
        smallest = smallest == 0.0f ? a : std::min(smallest, a);
        largest = std::max(largest, a);
        row[static_cast<size_t>(d - 1)] = x;
    }
    return smallest == 0.0f || static_cast<double>(largest) <= 1e12 * smallest;
}

namespace {

thread_local std::vector<double> t_sums;

// The kernel's window sums of days lo..hi of the row into t_sums.
void WindowSums(const double* weights, long points, const float* in, long lo, long hi) {
    t_sums.resize(static_cast<size_t>(hi - lo + 1));
    KernelWindowSums(weights, points, in, lo, hi, t_sums.data());
}

}  // namespace

void FirstDerivationRow(const float* in, const SearchWindow& w, long points, bool relative,
                        float* out) {
    std::fill(out, out + w.dim, 0.0f);
    const long first = w.kernelFrom, last = w.kernelTo;
    if (first > last) return;
    const double* weights = KernelWeightRow(LeastSquaresSlopeWeights, points);
    const long lo = weights ? std::max(first, points) : last + 1;
    if (lo <= last) WindowSums(weights, points, in, lo, last);
    for (long i = first; i <= last; ++i) {
        const double s = i >= lo ? t_sums[static_cast<size_t>(i - lo)] : 0.0;
        if (!relative) {
            out[i - 1] = FusedSingle(s);
            continue;
        }
        if (!std::isfinite(s)) throw LeaveFusedRoad();
        const double yp = in[i - 1];
        out[i - 1] = yp == 0.0 ? 0.0f : FusedSingle(s / yp);
    }
}

void InterpolationRow(const float* in, long first, long last, long points, float* out) {
    if (first > last) return;
    const double* weights = KernelWeightRow(LeastSquaresValueWeights, points);
    const long lo = weights ? std::max(first, points) : last + 1;
    if (lo <= last) WindowSums(weights, points, in, lo, last);
    for (long i = first; i <= last; ++i) {
        const double s = i >= lo ? t_sums[static_cast<size_t>(i - lo)] : in[i - 1];
        out[i - 1] = FusedSingle(s);
    }
}

void StockBehaviourRows(const float* price, const float* money, const SearchWindow& w, long G,
                        long S, std::vector<float>& out) {
    out.clear();
    const long dim = w.dim;
    if (G >= dim) return;
    out.assign(static_cast<size_t>(8 * dim), 0.0f);
    auto row = [&](long r) { return out.data() + r * dim; };
    // The gradient over G days of the driver days (VectorFirstDerivation, absolute), then its
    // smoothing over S days of every day (VectorInterpolation), of the price (rows 4, 5) and of
    // the money volume (rows 6, 7).
    const float* inputs[2] = {price, money};
    for (long m = 0; m < 2; ++m) {
        const float* in = inputs[m];
        float* gradient = row(4 + 2 * m);
        float* smooth = row(5 + 2 * m);
        for (long i = w.kernelFrom; i <= w.kernelTo; ++i)
            gradient[i - 1] = KernelFirstDerivation(
                [in](long d) { return static_cast<double>(in[d - 1]); }, i, G, false);
        for (long i = 1; i <= dim; ++i)
            smooth[i - 1] = KernelInterpolation(
                [gradient](long d) { return static_cast<double>(gradient[d - 1]); }, i, S);
    }
    const float* a = row(5);
    const float* b = row(7);
    for (long i = std::max(1L, G); i <= dim; ++i) {
        const float x = a[i - 1], y = b[i - 1];
        row(0)[i - 1] = x > 0.0f && y > 0.0f ? 100.0f : 0.0f;
        row(1)[i - 1] = x > 0.0f && y < 0.0f ? 100.0f : 0.0f;
        row(2)[i - 1] = x < 0.0f && y < 0.0f ? 100.0f : 0.0f;
        row(3)[i - 1] = x < 0.0f && y > 0.0f ? 100.0f : 0.0f;
    }
}

void CoefMullRow(float* row, long first, long last, float factor) {
    for (long i = first; i <= last; ++i) {
        const float r = static_cast<float>(static_cast<double>(row[i - 1]) * factor);
        if (std::isinf(r)) throw LeaveFusedRoad();
        row[i - 1] = r;
    }
}

void PastProfitRow(const float* price, long first, long last, long days, float* out) {
    for (long i = first; i <= last; ++i) {
        out[i - 1] = 0.0f;
        if (i <= days) continue;
        const float past = price[i - days - 1];
        if (!(past > 0.0f)) continue;
        const float diff = price[i - 1] - past;
        if (std::isinf(diff)) throw LeaveFusedRoad();
        out[i - 1] = FusedSingle(100.0 * static_cast<double>(diff) / static_cast<double>(past));
    }
}

float ConditionalAverageRow(const float* row, long first, long last, float level, bool greater) {
    float sum = 0.0f;
    float count = 0.0f;
    for (long d = first; d <= last; ++d) {
        const float y = row[d - 1];
        if (greater ? y >= level : y <= level) {
            sum = sum + y;
            count = count + 1.0f;
        }
    }
    if (!std::isfinite(sum)) throw LeaveFusedRoad();
    return count > 0.0f ? sum / count : 0.0f;
}

float MinimumRow(const float* row, long first, long last) {
    float m = row[first - 1];
    for (long d = first; d <= last; ++d)
        if (row[d - 1] < m) m = row[d - 1];
    return m;
}

float MaximumRow(const float* row, long first, long last) {
    float m = row[first - 1];
    for (long d = first; d <= last; ++d)
        if (row[d - 1] > m) m = row[d - 1];
    return m;
}

}  // namespace vel
