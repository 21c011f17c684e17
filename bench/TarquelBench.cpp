// The downloader against the loopback server, each figure in a process of its own:
//   tarquel_efficiency  200 URLs that each answer after 100 ms, five at a time (ideal 4 s):
//                       the ideal time divided by the measured one (aim: at least 0.9);
//   tarquel_idle_cpu    the CPU used while all five transfers stall for 5 s (aim: under 2%);
//   tarquel_large_rss   the peak resident memory of downloading one 200 MB file (aim: under
//                       100 MB: the body is streamed to disk, never held whole).
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "AppState.h"
#include "Bench.h"
#include "BenchDoor.h"
#include "Door.h"
#include "DownloadForm.h"
#include "TestHttpServer.h"

namespace {

using namespace vel;
using testing::HttpBehaviour;
using testing::TestHttpServer;

// The Qt application, the door and a program folder of one benchmark process.
struct Setting {
    Setting(const char* name) : app(argc, argv) {
        InstallDoor(&door);
        const auto dir = std::filesystem::temp_directory_path() /
                         ("tarquel-bench-" + std::to_string(::getpid()) + "-" + name);
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        ProgramFolderPath = dir.string() + "/";
    }
    ~Setting() {
        std::filesystem::remove_all(ProgramFolderPath);
        InstallDoor(nullptr);
    }
    // Writes the list "<name>" of `count` URLs of the path prefix, one file each.
    void WriteList(const std::string& name, const std::string& prefix, int count) {
        std::string text;
        for (int i = 1; i <= count; ++i) {
            const std::string n = std::to_string(i);
            text += "SaveTo(" + n + ".csv):" + server.Url(prefix + n) + "\r\n";
        }
        std::FILE* f = std::fopen((ProgramFolderPath + name).c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    // Runs the event loop until the condition holds.
    void RunUntil(const std::function<bool()>& done) {
        while (!done()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    void Fail(const char* what) {
        std::fprintf(stderr, "%s\n", what);
        std::exit(1);
    }

    int argc = 1;
    char arg0[8] = "bench";
    char* argv[2] = {arg0, nullptr};
    QCoreApplication app;
    bench::BenchDoor door;
    TestHttpServer server;
};

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void Efficiency() {
    Setting s("efficiency");
    HttpBehaviour answer;
    answer.body = std::string(1024, 'p');
    answer.delayMs = 100;
    s.server.RoutePrefix("/e/", answer);
    s.WriteList("Eff.htmurls", "/e/", 200);
    DownloadForm form;
    form.Form_Load();
    bench::Stopwatch clock;
    form.mnuStartDownloading_Click();
    s.RunUntil([&] { return !form.IsRunning(); });
    const double seconds = clock.seconds();
    if (s.server.Requests() != 200 || s.server.MaxInFlight() > 5) s.Fail("wrong dispatch");
    bench::report("tarquel_efficiency", 4.0 / seconds, "ratio");
}

void IdleCpu() {
    Setting s("idle");
    s.server.RoutePrefix("/s/", testing::Stalled());
    s.WriteList("Idle.htmurls", "/s/", 5);
    DownloadForm form;
    form.Form_Load();
    form.mnuStartDownloading_Click();
    s.RunUntil([&] { return s.server.InFlight() == 5; });
    const double before = CpuSeconds();
    bench::Stopwatch clock;
    QEventLoop loop;
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    const double cpu = CpuSeconds() - before;
    const double wall = clock.seconds();
    if (s.server.InFlight() != 5) s.Fail("the transfers did not stall");
    form.mnuBreakDownloading_Click();
    bench::report("tarquel_idle_cpu", 100.0 * cpu / wall, "%");
}

void LargeRss() {
    Setting s("large");
    constexpr std::int64_t kSize = 200LL * 1024 * 1024;
    HttpBehaviour big;
    big.generatedSize = kSize;
    s.server.Route("/big/1", big);
    s.WriteList("Large.htmurls", "/big/", 1);
    DownloadForm form;
    form.Form_Load();
    form.mnuStartDownloading_Click();
    s.RunUntil([&] { return !form.IsRunning(); });
    std::error_code ec;
    if (std::filesystem::file_size(ProgramFolderPath + "Large-HTM/1.csv", ec) !=
        static_cast<std::uintmax_t>(kSize))
        s.Fail("the large file did not arrive whole");
    bench::report("tarquel_large_rss", bench::peakRssMb(), "MB");
}

const bench::Register kEfficiency("tarquel_efficiency", Efficiency, {"tarquel_efficiency"});
const bench::Register kIdleCpu("tarquel_idle_cpu", IdleCpu, {"tarquel_idle_cpu"});
const bench::Register kLargeRss("tarquel_large_rss", LargeRss, {"tarquel_large_rss"});

}  // namespace
