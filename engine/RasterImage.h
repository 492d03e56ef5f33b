#pragma once

#include <cstdint>

#include "engine/ColorTable.h"
#include "engine/MappedStore.h"

namespace dropshrink {

// The engine's picture: packed top-down rows at 8 (grey or palette index),
// 16, 24 (red, green, blue) or 32 (alpha, red, green, blue) bits per pixel,
// whose pixels live in a MappedStore of their own.
class RasterImage {
 public:
  RasterImage() = default;
  RasterImage(const RasterImage&) = delete;
  RasterImage& operator=(const RasterImage&) = delete;
  ~RasterImage() { Release(); }

  // A blank (all-zero) picture; for 8 bits, paletteEntries > 0 adds a palette.
  // A failure leaves the image empty.
  bool Create(std::int32_t width, std::int32_t height, std::int32_t bitsPerPixel,
              std::int32_t paletteEntries);
  bool Release();
  // Why the last Create failed: too large, no space or no temporary folder for the pixels.
  Failure LastFailure() const { return failure_; }
  bool CopyFrom(const RasterImage& source);
  // Fills target with this picture at 8 (grey levels), 24 or 32 bits.
  bool ConvertTo(RasterImage& target, std::int32_t bitsPerPixel, std::int32_t paletteEntries) const;
  void Flush() const;
  // Readies rows [first, first + count) of the store for writing in one go; rows outside the
  // picture are left out.
  void PrepareRows(std::int32_t first, std::int32_t count) const;

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  std::int32_t BitsPerPixel() const { return bitsPerPixel_; }
  std::int32_t PaletteEntries() const { return paletteEntries_; }
  std::uint8_t* Palette() const { return palette_.Entries(); }
  const ColorTable& Colors() const { return palette_; }
  std::uint8_t* Pixels() const { return pixels_; }
  std::uint8_t* Row(std::int32_t row) const {
    return pixels_ + static_cast<std::size_t>(row) * RowBytes();
  }
  std::uint32_t RowBytes() const;
  std::uint32_t PixelBytes() const { return store_.Size(); }
  const MappedStore& Store() const { return store_; }

 private:
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::int32_t bitsPerPixel_ = 0;
  std::uint8_t* pixels_ = nullptr;
  std::int32_t paletteEntries_ = 0;
  MappedStore store_;
  ColorTable palette_;
  Failure failure_ = Failure::None;
};

inline constexpr char kTempPrefix[] = "RVKCLASS";

}  // namespace dropshrink
