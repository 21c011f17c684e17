// clsVectors: the orthonormal polynomial base (Gram polynomials on the coordinate numbers) in
// the Base region, its first and second differences, coefficients and rebuilding of vectors,
// and the base file.
#include <charconv>
#include <cmath>
#include <optional>

#include "NumberText.h"
#include "VectorsFiles.h"
#include "clsVectors.h"

namespace vel {

namespace {

// A vector number formed in 16-bit arithmetic; OverflowError outside -32768..32767.
long int16Of(long v) {
    return toInt16(static_cast<double>(v));
}

// Fills base vectors 1..BaseCount: q(1) the normed constant, q(k) the normed remainder of
// q(k - 1) * i after subtracting every earlier base vector once (modified Gram-Schmidt).
void buildBase(clsVectors& s) {
    const long start = s.BaseStart();
    s.CoordAllSetConst(start, 1.0f);
    s.CoordAllNorm(start);
    const long count = s.BaseCount();
    for (long k = 2; k <= count; ++k) {
        const long q = int16Of(start + k - 1);
        s.CoordAllSetLinear(q);
        s.CoordAllMull(q - 1, q, q);
        for (long m = 1; m <= k - 1; ++m) {
            const long earlier = start + m - 1;
            const float dot = s.ScalarMullOfVectors(earlier, q);
            s.CoordAllCombine(earlier, -dot, q);
        }
        s.CoordAllNorm(q);
    }
}

// The value of a cell as single, for the differences of the base vectors.
float at1(const clsVectors& s, long v, long i) {
    return s.CoordGetSingleValue(v, i).toSingle();
}

// First differences (y(i + 1) - y(i - 1)) / 2 into the block behind the base, then second
// differences (y(i + 1) - y(i)) - (y(i) - y(i - 1)) into the block behind that; the end
// coordinates copy their neighbours.
void buildDifferences(clsVectors& s) {
    const long start = s.BaseStart();
    const long dim = s.BaseDim();
    const long count = s.BaseCount();
    for (long k = 1; k <= count; ++k) {
        const long y = start + k - 1;
        const long d1 = int16Of(start + dim + k - 1);
        const long last = s.CoordDim();
        for (long i = 2; i <= last - 1; ++i) {
            const float diff =
                (s.CoordGetSingleValue(y, i + 1) - s.CoordGetSingleValue(y, i - 1)).toSingle();
            s.CoordSetSingleValue(d1, i, checkedSingle(static_cast<double>(diff) / 2.0));
        }
        s.CoordSetSingleValue(d1, 1, at1(s, d1, 2));
        s.CoordSetSingleValue(d1, last, at1(s, d1, last - 1));
    }
    for (long k = 1; k <= count; ++k) {
        const long y = start + k - 1;
        const long d2 = int16Of(start + 2 * dim + k - 1);
        const long last = s.CoordDim();
        for (long i = 2; i <= last - 1; ++i) {
            const Num up =
                Num((s.CoordGetSingleValue(y, i + 1) - s.CoordGetSingleValue(y, i)).toSingle());
            const Num down =
                Num((s.CoordGetSingleValue(y, i) - s.CoordGetSingleValue(y, i - 1)).toSingle());
            s.CoordSetSingleValue(d2, i, (up - down).toSingle());
        }
        s.CoordSetSingleValue(d2, 1, at1(s, d2, 2));
        s.CoordSetSingleValue(d2, last, at1(s, d2, last - 1));
    }
}

// A cell as one line of the base file: the number's shortest exact text, empty for an empty
// cell.
std::string baseFileText(const Num& n) {
    switch (n.kind()) {
        case Num::Kind::Whole:
            return std::to_string(n.wholeValue());
        case Num::Kind::Single:
            return formatSingleRoundTrip(n.singleValue());
        case Num::Kind::Double:
            return formatDoubleRoundTrip(n.doubleValue());
        default:
            return std::string();
    }
}

// A validated number text rounded once, straight to single precision: going through a double
// first would round twice and miss the value written for a few singles. Falls back to the
// double's rounding where the text is out of the single range (overflow stays infinite).
float singleFromText(std::string_view text, double asDouble) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '+')) text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    float f = 0.0f;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), f);
    if (r.ec == std::errc() && r.ptr == text.data() + text.size()) return f;
    return static_cast<float>(asDouble);
}

// A field of the base file as a number: empty gives 0, other text nothing.
std::optional<double> baseFileNumber(std::string_view field) {
    if (field.empty()) return 0.0;
    return parseNumber(field);
}

bool isWhole(double x) {
    return std::trunc(x) == x;
}

}  // namespace

void clsVectors::VectorBaseLegender(long ThisCoordDim, long ThisWorkDim, long ThisHelpDim,
                                    long ThisChartDim, long ThisModelDim, long ThisBaseDim,
                                    long ThisBufferDim) {
    VectorBaseEmpty(ThisCoordDim, ThisWorkDim, ThisHelpDim, ThisChartDim, ThisModelDim, ThisBaseDim,
                    ThisBufferDim);
    baseCount_ = baseDim_;
    buildBase(*this);
}

void clsVectors::VectorBaseLegenderWithDerivations(long ThisCoordDim, long ThisWorkDim,
                                                   long ThisHelpDim, long ThisChartDim,
                                                   long ThisModelDim, long ThisBaseDim,
                                                   long ThisBufferDim) {
    // The Base region holds the base and its two difference blocks; BaseDim keeps its value.
    VectorBaseEmpty(ThisCoordDim, ThisWorkDim, ThisHelpDim, ThisChartDim, ThisModelDim,
                    3 * ThisBaseDim, ThisBufferDim);
    baseDim_ = static_cast<std::int16_t>(ThisBaseDim);
    baseCount_ = baseDim_;
    buildBase(*this);
    buildDifferences(*this);
}

void clsVectors::VectorBaseCalcCoef(long FromVectorNum, long ToVectorNum) {
    CoordAllSetConst(ToVectorNum, 0.0f);
    const long dim = baseDim_;
    for (long k = 1; k <= dim; ++k)
        CoordSetSingleValue(ToVectorNum, k,
                            ScalarMullOfVectors(FromVectorNum, int16Of(baseStart_ + k - 1)));
    norm_ = checkedSingle(
        std::sqrt(static_cast<double>(ScalarMullOfVectors(FromVectorNum, FromVectorNum))));
}

void clsVectors::VectorCreateNew(long BaseCoefVectorNum, long ToVectorNum) {
    CoordAllSetConst(ToVectorNum, 0.0f);
    const long dim = baseDim_;
    for (long k = 1; k <= dim; ++k) {
        const float c = CoordGetSingle(BaseCoefVectorNum, k);
        CoordAllCombine(int16Of(baseStart_ + k - 1), c, ToVectorNum);
    }
}

void clsVectors::VectorBaseSave(const std::string& ToFilePath) const {
    const long coords = int16Of(static_cast<long>(coordDim_) + 5);
    detail::LineFile out(ToFilePath);
    // Header: coordinates per vector less five, number of vectors, a reserved 0.
    out.writeLine(std::to_string(coordDim_));
    out.writeLine(std::to_string(baseCount_));
    out.writeLine("0");
    const long count = baseCount_;
    for (long k = 1; k <= count; ++k) {
        const long v = int16Of(baseStart_ + k - 1);
        for (long i = 1; i <= coords; ++i) out.writeLine(baseFileText(CoordGetSingleValue(v, i)));
    }
    out.close();
}

void clsVectors::VectorBaseLoad(const std::string& FromFilePath) {
    const std::string text = detail::readWholeFile(FromFilePath);
    const std::vector<std::string_view> fields = detail::splitFields(text);
    auto fail = [&](const std::string& why) {
        throw FileError("File error: base file \"" + FromFilePath + "\" " + why);
    };
    if (fields.size() < 3) fail("ends before its header");
    const auto a = baseFileNumber(fields[0]);
    const auto b = baseFileNumber(fields[1]);
    const auto c = baseFileNumber(fields[2]);
    if (!a || !b || !c || !isWhole(*a) || !isWhole(*b)) fail("has no valid header");
    if (roundHalfEven(*c) < -32768.0 || roundHalfEven(*c) > 32767.0) fail("has no valid header");
    // The header must fit the store: every value it announces lands in a Base row of the
    // matrix. Otherwise nothing changes.
    const double coords = *a + 5.0;
    const double vectors = *b;
    if (*a < 0.0 || coords > static_cast<double>(cols_) || vectors < 0.0 ||
        vectors > static_cast<double>(baseDim_) ||
        (vectors >= 1.0 && (baseStart_ < 1 || baseStart_ + vectors - 1.0 > rows_)))
        fail("announces " + formatDouble(vectors) + " vectors of " + formatDouble(coords) +
             " coordinates, which do not fit the Base region");
    const long nv = static_cast<long>(vectors);
    const long nc = static_cast<long>(coords);
    const size_t needed = static_cast<size_t>(nv) * static_cast<size_t>(nc);
    if (fields.size() - 3 < needed)
        fail("ends after " + std::to_string(fields.size() - 3) + " of " + std::to_string(needed) +
             " values");
    // Read and check the whole body before storing anything.
    std::vector<float> values(needed);
    for (size_t n = 0; n < needed; ++n) {
        const auto x = baseFileNumber(fields[3 + n]);
        const float f = x ? singleFromText(fields[3 + n], *x) : 0.0f;
        if (!x || std::isinf(f))
            fail("holds \"" + std::string(fields[3 + n]) + "\" where value " +
                 std::to_string(n + 1) + " is due");
        values[n] = f;
    }
    baseCount_ = baseDim_;
    size_t n = 0;
    for (long k = 1; k <= nv; ++k)
        for (long i = 1; i <= nc; ++i) putSingle(at(baseStart_ + k - 1, i), values[n++]);
}

}  // namespace vel
