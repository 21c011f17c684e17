// A file written whole or not at all: the bytes go to a temporary file beside the target
// (a short name of its own in the target's folder), which is renamed onto the target only when
// all of them are written, so a reader finds the old file, no file, or the whole new one. This
// is the one road of every file the programs write as a whole. The temporary file is noted as
// unfinished (UnfinishedFiles.h) while it exists, so that an end of the process removes it.
#pragma once

#include <cstddef>
#include <string>

namespace vel {

class WholeFile {
public:
    explicit WholeFile(std::string target);
    // A file that was not committed is removed.
    ~WholeFile();
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;

    // Creates the temporary file; false (errno set) when the folder cannot take it, or when
    // the target is a folder or a file that may not be written. The temporary name does not
    // grow with the target's, so a target of any name its folder takes can be written.
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
    std::string temp_;
    int fd_ = -1;
};

// Fault injection for tests: the n-th file operation of WholeFile from now on (1: the next
// Open, Write or Commit) fails as a full disk would make it; 0 switches the injection off. A
// failure switches it off too. With a target, only the operations on that target count.
// Returns how many operations the previous injection still had to go (0 when its failure came
// or there was none).
long InjectFileFailure(long n, const std::string& target = "");

}  // namespace vel
