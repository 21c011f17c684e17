// The activity log.
#include "ActivityLog.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
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

// Opens the log in the mode, writes the text and closes it again. Reports a failure once per
// log path so that an unwritable log does not flood the terminal.
void WriteToLog(const char* mode, const std::string& text) {
    static std::string reportedPath;
    std::FILE* f = std::fopen(ActivityLogPath.c_str(), mode);
    bool ok = f != nullptr;
    if (f) {
        if (!text.empty()) ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
        ok = std::fclose(f) == 0 && ok;
    }
    if (!ok && reportedPath != ActivityLogPath) {
        reportedPath = ActivityLogPath;
        std::fprintf(stderr, "The activity log cannot be written: %s\n", ActivityLogPath.c_str());
    }
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

void OpenActivityLog(const std::string& name) {
    ActivityLogPath = JoinPath(ProgramFolderPath, name);
    SetMessageLogSink(&WriteActivityLog);
    std::error_code ec;
    std::uintmax_t size = 0;
    if (std::filesystem::is_regular_file(ActivityLogPath, ec)) {
        size = std::filesystem::file_size(ActivityLogPath, ec);
        if (ec) size = 0;
    }
    if (size == 0 || size > kActivityLogLimit)
        WriteToLog("wb", "");
    else
        WriteToLog("ab", std::string(kSeparator) + "\r\n");
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
    WriteToLog("ab", "Date: " + formatShortDate(now.date) + "  Time: " + formatLongTime(now) +
                         " >> " + OneLine(text) + "\r\n");
}

}  // namespace vel
