// The lock of a data folder (FolderLock) as the program's work holds it. Every run of a set, an
// import, and every command that empties or writes a data folder or its RESULTS holds it while
// it does so; a second holder is refused at once. Within one piece of work the lock is taken
// once: what the work runs itself (a run's load and reports, the files of a report) shares the
// hold of the work around it, in this process and at the same events depth (EventsDepth). A
// command that the user gives while the work yields runs deeper, and is refused like a holder of
// another process. Used on the user-interface thread.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace vel {

class FolderLock;

class FolderHold {
public:
    // Takes the lock of the folder without waiting, or shares the hold that the work around this
    // code has of it. A path that names something else than a folder (a file, a FIFO, a socket)
    // is refused as "not a folder". Where there is no folder to lock (an empty path, or a missing
    // one: a writer into it fails its own way) it holds without a lock. With `makeMissing` (for
    // work that makes the folder it writes in, a rebuild or a download) a missing folder is made
    // first and then locked, and one that cannot be made is refused with the system's reason, so
    // that such work never runs unlocked.
    explicit FolderHold(const std::string& folder, bool makeMissing = false);
    ~FolderHold();
    FolderHold(const FolderHold&) = delete;
    FolderHold& operator=(const FolderHold&) = delete;

    // True when the work may go on in the folder.
    bool held() const { return held_; }
    // True when another holder (a run, an import or a command, of any process) has the lock.
    bool inUse() const;
    // Why the lock could not be taken ("" when held): FolderLock's reason.
    const std::string& error() const;
    const std::string& folder() const { return folder_; }
    // The open folder whose lock this hold took or shares, for handing the lock to a program
    // that works under it (FolderLock(folder, handed)); -1 when it holds no lock.
    int descriptor() const { return descriptor_; }

private:
    std::string folder_;
    std::unique_ptr<FolderLock> lock_;  // the lock this hold took; none when shared or empty
    std::string error_;                 // why the folder could not be made, or is none
    int descriptor_ = -1;
    bool held_ = false;
};

// The data folder that a written file belongs to: the folder of the file (a path ending in "/"
// is a folder itself), or the folder above it when that is named RESULTS. "" for a path without
// a folder.
std::string DataFolderOf(const std::string& path);

// The text that refuses a hold that is not held: "<why>" CR LF "<folder>", where <why> is "The
// data folder is in use by another run or import!" or "The data folder cannot be locked!".
std::string RefusalText(const FolderHold& hold);

// Logs the refusal text of a hold that is not held on one line (with the system's reason in
// parentheses when the folder cannot be locked).
void LogRefusal(const FolderHold& hold);

// The refusal of a command that writes: true when the hold is held. Otherwise logs the refusal
// (LogRefusal), shows its text in a box titled "Vellicor", and returns false. The command then
// writes nothing.
bool HeldForWriting(const FolderHold& hold);

// For a writer into ResultsFolderPath, the RESULTS folder of the loaded history: takes `hold` of
// its data folder (refused as HeldForWriting refuses), then makes RESULTS when it is missing
// (EnsureResultsFolder). True when the writer may go on.
bool HoldResultsFolder(std::optional<FolderHold>& hold);

}  // namespace vel
