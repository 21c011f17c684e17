// The exclusive lock of a data folder, held by the one run, import or writing command at a time
// that works on the folder (a download empties it, a rebuild or a split command writes its
// "History.mdb", a load empties its RESULTS, a report writes there), so that a second one, of
// this process or of another, of this user or of another, is refused at once instead of
// spoiling the first one's work. It is flock(2) on the folder itself, opened read-only: every
// user who may read the folder can take it, whether or not he may write there, and nothing is
// made in the folder for it. The system releases it when its holder ends, however it ends. Two
// holders exclude each other also within one process (each opens the folder anew). Only a
// folder that stays is locked so: one removed and made again under its name is another folder.
// A holder may hand its lock to a program it starts (the downloader of a run), which then works
// under it: the program inherits the open folder, and only it, named in kHandedLockVariable.
#pragma once

#include <string>

namespace vel {

class FolderLock {
public:
    // Takes the lock of the folder without waiting (a link to a folder locks the folder it
    // names); nothing is made or changed. See held(), inUse() and error() for the outcome.
    explicit FolderLock(const std::string& folder);
    // Takes the lock of the folder through `handed` (TakeHandedLock) when that is an open
    // descriptor of this very folder (the same device and inode, whatever name reaches it) and
    // flock on it succeeds, a conversion of the lock that it shares with the program that handed
    // it; the descriptor then belongs to this lock, which closes it at its end and never unlocks
    // it, so the handing program keeps its lock. A descriptor of the folder whose flock fails (one
    // that holds no lock, while another holder has it) is in use. Otherwise (-1, or a descriptor
    // of something else) as FolderLock(folder).
    FolderLock(const std::string& folder, int handed);
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
    // Opens the folder and takes its lock.
    void Open(const std::string& folder);
    // Takes the lock through the open folder `fd`, which it owns from now on either way.
    void Lock(int fd);

    int fd_ = -1;
    bool inUse_ = false;
    std::string error_;
};

// The environment variable that names, to a program started with a lock handed to it, the number
// of the descriptor that holds the lock.
inline constexpr const char* kHandedLockVariable = "VELLICOR_HANDED_LOCK";

// The descriptor that the program that started this one handed it with a folder's lock: removes
// kHandedLockVariable and sets the descriptor it names close-on-exec again, so that no program
// this one starts inherits either. Returns the descriptor, or -1 when none was named or the one
// named is no open folder (such a descriptor is left as it is). The first call takes it, at the
// start, before this program starts any other (the display probe's child included); a later call
// returns what the first one took. Whether the descriptor holds the lock of the folder it works in
// is for FolderLock(folder, handed) to find out: a variable alone gains nothing.
int TakeHandedLock();

}  // namespace vel
