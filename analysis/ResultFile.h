// A result CSV file of the market analysis, written row by row through the CSV row buffer into
// a temporary file that Close renames over the path. A file that cannot be created or written
// is reported (activity log, and a message box unless SilentMode is set) and written no
// further, so that no report page links to it; whatever stood under the path stays as it was,
// and the calculation that writes it goes on. The file holds the lock of its data folder
// (FolderHold) for its lifetime; while a run, an import or another command holds it, the file is
// refused (HeldForWriting) and not written.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "TextFile.h"

namespace vel {

class FolderHold;

class ResultFile {
public:
    // Opens the file's temporary file; reports a failure.
    explicit ResultFile(const std::string& path);
    // Without a successful Close (a calculation ended by an error), the old file stays.
    ~ResultFile();
    ResultFile(const ResultFile&) = delete;
    ResultFile& operator=(const ResultFile&) = delete;

    // True while the file is open and every write so far succeeded.
    bool ok() const { return file_ != nullptr; }
    // PrintCSVRow of the row buffer (the header line before row 1), when the file is ok.
    void PrintRow(std::int32_t rowNumber);
    // Closes the file, which then replaces the old one; true when it was written whole (also
    // when asked again).
    bool Close();

private:
    void Fail(const std::string& reason);
    std::string path_;
    std::unique_ptr<FolderHold> hold_;
    std::unique_ptr<TextFileWriter> file_;
    bool written_ = false;
};

// Logs "Result file not written: <path> (<reason>)" and, unless SilentMode, shows "The result
// file could not be written:" and the path in a box titled "Vellicor".
void ReportResultFileFailure(const std::string& path, const std::string& reason);

}  // namespace vel
