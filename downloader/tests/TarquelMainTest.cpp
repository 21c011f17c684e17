// The start of Tarquel: the log, manual mode, automatic mode and unusable parameters.
#include <gtest/gtest.h>

#include "AppState.h"
#include "DownloadForm.h"
#include "DownloaderFixture.h"
#include "DownloaderState.h"
#include "TarquelMain.h"

namespace vel {
namespace {

class TarquelMainTest : public testing::DownloaderFixture {
protected:
    void SetUp() override {
        DownloaderFixture::SetUp();
        form.endProgram = [this](int status) { ended.push_back(status); };
    }
    DownloadForm form;
    std::vector<int> ended;
    int shown = 0;
};

TEST_F(TarquelMainTest, NoArgumentStartsManualMode) {
    WriteFile(TempPath("Tarquel.log"), "an old line\r\n");
    URLListPath = "left over";
    std::string folder = TempFolder();
    folder.pop_back();  // the executable's folder comes without its "/"
    Main("   ", folder, form, [&] { ++shown; });
    EXPECT_EQ(ProgramFolderPath, TempFolder());
    EXPECT_EQ(AutomationMode, 0);
    EXPECT_EQ(AutoRunMode, 0);
    EXPECT_EQ(URLListPath, "");
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(form.ListChoiceVisible());
    EXPECT_TRUE(form.RunCommandsEnabled());
    EXPECT_FALSE(form.IsRunning());
    EXPECT_EQ(LogTexts(), (std::vector<std::string>{
                              "an old line",
                              "**************************************************************"
                              "************",
                              "Starting Tarquel."}));
}

TEST_F(TarquelMainTest, AParametersFileStartsTheDownloadAtOnce) {
    WriteFile(TempPath("L.htmurls"), "SaveTo(A.html):http://127.0.0.1:1/\r\n");
    WriteFile(TempPath("P.dwnparams"),
              TempPath("L.htmurls") + "\r\n\r\n" + TempPath("R.dwnresult"));
    Main("  " + TempPath("P.dwnparams") + " ", TempFolder(), form, [&] { ++shown; });
    EXPECT_EQ(AutomationMode, 1);
    EXPECT_EQ(AutoRunMode, 1);
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(form.ListChoiceVisible());
    EXPECT_FALSE(form.RunCommandsEnabled());
    EXPECT_EQ(LogTexts()[1],
              "Starting automatic mode with coomand line: " + TempPath("P.dwnparams"));
    // The run is under way and ends the program by itself.
    ASSERT_TRUE(RunUntil([&] { return !ended.empty(); }));
    EXPECT_EQ(ReadFile(TempPath("R.dwnresult")), "OK\r\n");
}

TEST_F(TarquelMainTest, UnusableParametersEndTheProgram) {
    door_.display = false;
    EXPECT_THROW(Main(TempPath("Missing.dwnparams"), TempFolder(), form, [&] { ++shown; }),
                 testing::ProcessEnded);
    EXPECT_EQ(AutomationMode, 2);
    EXPECT_EQ(shown, 0);
    const auto boxes = door_.CallsOf("message");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Tarquel automation parameters error! End of program!");
    EXPECT_EQ(door_.CallsOf("end")[0].text, "1");
    EXPECT_EQ(LogTexts().back(), "Message: Tarquel automation parameters error! End of program!");
}

}  // namespace
}  // namespace vel
