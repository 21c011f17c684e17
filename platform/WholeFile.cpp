// Files written whole or not at all.
#include "WholeFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "FilePaths.h"
#include "UnfinishedFiles.h"

namespace vel {

namespace {

// The start of the names of the temporary files of a process: ".vel-<pid>-", then a number of
// the process's own and ".tmp".
std::string TemporaryStem(long long pid) {
    return ".vel-" + std::to_string(pid) + "-";
}

long g_failureIn = 0;
std::string g_failureTarget;          // "": every target counts
std::atomic<bool> g_fullDisk{false};  // every Open fails (ENOSPC); read by the writer thread
std::string g_removeFailure;          // "": no removal fails
bool g_unprivileged = false;          // ownership changes judged as for a user who is not root
gid_t g_memberGroup = static_cast<gid_t>(-1);
std::function<void(const std::string&)> g_writeHook;

// fchown, or, under the injection, the answer a user who is not root gets: a change of owner,
// or to a group that is neither the file's nor the user's, is refused (EPERM).
int ChangeOwnership(int fd, uid_t owner, gid_t group) {
    if (g_unprivileged) {
        struct stat st {};
        if (::fstat(fd, &st) != 0) return -1;
        if ((owner != static_cast<uid_t>(-1) && owner != st.st_uid) ||
            (group != static_cast<gid_t>(-1) && group != st.st_gid && group != g_memberGroup)) {
            errno = EPERM;
            return -1;
        }
    }
    return ::fchown(fd, owner, group);
}

// True when the injected failure is due now.
bool InjectedFailure(const std::string& target) {
    if (g_failureIn <= 0 || (!g_failureTarget.empty() && target != g_failureTarget) ||
        --g_failureIn > 0)
        return false;
    errno = ENOSPC;
    return true;
}

// The file a target names: the target itself, or, when it is a symbolic link, the end of its
// chain of links (a relative link is read from the link's own folder), which need not exist
// yet. `st` gets the status of that file and `exists` whether there is one, from the same look
// that found it is no link (one system call for a plain new file). False (errno ELOOP) for a
// chain that does not end, or errno of a link that cannot be read.
bool FinalTarget(const std::string& target, std::string& final, struct stat& st, bool& exists) {
    final = target;
    // As many links as the system itself follows in one path.
    for (int links = 0; links <= 40; ++links) {
        exists = ::lstat(final.c_str(), &st) == 0;
        if (!exists || !S_ISLNK(st.st_mode)) return true;
        std::string text(PATH_MAX, '\0');
        const ssize_t n = ::readlink(final.c_str(), text.data(), text.size());
        if (n < 0) return false;
        if (static_cast<size_t>(n) == text.size()) {
            errno = ENAMETOOLONG;
            return false;
        }
        text.resize(static_cast<size_t>(n));
        final = !text.empty() && text.front() == '/' ? text : FolderOf(final) + text;
    }
    errno = ELOOP;
    return false;
}

// False (errno set) when the file exists and is not a regular file, or may not be written:
// a rename would take the place of a folder, a device or a FIFO, or of a file the user keeps
// read-only. `st` is the status of an existing file (`exists`), kept for the file that
// replaces it.
bool MayBeReplaced(const std::string& file, const struct stat& st, bool exists) {
    if (!exists) return true;
    if (!S_ISREG(st.st_mode)) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : EPERM;
        return false;
    }
    return ::access(file.c_str(), W_OK) == 0;
}

// Gives the new file the permission bits 0777 and, where the process may, the group of the
// file it replaces (a table the user keeps private, or shares with a group, stays so); never
// the set-user, set-group or sticky bit, which downloaded bytes must not carry. The owner is
// left alone: only root may give a file away, while any user may give it a group of his own.
// False (errno set) when the permissions cannot be set.
bool KeepModeAndGroup(int fd, const struct stat& st) {
    if (ChangeOwnership(fd, static_cast<uid_t>(-1), st.st_gid) != 0 && errno != EPERM) return false;
    return ::fchmod(fd, st.st_mode & 0777) == 0;
}

}  // namespace

long InjectFileFailure(long n, const std::string& target) {
    const long left = g_failureIn;
    g_failureIn = n;
    g_failureTarget = target;
    return left;
}

bool RemoveFile(const std::string& path) {
    if (!g_removeFailure.empty() && path == g_removeFailure) {
        errno = EACCES;
        return false;
    }
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

void InjectWriteHook(std::function<void(const std::string& target)> hook) {
    g_writeHook = std::move(hook);
}

void InjectFullDisk(bool on) {
    g_fullDisk = on;
}

void InjectRemoveFailure(const std::string& path) {
    g_removeFailure = path;
}

void InjectUnprivilegedOwnership(bool on, gid_t memberOf) {
    g_unprivileged = on;
    g_memberGroup = memberOf;
}

int RemoveTemporaryFilesOf(long long pid, const std::string& folder) {
    if (pid <= 0) return 0;
    const std::string stem = TemporaryStem(pid);
    const auto named = [&stem](const std::string& name) {
        return name.size() > stem.size() + 4 && name.compare(0, stem.size(), stem) == 0 &&
               name.compare(name.size() - 4, 4, ".tmp") == 0;
    };
    int removed = 0;
    // Subfolders too, since a save name may lead into one, depth first: each is opened through
    // its parent without following a link. What cannot be read (a folder the process may not
    // open, an entry gone meanwhile, a status that fails) is passed over; the rest is still seen.
    std::vector<DIR*> open;
    if (DIR* top = ::opendir(folder.c_str())) open.push_back(top);
    while (!open.empty()) {
        DIR* dir = open.back();
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) {  // the end, or a folder that cannot be read further
            ::closedir(dir);
            open.pop_back();
            continue;
        }
        const std::string name = entry->d_name;
        const bool temporary = named(name);
        if (name == "." || name == ".." ||
            (!temporary && entry->d_type != DT_DIR && entry->d_type != DT_UNKNOWN))
            continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            const int fd = ::openat(::dirfd(dir), name.c_str(),
                                    O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            DIR* sub = fd >= 0 ? ::fdopendir(fd) : nullptr;
            if (sub != nullptr)
                open.push_back(sub);
            else if (fd >= 0)
                ::close(fd);
        } else if (temporary && S_ISREG(st.st_mode) &&
                   ::unlinkat(::dirfd(dir), name.c_str(), 0) == 0) {
            ++removed;
        }
    }
    return removed;
}

WholeFile::WholeFile(std::string target, bool lookedMissing)
    : target_(std::move(target)), lookedMissing_(lookedMissing) {}

WholeFile::~WholeFile() {
    Discard();
}

bool WholeFile::Open() {
    Discard();
    struct stat st {};
    bool exists = false;
    if (InjectedFailure(target_)) return false;
    if (g_fullDisk) {
        errno = ENOSPC;
        return false;
    }
    if (lookedMissing_) {
        // One look less for a new file: the caller's look found no link to follow, nothing
        // to refuse and no mode to keep.
        final_ = target_;
    } else if (!FinalTarget(target_, final_, st, exists) || !MayBeReplaced(final_, st, exists)) {
        return false;
    }
    // A short name of its own per process and file in the folder of the file that is
    // replaced, so that the rename replaces it and a link to it stays a link. The file gets the
    // usual permissions (umask), or those of the file it replaces.
    static std::atomic<unsigned> counter = 0;
    const std::string folder = FolderOf(final_);
    const std::string stem = folder + TemporaryStem(::getpid());
    for (int tries = 0; tries < 100; ++tries) {
        const std::string name = stem + std::to_string(++counter) + ".tmp";
        fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            temp_ = name;
            NoteUnfinishedFile(temp_);
            if (exists && !KeepModeAndGroup(fd_, st)) {
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
    if (g_writeHook) g_writeHook(target_);
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
    if (!closed || std::rename(temp_.c_str(), final_.c_str()) != 0) {
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
