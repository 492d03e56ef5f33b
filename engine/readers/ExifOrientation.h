#pragma once

#include <cstdint>
#include <span>

namespace dropshrink {

// The orientation (1 to 8) in the first image directory of an EXIF block, tag 0x0112. `tiff`
// starts at the block's TIFF header ("II*\0" or "MM\0*"), as a PNG eXIf chunk does and a JPEG
// APP1 block does after "Exif\0\0". A missing, broken or out-of-range tag gives 1.
int ExifOrientation(std::span<const std::uint8_t> tiff);

}  // namespace dropshrink
