// The screening values and levels of 10000 stocks over 3000 days (the group period and the
// calculation window on every day), as the screening run computes them; and the past median
// of the vector store with windows of 25, 50 and 100 days (the longest it takes), on its
// sliding road, whose cost per day grows with the length of the window, and on its plain road,
// which sorts every window anew and grows with its square.
#include <cstdlib>
#include <string>

#include "AppState.h"
#include "Bench.h"
#include "BenchDoor.h"
#include "ScreeningValues.h"
#include "SyntheticHistory.h"
#include "VectorStores.h"

namespace {

using namespace vel;

void screening() {
    bench::BenchDoor door;
    InstallDoor(&door);
    testing::LoadSyntheticHistory(10000, 3000);
    CalcFrom1 = 1;
    CalcTo1 = 3000;
    GroupFrom = Num(1);
    GroupTo = 3000;
    bench::Stopwatch run;
    CalcScreeningBasicValues(0);
    bench::report("screening_10000x3000", run.seconds(), "s");
    InstallDoor(nullptr);
}

void pastMedian() {
    constexpr long days = 3000, vectors = 50;
    clsVectors v;
    v.VectorBaseEmpty(days, vectors + 1, 0, 0, 0, 0, 0);
    for (long k = 1; k <= vectors; ++k)
        for (long d = 1; d <= days; ++d) v.CoordSetSingleValue(k, d, testing::SyntheticPrice(k, d));
    for (long length : {25L, 50L, 100L}) {
        for (bool fast : {true, false}) {
            clsVectors::SetFastRoads(fast);
            bench::Stopwatch run;
            for (long k = 1; k <= vectors; ++k) v.CoordPastMedian(k, vectors + 1, length);
            const std::string name =
                "past_median_3000x" + std::to_string(length) + (fast ? "" : "_plain");
            bench::report(name.c_str(), run.seconds() * 1e9 / (vectors * days), "ns/day");
        }
    }
    clsVectors::SetFastRoads(true);
}

bench::Register screeningRegistration("screening_10000x3000", screening, {"screening_10000x3000"});
bench::Register medianRegistration("past_median", pastMedian,
                                   {"past_median_3000x25", "past_median_3000x25_plain",
                                    "past_median_3000x50", "past_median_3000x50_plain",
                                    "past_median_3000x100", "past_median_3000x100_plain"});

}  // namespace
