// clsVectors: read-only statistics of a vector over the group period GroupFrom..GroupTo (taken
// as they stand) and over a caller's day range (clamped to the loaded days). Sums and means are
// dynamic arithmetic on the stored values; from a constant factor or a square root on the
// computation runs in double precision.
#include <cmath>

#include "AppState.h"
#include "clsVectors.h"

namespace vel {

namespace {

// A day or count formed in 16-bit arithmetic; OverflowError outside -32768..32767.
long int16Of(long v) {
    return toInt16(static_cast<double>(v));
}

// 100 * numerator / denominator in double precision, rounded to single.
Num percentOf(const Num& numerator, const Num& denominator) {
    return Num(checkedSingle(100.0 * numerator.toDouble() / denominator.toDouble()));
}

// The caller's day range on copies of its arguments: each end raised to 1 and lowered to
// CoordDim, in this order, and a reversed range collapsed onto ToPos.
struct DayRange {
    long from;
    long to;
};
DayRange clampDays(long coordDim, const Num& FromPos, long ToPos) {
    // The start is clamped as the number it is and rounded only where it becomes a day, so a
    // far-out start is clamped rather than overflowing.
    double from = FromPos.toDouble();
    long to = ToPos;
    if (from < 1) from = 1;
    if (to < 1) to = 1;
    if (from > coordDim) from = coordDim;
    if (to > coordDim) to = coordDim;
    long day = toInt16(from);
    if (day > to) day = to;
    return {day, to};
}

}  // namespace

namespace {

// Sums in float arithmetic give what the dynamic sums of singles give as long as they stay
// finite (beyond the single range the dynamic sum widens to double; NaN and infinity are left
// to the plain form, which raises or carries them as it does).
bool finite(float x) {
    return std::isfinite(x);
}

}  // namespace

Num clsVectors::GroupCoordAverage(long VectorNum) const {
    const long from = GroupFrom.toInt16();
    const long to = GroupTo;
    if (singleDays(VectorNum, from, to)) {
        const size_t row = rowBase(VectorNum);
        float sum = 0.0f, count = 0.0f;
        for (long d = from; d <= to; ++d) {
            sum = sum + singleAt(row, d);
            count = count + 1.0f;
        }
        if (finite(sum)) return Num(sum / count);
    }
    Num sum(0);
    float count = 0.0f;
    for (long d = from; d <= to; ++d) {
        sum = sum + CoordGetSingleValue(VectorNum, d);
        count = count + 1.0f;
    }
    if (count > 0.0f) return sum / Num(count);
    return Num(0);
}

Num clsVectors::GroupProfit(long VectorNum) const {
    const Num first = CoordGetSingleValue(VectorNum, GroupFrom.toInt16());
    const Num last = CoordGetSingleValue(VectorNum, GroupTo);
    if (first > Num(0)) return percentOf(last - first, first);
    return Num(0.0f);
}

Num clsVectors::GroupCoordValueGrowth(long VectorNum) const {
    const Num whole = GroupCoordAverage(VectorNum);
    const long n = int16Of(GroupTo - GroupFrom.toInt16() + 1);
    const long half = n / 2;  // truncated toward zero
    const long secondHalf = int16Of(GroupTo - half + 1);
    const float late = ScalarFromToCoordAverage(Num(static_cast<int>(VectorNum)),
                                                Num(static_cast<int>(secondHalf)), GroupTo);
    if (whole > Num(0)) return percentOf(Num(late) - whole, whole);
    return Num(0.0f);
}

Num clsVectors::GroupPriceDecline(long VectorNum) const {
    const long from = GroupFrom.toInt16();
    const long to = GroupTo;
    Num max(0);
    for (long d = from; d <= to; ++d) {
        const Num y = CoordGetSingleValue(VectorNum, d);
        if (y > max) max = y;
    }
    const Num last = CoordGetSingleValue(VectorNum, GroupTo);
    if (last > Num(0)) return percentOf(last - max, last);
    return Num(0.0f);
}

Num clsVectors::GroupPriceIncrease(long VectorNum) const {
    const long from = GroupFrom.toInt16();
    const long to = GroupTo;
    Num min = CoordGetSingleValue(VectorNum, from);
    for (long d = from; d <= to; ++d) {
        const Num y = CoordGetSingleValue(VectorNum, d);
        if (y < min) min = y;
    }
    const Num last = CoordGetSingleValue(VectorNum, GroupTo);
    if (last > Num(0)) return percentOf(last - min, last);
    return Num(0.0f);
}

Num clsVectors::GroupPriceLinearity(long VectorNum) const {
    const long from = GroupFrom.toInt16();
    const long to = GroupTo;
    const float avg = GroupCoordAverage(VectorNum).toSingle();
    const Num first = CoordGetSingleValue(VectorNum, from);
    const Num last = CoordGetSingleValue(VectorNum, GroupTo);
    // A one-day period has no line through first and last: the statistic is undefined.
    const Num span = Num(static_cast<int>(GroupTo)) - GroupFrom;
    if (span == Num(0)) return Num(0.0f);
    const Num rise = last - first;
    if (GroupFrom.isWhole() && first.isSingle() && rise.isSingle() &&
        singleDays(VectorNum, from, to)) {
        // The line in the order of the dynamic form: first + (rise * whole offset) / whole span.
        const size_t row = rowBase(VectorNum);
        const float f = first.singleValue(), r = rise.singleValue();
        const float s = static_cast<float>(span.wholeValue());
        float sum = 0.0f, count = 0.0f;
        for (long d = from; d <= to; ++d) {
            const float offset = static_cast<float>(d - GroupFrom.wholeValue());
            const float e = singleAt(row, d) - (f + r * offset / s);
            sum = sum + e * e;
            count = count + 1.0f;
        }
        if (finite(sum)) {
            if (count == 0.0f || avg <= 0.0f) return Num(0.0f);
            return Num(checkedSingle(100.0 * std::sqrt(static_cast<double>(sum / count)) / avg));
        }
    }
    Num sum(0);
    float count = 0.0f;
    for (long d = from; d <= to; ++d) {
        const Num line = first + rise * (Num(static_cast<int>(d)) - GroupFrom) / span;
        const Num e = CoordGetSingleValue(VectorNum, d) - line;
        sum = sum + e * e;
        count = count + 1.0f;
    }
    if (count == 0.0f || avg <= 0.0f) return Num(0.0f);
    return Num(checkedSingle(100.0 * std::sqrt((sum / Num(count)).toDouble()) / avg));
}

Num clsVectors::GroupMoneyVolumeAverage(long PriceVectorNum, long VolumeVectorNum) const {
    const long from = GroupFrom.toInt16();
    const long to = GroupTo;
    if (singleDays(PriceVectorNum, from, to) && singleDays(VolumeVectorNum, from, to)) {
        const size_t price = rowBase(PriceVectorNum), volume = rowBase(VolumeVectorNum);
        float sum = 0.0f, count = 0.0f;
        for (long d = from; d <= to; ++d) {
            sum = sum + singleAt(price, d) * singleAt(volume, d);
            count = count + 1.0f;
        }
        if (finite(sum)) return Num(sum / count);
    }
    Num sum(0);
    float count = 0.0f;
    for (long d = from; d <= to; ++d) {
        const Num price = CoordGetSingleValue(PriceVectorNum, d);
        sum = sum + price * CoordGetSingleValue(VolumeVectorNum, d);
        count = count + 1.0f;
    }
    if (count > 0.0f) return sum / Num(count);
    return Num(0);
}

float clsVectors::ScalarFromToRelStdDevi(const Num& OriginalVectorNum, const Num& SmoothedVectorNum,
                                         const Num& FromPos, long ToPos) const {
    const long original = OriginalVectorNum.toInt16();
    const long smoothed = SmoothedVectorNum.toInt16();
    const DayRange r = clampDays(coordDim_, FromPos, ToPos);
    if (singleDays(original, r.from, r.to) && singleDays(smoothed, r.from, r.to)) {
        const size_t o = rowBase(original), sm = rowBase(smoothed);
        float squares = 0.0f, levels = 0.0f, count = 0.0f;
        for (long d = r.from; d <= r.to; ++d) {
            const float x = singleAt(o, d), y = singleAt(sm, d);
            const float diff = x - y;
            squares = squares + diff * diff;
            levels = levels + static_cast<float>(static_cast<double>(x + y) / 2.0);
            count = count + 1.0f;
        }
        if (finite(squares) && finite(levels)) {
            const float meanSquare = squares / count, meanLevel = levels / count;
            if (meanLevel > 0.0f)
                return checkedSingle(100.0 * std::sqrt(static_cast<double>(meanSquare)) /
                                     static_cast<double>(meanLevel));
            return 0.0f;
        }
    }
    Num squares(0);
    Num levels(0);
    float count = 0.0f;
    for (long d = r.from; d <= r.to; ++d) {
        const Num o = CoordGetSingleValue(original, d);
        const Num s = CoordGetSingleValue(smoothed, d);
        const Num diff = o - s;
        squares = squares + diff * diff;
        levels = levels + Num(checkedSingle((o + s).toDouble() / 2.0));
        count = count + 1.0f;
    }
    const Num meanSquare = squares / Num(count);
    const Num meanLevel = levels / Num(count);
    if (meanLevel > Num(0))
        return checkedSingle(100.0 * std::sqrt(meanSquare.toDouble()) / meanLevel.toDouble());
    return 0.0f;
}

float clsVectors::ScalarFromToCoordAverage(const Num& VectorNum, const Num& FromPos,
                                           long ToPos) const {
    const long v = VectorNum.toInt16();
    const DayRange r = clampDays(coordDim_, FromPos, ToPos);
    if (singleDays(v, r.from, r.to)) {
        const size_t row = rowBase(v);
        float sum = 0.0f, count = 0.0f;
        for (long d = r.from; d <= r.to; ++d) {
            sum = sum + singleAt(row, d);
            count = count + 1.0f;
        }
        if (finite(sum)) return sum / count;
    }
    Num sum(0);
    float count = 0.0f;
    for (long d = r.from; d <= r.to; ++d) {
        sum = sum + CoordGetSingleValue(v, d);
        count = count + 1.0f;
    }
    return (sum / Num(count)).toSingle();
}

float clsVectors::CoordFromToConditionalAverage(const Num& VectorNum, const Num& FromPos,
                                                long ToPos, float LevelValue,
                                                bool CoordIsGreaterAsLevel) const {
    const long v = VectorNum.toInt16();
    const DayRange r = clampDays(coordDim_, FromPos, ToPos);
    const Num level(LevelValue);
    Num sum(0);
    float count = 0.0f;
    for (long d = r.from; d <= r.to; ++d) {
        const Num y = CoordGetSingleValue(v, d);
        if (CoordIsGreaterAsLevel ? y >= level : y <= level) {
            sum = sum + y;
            count = count + 1.0f;
        }
    }
    if (count > 0.0f) return (sum / Num(count)).toSingle();
    return 0.0f;
}

float clsVectors::ScalarFromToCoordMinimum(const Num& VectorNum, const Num& FromPos,
                                           long ToPos) const {
    const long v = VectorNum.toInt16();
    const DayRange r = clampDays(coordDim_, FromPos, ToPos);
    Num m = CoordGetSingleValue(v, r.from);
    for (long d = r.from; d <= r.to; ++d) {
        const Num y = CoordGetSingleValue(v, d);
        if (y < m) m = y;
    }
    return m.toSingle();
}

float clsVectors::ScalarFromToCoordMaximum(const Num& VectorNum, const Num& FromPos,
                                           long ToPos) const {
    const long v = VectorNum.toInt16();
    const DayRange r = clampDays(coordDim_, FromPos, ToPos);
    Num m = CoordGetSingleValue(v, r.from);
    for (long d = r.from; d <= r.to; ++d) {
        const Num y = CoordGetSingleValue(v, d);
        if (y > m) m = y;
    }
    return m.toSingle();
}

}  // namespace vel
