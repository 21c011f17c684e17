// Files written whole or not at all.
#include "WholeFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string>

#include "FilePaths.h"

namespace vel {

namespace {

long g_failureIn = 0;

// True when the injected failure is due now.
bool InjectedFailure() {
    if (g_failureIn <= 0 || --g_failureIn > 0) return false;
    errno = ENOSPC;
    return true;
}

}  // namespace

long InjectFileFailure(long n) {
    const long left = g_failureIn;
    g_failureIn = n;
    return left;
}

WholeFile::WholeFile(std::string target) : target_(std::move(target)) {}

WholeFile::~WholeFile() {
    Discard();
}

bool WholeFile::Open() {
    Discard();
    if (InjectedFailure()) return false;
    // A short name of its own per process and file in the target's folder; the file gets the
    // usual permissions (umask).
    static std::atomic<unsigned> counter = 0;
    const std::string folder = FolderOf(target_);
    const std::string stem = folder + ".vel-" + std::to_string(::getpid()) + "-";
    for (int tries = 0; tries < 100; ++tries) {
        const std::string name = stem + std::to_string(++counter) + ".tmp";
        fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            temp_ = name;
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

bool WholeFile::Write(const char* data, size_t size) {
    if (fd_ < 0 || InjectedFailure()) return false;
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
    if (InjectedFailure()) {
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
        temp_.clear();
    }
}

}  // namespace vel
