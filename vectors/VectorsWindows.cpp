// clsVectors: moving-window transforms (trailing mean, distance from the trailing mean and
// extremes, trailing median, centred mean) and the past profit of a price vector. Every
// coordinate is written as soon as it is computed, in increasing order.
#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "clsVectors.h"

namespace vel {

namespace {

// A window bound formed in 16-bit arithmetic; OverflowError outside -32768..32767.
long bound16(long v) {
    return toInt16(static_cast<double>(v));
}

}  // namespace

Num clsVectors::trailingMean(size_t row, long day, long length, const char* caller) const {
    const long first = std::max(1L, bound16(day - length + 1));
    Num sum(0);
    float count = 0.0f;
    for (long j = first; j <= day; ++j) {
        sum = sum + cell(row + j - 1);
        count = count + 1.0f;
    }
    if (count == 0.0f)
        throw DivisionByZeroError(std::string(caller) + ": moving-average length below 1");
    return sum / Num(count);
}

void clsVectors::CoordMA(long MALength, long FromVectorNum, long ToVectorNum) {
    const long last = coordDim_;
    if (last < 1) return;
    const size_t from = rowBase(FromVectorNum);
    const size_t to = rowBase(ToVectorNum);
    const long n = inside(last);
    for (long i = 1; i <= n; ++i) put(to + i - 1, trailingMean(from, i, MALength, "CoordMA"));
    failBeyond(FromVectorNum, last);
}

void clsVectors::CoordMARelDif(long MALength, long FromVectorNum, long ToVectorNum) {
    const long last = coordDim_;
    if (last < 1) return;
    const size_t from = rowBase(FromVectorNum);
    const size_t to = rowBase(ToVectorNum);
    const long n = inside(last);
    for (long i = 1; i <= n; ++i) {
        const Num mean = trailingMean(from, i, MALength, "CoordMARelDif");
        const Num y = cell(from + i - 1);
        if (mean > Num(0))
            putDouble(to + i - 1, checkedDouble(100.0 * (y - mean).toDouble() / mean.toDouble()));
        else
            putWhole(to + i - 1, 0);
    }
    failBeyond(FromVectorNum, last);
}

void clsVectors::CoordMaxRelDif(long MALength, long FromVectorNum, long ToVectorNum) {
    trailingExtremeRelDif(MALength, FromVectorNum, ToVectorNum, true);
}

void clsVectors::CoordMinRelDif(long MALength, long FromVectorNum, long ToVectorNum) {
    trailingExtremeRelDif(MALength, FromVectorNum, ToVectorNum, false);
}

void clsVectors::trailingExtremeRelDif(long MALength, long FromVectorNum, long ToVectorNum,
                                       bool maximum) {
    const long last = coordDim_;
    if (last < 1) return;
    const size_t from = rowBase(FromVectorNum);
    const size_t to = rowBase(ToVectorNum);
    const long n = inside(last);
    float m = 0.0f;  // kept from one coordinate to the next
    for (long i = 1; i <= n; ++i) {
        const long first = std::max(1L, bound16(i - MALength + 1));
        for (long j = first; j <= i; ++j) {
            const Num x = cell(from + j - 1);
            if (j == first || (maximum ? x.toDouble() > m : x.toDouble() < m)) m = x.toSingle();
        }
        const Num y = cell(from + i - 1);
        // The distance from the extreme toward the value: below the maximum, above the minimum.
        const Num distance = maximum ? Num(m) - y : y - Num(m);
        if (m > 0.0f)
            putDouble(to + i - 1, checkedDouble(100.0 * distance.toDouble() / m));
        else
            putWhole(to + i - 1, 0);
    }
    failBeyond(FromVectorNum, last);
}

void clsVectors::CoordAllRadiusSmooth(long Radius, long FromVectorNum, long ToVectorNum) {
    CoordAllSetConst(ToVectorNum, 0.0f);
    // The fast road stops before the first day whose mean it cannot give; the days it wrote
    // hold what the plain form writes again.
    if (fastRoads_ && radiusSmoothSingles(Radius, FromVectorNum, ToVectorNum)) return;
    const long last = coordDim_;
    for (long i = 1; i <= last; ++i) {
        const long first = std::max(1L, bound16(i - Radius));
        const long end = std::min(last, bound16(i + Radius));
        Num sum(0);
        float count = 0.0f;
        for (long j = first; j <= end; ++j) {
            sum = sum + CoordGetSingleValue(FromVectorNum, j);
            count = count + 1.0f;
        }
        if (count == 0.0f) throw DivisionByZeroError("CoordAllRadiusSmooth: negative radius");
        CoordSetSingleValue(ToVectorNum, i, (sum / Num(count)).toSingle());
    }
}

bool clsVectors::radiusSmoothSingles(long Radius, long FromVectorNum, long ToVectorNum) {
    const long last = coordDim_;
    // Only where nothing can fail and every bound stays within 16 bits: a source apart from the
    // target, inside the matrix, holding singles on every day.
    if (FromVectorNum == ToVectorNum || Radius < 0 || last < 1 || last > cols_ ||
        Radius > 32767 - last)
        return false;
    if (!singleDays(FromVectorNum, 1, last)) return false;
    const size_t from = rowBase(FromVectorNum);
    const size_t to = rowBase(ToVectorNum);
    for (long i = 1; i <= last; ++i) {
        const long first = std::max(1L, i - Radius);
        const long end = std::min(last, i + Radius);
        // The dynamic sum of singles: each addition rounded to single, as float addition is.
        float sum = 0.0f, count = 0.0f;
        for (long j = first; j <= end; ++j) {
            sum = sum + singleAt(from, j);
            count = count + 1.0f;
        }
        const float mean = sum / count;
        // A sum beyond the single range (widened to double by the dynamic arithmetic), or a
        // value that is not a finite number, is left to the plain form.
        if (!std::isfinite(mean)) return false;
        putSingle(to + static_cast<size_t>(i - 1), mean);
    }
    return true;
}

void clsVectors::CoordPastProfit(long PriceVectorNum, long ProfitVectorNum, long DayCount) {
    const long last = coordDim_;
    CoordAllSetConst(ProfitVectorNum, 0.0f);
    for (long i = bound16(DayCount + 1); i <= last; ++i) {
        const Num past = CoordGetSingleValue(PriceVectorNum, bound16(i - DayCount));
        const Num now = CoordGetSingleValue(PriceVectorNum, i);
        float profit = 0.0f;
        if (past > Num(0))
            profit = checkedSingle(100.0 * (now - past).toDouble() / past.toDouble());
        CoordSetSingleValue(ProfitVectorNum, i, profit);
    }
}

void clsVectors::CoordPastMedian(long FromVectorNum, long ToVectorNum, long PastMedianLength) {
    const long last = coordDim_;
    const long len = PastMedianLength;
    VectorCopy(FromVectorNum, ToVectorNum);
    if (last <= len || len <= 2 || len > 100) return;
    if (!fastRoads_ || last > cols_) return pastMedianDays(FromVectorNum, ToVectorNum, len, len);
    const long middle = len / 2 + (len % 2);
    // The window's values by age (ring, coordinate c at c % len) and, apart from NaN, in the
    // order of the plain form's sort: descending, equal values oldest first, which is what a
    // bubble sort that never swaps equal values leaves. Each step removes the oldest value and
    // inserts the newest, so a step costs the length of the window, not its square.
    float ring[100];
    std::vector<float> sorted;
    sorted.reserve(static_cast<size_t>(len));
    long nans = 0;
    auto insert = [&](float x) {
        if (std::isnan(x)) return void(++nans);
        // After every value at or above x: the newest of its equals.
        auto at = std::upper_bound(sorted.begin(), sorted.end(), x, std::greater<float>());
        sorted.insert(at, x);
    };
    auto remove = [&](float x, bool newest) {
        if (std::isnan(x)) return void(--nans);
        auto range = std::equal_range(sorted.begin(), sorted.end(), x, std::greater<float>());
        sorted.erase(newest ? range.second - 1 : range.first);
    };
    for (long c = 1; c <= len; ++c) insert(ring[c % len] = CoordGetSingle(FromVectorNum, c));
    for (long i = len; i <= last; ++i) {
        if (i > len) {
            remove(ring[i % len], false);  // coordinate i - len, the oldest
            insert(ring[i % len] = CoordGetSingle(FromVectorNum, i));
        }
        float median;
        if (nans == 0) {
            median = sorted[static_cast<size_t>(middle - 1)];
        } else {
            // NaN is neither above nor below anything: the plain sort's own order decides.
            float buffer[101];
            for (long k = 1; k <= len; ++k) buffer[k] = ring[(i - len + k) % len];
            median = bubbleMedian(buffer, len);
        }
        CoordSetSingleValue(ToVectorNum, i, median);
        if (FromVectorNum == ToVectorNum) {
            // The next windows read the median where the source value was.
            remove(ring[i % len], true);
            insert(ring[i % len] = CoordGetSingle(FromVectorNum, i));
        }
    }
}

void clsVectors::pastMedianDays(long FromVectorNum, long ToVectorNum, long len, long first) {
    float buffer[101];  // indexes 1..len
    for (long i = first; i <= coordDim_; ++i) {
        for (long k = 1; k <= len; ++k) buffer[k] = CoordGetSingle(FromVectorNum, i - len + k);
        CoordSetSingleValue(ToVectorNum, i, bubbleMedian(buffer, len));
    }
}

float clsVectors::bubbleMedian(float* buffer, long len) {
    // Bubble sort, descending; equal values are never swapped.
    bool swapped = true;
    while (swapped) {
        swapped = false;
        for (long j = 2; j <= len; ++j) {
            if (buffer[j - 1] < buffer[j]) {
                std::swap(buffer[j - 1], buffer[j]);
                swapped = true;
            }
        }
    }
    return buffer[len / 2 + (len % 2)];
}

}  // namespace vel
