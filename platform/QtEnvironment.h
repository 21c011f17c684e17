// What a Qt program of this project sets before it creates its QApplication: Qt's offscreen
// platform when there is no display that can be opened, and a private runtime folder when the
// session has none, so that Qt starts without warnings under a scheduler, in CI and in the tests.
#pragma once

class QString;

namespace vel {

// Without a display that Qt can use, or always with `offscreen`, and no QT_QPA_PLATFORM chosen
// by the user, selects the offscreen platform. A display counts when DISPLAY names an X server
// that takes a connection, or else WAYLAND_DISPLAY names a socket that answers and Qt has its
// Wayland platform plugin; then "wayland;offscreen" is selected, so that a Wayland platform that
// fails falls back to offscreen and not to the missing X. The displays are asked for about 2 s at
// most (in a forked child; before the QApplication the process has one thread), after which a
// server that has not answered counts as none. When XDG_RUNTIME_DIR is unset, creates
// "/tmp/runtime-<uid>" (mode 0700) and names it there, as Qt itself would after a warning.
void PrepareQtEnvironment(bool offscreen = false);

// True when windows on the Qt platform of this name can be seen by a user: false for the
// offscreen and minimal platforms (the name as QT_QPA_PLATFORM or the application gives it).
bool PlatformHasDisplay(const QString& platformName);

}  // namespace vel
