// The downloader against the loopback server, each figure in a process of its own:
//   tarquel_efficiency  200 URLs that each answer after 100 ms, five at a time (ideal 4 s):
//                       the ideal time divided by the measured one (aim: at least 0.9);
//   tarquel_idle_cpu    the CPU used while all five transfers stall for 5 s (aim: under 2%);
//   tarquel_large_rss   the peak resident memory of downloading one 200 MB file (aim: under
//                       100 MB: the body is streamed to disk, never held whole);
//   tarquel_bulk_*      20 files of 50 MB over plain HTTP, Tarquel's download run against
//                       curl --parallel --parallel-max 5 over the same list: MB a second of
//                       each, and Tarquel's share of curl's (aim: at least 1).
// In the comparison the server runs on a thread of its own, and Tarquel's run yields to the
// event loop as the program does (at most every 20 ms). The comparison of many small pages
// needs a server faster than this one: TarquelNginxBench.cpp.
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "ActivityLog.h"
#include "AppState.h"
#include "Bench.h"
#include "BenchDoor.h"
#include "Door.h"
#include "DownloadForm.h"
#include "Hooks.h"
#include "TestHttpServer.h"

namespace {

using namespace vel;
using testing::HttpBehaviour;
using testing::TestHttpServer;

// Writes the text into the file as it is.
void WriteText(const std::string& path, const std::string& text) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

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
        WriteText(ProgramFolderPath + name, text);
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

// A loopback server on a thread of its own, so that serving costs the client nothing.
class ServerThread {
public:
    ServerThread(TestHttpServer::Security security, const std::string& prefix,
                 const HttpBehaviour& behaviour) {
        thread_.start();
        context_.moveToThread(&thread_);
        QMetaObject::invokeMethod(
            &context_,
            [&] {
                server_ = new TestHttpServer(security);
                server_->RoutePrefix(prefix, behaviour);
            },
            Qt::BlockingQueuedConnection);
    }
    ~ServerThread() {
        QMetaObject::invokeMethod(
            &context_, [&] { delete server_; }, Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
    }
    // Its URL of the path (the server's state is only read once it stands still).
    std::string Url(const std::string& path) const { return server_->Url(path); }

private:
    QThread thread_;
    QObject context_;
    TestHttpServer* server_ = nullptr;
};

// The list "<name>" of `count` URLs of the path prefix (files 1.html, 2.html, ...), and curl's
// configuration of the same downloads into the folder.
void WriteLists(const ServerThread& server, const std::string& name, const std::string& prefix,
                int count, const std::string& curlFolder) {
    std::string list;
    std::string config;
    for (int i = 1; i <= count; ++i) {
        const std::string n = std::to_string(i);
        list += "SaveTo(" + n + ".html):" + server.Url(prefix + n) + "\r\n";
        config +=
            "url = \"" + server.Url(prefix + n) + "\"\noutput = \"" + curlFolder + n + ".html\"\n";
    }
    WriteText(ProgramFolderPath + name, list);
    WriteText(ProgramFolderPath + "curl.config", config);
}

// Tarquel's manual run of the list, yielding as the program does; its seconds.
QElapsedTimer g_sinceYield;

double TimeTarquel(Setting& s, const std::string& list) {
    g_sinceYield.start();
    SetYieldHook([] {
        if (g_sinceYield.elapsed() < 20) return;
        QCoreApplication::processEvents();
        g_sinceYield.restart();
    });
    DownloadForm form;
    form.Transport().SetTrustedCertificates(TestHttpServer::TrustedCertificateFile());
    form.Form_Load();
    form.SetUrlListText(list);
    bench::Stopwatch clock;
    form.mnuStartDownloading_Click();
    s.RunUntil([&] { return !form.IsRunning(); });
    const double seconds = clock.seconds();
    SetYieldHook(nullptr);
    return seconds;
}

// curl --parallel over the same downloads; its seconds, or a negative number without curl.
double TimeCurl(const std::string& curlFolder) {
    const QString curl = QStandardPaths::findExecutable(QStringLiteral("curl"));
    if (curl.isEmpty()) return -1;
    std::filesystem::create_directories(curlFolder);
    QProcess process;
    bench::Stopwatch clock;
    process.start(
        curl,
        {QStringLiteral("--parallel"), QStringLiteral("--parallel-max"), QStringLiteral("5"),
         QStringLiteral("--silent"), QStringLiteral("--cacert"),
         QString::fromStdString(TestHttpServer::TrustedCertificateFile()),
         QStringLiteral("--config"), QString::fromStdString(ProgramFolderPath + "curl.config")});
    process.waitForFinished(-1);
    const double seconds = clock.seconds();
    return process.exitCode() == 0 ? seconds : -1;
}

// Every file of the folder has the size.
bool AllOfSize(const std::string& folder, int count, std::uintmax_t size) {
    std::error_code ec;
    for (int i = 1; i <= count; ++i)
        if (std::filesystem::file_size(folder + std::to_string(i) + ".html", ec) != size)
            return false;
    return true;
}

// Tarquel and curl over `count` files of `size` bytes: files a second, or with a unit of bytes
// (unitBytes > 0) so many of them a second.
void CompareWithCurl(const char* name, TestHttpServer::Security security, int count,
                     std::int64_t size, double unitBytes, const char* unit) {
    Setting s(name);
    HttpBehaviour page;
    page.generatedSize = size;
    ServerThread server(security, "/f/", page);
    const std::string curlFolder = ProgramFolderPath + "curl/";
    WriteLists(server, "Bench.htmurls", "/f/", count, curlFolder);
    // Tarquel logs each start and save, as the program does.
    OpenActivityLog("Tarquel.log");
    const double tarquel = TimeTarquel(s, "Bench.htmurls");
    if (!AllOfSize(ProgramFolderPath + "Bench-HTM/", count, static_cast<std::uintmax_t>(size)))
        s.Fail("Tarquel's files did not arrive whole");
    std::filesystem::remove_all(ProgramFolderPath + "Bench-HTM/");
    const double curl = TimeCurl(curlFolder);
    const double amount = unitBytes > 0
                              ? static_cast<double>(count) * static_cast<double>(size) / unitBytes
                              : static_cast<double>(count);
    const std::string prefix = std::string("tarquel_") + name + "_";
    bench::report((prefix + "tarquel").c_str(), amount / tarquel, unit);
    if (curl <= 0 || !AllOfSize(curlFolder, count, static_cast<std::uintmax_t>(size))) {
        std::fprintf(stderr, "curl did not run or did not download every file\n");
        return;
    }
    bench::report((prefix + "curl").c_str(), amount / curl, unit);
    bench::report((prefix + "ratio").c_str(), curl / tarquel, "ratio");
}

void BulkHttp() {
    CompareWithCurl("bulk", TestHttpServer::Security::Plain, 20, 50LL * 1024 * 1024,
                    1024.0 * 1024.0, "MB/s");
}

const bench::Register kEfficiency("tarquel_efficiency", Efficiency, {"tarquel_efficiency"});
const bench::Register kIdleCpu("tarquel_idle_cpu", IdleCpu, {"tarquel_idle_cpu"});
const bench::Register kLargeRss("tarquel_large_rss", LargeRss, {"tarquel_large_rss"});
const bench::Register kBulk("tarquel_bulk", BulkHttp,
                            {"tarquel_bulk_tarquel", "tarquel_bulk_curl", "tarquel_bulk_ratio"});

}  // namespace
