// What a server's outage, or a server or save folder that is down, costs a daily download: the
// program Tarquel runs unattended beside the benchmark (its parameters file, its log, its result
// file, as a Vellicor run starts it), against nginx on loopback that serves pages of 2 KB at 30
// requests a second (tools/ensure-deps.sh installs it):
//   tarquel_outage_<n>s_lost, _seconds  2000 pages; nginx is stopped once 300 files have arrived
//                                       and started again on its port n s later (n = 3, 10, 18,
//                                       40, 55): the files lost (aim: 0) and the run's seconds;
//   tarquel_503_window_errors, _lost    2000 pages; nginx answers 503 for 3 s once 300 have
//                                       arrived: the error pages saved and the files lost (aim: 0);
//   tarquel_refused_<n>_seconds         n = 200, 2000 URLs of a port that refuses (aim: under 90);
//   tarquel_silent_200_seconds          200 URLs of a server that takes connections and never
//                                       answers (aim: under 300);
//   tarquel_interleaved_seconds, _lost  100 URLs, every second one of a port that refuses: the
//                                       run's seconds (aim: under 90) and the live files lost;
//   tarquel_full_folder_seconds         2000 pages into a save folder of 2 MiB (a tmpfs, so only
//                                       as root; skipped otherwise): the seconds (aim: under 90).
// Each run's log counts go to stderr.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>

#include "Bench.h"
#include "BenchFiles.h"
#include "TestNginx.h"

namespace {

namespace fs = std::filesystem;
using vel::testing::TestNginx;

constexpr std::size_t kPageSize = 2048;
constexpr int kArrivedBeforeOutage = 300;

using vel::bench::Fail;
using vel::bench::ReadText;
using vel::bench::WriteText;

std::string Page() {
    std::string page;
    for (int line = 0; page.size() < kPageSize; ++line)
        page += "Line " + std::to_string(line) + " of the daily page\r\n";
    page.resize(kPageSize);
    return page;
}

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    return address;
}

// A loopback socket bound to a free port; listening (a server that takes connections and never
// answers: the system completes them, nobody reads) or not (the port then refuses).
class Socket {
public:
    explicit Socket(bool listening) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address = Loopback(0);
        socklen_t length = sizeof address;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
            (listening && ::listen(fd_, 4096) != 0))
            Fail("no loopback socket");
        port_ = ntohs(address.sin_port);
    }
    ~Socket() { ::close(fd_); }
    std::string Url(int n) const {
        return "http://127.0.0.1:" + std::to_string(port_) + "/f/" + std::to_string(n) + ".html";
    }

private:
    int fd_ = -1;
    int port_ = 0;
};

// nginx serving the page for every path under /f/, paced at 30 requests a second (the requests
// beyond wait in nginx), and answering 503 while the file "busy" of its folder exists.
class Nginx {
public:
    explicit Nginx(const fs::path& folder) : busy_(folder / "busy") {
        if (TestNginx::Program().empty())
            Fail("nginx is not installed (tools/ensure-deps.sh installs it)");
        fs::create_directories(folder / "www");
        WriteText(folder / "www" / "page.html", Page());
        if (!nginx_.Start((folder / "server").string(), (folder / "www").string(),
                          "access_log off;\n    location /f/ {\n      if (-f " + busy_.string() +
                              ") { return 503; }\n      limit_req zone=pace burst=10000;\n"
                              "      try_files /page.html =404;\n    }",
                          "limit_req_zone $binary_remote_addr zone=pace:1m rate=30r/s;"))
            Fail(nginx_.Error());
    }
    std::string Url(int n) const { return nginx_.HttpUrl("/f/" + std::to_string(n) + ".html"); }
    void Stop() { nginx_.Stop(); }
    void Restart() {
        if (!nginx_.Restart()) Fail(nginx_.Error());
    }
    void SetBusy(bool busy) {
        std::error_code ec;
        if (busy)
            WriteText(busy_, "");
        else
            fs::remove(busy_, ec);
    }

private:
    fs::path busy_;
    TestNginx nginx_;
};

// The files 1..count of a run's list that its save folder holds.
struct Saved {
    int whole = 0;   // holding the page
    int others = 0;  // holding something else (an error page)
};

Saved Count(const fs::path& folder, int count) {
    static const std::string page = Page();
    Saved saved;
    for (int i = 1; i <= count; ++i) {
        const fs::path file = folder / (std::to_string(i) + ".html");
        std::error_code ec;
        if (!fs::exists(file, ec)) continue;
        (ReadText(file) == page ? saved.whole : saved.others) += 1;
    }
    return saved;
}

// The files of the save folder so far (the list's note and temporaries not counted).
int Arrived(const fs::path& folder) {
    int n = 0;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        n += it->path().extension() == ".html" && it->path().filename().string()[0] != '.';
    return n;
}

// One unattended Tarquel run over a list, in a folder of its own with its copy of the program.
class TarquelRun {
public:
    TarquelRun(const fs::path& folder, const fs::path& program, const std::string& name)
        : folder_(folder / name) {
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "saved");
        fs::copy_file(program, folder_ / "Tarquel");
    }
    fs::path SaveFolder() const { return folder_ / "saved"; }
    // Runs the list of the URLs, calling `watch` every 50 ms meanwhile; the run's seconds.
    double Run(int count, const std::function<std::string(int)>& url,
               const std::function<void(double seconds)>& watch = nullptr) {
        count_ = count;
        std::string list;
        for (int i = 1; i <= count; ++i)
            list += "SaveTo(" + std::to_string(i) + ".html):" + url(i) + "\r\n";
        WriteText(folder_ / "Daily.eodurls", list);
        WriteText(folder_ / "Daily.dwnparams", (folder_ / "Daily.eodurls").string() + "\r\n" +
                                                   SaveFolder().string() + "/\r\n" +
                                                   (folder_ / "Daily.dwnresult").string() + "\r\n");
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "http_proxy",
                                 "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
            env.remove(QString::fromLatin1(name));
        process.setProcessEnvironment(env);
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        QElapsedTimer clock;
        clock.start();
        process.start(QString::fromStdString((folder_ / "Tarquel").string()),
                      {QString::fromStdString((folder_ / "Daily.dwnparams").string())});
        if (!process.waitForStarted(10000)) Fail("Tarquel did not start");
        while (!process.waitForFinished(50))
            if (watch) watch(static_cast<double>(clock.elapsed()) / 1000.0);
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            Fail("Tarquel ended with status " + std::to_string(process.exitCode()));
        return seconds;
    }
    Saved Files() const { return Count(SaveFolder(), count_); }
    // The log's lines that hold the text.
    int LogLines(const std::string& text) const {
        std::ifstream in(folder_ / "Tarquel.log");
        int n = 0;
        for (std::string line; std::getline(in, line);) n += line.find(text) != std::string::npos;
        return n;
    }
    void Describe(const char* name, double seconds) const {
        const Saved s = Files();
        std::fprintf(stderr,
                     "%s: %.1f s, %d of %d files whole, %d others; log: %d failed attempts, %d "
                     "outages, %d ended, %d budgets spent, %d given up\n",
                     name, seconds, s.whole, count_, s.others, LogLines("Failed attempt"),
                     LogLines(" >> Outage of ") - LogLines(" ended: ") - LogLines(" budget of "),
                     LogLines(" ended: "), LogLines(" budget of "), LogLines("Given up"));
    }

private:
    fs::path folder_;
    int count_ = 0;
};

struct Setting {
    Setting() : app(argc, argv) {
        folder = fs::temp_directory_path() / ("tarquel-outage-bench-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        program = fs::read_symlink("/proc/self/exe").parent_path() / "Tarquel";
        if (!fs::exists(program)) Fail("no Tarquel in " + program.parent_path().string());
    }
    ~Setting() {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
    int argc = 1;
    char arg0[8] = "bench";
    char* argv[2] = {arg0, nullptr};
    QCoreApplication app;
    fs::path folder;
    fs::path program;
};

// Runs the benchmark's body; a failure is printed and ends the benchmark with status 1.
void Guarded(const std::function<void(Setting&)>& body) {
    try {
        Setting s;
        body(s);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        std::exit(1);
    }
}

void Outage(int outageSeconds) {
    Guarded([&](Setting& s) {
        Nginx nginx(s.folder / "nginx");
        TarquelRun run(s.folder, s.program, "run");
        double stoppedAt = -1;
        const double seconds = run.Run(
            2000, [&](int i) { return nginx.Url(i); },
            [&](double now) {
                if (stoppedAt < 0 && Arrived(run.SaveFolder()) >= kArrivedBeforeOutage) {
                    nginx.Stop();
                    stoppedAt = now;
                } else if (stoppedAt >= 0 && now - stoppedAt >= outageSeconds) {
                    nginx.Restart();
                    stoppedAt = 1e9;
                }
            });
        const std::string name = "tarquel_outage_" + std::to_string(outageSeconds) + "s";
        run.Describe(name.c_str(), seconds);
        vel::bench::report((name + "_lost").c_str(), 2000 - run.Files().whole, "files");
        vel::bench::report((name + "_seconds").c_str(), seconds, "s");
    });
}

void BusyWindow() {
    Guarded([&](Setting& s) {
        Nginx nginx(s.folder / "nginx");
        TarquelRun run(s.folder, s.program, "run");
        double busySince = -1;
        const double seconds = run.Run(
            2000, [&](int i) { return nginx.Url(i); },
            [&](double now) {
                if (busySince < 0 && Arrived(run.SaveFolder()) >= kArrivedBeforeOutage) {
                    nginx.SetBusy(true);
                    busySince = now;
                } else if (busySince >= 0 && now - busySince >= 3) {
                    nginx.SetBusy(false);
                    busySince = 1e9;
                }
            });
        run.Describe("tarquel_503_window", seconds);
        vel::bench::report("tarquel_503_window_errors", run.Files().others, "files");
        vel::bench::report("tarquel_503_window_lost", 2000 - run.Files().whole, "files");
    });
}

void Refused(int count) {
    Guarded([&](Setting& s) {
        const Socket refusing(false);
        TarquelRun run(s.folder, s.program, "run");
        const double seconds = run.Run(count, [&](int i) { return refusing.Url(i); });
        const std::string name = "tarquel_refused_" + std::to_string(count);
        run.Describe(name.c_str(), seconds);
        vel::bench::report((name + "_seconds").c_str(), seconds, "s");
    });
}

void Silent() {
    Guarded([&](Setting& s) {
        const Socket silent(true);
        TarquelRun run(s.folder, s.program, "run");
        const double seconds = run.Run(200, [&](int i) { return silent.Url(i); });
        run.Describe("tarquel_silent_200", seconds);
        vel::bench::report("tarquel_silent_200_seconds", seconds, "s");
    });
}

void Interleaved() {
    Guarded([&](Setting& s) {
        Nginx nginx(s.folder / "nginx");
        const Socket refusing(false);
        TarquelRun run(s.folder, s.program, "run");
        const double seconds =
            run.Run(100, [&](int i) { return i % 2 ? nginx.Url(i) : refusing.Url(i); });
        run.Describe("tarquel_interleaved", seconds);
        vel::bench::report("tarquel_interleaved_seconds", seconds, "s");
        vel::bench::report("tarquel_interleaved_lost", 50 - run.Files().whole, "files");
    });
}

void FullFolder() {
    Guarded([&](Setting& s) {
        Nginx nginx(s.folder / "nginx");
        TarquelRun run(s.folder, s.program, "run");
        const std::string target = run.SaveFolder().string();
        if (::mount("tmpfs", target.c_str(), "tmpfs", 0, "size=2m") != 0) {
            std::fprintf(stderr,
                         "tarquel_full_folder: a tmpfs of 2 MiB cannot be mounted "
                         "(root only): skipped\n");
            return;
        }
        double seconds = 0;
        try {
            seconds = run.Run(2000, [&](int i) { return nginx.Url(i); });
        } catch (...) {
            ::umount(target.c_str());
            throw;
        }
        run.Describe("tarquel_full_folder", seconds);
        ::umount(target.c_str());
        vel::bench::report("tarquel_full_folder_seconds", seconds, "s");
    });
}

const vel::bench::Register kOutages("tarquel_outage",
                                    [] {
                                        for (const int n : {3, 10, 18, 40, 55}) Outage(n);
                                    },
                                    {"tarquel_outage_3s_lost", "tarquel_outage_3s_seconds",
                                     "tarquel_outage_10s_lost", "tarquel_outage_10s_seconds",
                                     "tarquel_outage_18s_lost", "tarquel_outage_18s_seconds",
                                     "tarquel_outage_40s_lost", "tarquel_outage_40s_seconds",
                                     "tarquel_outage_55s_lost", "tarquel_outage_55s_seconds"});
const vel::bench::Register kBusy("tarquel_503_window", BusyWindow,
                                 {"tarquel_503_window_errors", "tarquel_503_window_lost"});
const vel::bench::Register kRefused("tarquel_refused",
                                    [] {
                                        Refused(200);
                                        Refused(2000);
                                    },
                                    {"tarquel_refused_200_seconds",
                                     "tarquel_refused_2000_seconds"});
const vel::bench::Register kSilent("tarquel_silent", Silent, {"tarquel_silent_200_seconds"});
const vel::bench::Register kInterleaved("tarquel_interleaved", Interleaved,
                                        {"tarquel_interleaved_seconds",
                                         "tarquel_interleaved_lost"});
const vel::bench::Register kFullFolder("tarquel_full_folder", FullFolder,
                                       {"tarquel_full_folder_seconds"});

}  // namespace
