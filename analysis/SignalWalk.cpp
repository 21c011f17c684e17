// The signal walk, its raw form, the way back to a signal and the inversion.
#include "SignalWalk.h"

#include "AppState.h"
#include "ChartCurves.h"
#include "ChartView.h"
#include "RowScan.h"
#include "TradingLogCommands.h"
#include "VectorStores.h"

namespace vel {

void SignalVectorToTradingLog(long SignalVector, bool ClearFlag) {
    if (ClearFlag) ClearTradingLogAndRepaint();
    RallyCount = 0;
    int state = 2;  // 2 flat, 3 long, 4 sold on this day
    long buyDay = 0;
    long sellDay = 0;
    for (long day = ChartFrom1.toInt16(); day <= ChartTo1; ++day) {
        const float v = MainVectors->CoordGetSingle(SignalVector, day);
        if (state == 3 && v < 0.0f) {
            sellDay = day;
            state = 4;
        }
        if (state == 2 && v > 0.0f) {
            buyDay = day;
            state = 3;
        }
        if (state == 4) {
            TradingLogAddBuyPosition(buyDay);
            TradingLogSetSellPosition(sellDay);
            state = 2;
        }
    }
    if (state == 3) {
        TradingLogAddBuyPosition(buyDay);
        TradingLogSetSellPosition(static_cast<long>(ChartTo1) + 1);
    }
    if (ClearFlag && RallyCount > 0) RefreshMenuCaptions();
}

void WalkSignalRow(const float* signal, long days, long from, long to, RallyLog& log) {
    CheckRowWindow(days, from, to);
    WalkRow(signal, from, to, log, [](long, long) {});
}

void TradingLogToSignalVector(long VectorNum, long OutsideValue, long InsideValue) {
    clsVectors& v = *MainVectors;
    v.CoordAllSetConst(VectorNum, static_cast<float>(OutsideValue));
    const float inside = static_cast<float>(InsideValue);
    for (long r = 1; r <= RallyCount; ++r) {
        const long sell = TradingLog(r, 2);
        for (long d = TradingLog(r, 1); d <= sell - 1; ++d)
            v.CoordSetSingleValue(VectorNum, d, inside);
    }
}

void InvertTradingLog(long VectorNum) {
    TradingLogToSignalVector(VectorNum, 100, -100);
    clsVectors& v = *MainVectors;
    const long dim = v.CoordDim();
    for (long d = 1; d <= dim; ++d)
        if (Num(static_cast<int>(d)) < ChartFrom1 || d > ChartTo1)
            v.CoordSetSingleValue(VectorNum, d, -100.0f);
    SignalVectorToTradingLog(VectorNum, true);
}

}  // namespace vel
