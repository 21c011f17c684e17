// Text files as the program writes them, one line at a time with CR LF at each line's end, and
// read back whatever the line ends are (CR LF, LF or CR). Files that another program reads
// are written whole or not at all (a temporary file, then a rename).
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace vel {

// The lines of a text file without their line ends, and without a UTF-8 byte-order mark at the
// start of the first. A last line without an end counts; an empty file has no lines. At most
// `maxLines` lines are read (the rest of the file is not). Throws FileError when the file cannot
// be read.
std::vector<std::string> ReadTextLines(const std::string& path,
                                       std::size_t maxLines = static_cast<std::size_t>(-1));

// Replaces the file with the lines, each ended by CR LF. Throws FileError on failure.
void WriteTextLines(const std::string& path, const std::vector<std::string>& lines);
// The same, written to a temporary file beside it and renamed over it, so a reader finds the
// old file or the whole new one. On failure the old file is unchanged and FileError is thrown.
void WriteTextLinesWhole(const std::string& path, const std::vector<std::string>& lines);
// Appends one line ended by CR LF, creating the file when missing. Throws FileError.
void AppendTextLine(const std::string& path, const std::string& line);

// An open text file written line by line with CR LF ends, as a writer that prints rows keeps
// its file open. Closed when destroyed.
class TextFileWriter {
public:
    enum class Mode { Replace, Append };
    // Opens the file; throws FileError when it cannot be opened.
    TextFileWriter(const std::string& path, Mode mode = Mode::Replace);
    ~TextFileWriter();
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    // Writes the text and CR LF. Throws FileError on a failed write.
    void WriteLine(const std::string& text);
    // Writes the text as it is, without a line end.
    void Write(const std::string& text);
    // Flushes and closes; throws FileError when the data could not be written. Idempotent.
    void Close();
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::FILE* file_ = nullptr;
};

}  // namespace vel
