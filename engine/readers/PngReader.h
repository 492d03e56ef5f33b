#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>

#include <png.h>

#include "engine/readers/ReaderSkeleton.h"

namespace dropshrink {

// What the IHDR chunk says.
struct PngHeader {
  enum class ColourType : std::uint8_t {
    Grey = 0,
    Rgb = 2,
    Palette = 3,
    GreyAlpha = 4,
    RgbAlpha = 6,
  };
  enum class Interlace : std::uint8_t { None = 0, Adam7 = 1 };
  // The deepest samples the reader takes; 16-bit files are refused.
  static constexpr int kMaxBitDepth = 8;

  std::uint32_t width = 0;
  std::uint32_t height = 0;
  int bitDepth = 0;
  ColourType colourType = ColourType::Grey;
  Interlace interlace = Interlace::None;
};

// PNG files of up to 8 bits per sample, through libpng: grey becomes 8-bit
// grey, RGB 24-bit, RGB with alpha 32-bit (alpha first), palettes 8-bit with
// their colours. A libpng error lands in the failure path of the running step.
class PngReader : public ReaderSkeleton<PngReader> {
 public:
  static constexpr std::string_view kFormatName = "PNG";

  PngReader() = default;
  ~PngReader() { Close(); }

  // What libpng's read function reaches: the skeleton's file, and why it gave
  // out before libpng had all it asked for.
  struct Input {
    std::FILE* file = nullptr;
    Failure failure = Failure::None;
  };

 private:
  friend class ReaderSkeleton<PngReader>;

  bool ParseHeader();
  bool DecodeRows();
  void ReleaseFormat();

  // The steps that run libpng under its error trap.
  bool ReadInfo();
  // The orientation in an eXIf chunk and the iCCP colour profile, when they come before the data.
  void ReadFacts();
  bool ReadRows();
  // The reason for the libpng error that jumped back.
  bool FailFromLibpng();

  PngHeader header_;
  std::int32_t bitsPerPixel_ = 0;
  std::int32_t paletteEntries_ = 0;
  Input input_;
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
};

}  // namespace dropshrink
