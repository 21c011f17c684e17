// The three vector stores of the process: prices (MainVectors, whose Chart region holds the
// chart curves), volumes (VolumeVectors) and screening values (ScreeningVectors). They are
// created empty when the main window loads and sized by each history load; until then, and
// after ResetProcessState, they do not exist (null).
#pragma once

#include <memory>

#include "clsVectors.h"

namespace vel {

struct VectorStoreState {
    std::unique_ptr<clsVectors> MainVectors;
    std::unique_ptr<clsVectors> VolumeVectors;
    std::unique_ptr<clsVectors> ScreeningVectors;
    bool operator==(const VectorStoreState&) const = default;
};
extern VectorStoreState VectorStores;
inline std::unique_ptr<clsVectors>& MainVectors = VectorStores.MainVectors;
inline std::unique_ptr<clsVectors>& VolumeVectors = VectorStores.VolumeVectors;
inline std::unique_ptr<clsVectors>& ScreeningVectors = VectorStores.ScreeningVectors;

// Replaces the three stores with new, empty ones (nothing can be stored before a load sizes
// them).
void CreateVectorStores();
// Drops the three stores (they are null afterwards).
void DropVectorStores();

}  // namespace vel
