// The base fixture of tests that reach the outside world: the core tables reset, the scripted
// door installed with its fixed clock, yields counted by the door, a fresh temporary folder,
// and a failure for every queued answer that the test left unused.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "CoreFixture.h"
#include "Door.h"
#include "FilePaths.h"
#include "Hooks.h"
#include "ScriptedDoor.h"

namespace vel::testing {

class PlatformFixture : public CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        InstallDoor(&door_);
        SetYieldHook(&YieldThroughDoor);
        SetMessageLogSink(nullptr);
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vellicor-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        temp_ = AsFolderPath(pattern);
    }
    void TearDown() override {
        EXPECT_EQ(door_.UnusedAnswers(), 0u) << "the test left queued dialog answers unused";
        SetMessageLogSink(nullptr);
        InstallDoor(nullptr);
        std::error_code ec;
        std::filesystem::remove_all(temp_, ec);
        CoreFixture::TearDown();
    }

    // The test's own empty folder, ending with "/", removed after the test.
    const std::string& TempFolder() const { return temp_; }
    // A path in the temporary folder.
    std::string TempPath(const std::string& name) const { return JoinPath(temp_, name); }

    ScriptedDoor door_;

private:
    static void YieldThroughDoor() { door().Yield(); }
    std::string temp_;
};

}  // namespace vel::testing
