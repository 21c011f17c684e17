// The exclusive lock of a data folder.
#include "FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "SystemErrorText.h"

namespace vel {

FolderLock::FolderLock(const std::string& folder) {
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
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        inUse_ = errno == EWOULDBLOCK;
        error_ = SystemErrorText(errno);
        ::close(fd);
        return;
    }
    fd_ = fd;
}

FolderLock::~FolderLock() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace vel
