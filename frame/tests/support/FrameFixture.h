// The fixture of the tests of the frame and of every folder above it: the platform fixture
// (every state group at its start, scripted door, fixed clock, temporary folder) with the
// program folder set to the temporary folder, and readers of the log and the message boxes.
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
        ProgramFolderPath = TempFolder();
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
};

}  // namespace vel::testing
