// The three vector stores of the process.
#include "VectorStores.h"

#include "ProcessState.h"

namespace vel {

VectorStoreState VectorStores;

namespace {
const StateGroup<VectorStores> kVectorStoresGroup("VectorStores");
}

void CreateVectorStores() {
    MainVectors = std::make_unique<clsVectors>();
    VolumeVectors = std::make_unique<clsVectors>();
    ScreeningVectors = std::make_unique<clsVectors>();
}

void DropVectorStores() {
    VectorStores = VectorStoreState{};
}

}  // namespace vel
