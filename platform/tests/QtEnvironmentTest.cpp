// The environment a Qt program prepares before its QApplication: a session without a runtime
// folder (a scheduler, CI) gets a private one, so that Qt asks for it without a warning.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QStandardPaths>
#include <QString>
#include <cstdlib>
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

TEST(QtEnvironment, ADisplayThatCannotBeOpenedMeansOffscreenUnlessTheUserChoseAPlatform) {
    const std::string x = DeadXDisplay();
    const ScopedVariable runtime("XDG_RUNTIME_DIR", "/tmp");
    for (const auto& [display, wayland] :
         {std::pair<const char*, const char*>{x.c_str(), nullptr}, {nullptr, "wayland-gone-77"}}) {
        const ScopedVariable setX("DISPLAY", display);
        const ScopedVariable setWayland("WAYLAND_DISPLAY", wayland);
        {
            const ScopedVariable platform("QT_QPA_PLATFORM", nullptr);
            PrepareQtEnvironment();
            EXPECT_STREQ(std::getenv("QT_QPA_PLATFORM"), "offscreen") << x;
        }
        const ScopedVariable platform("QT_QPA_PLATFORM", "xcb");
        PrepareQtEnvironment();
        EXPECT_STREQ(std::getenv("QT_QPA_PLATFORM"), "xcb");
    }
}

}  // namespace
}  // namespace vel
