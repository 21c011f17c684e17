// clsVectors: moving-window transforms (trailing mean, distance from the trailing mean and
// extremes, trailing median, centred mean) and the past profit of a price vector. Every
// coordinate is written as soon as it is computed, in increasing order.
#include <algorithm>

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
    const long last = coordDim_;
    CoordAllSetConst(ToVectorNum, 0.0f);
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
    float buffer[101];  // indexes 1..len
    const long middle = len / 2 + (len % 2);
    for (long i = len; i <= last; ++i) {
        for (long k = 1; k <= len; ++k) buffer[k] = CoordGetSingle(FromVectorNum, i - len + k);
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
        CoordSetSingleValue(ToVectorNum, i, buffer[middle]);
    }
}

}  // namespace vel
