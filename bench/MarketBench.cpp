// Market timing, market swinging and special swinging of a 500-stock basket at diligence 0,
// on a generated history of 3000 days (geometric random walks), over the last 252 days and
// over all 3000, as whole runs of the program (trend curves and the trade of the average
// signal included); the trial rate of the timing searches alone over 3000 days on every core,
// and of the literal search on one stock for comparison.
#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "AnalysisCommands.h"
#include "AppState.h"
#include "Bench.h"
#include "BenchDoor.h"
#include "GeneratedBasket.h"
#include "MarketCalculations.h"
#include "MemberSearches.h"
#include "TimingSearch.h"
#include "VectorStores.h"

namespace {

using namespace vel;

constexpr long kStocks = bench::kBasketStocks;
constexpr long kDays = bench::kBasketDays;
using bench::ShowLastDays;

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
    // The calculations as the program wires them: the basket's trend curves first (the timing
    // run also runs every member's swinging search for the behaviour curves), then the trade
    // of the average signal by the optimal-level method.
    RegisterAnalysisCommands();
    const auto folder = std::filesystem::temp_directory_path() / "vellicor_bench_market/";
    std::filesystem::create_directories(folder);
    ResultsFolderPath = folder.string();
    bench::LoadGeneratedBasket();
    const double trials = 22.0 * static_cast<double>(MakeTimingGrid(0.0f).TrialsPerGradient());

    ShowLastDays(252);
    bench::report("timing_500x252", TimeRuns(CalcMarketTiming, 3), "s");
    ShowLastDays(kDays);
    bench::report("timing_500x3000", TimeRuns(CalcMarketTiming, 1), "s");
    // The rate of the timing searches alone: every member's search over all days on every
    // core, as the timing run puts them in place.
    {
        std::vector<long> prices;
        for (long i = 1; i <= kStocks; ++i) prices.push_back(MainVectors->BufferStart() + i - 1);
        const double cpu = CpuSeconds();
        bench::Stopwatch w;
        RunMemberSearches(SearchFamily::Timing, prices, 10, {}, {});
        const double seconds = w.seconds();
        const double trialDays = static_cast<double>(kStocks) * trials * kDays;
        bench::report("timing_rate", trialDays / seconds, "trialdays/s");
        // The same per second of processor time, which a busy machine does not distort.
        bench::report("timing_rate_per_core", trialDays / (CpuSeconds() - cpu), "trialdays/cpu-s");
    }
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
    std::filesystem::remove_all(folder);
    InstallDoor(nullptr);
}

bench::Register reg("market_calculations", marketCalculations,
                    {"timing_500x252", "timing_500x3000", "timing_rate", "timing_rate_per_core",
                     "timing_threads", "timing_rate_literal", "swinging_500x252",
                     "special_swinging_500x252"});

}  // namespace
