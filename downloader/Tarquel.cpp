// The executable Tarquel: the Qt application with the Qt door, the yield hook, SIGTERM, SIGINT
// and SIGHUP as the quit command, the download window and the start (Main). Without a display it
// runs on Qt's offscreen platform and Qt's messages go to its log. The generator window is
// registered as its form's presenter.
#include <QApplication>

#include "ActivityLog.h"
#include "Door.h"
#include "DownloadForm.h"
#include "FolderLock.h"
#include "Hooks.h"
#include "QtDoor.h"
#include "QtEnvironment.h"
#include "QtProgramStart.h"
#include "QtScreenFit.h"
#include "TarquelMain.h"
#include "frmGenerateURLs.h"
#include "frmTarquel.h"

int main(int argc, char** argv) {
    // The lock that a Vellicor run hands this program goes to no child of it, the display
    // probe's first among them (Main takes it up).
    vel::TakeHandedLock();
    // Until RouteEndSignals, a signal waits for the end command instead of ending the program
    // unlogged; the display probe ends at once on it.
    vel::HoldEndSignals();
    vel::PrepareQtEnvironment();
    vel::RouteQtMessages(&vel::WriteActivityLogOrHold);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarquel"));
    // "Download stock data from Web" starts this program maximised.
    const bool maximized = vel::TakeStartMaximized();

    vel::QtDoor qtDoor;
    vel::InstallDoor(&qtDoor);
    vel::SetYieldHook([] { vel::door().Yield(); });

    vel::DownloadForm form;
    vel::frmTarquel window(form);
    vel::RegisterDownloaderWindows(qtDoor, &window);
    // SIGTERM, SIGINT and SIGHUP run the quit command: the transfers are cancelled, the result
    // written and "Exiting Tarquel." logged.
    vel::RouteEndSignals(&app, [&form] { form.mnuQuitDownloading_Click(); });

    vel::Main(vel::JoinedCommandLine(argc, argv), vel::ExecutableFolder(), form,
              [&window, maximized] {
                  vel::WriteHeldActivityLog();
                  // Its designed size within the screen's available area, as far as that allows.
                  vel::OpenWithinScreen(&window);
                  maximized ? window.showMaximized() : window.show();
              });
    return app.exec();
}
