// The one reset of everything the charts keep process-wide (curve attributes, panes, click,
// drawing target, view texts, basket pointer and paths, symbol memory). It is registered as
// the process state group "Charts", so ResetProcessState reaches it; the day window, cursor
// and basket flags are core's groups.
#pragma once

namespace vel {

void ResetChartsState();

}  // namespace vel
