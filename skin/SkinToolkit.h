#pragma once

#include <cstdint>

#include "platform/window/Guid.h"
#include "platform/window/Imaging.h"

namespace skin {

// Starts imaging, reads the time frame dimension and registers the "NimboLoadDialog" class.
// Called once, before the first window is loaded.
void StartSkinToolkit();
platform::ImagingStatus StartGdiPlus();

// All zero until StartSkinToolkit has parsed it.
const platform::Guid& TimeDimension();
// 0 until imaging started; imaging is never shut down.
std::uintptr_t GdiPlusToken();

}  // namespace skin
