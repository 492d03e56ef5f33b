#pragma once

#include <cstdint>
#include <vector>

#include "engine/RasterImage.h"

namespace dropshrink {

// The rows of a 24-bit or 8-bit picture turned and mirrored as an EXIF orientation (1 to 8) says,
// top row first. Orientations that swap width and height gather a band of rows at a time, so the
// stored picture is read once, row by row, and the only copy is one band.
class OrientedRows {
 public:
  OrientedRows(const RasterImage& source, int orientation);

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Row `y` of the upright picture, asked for in order from 0; valid until the next call.
  const std::uint8_t* Row(int y);

 private:
  void GatherBand(int firstRow);

  const RasterImage& source_;
  int orientation_;
  int bytesPerPixel_;
  int width_;
  int height_;
  // The band's rows, one after another; rows that need no copy are handed out from the source.
  std::vector<std::uint8_t> band_;
  int bandFirst_ = -1;
  int bandRows_ = 0;
};

}  // namespace dropshrink
