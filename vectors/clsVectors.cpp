// clsVectors: construction, dimensioning, element access, copies and transfers between stores.
#include "clsVectors.h"

#include <new>

namespace vel {

clsVectors::clsVectors() = default;

void clsVectors::throwCell(long VectorNum, long CoordNum) const {
    throw SubscriptRangeError("Subscript out of range: Vectors(" + std::to_string(VectorNum) +
                              ", " + std::to_string(CoordNum) + ") of a store of " +
                              std::to_string(rows_) + " vectors x " + std::to_string(cols_) +
                              " coordinates");
}

void clsVectors::VectorBaseEmpty(long ThisCoordDim, long ThisWorkDim, long ThisHelpDim,
                                 long ThisChartDim, long ThisModelDim, long ThisBaseDim,
                                 long ThisBufferDim) {
    const long sizes[] = {ThisCoordDim, ThisWorkDim, ThisHelpDim,  ThisChartDim,
                          ThisModelDim, ThisBaseDim, ThisBufferDim};
    for (long s : sizes) {
        if (s < 0) throw SubscriptRangeError("VectorBaseEmpty: negative size " + std::to_string(s));
        if (s > 32767) throw OverflowError("VectorBaseEmpty: size " + std::to_string(s));
    }
    // The starts and the total are 16-bit sums.
    long start = 1;
    for (int r = 1; r <= 6; ++r) {
        start += sizes[r];
        if (start - 1 > 32767 || (r < 6 && start > 32767))
            throw OverflowError("VectorBaseEmpty: region sums exceed 32767");
    }
    const long total = start - 1;
    const long coords = ThisCoordDim + 30;
    if (coords > 32767) throw OverflowError("VectorBaseEmpty: CoordDim + 30 exceeds 32767");

    // Allocate before changing anything: a failed allocation leaves the store as it was.
    const size_t cells = static_cast<size_t>(total) * static_cast<size_t>(coords);
    std::unique_ptr<std::uint32_t[], FreeDeleter> payload(
        static_cast<std::uint32_t*>(std::calloc(cells ? cells : 1, sizeof(std::uint32_t))));
    std::unique_ptr<std::uint8_t[], FreeDeleter> kinds(
        static_cast<std::uint8_t*>(std::calloc(cells ? cells : 1, sizeof(std::uint8_t))));
    if (!payload || !kinds) throw std::bad_alloc();

    coordDim_ = static_cast<std::int16_t>(ThisCoordDim);
    workDim_ = static_cast<std::int16_t>(ThisWorkDim);
    helpDim_ = static_cast<std::int16_t>(ThisHelpDim);
    chartDim_ = static_cast<std::int16_t>(ThisChartDim);
    modelDim_ = static_cast<std::int16_t>(ThisModelDim);
    baseDim_ = static_cast<std::int16_t>(ThisBaseDim);
    bufferDim_ = static_cast<std::int16_t>(ThisBufferDim);
    workStart_ = 1;
    helpStart_ = static_cast<std::int16_t>(workDim_ + 1);
    chartStart_ = static_cast<std::int16_t>(helpStart_ + helpDim_);
    modelStart_ = static_cast<std::int16_t>(chartStart_ + chartDim_);
    baseStart_ = static_cast<std::int16_t>(modelStart_ + modelDim_);
    bufferStart_ = static_cast<std::int16_t>(baseStart_ + baseDim_);
    workCount_ = helpCount_ = chartCount_ = modelCount_ = baseCount_ = bufferCount_ = 0;

    payload_ = std::move(payload);
    kinds_ = std::move(kinds);
    rows_ = total;
    cols_ = coords;
    doubles_.clear();
    doubles_.shrink_to_fit();
    freeDoubles_.clear();
    freeDoubles_.shrink_to_fit();
}

void clsVectors::BufferZeroWork() {
    const long dim = workDim_;
    for (long k = 1; k <= dim; ++k) CoordAllSetConst(workStart_ + k - 1, 0.0f);
}

void clsVectors::BufferZeroHelp() {
    const long dim = helpDim_;
    for (long k = 1; k <= dim; ++k) CoordAllSetConst(helpStart_ + k - 1, 0.0f);
}

namespace {
// CoordDim + 30, the last spare coordinate, formed in 16-bit arithmetic.
long lastSpare(long coordDim) {
    const long last = coordDim + 30;
    if (last > 32767) throw OverflowError("CoordDim + 30 exceeds 32767");
    return last;
}
}  // namespace

void clsVectors::CoordAllSetConst(long VectorNum, float CoordValue) {
    forEachDay(VectorNum, coordDim_, [&](size_t i, long) { putSingle(i, CoordValue); });
}

void clsVectors::CoordAllSetConstPlus(long VectorNum, float CoordValue) {
    forEachDay(VectorNum, lastSpare(coordDim_), [&](size_t i, long) { putSingle(i, CoordValue); });
}

void clsVectors::copyDays(long FromVectorNum, long ToVectorNum, long last) {
    if (last < 1) return;
    const size_t from = rowBase(FromVectorNum);
    const size_t to = rowBase(ToVectorNum);
    const long n = inside(last);
    if (from != to)
        for (long i = 0; i < n; ++i) put(to + i, cell(from + i));
    failBeyond(FromVectorNum, last);
}

void clsVectors::VectorCopy(long FromVectorNum, long ToVectorNum) {
    copyDays(FromVectorNum, ToVectorNum, coordDim_);
}

void clsVectors::VectorCopyPlus(long FromVectorNum, long ToVectorNum) {
    copyDays(FromVectorNum, ToVectorNum, lastSpare(coordDim_));
}

void clsVectors::VectorPush(long FromVectorNum, clsVectors& ToClass, long ToVectorNum) {
    const long n = std::min<long>(coordDim_, ToClass.coordDim_);
    ToClass.CoordAllSetConst(ToVectorNum, 0.0f);
    for (long i = 1; i <= n; ++i)
        ToClass.CoordSetSingleValue(ToVectorNum, i,
                                    CoordGetSingleValue(FromVectorNum, i).toSingle());
}

void clsVectors::VectorPop(clsVectors& FromClass, long FromVectorNum, long ToVectorNum) {
    const long n = std::min<long>(FromClass.coordDim_, coordDim_);
    CoordAllSetConst(ToVectorNum, 0.0f);
    for (long i = 1; i <= n; ++i)
        CoordSetSingleValue(ToVectorNum, i,
                            FromClass.CoordGetSingleValue(FromVectorNum, i).toSingle());
}

void clsVectors::VectorPushToBase(long FromVectorNum, clsVectors& ToClass) {
    const long count = ToClass.BaseCount();
    if (count < ToClass.BaseDim()) {
        ToClass.SetBaseCount(count + 1);
        VectorPush(FromVectorNum, ToClass, ToClass.BaseStart() + ToClass.BaseCount() - 1);
    }
}

void clsVectors::VectorPushToBuffer(long FromVectorNum, clsVectors& ToClass) {
    const long count = ToClass.BufferCount();
    if (count < ToClass.BufferDim()) {
        ToClass.SetBufferCount(count + 1);
        VectorPush(FromVectorNum, ToClass, ToClass.BufferStart() + ToClass.BufferCount() - 1);
    }
}

void clsVectors::VectorPopFromBase(clsVectors& FromClass, long BaseVectorNum, long ToVectorNum) {
    if (BaseVectorNum >= 1 && BaseVectorNum <= FromClass.BaseCount())
        VectorPop(FromClass, FromClass.BaseStart() + BaseVectorNum - 1, ToVectorNum);
}

bool clsVectors::singleDays(long VectorNum, long from, long to) const {
    if (!fastRoads_ || from > to || from < 1 || to > cols_ || VectorNum < 1 || VectorNum > rows_)
        return false;
    const size_t row = static_cast<size_t>(VectorNum - 1) * static_cast<size_t>(cols_);
    for (long d = from; d <= to; ++d)
        if (kinds_[row + static_cast<size_t>(d - 1)] != kSingle) return false;
    return true;
}

void clsVectors::VectorPopFromBuffer(clsVectors& FromClass, long BufferVectorNum,
                                     long ToVectorNum) {
    if (BufferVectorNum >= 1 && BufferVectorNum <= FromClass.BufferCount())
        VectorPop(FromClass, FromClass.BufferStart() + BufferVectorNum - 1, ToVectorNum);
}

}  // namespace vel
