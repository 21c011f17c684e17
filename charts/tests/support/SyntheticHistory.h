// A loaded history of a given size written straight into the three stores, as the history
// load leaves it (symbols "S1", "S2", ... in item order, one trade date per weekday from
// 1/2/2020, the day window on every day), for tests and benchmarks of the charts.
#pragma once

#include <cmath>
#include <functional>
#include <string>

#include "AppState.h"
#include "NumberText.h"
#include "VectorStores.h"

namespace vel::testing {

// The price of stock i on day d of LoadSyntheticHistory: a wave around 20 + i.
inline float SyntheticPrice(long i, long d) {
    return static_cast<float>(20.0 + static_cast<double>(i) +
                              5.0 *
                                  std::sin(static_cast<double>(d) / 17.0 + static_cast<double>(i)));
}
inline float SyntheticVolume(long i, long d) {
    return static_cast<float>(1000.0 * static_cast<double>(i) + 10.0 * static_cast<double>(d));
}

// Sizes the three stores as the history load does and fills `stocks` price and volume vectors
// of `days` days, the symbol table and the trade dates (weekdays from 1/2/2020).
inline void LoadSyntheticHistory(long stocks, long days,
                                 const std::function<float(long, long)>& price = SyntheticPrice,
                                 const std::function<float(long, long)>& volume = SyntheticVolume) {
    CreateVectorStores();
    ScreeningVectors->VectorBaseEmpty(40, 60, 20, 10, 20, 20, stocks);
    VolumeVectors->VectorBaseEmpty(days, 60, 20, 10, 20, 20, stocks);
    MainVectors->VectorBaseEmpty(days, 100, 100, 100, stocks, 100, stocks);
    for (long i = 1; i <= stocks; ++i) {
        for (long d = 1; d <= days; ++d) {
            MainVectors->CoordSetSingleValue(1, d, price(i, d));
            MainVectors->CoordSetSingleValue(2, d, volume(i, d));
        }
        MainVectors->VectorPushToBuffer(1, *MainVectors);
        MainVectors->VectorPushToBuffer(2, *VolumeVectors);
        LoadedSymbols(i) = std::string("S").append(std::to_string(i));
    }
    for (long i = stocks + 1; i <= kMaxSymbols; ++i) LoadedSymbols(i).clear();
    LoadedTradeDates.redim(1, static_cast<int>(days), "empty date");
    long serial = dateSerial(Date{2020, 1, 2});
    for (long d = 1; d <= days; ++d) {
        while ((serial + 5) % 7 >= 5) ++serial;  // Saturday and Sunday are no trading days
        LoadedTradeDates(d) = formatShortDate(dateFromSerial(serial));
        ++serial;
    }
    DayOffset = 0;
    LoadedSymbolCount = static_cast<std::int32_t>(stocks);
    LoadedDayCount = static_cast<std::int32_t>(days);
    SymbolsToLoad = SymbolCountInDB = LoadedSymbolCount;
    ChartFrom1 = Num(1);
    ChartTo1 = static_cast<std::int16_t>(days);
    ChartFrom2 = 1;
    ChartTo2 = ChartTo1;
    CursorDay = ChartTo1;
}

}  // namespace vel::testing
