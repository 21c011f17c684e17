// Registration of the automation entry points.
#include "AutomationCommands.h"

#include "BasketUrlLists.h"
#include "EntryPoints.h"
#include "EodStructure.h"
#include "UnattendedRuns.h"

namespace vel {

void RegisterAutomationCommands() {
    AutomationCommands.RunAutorunMode = RunAutorunMode;
    AutomationCommands.RunAutorunLoadHistory = RunAutorunLoadHistory;
    AutomationCommands.RunDemonstrationMode = RunDemonstrationMode;
    AutomationCommands.GenerateResearchLinksURLs = GenerateResearchLinksURLs;
    AutomationCommands.SaveEODStructure = SaveEODStructure;
    AutomationCommands.StopActiveRun = StopActiveRun;
}

}  // namespace vel
