// The exclusive lock of a data folder, held by the one run or import at a time that works on the
// folder's "History.mdb" (a download empties the folder, a rebuild replaces the database), so
// that a second one, of this process or of another, is refused at once instead of spoiling the
// first one's work. It is flock(2) on the file "Vellicor.lock" in the folder, which the system
// releases when its holder ends, however it ends. The file stays: removed, a second holder could
// lock a new file of that name while the first still held the old one; for the same reason the
// downloader's emptying of a save folder leaves it.
#pragma once

#include <string>

namespace vel {

// The name of the lock file in a locked folder.
inline constexpr const char* kFolderLockName = "Vellicor.lock";

class FolderLock {
public:
    // Takes the lock of the folder without waiting; the folder is made when it is missing. See
    // held(), inUse() and error() for the outcome.
    explicit FolderLock(const std::string& folder);
    // Releases the lock.
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // True when this holder has the lock.
    bool held() const { return fd_ >= 0; }
    // True when another holder has it.
    bool inUse() const { return inUse_; }
    // Why the lock could not be taken: "" when it is held; the system's reason otherwise (the
    // folder or the lock file cannot be made or opened, or another holder has the lock), or
    // "Vellicor.lock is not a regular file" (a FIFO, a device or a folder of that name, which is
    // refused at once, never waited on).
    const std::string& error() const { return error_; }

private:
    int fd_ = -1;
    bool inUse_ = false;
    std::string error_;
};

}  // namespace vel
