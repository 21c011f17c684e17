// The complete scan of trading results by past days on the 500-stock generated basket over its
// last 252 days: 50 past-day curves, 5 commissions, the five trading methods, 1250 rows.
#include <filesystem>

#include "AnalysisCommands.h"
#include "AppState.h"
#include "Bench.h"
#include "BenchDoor.h"
#include "GeneratedBasket.h"
#include "TradingScans.h"

namespace {

using namespace vel;

void scan() {
    bench::BenchDoor door;
    InstallDoor(&door);
    RegisterAnalysisCommands();
    const auto folder = std::filesystem::temp_directory_path() / "vellicor_bench_scan/";
    std::filesystem::create_directories(folder);
    ResultsFolderPath = folder.string();
    bench::LoadGeneratedBasket();
    bench::ShowLastDays(252);
    bench::Stopwatch w;
    ScanTradingResultsByPastDaysComplete();
    bench::report("scan_complete_500x252", w.seconds(), "s");
    std::filesystem::remove_all(folder);
    InstallDoor(nullptr);
}

bench::Register reg("scan_complete_500x252", scan, {"scan_complete_500x252"});

}  // namespace
