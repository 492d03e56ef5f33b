#pragma once

#include <cstdint>
#include <vector>

#include "engine/RasterImage.h"
#include "tests/support/Netpbm.h"

namespace dropshrink::testing {

// Red, green and blue of every pixel, whatever depth the picture was read at.
inline std::vector<std::uint8_t> RgbOf(const RasterImage& image) {
  RasterImage colour;
  if (!image.ConvertTo(colour, 24, 0)) return {};
  return {colour.Pixels(), colour.Pixels() + colour.PixelBytes()};
}

inline std::vector<std::uint8_t> RgbOf(const Netpbm& picture) {
  if (picture.channels == 3) return picture.pixels;
  std::vector<std::uint8_t> rgb;
  for (std::uint8_t grey : picture.pixels) rgb.insert(rgb.end(), {grey, grey, grey});
  return rgb;
}

}  // namespace dropshrink::testing
