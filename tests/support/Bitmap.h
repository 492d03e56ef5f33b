#pragma once

#include <cstddef>
#include <cstdint>

#include "tests/support/Colours.h"
#include "tests/support/LittleEndianBytes.h"
#include "tests/support/Netpbm.h"

namespace dropshrink::testing {

// A 24-bit Windows bitmap of exactly these pixels, stored bottom up in rows padded to four
// bytes. It states no resolution, so cjpeg keeps the 1:1 density our writer gives every file.
inline Bytes Bitmap24(const Netpbm& picture) {
  constexpr std::size_t kHeaderBytes = 14 + 40;
  const std::vector<std::uint8_t> rgb = RgbOf(picture);
  const std::size_t rowBytes = static_cast<std::size_t>(picture.width) * 3;
  const std::size_t stride = (rowBytes + 3) / 4 * 4;
  Bytes b(kHeaderBytes + stride * static_cast<std::size_t>(picture.height), 0);
  PutText(b, 0, "BM");
  PutU32(b, 2, static_cast<std::uint32_t>(b.size()));
  PutU32(b, 10, kHeaderBytes);
  PutU32(b, 14, 40);
  PutU32(b, 18, static_cast<std::uint32_t>(picture.width));
  PutU32(b, 22, static_cast<std::uint32_t>(picture.height));
  PutU16(b, 26, 1);
  PutU16(b, 28, 24);
  for (int y = 0; y < picture.height; ++y) {
    const std::size_t stored =
        kHeaderBytes + stride * static_cast<std::size_t>(picture.height - 1 - y);
    for (std::size_t i = 0; i < rowBytes; i += 3) {
      const std::size_t from = static_cast<std::size_t>(y) * rowBytes + i;
      b[stored + i] = rgb[from + 2];
      b[stored + i + 1] = rgb[from + 1];
      b[stored + i + 2] = rgb[from];
    }
  }
  return b;
}

}  // namespace dropshrink::testing
