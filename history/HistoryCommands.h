// The history database's commands as the main window reaches them (the frame's
// HistoryCommands entry points), and the split events editor as computing code sees it: a form
// that the window library shows through the door.
#pragma once

#include <string>

namespace vel {

// The split events editor on one database: the window (frmSplitsEdit) shows the rows of its
// table SplitEvents and writes every change at once; computing code only asks for it.
struct SplitEventsEditorForm {
    std::string databasePath;
    static constexpr const char* kCaption = "Edit split events.";
};

// Sets SplitsDatabasePath and shows the editor modally on the database; nothing while no
// window may block.
void ShowSplitEventsEditor(const std::string& databasePath);

// Fills the frame's history entry points: the import and the load, the split commands
// (estimate, edit, update, remove), the page of user-adjusted splits and the pseudo-split
// report. Each holds the busy guard: started while another long command runs, it only beeps.
void RegisterHistoryCommands();

}  // namespace vel
