#pragma once

#include <cstdint>
#include <vector>

namespace platform {

// Pixels as they would be on screen: rows top-down, each pixel 0xAARRGGBB, not premultiplied.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

}  // namespace platform
