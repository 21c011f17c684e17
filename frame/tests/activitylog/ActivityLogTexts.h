// Test support of the activity log alone, for the tests of both programs: the texts of the
// entries that the log holds, read back from its file.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "ActivityLog.h"
#include "AppState.h"
#include "TextFile.h"

namespace vel::testing {

// The texts of the log's entry lines (behind " >> "), separator lines as they are; none when
// the log file does not exist. Throws FileError when it exists but cannot be read.
inline std::vector<std::string> ActivityLogTexts() {
    std::vector<std::string> texts;
    if (!std::filesystem::exists(ActivityLogPath)) return texts;
    for (const auto& line : ReadTextLines(ActivityLogPath)) {
        const size_t at = line.find(" >> ");
        texts.push_back(at == std::string::npos ? line : line.substr(at + 4));
    }
    return texts;
}

}  // namespace vel::testing
