#pragma once

#include <array>
#include <cstdint>
#include <cstdio>

#include "engine/ByteBuffer.h"
#include "engine/ImageKind.h"
#include "engine/Progress.h"
#include "engine/RasterImage.h"
#include "engine/TextBuffer.h"

namespace dropshrink {

// Windows and OS/2 bitmaps with 24 bits per pixel. Every other depth and every
// run-length bitmap is refused by Open, so the file goes on to the next reader.
class BmpReader {
 public:
  BmpReader() { Reset(); }
  BmpReader(const BmpReader&) = delete;
  BmpReader& operator=(const BmpReader&) = delete;
  ~BmpReader() { Close(); }

  int Open(const char* path, RasterImage& target, ProgressCallback progress);
  int Read();
  int Close();
  void Reset();

  ImageKind Kind() const { return kind_; }
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  static constexpr int kFileHeaderBytes = 14;

  bool ParseHeaders();
  bool ReadRows(ByteBuffer& row);

  ProgressCallback progress_;
  std::FILE* file_;
  int readingActive_;
  std::array<std::uint8_t, kFileHeaderBytes> fileHeader_;
  std::int32_t infoLength_;
  ByteBuffer info_;
  TextBuffer path_;
  std::int32_t bitsPerPixel_;
  ImageKind kind_;
  std::int32_t os2_;
  std::int32_t bottomUp_;
  std::int32_t compression_;
  std::int32_t width_;
  std::int32_t height_;
  RasterImage* image_;
};

}  // namespace dropshrink
