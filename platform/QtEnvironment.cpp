// The environment of a Qt program before its QApplication.
#include "QtEnvironment.h"

#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <cstring>
#include <string>

namespace vel {
namespace {

// True when an X server takes a connection at the display, authentication included, as Qt's
// xcb platform would make it. libxcb, which that platform uses, is loaded only for the question:
// without it there is no X display to open either.
bool XDisplayOpens(const QByteArray& display) {
    void* xcb = ::dlopen("libxcb.so.1", RTLD_LAZY | RTLD_LOCAL);
    if (!xcb) return false;
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    using Disconnect = void (*)(void*);
    const auto connect = reinterpret_cast<Connect>(::dlsym(xcb, "xcb_connect"));
    const auto hasError = reinterpret_cast<HasError>(::dlsym(xcb, "xcb_connection_has_error"));
    const auto disconnect = reinterpret_cast<Disconnect>(::dlsym(xcb, "xcb_disconnect"));
    bool opens = false;
    if (connect && hasError && disconnect) {
        // Never null: a connection that failed is an object in its error state.
        void* connection = connect(display.constData(), nullptr);
        opens = hasError(connection) == 0;
        disconnect(connection);
    }
    ::dlclose(xcb);
    return opens;
}

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

// A display named by the environment that can be opened: one left from a closed remote login
// would make Qt abort.
bool DisplayOpens() {
    const QByteArray x = qgetenv("DISPLAY");
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    return (!x.isEmpty() && XDisplayOpens(x)) ||
           (!wayland.isEmpty() && WaylandDisplayOpens(wayland));
}

}  // namespace

void PrepareQtEnvironment(bool offscreen) {
    // A platform the user chose stays the user's, and the displays are then not asked.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && (offscreen || !DisplayOpens()))
        qputenv("QT_QPA_PLATFORM", "offscreen");
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
