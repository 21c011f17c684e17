// The screening values and levels of 10000 stocks over 3000 days (the group period and the
// calculation window on every day), as the screening run computes them; and the past median
// of the vector store with a window of 100 days, on its sliding road and on its plain road,
// which sorts every window anew.
#include <cstdlib>

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
    constexpr long days = 3000, length = 100, vectors = 50;
    clsVectors v;
    v.VectorBaseEmpty(days, vectors + 1, 0, 0, 0, 0, 0);
    for (long k = 1; k <= vectors; ++k)
        for (long d = 1; d <= days; ++d) v.CoordSetSingleValue(k, d, testing::SyntheticPrice(k, d));
    for (bool fast : {true, false}) {
        clsVectors::SetFastRoads(fast);
        bench::Stopwatch run;
        for (long k = 1; k <= vectors; ++k) v.CoordPastMedian(k, vectors + 1, length);
        bench::report(fast ? "past_median_3000x100" : "past_median_3000x100_plain",
                      run.seconds() * 1e9 / (vectors * days), "ns/day");
    }
    clsVectors::SetFastRoads(true);
}

bench::Register screeningRegistration("screening_10000x3000", screening);
bench::Register medianRegistration("past_median_3000x100", pastMedian);

}  // namespace
