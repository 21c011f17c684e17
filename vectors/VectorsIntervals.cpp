// clsVectors: interval groups of the stocks in the Buffer region. The value range of one column
// is cut repeatedly at the mean of the values inside each interval; the interval table lives in
// IntervalLimit / IntervalCount, and each row's interval number goes into another column.
#include <cmath>

#include "AppState.h"
#include "clsVectors.h"

namespace vel {

namespace {

constexpr long kScratch = 100;  // rows 101.. of IntervalLimit hold each level's split
constexpr long kMaxLevels = 6;

}  // namespace

float clsVectors::ScalarColumnLimitAverage(long FromClm, const Num& LimitHigh,
                                           float LimitLow) const {
    long count = 0;
    float sum = 0.0f;
    const long rows = bufferCount_;
    for (long j = 1; j <= rows; ++j) {
        const Num v =
            CoordGetSingleValue(toInt16(static_cast<double>(bufferStart_ + j - 1)), FromClm);
        if (LimitHigh > v && v.toDouble() >= LimitLow) {
            ++count;
            sum = checkedSingle(static_cast<double>(sum) + v.toDouble());
        }
    }
    if (count > 0) return checkedSingle(static_cast<double>(sum) / static_cast<double>(count));
    return 0.0f;
}

void clsVectors::CalcIntervalGroups(const Num& FromClm, const Num& ToClm, long LevelPower) {
    const long from = FromClm.toInt16();
    const long to = ToClm.toInt16();
    const long levels = LevelPower > kMaxLevels ? kMaxLevels : LevelPower;
    const float top = static_cast<float>(std::exp(40.0));
    IntervalLimit(1, 1) = top;
    IntervalLimit(1, 2) = -top;
    IntervalLimit(1, 3) = 0.0f;
    IntervalCount = 1;
    for (long level = 1; level <= levels; ++level) {
        const long count = IntervalCount;
        for (long k = 1; k <= count; ++k)
            IntervalLimit(k, 3) =
                ScalarColumnLimitAverage(from, Num(IntervalLimit(k, 1)), IntervalLimit(k, 2));
        for (long k = 1; k <= count; ++k) {
            const long upper = kScratch + 2 * k - 1;
            const long lower = kScratch + 2 * k;
            IntervalLimit(upper, 1) = IntervalLimit(k, 1);
            IntervalLimit(upper, 2) = IntervalLimit(k, 3);
            IntervalLimit(upper, 3) = 0.0f;
            IntervalLimit(lower, 1) = IntervalLimit(k, 3);
            IntervalLimit(lower, 2) = IntervalLimit(k, 2);
            IntervalLimit(lower, 3) = 0.0f;
        }
        IntervalCount = static_cast<std::int16_t>(2 * count);
        for (long k = 1; k <= IntervalCount; ++k)
            for (long c = 1; c <= 3; ++c) IntervalLimit(k, c) = IntervalLimit(kScratch + k, c);
    }
    const long rows = bufferCount_;
    for (long j = 1; j <= rows; ++j) {
        const long r = toInt16(static_cast<double>(bufferStart_ + j - 1));
        const float v = CoordGetSingleValue(r, from).toSingle();
        long group = 0;
        for (long m = 1; m <= IntervalCount; ++m)
            if (v < IntervalLimit(m, 1) && v >= IntervalLimit(m, 2)) group = m;
        CoordSetSingleValue(r, to, static_cast<float>(group));
    }
}

}  // namespace vel
