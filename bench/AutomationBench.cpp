// The demonstration run as `make run` does it: the program Vellicor beside this benchmark,
// copied with the demonstration set of its folder into a temporary program folder, started
// with Demo.autorun without a display; the figure is the time from its start to the run's end
// line in its log (the rebuild of the set's History.mdb, the load, the charts and the market
// timing with its report). The program is then ended with SIGTERM.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "Bench.h"

namespace vel {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void autorunDemo() {
    const fs::path bin = fs::read_symlink("/proc/self/exe").parent_path();
    if (!fs::exists(bin / "Vellicor") || !fs::exists(bin / "Demo.autorun")) {
        std::fprintf(stderr, "no Vellicor with its demonstration set in %s\n", bin.c_str());
        std::exit(1);
    }
    std::string pattern = (fs::temp_directory_path() / "vellicor-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::exit(1);
    const fs::path folder = pattern;
    for (const char* name : {"Vellicor", "Tarquel", "Demo.autorun", "Demo.eodurls", "Demo.eodstru"})
        fs::copy(bin / name, folder / name);
    fs::create_directories(folder / "Demo-EOD");
    for (const auto& entry : fs::directory_iterator(bin / "Demo-EOD"))
        if (entry.is_regular_file() && entry.path().extension() == ".csv")
            fs::copy(entry.path(), folder / "Demo-EOD" / entry.path().filename());

    const bench::Stopwatch clock;
    const pid_t pid = fork();
    if (pid == 0) {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        const std::string program = (folder / "Vellicor").string();
        execl(program.c_str(), program.c_str(), "Demo.autorun", static_cast<char*>(nullptr));
        _exit(127);
    }
    double seconds = -1;
    int status = 0;
    while (clock.seconds() < 600) {
        if (ReadAll(folder / "Vellicor.log").find(" >> Autorun mode - End.") != std::string::npos) {
            seconds = clock.seconds();
            break;
        }
        if (waitpid(pid, &status, WNOHANG) == pid) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    kill(pid, SIGTERM);
    waitpid(pid, &status, 0);
    const bool reported = fs::exists(folder / "Demo-EOD/RESULTS/acmd1MarketTimingReport.html");
    std::error_code ec;
    fs::remove_all(folder, ec);
    if (seconds < 0 || !reported) {
        std::fprintf(stderr, "the demonstration run did not end with its report\n");
        std::exit(1);
    }
    bench::report("autorun_demo", seconds, "s");
}

bench::Register reg("autorun_demo", autorunDemo, {"autorun_demo"});

}  // namespace
}  // namespace vel
