// The door's shared rules: the long time form and the unattended answers of message boxes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AppState.h"
#include "Door.h"
#include "PlatformFixture.h"

namespace vel {
namespace {

std::vector<std::string> g_logged;
void Collect(const std::string& line) {
    g_logged.push_back(line);
}

class DoorTest : public testing::PlatformFixture {
protected:
    void SetUp() override {
        PlatformFixture::SetUp();
        g_logged.clear();
        SetMessageLogSink(&Collect);
    }
};

TEST(LongTime, WritesTwelveHourClockWithoutLeadingZero) {
    EXPECT_EQ(formatLongTime({Date{2002, 12, 31}, 18, 5, 1}), "6:05:01 PM");
    EXPECT_EQ(formatLongTime({Date{2002, 12, 31}, 0, 0, 9}), "12:00:09 AM");
    EXPECT_EQ(formatLongTime({Date{2002, 12, 31}, 12, 30, 0}), "12:30:00 PM");
    EXPECT_EQ(formatLongTime({Date{2002, 12, 31}, 11, 59, 59}), "11:59:59 AM");
}

TEST_F(DoorTest, UnattendedRunLogsMessagesAndAnswersNoToQuestions) {
    AutoRunMode = 1;
    EXPECT_EQ(door().MessageBox("Proceed?", "Vellicor", MsgButtons::YesNo), MsgAnswer::No);
    EXPECT_EQ(door().MessageBox("Done.", "Vellicor", MsgButtons::OK), MsgAnswer::OK);
    EXPECT_EQ(door().MessageBox("Stop?", "Vellicor", MsgButtons::OKCancel), MsgAnswer::OK);
    EXPECT_EQ(g_logged,
              (std::vector<std::string>{"Message: Proceed?", "Message: Done.", "Message: Stop?"}));
    EXPECT_EQ(door().OpenFileDialog("t", "All (*)|*", "/"), "");
    EXPECT_EQ(door().InputBox("p", "t", "x"), std::nullopt);
}

TEST_F(DoorTest, WithoutDisplayNoDialogWaitsEvenInManualMode) {
    door_.display = false;
    EXPECT_EQ(door().MessageBox("Question?", "", MsgButtons::YesNoCancel), MsgAnswer::No);
    EXPECT_EQ(g_logged, std::vector<std::string>{"Message: Question?"});
}

TEST_F(DoorTest, InteractiveMessageTakesTheQueuedAnswerAndLogsNothing) {
    door_.QueueMessageAnswer(MsgAnswer::Yes);
    EXPECT_EQ(door().MessageBox("Proceed?", "Vellicor", MsgButtons::YesNo), MsgAnswer::Yes);
    EXPECT_TRUE(g_logged.empty());
}

}  // namespace
}  // namespace vel
