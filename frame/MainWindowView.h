// The main window as the rest of the program sees it: the four status labels, the progress
// bar, the enabled state of the history-dependent commands, the autorun list, the downloading
// timer (a door timer, so tests step it) and the arrangement of the frame's child windows. The
// values live here, so computing code and tests work without widgets; the main window, once loaded,
// installs itself as the view and shows every change.
#pragma once

#include <string>
#include <vector>

namespace vel {

enum class MainLabel { LoadedStockData, PerformedTask, PerformedAction, Remark };
enum class ArrangeMode { Cascade = 0, TileHorizontal = 1, TileVertical = 2 };

// What the main window shows. Every call comes on the user-interface thread.
class MainWindowView {
public:
    virtual ~MainWindowView() = default;
    virtual void ShowLabel(MainLabel label, const std::string& text) = 0;
    // Sets the progress bar (0..100) and makes it visible.
    virtual void ShowProgressValue(double value) = 0;
    virtual void ShowHistoryCommandsEnabled(bool enabled) = 0;
    // Replaces the autorun list's items and shows the text (the selected item, or "").
    virtual void ShowAutorunList(const std::vector<std::string>& items,
                                 const std::string& text) = 0;
    virtual void ArrangeChildWindows(ArrangeMode mode) = 0;
};

// Installs the view that shows the state (nullptr: none, as before the main window loads).
void InstallMainWindowView(MainWindowView* view);

void SetMainLabel(MainLabel label, const std::string& text);
const std::string& MainLabelText(MainLabel label);

void SetProgressBarValue(double value);
double ProgressBarValue();

// The history-dependent commands (chart window, pseudo-split and adjusted-split reports and
// the toolbar key "charts").
void SetHistoryCommandsEnabled(bool enabled);
bool HistoryCommandsEnabled();

// The autorun list: its items and its text (the name the AUTORUN, LOAD and EDIT commands use).
void SetAutorunList(const std::vector<std::string>& items);
const std::vector<std::string>& AutorunListItems();
// Called by the window when the user picks another item.
void SetAutorunListText(const std::string& text);
const std::string& AutorunListText();

// The downloading timer: 0 stops it; otherwise DownloadingTimer_Timer runs (through the
// command barrier) every `ms` milliseconds of the door's monotonic clock.
void SetDownloadingTimerInterval(int ms);
int DownloadingTimerInterval();

// Arranges the frame's child windows (nothing without a window).
void ArrangeChildWindows(ArrangeMode mode);

// Back to the state before the main window loads (no view, everything empty and enabled).
void ResetMainWindowState();

}  // namespace vel
