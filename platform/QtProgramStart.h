// The start-up steps that both programs take the same way: SIGTERM, SIGINT and SIGHUP turned into
// the program's own end command on the event loop, and the command line as one text.
#pragma once

#include <signal.h>

#include <functional>
#include <string>

class QObject;

namespace vel {

// Holds SIGTERM, SIGINT and SIGHUP blocked until RouteEndSignals routes them, so that one that
// comes during the start (while the displays are asked, before the end command exists) stays
// pending and then runs the end command, as at any other moment. A SIGHUP that the program was
// started to ignore (nohup) is not held and stays ignored. Called on the first line of main,
// while the process has one thread.
void HoldEndSignals();

// The signals that HoldEndSignals holds and RouteEndSignals has not yet released (none before
// and after): a wait of the start (the display probe) ends at once when one of them is pending.
sigset_t HeldEndSignals();

// From now on SIGTERM, SIGINT and SIGHUP run `endCommand` on the event loop of `parent`'s thread
// (also while a long command yields to window events), through a socket pair written by the signal
// handler. Each burst of signals runs the command once; a signal arriving while the command runs
// (and yields) does not start it again inside itself. Releases the signals that HoldEndSignals
// holds, so that one that came meanwhile runs the command now, and the programs started from
// here on inherit none blocked. Called once per process, after the QApplication exists. When the
// socket pair cannot be made, the signals keep their default action.
void RouteEndSignals(QObject* parent, std::function<void()> endCommand);

// The folder of the running executable, with a trailing "/", as the bytes of its path
// (/proc/self/exe): a path that is not valid UTF-8 (a Latin-1 byte) would not survive Qt's text,
// and the program would then name its files relative to the working folder. Falls back to Qt's
// application folder where the link cannot be read. Called after the QApplication exists.
std::string ExecutableFolder();

// The arguments after the program's name joined by single blanks, so that a path with blanks
// arrives whole.
std::string JoinedCommandLine(int argc, char** argv);

// Where Qt's own messages (warnings of its platform and widgets) go from now on. The offscreen
// platform's warning that it cannot pass size hints on to a window system says nothing and is
// dropped. On the offscreen platform (no display: a scheduled run, whose stderr nobody reads)
// every other message is handed to `log` (the activity log, which keeps what comes before it
// is open); with a display the message goes to stderr as Qt writes it. Called once per process,
// before the QApplication.
void RouteQtMessages(std::function<void(const std::string& text)> log);

// The environment variable through which the Qt door asks a program it starts to show its
// first window maximised (set to "1").
inline constexpr const char* kStartMaximizedVariable = "VELLICOR_START_MAXIMIZED";
// True when this program was started with the request; the variable is removed, so that the
// programs this one starts do not inherit it.
bool TakeStartMaximized();

}  // namespace vel
