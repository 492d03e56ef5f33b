#pragma once

#include <array>
#include <cstdint>
#include <cstdio>

#include "engine/ByteBuffer.h"
#include "engine/ImageKind.h"
#include "engine/MappedStore.h"
#include "engine/Progress.h"
#include "engine/RasterImage.h"
#include "engine/TextBuffer.h"

namespace dropshrink {

// Run-length PCX files of 8 bits (one plane and a 256-colour palette at the
// end of the file) and 24 bits (three planes per scan line).
class PcxReader {
 public:
  PcxReader() { Reset(); }
  PcxReader(const PcxReader&) = delete;
  PcxReader& operator=(const PcxReader&) = delete;
  ~PcxReader() { Close(); }

  int Open(const char* path, RasterImage& target, ProgressCallback progress);
  int Read();
  int Close();
  void Reset();

  // Always kKindNone: PCX has no variants worth telling apart.
  ImageKind Kind() const { return kind_; }
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  static constexpr int kHeaderBytes = 128;
  static constexpr int kPaletteBytes = 768;

  std::int32_t Planes() const { return header_[65]; }
  std::int32_t BytesPerLine() const { return header_[66] | header_[67] << 8; }
  bool DecodeRows(MappedStore& data, ByteBuffer& line);
  bool ReadPalette();

  ProgressCallback progress_;
  std::FILE* file_;
  int readingActive_;
  std::array<std::uint8_t, kHeaderBytes> header_;
  TextBuffer path_;
  std::int32_t bitsPerPixel_;
  ImageKind kind_;
  std::int32_t width_;
  std::int32_t height_;
  RasterImage* image_;
};

}  // namespace dropshrink
