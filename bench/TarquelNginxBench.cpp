// Tarquel against curl, both served by nginx on loopback (which tools/ensure-deps.sh installs),
// started through the tests' launcher:
//   tarquel_http_*   10000 pages of 20 KB over plain HTTP;
//   tarquel_https_*  the same over HTTPS with HTTP/2.
// Each round runs the program Tarquel beside this benchmark as an unattended download (its
// parameters file, its log, its result file, Qt's start included: the program pays it) and
// curl --parallel --parallel-max 5 over the same list into a folder of its own, both into a
// new folder, in memory where the system has a folder for that; the rounds alternate which
// goes first. Printed: the median files a second of each, the median of the rounds' ratios of
// Tarquel's speed to curl's (aim: at least 0.8), the median CPU seconds (user and system, the
// whole process) per 1000 files of each, and the median of the rounds' ratios of Tarquel's CPU
// to curl's (aim: at most 1.5). Every round's times go to stderr.
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "Bench.h"
#include "BenchFiles.h"
#include "TestHttpServer.h"
#include "TestNginx.h"

namespace {

namespace fs = std::filesystem;
using vel::testing::TestHttpServer;
using vel::testing::TestNginx;

constexpr int kFiles = 10000;
constexpr std::size_t kPageSize = 20 * 1024;
constexpr int kRounds = 5;

using vel::bench::Fail;
using vel::bench::ReadText;
using vel::bench::WriteText;

// The CPU seconds of the children that have ended.
double ChildrenCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// A child that ends with the benchmark, however it ends.
void EndWithParent(QProcess& process) {
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

// nginx as the downloader's tests start it (TestNginx, a child of the benchmark), serving the one
// page of its folder for every path under /f/ over plain HTTP and over HTTPS with HTTP/2 (the
// tests' certificate), without an access log and with its connections kept for the whole run.
class Nginx {
public:
    explicit Nginx(const fs::path& folder) {
        if (TestNginx::Program().empty())
            Fail("nginx is not installed (tools/ensure-deps.sh installs it)");
        fs::create_directories(folder / "www");
        WriteText(folder / "www" / "page.html", Page());
        if (!nginx_.Start((folder / "server").string(), (folder / "www").string(),
                          "access_log off;\n    keepalive_requests 1000000;\n"
                          "    location /f/ { try_files /page.html =404; }"))
            Fail(nginx_.Error());
    }
    std::string Url(bool tls, int n) const {
        const std::string path = "/f/" + std::to_string(n) + ".html";
        return tls ? nginx_.HttpsUrl(path) : nginx_.HttpUrl(path);
    }
    // The page every URL answers with: 20 KB of text lines.
    static std::string Page() {
        std::string page;
        for (int line = 0; page.size() < kPageSize; ++line)
            page += "Line " + std::to_string(line) + " of the page served for every file\r\n";
        page.resize(kPageSize);
        return page;
    }

private:
    TestNginx nginx_;
};

// The environment of both clients: no display (an unattended run), no proxy, the tests'
// certificate authority trusted.
QProcessEnvironment ClientEnvironment() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "http_proxy",
                             "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY", "HTTP_PROXY",
                             "no_proxy", "NO_PROXY", "SSL_CERT_FILE", "SSL_CERT_DIR"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("CURL_CA_BUNDLE"),
               QString::fromStdString(TestHttpServer::TrustedCertificateFile()));
    return env;
}

struct Timing {
    double seconds = 0;
    double cpu = 0;
};

// Runs the program to its end; its wall and CPU seconds.
Timing Run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessEnvironment(ClientEnvironment());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    EndWithParent(process);
    const double cpu = ChildrenCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        Fail(program.toStdString() + " failed with status " + std::to_string(process.exitCode()));
    Timing t;
    t.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    t.cpu = ChildrenCpuSeconds() - cpu;
    return t;
}

// Every file 1..kFiles of the folder holds the page.
void CheckFiles(const fs::path& folder, const char* extension, const std::string& who) {
    const std::string page = Nginx::Page();
    for (int i = 1; i <= kFiles; ++i) {
        const fs::path file = folder / (std::to_string(i) + extension);
        std::error_code ec;
        if (fs::file_size(file, ec) != kPageSize || (i % 997 == 1 && ReadText(file) != page))
            Fail(who + " did not save " + file.string() + " whole");
    }
}

// One kind of transfer (HTTP or HTTPS), round after round: Tarquel's unattended run and curl.
class Comparison {
public:
    Comparison(const fs::path& folder, const Nginx& nginx, bool tls, const fs::path& tarquel)
        : folder_(folder) {
        fs::create_directories(folder_);
        fs::copy_file(tarquel, folder_ / "Tarquel");
        std::string list, config;
        for (int i = 1; i <= kFiles; ++i) {
            const std::string n = std::to_string(i);
            list += "SaveTo(" + n + ".csv):" + nginx.Url(tls, i) + "\r\n";
            config += "url = \"" + nginx.Url(tls, i) + "\"\noutput = \"" +
                      (folder_ / "curl" / (n + ".html")).string() + "\"\n";
        }
        WriteText(folder_ / "Bench.eodurls", list);
        WriteText(folder_ / "curl.config", config);
        WriteParameters("Bench.dwnparams", kFiles);
        // One file first: a Tarquel that cannot reach the server (or does not trust its
        // certificate) fails here, not after 10000 URLs of retries.
        WriteParameters("First.dwnparams", 1);
        Run(QString::fromStdString((folder_ / "Tarquel").string()),
            {QString::fromStdString((folder_ / "First.dwnparams").string())});
        std::error_code ec;
        if (fs::file_size(folder_ / "saved" / "1.csv", ec) != kPageSize)
            Fail("Tarquel did not get " + nginx.Url(tls, 1) + ": " +
                 ReadText(folder_ / "Tarquel.log"));
    }

    // Tarquel's parameters: the list, the save folder, the result file, the number of URLs.
    void WriteParameters(const std::string& name, int count) const {
        WriteText(folder_ / name, (folder_ / "Bench.eodurls").string() + "\r\n" +
                                      (folder_ / "saved/").string() + "\r\n" +
                                      (folder_ / "Bench.dwnresult").string() + "\r\n" +
                                      std::to_string(count) + "\r\n");
    }

    void RunTarquel() {
        // A new folder, as curl's: the deletion of a folder's old files is no part of the race.
        fs::remove_all(folder_ / "saved");
        fs::remove(folder_ / "Tarquel.log");
        fs::remove(folder_ / "Bench.dwnresult");
        const Timing t = Run(QString::fromStdString((folder_ / "Tarquel").string()),
                             {QString::fromStdString((folder_ / "Bench.dwnparams").string())});
        if (ReadText(folder_ / "Bench.dwnresult") != "OK\r\n") Fail("Tarquel's result is not OK");
        CheckFiles(folder_ / "saved", ".csv", "Tarquel");
        tarquel_.push_back(t);
    }

    void RunCurl(const QString& curl) {
        fs::remove_all(folder_ / "curl");
        fs::create_directories(folder_ / "curl");
        const Timing t =
            Run(curl, {"--parallel", "--parallel-max", "5", "--silent", "--show-error", "--cacert",
                       QString::fromStdString(TestHttpServer::TrustedCertificateFile()), "--config",
                       QString::fromStdString((folder_ / "curl.config").string())});
        CheckFiles(folder_ / "curl", ".html", "curl");
        curl_.push_back(t);
    }

    void Report(const char* name) const {
        const std::string prefix = std::string("tarquel_") + name + "_";
        std::vector<double> speedT, speedC, cpuT, cpuC, ratios, cpuRatios;
        for (size_t r = 0; r < tarquel_.size() && r < curl_.size(); ++r) {
            std::fprintf(
                stderr, "%s round %zu: Tarquel %.2f s (CPU %.2f s), curl %.2f s (CPU %.2f s)\n",
                name, r + 1, tarquel_[r].seconds, tarquel_[r].cpu, curl_[r].seconds, curl_[r].cpu);
            speedT.push_back(kFiles / tarquel_[r].seconds);
            speedC.push_back(kFiles / curl_[r].seconds);
            cpuT.push_back(tarquel_[r].cpu * 1000.0 / kFiles);
            cpuC.push_back(curl_[r].cpu * 1000.0 / kFiles);
            ratios.push_back(curl_[r].seconds / tarquel_[r].seconds);
            cpuRatios.push_back(tarquel_[r].cpu / curl_[r].cpu);
        }
        vel::bench::report((prefix + "tarquel").c_str(), Median(speedT), "files/s");
        vel::bench::report((prefix + "curl").c_str(), Median(speedC), "files/s");
        vel::bench::report((prefix + "ratio").c_str(), Median(ratios), "ratio");
        vel::bench::report((prefix + "tarquel_cpu").c_str(), Median(cpuT), "s/1000files");
        vel::bench::report((prefix + "curl_cpu").c_str(), Median(cpuC), "s/1000files");
        vel::bench::report((prefix + "cpu_ratio").c_str(), Median(cpuRatios), "ratio");
    }

private:
    static double Median(std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v.empty()      ? 0
               : v.size() % 2 ? v[v.size() / 2]
                              : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    }

    fs::path folder_;
    std::vector<Timing> tarquel_;
    std::vector<Timing> curl_;
};

// Where the clients write: a folder in memory (/dev/shm) where there is one. On a disk that
// other processes share, the creation of 10000 files takes from 0.4 s to 4 s, for either
// client alike, as the file system's allocator finds the folder's group full of files just
// deleted elsewhere: that would hide the clients' own cost, as a slow server would.
fs::path BenchFolder() {
    std::error_code ec;
    const fs::path memory = "/dev/shm";
    if (fs::is_directory(memory, ec) && ::access(memory.c_str(), W_OK) == 0) return memory;
    return fs::temp_directory_path();
}

void AgainstNginx() {
    int argc = 1;
    char arg0[] = "bench";
    char* argv[] = {arg0, nullptr};
    QCoreApplication app(argc, argv);
    const fs::path folder = BenchFolder() / ("tarquel-nginx-bench-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    try {
        const fs::path bin = fs::read_symlink("/proc/self/exe").parent_path();
        if (!fs::exists(bin / "Tarquel")) Fail("no Tarquel in " + bin.string());
        const QString curl = QStandardPaths::findExecutable(QStringLiteral("curl"));
        if (curl.isEmpty()) Fail("curl is not installed");
        Nginx nginx(folder / "nginx");
        Comparison http(folder / "http", nginx, false, bin / "Tarquel");
        Comparison https(folder / "https", nginx, true, bin / "Tarquel");
        for (int round = 0; round < kRounds; ++round) {
            // The order alternates, so that neither always runs on a warmer machine.
            for (Comparison* c : {&http, &https}) {
                if (round % 2 == 0) {
                    c->RunTarquel();
                    c->RunCurl(curl);
                } else {
                    c->RunCurl(curl);
                    c->RunTarquel();
                }
            }
        }
        http.Report("http");
        https.Report("https");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        fs::remove_all(folder);
        std::exit(1);
    }
    fs::remove_all(folder);
}

const vel::bench::Register kNginx("tarquel_nginx", AgainstNginx,
                                  {"tarquel_http_tarquel", "tarquel_http_curl",
                                   "tarquel_http_ratio", "tarquel_http_tarquel_cpu",
                                   "tarquel_http_curl_cpu", "tarquel_http_cpu_ratio",
                                   "tarquel_https_tarquel", "tarquel_https_curl",
                                   "tarquel_https_ratio", "tarquel_https_tarquel_cpu",
                                   "tarquel_https_curl_cpu", "tarquel_https_cpu_ratio"});

}  // namespace
