// The RESULTS folder made again before a report.
#include "ResultsFolder.h"

#include <filesystem>
#include <system_error>

#include "AppState.h"
#include "Door.h"

namespace vel {

bool EnsureResultsFolder() {
    if (ResultsFolderPath.empty()) return true;
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(ResultsFolderPath, ec)))
        return true;
    if (std::filesystem::create_directory(ResultsFolderPath, ec) && !ec) return true;
    door().MessageBox("RESULTS folder cannot be created!\r\n" + ResultsFolderPath, "Vellicor",
                      MsgButtons::OK);
    return false;
}

}  // namespace vel
