// The market analysis's part of the program's wiring: the entry points of the charts and the
// chart window that this library serves.
#pragma once

namespace vel {

// Fills the entries of AnalysisCommands that the analysis has built.
void RegisterAnalysisCommands();

}  // namespace vel
