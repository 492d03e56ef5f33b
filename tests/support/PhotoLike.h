#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "tests/support/Netpbm.h"

namespace dropshrink::testing {

// Smooth shading with fine noise on top, like a photograph, so every setting of the encoder
// changes its output. Odd sizes leave partial blocks at the edges.
inline Netpbm PhotoLike(int width, int height, int channels) {
  Netpbm picture{width, height, channels, {}};
  std::uint32_t noise = 12345;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < channels; ++c) {
        noise = noise * 1103515245u + 12345u;
        const double shade = 128 + 90 * std::sin(x * 0.05 + c * 1.7) * std::cos(y * 0.04 - c);
        picture.pixels.push_back(
            static_cast<std::uint8_t>(std::clamp(shade + (noise >> 26), 0.0, 255.0)));
      }
    }
  }
  return picture;
}

}  // namespace dropshrink::testing
