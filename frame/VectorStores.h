// The three vector stores of the process: prices (MainVectors, whose Chart region holds the
// chart curves), volumes (VolumeVectors) and screening values (ScreeningVectors). They are
// created empty when the main window loads and sized by each history load.
#pragma once

#include <memory>

#include "clsVectors.h"

namespace vel {

extern std::unique_ptr<clsVectors> MainVectors;
extern std::unique_ptr<clsVectors> VolumeVectors;
extern std::unique_ptr<clsVectors> ScreeningVectors;

// Replaces the three stores with new, empty ones (nothing can be stored before a load sizes
// them).
void CreateVectorStores();
// Drops the three stores (they are null afterwards).
void DropVectorStores();

}  // namespace vel
