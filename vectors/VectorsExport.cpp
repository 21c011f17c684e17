// clsVectors: comma-separated text exports of vectors, of the Base and Buffer regions (with
// the stock symbols) and of column tables. Lines end in CR LF, every field is followed by ", ",
// numbers stand in the export form (a blank before a non-negative number, seven significant
// digits). The exports only read the store.
#include <string>

#include "AppState.h"
#include "Hooks.h"
#include "NumberText.h"
#include "VectorsFiles.h"
#include "clsVectors.h"

namespace vel {

namespace {

constexpr const char* kSeparator = ", ";

// A loop bound or vector number formed in 16-bit arithmetic; OverflowError outside the range.
long int16Of(long v) {
    return toInt16(static_cast<double>(v));
}

void addWhole(std::string& line, long v) {
    line += formatWholeExport(v);
    line += kSeparator;
}

void addValue(std::string& line, float v) {
    line += formatSingleExport(v);
    line += kSeparator;
}

void addText(std::string& line, const std::string& text) {
    line += text;
    line += kSeparator;
}

}  // namespace

void clsVectors::ExportVector(long VectorNum, const std::string& CSVFilePath) const {
    detail::LineFile out(CSVFilePath);
    const long last = coordDim_;
    std::string line;
    for (long i = 1; i <= last; ++i) {
        line.clear();
        addWhole(line, i);
        addValue(line, CoordGetSingle(VectorNum, i));
        out.writeLine(line);
    }
    out.close();
}

void clsVectors::ExportVectors(long FromVectorNum, long ToVectorNum,
                               const std::string& CSVFilePath) const {
    exportDays(FromVectorNum, ToVectorNum, CSVFilePath, coordDim_);
}

void clsVectors::ExportVectorsPlus(long FromVectorNum, long ToVectorNum,
                                   const std::string& CSVFilePath) const {
    exportDays(FromVectorNum, ToVectorNum, CSVFilePath, int16Of(static_cast<long>(coordDim_) + 30));
}

void clsVectors::exportDays(long FromVectorNum, long ToVectorNum, const std::string& CSVFilePath,
                            long last) const {
    {
        // The busy state (hourglass) is released on every way out, errors included, and
        // before the closing yield.
        BusyGuard busy;
        YieldToEvents();
        detail::LineFile out(CSVFilePath);
        const long days = coordDim_;
        std::string line;
        for (long d = 1; d <= last; ++d) {
            line.clear();
            addWhole(line, d);
            addText(line, d <= days ? TradeDateOfDay(d) : std::string("Aux.col."));
            for (long v = FromVectorNum; v <= ToVectorNum; ++v)
                addValue(line, CoordGetSingle(v, d));
            out.writeLine(line);
        }
        out.close();
    }
    YieldToEvents();
}

void clsVectors::ExportVectorBase(const std::string& CSVFilePath) const {
    detail::LineFile out(CSVFilePath);
    const long last = coordDim_;
    std::string line;
    for (long i = 1; i <= last; ++i) {
        line.clear();
        addWhole(line, i);
        const long dim = baseDim_;
        for (long k = 1; k <= dim; ++k)
            addValue(line, CoordGetSingle(int16Of(baseStart_ + k - 1), i));
        out.writeLine(line);
    }
    out.close();
}

void clsVectors::ExportVectorBaseCoords(const std::string& CSVFilePath) const {
    exportRegionRows(CSVFilePath, baseStart_, baseCount_, false);
}

void clsVectors::ExportVectorBufferCoords(const std::string& CSVFilePath) const {
    exportRegionRows(CSVFilePath, bufferStart_, bufferCount_, false);
}

void clsVectors::ExportVectorBufferCoordsWithStockSymbols(const std::string& CSVFilePath) const {
    exportRegionRows(CSVFilePath, bufferStart_, bufferCount_, true);
}

void clsVectors::exportRegionRows(const std::string& CSVFilePath, long start, long count,
                                  bool withSymbols) const {
    const long coords = int16Of(static_cast<long>(coordDim_) + 5);
    detail::LineFile out(CSVFilePath);
    std::string line;
    for (long k = 1; k <= count; ++k) {
        line.clear();
        if (withSymbols) addText(line, LoadedSymbols(k));
        addWhole(line, k);
        const long v = int16Of(start + k - 1);
        for (long i = 1; i <= coords; ++i) addValue(line, CoordGetSingle(v, i));
        out.writeLine(line);
    }
    out.close();
}

void clsVectors::ExportColumns(long SourceColumn, long SourceVector, long TargetColumn,
                               long RowCount, const std::string& CSVFilePath) const {
    detail::LineFile out(CSVFilePath);
    std::string line;
    for (long i = 1; i <= RowCount; ++i) {
        line.clear();
        addWhole(line, i);
        const long row = int16Of(SourceVector + i - 1);
        for (long c = SourceColumn; c <= TargetColumn; ++c)
            addValue(line, CoordGetSingleValue(row, c).toSingle());
        out.writeLine(line);
    }
    out.close();
}

}  // namespace vel
