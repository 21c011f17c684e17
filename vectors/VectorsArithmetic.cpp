// clsVectors: element-wise arithmetic over coordinates 1..CoordDim and whole-vector scalars.
#include <chrono>
#include <cmath>
#include <random>

#include "AppState.h"
#include "NumberText.h"
#include "clsVectors.h"

namespace vel {

void clsVectors::CoordAllCombine(long FromVectorNum, float MullCoef, long ToVectorNum) {
    const long last = coordDim_;
    if (last < 1) return;
    const size_t to = rowBase(ToVectorNum);
    const size_t from = rowBase(FromVectorNum);
    const long n = inside(last);
    const Num c(MullCoef);
    for (long i = 0; i < n; ++i) {
        if (kinds_[to + i] == kSingle && kinds_[from + i] == kSingle) {
            // Fast path of the common case; the same rule as the dynamic arithmetic below.
            const float p = static_cast<float>(static_cast<double>(MullCoef) *
                                               std::bit_cast<float>(payload_[from + i]));
            const float t = std::bit_cast<float>(payload_[to + i]);
            if (!std::isinf(p)) {
                const float r = static_cast<float>(static_cast<double>(t) + p);
                if (!std::isinf(r)) {
                    payload_[to + i] = std::bit_cast<std::uint32_t>(r);
                    continue;
                }
            }
        }
        put(to + i, cell(to + i) + c * cell(from + i));
    }
    failBeyond(ToVectorNum, last);
}

void clsVectors::CoordAllSetLinear(long VectorNum) {
    forEachDay(VectorNum, coordDim_,
               [&](size_t c, long i) { putWhole(c, static_cast<std::int32_t>(i)); });
}

void clsVectors::CoordAllSetKvadratic(long VectorNum, const Num& coefA, const Num& coefB,
                                      float coefC) {
    const Num c(coefC);
    forEachDay(VectorNum, coordDim_, [&](size_t cell, long i) {
        const Num x(static_cast<int>(i));
        put(cell, ((coefA * x) * x + coefB * x) + c);
    });
}

void clsVectors::CoordAllMull(long VectorNum1, long VectorNum2, long ToVectorNum) {
    const long last = coordDim_;
    if (last < 1) return;
    const size_t v1 = rowBase(VectorNum1);
    const size_t v2 = rowBase(VectorNum2);
    const size_t to = rowBase(ToVectorNum);
    const long n = inside(last);
    for (long i = 0; i < n; ++i) put(to + i, cell(v1 + i) * cell(v2 + i));
    failBeyond(ToVectorNum, last);
}

void clsVectors::CoordDiv(long DivideThisVectorNum, long ByThisVectorNum, long ResultVectorNum) {
    const long last = coordDim_;
    if (last < 1) return;
    const size_t by = rowBase(ByThisVectorNum);
    const size_t a = rowBase(DivideThisVectorNum);
    const size_t r = rowBase(ResultVectorNum);
    const long n = inside(last);
    for (long i = 0; i < n; ++i) {
        const float d = cellSingle(by + i);
        if (d != 0.0f)
            put(r + i, cell(a + i) / Num(d));
        else
            putWhole(r + i, 0);
    }
    failBeyond(ResultVectorNum, last);
}

void clsVectors::CoordAllCoefMull(long VectorNum, float MullCoef) {
    const long last = coordDim_;
    if (last < 1) return;
    const size_t b = rowBase(VectorNum);
    const long n = inside(last);
    const Num c(MullCoef);
    for (long i = 0; i < n; ++i) {
        if (kinds_[b + i] == kSingle) {
            const float r = static_cast<float>(
                static_cast<double>(std::bit_cast<float>(payload_[b + i])) * MullCoef);
            if (!std::isinf(r)) {
                payload_[b + i] = std::bit_cast<std::uint32_t>(r);
                continue;
            }
        }
        put(b + i, cell(b + i) * c);
    }
    failBeyond(VectorNum, last);
}

void clsVectors::CoordCoefAdd(long VectorNum, float AddCoef) {
    const Num c(AddCoef);
    forEachDay(VectorNum, coordDim_, [&](size_t i, long) { put(i, cell(i) + c); });
}

void clsVectors::CoordSqr(long VectorNum) {
    forEachDay(VectorNum, coordDim_, [&](size_t i, long) {
        const float s = cellSingle(i);
        if (s <= 0.0f)
            putWhole(i, 0);
        else
            putDouble(i, std::sqrt(static_cast<double>(s)));
    });
}

void clsVectors::CoordSign(long VectorNum) {
    forEachDay(VectorNum, coordDim_, [&](size_t i, long) {
        const float s = cellSingle(i);
        if (s > 0.0f)
            putWhole(i, 100);
        else if (s < 0.0f)
            putWhole(i, -100);
    });
}

void clsVectors::CoordAllAbs(long VectorNum) {
    forEachDay(VectorNum, coordDim_, [&](size_t i, long) {
        const float s = cellSingle(i);
        if (s < 0.0f) putSingle(i, -s);
    });
}

void clsVectors::CoordLog(long VectorNum) {
    forEachDay(VectorNum, coordDim_, [&](size_t i, long) {
        const float s = cellSingle(i);
        if (s <= 0.0f)
            putWhole(i, 0);
        else
            putDouble(i, std::log(static_cast<double>(s)));
    });
}

void clsVectors::CoordExp(long VectorNum) {
    forEachDay(VectorNum, coordDim_, [&](size_t i, long) {
        putDouble(i, checkedDouble(std::exp(static_cast<double>(cellSingle(i)))));
    });
}

void clsVectors::CoordQuantify(long VectorNum, float Quantum) {
    forEachDay(VectorNum, coordDim_, [&](size_t i, long) {
        const float s = cellSingle(i);
        if (Quantum == 0.0f) throw DivisionByZeroError("CoordQuantify: Quantum is 0");
        const std::int16_t k = toInt16(static_cast<double>(s) / Quantum);
        putSingle(i, checkedSingle(static_cast<double>(static_cast<float>(k)) * Quantum));
    });
}

void clsVectors::CoordAllSetRandom(long VectorNum) {
    const long last = coordDim_;
    std::mt19937 gen(static_cast<std::uint32_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    if (last < 1) return;
    const size_t b = rowBase(VectorNum);
    const long n = inside(last);
    const float dim = static_cast<float>(last);
    float sum = 0.0f;
    for (long i = 0; i < n; ++i) {
        // 24 random bits scaled by 2^-24: uniform on [0, 1), never 1.
        const float r = static_cast<float>(gen() >> 8) * (1.0f / 16777216.0f);
        sum = sum + r / dim;
        putSingle(b + i, r);
    }
    failBeyond(VectorNum, last);
    for (long i = 0; i < n; ++i) putSingle(b + i, cellSingle(b + i) - sum);
}

void clsVectors::CoordDayOfYear(long ToVectorNum) {
    const long last = coordDim_;
    std::int16_t n = 0;
    int p = 0;
    for (long i = 1; i <= last; ++i) {
        int y = 0;
        if (auto d = parseDate(TradeDateOfDay(i))) y = d->year;
        if (i == 1) {
            n = 0;
            p = y;
            CoordAllSetConst(ToVectorNum, 0.0f);
            CoordAllSetConst(ToVectorNum + 1, 0.0f);
        }
        if (y > 0) {
            n = (y == p) ? static_cast<std::int16_t>(n + 1) : std::int16_t{1};
            CoordSetSingleValue(ToVectorNum, i, static_cast<float>(n));
            CoordSetSingleValue(ToVectorNum + 1, i, static_cast<float>(y));
        }
        p = y;
    }
}

void clsVectors::CoordAllNorm(long VectorNum) {
    const float s = ScalarMullOfVectors(VectorNum, VectorNum);
    const float len = checkedSingle(std::sqrt(static_cast<double>(s)));
    if (len > 0.0f) {
        const float c = checkedSingle(1.0 / static_cast<double>(len));
        CoordAllCoefMull(VectorNum, c);
    }
}

float clsVectors::ScalarMullOfVectors(long VectorNum1, long VectorNum2) const {
    const long last = coordDim_;
    float acc = 0.0f;
    if (last < 1) return acc;
    const size_t v1 = rowBase(VectorNum1);
    const size_t v2 = rowBase(VectorNum2);
    const long n = inside(last);
    for (long i = 0; i < n; ++i) {
        if (kinds_[v1 + i] == kSingle && kinds_[v2 + i] == kSingle) {
            // Single times single, rounded; then plus the single accumulator, rounded.
            const float p =
                static_cast<float>(static_cast<double>(std::bit_cast<float>(payload_[v1 + i])) *
                                   std::bit_cast<float>(payload_[v2 + i]));
            if (!std::isinf(p)) {
                acc = checkedSingle(static_cast<double>(p) + acc);
                continue;
            }
        }
        acc = (cell(v1 + i) * cell(v2 + i) + Num(acc)).toSingle();
    }
    failBeyond(VectorNum1, last);
    return acc;
}

float clsVectors::DistanceOfVectors(long VectorNum1, long VectorNum2) const {
    const long last = coordDim_;
    float acc = 0.0f;
    if (last >= 1) {
        const size_t v1 = rowBase(VectorNum1);
        const size_t v2 = rowBase(VectorNum2);
        const long n = inside(last);
        for (long i = 0; i < n; ++i) {
            const float d = (cell(v1 + i) - cell(v2 + i)).toSingle();
            const float q = checkedSingle(static_cast<double>(d) * d);
            acc = checkedSingle(static_cast<double>(acc) + q);
        }
        failBeyond(VectorNum1, last);
    }
    return checkedSingle(std::sqrt(static_cast<double>(acc)));
}

Num clsVectors::ScalarAllMaxAbs(long VectorNum) const {
    const long last = coordDim_;
    Num m(0);
    if (last < 1) return m;
    const size_t b = rowBase(VectorNum);
    const long n = inside(last);
    double best = 0.0;
    for (long i = 0; i < n; ++i) {
        const float a = checkedSingle(std::fabs(cell(b + i).toDouble()));
        if (a > best) {
            best = a;
            m = Num(a);
        }
    }
    failBeyond(VectorNum, last);
    return m;
}

float clsVectors::ScalarAllAverage(long VectorNum) const {
    const long last = coordDim_;
    float acc = 0.0f;
    if (last >= 1) {
        const size_t b = rowBase(VectorNum);
        const long n = inside(last);
        for (long i = 0; i < n; ++i)
            acc = checkedSingle(static_cast<double>(acc) + cellSingle(b + i));
        failBeyond(VectorNum, last);
    }
    if (last == 0) throw DivisionByZeroError("ScalarAllAverage: CoordDim is 0");
    return checkedSingle(static_cast<double>(acc) / static_cast<double>(last));
}

float clsVectors::ScalarAllMinimum(long VectorNum) const {
    const long last = coordDim_;
    Num m = cell(at(VectorNum, 1));
    if (last >= 1) {
        const size_t b = rowBase(VectorNum);
        const long n = inside(last);
        for (long i = 0; i < n; ++i) {
            const float s = cellSingle(b + i);
            if (Num(s) < m) m = Num(s);
        }
        failBeyond(VectorNum, last);
    }
    return m.toSingle();
}

float clsVectors::CorelationOf2Vectors(long VectorNum1, long VectorNum2, float OriginalDim) const {
    const double N = OriginalDim;
    const long spare = static_cast<long>(coordDim_) + 1;
    auto meanOf = [&](long v) {
        if (N < 0) throw InvalidArgumentError("CorelationOf2Vectors: negative OriginalDim");
        const double root = std::sqrt(N);
        if (root == 0.0) throw DivisionByZeroError("CorelationOf2Vectors: OriginalDim is 0");
        return cell(at(v, 1)).toDouble() / root;
    };
    const Num sigma1 = cell(at(VectorNum1, spare));
    const double m1 = meanOf(VectorNum1);
    const Num sigma2 = cell(at(VectorNum2, spare));
    const double m2 = meanOf(VectorNum2);
    if (!(sigma1.toDouble() > 0.0 && sigma2.toDouble() > 0.0)) return -1.0f;
    const float s = ScalarMullOfVectors(VectorNum1, VectorNum2);
    const float a = checkedSingle(static_cast<double>(s) / N);
    const float cov = checkedSingle(static_cast<double>(a) - m1 * m2);
    const Num spread = sigma1 * sigma2;
    if (spread.toDouble() == 0.0)
        throw DivisionByZeroError("CorelationOf2Vectors: zero spread product");
    return checkedSingle(static_cast<double>(cov) / spread.toDouble());
}

}  // namespace vel
