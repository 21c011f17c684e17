// Text files as the program writes them, one line at a time with CR LF at each line's end, and
// read back whatever the line ends are (CR LF, LF or CR). A file replaced as a whole is
// written whole or not at all (a temporary file, then a rename: WholeFile).
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "WholeFile.h"

namespace vel {

// The line end of the texts the program writes: its files, message boxes and clipboard texts.
inline constexpr const char* kCrLf = "\r\n";

// The lines of a text file without their line ends, and without a UTF-8 byte-order mark at the
// start of the first. A last line without an end counts; an empty file has no lines. At most
// `maxLines` lines are read (the rest of the file is not). Throws FileError when the file cannot
// be read.
std::vector<std::string> ReadTextLines(const std::string& path,
                                       std::size_t maxLines = static_cast<std::size_t>(-1));

// Replaces the file with the lines, each ended by CR LF, written whole (a temporary file
// beside it, renamed over it), so a reader finds the old file or the whole new one. On failure
// the old file is unchanged, no temporary file is left, and FileError is thrown.
// `lookedMissing`: the caller has just removed the entry under the path (or looked and found
// none); the file is then written in the path's own folder, and should a link appear there
// meanwhile, the rename replaces the link itself: nothing is written through it (WholeFile).
void WriteTextLines(const std::string& path, const std::vector<std::string>& lines,
                    bool lookedMissing = false);
// Appends one line ended by CR LF, creating the file when missing. Throws FileError.
void AppendTextLine(const std::string& path, const std::string& line);

// An open text file written line by line with CR LF ends, as a writer that prints rows keeps
// its file open.
// - Replace: the lines go to a temporary file beside the path, which Close renames over it.
//   Until then the old file stays as it was; a failed write or Close, or a writer destroyed
//   without a successful Close, removes the temporary file and leaves the old file unchanged.
// - Append: the lines are added to the file (created when missing) as they are written;
//   closed when destroyed.
class TextFileWriter {
public:
    enum class Mode { Replace, Append };
    // Opens the file (Replace: its temporary file, beside the file a link names); throws
    // FileError when it cannot be opened, also when the path is a folder, a file that may not
    // be written, or (Replace) no regular file at all, such as a device or a FIFO.
    // `lookedMissing` (Replace): as for WriteTextLines.
    TextFileWriter(const std::string& path, Mode mode = Mode::Replace, bool lookedMissing = false);
    ~TextFileWriter();
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    // Writes the text and CR LF. Throws FileError on a failed write (the writer is then closed
    // and has written nothing under its path).
    void WriteLine(const std::string& text);
    // Writes the text as it is, without a line end.
    void Write(const std::string& text);
    // Writes what is pending and closes (Replace: renames the file over the path); throws
    // FileError when the data could not be written. Idempotent.
    void Close();
    const std::string& path() const { return path_; }

private:
    void Flush();
    std::string path_;
    std::FILE* file_ = nullptr;         // Append
    std::unique_ptr<WholeFile> whole_;  // Replace
    std::string pending_;               // Replace: text not yet handed to the file
};

}  // namespace vel
