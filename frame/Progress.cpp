// The progress bar of long loops.
#include "Progress.h"

#include "Door.h"
#include "Hooks.h"
#include "MainWindowView.h"
#include "ProcessState.h"

namespace vel {

ProgressState Progress;

namespace {
const StateGroup<Progress> kProgressGroup("Progress");
}

void ProgressStart(long steps) {
    if (steps < 1) steps = 1;
    ProgressStepSize = 99.0f / static_cast<float>(steps);
    ProgressInit();
}

void ProgressInit() {
    ProgressShownValue = 0;
    ProgressValue = 0;
    SetProgressBarValue(0);
    door().SetHourglass(true);
    YieldToEvents();
}

void ProgressStep() {
    ProgressValue += ProgressStepSize;
    if (!(ProgressValue > ProgressShownValue + 0.5)) return;
    ProgressShownValue = ProgressValue;
    if (ProgressValue > 100) ProgressValue = 100;
    SetProgressBarValue(ProgressValue);
    YieldToEvents();
}

void ProgressEnd() {
    ProgressShownValue = 0;
    ProgressValue = 0;
    SetProgressBarValue(0);
    door().SetHourglass(false);
    YieldToEvents();
}

}  // namespace vel
