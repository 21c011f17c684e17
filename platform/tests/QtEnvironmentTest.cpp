// The environment a Qt program prepares before its QApplication: a session without a runtime
// folder (a scheduler, CI) gets a private one, so that Qt asks for it without a warning, a
// display that Qt cannot use (gone, silent, or Wayland without Qt's plugin) means offscreen, and
// the platforms of the displays that answer are named.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QLibraryInfo>
#include <QObject>
#include <QStandardPaths>
#include <QString>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "QtEnvironment.h"
#include "QtProgramStart.h"
#include "SilentListener.h"

namespace vel {
namespace {

using testing::SilentListener;

std::vector<std::string> qtMessages;

void Collect(QtMsgType, const QMessageLogContext&, const QString& text) {
    qtMessages.push_back(text.toStdString());
}

TEST(QtEnvironment, WithoutARuntimeFolderQtFindsAPrivateOneWithoutAWarning) {
    const char* had = std::getenv("XDG_RUNTIME_DIR");
    const std::optional<std::string> before = had ? std::optional<std::string>(had) : std::nullopt;
    ::unsetenv("XDG_RUNTIME_DIR");

    PrepareQtEnvironment(true);
    const char* folder = std::getenv("XDG_RUNTIME_DIR");
    qtMessages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(Collect);
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    qInstallMessageHandler(previous);

    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(runtime.toStdString(), folder);
    struct stat st {};
    ASSERT_EQ(::lstat(folder, &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_uid, ::getuid());
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(qtMessages, std::vector<std::string>());

    if (before)
        ::setenv("XDG_RUNTIME_DIR", before->c_str(), 1);
    else
        ::unsetenv("XDG_RUNTIME_DIR");
}

// Sets or (with nullptr) removes an environment variable for one test, and restores it.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        if (const char* had = std::getenv(name)) before_ = had;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedVariable() { before_ ? ::setenv(name_, before_->c_str(), 1) : ::unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> before_;
};

// A display number at which no X server listens.
std::string DeadXDisplay() {
    int n = 77;
    while (::access(("/tmp/.X11-unix/X" + std::to_string(n)).c_str(), F_OK) == 0) ++n;
    std::string display = ":";
    return display += std::to_string(n);
}

// A folder of the test's own, removed with everything in it at the end.
class ScopedFolder {
public:
    ScopedFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vel-display-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~ScopedFolder() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

TEST(QtEnvironment, ADisplayThatCannotBeOpenedMeansOffscreenUnlessTheUserChoseAPlatform) {
    const std::string dead = DeadXDisplay();
    const SilentListener silent = SilentListener::AtXDisplay();
    ASSERT_FALSE(silent.Name().empty());
    const ScopedFolder folder;
    const SilentListener wayland = SilentListener::AtPath(folder.Path() + "/wayland-0");
    ASSERT_FALSE(wayland.Name().empty());
    const ScopedVariable runtime("XDG_RUNTIME_DIR", "/tmp");
    struct Case {
        const char* display;
        const char* wayland;
        const char* platform;
    };
    for (const Case& c :
         {Case{dead.c_str(), nullptr, "offscreen"}, Case{nullptr, "wayland-gone-77", "offscreen"},
          Case{silent.Name().c_str(), nullptr, "offscreen"},
          Case{dead.c_str(), wayland.Name().c_str(), "offscreen"}}) {
        const ScopedVariable setX("DISPLAY", c.display);
        const ScopedVariable setWayland("WAYLAND_DISPLAY", c.wayland);
        {
            const ScopedVariable platform("QT_QPA_PLATFORM", nullptr);
            const auto start = std::chrono::steady_clock::now();
            PrepareQtEnvironment();
            const auto took = std::chrono::steady_clock::now() - start;
            EXPECT_STREQ(std::getenv("QT_QPA_PLATFORM"), c.platform)
                << (c.display ? c.display : "") << " " << (c.wayland ? c.wayland : "");
            // A server that takes the connection and never answers costs the probe's limit.
            EXPECT_LT(took, std::chrono::seconds(4)) << (c.display ? c.display : "");
        }
        const ScopedVariable platform("QT_QPA_PLATFORM", "xcb");
        PrepareQtEnvironment();
        EXPECT_STREQ(std::getenv("QT_QPA_PLATFORM"), "xcb");
    }
}

TEST(QtEnvironment, AHeldEndSignalEndsTheProbeAtOnceAndStaysPendingForTheEndCommand) {
    const SilentListener silent = SilentListener::AtXDisplay();
    ASSERT_FALSE(silent.Name().empty());
    const ScopedVariable setX("DISPLAY", silent.Name().c_str());
    const ScopedVariable setWayland("WAYLAND_DISPLAY", nullptr);
    HoldEndSignals();
    // Sent to this thread alone: another thread of the test program would take it unheld.
    const pthread_t prober = ::pthread_self();
    std::thread sender([prober] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ::pthread_kill(prober, SIGTERM);
    });
    const auto start = std::chrono::steady_clock::now();
    const std::string platforms = ProbeQtPlatforms(false);
    const auto took = std::chrono::steady_clock::now() - start;
    sender.join();
    EXPECT_EQ(platforms, "offscreen");
    EXPECT_LT(took, std::chrono::milliseconds(1500));
    sigset_t pending;
    ::sigpending(&pending);
    EXPECT_TRUE(sigismember(&pending, SIGTERM));

    // Taken here, so that the test program lives on, and the hold released.
    sigset_t term;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    const timespec now{};
    EXPECT_EQ(::sigtimedwait(&term, nullptr, &now), SIGTERM);
    QObject parent;
    RouteEndSignals(&parent, [] {});
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) std::signal(number, SIG_DFL);
}

// An X server of the test's own (Xvfb at the first free display number, which it reports),
// ended with its owner. It does not reset when its last client leaves, since a connection
// during the reset would be refused. With an authority file it takes only the clients that
// show a cookie of the file.
class TestXvfb {
public:
    explicit TestXvfb(const std::string& authority = "") {
        int ready[2];
        if (::pipe2(ready, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, ready[1], 3);
        std::vector<std::string> arguments = {"Xvfb",      "-displayfd", "3",
                                              "-nolisten", "tcp",        "-noreset"};
        if (!authority.empty()) arguments.insert(arguments.end(), {"-auth", authority});
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        if (::posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(ready[1]);
        std::string number;
        pollfd wait{ready[0], POLLIN, 0};
        char c = 0;
        while (pid_ > 0 && ::poll(&wait, 1, 10000) > 0 && ::read(ready[0], &c, 1) == 1 && c != '\n')
            number += c;
        ::close(ready[0]);
        if (c == '\n' && !number.empty()) display_ = ":" + number;
    }
    ~TestXvfb() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    TestXvfb(const TestXvfb&) = delete;
    TestXvfb& operator=(const TestXvfb&) = delete;
    // ":<n>", "" when the server did not come up.
    const std::string& Display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

// A Wayland compositor reduced to its first roundtrip, on a thread of its own: it answers a
// wl_display.sync (as the wire carries it: object 1, size 12 << 16 | opcode 0, the callback's
// id) with the callback's done event, and closes every other connection without a word.
class AnsweringCompositor {
public:
    explicit AnsweringCompositor(const std::string& path) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.data(),
                    std::min(path.size(), sizeof address.sun_path - 1));
        listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (listener_ < 0 ||
            ::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_, 8) != 0)
            return;
        path_ = path;
        thread_ = std::thread([this] { Serve(); });
    }
    ~AnsweringCompositor() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (listener_ >= 0) ::close(listener_);
    }
    AnsweringCompositor(const AnsweringCompositor&) = delete;
    AnsweringCompositor& operator=(const AnsweringCompositor&) = delete;
    // The socket's path, "" when it could not listen.
    const std::string& Path() const { return path_; }

private:
    void Serve() {
        while (!stop_) {
            pollfd waiting{listener_, POLLIN, 0};
            if (::poll(&waiting, 1, 50) <= 0) continue;
            const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) continue;
            std::uint32_t request[3] = {};
            pollfd reading{client, POLLIN, 0};
            if (::poll(&reading, 1, 1000) > 0 &&
                ::recv(client, request, sizeof request, MSG_WAITALL) == sizeof request &&
                request[0] == 1 && request[1] == (12u << 16 | 0u)) {
                const std::uint32_t done[3] = {request[2], 12u << 16 | 0u, 1};
                [[maybe_unused]] const auto sent = ::send(client, done, sizeof done, MSG_NOSIGNAL);
            }
            ::close(client);
        }
    }
    int listener_ = -1;
    std::string path_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// What the probe names for the displays of one case, and that it names it within the limit.
struct ProbeCase {
    const char* display;
    const char* wayland;
    bool waylandPlugin;
    const char* platforms;
};

void ExpectProbeNames(const ProbeCase& c) {
    const ScopedVariable setX("DISPLAY", c.display);
    const ScopedVariable setWayland("WAYLAND_DISPLAY", c.wayland);
    const auto start = std::chrono::steady_clock::now();
    const std::string platforms = ProbeQtPlatforms(c.waylandPlugin);
    const auto took = std::chrono::steady_clock::now() - start;
    const std::string what = std::string("DISPLAY=") + (c.display ? c.display : "") +
                             " WAYLAND_DISPLAY=" + (c.wayland ? c.wayland : "") +
                             (c.waylandPlugin ? " with" : " without") + " the Wayland plugin";
    EXPECT_EQ(platforms, c.platforms) << what;
    // Displays that never answer, X and Wayland together, cost the one limit of about 2 s.
    EXPECT_LT(took, std::chrono::milliseconds(3500)) << what;
}

TEST(QtEnvironment, AWaylandDisplayCountsWhenItsCompositorAnswersBesideASilentX) {
    const ScopedFolder folder;
    const ScopedVariable runtime("XDG_RUNTIME_DIR", folder.Path().c_str());
    const AnsweringCompositor compositor(folder.Path() + "/wayland-0");
    ASSERT_FALSE(compositor.Path().empty());
    const SilentListener hung = SilentListener::AtPath(folder.Path() + "/wayland-hung");
    ASSERT_FALSE(hung.Name().empty());
    const SilentListener silentX = SilentListener::AtXDisplay();
    ASSERT_FALSE(silentX.Name().empty());
    const std::string dead = DeadXDisplay();
    const char* const x = silentX.Name().c_str();
    for (const ProbeCase& c : {
             ProbeCase{nullptr, "wayland-0", true, "wayland;offscreen"},
             ProbeCase{nullptr, compositor.Path().c_str(), true, "wayland;offscreen"},
             ProbeCase{nullptr, "wayland-0", false, "offscreen"},
             ProbeCase{dead.c_str(), "wayland-0", true, "wayland;offscreen"},
             // Asked side by side: the X server that never answers does not use up the limit.
             ProbeCase{x, "wayland-0", true, "wayland;offscreen"},
             // A hung compositor takes the connection and never answers.
             ProbeCase{nullptr, "wayland-hung", true, "offscreen"},
         })
        ExpectProbeNames(c);
}

// The cases that need a real X server: skipped where Xvfb is not installed, failed under CI.
class QtEnvironmentOnX : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()) return;
        if (std::getenv("CI") != nullptr)
            FAIL() << "Xvfb is not installed; tools/ensure-deps.sh installs it as root";
        GTEST_SKIP() << "Xvfb is not installed; tools/ensure-deps.sh installs it as root";
    }
};

TEST_F(QtEnvironmentOnX, AnXDisplayThatAnswersIsNamedSoThatQtTriesNoMissingWayland) {
    const TestXvfb server;
    ASSERT_FALSE(server.Display().empty()) << "Xvfb did not come up";
    const ScopedFolder folder;
    const ScopedVariable runtime("XDG_RUNTIME_DIR", folder.Path().c_str());
    const AnsweringCompositor compositor(folder.Path() + "/wayland-0");
    ASSERT_FALSE(compositor.Path().empty());
    const SilentListener hung = SilentListener::AtPath(folder.Path() + "/wayland-hung");
    ASSERT_FALSE(hung.Name().empty());
    const char* const x = server.Display().c_str();
    for (const ProbeCase& c : {
             ProbeCase{x, nullptr, true, "xcb"},
             ProbeCase{x, "wayland-0", true, "wayland;xcb"},
             // An XWayland session without Qt's Wayland plugin.
             ProbeCase{x, "wayland-0", false, "xcb"},
             ProbeCase{x, "wayland-hung", true, "xcb"},
         })
        ExpectProbeNames(c);

    // Named in the environment, where Qt would otherwise put Wayland first; the plugin is looked
    // for in Qt's own folder alone.
    const ScopedVariable setX("DISPLAY", x);
    const ScopedVariable setWayland("WAYLAND_DISPLAY", "wayland-0");
    const ScopedVariable pluginPath("QT_PLUGIN_PATH", nullptr);
    const ScopedVariable platformPluginPath("QT_QPA_PLATFORM_PLUGIN_PATH", nullptr);
    const ScopedVariable platform("QT_QPA_PLATFORM", nullptr);
    PrepareQtEnvironment();
    const bool waylandPlugin = QFile::exists(QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                                             QLatin1String("/platforms/libqwayland-generic.so"));
    EXPECT_STREQ(std::getenv("QT_QPA_PLATFORM"), waylandPlugin ? "wayland;xcb" : "xcb");
}

// An authority file with one entry for every display: the cookie (MIT-MAGIC-COOKIE-1, 16 bytes)
// in the file format of libXau, each field a big-endian length and its bytes behind the family.
void WriteAuthority(const std::string& path) {
    std::string entry = {'\xff', '\xff'};  // FamilyWild
    for (const std::string& field :
         {std::string(), std::string(), std::string("MIT-MAGIC-COOKIE-1"),
          std::string("0123456789abcdef")}) {
        entry += static_cast<char>(field.size() >> 8);
        entry += static_cast<char>(field.size() & 0xff);
        entry += field;
    }
    std::ofstream(path, std::ios::binary) << entry;
}

// What the process writes on its stderr while `work` runs.
template <typename Work>
std::string StderrOf(Work work) {
    std::fflush(stderr);
    FILE* captured = std::tmpfile();
    if (!captured) return "(no temporary file to capture stderr)";
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(::fileno(captured), STDERR_FILENO);
    work();
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    std::string text;
    std::rewind(captured);
    for (int c; (c = std::fgetc(captured)) != EOF;) text += static_cast<char>(c);
    std::fclose(captured);
    return text;
}

TEST_F(QtEnvironmentOnX, AnXServerThatWantsAuthorityIsNoDisplayWithoutItAndSaysNothing) {
    const ScopedFolder folder;
    const std::string authority = folder.Path() + "/authority";
    WriteAuthority(authority);
    const TestXvfb server(authority);
    ASSERT_FALSE(server.Display().empty()) << "Xvfb did not come up";
    const ScopedVariable setX("DISPLAY", server.Display().c_str());
    const ScopedVariable setWayland("WAYLAND_DISPLAY", nullptr);
    {
        // As under cron: no authority at all.
        const ScopedVariable noAuthority("XAUTHORITY", (folder.Path() + "/none").c_str());
        std::string platforms;
        EXPECT_EQ(StderrOf([&] { platforms = ProbeQtPlatforms(false); }), "");
        EXPECT_EQ(platforms, "offscreen");
    }
    const ScopedVariable withAuthority("XAUTHORITY", authority.c_str());
    EXPECT_STREQ(ProbeQtPlatforms(false), "xcb");
}

}  // namespace
}  // namespace vel
