#pragma once

#include <cstdint>
#include <string_view>

#include "engine/readers/ReaderSkeleton.h"

namespace dropshrink {

// What the two headers of a bitmap say, in the layout-independent form the reader needs.
struct BmpHeader {
  enum class Layout { Windows, Os2 };
  enum Compression : std::uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };

  Layout layout = Layout::Windows;
  // Where the pixels start, from the start of the file.
  std::uint32_t pixelOffset = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool bottomUp = true;
  std::uint32_t compression = kRgb;
  std::uint32_t bitsPerPixel = 0;
};

// Windows and OS/2 bitmaps with 24 bits per pixel. Every other depth and every
// run-length bitmap is refused by Open, so the file goes on to the next reader.
class BmpReader : public ReaderSkeleton<BmpReader> {
 public:
  static constexpr std::string_view kFormatName = "BMP";

  BmpReader() = default;
  ~BmpReader() { Close(); }

 private:
  friend class ReaderSkeleton<BmpReader>;

  bool ParseHeader();
  bool DecodeRows();
  void ReleaseFormat() { header_ = {}; }

  BmpHeader header_;
};

}  // namespace dropshrink
