#pragma once

#include <cstdint>

namespace dropshrink {

// How a picture is written as JPEG.
struct JpegSettings {
  bool grey = false;
  // 1 to 100.
  std::int32_t quality = 75;
  bool optimizeCoding = true;
  // 0 to 100.
  std::int32_t smoothing = 0;

  friend bool operator==(const JpegSettings&, const JpegSettings&) = default;
};

// What the application writes: colour, quality 75, optimised Huffman tables, no smoothing.
inline constexpr JpegSettings kApplicationSettings{
    .grey = false, .quality = 75, .optimizeCoding = true, .smoothing = 0};

}  // namespace dropshrink
