// The environment of a Qt program before its QApplication.
#include "QtEnvironment.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <string>

namespace vel {

void PrepareQtEnvironment(bool offscreen) {
    const bool display =
        !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if ((offscreen || !display) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
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
