// Base fixture: every test starts and ends with the process-wide tables at their start
// values and no hooks installed.
#pragma once

#include <gtest/gtest.h>

#include "AppState.h"
#include "Hooks.h"

namespace vel::testing {

class CoreFixture : public ::testing::Test {
protected:
    void SetUp() override { resetAll(); }
    void TearDown() override { resetAll(); }

private:
    static void resetAll() {
        ResetAppState();
        SetYieldHook(nullptr);
        SetBusyHook(nullptr);
    }
};

}  // namespace vel::testing
