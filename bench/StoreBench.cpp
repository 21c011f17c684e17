// The vector store at the full size of a history load: 10000 stocks x 3000 days in the three
// stores, one price and one volume vector pushed per stock, as the load does it.
#include "Bench.h"
#include "clsVectors.h"

namespace {

void storeFullSize() {
    using namespace vel;
    constexpr int stocks = 10000, days = 3000;
    static clsVectors MainVectors, VolumeVectors, ScreeningVectors;
    bench::Stopwatch dim;
    ScreeningVectors.VectorBaseEmpty(40, 60, 20, 10, 20, 20, stocks);
    VolumeVectors.VectorBaseEmpty(days, 60, 20, 10, 20, 20, stocks);
    MainVectors.VectorBaseEmpty(days, 100, 100, 100, stocks, 100, stocks);
    bench::report("store_dimension", dim.seconds() * 1000.0, "ms");

    bench::Stopwatch push;
    for (int s = 1; s <= stocks; ++s) {
        for (int d = 1; d <= days; ++d) {
            MainVectors.CoordSetSingleValue(
                1, d, 10.0f + static_cast<float>((s * 31 + d * 7) % 997) * 0.01f);
            MainVectors.CoordSetSingleValue(2, d, static_cast<float>(1000 + (s * 13 + d) % 5000));
        }
        MainVectors.VectorPushToBuffer(1, MainVectors);
        MainVectors.VectorPushToBuffer(2, VolumeVectors);
    }
    bench::report("store_push_10000x2", push.seconds(), "s");
    bench::report("store_full_rss", bench::peakRssMb(), "MB");
}

vel::bench::Register reg("store", storeFullSize,
                         {"store_dimension", "store_push_10000x2", "store_full_rss"});

}  // namespace
