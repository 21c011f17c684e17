// The one barrier between the user interface and the program's commands. Everything that a
// menu item, a toolbar or form button, a timer, a signal or the start runs, and every call of
// a subsystem's entry point, goes through RunCommand: an error that stops the command is shown
// in the error-handler box and goes no further, so no exception reaches the Qt event loop.
#pragma once

#include <functional>

namespace vel {

// Runs the command. Returns true when it ran to its end. When it raised one of the program's
// errors or any std::exception: the box's text is written to the activity log, the
// error-handler box is shown (ShowErrorHandler), the busy state is released (the command's
// busy guards unwound), the hourglass is as it was before the command, and false is returned.
// A command started inside another (a click while one yields) has a barrier of its own: its
// error leaves the running command's busy state and hourglass alone.
bool RunCommand(const std::function<void()>& command);

}  // namespace vel
