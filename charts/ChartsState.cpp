// The reset of the charts' process-wide state.
#include "ChartsState.h"

#include "ChartCurves.h"
#include "ChartView.h"
#include "StockBasket.h"

namespace vel {

void ResetChartsState() {
    ResetChartState();
    ResetChartViewState();
    ResetStockBasketState();
}

}  // namespace vel
