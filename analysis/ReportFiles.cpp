// The names of the market reports' files.
#include "ReportFiles.h"

#include "AppState.h"
#include "FilePaths.h"
#include "SmallRoutines.h"

namespace vel {

std::string ReportKey(ReportNumber report) {
    return std::string(AutoRunMode == 1 ? "a" : "m") + "cmd" +
           std::to_string(static_cast<int>(report));
}

std::string ReportFilePrefix(ReportNumber report) {
    return JoinPath(ResultsFolderPath, ReportKey(report));
}

std::string GroupNumberText(std::int16_t group) {
    return PadLeftZeros(group);
}

}  // namespace vel
