// The environment a Qt program prepares before its QApplication: a session without a runtime
// folder (a scheduler, CI) gets a private one, so that Qt asks for it without a warning, and a
// display that Qt cannot use (gone, silent, or Wayland without Qt's plugin) means offscreen.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
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
#include <QStandardPaths>
#include <QString>
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "QtEnvironment.h"

namespace vel {
namespace {

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

// A stream socket that listens and takes every connection without ever answering.
class SilentListener {
public:
    // At an X display ":<n>" of the first free n from 300 (the abstract socket that an X server
    // of that number binds, and that libxcb tries first).
    static SilentListener AtXDisplay() {
        SilentListener listener;
        for (int n = 300; n < 400 && listener.name_.empty(); ++n) {
            const std::string number = std::to_string(n);
            std::string file = "/tmp/.X11-unix/X";
            file += number;
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::memcpy(address.sun_path + 1, file.data(), file.size());
            std::string display = ":";
            display += number;
            if (listener.Listen(address, offsetof(sockaddr_un, sun_path) + 1 + file.size()))
                listener.name_ = display;
        }
        return listener;
    }
    // At a socket file of this path.
    static SilentListener AtPath(const std::string& path) {
        SilentListener listener;
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.data(),
                    std::min(path.size(), sizeof address.sun_path - 1));
        if (listener.Listen(address, sizeof address)) listener.name_ = path;
        return listener;
    }
    SilentListener(SilentListener&& other) noexcept
        : fd_(std::exchange(other.fd_, -1)), name_(std::move(other.name_)) {}
    ~SilentListener() {
        if (fd_ >= 0) ::close(fd_);
    }
    // The display name or path, "" when no socket could be bound.
    const std::string& Name() const { return name_; }

private:
    SilentListener() = default;
    bool Listen(const sockaddr_un& address, size_t length) {
        if (fd_ < 0) fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        return fd_ >= 0 &&
               ::bind(fd_, reinterpret_cast<const sockaddr*>(&address),
                      static_cast<socklen_t>(length)) == 0 &&
               ::listen(fd_, 8) == 0;
    }
    int fd_ = -1;
    std::string name_;
};

TEST(QtEnvironment, ADisplayThatCannotBeOpenedMeansOffscreenUnlessTheUserChoseAPlatform) {
    const std::string dead = DeadXDisplay();
    const SilentListener silent = SilentListener::AtXDisplay();
    ASSERT_FALSE(silent.Name().empty());
    const ScopedFolder folder;
    const SilentListener wayland = SilentListener::AtPath(folder.Path() + "/wayland-0");
    ASSERT_FALSE(wayland.Name().empty());
    // This Qt has no Wayland platform: a Wayland display alone is none that it can open.
    const bool waylandPlugin = QFile::exists(QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                                             QLatin1String("/platforms/libqwayland-generic.so"));
    const char* const waylandPlatform = waylandPlugin ? "wayland;offscreen" : "offscreen";
    const ScopedVariable runtime("XDG_RUNTIME_DIR", "/tmp");
    struct Case {
        const char* display;
        const char* wayland;
        const char* platform;
    };
    for (const Case& c :
         {Case{dead.c_str(), nullptr, "offscreen"}, Case{nullptr, "wayland-gone-77", "offscreen"},
          Case{silent.Name().c_str(), nullptr, "offscreen"},
          Case{dead.c_str(), wayland.Name().c_str(), waylandPlatform}}) {
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

// An X server of the test's own (Xvfb at the first free display number, which it reports),
// ended with its owner.
class TestXvfb {
public:
    TestXvfb() {
        int ready[2];
        if (::pipe2(ready, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, ready[1], 3);
        char* const argv[] = {const_cast<char*>("Xvfb"), const_cast<char*>("-displayfd"),
                              const_cast<char*>("3"),    const_cast<char*>("-nolisten"),
                              const_cast<char*>("tcp"),  nullptr};
        if (::posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv, environ) != 0) pid_ = -1;
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

TEST(QtEnvironment, AnXDisplayThatAnswersIsLeftToQt) {
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()) {
        if (std::getenv("CI") != nullptr)
            FAIL() << "Xvfb is not installed; tools/ensure-deps.sh installs it as root";
        GTEST_SKIP() << "Xvfb is not installed; tools/ensure-deps.sh installs it as root";
    }
    const TestXvfb server;
    ASSERT_FALSE(server.Display().empty()) << "Xvfb did not come up";
    const ScopedVariable setX("DISPLAY", server.Display().c_str());
    const ScopedVariable setWayland("WAYLAND_DISPLAY", nullptr);
    const ScopedVariable platform("QT_QPA_PLATFORM", nullptr);
    PrepareQtEnvironment();
    EXPECT_EQ(std::getenv("QT_QPA_PLATFORM"), nullptr) << server.Display();
}

}  // namespace
}  // namespace vel
