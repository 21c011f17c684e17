// The market analysis procedures that the charts call.
#include "AnalysisEntryPoints.h"

namespace vel {

AnalysisEntryPoints AnalysisCommands;

void ClearAnalysisEntryPoints() {
    AnalysisCommands = AnalysisEntryPoints{};
}

}  // namespace vel
