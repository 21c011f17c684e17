// clsVectors: column tables (a block of consecutive vectors read as rows, a coordinate as a
// column) and their descending ranking. Rows are handled from 1 up, each finished before the
// next is read, so overlapping source and target columns see earlier rows' results.
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "clsVectors.h"

namespace vel {

namespace {

// Row i of a column whose row 1 is vector `first`, formed in 16-bit arithmetic.
long rowOf(long first, long i) {
    return toInt16(static_cast<double>(first + i - 1));
}

}  // namespace

void clsVectors::ColumnCopy(long SourceColumn, long SourceVector, long TargetColumn,
                            long TargetVector, long RowCount) {
    const long rows = RowCount;
    for (long i = 1; i <= rows; ++i) {
        const float v = CoordGetSingleValue(rowOf(SourceVector, i), SourceColumn).toSingle();
        CoordSetSingleValue(rowOf(TargetVector, i), TargetColumn, v);
    }
}

void clsVectors::ColumnsCombine(long SourceColumn, long SourceVector, float MullCoef,
                                long TargetColumn, long TargetVector, long RowCount) {
    const long rows = RowCount;
    for (long i = 1; i <= rows; ++i) {
        const float s = CoordGetSingleValue(rowOf(SourceVector, i), SourceColumn).toSingle();
        const long target = rowOf(TargetVector, i);
        const float t = CoordGetSingleValue(target, TargetColumn).toSingle();
        const float product = checkedSingle(static_cast<double>(s) * MullCoef);
        CoordSetSingleValue(target, TargetColumn, checkedSingle(static_cast<double>(t) + product));
    }
}

void clsVectors::ColumnCoefMull(long SourceColumn, long SourceVector, float MullCoef,
                                long RowCount) {
    const long rows = RowCount;
    for (long i = 1; i <= rows; ++i) {
        const long row = rowOf(SourceVector, i);
        const float v = CoordGetSingleValue(row, SourceColumn).toSingle();
        CoordSetSingleValue(row, SourceColumn, checkedSingle(static_cast<double>(v) * MullCoef));
    }
}

void clsVectors::ColumnClear(long SourceColumn, long SourceVector, long RowCount) {
    const long rows = RowCount;
    for (long i = 1; i <= rows; ++i)
        CoordSetSingleValue(rowOf(SourceVector, i), SourceColumn, 0.0f);
}

void clsVectors::ColumnDESCRanking(long SourceColumn, long SourceVector, long TargetColumn,
                                   long TargetVector, long RowCount) {
    const long rows = RowCount;
    for (long i = 1; i <= rows; ++i)
        CoordSetSingleValue(rowOf(TargetVector, i), TargetColumn, 0.0f);
    const float bound = static_cast<float>(-std::exp(30.0));
    if (rows < 1) return;

    // When the two columns share no cell, lie inside the matrix and every source value is
    // exact in single precision, the passes below amount to a stable descending sort of the
    // values above the bound: rank j goes to the j-th row of that order.
    const long lastSource = static_cast<long>(SourceVector) + rows - 1;
    const long lastTarget = static_cast<long>(TargetVector) + rows - 1;
    const bool disjoint =
        SourceColumn != TargetColumn || lastSource < TargetVector || lastTarget < SourceVector;
    if (disjoint && SourceVector >= 1 && lastSource <= rows_ && SourceColumn >= 1 &&
        SourceColumn <= cols_) {
        std::vector<std::pair<float, long>> candidates;
        candidates.reserve(static_cast<size_t>(rows));
        bool exact = true;
        for (long k = 1; k <= rows && exact; ++k) {
            const double x = cell(at(SourceVector + k - 1, SourceColumn)).toDouble();
            const float f = static_cast<float>(x);
            exact = static_cast<double>(f) == x || std::isnan(x);
            if (f > bound) candidates.emplace_back(f, k);
        }
        if (exact) {
            std::stable_sort(candidates.begin(), candidates.end(),
                             [](const auto& a, const auto& b) { return a.first > b.first; });
            for (size_t j = 0; j < candidates.size(); ++j)
                CoordSetSingleValue(rowOf(TargetVector, candidates[j].second), TargetColumn,
                                    static_cast<float>(j + 1));
            return;
        }
    }

    // Selection ranking with the target column as the only work space: each pass takes the
    // first unranked row (target 0) with the greatest source value above the bound.
    for (long j = 1; j <= rows; ++j) {
        float best = bound;
        long bestRow = 0;
        for (long k = 1; k <= rows; ++k) {
            const Num source = CoordGetSingleValue(rowOf(SourceVector, k), SourceColumn);
            const Num target = CoordGetSingleValue(rowOf(TargetVector, k), TargetColumn);
            if (source.toDouble() > best && target.toDouble() == 0.0) {
                best = source.toSingle();
                bestRow = k;
            }
        }
        if (bestRow > 0)
            CoordSetSingleValue(rowOf(TargetVector, bestRow), TargetColumn, static_cast<float>(j));
    }
}

}  // namespace vel
