// The one reset of everything the charts keep process-wide (curve attributes, panes, click,
// drawing target, view texts, basket pointer and paths, symbol memory), for the history load
// and the test fixtures. The day window, cursor and basket flags are core's and reset there.
#pragma once

namespace vel {

void ResetChartsState();

}  // namespace vel
