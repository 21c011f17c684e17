// The trading methods' searches on the 500-stock generated basket: the optimal-level method
// (401 levels) on the basket's average past-profit curve over 252 and 3000 days, fused and
// literal, the optimal-gradient method (46 lengths) over 3000 days, and the market behaviour
// and swinging curves (every member's swinging search on all cores) over 252 days.
#include <filesystem>
#include <string>

#include "AppState.h"
#include "BasketCurves.h"
#include "Bench.h"
#include "BenchDoor.h"
#include "ChartCurves.h"
#include "GeneratedBasket.h"
#include "TradingMethods.h"
#include "VectorStores.h"

namespace {

using namespace vel;

constexpr std::int16_t kCurve = 10;

template <class F>
double Seconds(F&& f) {
    bench::Stopwatch w;
    f();
    return w.seconds();
}

void tradingMethods() {
    bench::BenchDoor door;
    InstallDoor(&door);
    const auto folder = std::filesystem::temp_directory_path() / "vellicor_bench_methods/";
    std::filesystem::create_directories(folder);
    ResultsFolderPath = folder.string();
    bench::LoadGeneratedBasket();
    const std::int16_t S = static_cast<std::int16_t>(MainVectors->HelpStart() + 1);
    CalcBasketPastProfitCurve(kCurve, 12);

    for (long days : {252L, bench::kBasketDays}) {
        bench::ShowLastDays(days);
        const std::string size = "500x" + std::to_string(days);
        bench::report(
            ("optimal_level_" + size).c_str(),
            Seconds([&] { GenerateOptimalLevelSignal(kCurve, S, true, TrialRoad::Fused); }), "s");
        bench::report(
            ("optimal_level_" + size + "_literal").c_str(),
            Seconds([&] { GenerateOptimalLevelSignal(kCurve, S, true, TrialRoad::Literal); }), "s");
    }
    bench::report("optimal_gradient_500x3000",
                  Seconds([&] { GenerateOptimalGradientSignal(kCurve, S, TrialRoad::Fused); }),
                  "s");
    bench::report("optimal_gradient_500x3000_literal",
                  Seconds([&] { GenerateOptimalGradientSignal(kCurve, S, TrialRoad::Literal); }),
                  "s");

    bench::ShowLastDays(252);
    ClearChartCurves();
    bench::report("behaviour_curves_500x252",
                  Seconds([] { AppendMarketBehaviourAndSwingingCurves(10, ""); }), "s");
    SilentMode = 0;
    std::filesystem::remove_all(folder);
    InstallDoor(nullptr);
}

bench::Register reg("trading_methods", tradingMethods,
                    {"optimal_level_500x252", "optimal_level_500x252_literal",
                     "optimal_level_500x3000", "optimal_level_500x3000_literal",
                     "optimal_gradient_500x3000", "optimal_gradient_500x3000_literal",
                     "behaviour_curves_500x252"});

}  // namespace
