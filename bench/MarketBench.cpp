// Market timing, market swinging and special swinging of a 500-stock basket at diligence 0,
// on a generated history of 3000 days (geometric random walks), over the last 252 days and
// over all 3000; the trial rate of the fused searches on every core, and of the literal
// search on one stock for comparison.
#include <sys/resource.h>

#include <algorithm>
#include <random>
#include <thread>

#include "AppState.h"
#include "Bench.h"
#include "BenchDoor.h"
#include "MarketCalculations.h"
#include "MemberSearches.h"
#include "SyntheticHistory.h"
#include "TimingSearch.h"
#include "VectorStores.h"

namespace {

using namespace vel;

constexpr long kStocks = 500;
constexpr long kDays = 3000;

// A geometric random walk per stock: daily steps of about 2 %, a slight drift of its own.
void LoadGeneratedHistory() {
    std::vector<std::vector<float>> prices(kStocks);
    for (long i = 0; i < kStocks; ++i) {
        std::mt19937 gen(static_cast<std::uint32_t>(1000 + i));
        std::normal_distribution<double> step(0.0002 * static_cast<double>(i % 7 - 3), 0.02);
        double x = 20.0 + static_cast<double>(i % 50);
        for (long d = 0; d < kDays; ++d) {
            x *= 1.0 + step(gen);
            prices[static_cast<size_t>(i)].push_back(static_cast<float>(x));
        }
    }
    testing::LoadSyntheticHistory(kStocks, kDays, [&](long i, long d) {
        return prices[static_cast<size_t>(i - 1)][static_cast<size_t>(d - 1)];
    });
    for (long i = 1; i <= kStocks; ++i) BasketFlag(i) = 1;
    BasketCount = kStocks;
    defDiligence = 0.0f;
    SilentMode = 1;
}

void ShowLastDays(long days) {
    ChartFrom1 = Num(static_cast<int>(kDays - days + 1));
    ChartTo1 = static_cast<std::int16_t>(kDays);
}

// The processor time the process has used so far, in seconds (all threads).
double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec) + static_cast<double>(u.ru_utime.tv_usec) * 1e-6;
}

// The best time of `runs` runs of a basket calculation, in seconds.
double TimeRuns(void (*calculation)(const std::string&), int runs) {
    double best = 1e30;
    for (int r = 0; r < runs; ++r) {
        bench::Stopwatch w;
        calculation("");
        best = std::min(best, w.seconds());
    }
    return best;
}

void marketCalculations() {
    bench::BenchDoor door;
    InstallDoor(&door);
    LoadGeneratedHistory();
    const double trials = 22.0 * static_cast<double>(MakeTimingGrid(0.0f).TrialsPerGradient());

    ShowLastDays(252);
    bench::report("timing_500x252", TimeRuns(CalcMarketTiming, 3), "s");
    ShowLastDays(kDays);
    const double cpu = CpuSeconds();
    const double full = TimeRuns(CalcMarketTiming, 1);
    const double trialDays = static_cast<double>(kStocks) * trials * kDays;
    bench::report("timing_500x3000", full, "s");
    bench::report("timing_rate", trialDays / full, "trialdays/s");
    // The same per second of processor time, which a busy machine does not distort.
    bench::report("timing_rate_per_core", trialDays / (CpuSeconds() - cpu), "trialdays/cpu-s");
    bench::report("timing_threads", std::max(1u, std::thread::hardware_concurrency()), "threads");

    // The literal search of one stock over all days, on one thread.
    {
        bench::Stopwatch w;
        CalcIndividualStockTimingLiteral(MainVectors->BufferStart(), 10);
        bench::report("timing_rate_literal", trials * kDays / w.seconds(), "trialdays/s");
    }

    ShowLastDays(252);
    bench::report("swinging_500x252", TimeRuns(CalcMarketSwinging, 3), "s");
    bench::report("special_swinging_500x252", TimeRuns(CalcMarketSpecialSwinging, 3), "s");
    SilentMode = 0;
    InstallDoor(nullptr);
}

bench::Register reg("market_calculations", marketCalculations);

}  // namespace
