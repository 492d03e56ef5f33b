#pragma once

#include <cstdint>
#include <cstdio>

#include <png.h>

#include "engine/ImageKind.h"
#include "engine/Progress.h"
#include "engine/RasterImage.h"
#include "engine/TextBuffer.h"

namespace dropshrink {

// PNG files of up to 8 bits per sample, through libpng: grey becomes 8-bit
// grey, RGB 24-bit, RGB with alpha 32-bit (alpha first), palettes 8-bit with
// their colours. A libpng error lands in the failure path of the running call.
class PngReader {
 public:
  PngReader() { Reset(); }
  PngReader(const PngReader&) = delete;
  PngReader& operator=(const PngReader&) = delete;
  ~PngReader() { Close(); }

  int Open(const char* path, RasterImage& target, ProgressCallback progress);
  int Read();
  int Close();
  void Reset();

  ImageKind Kind() const { return kind_; }
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  int ReadHeader();
  int DecodeRows();

  ProgressCallback progress_;
  std::FILE* file_;
  int readingActive_;
  png_uint_32 pngWidth_;
  png_uint_32 pngHeight_;
  std::int32_t colourType_;
  std::int32_t bitDepth_;
  png_structp png_;
  png_infop info_;
  TextBuffer path_;
  std::int32_t bitsPerPixel_;
  ImageKind kind_;
  std::int32_t paletteEntries_;
  std::int32_t width_;
  std::int32_t height_;
  RasterImage* image_;
};

}  // namespace dropshrink
