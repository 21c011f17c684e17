// Compound profit of the rallies on one price vector.
#include "RallyProfit.h"

#include <algorithm>

#include "AppState.h"
#include "RowScan.h"
#include "VectorStores.h"

namespace vel {

float CalcPositionsCompoundProfit(long PriceVector) {
    float C = 0.0f;
    if (RallyCount < 1) return 0.0f;
    const clsVectors& v = *MainVectors;
    for (long r = 1; r <= RallyCount; ++r) {
        const long b = TradingLog(r, 1);
        const long s = std::min<long>(TradingLog(r, 2), ChartTo1);
        const float pB = v.CoordGetSingle(PriceVector, b);
        const float pS = v.CoordGetSingle(PriceVector, s);
        C = CompoundStep(C, RallyProfitPercent(pB, pS, defCommission));
    }
    return C;
}

std::vector<float> DaysAsSingles(const clsVectors& store, long VectorNum) {
    std::vector<float> row(static_cast<size_t>(std::max<long>(store.CoordDim(), 0)));
    for (size_t d = 0; d < row.size(); ++d)
        row[d] = store.CoordGetSingle(VectorNum, static_cast<long>(d) + 1);
    return row;
}

float PriceRallies(const RallyLog& log, const float* price, long days, long lastShownDay,
                   float commission) {
    auto at = [&](long d) { return d >= 1 && d <= days ? price[d - 1] : 0.0f; };
    float C = 0.0f;
    const int n = std::clamp<int>(log.count, 0, kMaxRallies);
    for (int r = 1; r <= n; ++r) {
        const long s = std::min<long>(log.SellPos(r), lastShownDay);
        C = CompoundStep(C, RallyProfitPercent(at(log.BuyPos(r)), at(s), commission));
    }
    return C;
}

float WalkAndPrice(const float* signal, const float* price, long days, long from, long to,
                   float commission, RallyLog& log) {
    CheckRowWindow(days, from, to);
    float C = 0.0f;
    WalkRow(signal, from, to, log, [&](long buy, long sell) {
        C = CompoundStep(C, RallyProfitPercent(price[buy], price[sell], commission));
    });
    return C;
}

}  // namespace vel
