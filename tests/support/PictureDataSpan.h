#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "tests/support/LittleEndianBytes.h"

namespace dropshrink::testing {

// Where a picture file keeps its pixels, found from the format's own layout here: a judge that
// shares no code with the readers. A file cut before `end` lacks some of its pixels, so no reader
// may make a picture of it. `end` may lie past the file when the file claims more than it holds;
// both are 0 when the format is not known.
struct PictureDataSpan {
  std::string_view format = "other";
  std::size_t begin = 0;
  std::size_t end = 0;
  // For a picture whose colours are kept apart from its pixels (a PCX file's palette at its end, a
  // TIFF file's colour map): where they end.
  std::size_t coloursEnd = 0;
};

namespace picture_data {

inline std::uint32_t U16(const Bytes& b, std::size_t at, bool big) {
  if (at + 2 > b.size()) return 0;
  return big ? (b[at] << 8 | b[at + 1]) : (b[at] | b[at + 1] << 8);
}

inline std::uint32_t U32(const Bytes& b, std::size_t at, bool big) {
  if (at + 4 > b.size()) return 0;
  return big ? (U16(b, at, true) << 16 | U16(b, at + 2, true))
             : (U16(b, at, false) | U16(b, at + 2, false) << 16);
}

// The coded data runs to the end marker; a file without one keeps data to its last byte.
inline PictureDataSpan Jpeg(const Bytes& b) {
  std::size_t scan = 2;
  while (scan + 1 < b.size() && !(b[scan] == 0xFF && b[scan + 1] == 0xDA)) ++scan;
  const bool ended = b.size() >= 4 && b[b.size() - 2] == 0xFF && b[b.size() - 1] == 0xD9;
  return {"JPEG", scan, ended ? b.size() - 2 : b.size()};
}

// From the first image data chunk to the end of the last one, its checksum included.
inline PictureDataSpan Png(const Bytes& b) {
  PictureDataSpan span{"PNG", 0, 0};
  for (std::size_t at = 8; at + 8 <= b.size();) {
    const std::uint64_t next = at + 12 + std::uint64_t{U32(b, at, true)};
    if (std::memcmp(b.data() + at + 4, "IDAT", 4) == 0) {
      if (span.begin == 0) span.begin = at;
      span.end = static_cast<std::size_t>(next);
    }
    if (next > b.size()) break;
    at = static_cast<std::size_t>(next);
  }
  return span;
}

// The strips or tiles of the first directory, wherever they lie, and its colour map.
inline PictureDataSpan Tiff(const Bytes& b) {
  const bool big = b[0] == 'M';
  PictureDataSpan span{"TIFF", 0, 0};
  const std::size_t directory = U32(b, 4, big);
  const std::uint32_t entries = U16(b, directory, big);
  std::uint32_t offsets[2] = {};  // where each array is
  std::uint32_t counts[2] = {};   // how many values
  std::uint32_t widths[2] = {};   // bytes per value
  for (std::uint32_t i = 0; i < entries; ++i) {
    const std::size_t entry = directory + 2 + 12 * std::size_t{i};
    const std::uint32_t tag = U16(b, entry, big);
    const std::uint32_t width = U16(b, entry + 2, big) == 3 ? 2 : 4;
    const std::uint32_t count = U32(b, entry + 4, big);
    const std::uint32_t offset =
        count * width <= 4 ? static_cast<std::uint32_t>(entry + 8) : U32(b, entry + 8, big);
    if (tag == 320) span.coloursEnd = std::size_t{offset} + std::size_t{count} * width;
    const int which = tag == 273 || tag == 324 ? 0 : tag == 279 || tag == 325 ? 1 : -1;
    if (which < 0) continue;
    widths[which] = width;
    counts[which] = count;
    offsets[which] = offset;
  }
  if (counts[0] == 0 || counts[0] != counts[1]) return span;
  span.begin = SIZE_MAX;
  for (std::uint32_t i = 0; i < counts[0]; ++i) {
    const auto value = [&](int which) {
      const std::size_t at = offsets[which] + std::size_t{i} * widths[which];
      return widths[which] == 2 ? U16(b, at, big) : U32(b, at, big);
    };
    span.begin = std::min<std::size_t>(span.begin, value(0));
    span.end = std::max<std::size_t>(span.end, std::size_t{value(0)} + value(1));
  }
  return span;
}

// Rows of width × bits padded to four bytes, from the pixel data offset on.
inline PictureDataSpan Bmp(const Bytes& b) {
  const std::size_t pixels = U32(b, 10, false);
  const bool os2 = U32(b, 14, false) == 12;
  const std::int64_t width = os2 ? U16(b, 18, false) : static_cast<std::int32_t>(U32(b, 18, false));
  const std::int64_t height =
      os2 ? U16(b, 20, false) : static_cast<std::int32_t>(U32(b, 22, false));
  const std::int64_t bits = U16(b, os2 ? 24 : 28, false);
  const std::uint32_t compression = os2 ? 0 : U32(b, 30, false);
  // Run-length coded rows have no length of their own: everything to the end counts.
  if (compression != 0 && compression != 3) return {"BMP", pixels, b.size()};
  const std::int64_t stride = (width * bits + 31) / 32 * 4;
  return {"BMP", pixels, pixels + static_cast<std::size_t>(stride * std::llabs(height))};
}

// Run-length coded scan lines after the 128-byte header; no run reaches past its line. An 8-bit
// picture's palette is the file's last 768 bytes.
inline PictureDataSpan Pcx(const Bytes& b) {
  const std::int64_t lines = std::int64_t{U16(b, 10, false)} - U16(b, 6, false) + 1;
  const std::int64_t lineBytes = std::int64_t{b[65]} * U16(b, 66, false);
  PictureDataSpan span{"PCX", 128, b.size()};
  std::size_t at = 128;
  for (std::int64_t line = 0; line < lines && lineBytes > 0; ++line) {
    for (std::int64_t filled = 0; filled < lineBytes;) {
      if (at >= b.size()) return span;
      const unsigned code = b[at++];
      if (code >= 0xC0) {
        ++at;
        filled += code & 0x3F;
      } else {
        ++filled;
      }
    }
  }
  span.end = at;
  if (b[3] == 8 && b[65] == 1) span.coloursEnd = b.size();
  return span;
}

}  // namespace picture_data

inline PictureDataSpan PictureDataSpanOf(const Bytes& b) {
  const auto starts = [&b](std::string_view magic) {
    return b.size() >= magic.size() && std::memcmp(b.data(), magic.data(), magic.size()) == 0;
  };
  if (starts("\xFF\xD8")) return picture_data::Jpeg(b);
  if (starts("\x89PNG\r\n\x1A\n")) return picture_data::Png(b);
  if (starts(std::string_view("II*\0", 4)) || starts(std::string_view("MM\0*", 4))) {
    return picture_data::Tiff(b);
  }
  if (starts("BM") || starts("BA")) return picture_data::Bmp(b);
  if (b.size() >= 128 && b[0] == 0x0A) return picture_data::Pcx(b);
  // The 768 × 512 base image: a plane of luma and two quarter planes of chroma.
  if (b.size() >= 0x807 && std::memcmp(b.data() + 0x800, "PCD_IPI", 7) == 0) {
    return {"Photo CD", 0x30000, 0x30000 + 768 * 512 * 3 / 2};
  }
  return {};
}

}  // namespace dropshrink::testing
