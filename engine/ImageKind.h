#pragma once

#include <cstdint>

namespace dropshrink {

// The source variant a reader's Open recognised; one numbering for all formats.
// The JPEG writer uses the two JPEG kinds for its colour and grey output.
enum ImageKind : std::int32_t {
  kKindNone = 0,
  kKindPhotoCd192x128 = 11,
  kKindPhotoCd384x256 = 12,
  kKindPhotoCd768x512 = 13,
  kKindJpegColor = 14,
  kKindJpegGrey = 15,
  kKindBmpWindows = 20,
  kKindBmpOs2 = 27,
  kKindPngGrey = 31,
  kKindPngRgb = 33,
  kKindPngRgbAlpha = 34,
  kKindPngPalette = 38,
  kKindTiff = 40,
};

}  // namespace dropshrink
