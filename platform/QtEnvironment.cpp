// The environment of a Qt program before its QApplication.
#include "QtEnvironment.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QPluginLoader>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "QtProgramStart.h"

namespace vel {
namespace {

// How long the displays are asked before the program gives up on them and runs offscreen: a
// server that takes the connection and never answers would otherwise hold the start for ever.
constexpr int kDisplayProbeLimitMs = 2000;

// libxcb's functions for the question whether an X display opens: the library that Qt's xcb
// platform uses, loaded only for the question (without it there is no X display to open either).
struct Xcb {
    void* library = nullptr;
    void* (*connect)(const char*, int*) = nullptr;
    int (*hasError)(void*) = nullptr;
    void (*disconnect)(void*) = nullptr;

    Xcb() {
        library = ::dlopen("libxcb.so.1", RTLD_LAZY | RTLD_LOCAL);
        if (!library) return;
        connect = reinterpret_cast<decltype(connect)>(::dlsym(library, "xcb_connect"));
        hasError =
            reinterpret_cast<decltype(hasError)>(::dlsym(library, "xcb_connection_has_error"));
        disconnect = reinterpret_cast<decltype(disconnect)>(::dlsym(library, "xcb_disconnect"));
    }
    ~Xcb() {
        if (library) ::dlclose(library);
    }
    Xcb(const Xcb&) = delete;
    Xcb& operator=(const Xcb&) = delete;

    // True when an X server takes a connection at the display, authentication included, as Qt's
    // xcb platform would make it. Waits as long as the server takes to answer.
    bool Opens(const QByteArray& display) const {
        if (!connect || !hasError || !disconnect) return false;
        // Never null: a connection that failed is an object in its error state.
        void* connection = connect(display.constData(), nullptr);
        const bool opens = hasError(connection) == 0;
        disconnect(connection);
        return opens;
    }
};

// True when Qt finds a platform plugin with this key where it looks for one: the folder that
// QT_QPA_PLATFORM_PLUGIN_PATH names, and "platforms" in each folder of QT_PLUGIN_PATH and in
// Qt's own plugin folder. Reads the plugins' metadata without loading any.
bool QtPlatformPluginPresent(const QString& key) {
    QStringList folders;
    if (const QString direct = qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH");
        !direct.isEmpty())
        folders << direct;
    for (const QString& folder :
         qEnvironmentVariable("QT_PLUGIN_PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts))
        folders << folder + QLatin1String("/platforms");
    folders << QLibraryInfo::path(QLibraryInfo::PluginsPath) + QLatin1String("/platforms");
    for (const QString& folder : folders) {
        const QDir dir(folder);
        for (const QString& name : dir.entryList(QDir::Files)) {
            const QJsonObject meta = QPluginLoader(dir.filePath(name)).metaData();
            if (!meta.value(QLatin1String("IID"))
                     .toString()
                     .startsWith(QLatin1String("org.qt-project.Qt.QPA.QPlatformIntegration")))
                continue;
            const QJsonArray keys = meta.value(QLatin1String("MetaData"))
                                        .toObject()
                                        .value(QLatin1String("Keys"))
                                        .toArray();
            for (const QJsonValue& k : keys)
                if (k.toString().compare(key, Qt::CaseInsensitive) == 0) return true;
        }
    }
    return false;
}

// The question whether an X display opens, asked in a child process, since libxcb waits as long
// as the server takes and cannot be interrupted. Ready() becomes readable when the child has
// answered or ended; the child is killed and reaped with the question.
class XQuestion {
public:
    explicit XQuestion(const QByteArray& display) {
        // Loaded before the fork, so that the child only calls it.
        const Xcb xcb;
        int answer[2];
        if (::pipe2(answer, O_CLOEXEC) != 0) return;
        const pid_t parent = ::getpid();
        child_ = ::fork();
        if (child_ == 0) {
            ::close(answer[0]);
            // A parent that ends during the question takes the child with it.
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::getppid() != parent) ::_exit(0);
            // Nothing of the question reaches the program's output: libxcb writes there why a
            // server refused the connection (no authority, as under a scheduler).
            const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
            if (null < 0 || ::dup2(null, STDOUT_FILENO) < 0 || ::dup2(null, STDERR_FILENO) < 0)
                ::_exit(0);
            const char opens = xcb.Opens(display) ? 'x' : '-';
            while (::write(answer[1], &opens, 1) < 0 && errno == EINTR) {
            }
            ::_exit(0);
        }
        ::close(answer[1]);
        if (child_ > 0)
            ready_ = answer[0];
        else
            ::close(answer[0]);
    }
    ~XQuestion() {
        if (ready_ >= 0) ::close(ready_);
        if (child_ <= 0) return;
        ::kill(child_, SIGKILL);
        while (::waitpid(child_, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    XQuestion(const XQuestion&) = delete;
    XQuestion& operator=(const XQuestion&) = delete;

    // The descriptor to wait on, -1 when the question could not be asked.
    int Ready() const { return ready_; }
    // Once Ready() is readable: true when the display opened.
    bool Answer() const {
        char opens = '-';
        return ::read(ready_, &opens, 1) == 1 && opens == 'x';
    }

private:
    pid_t child_ = -1;
    int ready_ = -1;
};

// The question whether a Wayland compositor answers at the display's socket (a name in
// XDG_RUNTIME_DIR, or a path): one roundtrip on the wire, wl_display.sync, to which any message
// is an answer. A compositor that takes the connection and never answers must not count, since
// Qt's Wayland platform would wait for it for ever. Ready() becomes readable when it answered
// or closed the connection.
class WaylandQuestion {
public:
    explicit WaylandQuestion(const QByteArray& display) {
        QByteArray path = display;
        if (!path.startsWith('/')) {
            const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
            if (runtime.isEmpty()) return;
            path = runtime + '/' + display;
        }
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (static_cast<size_t>(path.size()) >= sizeof address.sun_path) return;
        std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
        // Not blocking: a listener whose backlog is full would hold connect(2).
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0) return;
        // The request in the wire format, 32-bit words in host byte order: the object (the
        // display, 1), the size in bytes << 16 | the opcode (sync, 0), the new callback's id.
        const std::uint32_t sync[3] = {1, 12u << 16 | 0u, 2};
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
            ::send(fd, sync, sizeof sync, MSG_NOSIGNAL) != static_cast<ssize_t>(sizeof sync)) {
            ::close(fd);
            return;
        }
        fd_ = fd;
    }
    ~WaylandQuestion() {
        if (fd_ >= 0) ::close(fd_);
    }
    WaylandQuestion(const WaylandQuestion&) = delete;
    WaylandQuestion& operator=(const WaylandQuestion&) = delete;

    // The descriptor to wait on, -1 when there is no compositor to ask.
    int Ready() const { return fd_; }
    // Once Ready() is readable: true when the compositor sent anything.
    bool Answer() const {
        char reply[64];
        return ::recv(fd_, reply, sizeof reply, MSG_DONTWAIT) > 0;
    }

private:
    int fd_ = -1;
};

struct Displays {
    bool x = false;
    bool wayland = false;
};

// A descriptor that becomes readable while one of the held end signals is pending; it is never
// read, so that the signal stays pending for the end command. -1 when none is held.
class HeldSignalWatch {
public:
    HeldSignalWatch() {
        const sigset_t held = HeldEndSignals();
        if (!sigisemptyset(&held)) fd_ = ::signalfd(-1, &held, SFD_NONBLOCK | SFD_CLOEXEC);
    }
    ~HeldSignalWatch() {
        if (fd_ >= 0) ::close(fd_);
    }
    HeldSignalWatch(const HeldSignalWatch&) = delete;
    HeldSignalWatch& operator=(const HeldSignalWatch&) = delete;
    int Ready() const { return fd_; }

private:
    int fd_ = -1;
};

// Asks the displays side by side, for kDisplayProbeLimitMs at most: one that has not answered by
// then counts as none. A held end signal ends the asking at once, and then none counts: the
// program is ending.
Displays AskDisplays(const QByteArray& x, const QByteArray& wayland) {
    const HeldSignalWatch endSignals;
    std::optional<XQuestion> xQuestion;
    if (!x.isEmpty()) xQuestion.emplace(x);
    std::optional<WaylandQuestion> waylandQuestion;
    if (!wayland.isEmpty()) waylandQuestion.emplace(wayland);
    Displays found;
    pollfd waits[3] = {{xQuestion ? xQuestion->Ready() : -1, POLLIN, 0},
                       {waylandQuestion ? waylandQuestion->Ready() : -1, POLLIN, 0},
                       {endSignals.Ready(), POLLIN, 0}};
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kDisplayProbeLimitMs);
    while (waits[0].fd >= 0 || waits[1].fd >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        const int n = ::poll(waits, 3, static_cast<int>(left.count()));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        if (waits[2].revents != 0) return Displays{};
        // A descriptor that is ready has answered (poll ignores the negative ones).
        if (waits[0].revents != 0) {
            found.x = xQuestion->Answer();
            waits[0].fd = -1;
        }
        if (waits[1].revents != 0) {
            found.wayland = waylandQuestion->Answer();
            waits[1].fd = -1;
        }
    }
    return found;
}

}  // namespace

const char* ProbeQtPlatforms(bool waylandPlugin) {
    const QByteArray x = qgetenv("DISPLAY");
    const QByteArray wayland = waylandPlugin ? qgetenv("WAYLAND_DISPLAY") : QByteArray();
    if (x.isEmpty() && wayland.isEmpty()) return "offscreen";
    const Displays found = AskDisplays(x, wayland);
    if (found.wayland) return found.x ? "wayland;xcb" : "wayland;offscreen";
    return found.x ? "xcb" : "offscreen";
}

void PrepareQtEnvironment(bool offscreen) {
    // A platform the user chose stays the user's, and the displays are then not asked. Otherwise
    // the choice is named, so that Qt tries no platform the probe has ruled out: it would put
    // Wayland first whenever WAYLAND_DISPLAY is set, and warn or hang where there is none.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        const bool waylandPlugin = !offscreen && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
                                   QtPlatformPluginPresent(QStringLiteral("wayland"));
        qputenv("QT_QPA_PLATFORM", offscreen ? "offscreen" : ProbeQtPlatforms(waylandPlugin));
    }
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const std::string folder = "/tmp/runtime-" + std::to_string(::getuid());
        ::mkdir(folder.c_str(), 0700);
        struct stat st {};
        // Only a folder of our own that nobody else can read is taken.
        if (::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
            (st.st_mode & 0777) == 0700)
            qputenv("XDG_RUNTIME_DIR", folder.c_str());
    }
}

bool PlatformHasDisplay(const QString& platformName) {
    return !platformName.startsWith(QLatin1String("offscreen")) &&
           !platformName.startsWith(QLatin1String("minimal"));
}

}  // namespace vel
