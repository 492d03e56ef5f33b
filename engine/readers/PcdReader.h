#pragma once

#include <array>
#include <cstdint>
#include <cstdio>

#include "engine/ImageKind.h"
#include "engine/MappedStore.h"
#include "engine/Progress.h"
#include "engine/RasterImage.h"
#include "engine/TextBuffer.h"

namespace dropshrink {

// Red, green, blue of one PhotoYCC pixel: its luma byte and the two chroma
// bytes of its 2 × 2 block.
std::array<std::uint8_t, 3> PhotoYccToRgb(std::uint8_t luma, std::uint8_t chroma1,
                                          std::uint8_t chroma2);

// One of the three uncompressed base images of a Kodak Photo CD image pack
// (192 × 128, 384 × 256 or 768 × 512): luma rows in pairs, each pair followed
// by one row of chroma shared by its 2 × 2 blocks.
class PcdReader {
 public:
  PcdReader() { Reset(); }
  PcdReader(const PcdReader&) = delete;
  PcdReader& operator=(const PcdReader&) = delete;
  ~PcdReader() { Close(); }

  // resolution 0, 1 or 2 picks the base image; only its low byte counts.
  // Accepts a file with the image pack signature that holds the whole image.
  int Open(const char* path, RasterImage& target, int resolution, ProgressCallback progress);
  int Read();
  int Close();
  void Reset();

  ImageKind Kind() const { return kind_; }
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  bool DecodeRows(std::array<MappedStore, 3>& rows);

  ProgressCallback progress_;
  std::FILE* file_;
  int readingActive_;
  TextBuffer path_;
  std::int32_t bitsPerPixel_;
  ImageKind kind_;
  std::int32_t width_;
  std::int32_t height_;
  RasterImage* image_;
};

}  // namespace dropshrink
