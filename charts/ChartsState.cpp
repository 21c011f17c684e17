// The reset of the charts' process-wide state, registered as one group of the process state.
#include "ChartsState.h"

#include "ChartCurves.h"
#include "ChartView.h"
#include "ProcessState.h"
#include "StockBasket.h"

namespace vel {

void ResetChartsState() {
    ResetChartState();
    ResetChartViewState();
    ResetStockBasketState();
}

namespace {

bool ChartsStateAtStart() {
    for (long k = 1; k <= kMaxChartCurves; ++k) {
        if (!ChartCaption(k).empty()) return false;
        for (long j = 1; j <= 5; ++j)
            if (ChartLevel(k, j) != kNoLevel) return false;
    }
    for (long i = 1; i <= kMaxChartCurves + 1; ++i)
        for (long j = 1; j <= 4; ++j)
            if (ChartPaneRect(i, j) != 0) return false;
    for (long i = 1; i <= kMaxStockItems; ++i)
        if (SymbolMemoryFlag(i) != 0) return false;
    const ChartTarget& unshown = UnshownChartTarget();
    for (ChartLabel l : {ChartLabel::Symbols, ChartLabel::BasketCount, ChartLabel::ChartFromTo,
                         ChartLabel::DisplayedDayCount})
        if (!ChartLabelText(l).empty()) return false;
    return ChartClickX == 0 && PlotOriginX == 0 && PlotScaleX == 0 && ChartPicture == &unshown &&
           unshown.List().Size() == 0 && unshown.ScaleWidth() == 8985 &&
           unshown.ScaleHeight() == 3975 && CurrentChartView() == nullptr &&
           ChartStatusText().empty() && BasketPointer == 0 && BasketPosition == 0 &&
           StockListFilePath.empty() && BasketSaveFilePath.empty() && SymbolMemoryCount == 0;
}

const bool kRegistered = [] {
    RegisterProcessStateGroup({"Charts", &ResetChartsState, &ChartsStateAtStart});
    return true;
}();

}  // namespace

}  // namespace vel
