// The fixture of the frame's tests: the platform fixture (scripted door, fixed clock, temporary
// folder) with the program folder set to the temporary folder and the frame's own state (main
// window state, entry points, vector stores, log path, dialog folder, progress) at its start.
#pragma once

#include <string>
#include <vector>

#include "ActivityLog.h"
#include "AppState.h"
#include "EntryPoints.h"
#include "FileDialogs.h"
#include "MainWindowView.h"
#include "PlatformFixture.h"
#include "Progress.h"
#include "TextFile.h"
#include "VectorStores.h"

namespace vel::testing {

class FrameFixture : public PlatformFixture {
protected:
    void SetUp() override {
        PlatformFixture::SetUp();
        ResetFrame();
        ProgramFolderPath = TempFolder();
    }
    void TearDown() override {
        ResetFrame();
        PlatformFixture::TearDown();
    }

    // The texts of the log's entry lines (behind " >> "); separator lines as they are.
    std::vector<std::string> LogTexts() const {
        std::vector<std::string> texts;
        for (const auto& line : ReadTextLines(ActivityLogPath)) {
            const size_t at = line.find(" >> ");
            texts.push_back(at == std::string::npos ? line : line.substr(at + 4));
        }
        return texts;
    }
    // The texts of the message boxes shown so far.
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const auto& c : door_.CallsOf("message")) texts.push_back(c.text);
        return texts;
    }

private:
    static void ResetFrame() {
        ResetMainWindowState();
        ClearEntryPoints();
        DropVectorStores();
        ActivityLogPath.clear();
        CommonDialogFolder.clear();
        ProgressStepSize = 99.0f;
        ProgressValue = 0;
        ProgressShownValue = 0;
    }
};

}  // namespace vel::testing
