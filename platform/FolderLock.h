// The exclusive lock of a data folder, held by the one run, import or writing command at a time
// that works on the folder (a download empties it, a rebuild or a split command writes its
// "History.mdb", a load empties its RESULTS, a report writes there), so that a second one, of
// this process or of another, of this user or of another, is refused at once instead of
// spoiling the first one's work. It is flock(2) on the folder itself, opened read-only: every
// user who may read the folder can take it, whether or not he may write there, and nothing is
// made in the folder for it. The system releases it when its holder ends, however it ends. Two
// holders exclude each other also within one process (each opens the folder anew). Only a
// folder that stays is locked so: one removed and made again under its name is another folder.
#pragma once

#include <string>

namespace vel {

class FolderLock {
public:
    // Takes the lock of the folder without waiting (a link to a folder locks the folder it
    // names); nothing is made or changed. See held(), inUse() and error() for the outcome.
    explicit FolderLock(const std::string& folder);
    // Releases the lock.
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // True when this holder has the lock.
    bool held() const { return fd_ >= 0; }
    // True when another holder has it.
    bool inUse() const { return inUse_; }
    // Why the lock could not be taken: "" when it is held; "no folder" for an empty path, "not a
    // folder" when the path names something else (a file, a FIFO or a socket, refused at once,
    // never waited on), the system's reason otherwise (the folder is missing or may not be read,
    // or another holder has the lock).
    const std::string& error() const { return error_; }
    // The open folder while the lock is held (-1 otherwise), for comparing it with a path.
    int descriptor() const { return fd_; }

private:
    int fd_ = -1;
    bool inUse_ = false;
    std::string error_;
};

}  // namespace vel
