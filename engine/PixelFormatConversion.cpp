#include <array>
#include <cstdint>

#include "engine/RasterImage.h"

namespace dropshrink {
namespace {

using Rgb = std::array<std::uint8_t, 3>;

// Weights per 1024; they add up to 1024, so white stays 255.
std::uint8_t GreyLevel(const Rgb& c) {
  return static_cast<std::uint8_t>((306 * c[0] + 601 * c[1] + 117 * c[2]) >> 10);
}

// The colour of pixel x of a row in any depth a reader produces. A palette index
// outside the table reads as black rather than past the table.
Rgb SourceColor(const RasterImage& image, const std::uint8_t* row, std::int32_t x) {
  switch (image.BitsPerPixel()) {
    case 8: {
      const std::uint8_t value = row[x];
      if (image.PaletteEntries() == 0) return {value, value, value};
      if (value >= image.PaletteEntries()) return {0, 0, 0};
      const std::uint8_t* entry = image.Palette() + value * ColorTable::kEntryBytes;
      return {entry[0], entry[1], entry[2]};
    }
    case 24: {
      const std::uint8_t* p = row + x * 3;
      return {p[0], p[1], p[2]};
    }
    default: {
      const std::uint8_t* p = row + x * 4;
      return {p[1], p[2], p[3]};
    }
  }
}

bool IsRequestedForm(const RasterImage& image, std::int32_t bitsPerPixel,
                     std::int32_t paletteEntries) {
  return image.BitsPerPixel() == bitsPerPixel &&
         (bitsPerPixel != 8 || (paletteEntries == 0 && image.PaletteEntries() == 0));
}

}  // namespace

bool RasterImage::ConvertTo(RasterImage& target, std::int32_t bitsPerPixel,
                            std::int32_t paletteEntries) const {
  if (&target == this || width_ < 1 || height_ < 1) return false;
  if (IsRequestedForm(*this, bitsPerPixel, paletteEntries)) return target.CopyFrom(*this);

  const bool supported =
      (bitsPerPixel == 8 && paletteEntries == 0) || bitsPerPixel == 24 || bitsPerPixel == 32;
  if (!supported || bitsPerPixel_ == 16 ||
      !target.Create(width_, height_, bitsPerPixel, paletteEntries)) {
    return false;
  }
  for (std::int32_t y = 0; y < height_; ++y) {
    const std::uint8_t* in = Row(y);
    std::uint8_t* out = target.Row(y);
    for (std::int32_t x = 0; x < width_; ++x) {
      const Rgb c = SourceColor(*this, in, x);
      switch (bitsPerPixel) {
        case 8:
          *out++ = GreyLevel(c);
          break;
        case 24:
          *out++ = c[0];
          *out++ = c[1];
          *out++ = c[2];
          break;
        default:
          *out++ = 255;
          *out++ = c[0];
          *out++ = c[1];
          *out++ = c[2];
          break;
      }
    }
  }
  target.Flush();
  return true;
}

}  // namespace dropshrink
