// The executable Vellicor: the Qt application with the Qt door, the yield hook, SIGTERM and
// SIGINT as the end command, the one place that wires every subsystem's commands and windows
// into the frame (RegisterSubsystemCommands), and the start (Main). Without a display it runs
// on Qt's offscreen platform.
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <string>

#include "AnalysisCommands.h"
#include "AutomationCommands.h"
#include "CommandBarrier.h"
#include "Door.h"
#include "EntryPoints.h"
#include "HistoryCommands.h"
#include "Hooks.h"
#include "MainCommands.h"
#include "QtDoor.h"
#include "QtEnvironment.h"
#include "StartUp.h"
#include "frmChartView.h"
#include "frmHistoryImport.h"
#include "frmMain.h"
#include "frmScreening.h"

namespace {

int g_signalPipe[2] = {-1, -1};

void OnEndSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[0], &byte, 1);
}

// SIGTERM and SIGINT reach the event loop through a socket pair and run the end command
// there (also while a long command yields to window events).
void RouteEndSignalsToEndCommand(QObject* parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(g_signalPipe[1], QSocketNotifier::Read, parent);
    QObject::connect(notifier, &QSocketNotifier::activated, parent,
                     [] { vel::RunCommand(&vel::mnuEndOfProgram_Click); });
    struct sigaction action {};
    action.sa_handler = &OnEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

// The registration point of the subsystems: each library that owns commands of the main
// window fills its entry points here (HistoryCommands, ChartsCommands, AutomationCommands of
// EntryPoints.h; an entry left empty is reported as not registered), and each window library
// makes the door show its forms.
void RegisterSubsystemCommands(vel::Door& door) {
    vel::RegisterAnalysisCommands();
    vel::RegisterHistoryCommands();
    vel::RegisterHistoryWindows(door);
    vel::RegisterChartWindow();
    vel::RegisterAnalysisWindows(door);
    vel::RegisterAutomationCommands();
}

}  // namespace

int main(int argc, char** argv) {
    vel::PrepareQtEnvironment();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellicor"));

    vel::QtDoor qtDoor;
    vel::InstallDoor(&qtDoor);
    vel::SetYieldHook([] { vel::door().Yield(); });
    RouteEndSignalsToEndCommand(&app);
    RegisterSubsystemCommands(qtDoor);

    // The command line as one text, the arguments joined by blanks.
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    vel::RunCommand([&] {
        vel::Main(commandLine, QCoreApplication::applicationDirPath().toStdString(),
                  &vel::ShowFrameAndMainWindows);
    });
    return app.exec();
}
