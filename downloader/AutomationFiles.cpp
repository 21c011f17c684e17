// The automation files and the save folder.
#include "AutomationFiles.h"

#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <system_error>
#include <vector>

#include "ActivityLog.h"
#include "AppState.h"
#include "DirectoryListing.h"
#include "Door.h"
#include "DownloadText.h"
#include "DownloaderState.h"
#include "Errors.h"
#include "FilePaths.h"
#include "Hooks.h"
#include "NumberText.h"
#include "TextFile.h"
#include "WholeFile.h"

namespace vel {

namespace {

namespace fs = std::filesystem;

// A count text is usable when it is a number (blanks around it allowed) greater than 0.
bool IsPositiveNumber(const std::string& text) {
    const auto v = parseNumber(text);
    return v && std::isfinite(*v) && *v > 0;
}

// The folder as the system resolves it: absolute, links and ".." resolved as far as it exists,
// and the rest as making it would resolve it (`a/x/..` is `a`, whether or not `x` exists), with
// no trailing separator; false when it cannot be found out.
bool RealFolder(std::string folder, fs::path& real) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    std::error_code ec;
    real = fs::weakly_canonical(folder.empty() ? fs::path(".") : fs::path(folder), ec);
    // A ".." after a missing folder comes back as its parent with a trailing separator, an empty
    // last element that would compare as a folder of its own.
    if (!ec && !real.has_filename() && real.has_relative_path()) real = real.parent_path();
    return !ec;
}

// True when `above` is `folder` itself or one of the folders it lies in.
bool IsSameOrAbove(const fs::path& above, const fs::path& folder) {
    auto inner = folder.begin();
    for (const auto& part : above) {
        if (inner == folder.end() || *inner != part) return false;
        ++inner;
    }
    return true;
}

// Logs the refusal of a save folder.
void LogRefusedSaveFolder(const std::string& folder) {
    WriteActivityLog(
        "Refused save folder (not a full path, or holding the program, the list or the "
        "parameters file): " +
        folder);
}

}  // namespace

bool IsSafeSaveFolder(const std::string& folder, const std::string& listPath,
                      const std::string& paramsPath) {
    if (!fs::path(folder).is_absolute()) return false;
    fs::path real;
    if (!RealFolder(folder, real)) return false;
    std::vector<std::string> kept;
    if (!ProgramFolderPath.empty()) kept.push_back(ProgramFolderPath);
    for (const std::string& file : {listPath, paramsPath})
        if (!file.empty()) kept.push_back(fs::path(file).parent_path().string());
    for (const std::string& k : kept) {
        fs::path keptReal;
        if (!RealFolder(k, keptReal) || IsSameOrAbove(real, keptReal)) return false;
    }
    return true;
}

std::string AddTrailingBackslash(const std::string& text) {
    std::string s = Trim(text);
    if (!s.empty() && s.back() != '/') s += '/';
    return s;
}

bool IsFilePresent(const std::string& path) {
    const std::string p = Trim(path);
    if (p.empty()) return false;
    try {
        return !FindFirst(p, EntryKind::Files).empty();
    } catch (...) {
        return false;
    }
}

void ReadAutomationParameters() {
    AutomationListPath.clear();
    AutomationSaveFolder.clear();
    AutomationResultPath.clear();
    AutomationMaxURLCount = "9999";
    AutomationResultText = "ERROR";
    AutomationMode = 2;

    const std::string paramsPath = CommandLineText;
    if (!IsFilePresent(paramsPath)) return;
    std::vector<std::string> lines(4);
    LineReader reader(Trim(paramsPath));
    for (auto& line : lines) {
        if (!reader.Next(line)) break;
        line = Trim(line);
    }
    if (!IsFilePresent(lines[0])) return;

    // A line cut short may name a folder above the program or its files, whose automatic
    // emptying would delete them: the parameters are then unusable.
    if (!lines[1].empty() &&
        !IsSafeSaveFolder(AddTrailingBackslash(lines[1]), lines[0], Trim(paramsPath))) {
        LogRefusedSaveFolder(AddTrailingBackslash(lines[1]));
        return;
    }
    AutomationListPath = lines[0];
    if (!lines[1].empty()) AutomationSaveFolder = AddTrailingBackslash(lines[1]);
    if (!lines[2].empty()) AutomationResultPath = lines[2];
    if (!lines[3].empty()) AutomationMaxURLCount = lines[3];
    if (!IsPositiveNumber(AutomationMaxURLCount)) AutomationMaxURLCount = "9999";
    AutomationMode = 1;
}

void WriteAutomationResult() {
    if (AutomationResultPath.empty() || AutomationMode <= 0) return;
    try {
        WriteTextLines(AutomationResultPath, {AutomationResultText});
    } catch (const FileError& e) {
        WriteActivityLog(std::string("The result file cannot be written: ") + e.what());
    }
    YieldToEvents();
}

std::string SaveFolderQuestion() {
    return "Selected folder:  " + SaveFolder +
           "\r\nDo you wish to delete old stock files? \r\nAnswer YES if downloading new "
           "data.\r\nAnswer NO after download break.";
}

bool PrepareSaveFolder() {
    UndeletedSaveFiles.clear();
    if (SaveFolder.empty()) {
        WriteActivityLog("No save folder for the list of URLs: " + URLListPath);
        return false;
    }
    if (!IsSafeSaveFolder(SaveFolder, URLListPath, AutomationMode != 0 ? CommandLineText : "")) {
        LogRefusedSaveFolder(SaveFolder);
        return false;
    }
    std::error_code ec;
    if (!std::filesystem::exists(SaveFolder, ec))
        std::filesystem::create_directories(SaveFolder, ec);
    if (!std::filesystem::is_directory(SaveFolder, ec)) {
        WriteActivityLog("Save folder cannot be created: " + SaveFolder);
        return false;
    }
    // Where the folder really is, now that it exists (a name through a link and "..", or one
    // changed since it was first checked), is checked again before anything in it is deleted or
    // written.
    if (!IsSafeSaveFolder(SaveFolder, URLListPath, AutomationMode != 0 ? CommandLineText : "")) {
        LogRefusedSaveFolder(SaveFolder);
        return false;
    }
    // Every entry but a folder goes, a link of any kind as a link: one left pointing nowhere
    // would take a download of its name wherever it points. The lock of the run that started
    // this download is the folder itself, which stays.
    const std::vector<std::string> files = ListNonFolderEntries(SaveFolder);
    if (files.empty()) return true;
    if (AutomationMode == 0 &&
        door().MessageBox(SaveFolderQuestion(), "", MsgButtons::YesNo) != MsgAnswer::Yes)
        return true;
    for (const auto& name : files) {
        const std::string path = JoinPath(SaveFolder, name);
        struct stat st {};
        const bool known = ::lstat(path.c_str(), &st) == 0;
        if (RemoveFile(path)) continue;
        WriteActivityLog("File cannot be deleted: " + path);
        if (known) UndeletedSaveFiles.push_back({path, st.st_dev, st.st_ino});
    }
    return true;
}

bool IsUndeletedSaveFile(const std::string& path) {
    struct stat st {};
    if (UndeletedSaveFiles.empty() || ::lstat(path.c_str(), &st) != 0) return false;
    for (const UndeletedFile& file : UndeletedSaveFiles)
        if (file.device == st.st_dev && file.inode == st.st_ino) return true;
    return false;
}

bool UndeletedSaveFilesRemain() {
    bool remain = false;
    for (const UndeletedFile& file : UndeletedSaveFiles) {
        // A download saved under the name renamed a new file over it.
        if (!IsUndeletedSaveFile(file.path)) continue;
        WriteActivityLog("Old file not replaced: " + file.path);
        remain = true;
    }
    return remain;
}

}  // namespace vel
