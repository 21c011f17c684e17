// Rankings and selection on the stock results matrix.
#include "StockResultsMatrix.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "AnalysisText.h"
#include "AppState.h"
#include "CsvRows.h"
#include "NumberText.h"
#include "ResultFile.h"
#include "VectorStores.h"

namespace vel {

namespace {

// Step 1 of the ranking: the filtered item numbers into rows 1..n of the index column, 0 in
// the rows of the others; returns n.
long CollectFiltered(long F, long X) {
    long n = 0;
    for (long r = 1; r <= kRankedRows; ++r) {
        StockResults(r, X) = 0.0f;
        if (StockResults(r, F) > 0.0f) {
            ++n;
            StockResults(n, X) = static_cast<float>(r);
        }
    }
    return n;
}

long LoadedStockCount() {
    return MainVectors ? std::clamp<long>(MainVectors->BufferCount(), 0, kRankedRows) : 0;
}

// The mean of the values above 0 of column c over rows 1..rows, as a single sum divided by the
// count; 0 when there is none.
double PositiveMean(long c, long rows) {
    float sum = 0.0f;
    long count = 0;
    for (long r = 1; r <= rows; ++r) {
        const float v = StockResults(r, c);
        if (v > 0.0f) {
            sum += v;
            ++count;
        }
    }
    return count > 0 ? static_cast<double>(sum) / static_cast<double>(count) : 0.0;
}

}  // namespace

void ClearStockResultsMatrix() {
    StockResults.clear();
}

void BuildSortedIndexColumnByPasses(long V, long X, long F) {
    const long n = CollectFiltered(F, X);
    if (n < 2) return;
    bool swapped = true;
    while (swapped) {
        swapped = false;
        for (long k = 1; k <= n - 1; ++k) {
            const long a = static_cast<long>(StockResults(k, X));
            const long b = static_cast<long>(StockResults(k + 1, X));
            if (StockResults(b, V) > StockResults(a, V)) {
                std::swap(StockResults(k, X), StockResults(k + 1, X));
                swapped = true;
            }
        }
    }
}

void BuildSortedIndexColumn(long V, long X, long F) {
    // Validates the three columns before anything is written, as the first cell reads would.
    StockResults(1, V);
    StockResults(1, F);
    StockResults(1, X);
    std::vector<long> items;
    bool plain = V != X;  // the passes read the index while they sort it when V is X
    for (long r = 1; r <= kRankedRows; ++r) {
        if (StockResults(r, F) > 0.0f) {
            items.push_back(r);
            if (std::isnan(StockResults(r, V))) plain = false;  // no order for the sort
        }
    }
    if (!plain || F == X) {
        BuildSortedIndexColumnByPasses(V, X, F);
        return;
    }
    // A stable sort by strictly greater value gives the order the passes reach.
    std::stable_sort(items.begin(), items.end(),
                     [V](long a, long b) { return StockResults(a, V) > StockResults(b, V); });
    for (long r = 1; r <= kRankedRows; ++r) StockResults(r, X) = 0.0f;
    for (size_t k = 0; k < items.size(); ++k)
        StockResults(static_cast<long>(k) + 1, X) = static_cast<float>(items[k]);
}

bool WriteStockRankingCSV(long X, const std::string& FilePath) {
    ResultFile file(FilePath);
    std::int32_t n = 0;
    for (long r = 1; r <= kRankedRows && file.ok(); ++r) {
        const float v = StockResults(r, X);
        if (!(v > 0.0f)) continue;
        ++n;
        const long item = toInt32(v);
        auto cell = [item](int c) { return formatSingle(StockResults(item, c)); };
        CsvItemCount = 0;
        AddCSVItem("*Symbol", CsvTextField(LoadedSymbols(item)));
        AddCSVItem("Item", SignBlankWhole(n));
        AddCSVItem("MoneyVolumeRank", SignBlankWhole(item));
        AddCSVItem("BasketFlag", cell(col::BasketFlag));
        AddCSVItem("FromTradingDay", cell(col::FromTradingDay));
        AddCSVItem("ToTradingDay", cell(col::ToTradingDay));
        AddCSVItem("MarketTimingOK", cell(col::MarketTimingOK));
        AddCSVItem("CompoundNetProfitMT", cell(col::CompoundNetProfitMT));
        AddCSVItem("RallyCountB", cell(col::RallyCountB));
        AddCSVItem("SummaryProfit", cell(col::SummaryProfit));
        AddCSVItem("TotalPlainProfit", cell(col::TotalPlainProfit));
        AddCSVItem("ProfitGain", cell(col::ProfitGain));
        AddCSVItem("IndividualTimingOK", cell(col::IndividualTimingOK));
        AddCSVItem("CompoundNetProfitIT", cell(col::CompoundNetProfitIT));
        AddCSVItem("RallyCountA", cell(col::RallyCountA));
        AddCSVItem("defCommission", cell(col::defCommission));
        AddCSVItem("defDiligence", cell(col::defDiligence));
        file.PrintRow(n);
    }
    return file.Close();
}

void MarkStockSelection(long A, long B, long G) {
    const long loaded = LoadedStockCount();
    const double avgA = PositiveMean(A, loaded);
    const double avgB = PositiveMean(B, loaded);
    for (long r = 1; r <= kRankedRows; ++r) {
        const bool selected =
            r <= loaded && StockResults(r, A) >= avgA && StockResults(r, B) >= avgB;
        StockResults(r, G) = selected ? 1.0f : 0.0f;
    }
}

}  // namespace vel
