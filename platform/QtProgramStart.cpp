// The start-up steps shared by both programs (QtProgramStart.h).
#include "QtProgramStart.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QtGlobal>
#include <cerrno>
#include <csignal>
#include <memory>
#include <utility>

#include "QtEnvironment.h"

namespace vel {
namespace {

int g_signalPipe[2] = {-1, -1};

// The end signals that HoldEndSignals blocked, released by RouteEndSignals. Only those: one that
// the program's parent had blocked stays as it came.
sigset_t g_heldSignals = [] {
    sigset_t none;
    sigemptyset(&none);
    return none;
}();

void ReleaseEndSignals() {
    pthread_sigmask(SIG_UNBLOCK, &g_heldSignals, nullptr);
    sigemptyset(&g_heldSignals);
}

// Only write(2) here, and errno as the interrupted code left it. The write end does not block:
// when the socket is full a wake-up is already pending, so the byte may be dropped.
void OnEndSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[0], &byte, 1);
    errno = savedErrno;
}

void SetNonBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags != -1) ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

// Reads every byte the handler wrote: the notifier is level-triggered, so a byte left unread
// would run the end command again on every pass of the event loop.
void Drain(int fd) {
    char bytes[64];
    while (true) {
        const auto got = ::read(fd, bytes, sizeof bytes);
        if (got > 0) continue;
        if (got < 0 && errno == EINTR) continue;
        return;
    }
}

}  // namespace

void HoldEndSignals() {
    sigset_t blocked;
    if (pthread_sigmask(SIG_BLOCK, nullptr, &blocked) != 0) return;
    sigset_t hold;
    sigemptyset(&hold);
    for (const int number : {SIGTERM, SIGINT, SIGHUP})
        if (!sigismember(&blocked, number)) sigaddset(&hold, number);
    // Linux keeps a blocked signal pending even where its action is to ignore it.
    struct sigaction hangUp {};
    if (sigaction(SIGHUP, nullptr, &hangUp) == 0 && hangUp.sa_handler == SIG_IGN)
        sigdelset(&hold, SIGHUP);
    if (pthread_sigmask(SIG_BLOCK, &hold, nullptr) == 0)
        sigorset(&g_heldSignals, &g_heldSignals, &hold);
}

sigset_t HeldEndSignals() {
    return g_heldSignals;
}

void RouteEndSignals(QObject* parent, std::function<void()> endCommand) {
    // After the handlers are in place, or without them: a held signal then takes its default
    // action.
    struct Release {
        ~Release() { ReleaseEndSignals(); }
    } release;
    // No program that this one starts inherits it (it would hold the pair open, and could wake
    // the end command).
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) return;
    SetNonBlocking(g_signalPipe[0]);
    SetNonBlocking(g_signalPipe[1]);
    const int readEnd = g_signalPipe[1];
    auto* notifier = new QSocketNotifier(readEnd, QSocketNotifier::Read, parent);
    // The end command may yield to the event loop; a signal arriving meanwhile belongs to the
    // ending already under way and must not start the command again inside itself.
    QObject::connect(
        notifier, &QSocketNotifier::activated, parent,
        [readEnd, command = std::move(endCommand), running = std::make_shared<bool>(false)] {
            Drain(readEnd);
            if (*running) return;
            *running = true;
            struct Finished {
                bool& running;
                ~Finished() { running = false; }
            } finished{*running};
            command();
        });
    struct sigaction action {};
    action.sa_handler = &OnEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    // SIGHUP is what a closed terminal or a lost remote login sends. A program started to
    // outlive its terminal (nohup) comes with SIGHUP ignored, and keeps it so.
    struct sigaction hangUp {};
    if (sigaction(SIGHUP, nullptr, &hangUp) != 0 || hangUp.sa_handler != SIG_IGN)
        sigaction(SIGHUP, &action, nullptr);
}

namespace {

std::function<void(const std::string&)> g_qtMessageLog;
QtMessageHandler g_qtDefaultHandler = nullptr;
bool g_qtMessagesHeadless = false;

void OnQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains(QLatin1String("propagateSizeHints"))) return;
    if (g_qtMessagesHeadless && g_qtMessageLog) {
        g_qtMessageLog("Qt: " + message.toStdString());
        return;
    }
    if (g_qtDefaultHandler) g_qtDefaultHandler(type, context, message);
}

}  // namespace

void RouteQtMessages(std::function<void(const std::string& text)> log) {
    g_qtMessagesHeadless = !PlatformHasDisplay(QString::fromLocal8Bit(qgetenv("QT_QPA_PLATFORM")));
    g_qtMessageLog = std::move(log);
    g_qtDefaultHandler = qInstallMessageHandler(&OnQtMessage);
}

std::string ExecutableFolder() {
    std::string path(4096, '\0');
    const auto length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length > 0 && static_cast<size_t>(length) < path.size()) {
        path.resize(static_cast<size_t>(length));
        const size_t slash = path.rfind('/');
        if (slash != std::string::npos) return path.substr(0, slash + 1);
    }
    const QString folder = QCoreApplication::applicationDirPath();
    return folder.isEmpty() ? std::string() : QFile::encodeName(folder).toStdString() + "/";
}

std::string JoinedCommandLine(int argc, char** argv) {
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    return commandLine;
}

bool TakeStartMaximized() {
    const bool asked = qgetenv(kStartMaximizedVariable) == "1";
    qunsetenv(kStartMaximizedVariable);
    return asked;
}

}  // namespace vel
