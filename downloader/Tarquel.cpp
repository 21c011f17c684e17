// The executable Tarquel: the Qt application with the Qt door, the yield hook, SIGTERM and
// SIGINT as the quit command, the download window and the start (Main). Without a display it
// runs on Qt's offscreen platform. The generator window is registered as its form's presenter.
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <string>

#include "Door.h"
#include "DownloadForm.h"
#include "Hooks.h"
#include "QtDoor.h"
#include "QtEnvironment.h"
#include "TarquelMain.h"
#include "frmGenerateURLs.h"
#include "frmTarquel.h"

namespace {

int g_signalPipe[2] = {-1, -1};
vel::DownloadForm* g_form = nullptr;

void OnEndSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[0], &byte, 1);
}

// SIGTERM and SIGINT reach the event loop through a socket pair and run the quit command
// there: the transfers are cancelled, the result written and "Exiting Tarquel." logged.
void RouteEndSignalsToQuit(QObject* parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(g_signalPipe[1], QSocketNotifier::Read, parent);
    QObject::connect(notifier, &QSocketNotifier::activated, parent, [] {
        if (g_form) g_form->mnuQuitDownloading_Click();
    });
    struct sigaction action {};
    action.sa_handler = &OnEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    vel::PrepareQtEnvironment();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarquel"));

    vel::QtDoor qtDoor;
    vel::InstallDoor(&qtDoor);
    vel::SetYieldHook([] { vel::door().Yield(); });

    vel::DownloadForm form;
    vel::frmTarquel window(form);
    vel::RegisterDownloaderWindows(qtDoor, &window);
    g_form = &form;
    RouteEndSignalsToQuit(&app);

    // The command line as one text, the arguments joined by blanks: a parameters file's path
    // with blanks arrives whole.
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    vel::Main(commandLine, QCoreApplication::applicationDirPath().toStdString(), form,
              [&window] { window.show(); });
    return app.exec();
}
