// The base fixture of the chart tests: the platform fixture (scripted door, fixed clock,
// temporary folder), the charts' state and entry points reset, empty stores; a test loads a
// history of its size with LoadSyntheticHistory.
#pragma once

#include "AnalysisEntryPoints.h"
#include "ChartsState.h"
#include "EntryPoints.h"
#include "PlatformFixture.h"
#include "SyntheticHistory.h"
#include "VectorStores.h"

namespace vel::testing {

class ChartsFixture : public PlatformFixture {
protected:
    void SetUp() override {
        PlatformFixture::SetUp();
        ResetChartsState();
        CreateVectorStores();
    }
    void TearDown() override {
        ResetChartsState();
        ClearAnalysisEntryPoints();
        ClearEntryPoints();
        DropVectorStores();
        PlatformFixture::TearDown();
    }
};

}  // namespace vel::testing
