#pragma once

#include <cstdint>

#include "platform/window/WindowTable.h"

namespace skin {

// Clears, then sets bits of the window's style; writes only when that changes the style, and
// says whether it did.
bool ChangeStyle(platform::WindowHandle window, std::uint32_t clearBits, std::uint32_t setBits);
// The same on the extended style.
bool ChangeExStyle(platform::WindowHandle window, std::uint32_t clearBits, std::uint32_t setBits);

}  // namespace skin
