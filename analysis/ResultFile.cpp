// Result CSV files that report their own failure.
#include "ResultFile.h"

#include "ActivityLog.h"
#include "AppState.h"
#include "CsvRows.h"
#include "Door.h"
#include "Errors.h"
#include "FolderHold.h"

namespace vel {

void ReportResultFileFailure(const std::string& path, const std::string& reason) {
    WriteActivityLog("Result file not written: " + path + " (" + reason + ")");
    if (SilentMode == 0)
        door().MessageBox("The result file could not be written:\r\n" + path, "Vellicor",
                          MsgButtons::OK);
}

ResultFile::ResultFile(const std::string& path)
    : path_(path), hold_(std::make_unique<FolderHold>(DataFolderOf(path))) {
    if (!HeldForWriting(*hold_)) return;
    try {
        file_ = std::make_unique<TextFileWriter>(path);
    } catch (const FileError& e) {
        ReportResultFileFailure(path, e.what());
    }
}

ResultFile::~ResultFile() = default;

void ResultFile::PrintRow(std::int32_t rowNumber) {
    if (!file_) return;
    try {
        PrintCSVRow(*file_, rowNumber);
    } catch (const FileError& e) {
        Fail(e.what());
    }
}

bool ResultFile::Close() {
    if (!file_) return written_;
    try {
        file_->Close();
        file_.reset();
        written_ = true;
    } catch (const FileError& e) {
        Fail(e.what());
    }
    return written_;
}

void ResultFile::Fail(const std::string& reason) {
    file_.reset();
    ReportResultFileFailure(path_, reason);
}

}  // namespace vel
