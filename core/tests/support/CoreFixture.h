// The base fixture of every test: each test starts and ends with every process state group at
// its start values (ResetProcessState) and no hooks installed.
#pragma once

#include <gtest/gtest.h>

#include "AppState.h"
#include "Hooks.h"
#include "ProcessState.h"

namespace vel::testing {

class CoreFixture : public ::testing::Test {
protected:
    void SetUp() override { ResetAll(); }
    void TearDown() override { ResetAll(); }

private:
    static void ResetAll() {
        ResetProcessState();
        SetYieldHook(nullptr);
        SetBusyHook(nullptr);
    }
};

}  // namespace vel::testing
