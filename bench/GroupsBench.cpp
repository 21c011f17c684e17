// Timing groups of 10000 candidates over 3000 days: the signals packed once, every pair's
// agreement counted with popcount on worker threads, then the grouping passes.
#include <random>

#include "AppState.h"
#include "Bench.h"
#include "BenchDoor.h"
#include "StockResults.h"
#include "SyntheticHistory.h"
#include "TimingGroups.h"
#include "VectorStores.h"

namespace {

void groups() {
    constexpr long kStocks = 10000, kDays = 3000;
    vel::bench::BenchDoor door;
    vel::InstallDoor(&door);
    vel::testing::LoadSyntheticHistory(kStocks, kDays);
    // Candidates drawn from 40 prototype signals with 3 % of their days flipped, so the passes
    // find groups of a few hundred members.
    std::mt19937 gen(99);
    std::vector<std::vector<float>> prototypes(40, std::vector<float>(kDays));
    for (auto& p : prototypes)
        for (auto& v : p) v = gen() % 2 ? 100.0f : -100.0f;
    const long model = vel::MainVectors->ModelStart();
    for (long i = 1; i <= kStocks; ++i) {
        const auto& p = prototypes[gen() % prototypes.size()];
        for (long d = 1; d <= kDays; ++d) {
            float v = p[static_cast<size_t>(d - 1)];
            if (gen() % 100 < 3) v = -v;
            vel::MainVectors->CoordSetSingleValue(model + i - 1, d, v);
        }
        vel::StockResults(i, vel::col::CompoundNetProfitIT) = 1.0f;
    }
    vel::bench::Stopwatch w;
    vel::CalcTimingGroups(0.5f, 1, static_cast<std::int16_t>(kDays));
    const double seconds = w.seconds();
    if (vel::TimingGroupCount == 0) std::printf("groups_10000x3000: no group\n");
    vel::bench::report("groups_10000x3000", seconds, "s");
    vel::DropVectorStores();
    vel::InstallDoor(nullptr);
}

vel::bench::Register reg("groups_10000x3000", groups, {"groups_10000x3000"});

}  // namespace
