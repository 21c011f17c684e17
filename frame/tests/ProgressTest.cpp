// The progress bar of long loops: the step size, the redraw rule and the cap at 100.
#include <gtest/gtest.h>

#include "FrameFixture.h"
#include "Progress.h"
#include "RecordingView.h"

namespace vel {
namespace {

class ProgressTest : public testing::FrameFixture {
protected:
    void SetUp() override {
        FrameFixture::SetUp();
        InstallMainWindowView(&view);
    }
    testing::RecordingView view;
};

TEST_F(ProgressTest, ZeroOrNegativeCountMeansOneStepOf99) {
    for (long n : {0L, -5L}) {
        ProgressStart(n);
        EXPECT_FLOAT_EQ(ProgressStepSize, 99.0f);
        ProgressStep();
        EXPECT_DOUBLE_EQ(ProgressBarValue(), 99.0);
    }
}

TEST_F(ProgressTest, StepsBeyondTheCountHoldTheBarAt100) {
    ProgressStart(1);
    EXPECT_TRUE(door_.hourglass);
    view.progressShown.clear();
    ProgressStep();
    ProgressStep();
    ProgressStep();
    EXPECT_EQ(view.progressShown, (std::vector<double>{99, 100, 100}));
    EXPECT_DOUBLE_EQ(ProgressValue, 100.0);
    EXPECT_DOUBLE_EQ(ProgressShownValue, 199.0);
}

TEST_F(ProgressTest, ThousandStepsRedrawAtEverySixthStep) {
    ProgressStart(1000);
    view.progressShown.clear();
    const int yieldsBefore = door_.yields;
    std::vector<int> redrawSteps;
    for (int i = 1; i <= 36; ++i) {
        const size_t before = view.progressShown.size();
        ProgressStep();
        if (view.progressShown.size() != before) redrawSteps.push_back(i);
    }
    EXPECT_EQ(redrawSteps, (std::vector<int>{6, 12, 18, 24, 30, 36}));
    // Only a redraw lets window events run.
    EXPECT_EQ(door_.yields - yieldsBefore, 6);
    // The straightforward sum of the single-precision steps.
    double sum = 0;
    for (int i = 0; i < 36; ++i) sum += 99.0f / 1000.0f;
    EXPECT_DOUBLE_EQ(ProgressValue, sum);
}

TEST_F(ProgressTest, FiftyStepsRedrawEveryStepAndEndAt99) {
    ProgressStart(50);
    view.progressShown.clear();
    for (int i = 0; i < 50; ++i) ProgressStep();
    EXPECT_EQ(view.progressShown.size(), 50u);
    EXPECT_NEAR(ProgressBarValue(), 99.0, 1e-4);
}

TEST_F(ProgressTest, EndWithoutStartEmptiesTheBarAndRestoresThePointer) {
    door_.hourglass = true;
    ProgressValue = 40;
    ProgressShownValue = 40;
    ProgressEnd();
    EXPECT_EQ(view.progressShown, std::vector<double>{0});
    EXPECT_FALSE(door_.hourglass);
    EXPECT_EQ(ProgressValue, 0);
    EXPECT_EQ(ProgressShownValue, 0);
}

}  // namespace
}  // namespace vel
