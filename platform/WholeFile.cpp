// Files written whole or not at all.
#include "WholeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string>

#include "FilePaths.h"
#include "UnfinishedFiles.h"

namespace vel {

namespace {

long g_failureIn = 0;
std::string g_failureTarget;  // "": every target counts

// True when the injected failure is due now.
bool InjectedFailure(const std::string& target) {
    if (g_failureIn <= 0 || (!g_failureTarget.empty() && target != g_failureTarget) ||
        --g_failureIn > 0)
        return false;
    errno = ENOSPC;
    return true;
}

// False (errno set) when the target exists and is a folder or may not be written: a rename
// would take the place of a file the user keeps read-only. `mode` gets the permissions of an
// existing target, for the file that replaces it; -1 when there is none.
bool TargetMayBeReplaced(const std::string& target, int& mode) {
    mode = -1;
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) return true;
    if (S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return false;
    }
    mode = static_cast<int>(st.st_mode & 07777);
    return ::access(target.c_str(), W_OK) == 0;
}

}  // namespace

long InjectFileFailure(long n, const std::string& target) {
    const long left = g_failureIn;
    g_failureIn = n;
    g_failureTarget = target;
    return left;
}

WholeFile::WholeFile(std::string target) : target_(std::move(target)) {}

WholeFile::~WholeFile() {
    Discard();
}

bool WholeFile::Open() {
    Discard();
    int mode = -1;
    if (InjectedFailure(target_) || !TargetMayBeReplaced(target_, mode)) return false;
    // A short name of its own per process and file in the target's folder; the file gets the
    // usual permissions (umask), or those of the file it replaces.
    static std::atomic<unsigned> counter = 0;
    const std::string folder = FolderOf(target_);
    const std::string stem = folder + ".vel-" + std::to_string(::getpid()) + "-";
    for (int tries = 0; tries < 100; ++tries) {
        const std::string name = stem + std::to_string(++counter) + ".tmp";
        fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            temp_ = name;
            NoteUnfinishedFile(temp_);
            // A replaced file keeps its permissions (a table the user keeps private stays so).
            if (mode >= 0 && ::fchmod(fd_, static_cast<mode_t>(mode)) != 0) {
                const int err = errno;
                Discard();
                errno = err;
                return false;
            }
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

bool WholeFile::Write(const char* data, size_t size) {
    if (fd_ < 0 || InjectedFailure(target_)) return false;
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool WholeFile::Commit() {
    if (fd_ < 0) return false;
    if (InjectedFailure(target_)) {
        Discard();
        return false;
    }
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    if (!closed || std::rename(temp_.c_str(), target_.c_str()) != 0) {
        const int err = errno;
        Discard();
        errno = err;
        return false;
    }
    ForgetUnfinishedFile(temp_);
    temp_.clear();
    return true;
}

void WholeFile::Discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        ForgetUnfinishedFile(temp_);
        temp_.clear();
    }
}

}  // namespace vel
