#pragma once

#include <cstdint>

#include "platform/window/Geometry.h"
#include "platform/window/Imaging.h"
#include "platform/window/WindowTable.h"

namespace platform {

struct LayeredBlend {
  // Multiplies every pixel's alpha.
  std::uint8_t constantAlpha = 255;
  // Without it the picture is opaque.
  bool perPixelAlpha = true;
};

// Gives a layered window its whole appearance: the part of the source image at sourceOrigin with
// the given size, which becomes the window's size. The window keeps its place. Fails when the
// window is none or not layered, or the image does not cover that part.
bool UpdateLayeredWindow(WindowHandle window, Size size, ImageHandle source, Point sourceOrigin,
                         const LayeredBlend& blend);

}  // namespace platform
