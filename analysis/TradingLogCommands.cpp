// The editing operations of the trading log.
#include "TradingLogCommands.h"

#include "AppState.h"
#include "ChartCurves.h"
#include "ChartView.h"
#include "Door.h"
#include "Hooks.h"

namespace vel {

namespace {

void BeepAndYield() {
    door().Beep();
    YieldToEvents();
}

}  // namespace

void TradingLogDataClear() {
    YieldToEvents();
    RallyCount = 0;
    YieldToEvents();
    RefreshMenuCaptions();
}

void ClearTradingLogAndRepaint() {
    TradingLogDataClear();
    RefreshChart();
}

void CursorSaveAsBuyPosition() {
    const long lastSell = RallyCount > 0 ? TradingLog(RallyCount, 2) : 0;
    if (CursorDay <= lastSell || RallyCount >= kMaxRallies) {
        BeepAndYield();
        return;
    }
    TradingLog.Append(CursorDay, static_cast<long>(ChartTo1) + 1);
    YieldToEvents();
}

void CursorSaveAsSellPosition() {
    if (RallyCount == 0) {
        BeepAndYield();
        return;
    }
    const long buy = TradingLog(RallyCount, 1);
    if (CursorDay > buy || (CursorDay == buy && buy == ChartTo1)) {
        TradingLog(RallyCount, 2) = CursorDay;
        YieldToEvents();
    } else {
        BeepAndYield();
    }
}

void TradingCursorDeleteLastPosition() {
    YieldToEvents();
    if (RallyCount == 0) {
        BeepAndYield();
        return;
    }
    if (TradingLog(RallyCount, 2) <= ChartTo1)
        TradingLog(RallyCount, 2) = toInt16(static_cast<double>(ChartTo1) + 1.0);
    else
        --RallyCount;
    RefreshMenuCaptions();
    YieldToEvents();
}

}  // namespace vel
