// The one barrier between the user interface and the program's commands. Everything that a
// menu item, a toolbar or form button, a timer, a signal or the start runs, and every call of
// a subsystem's entry point, goes through RunCommand: an error that stops the command is shown
// in the error-handler box and goes no further, so no exception reaches the Qt event loop.
// Whatever way a command ends, what it showed only while it worked goes with it: the barrier
// puts the hourglass and the command texts back when an error stops it.
#pragma once

#include <functional>
#include <string>

namespace vel {

// Runs the command. Returns true when it ran to its end. When it raised one of the program's
// errors or any std::exception: the hourglass and every command text are put back as they were
// before the command, the box's text is written to the activity log, the error-handler box is
// shown (ShowErrorHandler), the busy state is released (the command's busy guards unwound), and
// false is returned. A command started inside another (a click while one yields) has a barrier
// of its own: its error leaves the running command's busy state, hourglass and texts as they
// were when it started.
bool RunCommand(const std::function<void()>& command);

// A command text: one that a long command replaces while it works and puts back itself when it
// ends (a wait text "... Wait, please ...", a result text that a report replaces while it
// backtests). Its owner registers how it is read and written; registering a pair again changes
// nothing. The main window's action label is registered from the start.
using CommandTextReader = const std::string& (*)();
using CommandTextWriter = void (*)(const std::string&);
void RegisterCommandText(CommandTextReader read, CommandTextWriter write);

}  // namespace vel
