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
#define VEL_VECTORS_ACCESSOR(Name, member)            \
    std::int16_t Name() const {                       \
        return member;                                \
    }                                                 \
    void Set##Name(long value) {                      \
        member = toInt16(static_cast<double>(value)); \
    }
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
    float Norm() const {
        return norm_;
    }
    void SetNorm(float value) {
        norm_ = value;
    }
    float Distance() const {
        return distance_;
    }
    void SetDistance(float value) {
        distance_ = value;
    }

    // The real shape of the matrix: vectors and coordinates per vector (0 before dimensioning).
    long TotalVectors() const {
        return rows_;
    }
    long TotalCoords() const {
        return cols_;
    }

    // ---- Fast roads -------------------------------------------------------------------------
    // Some operations take a fast road where it gives exactly the cells, results and errors of
    // their plain form: float arithmetic where every cell read is a single and no sum leaves
    // the single range (the dynamic arithmetic of singles rounds each step to single too), and
    // a sliding window for the past median. Switched off, every operation takes its plain
    // form, the oracle of the tests. On at start; process-wide; not to be switched while an
    // operation runs on any thread.
    static void SetFastRoads(bool on) {
        fastRoads_ = on;
    }
    static bool FastRoads() {
        return fastRoads_;
    }

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
    Num CoordGetSingleValue(long VectorNum, long CoordNum) const {
        return cell(at(VectorNum, CoordNum));
    }
    // Stores any tagged number in the cell, keeping its kind (for operations whose results are
    // whole or double numbers).
    void CoordSetValue(long VectorNum, long CoordNum, const Num& value) {
        put(at(VectorNum, CoordNum), value);
    }
    // The cell's value as single: empty gives 0, a double is rounded (OverflowError beyond).
    float CoordGetSingle(long VectorNum, long CoordNum) const {
        return cellSingle(at(VectorNum, CoordNum));
    }

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
    void CoordLog(long VectorNum);  // s <= 0: whole 0; else ln s as double
    void CoordExp(long VectorNum);  // e^s as double; OverflowError beyond the double range
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
    // Point kernels over the trailing window of PointsCount days ending at PointPos, oldest
    // day first. The window fits when 5 <= PointsCount <= 50 and PointPos >= PointsCount; any
    // other length is simply not computed. Each kernel first yields once to pending events,
    // then rounds VectorNum to a 16-bit vector number (halves to even; OverflowError outside).
    // The day's own cell is read in every case, so PointPos must address a cell. Sums run in
    // double precision; results are singles (OverflowError beyond the single range).
    // Slope per day of the least-squares degree-4 polynomial at PointPos, 0 when the window
    // does not fit; with IsRelative divided by the day's value (a fraction per day, no factor
    // 100), and 0 where that value is 0.
    float PointFirstDerivation(const Num& VectorNum, long PointPos, long PointsCount,
                               bool IsRelative) const;
    // Value of the same polynomial at PointPos; the day's own value when the window does not
    // fit.
    float PointInterpolation(const Num& VectorNum, long PointPos, long PointsCount) const;
    // Yields once and returns 0; reads no cell.
    float PointSecDerivation(const Num& VectorNum, long PointPos, long PointsCount) const;
    // Slope in percent of the day's value per day of the least-squares quadratic over the 4 (A)
    // or 8 (B) days ending at PointPos: 100 * slope / y(PointPos); the plain slope where
    // y(PointPos) is 0; 0 when PointPos is below the window length. No yield.
    float CalcRelDerivationA(long CurVectorNum, long PointPos) const;
    float CalcRelDerivationB(long CurVectorNum, long PointPos) const;

    // Vector-wide drivers. Each first sets days 1..CoordDim of ToVectorNum to 0 (so a From
    // equal to To gives zeros), then writes single values at the days of its range; all other
    // days keep 0. The window range is max(1, ChartFrom1 - 100)..min(ChartTo1, CoordDim), both
    // taken when the driver starts (ChartFrom1 - 100 on the tagged value, then rounded to 16
    // bits, halves to even). The kernels yield once per written day.
    void VectorFirstDerivation(long FromVectorNum, long ToVectorNum, long PointsCount,
                               bool IsRelative);
    // Every day 1..CoordDim, whatever the window.
    void VectorInterpolation(long FromVectorNum, long ToVectorNum, long PointsCount);
    // The window range; the kernel gives 0, so the target ends all 0.
    void VectorSecDerivation(long FromVectorNum, long ToVectorNum, long PointsCount);
    // Slope at the newest day of the least-squares quadratic over six days, on
    // max(6, ChartFrom1 - 100)..min(ChartTo1, CoordDim); nothing when ChartTo1 is below 6.
    void CoordFirstDerivation6p2d(long FromVectorNum, long ToVectorNum);
    // Curvature (second derivative) of the least-squares quadratic over four days, on days
    // 4..CoordDim: 0.5 * (y(i-3) - y(i-2) - y(i-1) + y(i)), each partial sum rounded to single.
    void Coord4PointDerivation(long FromVectorNum, long ToVectorNum);

    // BUY-SELL signals. Level crossings rewrite days 1..CoordDim of VectorNum in place with the
    // whole-number sell value where y <= level (>= 0 for the crossing below) and the buy value
    // elsewhere; the spare coordinates keep what they held.
    void CoordCrossingAboveZeroLevelSignal(long VectorNum, long SellSignalValue,
                                           long BuySignalValue);
    void CoordCrossingAboveSpecifiedLevelSignal(float SpecifiedLevel, long VectorNum,
                                                long SellSignalValue, long BuySignalValue);
    void CoordCrossingBelowZeroLevelSignal(long VectorNum, long SellSignalValue,
                                           long BuySignalValue);
    // Sets days 1..CoordDim of SignalVector to the sell value (single), then walks the shown
    // window ChartFrom1..ChartTo1 (unclamped): buy when the trend rises above TrendHighLevel
    // while flat, sell when it falls below TrendLowLevel or the price declines more than
    // PriceDeclinePercent below its highest value since the buy. Holding days carry the buy
    // value from the buy day to the day before the sell. All comparisons strict.
    void CoordCrossing3ParamsSignal(long PriceVector, long TrendVector, long SignalVector,
                                    float TrendLowLevel, float TrendHighLevel,
                                    float PriceDeclinePercent, long SellSignalValue,
                                    long BuySignalValue);
    // The same state machine over one curve: buy (+100) when it rises above BuySignalLowValue
    // while flat, sell (-100) when it falls below SellSignalHighValue; days 1..CoordDim are
    // preset to -100.
    void CoordCrossingTwoLevelsSignal(long FromVectorNum, long SignalVector,
                                      long SellSignalHighValue, long BuySignalLowValue);
    // Rebuilds TradingLog, RallyCount, LastTradeAction and LastTradeActionDay from the signal
    // over the shown window: a value above 0 buys while flat, below 0 sells while holding (the
    // sell is tested first); a rally still open at the end gets the sell day ChartTo1 + 1. The
    // vector is only read. A 2001st rally raises the table's SubscriptRangeError.
    void SignalVectorTransformToTradingPositionsSign(long SignalVector) const;
    // (agreeing days - other days) / days over FromPos..ToPos (unclamped), as a signed square
    // root in -1..1; a day where either value is 0 never agrees. 0 for an empty range.
    float CoordFromToSignalCorrelation(long VectorNum1, long VectorNum2, long FromPos,
                                       long ToPos) const;

    // Behaviour classes of a stock into ToVectorNum..ToVectorNum + 3 (100 or the whole 0 per
    // day: advancing/declining price with advancing/declining money volume, by the signs of the
    // smoothed gradients kept in ToVectorNum + 5 and + 7; + 4 and + 6 hold the raw gradients).
    // When PolynomialGradientDays >= CoordDim only the four classes are cleared.
    void CoordStockBehaviour(long FromVectorNum1, long FromVectorNum2, long ToVectorNum,
                             long PolynomialGradientDays, long PolynomialSmoothDays);

    // ---- Moving windows, statistics, polynomial base, exports, columns, interval groups --
    // (section: analysis)
    // Window transforms over coordinates 1..CoordDim. Each coordinate is written as soon as it
    // is computed, so with the same vector as source and target later windows read earlier
    // results (y, the value at i itself, is always the source's value before the call).
    // Trailing mean of max(1, i - MALength + 1)..i; MALength below 1 raises
    // DivisionByZeroError before anything is written.
    void CoordMA(long MALength, long FromVectorNum, long ToVectorNum);
    // 100 * (y - mean) / mean as a double; the whole number 0 where the mean is <= 0.
    void CoordMARelDif(long MALength, long FromVectorNum, long ToVectorNum);
    // Percent drop below the trailing maximum, rise above the trailing minimum (doubles; the
    // whole number 0 where the extreme is <= 0 or MALength is below 1).
    void CoordMaxRelDif(long MALength, long FromVectorNum, long ToVectorNum);
    void CoordMinRelDif(long MALength, long FromVectorNum, long ToVectorNum);
    // Clears the target, then the mean of the centred window cut at both ends, as single.
    // A negative Radius raises DivisionByZeroError after the clearing. (Fast road: a source of
    // singles apart from the target is summed in float arithmetic.)
    void CoordAllRadiusSmooth(long Radius, long FromVectorNum, long ToVectorNum);
    // Clears the target, then from day DayCount + 1 the percent change from DayCount days
    // before (single; 0 where the past price is <= 0).
    void CoordPastProfit(long PriceVectorNum, long ProfitVectorNum, long DayCount);
    // Copies the source, then for a length 3..100 below CoordDim the median of each full
    // trailing window (the larger middle value for an even length) from day PastMedianLength.
    // (Fast road: the window slides, so a day costs the window's length, not its square; the
    // plain form sorts every window anew by bubble sort.)
    void CoordPastMedian(long FromVectorNum, long ToVectorNum, long PastMedianLength);

    // Statistics over the group period GroupFrom..GroupTo (unclamped; a day outside the matrix
    // raises SubscriptRangeError). Results are singles, except the two means, which come as
    // computed and are the whole number 0 for an empty period. Guarded divisions give 0.
    Num GroupProfit(long VectorNum) const;
    Num GroupCoordValueGrowth(long VectorNum) const;
    Num GroupPriceDecline(long VectorNum) const;
    Num GroupPriceIncrease(long VectorNum) const;
    // 0 also for a one-day period, where the line through first and last is undefined.
    Num GroupPriceLinearity(long VectorNum) const;
    Num GroupCoordAverage(long VectorNum) const;
    Num GroupMoneyVolumeAverage(long PriceVectorNum, long VolumeVectorNum) const;
    // Statistics over FromPos..ToPos, clamped to 1..CoordDim (a reversed range collapses onto
    // ToPos). Vector numbers and FromPos are rounded half to even.
    float ScalarFromToRelStdDevi(const Num& OriginalVectorNum, const Num& SmoothedVectorNum,
                                 const Num& FromPos, long ToPos) const;
    float ScalarFromToCoordAverage(const Num& VectorNum, const Num& FromPos, long ToPos) const;
    // Mean of the values >= LevelValue (or <= LevelValue); 0 when none.
    float CoordFromToConditionalAverage(const Num& VectorNum, const Num& FromPos, long ToPos,
                                        float LevelValue, bool CoordIsGreaterAsLevel) const;
    float ScalarFromToCoordMinimum(const Num& VectorNum, const Num& FromPos, long ToPos) const;
    float ScalarFromToCoordMaximum(const Num& VectorNum, const Num& FromPos, long ToPos) const;

    // Orthonormal polynomial base. The builders dimension the store as VectorBaseEmpty does
    // (with derivatives the Base region has 3 * BaseDim rows: base, first and second
    // differences), set BaseCount = BaseDim and build the Gram polynomials in the Base rows.
    void VectorBaseLegender(long ThisCoordDim, long ThisWorkDim, long ThisHelpDim,
                            long ThisChartDim, long ThisModelDim, long ThisBaseDim,
                            long ThisBufferDim);
    void VectorBaseLegenderWithDerivations(long ThisCoordDim, long ThisWorkDim, long ThisHelpDim,
                                           long ThisChartDim, long ThisModelDim, long ThisBaseDim,
                                           long ThisBufferDim);
    // Coordinates 1..BaseDim of ToVectorNum receive the coefficients of FromVectorNum (the
    // rest up to CoordDim 0); Norm becomes its length.
    void VectorBaseCalcCoef(long FromVectorNum, long ToVectorNum);
    // ToVectorNum becomes the sum of the base vectors weighted by the coefficients.
    void VectorCreateNew(long BaseCoefVectorNum, long ToVectorNum);
    // The base file: a header of CoordDim, BaseCount and 0, then base vectors 1..BaseCount,
    // coordinates 1..CoordDim + 5, one value per CR LF line (an empty cell: an empty line).
    // FileError when the file cannot be written.
    void VectorBaseSave(const std::string& ToFilePath) const;
    // Reads a base file into the Base rows and sets BaseCount = BaseDim. A file that cannot be
    // read, whose header does not fit the store, or whose body is short or not numeric raises
    // FileError and leaves the store as it was.
    void VectorBaseLoad(const std::string& FromFilePath);

    // Comma-separated exports: CR LF lines, every field followed by ", ", numbers in the export
    // form (formatSingleExport). The file is created or emptied; FileError when it cannot be
    // written. An export that fails midway leaves the lines written so far, closed.
    void ExportVector(long VectorNum, const std::string& CSVFilePath) const;
    // Day, trade date, then the vectors' values; these two show the busy state and yield.
    void ExportVectors(long FromVectorNum, long ToVectorNum, const std::string& CSVFilePath) const;
    // As ExportVectors over CoordDim + 30 lines, "Aux.col." for the spare coordinates.
    void ExportVectorsPlus(long FromVectorNum, long ToVectorNum,
                           const std::string& CSVFilePath) const;
    void ExportVectorBase(const std::string& CSVFilePath) const;
    void ExportVectorBaseCoords(const std::string& CSVFilePath) const;
    void ExportVectorBufferCoords(const std::string& CSVFilePath) const;
    void ExportVectorBufferCoordsWithStockSymbols(const std::string& CSVFilePath) const;
    // Rows 1..RowCount of columns SourceColumn..TargetColumn of the table from SourceVector.
    void ExportColumns(long SourceColumn, long SourceVector, long TargetColumn, long RowCount,
                       const std::string& CSVFilePath) const;

    // Column tables: row i of a column is the cell (first vector + i - 1, column). Rows are
    // handled from 1 up, each finished before the next is read; values are written as singles.
    void ColumnCopy(long SourceColumn, long SourceVector, long TargetColumn, long TargetVector,
                    long RowCount);
    void ColumnsCombine(long SourceColumn, long SourceVector, float MullCoef, long TargetColumn,
                        long TargetVector, long RowCount);
    void ColumnCoefMull(long SourceColumn, long SourceVector, float MullCoef, long RowCount);
    void ColumnClear(long SourceColumn, long SourceVector, long RowCount);
    // Target := descending rank of the source (1 = largest; ties in row order; values at or
    // below -e^30 keep 0).
    void ColumnDESCRanking(long SourceColumn, long SourceVector, long TargetColumn,
                           long TargetVector, long RowCount);

    // Interval groups over the used Buffer vectors as rows. Mean of column FromClm over the
    // rows with LimitLow <= value < LimitHigh; 0 when none.
    float ScalarColumnLimitAverage(long FromClm, const Num& LimitHigh, float LimitLow) const;
    // Splits [-e^40, e^40) LevelPower times (at most 6) at the interval means into
    // IntervalLimit / IntervalCount and writes each row's interval number (1 = highest, 0 for
    // none) into column ToClm.
    void CalcIntervalGroups(const Num& FromClm, const Num& ToClm, long LevelPower);

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
    long inside(long last) const {
        return std::min(last, cols_);
    }
    void failBeyond(long v, long last) const {
        if (last > cols_) throwCell(v, cols_ + 1);
    }
    // Days 1..last, one line each: the day, its trade date ("Aux.col." past CoordDim), then the
    // vectors From..To; with the busy state held and a yield before and after.
    void exportDays(long FromVectorNum, long ToVectorNum, const std::string& CSVFilePath,
                    long last) const;
    // Vectors start..start + count - 1 of a region, one line each: the stock symbol of row k
    // when asked, k, then coordinates 1..CoordDim + 5.
    void exportRegionRows(const std::string& CSVFilePath, long start, long count,
                          bool withSymbols) const;
    // Mean of days max(1, day - length + 1)..day of the row starting at cell index `row`, summed
    // in dynamic arithmetic and divided by the single count; a length below 1 (an empty
    // window) raises DivisionByZeroError naming the caller.
    Num trailingMean(size_t row, long day, long length, const char* caller) const;
    // CoordMaxRelDif (maximum) and CoordMinRelDif: the percent distance of each day's value from
    // the extreme of its trailing window, 0 where the extreme is not above 0.
    void trailingExtremeRelDif(long MALength, long FromVectorNum, long ToVectorNum, bool maximum);
    // The plain past median of days first..CoordDim, each window read from the cells.
    void pastMedianDays(long FromVectorNum, long ToVectorNum, long len, long first);
    // The value at place len / 2 rounded up of buffer[1..len] after a descending bubble sort
    // that never swaps equal values (the buffer is sorted in place).
    static float bubbleMedian(float* buffer, long len);
    // True when the fast roads are on and days from..to (a non-empty range) of the vector lie
    // inside the matrix and all hold singles.
    bool singleDays(long VectorNum, long from, long to) const;
    // The single held by day `day` of the row starting at cell index `row` (singles only).
    float singleAt(size_t row, long day) const {
        return std::bit_cast<float>(payload_[row + static_cast<size_t>(day - 1)]);
    }
    // CoordAllRadiusSmooth on a source of singles in float arithmetic, after the clearing;
    // false (and the target partly written) where the plain form must do it.
    bool radiusSmoothSingles(long Radius, long FromVectorNum, long ToVectorNum);
    // Copies days 1..last cell by cell, kinds unchanged (a vector onto itself changes nothing).
    void copyDays(long FromVectorNum, long ToVectorNum, long last);
    // Runs fn(cell index, day) over days 1..last of one vector under the error convention:
    // nothing for an empty range, the vector checked before the first cell, the days inside
    // the matrix processed, then the subscript error of the first day beyond it.
    template <class F>
    void forEachDay(long VectorNum, long last, F&& fn) {
        if (last < 1) return;
        const size_t b = rowBase(VectorNum);
        const long n = inside(last);
        for (long i = 1; i <= n; ++i) fn(b + static_cast<size_t>(i - 1), i);
        failBeyond(VectorNum, last);
    }

    Num cell(size_t i) const {
        switch (kinds_[i]) {
            case kWhole:
                return Num::whole(std::bit_cast<std::int32_t>(payload_[i]));
            case kSingle:
                return Num::single(std::bit_cast<float>(payload_[i]));
            case kDouble:
                return Num::dbl(doubles_[payload_[i]]);
            default:
                return Num();
        }
    }
    float cellSingle(size_t i) const {
        switch (kinds_[i]) {
            case kSingle:
                return std::bit_cast<float>(payload_[i]);
            case kWhole:
                return static_cast<float>(std::bit_cast<std::int32_t>(payload_[i]));
            case kDouble:
                return checkedSingle(doubles_[payload_[i]]);
            default:
                return 0.0f;
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
            case Num::Kind::Whole:
                putWhole(i, n.wholeValue());
                break;
            case Num::Kind::Single:
                putSingle(i, n.singleValue());
                break;
            case Num::Kind::Double:
                putDouble(i, n.doubleValue());
                break;
            default:
                putEmpty(i);
                break;
        }
    }

    static inline bool fastRoads_ = true;

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
