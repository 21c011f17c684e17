// Plain text files of the store: the comma-separated exports and the base file are written
// line by line with CR LF line ends; the base file is read whole. Used only inside vectors/.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace vel::detail {

// A file opened for output: created, or emptied when it exists. The destructor closes it, so
// an operation that ends with an error leaves the lines written so far in a closed file.
class LineFile {
public:
    // FileError when the path cannot be opened for writing.
    explicit LineFile(const std::string& path);
    ~LineFile();
    LineFile(const LineFile&) = delete;
    LineFile& operator=(const LineFile&) = delete;

    // Writes the text and CR LF; FileError when the write fails.
    void writeLine(std::string_view line);
    // Closes the file; FileError when the data could not be written out.
    void close();

private:
    std::FILE* file_ = nullptr;
    std::string path_;
};

// The whole text of a file without a UTF-8 byte-order mark at its start; FileError when it
// cannot be opened or read.
std::string readWholeFile(const std::string& path);

// The fields of a text: lines end in CR LF, LF or CR (no field follows a final line end), and
// commas separate fields within a line; every field is trimmed of blanks and tabs. An empty
// line is one empty field.
std::vector<std::string_view> splitFields(std::string_view text);

}  // namespace vel::detail
