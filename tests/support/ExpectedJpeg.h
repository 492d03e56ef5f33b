#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "engine/RasterImage.h"
#include "engine/readers/JpegCodec.h"
#include "tests/support/Colours.h"
#include "tests/support/Files.h"
#include "tests/support/Netpbm.h"

namespace dropshrink::testing {

// The file the conversion command writes for a picture with exactly these
// pixels: the same writer with the command's settings (colour, quality 75,
// optimised tables, no smoothing). Written to `path`; empty when it fails.
inline std::vector<unsigned char> ExpectedJpeg(const Netpbm& picture, const std::string& path) {
  const std::vector<std::uint8_t> rgb = RgbOf(picture);
  RasterImage image;
  if (!image.Create(picture.width, picture.height, 24, 0) || image.PixelBytes() != rgb.size()) {
    return {};
  }
  std::memcpy(image.Pixels(), rgb.data(), rgb.size());
  JpegCodec codec;
  if (codec.Write(path.c_str(), image, 75, 1, 1, 0, nullptr) != 1) return {};
  return ReadBytes(path);
}

}  // namespace dropshrink::testing
