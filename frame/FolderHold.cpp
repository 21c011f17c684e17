// The program's holds of data folder locks.
#include "FolderHold.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "ActivityLog.h"
#include "AppPaths.h"
#include "AppState.h"
#include "Door.h"
#include "FilePaths.h"
#include "FolderLock.h"
#include "Hooks.h"
#include "SystemErrorText.h"

namespace vel {

namespace {

// A lock that a hold of this process took: the folder it locks and the events depth of the work
// that took it.
struct TakenLock {
    const FolderHold* owner;
    dev_t device;
    ino_t inode;
    int depth;
    int descriptor;
};

std::vector<TakenLock>& TakenLocks() {
    static std::vector<TakenLock> taken;
    return taken;
}

// True when the path, without its trailing "/", names something that is not a folder (a file, a
// FIFO, a socket; a link is followed).
bool NamesNoFolder(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

}  // namespace

FolderHold::FolderHold(const std::string& folder, bool makeMissing) : folder_(folder) {
    if (!folder.empty() && NamesNoFolder(folder)) {
        error_ = "not a folder";
        return;
    }
    std::error_code ec;
    if (makeMissing && !folder.empty() && !std::filesystem::create_directories(folder, ec) && ec) {
        error_ = SystemErrorText(ec.value());
        return;
    }
    struct stat st {};
    if (folder.empty() || ::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        held_ = true;
        return;
    }
    const auto& taken = TakenLocks();
    const auto shared = std::find_if(taken.begin(), taken.end(), [&](const TakenLock& t) {
        return t.device == st.st_dev && t.inode == st.st_ino && t.depth == EventsDepth();
    });
    if (shared != taken.end()) {
        descriptor_ = shared->descriptor;
        held_ = true;
        return;
    }
    lock_ = std::make_unique<FolderLock>(folder);
    if (!lock_->held()) return;
    // The folder as the lock holds it, whatever name reached it (as the name named it before,
    // should the open folder not tell).
    ::fstat(lock_->descriptor(), &st);
    descriptor_ = lock_->descriptor();
    TakenLocks().push_back({this, st.st_dev, st.st_ino, EventsDepth(), descriptor_});
    held_ = true;
}

FolderHold::~FolderHold() {
    if (!lock_ || !lock_->held()) return;
    std::erase_if(TakenLocks(), [this](const TakenLock& t) { return t.owner == this; });
}

bool FolderHold::inUse() const {
    return lock_ && lock_->inUse();
}

const std::string& FolderHold::error() const {
    return lock_ ? lock_->error() : error_;
}

std::string DataFolderOf(const std::string& path) {
    const std::string folder = FolderOf(path);
    if (folder.size() < 2 || FileNameOf(folder.substr(0, folder.size() - 1)) != "RESULTS")
        return folder;
    return FolderOf(folder.substr(0, folder.size() - 1));
}

namespace {

std::string RefusalReason(const FolderHold& hold) {
    return hold.inUse() ? "The data folder is in use by another run or import!"
                        : "The data folder cannot be locked!";
}

}  // namespace

std::string RefusalText(const FolderHold& hold) {
    return RefusalReason(hold) + "\r\n" + hold.folder();
}

void LogRefusal(const FolderHold& hold) {
    WriteActivityLog(RefusalReason(hold) + " " + hold.folder() +
                     (hold.inUse() ? "" : " (" + hold.error() + ")"));
}

bool HeldForWriting(const FolderHold& hold) {
    if (hold.held()) return true;
    LogRefusal(hold);
    door().MessageBox(RefusalText(hold), "Vellicor", MsgButtons::OK);
    return false;
}

bool HoldResultsFolder(std::optional<FolderHold>& hold) {
    hold.emplace(DataFolderOf(ResultsFolderPath));
    return HeldForWriting(*hold) && EnsureResultsFolder();
}

}  // namespace vel
