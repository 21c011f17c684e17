// A file written whole or not at all: the bytes go to a temporary file beside the target
// (a short name of its own in the target's folder), which is renamed onto the target only when
// all of them are written, so a reader finds the old file, no file, or the whole new one. This
// is the one road of every file the programs write as a whole. A target that is a symbolic
// link is written through to the file it names (the temporary file lies beside that file, and
// the link stays); a target that exists and is not a regular file (a folder, a device, a FIFO,
// a socket) is refused. The temporary file is noted as unfinished (UnfinishedFiles.h) while it
// exists, so that an end of the process removes it.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>

namespace vel {

class WholeFile {
public:
    // `lookedMissing`: the caller has just looked and found nothing under the target, and Open
    // takes its word instead of looking again (see Open).
    explicit WholeFile(std::string target, bool lookedMissing = false);
    // A file that was not committed is removed.
    ~WholeFile();
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;

    // Creates the temporary file in the folder of the file the target names; false (errno set)
    // when that folder cannot take it, when the target's links do not end (ELOOP), or when the
    // file exists and is a folder (EISDIR), is no regular file (EPERM) or may not be written.
    // The temporary file takes the permission bits 0777 and, where the process may, the group
    // of the file it replaces. The temporary name does not grow with the target's, so a target of
    // any name its folder takes can be written. For a target looked missing, the temporary file
    // goes to the target's own folder: should a link or another file appear under the target
    // meanwhile, the rename replaces that entry itself, as it does any entry that appears there
    // while the file is written, and nothing is opened or written through it.
    bool Open();
    // Appends the bytes; false on a write error (the file is then useless).
    bool Write(const char* data, size_t size);
    // Closes the temporary file and renames it onto the target; false on failure, when the
    // temporary file is removed and the target left as it was.
    bool Commit();
    // Removes the temporary file; the target stays as it was.
    void Discard();
    bool isOpen() const { return fd_ >= 0; }

private:
    std::string target_;
    bool lookedMissing_ = false;
    std::string final_;  // the file the target names, through its links
    std::string temp_;
    int fd_ = -1;
};

// Deletes the file (a link itself, never what it names). True when it is gone, also when it
// was not there; false (errno set) when it still stands.
bool RemoveFile(const std::string& path);

// Removes the temporary files that the process `pid` left in the folder and its subfolders (a
// link to a folder is not entered): those of its whole-file writes (a short name that carries its
// process id), which a process killed in the middle of a write cannot remove itself. Only
// regular files of that name are removed, as entries themselves (a link of such a name is no
// file of the process, and stays, as does what it names); nothing else is touched. A folder it
// may not read, or an entry gone meanwhile, is passed over and the rest still seen. Returns how
// many were removed.
int RemoveTemporaryFilesOf(long long pid, const std::string& folder);

// Fault injection for tests: every RemoveFile of the path fails from now on (EACCES, as in a
// folder the process may not change) until this is called with "".
void InjectRemoveFailure(const std::string& path);

// Fault injection for tests: from now on (`on`) WholeFile changes the group of its files as
// a user who is not root may, a member of the group `memberOf` only: a change of owner, or to
// any other group than the file's own, is refused (EPERM). false switches it off.
void InjectUnprivilegedOwnership(bool on, gid_t memberOf = static_cast<gid_t>(-1));

// Fault injection for tests: the n-th file operation of WholeFile from now on (1: the next
// Open, Write or Commit) fails as a full disk would make it; 0 switches the injection off. A
// failure switches it off too. With a target, only the operations on that target count.
// Returns how many operations the previous injection still had to go (0 when its failure came
// or there was none).
long InjectFileFailure(long n, const std::string& target = "");

// Fault injection for tests: from now on (`on`) every Open of WholeFile fails as a full disk
// would make it (ENOSPC), until this is called with false.
void InjectFullDisk(bool on);

// Fault injection for tests: the hook runs at the start of every WholeFile::Write, on the thread
// that writes, with the target (to make a write slow); nullptr removes it. Set it only while no
// file is being written.
void InjectWriteHook(std::function<void(const std::string& target)> hook);

}  // namespace vel
