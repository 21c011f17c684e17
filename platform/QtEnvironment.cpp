// The environment of a Qt program before its QApplication.
#include "QtEnvironment.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
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
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <string>

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

// True when a Wayland compositor listens at the display's socket (a name in XDG_RUNTIME_DIR, or
// a path).
bool WaylandDisplayOpens(const QByteArray& display) {
    QByteArray path = display;
    if (!path.startsWith('/')) {
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        if (runtime.isEmpty()) return false;
        path = runtime + '/' + display;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (static_cast<size_t>(path.size()) >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool opens =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return opens;
}

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

enum class Display { None, X, Wayland };

// Asks the displays in a child process, so that a server that never answers costs no more than
// kDisplayProbeLimitMs: after that the child is killed and no display counts. The child writes
// one byte: 'x' when the X display opens, else 'w' when the Wayland socket answers.
Display AskDisplays(const QByteArray& x, const QByteArray& wayland) {
    // Loaded before the fork, so that the child only calls it; not at all without an X display.
    std::optional<Xcb> xcb;
    if (!x.isEmpty()) xcb.emplace();
    int result[2];
    if (::pipe2(result, O_CLOEXEC) != 0) return Display::None;
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(result[0]);
        // A parent that ends during the question takes the child with it.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(0);
        const char answer = xcb && xcb->Opens(x)                                 ? 'x'
                            : !wayland.isEmpty() && WaylandDisplayOpens(wayland) ? 'w'
                                                                                 : '-';
        while (::write(result[1], &answer, 1) < 0 && errno == EINTR) {
        }
        ::_exit(0);
    }
    ::close(result[1]);
    char answer = '-';
    if (child > 0) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(kDisplayProbeLimitMs);
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd ready{result[0], POLLIN, 0};
            const int n = ::poll(&ready, 1, static_cast<int>(std::max<long long>(left.count(), 0)));
            if (n < 0 && errno == EINTR) continue;
            if (n > 0 && ::read(result[0], &answer, 1) != 1) answer = '-';
            break;
        }
        ::kill(child, SIGKILL);
        while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    ::close(result[0]);
    return answer == 'x' ? Display::X : answer == 'w' ? Display::Wayland : Display::None;
}

// The display named by the environment that Qt can use: one left from a closed remote login, one
// that never answers, and a Wayland display without Qt's Wayland platform would make Qt abort or
// hang.
Display UsableDisplay() {
    const QByteArray x = qgetenv("DISPLAY");
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    if (x.isEmpty() && wayland.isEmpty()) return Display::None;
    const Display found = AskDisplays(x, wayland);
    if (found == Display::Wayland && !QtPlatformPluginPresent(QStringLiteral("wayland")))
        return Display::None;
    return found;
}

}  // namespace

void PrepareQtEnvironment(bool offscreen) {
    // A platform the user chose stays the user's, and the displays are then not asked. Behind a
    // Wayland display found alone stands offscreen, where Qt would fall back to the missing X.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        const Display display = offscreen ? Display::None : UsableDisplay();
        if (display == Display::None)
            qputenv("QT_QPA_PLATFORM", "offscreen");
        else if (display == Display::Wayland)
            qputenv("QT_QPA_PLATFORM", "wayland;offscreen");
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
