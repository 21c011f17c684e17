// clsVectors: the program's store of numeric vectors over trading days. A store is a matrix
// whose rows are vectors (addressed by absolute vector number from 1) and whose columns are
// coordinates (day index from 1, with 30 spare coordinates behind CoordDim), cut into the
// regions Work, Help, Chart, Model, Base and Buffer.
//
// Error convention: no operation checks its numbers beforehand. An access outside the real
// matrix raises SubscriptRangeError at that access, a whole-number or single result outside its
// range raises OverflowError, and so on; the operation stops there and what it wrote before
// stays. Bounds are those of the matrix as dimensioned, never the public variables, which a
// caller may change freely.
//
// Cells are stored compactly: a 32-bit payload plane (single bits, whole-number bits, or the
// index of a double kept on the side) and a one-byte kind plane. Untouched cells stay in
// zero pages, so a large store costs memory only where it is written.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "Errors.h"
#include "Num.h"

namespace vel {

class clsVectors {
public:
    // Class_Initialize: the default sizes; no matrix yet, so every cell access fails.
    clsVectors();
    clsVectors(const clsVectors&) = delete;
    clsVectors& operator=(const clsVectors&) = delete;

    // ---- Public variables and their accessors --------------------------------------------
    // The accessors only read or store: storing a size or start re-dimensions nothing and
    // moves no vector. A value outside the 16-bit range raises OverflowError.
#define VEL_VECTORS_ACCESSOR(Name, member)                                    \
    std::int16_t Name() const { return member; }                             \
    void Set##Name(long value) { member = toInt16(static_cast<double>(value)); }
    VEL_VECTORS_ACCESSOR(CoordDim, coordDim_)
    VEL_VECTORS_ACCESSOR(WorkStart, workStart_)
    VEL_VECTORS_ACCESSOR(WorkDim, workDim_)
    VEL_VECTORS_ACCESSOR(WorkCount, workCount_)
    VEL_VECTORS_ACCESSOR(HelpStart, helpStart_)
    VEL_VECTORS_ACCESSOR(HelpDim, helpDim_)
    VEL_VECTORS_ACCESSOR(HelpCount, helpCount_)
    VEL_VECTORS_ACCESSOR(ChartStart, chartStart_)
    VEL_VECTORS_ACCESSOR(ChartDim, chartDim_)
    VEL_VECTORS_ACCESSOR(ChartCount, chartCount_)
    VEL_VECTORS_ACCESSOR(ModelStart, modelStart_)
    VEL_VECTORS_ACCESSOR(ModelDim, modelDim_)
    VEL_VECTORS_ACCESSOR(ModelCount, modelCount_)
    VEL_VECTORS_ACCESSOR(BaseStart, baseStart_)
    VEL_VECTORS_ACCESSOR(BaseDim, baseDim_)
    VEL_VECTORS_ACCESSOR(BaseCount, baseCount_)
    VEL_VECTORS_ACCESSOR(BufferStart, bufferStart_)
    VEL_VECTORS_ACCESSOR(BufferDim, bufferDim_)
    VEL_VECTORS_ACCESSOR(BufferCount, bufferCount_)
#undef VEL_VECTORS_ACCESSOR
    float Norm() const { return norm_; }
    void SetNorm(float value) { norm_ = value; }
    float Distance() const { return distance_; }
    void SetDistance(float value) { distance_ = value; }

    // The real shape of the matrix: vectors and coordinates per vector (0 before dimensioning).
    long TotalVectors() const { return rows_; }
    long TotalCoords() const { return cols_; }

    // ---- Dimensioning and element access -------------------------------------------------
    // Lays out the six regions one after another from vector 1, sets every count to 0 and
    // replaces the matrix by one of (sum of the sizes) vectors of ThisCoordDim + 30 empty cells.
    // Negative sizes raise SubscriptRangeError and sums beyond 32767 raise OverflowError, both
    // before anything changes. Norm and Distance keep their values.
    void VectorBaseEmpty(long ThisCoordDim, long ThisWorkDim, long ThisHelpDim, long ThisChartDim,
                         long ThisModelDim, long ThisBaseDim, long ThisBufferDim);
    // Coordinates 1..CoordDim of every Work (Help) vector become 0; counts unchanged.
    void BufferZeroWork();
    void BufferZeroHelp();

    // Stores the value as a single-precision number in the cell.
    void CoordSetSingleValue(long VectorNum, long CoordNum, float CoordValue) {
        const size_t i = at(VectorNum, CoordNum);
        putSingle(i, CoordValue);
    }
    // The number stored in the cell, in its own kind (empty for a cell nothing wrote).
    Num CoordGetSingleValue(long VectorNum, long CoordNum) const { return cell(at(VectorNum, CoordNum)); }
    // Stores any tagged number in the cell, keeping its kind (for operations whose results are
    // whole or double numbers).
    void CoordSetValue(long VectorNum, long CoordNum, const Num& value) {
        put(at(VectorNum, CoordNum), value);
    }
    // The cell's value as single: empty gives 0, a double is rounded (OverflowError beyond).
    float CoordGetSingle(long VectorNum, long CoordNum) const { return cellSingle(at(VectorNum, CoordNum)); }

    // Coordinates 1..CoordDim (Plus: 1..CoordDim + 30) receive the single-precision value.
    void CoordAllSetConst(long VectorNum, float CoordValue);
    void CoordAllSetConstPlus(long VectorNum, float CoordValue);
    // Copies coordinates 1..CoordDim (Plus: 1..CoordDim + 30) cell by cell, kinds unchanged.
    void VectorCopy(long FromVectorNum, long ToVectorNum);
    void VectorCopyPlus(long FromVectorNum, long ToVectorNum);

    // ---- Transfer between stores ---------------------------------------------------------
    // Copies vector FromVectorNum of this store into ToVectorNum of ToClass: the target's
    // coordinates 1..its CoordDim become 0, then 1..min(both CoordDim) receive the source as
    // single precision. The target's spare coordinates are not written.
    void VectorPush(long FromVectorNum, clsVectors& ToClass, long ToVectorNum);
    // The mirror image: vector FromVectorNum of FromClass into ToVectorNum of this store.
    void VectorPop(clsVectors& FromClass, long FromVectorNum, long ToVectorNum);
    // Appends to the Base (Buffer) of ToClass when it has room; a full region changes nothing.
    void VectorPushToBase(long FromVectorNum, clsVectors& ToClass);
    void VectorPushToBuffer(long FromVectorNum, clsVectors& ToClass);
    // Fetches Base (Buffer) vector k (from 1) of FromClass when 1 <= k <= its count; otherwise
    // nothing changes.
    void VectorPopFromBase(clsVectors& FromClass, long BaseVectorNum, long ToVectorNum);
    void VectorPopFromBuffer(clsVectors& FromClass, long BufferVectorNum, long ToVectorNum);

    // ---- Element-wise arithmetic (coordinates 1..CoordDim; each coordinate is read before it
    // is written, so a target may also be an operand) ----------------------------------------
    void CoordAllCombine(long FromVectorNum, float MullCoef, long ToVectorNum);  // To += c * From
    void CoordAllSetLinear(long VectorNum);                                      // i, whole
    void CoordAllSetKvadratic(long VectorNum, const Num& coefA, const Num& coefB, float coefC);
    void CoordAllMull(long VectorNum1, long VectorNum2, long ToVectorNum);
    // A / b where b (as single) is not 0, else the whole number 0.
    void CoordDiv(long DivideThisVectorNum, long ByThisVectorNum, long ResultVectorNum);
    void CoordAllCoefMull(long VectorNum, float MullCoef);
    void CoordCoefAdd(long VectorNum, float AddCoef);
    void CoordSqr(long VectorNum);   // s <= 0: whole 0; else the root as double
    void CoordSign(long VectorNum);  // 100 / -100 whole; 0 left unchanged
    void CoordAllAbs(long VectorNum);
    void CoordLog(long VectorNum);   // s <= 0: whole 0; else ln s as double
    void CoordExp(long VectorNum);   // e^s as double; OverflowError beyond the double range
    // Rounds to whole multiples of Quantum (halves to even); Quantum 0 raises
    // DivisionByZeroError, a multiple outside 16 bits OverflowError.
    void CoordQuantify(long VectorNum, float Quantum);
    // Uniform draws in [0, 1) with their accumulated mean removed; reseeded at every call.
    void CoordAllSetRandom(long VectorNum);
    // Ordinal of each trading day within its calendar year into ToVectorNum, the year into
    // ToVectorNum + 1 (0 for a day without a valid date).
    void CoordDayOfYear(long ToVectorNum);
    // Scales the vector by the single reciprocal of its length; a zero vector stays.
    void CoordAllNorm(long VectorNum);

    float ScalarMullOfVectors(long VectorNum1, long VectorNum2) const;
    float DistanceOfVectors(long VectorNum1, long VectorNum2) const;
    // The whole number 0 when no coordinate has a magnitude above 0, else a single.
    Num ScalarAllMaxAbs(long VectorNum) const;
    // DivisionByZeroError when CoordDim is 0.
    float ScalarAllAverage(long VectorNum) const;
    float ScalarAllMinimum(long VectorNum) const;
    // Correlation of two coefficient vectors over an orthonormal base of OriginalDim points,
    // their spreads in coordinate CoordDim + 1; -1 unless both spreads are above 0.
    float CorelationOf2Vectors(long VectorNum1, long VectorNum2, float OriginalDim) const;

    // ---- Least-squares kernels, their drivers, signal generators, stock behaviour --------
    // (section: kernels)

    // ---- Moving windows, statistics, polynomial base, exports, columns, interval groups --
    // (section: analysis)

private:
    enum Kind : std::uint8_t { kEmpty = 0, kWhole = 1, kSingle = 2, kDouble = 3 };

    struct FreeDeleter {
        void operator()(void* p) const { std::free(p); }
    };

    [[noreturn]] void throwCell(long VectorNum, long CoordNum) const;

    // Index of a cell; SubscriptRangeError outside the real matrix.
    size_t at(long v, long c) const {
        if (v < 1 || v > rows_ || c < 1 || c > cols_) throwCell(v, c);
        return static_cast<size_t>(v - 1) * static_cast<size_t>(cols_) + static_cast<size_t>(c - 1);
    }
    // Index of coordinate 1 of vector v; SubscriptRangeError for a vector outside the matrix.
    size_t rowBase(long v) const {
        if (v < 1 || v > rows_) throwCell(v, 1);
        return static_cast<size_t>(v - 1) * static_cast<size_t>(cols_);
    }
    // Coordinates 1..last are processed as 1..inside(last), then failBeyond(last) raises the
    // subscript error of the first coordinate outside the matrix, if any.
    long inside(long last) const { return std::min(last, cols_); }
    void failBeyond(long v, long last) const {
        if (last > cols_) throwCell(v, cols_ + 1);
    }

    Num cell(size_t i) const {
        switch (kinds_[i]) {
            case kWhole: return Num::whole(std::bit_cast<std::int32_t>(payload_[i]));
            case kSingle: return Num::single(std::bit_cast<float>(payload_[i]));
            case kDouble: return Num::dbl(doubles_[payload_[i]]);
            default: return Num();
        }
    }
    float cellSingle(size_t i) const {
        switch (kinds_[i]) {
            case kSingle: return std::bit_cast<float>(payload_[i]);
            case kWhole: return static_cast<float>(std::bit_cast<std::int32_t>(payload_[i]));
            case kDouble: return checkedSingle(doubles_[payload_[i]]);
            default: return 0.0f;
        }
    }
    void releaseDouble(size_t i) {
        if (kinds_[i] == kDouble) freeDoubles_.push_back(payload_[i]);
    }
    void putSingle(size_t i, float f) {
        releaseDouble(i);
        kinds_[i] = kSingle;
        payload_[i] = std::bit_cast<std::uint32_t>(f);
    }
    void putWhole(size_t i, std::int32_t w) {
        releaseDouble(i);
        kinds_[i] = kWhole;
        payload_[i] = std::bit_cast<std::uint32_t>(w);
    }
    void putDouble(size_t i, double d) {
        if (kinds_[i] == kDouble) {
            doubles_[payload_[i]] = d;
            return;
        }
        std::uint32_t slot;
        if (!freeDoubles_.empty()) {
            slot = freeDoubles_.back();
            freeDoubles_.pop_back();
            doubles_[slot] = d;
        } else {
            slot = static_cast<std::uint32_t>(doubles_.size());
            doubles_.push_back(d);
        }
        kinds_[i] = kDouble;
        payload_[i] = slot;
    }
    void putEmpty(size_t i) {
        releaseDouble(i);
        kinds_[i] = kEmpty;
        payload_[i] = 0;
    }
    void put(size_t i, const Num& n) {
        switch (n.kind()) {
            case Num::Kind::Whole: putWhole(i, n.wholeValue()); break;
            case Num::Kind::Single: putSingle(i, n.singleValue()); break;
            case Num::Kind::Double: putDouble(i, n.doubleValue()); break;
            default: putEmpty(i); break;
        }
    }

    // Public variables.
    std::int16_t coordDim_ = 20;
    std::int16_t workStart_ = 0, workDim_ = 600, workCount_ = 0;
    std::int16_t helpStart_ = 0, helpDim_ = 100, helpCount_ = 0;
    std::int16_t chartStart_ = 0, chartDim_ = 100, chartCount_ = 0;
    std::int16_t modelStart_ = 0, modelDim_ = 200, modelCount_ = 0;
    std::int16_t baseStart_ = 0, baseDim_ = 100, baseCount_ = 0;
    std::int16_t bufferStart_ = 0, bufferDim_ = 100, bufferCount_ = 0;
    float norm_ = 0.0f;
    float distance_ = 0.0f;

    // The matrix.
    long rows_ = 0;
    long cols_ = 0;
    std::unique_ptr<std::uint32_t[], FreeDeleter> payload_;
    std::unique_ptr<std::uint8_t[], FreeDeleter> kinds_;
    std::vector<double> doubles_;
    std::vector<std::uint32_t> freeDoubles_;
};

}  // namespace vel
