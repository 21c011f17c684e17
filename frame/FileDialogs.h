// The open and save file dialogs of every window. They open where the previous dialog left
// off (at first in the folder the main window sets when it loads) and return the chosen full
// path, or "" when the user cancels or the dialog fails.
#pragma once

#include <string>

namespace vel {

struct FileDialogState {
    // The folder the next file dialog opens in.
    std::string CommonDialogFolder;
    bool operator==(const FileDialogState&) const = default;
};
extern FileDialogState FileDialogs;
inline std::string& CommonDialogFolder = FileDialogs.CommonDialogFolder;

// The filter is "description|pattern|...", for example "Database (History.mdb)|history.mdb".
std::string ShowOpenFileDialog(const std::string& title, const std::string& filter);
std::string ShowSaveFileDialog(const std::string& title, const std::string& filter,
                               const std::string& defaultName);

}  // namespace vel
