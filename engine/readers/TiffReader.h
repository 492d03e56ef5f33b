#pragma once

#include <cstdint>

#include <tiffio.h>

#include "engine/ByteBuffer.h"
#include "engine/ImageKind.h"
#include "engine/MappedStore.h"
#include "engine/Progress.h"
#include "engine/RasterImage.h"
#include "engine/TextBuffer.h"

namespace dropshrink {

// The first image of a TIFF file, whatever its variant, through libtiff's RGBA
// interface, as 24-bit colour; alpha is dropped without blending.
class TiffReader {
 public:
  TiffReader() { Reset(); }
  TiffReader(const TiffReader&) = delete;
  TiffReader& operator=(const TiffReader&) = delete;
  ~TiffReader() { Close(); }

  int Open(const char* path, RasterImage& target, ProgressCallback progress);
  int Read();
  int Close();
  void Reset();

  ImageKind Kind() const { return kind_; }
  std::uint32_t Width() const { return width_; }
  std::uint32_t Height() const { return height_; }

 private:
  bool DecodeRaster(MappedStore& raster, ByteBuffer& row);

  ProgressCallback progress_;
  TIFF* tiff_;
  int readingActive_;
  TextBuffer path_;
  std::int32_t bitsPerPixel_;
  ImageKind kind_;
  std::uint32_t width_;
  std::uint32_t height_;
  RasterImage* image_;
};

}  // namespace dropshrink
