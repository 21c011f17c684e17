// The executable Vellicor: the Qt application with the Qt door, the yield hook, SIGTERM, SIGINT
// and SIGHUP as the end command (EndProgramOnSignal, which fails an unattended run it stops), the
// one place that wires every subsystem's commands and windows into the frame
// (RegisterSubsystemCommands), and the start (Main). Without a display it runs on Qt's offscreen
// platform, Qt's messages go to the activity log, and an unattended run ends the program (Main).
#include <QApplication>
#include <string>

#include "ActivityLog.h"
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
#include "QtProgramStart.h"
#include "StartUp.h"
#include "frmChartView.h"
#include "frmHistoryImport.h"
#include "frmMain.h"
#include "frmScreening.h"

namespace {

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

// The frame and the main window, once the log is open and has taken Qt's messages that came
// before it.
void ShowWindows() {
    vel::WriteHeldActivityLog();
    vel::ShowFrameAndMainWindows();
}

}  // namespace

int main(int argc, char** argv) {
    // Until RouteEndSignals, a signal waits for the end command instead of ending the program
    // unlogged; the display probe ends at once on it.
    vel::HoldEndSignals();
    vel::PrepareQtEnvironment();
    vel::RouteQtMessages(&vel::WriteActivityLogOrHold);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellicor"));

    vel::QtDoor qtDoor;
    vel::InstallDoor(&qtDoor);
    vel::SetYieldHook([] { vel::door().Yield(); });
    vel::RouteEndSignals(&app, [] { vel::RunCommand(&vel::EndProgramOnSignal); });
    RegisterSubsystemCommands(qtDoor);

    const std::string commandLine = vel::JoinedCommandLine(argc, argv);
    vel::RunCommand([&] { vel::Main(commandLine, vel::ExecutableFolder(), &ShowWindows); });
    return app.exec();
}
