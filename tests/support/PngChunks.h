#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "tests/support/LittleEndianBytes.h"

namespace dropshrink::testing {

// The IHDR chunk follows the 8-byte signature.
inline constexpr std::size_t kPngHeaderChunkAt = 8;

inline std::uint32_t BigEndianU32At(const Bytes& bytes, std::size_t at) {
  return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 |
         std::uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
}

inline void PutU32BigEndian(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(value >> (24 - 8 * i));
}

// Offset of the first chunk of this type at or after `from`, or the file's size when there is
// none.
inline std::size_t PngChunkAt(const Bytes& png, const std::string& type,
                              std::size_t from = kPngHeaderChunkAt) {
  std::size_t at = from;
  while (at + 8 <= png.size() && std::string(png.begin() + at + 4, png.begin() + at + 8) != type) {
    at += 12 + std::size_t{BigEndianU32At(png, at)};
  }
  return std::min(at, png.size());
}

// The CRC of the chunk at `at` made right again for its type and data, after a test changed them.
inline void FixPngCrc(Bytes& png, std::size_t at) {
  const std::size_t length = BigEndianU32At(png, at);
  std::uint32_t crc = 0xFFFFFFFF;
  for (std::size_t i = at + 4; i < at + 8 + length; ++i) {
    crc ^= png[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
  }
  PutU32BigEndian(png, at + 8 + length, ~crc);
}

// The same file declaring another size in its header.
inline Bytes WithPngSize(Bytes png, std::uint32_t width, std::uint32_t height) {
  PutU32BigEndian(png, kPngHeaderChunkAt + 8, width);
  PutU32BigEndian(png, kPngHeaderChunkAt + 12, height);
  FixPngCrc(png, kPngHeaderChunkAt);
  return png;
}

}  // namespace dropshrink::testing
