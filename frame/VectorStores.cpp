// The three vector stores of the process.
#include "VectorStores.h"

namespace vel {

std::unique_ptr<clsVectors> MainVectors;
std::unique_ptr<clsVectors> VolumeVectors;
std::unique_ptr<clsVectors> ScreeningVectors;

void CreateVectorStores() {
    MainVectors = std::make_unique<clsVectors>();
    VolumeVectors = std::make_unique<clsVectors>();
    ScreeningVectors = std::make_unique<clsVectors>();
}

void DropVectorStores() {
    MainVectors.reset();
    VolumeVectors.reset();
    ScreeningVectors.reset();
}

}  // namespace vel
