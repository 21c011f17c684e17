// The exclusive lock of a data folder.
#include "FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "FilePaths.h"
#include "SystemErrorText.h"

namespace vel {

FolderLock::FolderLock(const std::string& folder) {
    std::error_code ec;
    if (folder.empty()) {
        error_ = "no folder";
        return;
    }
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        error_ = SystemErrorText(ec.value());
        return;
    }
    // Read access is enough for flock, so a lock file left read-only still serves. A link in
    // its place is refused: the lock would land on whatever the link names. The open does not
    // wait (a FIFO would wait for a writer for ever), and only a regular file is a lock file.
    const std::string path = JoinPath(folder, kFolderLockName);
    const int fd =
        ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
    if (fd < 0) {
        error_ = SystemErrorText(errno);
        return;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error_ = std::string(kFolderLockName) + " is not a regular file";
        ::close(fd);
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
