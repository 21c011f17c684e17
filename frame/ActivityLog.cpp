// The activity log.
#include "ActivityLog.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "AppState.h"
#include "Door.h"
#include "FilePaths.h"
#include "NumberText.h"
#include "ProcessState.h"

namespace vel {

ActivityLogState ActivityLog;

namespace {

const StateGroup<ActivityLog> kActivityLogGroup("ActivityLog");

std::vector<std::string> g_heldTexts;

const char* const kSeparator =
    "**************************************************************************";

// The log file as it is open for appends: the path it was opened under and the identity of the
// file, so that a file removed or replaced under that path (or a path changed by the caller) is
// opened anew at the next line, as a file opened for every line would be. Where the path is the
// file's own name (no symbolic link on the way), a watch on the file and its folder tells of a
// removal, a rename or a file renamed over it without a look at the path for every line. A path
// through a link (into a folder that logrotate keeps, say) is looked at before every line, since
// its target can be renamed or removed with no news on the path's side; so is a path where no
// watch could be set.
struct OpenLogFile {
    std::string path;
    int fd = -1;
    dev_t device = 0;
    ino_t inode = 0;
    int watch = -1;  // an inotify instance, non-blocking
};
OpenLogFile g_log;
std::mutex g_logMutex;

// Whether the path names the open file itself.
bool PathNamesOpenFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && st.st_dev == g_log.device && st.st_ino == g_log.inode;
}

void CloseLog() {
    if (g_log.fd >= 0) ::close(g_log.fd);
    if (g_log.watch >= 0) ::close(g_log.watch);
    g_log = OpenLogFile{};
}

// Whether the path reaches its file through no symbolic link (of the file or of a folder).
bool PathIsItsOwnName(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    const bool own = real != nullptr && path == real;
    std::free(real);
    return own;
}

// Watches the open file and its folder: a link of the file removed (an unlink, a file renamed
// over it) comes as IN_ATTRIB, a rename of either as IN_MOVE_SELF. The watch counts only when
// it was set on the open file itself under its own name (the path could have been replaced
// since the open).
void WatchLog() {
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch < 0) return;
    const std::string folder = FolderOf(g_log.path);
    const bool set =
        ::inotify_add_watch(watch, g_log.path.c_str(),
                            IN_ATTRIB | IN_MOVE_SELF | IN_DELETE_SELF | IN_DONT_FOLLOW) >= 0 &&
        ::inotify_add_watch(watch, folder.empty() ? "." : folder.c_str(),
                            IN_MOVE_SELF | IN_DELETE_SELF | IN_ONLYDIR) >= 0 &&
        PathIsItsOwnName(g_log.path) && PathNamesOpenFile(g_log.path);
    if (set)
        g_log.watch = watch;
    else
        ::close(watch);
}

// Whether the watch has news: one read that finds nothing says no.
bool WatchHasNews() {
    alignas(inotify_event) char events[4096];
    bool news = false;
    for (;;) {
        const ssize_t n = ::read(g_log.watch, events, sizeof events);
        if (n > 0) {
            news = true;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        return news || !(n < 0 && errno == EAGAIN);
    }
}

// The open file still stands under ActivityLogPath. A watched file with news is opened anew, which
// also decides again whether the path can be watched (it may have become a link).
bool LogStillOpen() {
    if (g_log.fd < 0 || g_log.path != ActivityLogPath) return false;
    if (g_log.watch >= 0) return !WatchHasNews();
    return PathNamesOpenFile(ActivityLogPath);
}

enum class LogOpen { Open, Failed, NotRegular };

// Opens the file for appends without waiting (a FIFO would wait for a reader for ever, before any
// signal can be handled) and takes only a regular file: `fd` and `st` get its descriptor and
// status. Neither creates nor empties anything but a missing file.
LogOpen OpenForAppends(int& fd, struct stat& st) {
    // For reading too where the user may: on NFS a shared flock is a read lock, which a descriptor
    // open for writing only cannot take.
    const int flags = O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK;
    fd = ::open(ActivityLogPath.c_str(), O_RDWR | flags, 0666);
    if (fd < 0 && errno == EACCES) fd = ::open(ActivityLogPath.c_str(), O_WRONLY | flags, 0666);
    // A FIFO without a reader, a socket or a folder.
    if (fd < 0) return errno == ENXIO || errno == EISDIR ? LogOpen::NotRegular : LogOpen::Failed;
    const LogOpen result = ::fstat(fd, &st) != 0 ? LogOpen::Failed
                           : S_ISREG(st.st_mode) ? LogOpen::Open
                                                 : LogOpen::NotRegular;
    if (result != LogOpen::Open) {
        ::close(fd);
        fd = -1;
    }
    return result;
}

// Takes the shared lock that every writer of the log holds on its descriptor while it runs, so
// that no start of another process empties the file under it. Another start holds the file
// exclusively only while it empties it or writes its separator: that is waited for, up to about
// two seconds (an outside program holding the lock for longer is not waited on; the log is then
// written without the lock).
void LockShared(int fd) {
    for (int tries = 0; tries < 2000; ++tries) {
        if (::flock(fd, LOCK_SH | LOCK_NB) == 0) return;
        if (errno != EWOULDBLOCK && errno != EINTR) return;
        ::usleep(1000);
    }
}

// Makes the descriptor the open log (the one open before is closed only now, so that its shared
// lock is held until the new one's is).
void InstallLog(int fd, const struct stat& st) {
    CloseLog();
    g_log = OpenLogFile{ActivityLogPath, fd, st.st_dev, st.st_ino};
    WatchLog();
}

// Writes the whole text in one write where the system allows, so that a reader of the file never
// sees part of a line and the log is complete up to its last line however the process ends.
bool WriteAll(int fd, const std::string& text) {
    for (size_t done = 0; done < text.size();) {
        const auto written = ::write(fd, text.data() + done, text.size() - done);
        if (written > 0)
            done += static_cast<size_t>(written);
        else if (written == 0 || errno != EINTR)
            return false;
    }
    return true;
}

std::string g_reportedPath;  // the log path whose failure was reported on standard error

// Reports a failure of the log once per log path, so that an unwritable log does not flood the
// terminal.
void ReportFailure(LogOpen opened) {
    if (g_reportedPath == ActivityLogPath) return;
    g_reportedPath = ActivityLogPath;
    std::fprintf(stderr,
                 opened == LogOpen::NotRegular ? "The activity log is not a regular file: %s\n"
                                               : "The activity log cannot be written: %s\n",
                 ActivityLogPath.c_str());
}

// Appends the text to the log, opening it anew (under the shared lock) where the open file no
// longer stands under its path.
void WriteToLog(const std::string& text) {
    const std::lock_guard<std::mutex> lock(g_logMutex);
    LogOpen opened = LogOpen::Open;
    if (!LogStillOpen()) {
        int fd = -1;
        struct stat st {};
        opened = OpenForAppends(fd, st);
        if (opened == LogOpen::Open) {
            LockShared(fd);
            InstallLog(fd, st);
        } else {
            CloseLog();
        }
    }
    if (opened != LogOpen::Open || !WriteAll(g_log.fd, text)) ReportFailure(opened);
}

// The text as one line: trailing line breaks dropped, inner ones (CR LF, LF or CR) made blanks.
std::string OneLine(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            out += c;
            continue;
        }
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        if (text.find_first_not_of("\r\n", i + 1) != std::string::npos) out += ' ';
    }
    return out;
}

}  // namespace

bool OpenActivityLog(const std::string& name) {
    ActivityLogPath = JoinPath(ProgramFolderPath, name);
    SetMessageLogSink(&WriteActivityLog);
    const std::lock_guard<std::mutex> lock(g_logMutex);
    // An earlier open of this process is no other writer; a start reports its own failure.
    CloseLog();
    g_reportedPath.clear();
    int fd = -1;
    struct stat st {};
    const LogOpen opened = OpenForAppends(fd, st);
    bool ready = opened == LogOpen::Open;
    if (ready) {
        // Only a start that holds the file alone (no other process has it open as its log) may
        // empty it. Of two starts at once one gets the exclusive lock; the other waits for its
        // shared lock until the first has emptied the file, and then finds it empty (and writes
        // no separator) or holding the first one's lines (and appends its separator). The size
        // is measured under the lock, so that what a start decides holds until it has written.
        const bool alone = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        if (!alone) LockShared(fd);
        ready = ::fstat(fd, &st) == 0;
        if (ready && st.st_size > 0) {
            ready = alone && static_cast<std::uintmax_t>(st.st_size) > kActivityLogLimit
                        ? ::ftruncate(fd, 0) == 0
                        : WriteAll(fd, std::string(kSeparator) + "\r\n");
        }
        // Back to the shared lock without waiting on whoever may take the file meanwhile.
        if (alone) LockShared(fd);
        InstallLog(fd, st);
    }
    if (!ready) ReportFailure(opened);
    return ready;
}

void WriteActivityLogOrHold(const std::string& text) {
    if (ActivityLogPath.empty())
        g_heldTexts.push_back(text);
    else
        WriteActivityLog(text);
}

void WriteHeldActivityLog() {
    std::vector<std::string> texts;
    texts.swap(g_heldTexts);
    for (const auto& text : texts) WriteActivityLog(text);
}

void WriteActivityLog(const std::string& text) {
    if (ActivityLogPath.empty()) return;
    const DateTime now = door().Now();
    WriteToLog("Date: " + formatShortDate(now.date) + "  Time: " + formatLongTime(now) + " >> " +
               OneLine(text) + "\r\n");
}

}  // namespace vel
