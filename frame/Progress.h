// The progress of a long loop on the main window's progress bar: the loop announces its
// number of steps, reports each step and ends. The steps add up to 99 percent; the bar is
// redrawn, and window events may run, only when the value has grown by more than 0.5 since
// the last redraw. One loop at a time owns the bar.
#pragma once

namespace vel {

struct ProgressState {
    float ProgressStepSize = 99.0f;  // percent per step: 99 / the number of steps
    double ProgressValue = 0;        // the accumulated percentage
    double ProgressShownValue = 0;   // the accumulated percentage at the last redraw
    bool operator==(const ProgressState&) const = default;
};
extern ProgressState Progress;
inline float& ProgressStepSize = Progress.ProgressStepSize;
inline double& ProgressValue = Progress.ProgressValue;
inline double& ProgressShownValue = Progress.ProgressShownValue;

// Counts `steps` steps (fewer than 1 count as 1), then ProgressInit.
void ProgressStart(long steps);
// Empty bar, counters at 0, the hourglass on; for loops that count no steps.
void ProgressInit();
// One step done; redraws (and yields) only when the value grew by more than 0.5. The bar
// never shows more than 100.
void ProgressStep();
// Empty bar, counters at 0, the default pointer. May be called in any state.
void ProgressEnd();

}  // namespace vel
