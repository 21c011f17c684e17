// The exclusive lock of a data folder.
#include "FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>

#include "SystemErrorText.h"

namespace vel {

FolderLock::FolderLock(const std::string& folder) {
    Open(folder);
}

FolderLock::FolderLock(const std::string& folder, int handed) {
    struct stat named {};
    struct stat open {};
    if (handed < 0 || folder.empty() || ::stat(folder.c_str(), &named) != 0 ||
        ::fstat(handed, &open) != 0 || !S_ISDIR(open.st_mode) || open.st_dev != named.st_dev ||
        open.st_ino != named.st_ino) {
        Open(folder);
        return;
    }
    Lock(handed);
}

FolderLock::~FolderLock() {
    if (fd_ >= 0) ::close(fd_);
}

void FolderLock::Open(const std::string& folder) {
    if (folder.empty()) {
        error_ = "no folder";
        return;
    }
    // Read access is all that flock needs. O_DIRECTORY refuses anything but a folder without
    // opening it, so a FIFO of that name is never waited on.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        error_ = errno == ENOTDIR ? "not a folder" : SystemErrorText(errno);
        return;
    }
    Lock(fd);
}

void FolderLock::Lock(int fd) {
    // On a descriptor that shares the open folder of a holder, the lock is that holder's
    // already: the call converts it, and succeeds.
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        inUse_ = errno == EWOULDBLOCK;
        error_ = SystemErrorText(errno);
        ::close(fd);
        return;
    }
    fd_ = fd;
}

namespace {

int TakeHandedLockOnce() {
    const char* value = std::getenv(kHandedLockVariable);
    const std::string text = value ? value : "";
    ::unsetenv(kHandedLockVariable);
    int fd = -1;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), fd);
    struct stat st {};
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || fd < 0 ||
        ::fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode))
        return -1;
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    return fd;
}

}  // namespace

int TakeHandedLock() {
    static const int handed = TakeHandedLockOnce();
    return handed;
}

}  // namespace vel
