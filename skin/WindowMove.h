#pragma once

#include <optional>

#include "platform/window/Geometry.h"
#include "platform/window/WindowTable.h"

namespace skin {

// Moves and sizes a window; each value not given is taken from current, the window's present
// place (in the coordinates the window is positioned in). A move or a resize that is not asked
// for at all is not made.
void MoveWindow(platform::WindowHandle window, const platform::Rect& current,
                std::optional<int> left, std::optional<int> top, std::optional<int> width,
                std::optional<int> height, bool noRedraw);

}  // namespace skin
