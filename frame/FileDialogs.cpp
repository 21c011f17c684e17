// The file dialogs.
#include "FileDialogs.h"

#include "Door.h"
#include "FilePaths.h"
#include "Hooks.h"
#include "ProcessState.h"

namespace vel {

FileDialogState FileDialogs;

namespace {

const StateGroup<FileDialogs> kFileDialogsGroup("FileDialogs");

// Remembers the chosen file's folder for the next dialog; "" stays "".
std::string Remember(const std::string& chosen) {
    if (!chosen.empty() && !FolderOf(chosen).empty()) CommonDialogFolder = FolderOf(chosen);
    YieldToEvents();
    return chosen;
}

}  // namespace

std::string ShowOpenFileDialog(const std::string& title, const std::string& filter) {
    try {
        return Remember(door().OpenFileDialog(title, filter, CommonDialogFolder));
    } catch (const std::exception&) {
        return {};
    }
}

std::string ShowSaveFileDialog(const std::string& title, const std::string& filter,
                               const std::string& defaultName) {
    try {
        return Remember(door().SaveFileDialog(title, filter, CommonDialogFolder, defaultName));
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace vel
