// Registration of the unattended runs, the EOD structure file and the research link list as
// the frame's automation entry points.
#pragma once

namespace vel {

// Fills AutomationCommands: the autorun, load-only and demonstration runs, the research link
// list of the Stock Basket, and the structure file saved after an interactive import.
void RegisterAutomationCommands();

}  // namespace vel
