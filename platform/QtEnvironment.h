// What a Qt program of this project sets before it creates its QApplication: Qt's offscreen
// platform when there is no display that can be opened, and a private runtime folder when the
// session has none, so that Qt starts without warnings under a scheduler, in CI and in the tests.
#pragma once

class QString;

namespace vel {

// Names the Qt platform (QT_QPA_PLATFORM) unless the user chose one: the one that
// ProbeQtPlatforms finds, or always `offscreen`. When XDG_RUNTIME_DIR is unset, creates
// "/tmp/runtime-<uid>" (mode 0700) and names it there, as Qt itself would after a warning.
void PrepareQtEnvironment(bool offscreen = false);

// The Qt platforms for the displays that DISPLAY and WAYLAND_DISPLAY name: "xcb" when only the X
// server takes a connection (authentication included), "wayland;xcb" when the Wayland compositor
// answers too, "wayland;offscreen" when only it answers (so that a Wayland platform that fails
// falls back to offscreen and not to a missing X), else "offscreen". Wayland is asked only when
// `waylandPlugin` (Qt has its Wayland platform plugin). The displays are asked side by side for
// about 2 s at most (X in a forked child; before the QApplication the process has one thread),
// after which one that has not answered counts as none. Nothing of the asking reaches stdout or
// stderr. A signal that HoldEndSignals holds ends the asking at once, with "offscreen", and stays
// pending.
const char* ProbeQtPlatforms(bool waylandPlugin);

// True when windows on the Qt platform of this name can be seen by a user: false for the
// offscreen and minimal platforms (the name as QT_QPA_PLATFORM or the application gives it).
bool PlatformHasDisplay(const QString& platformName);

}  // namespace vel
